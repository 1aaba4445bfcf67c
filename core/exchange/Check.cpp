#include "core/exchange/Check.h"

#include "core/store/ChangeMark.h"
#include "core/store/DocumentStore.h"
#include "core/store/LineScan.h"
#include "core/store/Number.h"
#include "core/store/RecordFormat.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <sys/mman.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace kaldex::tool {
namespace {

// A line's text (without CR LF) and its number in the file.
struct NumberedText {
    std::string_view text;
    long number = 0;
};

struct Line : NumberedText {
    // Offsets into text, npos for none: the first "$", the first byte that
    // is no Windows-1251 text, the first byte from 0x80.
    size_t dollar = std::string_view::npos;
    size_t foreign = std::string_view::npos;
    size_t high = std::string_view::npos;
};

// The file's lines one by one, as the loader cuts them: from bytes held
// whole, or from a file read a piece at a time, as cat reads it, into the
// front of one buffer, so that only a little memory is ever touched.
class LineCursor {
public:
    explicit LineCursor(std::string_view bytes) : rest_(bytes) {}
    LineCursor(int fd, size_t size) : fd_(fd), capacity_(size + 1), atEnd_(false)
    {
        // Room for the whole file, should one record fill it; only the front
        // is used as a rule, and it is made ready in one go rather than a
        // page fault at a time.
        void *room = ::mmap(nullptr, capacity_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (room == MAP_FAILED)
            throw std::system_error(errno, std::generic_category());
        buffer_ = {static_cast<char *>(room), Unmap{capacity_}};
#ifdef MADV_POPULATE_WRITE
        ::madvise(room, std::min(capacity_, kFarBehind + 2 * kPiece), MADV_POPULATE_WRITE);  // a hint only
#endif
        rest_ = {buffer_.get(), 0};
    }

    bool next(Line &line)
    {
        LineFacts facts;
        for (;;) {
            facts = scanLine<true>(rest_.data(), rest_.data() + rest_.size());
            // A line is whole once its feed or the file's end is there.
            if ((facts.feed != rest_.data() + rest_.size() || atEnd_) || !readMore())
                break;
        }
        if (rest_.empty())
            return false;
        const size_t end = static_cast<size_t>(facts.feed - rest_.data());
        line.text = rest_.substr(0, end);
        rest_.remove_prefix(std::min(end + 1, rest_.size()));
        if (!line.text.empty() && line.text.back() == '\r')
            line.text.remove_suffix(1);
        auto offset = [&line](const char *at) {
            const size_t i = at ? static_cast<size_t>(at - line.text.data()) : std::string_view::npos;
            return i < line.text.size() ? i : std::string_view::npos;  // not the CR dropped with the line end
        };
        line.dollar = offset(facts.dollar);
        line.foreign = offset(facts.foreign);
        line.high = offset(facts.high);
        line.number = ++read_;
        return true;
    }
    long read() const
    {
        return read_;
    }

    /**
     * Between records, when nothing refers to the lines read: the unread
     * bytes go back to the buffer's front once the front is far behind.
     */
    void forgetRead()
    {
        if (!buffer_ || static_cast<size_t>(rest_.data() - buffer_.get()) < kFarBehind)
            return;
        std::memmove(buffer_.get(), rest_.data(), rest_.size());
        rest_ = {buffer_.get(), rest_.size()};
    }

    /**
     * Passes over whole lines that hold nothing to look at: no "$" (so no
     * marker), no foreign byte, no first high byte that a continuation byte
     * follows (see checkBytes). Returns how many; next() reads the first
     * line that does, and the file's last line.
     */
    long skipPlainLines()
    {
        long lines = 0;
        const char *p = rest_.data();
        const char *const end = p + rest_.size();
        while (p != end) {
            const LineFacts facts = scanLine<true>(p, end);
            const bool lineEndOnly = facts.foreign == facts.feed - 1 && *facts.foreign == '\r';
            if (facts.feed == end || facts.dollar || (facts.foreign && !lineEndOnly) ||
                (facts.high && facts.high + 1 < facts.feed &&
                 (static_cast<unsigned char>(facts.high[1]) & 0xC0) == 0x80))
                break;
            p = facts.feed + 1;
            ++lines;
        }
        rest_.remove_prefix(static_cast<size_t>(p - rest_.data()));
        read_ += lines;
        return lines;
    }

private:
    // Appends what the file holds next; false at its end. A long line is
    // read in ever larger pieces, so that it is scanned a few times at most.
    bool readMore()
    {
        char *const filled = const_cast<char *>(rest_.data()) + rest_.size();
        const size_t room = capacity_ - static_cast<size_t>(filled - buffer_.get());
        const size_t want = std::min(room, std::max<size_t>(kPiece, rest_.size()));
        ssize_t n = 0;
        do
            n = want ? ::read(fd_, filled, want) : 0;
        while (n < 0 && errno == EINTR);
        if (n < 0)
            throw std::system_error(errno, std::generic_category());
        if (n == 0) {
            atEnd_ = true;  // or the buffer is full: a file that grew is checked as it was
            return false;
        }
        rest_ = {rest_.data(), rest_.size() + static_cast<size_t>(n)};
        return true;
    }

    static constexpr size_t kPiece = size_t(64) << 10;
    static constexpr size_t kFarBehind = size_t(256) << 10;
    struct Unmap {
        size_t length;
        void operator()(char *room) const { ::munmap(room, length); }
    };
    int fd_ = -1;
    size_t capacity_ = 0;
    std::unique_ptr<char, Unmap> buffer_{nullptr, Unmap{0}};
    bool atEnd_ = true;
    std::string_view rest_;
    long read_ = 0;
};

std::string quoted(std::string_view text)
{
    constexpr size_t kShown = 40;
    std::string out = "\"";
    out.append(text.substr(0, kShown));
    if (text.size() > kShown)
        out += "...";
    return out + "\"";
}

// Whether the number reads the same as written: blanks, sign, digits, in range.
bool cleanNumber(std::string_view text, int64_t &value)
{
    size_t i = text.find_first_not_of(' ');
    if (i == std::string_view::npos)
        return false;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-')
        negative = text[i++] == '-';
    if (i == text.size())
        return false;
    value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
        if (value > int64_t{1} << 32)
            return false;
    }
    if (negative)
        value = -value;
    return value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max();
}

bool looksLikeUtf8(std::string_view line)
{
    int sequences = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        auto c = static_cast<unsigned char>(line[i]);
        if (c < 0x80)
            continue;
        int follow = c >= 0xC2 && c <= 0xDF ? 1 : c >= 0xE0 && c <= 0xEF ? 2 : c >= 0xF0 && c <= 0xF4 ? 3 : -1;
        if (follow < 0)
            return false;
        for (int k = 1; k <= follow; ++k) {
            if (i + static_cast<size_t>(k) >= line.size())
                return false;
            auto f = static_cast<unsigned char>(line[i + static_cast<size_t>(k)]);
            if (f < 0x80 || f > 0xBF)
                return false;
        }
        i += static_cast<size_t>(follow);
        ++sequences;
    }
    return sequences >= 2;
}

class Checker {
public:
    Checker(LineCursor lines, const std::function<bool()> &stopFor) : lines_(std::move(lines)), stopFor_(stopFor) {}

    void checkRecords()
    {
        for (int document = 1;; ++document) {
            if (document > DocumentStore::kMaxDocuments) {
                checkOverflow(document);
                return;
            }
            if (!record(document) || stopped_)
                return;
            documents_ = document;
        }
    }

    // In file order: byte problems are found while reading, the rest per record.
    std::vector<Problem> takeProblems()
    {
        std::stable_sort(problems_.begin(), problems_.end(), [](const Problem &a, const Problem &b) {
            return a.document != b.document ? a.document < b.document : a.line < b.line;
        });
        return std::move(problems_);
    }

    // The records a load counts: every record that ends, or whose provenance runs to the end.
    int documents() const { return documents_; }
    long foreignLines() const { return foreignLines_; }
    bool stopped() const { return stopped_; }

private:
    // What a record's section holds: its first and last content lines and its
    // marker. Set as they are read, not cleared first: a record has many.
    struct SectionRead {
        long count;
        long firstNumber;     // when count > 0
        NumberedText last;    // likewise
        NumberedText marker;  // when ended
        bool ended;           // by a marker line
    };
    using Values = std::array<int64_t, kNumberLineItems>;

    void add(int document, long line, std::string message)
    {
        problems_.push_back({document, line, std::move(message)});
    }

    // As the loader: only a record it would count is left out of the table.
    void checkOverflow(int document)
    {
        OverflowRule rule;
        Line line;
        while (lines_.next(line)) {
            if (rule.beyond(line.text, line.dollar, line.number)) {
                add(document, rule.firstLine(),
                    "records beyond " + std::to_string(DocumentStore::kMaxDocuments) +
                        " are not loaded; the program refuses to save over this file, so nothing is dropped");
                return;
            }
        }
    }

    // One record; false at the end of the file.
    bool record(int document)
    {
        std::array<SectionRead, kSectionCount> sections;
        cutTextLines_.clear();
        lines_.forgetRead();
        bool onlyBlank = true;
        bool utf8Reported = false;
        for (size_t s = 0; s < kSections.size(); ++s) {
            const bool text = kSections[s].kind == SectionKind::Text;
            SectionRead &section = sections[s];
            section.count = 0;
            section.ended = false;
            Line line;
            for (;;) {
                // A text's usual lines hold nothing to report: only counted.
                if (text)
                    section.count += lines_.skipPlainLines();
                if (!lines_.next(line))
                    break;
                checkBytes(document, line, utf8Reported);
                if (stopped_)
                    return false;
                if (isMarker(line.text, line.dollar)) {
                    section.marker = line;
                    section.ended = true;
                    break;
                }
                onlyBlank = onlyBlank && isBlank(line.text);
                if (section.count++ == 0)
                    section.firstNumber = line.number;
                section.last = line;
                if (text && line.dollar != std::string_view::npos)
                    cutTextLines_.push_back({line, s});
            }
            if (section.ended)
                continue;
            if (s == kLeadSection && onlyBlank)
                return false;
            const long where = lines_.read() ? lines_.read() : 1;
            // A load counts a record whose last section runs to the end.
            if (s + 1 == kSections.size() && section.count > 0) {
                add(document, where, "the last record is truncated: its end line \"$@$\" is missing");
                break;
            }
            add(document, where,
                std::string("the last record is truncated in its ") + kSections[s].title + ", so it is not loaded");
            return false;
        }
        checkSections(document, sections);
        return true;
    }

    // What a load of the record's sections would misread.
    void checkSections(int document, const std::array<SectionRead, kSectionCount> &sections)
    {
        for (size_t s = 0; s < kSections.size(); ++s)
            if (sections[s].ended)
                checkMarker(document, s, sections[s].marker);
        const SectionRead &lead = sections[kLeadSection];
        // A side file's mark of a changed document is meant to be passed over.
        if (lead.count > 0 && !(lead.count == 1 && readChangeMark(lead.last.text).number != 0))
            add(document, lead.firstNumber, "lines before the record's first marker are ignored");
        // Every section but the lead and the texts is one line.
        for (size_t s = 0; s < kSections.size(); ++s) {
            const SectionKind kind = kSections[s].kind;
            if (kind == SectionKind::Lead || kind == SectionKind::Text)
                continue;
            const SectionRead &section = sections[s];
            if (section.count == 0)
                add(document, section.marker.number, std::string("the ") + kSections[s].title + " is missing");
            else if (section.count > 1)
                add(document, section.firstNumber,
                    std::string("the ") + kSections[s].title + " takes more than one line; only the last is read");
        }
        std::array<Values, kSectionCount> values;  // of the number lines, as a load reads them
        for (size_t s = 0; s < kSections.size(); ++s) {
            const SectionFormat &format = kSections[s];
            const SectionRead &section = sections[s];
            if (section.count == 0)
                continue;
            switch (format.kind) {
            case SectionKind::Number: checkNumber(document, section.last); break;
            case SectionKind::Numbers: numbers(document, section.last, *format.items, values[s]); break;
            case SectionKind::Names: checkNames(document, section.last, format); break;
            case SectionKind::Lead:
            case SectionKind::Text: break;
            }
        }
        for (const auto &[line, s] : cutTextLines_)
            add(document, line.number,
                std::string("the ") + kSections[s].title + " line is cut at its \"$\": " + quoted(line.text));
        for (size_t s = 0; s < kSections.size(); ++s) {
            if (kSections[s].kind != SectionKind::Numbers || sections[s].count == 0)
                continue;
            for (size_t i = 0; i < kNumberLineItems; ++i) {
                const int counted = kSections[s].items->at(i).countsLinesOf;
                if (counted >= 0)
                    checkLineCount(document, sections[s].last.number, counted,
                                   sections[static_cast<size_t>(counted)].count, values[s][i]);
            }
        }
    }

    void checkLineCount(int document, long line, int section, long lines, int64_t stored)
    {
        const int64_t expected = lines + 1;
        // An empty text with count 0 is what an add left without "OK" writes.
        const bool abandoned = stored == 0 && lines == 0;
        if (stored != expected && !abandoned)
            add(document, line,
                std::string(kSections[static_cast<size_t>(section)].title) + ": " + std::to_string(lines) +
                    " text line(s), but the line count says " + std::to_string(stored) + " (" +
                    std::to_string(expected) + " expected)");
    }

    void checkMarker(int document, size_t section, const NumberedText &marker)
    {
        const std::string_view expected = kSections[section].marker;
        std::string_view text = marker.text;
        while (!text.empty() && text.back() == ' ')
            text.remove_suffix(1);
        while (!text.empty() && text.front() == ' ')
            text.remove_prefix(1);
        if (text == expected)
            return;
        if (text == kRecordEnd)
            add(document, marker.number,
                std::string("the record ends early, in its ") + kSections[section].title +
                    "; the sections that follow are shifted");
        else if (expected == kRecordEnd)
            add(document, marker.number,
                std::string("the record's end line \"$@$\" is missing here; the records that follow are shifted"));
        else
            add(document, marker.number,
                std::string("a line that looks like a marker cuts the ") + kSections[section].title +
                    " short: " + quoted(marker.text));
    }

    void checkNumber(int document, const NumberedText &line)
    {
        int64_t value = 0;
        if (!cleanNumber(withoutDollars(line.text, scratch_), value))
            add(document, line.number, "the document number " + quoted(line.text) + " is not a number");
    }

    // Reads a number line into values as a load does, and says what it misreads.
    void numbers(int document, const NumberedText &line, const NumberLine &items, Values &values)
    {
        values.fill(0);
        size_t count = 0;
        forEachItem(withoutDollars(line.text, scratch_), [&](size_t index, std::string_view item) {
            ++count;
            if (index >= values.size())
                return;
            int64_t value = 0;
            if (item.size() == 1 && item[0] >= '0' && item[0] <= '9')
                values[index] = item[0] - '0';  // most items: one digit
            else if (cleanNumber(item, value))
                values[index] = value;  // as the loader reads it
            else {
                add(document, line.number,
                    std::string("item ") + std::to_string(index + 1) + " (" + items[index].label + ") " + quoted(item) +
                        " is not a number");
                values[index] = readNumber(item);  // what the loader takes
            }
        });
        if (count != values.size())
            add(document, line.number,
                std::to_string(count) + " items where " + std::to_string(values.size()) + " belong");
    }

    void checkNames(int document, const NumberedText &line, const SectionFormat &format)
    {
        const std::string what = format.column;  // "author", "substance"
        if (line.text.find('$') != std::string_view::npos)
            add(document, line.number, "the \"$\" in the " + what + " line is dropped on load");
        const std::string_view text = withoutDollars(line.text, scratch_);
        size_t names = 0;
        const size_t end = forEachName(text, [&names](size_t, std::string_view) { ++names; });
        if (names > format.nameCount)
            add(document, line.number,
                "more than " + std::to_string(format.nameCount) + " " + what + " names; the rest are not loaded");
        if (text.find_first_not_of(kSeparator, end) != std::string_view::npos)
            add(document, line.number,
                "a gap in the " + what + " names: those after it are not loaded: " + quoted(text.substr(end)));
    }

    void checkBytes(int document, const Line &line, bool &utf8Reported)
    {
        const size_t i = line.foreign;
        if (i != std::string_view::npos) {
            constexpr long kAskAfter = 1000;
            if (++foreignLines_ == kAskAfter && stopFor_ && stopFor_())
                stopped_ = true;
            const auto c = static_cast<unsigned char>(line.text[i]);
            static const char digits[] = "0123456789ABCDEF";
            const char hex[] = {'0', 'x', digits[c >> 4], digits[c & 15], '\0'};
            add(document, line.number,
                std::string("byte ") + hex + " at column " + std::to_string(i + 1) + " is not Windows-1251 text");
            return;
        }
        // Only bytes from 0x80 on make UTF-8 sequences, and the first of them
        // must be followed by a continuation byte (0x80 to 0xBF): in
        // Windows-1251 text it hardly ever is.
        const size_t high = line.high;
        const bool continued = high != std::string_view::npos && high + 1 < line.text.size() &&
                               (static_cast<unsigned char>(line.text[high + 1]) & 0xC0) == 0x80;
        if (!utf8Reported && continued && looksLikeUtf8(line.text.substr(high))) {
            utf8Reported = true;
            add(document, line.number, "the text looks like UTF-8, not Windows-1251");
        }
    }

    LineCursor lines_;
    std::vector<Problem> problems_;
    int documents_ = 0;
    long foreignLines_ = 0;
    const std::function<bool()> &stopFor_;
    bool stopped_ = false;
    std::vector<std::pair<NumberedText, size_t>> cutTextLines_;  // text lines with a "$", and their section
    std::string scratch_;
};

}  // namespace

namespace {

std::vector<Problem> check(LineCursor lines, CheckSummary *summary, const std::function<bool()> &stopFor)
{
    Checker checker(std::move(lines), stopFor);
    checker.checkRecords();
    if (summary) {
        summary->documents = checker.documents();
        summary->foreignBytes = checker.foreignLines() > 0;
        summary->stopped = checker.stopped();
    }
    return checker.takeProblems();
}

}  // namespace

std::vector<Problem> checkDatabase(std::string_view bytes, CheckSummary *summary, const std::function<bool()> &stopFor)
{
    return check(LineCursor(bytes), summary, stopFor);
}

std::vector<Problem> checkDatabaseFile(int fd, size_t size, CheckSummary *summary, const std::function<bool()> &stopFor)
{
    return check(LineCursor(fd, size), summary, stopFor);
}

}  // namespace kaldex::tool
