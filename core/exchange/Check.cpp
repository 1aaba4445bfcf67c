#include "core/exchange/Check.h"

#include "core/store/DocumentStore.h"
#include "core/store/LineScan.h"
#include "core/store/Number.h"

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

// The loader's test: "$" after at most three spaces.
bool isMarker(std::string_view line)
{
    size_t i = 0;
    while (i < 3 && i < line.size() && line[i] == ' ')
        ++i;
    return i < line.size() && line[i] == '$';
}

bool isBlank(std::string_view line)
{
    return line.find_first_not_of(" \t\r\f\v") == std::string_view::npos;
}

std::string quoted(std::string_view text)
{
    constexpr size_t kShown = 40;
    std::string out = "\"";
    out.append(text.substr(0, kShown));
    if (text.size() > kShown)
        out += "...";
    return out + "\"";
}

const char *const kSectionNames[10] = {
    "space before the record", "document number", "first number line", "author line", "second number line",
    "substance line",          "citation",        "abstract",          "notes",       "provenance",
};

const char *const kFirstItems[19] = {
    "Oth",
    "Vis",
    "Con",
    "Tdi",
    "Dif",
    "Pot",
    "Vir",
    "Bea",
    "Spe",
    "The",
    "Exp",
    "authorCount",
    "substanceCount",
    "citation line count",
    "abstract line count",
    "notes line count",
    "provenance line count",
    "fileLine",
    "last item",
};

const char *const kSecondItems[19] = {
    "pair11", "pair12", "pair22", "pair13", "pair23", "pair33", "pair14",    "pair24",    "pair34",       "pair44",
    "pair15", "pair25", "pair35", "pair45", "pair55", "year",   "upperYear", "lowerYear", "wantedNumber",
};

// The line without its "$"; the line itself when it has none.
std::string_view withoutDollars(std::string_view line, std::string &scratch)
{
    if (line.find('$') == std::string_view::npos)
        return line;
    scratch.clear();
    for (char c : line)
        if (c != '$')
            scratch += c;
    return scratch;
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
    struct Section {
        long count;
        long firstNumber;     // when count > 0
        NumberedText last;    // likewise
        NumberedText marker;  // when ended
        bool ended;           // by a marker line
    };

    void add(int document, long line, std::string message)
    {
        problems_.push_back({document, line, std::move(message)});
    }

    // As the loader: only a record it would count (nine section ends and a
    // line after them) is left out of the table.
    void checkOverflow(int document)
    {
        long firstContent = 0;
        int markers = 0;
        Line line;
        while (lines_.next(line)) {
            if (markers == 9) {
                add(document, firstContent ? firstContent : line.number,
                    "records beyond " + std::to_string(DocumentStore::kMaxDocuments) +
                        " are not loaded; the program refuses to save over this file, so nothing is dropped");
                return;
            }
            if (!firstContent && !isBlank(line.text))
                firstContent = line.number;
            if (isMarker(line.text))
                ++markers;
        }
    }

    // One record; false at the end of the file.
    bool record(int document)
    {
        std::array<Section, 10> sections;
        cutTextLines_.clear();
        lines_.forgetRead();
        bool onlyBlank = true;
        bool utf8Reported = false;
        for (int s = 0; s < 10; ++s) {
            Section &section = sections[static_cast<size_t>(s)];
            section.count = 0;
            section.ended = false;
            Line line;
            for (;;) {
                // A text's usual lines hold nothing to report: only counted.
                if (s >= 6)
                    section.count += lines_.skipPlainLines();
                if (!lines_.next(line))
                    break;
                checkBytes(document, line, utf8Reported);
                if (stopped_)
                    return false;
                if (isMarker(line.text)) {
                    section.marker = line;
                    section.ended = true;
                    break;
                }
                onlyBlank = onlyBlank && isBlank(line.text);
                if (section.count++ == 0)
                    section.firstNumber = line.number;
                section.last = line;
                if (s >= 6 && line.dollar != std::string_view::npos)
                    cutTextLines_.push_back({line, s});
            }
            if (section.ended)
                continue;
            if (s == 0 && onlyBlank)
                return false;
            const long where = lines_.read() ? lines_.read() : 1;
            if (s == 9 && section.count > 0) {
                add(document, where, "the last record is truncated: its end line \"$@$\" is missing");
                break;
            }
            add(document, where,
                std::string("the last record is truncated in its ") + kSectionNames[s] + ", so it is not loaded");
            return false;
        }

        for (int s = 0; s < 10; ++s)
            if (sections[static_cast<size_t>(s)].ended)
                checkMarker(document, s, sections[static_cast<size_t>(s)].marker);
        if (sections[0].count > 0)
            add(document, sections[0].firstNumber, "lines before the record's first marker are ignored");
        for (int s = 1; s <= 5; ++s) {
            const Section &section = sections[static_cast<size_t>(s)];
            if (section.count == 0)
                add(document, section.marker.number, std::string("the ") + kSectionNames[s] + " is missing");
            else if (section.count > 1)
                add(document, section.firstNumber,
                    std::string("the ") + kSectionNames[s] + " takes more than one line; only the last is read");
        }
        if (sections[1].count > 0) {
            const NumberedText &numberLine = sections[1].last;
            int64_t value = 0;
            if (!cleanNumber(withoutDollars(numberLine.text, scratch_), value))
                add(document, numberLine.number, "the document number " + quoted(numberLine.text) + " is not a number");
        }
        std::array<int64_t, 19> first;
        first.fill(0);
        bool firstRead = numbers(document, sections[2], kFirstItems, first);
        checkNames(document, sections[3], kAuthorCount, "author");
        std::array<int64_t, 19> second;  // only checked
        numbers(document, sections[4], kSecondItems, second);
        checkNames(document, sections[5], kSubstanceCount, "substance");
        for (const auto &[line, s] : cutTextLines_)
            add(document, line.number,
                std::string("the ") + kSectionNames[s] + " line is cut at its \"$\": " + quoted(line.text));
        for (int s = 6; s <= 9 && firstRead; ++s) {
            const Section &section = sections[static_cast<size_t>(s)];
            int64_t stored = first[static_cast<size_t>(13 + s - 6)];
            const int64_t expected = section.count + 1;
            // An empty text with count 0 is what an add left without "OK" writes.
            const bool abandoned = stored == 0 && section.count == 0;
            if (stored != expected && !abandoned)
                add(document, sections[2].last.number,
                    std::string(kSectionNames[s]) + ": " + std::to_string(section.count) +
                        " text line(s), but the line count says " + std::to_string(stored) + " (" +
                        std::to_string(expected) + " expected)");
        }
        return true;
    }

    void checkMarker(int document, int section, const NumberedText &marker)
    {
        std::string_view expected = section == 9 ? "$@$" : "$";
        std::string_view text = marker.text;
        while (!text.empty() && text.back() == ' ')
            text.remove_suffix(1);
        while (!text.empty() && text.front() == ' ')
            text.remove_prefix(1);
        if (text == expected)
            return;
        if (text == "$@$")
            add(document, marker.number,
                std::string("the record ends early, in its ") + kSectionNames[section] +
                    "; the sections that follow are shifted");
        else if (section == 9)
            add(document, marker.number,
                std::string("the record's end line \"$@$\" is missing here; the records that follow are shifted"));
        else
            add(document, marker.number,
                std::string("a line that looks like a marker cuts the ") + kSectionNames[section] +
                    " short: " + quoted(marker.text));
    }

    // Reads a number line; false when there is none to read.
    bool numbers(int document, const Section &section, const char *const (&names)[19], std::array<int64_t, 19> &values)
    {
        if (section.count == 0)
            return false;
        const NumberedText &line = section.last;
        const std::string_view text = withoutDollars(line.text, scratch_);
        size_t count = 0;
        for (const char *p = text.data(), *end = p + text.size();; ++p) {
            const char *at = p;
            while (at != end && *at != '@')
                ++at;
            const std::string_view item(p, static_cast<size_t>(at - p));
            if (count < values.size()) {
                int64_t value = 0;
                if (item.size() == 1 && item[0] >= '0' && item[0] <= '9')
                    values[count] = item[0] - '0';  // most items: one digit
                else if (cleanNumber(item, value))
                    values[count] = value;  // as the loader reads it
                else {
                    add(document, line.number,
                        std::string("item ") + std::to_string(count + 1) + " (" + names[count] + ") " + quoted(item) +
                            " is not a number");
                    values[count] = readNumber(item);  // what the loader takes
                }
            }
            ++count;
            if (at == end)
                break;
            p = at;
        }
        if (count != values.size())
            add(document, line.number,
                std::to_string(count) + " items where " + std::to_string(values.size()) + " belong");
        return true;
    }

    void checkNames(int document, const Section &section, size_t capacity, const std::string &what)
    {
        if (section.count == 0)
            return;
        const NumberedText &line = section.last;
        if (line.text.find('$') != std::string_view::npos)
            add(document, line.number, "the \"$\" in the " + what + " line is dropped on load");
        const std::string_view text = withoutDollars(line.text, scratch_);
        size_t end = text.find("@@");
        std::string_view list = text.substr(0, end);
        size_t names = 1;
        for (char c : list)
            names += c == '@';
        if (names > capacity)
            add(document, line.number,
                "more than " + std::to_string(capacity) + " " + what + " names; the rest are not loaded");
        if (end != std::string_view::npos && text.find_first_not_of('@', end) != std::string_view::npos)
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
    std::vector<std::pair<NumberedText, int>> cutTextLines_;  // text lines with a "$", and their section
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
