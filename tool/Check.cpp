#include "tool/Check.h"

#include "store/DocumentStore.h"
#include "store/Number.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

namespace kaldex::tool {
namespace {

struct Line {
    std::string_view text;  // without CR LF
    long number = 0;
};

std::vector<Line> splitLines(std::string_view bytes)
{
    std::vector<Line> lines;
    long number = 0;
    while (!bytes.empty()) {
        size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back({line, ++number});
    }
    return lines;
}

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
    "space before the record", "document number", "first number line", "author line",
    "second number line", "substance line", "citation", "abstract", "notes", "provenance",
};

const char *const kFirstItems[19] = {
    "Oth", "Vis", "Con", "Tdi", "Dif", "Pot", "Vir", "Bea", "Spe", "The", "Exp",
    "authorCount", "substanceCount", "citation line count", "abstract line count",
    "notes line count", "provenance line count", "fileLine", "last item",
};

const char *const kSecondItems[19] = {
    "pair11", "pair12", "pair22", "pair13", "pair23", "pair33", "pair14", "pair24", "pair34", "pair44",
    "pair15", "pair25", "pair35", "pair45", "pair55", "year", "upperYear", "lowerYear", "wantedNumber",
};

std::string withoutDollars(std::string_view line)
{
    std::string out;
    for (char c : line)
        if (c != '$')
            out += c;
    return out;
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
    explicit Checker(std::string_view bytes) : lines_(splitLines(bytes)) {}

    std::vector<Problem> run()
    {
        for (int document = 1;; ++document) {
            if (document > DocumentStore::kMaxDocuments) {
                checkOverflow(document);
                break;
            }
            if (!record(document))
                break;
        }
        // Byte problems are found while reading, the rest per record: file order.
        std::stable_sort(problems_.begin(), problems_.end(), [](const Problem &a, const Problem &b) {
            return a.document != b.document ? a.document < b.document : a.line < b.line;
        });
        return std::move(problems_);
    }

private:
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
        for (; next_ < lines_.size(); ++next_) {
            const Line &line = lines_[next_];
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
        struct Section {
            std::vector<Line> content;
            const Line *marker = nullptr;
        };
        std::array<Section, 10> sections;
        bool onlyBlank = true;
        bool utf8Reported = false;
        for (int s = 0; s < 10; ++s) {
            Section &section = sections[static_cast<size_t>(s)];
            while (next_ < lines_.size()) {
                const Line &line = lines_[next_++];
                checkBytes(document, line, utf8Reported);
                if (isMarker(line.text)) {
                    section.marker = &line;
                    break;
                }
                onlyBlank = onlyBlank && isBlank(line.text);
                section.content.push_back(line);
            }
            if (section.marker)
                continue;
            if (s == 0 && onlyBlank)
                return false;
            long where = lines_.empty() ? 1 : lines_.back().number;
            if (s == 9 && !section.content.empty()) {
                add(document, where, "the last record is truncated: its end line \"$@$\" is missing");
                break;
            }
            add(document, where,
                std::string("the last record is truncated in its ") + kSectionNames[s] + ", so it is not loaded");
            return false;
        }

        for (int s = 0; s < 10; ++s)
            checkMarker(document, s, sections[static_cast<size_t>(s)].marker);
        if (!sections[0].content.empty())
            add(document, sections[0].content.front().number, "lines before the record's first marker are ignored");
        for (int s = 1; s <= 5; ++s) {
            const Section &section = sections[static_cast<size_t>(s)];
            long at = section.marker ? section.marker->number : 0;
            if (section.content.empty())
                add(document, at, std::string("the ") + kSectionNames[s] + " is missing");
            else if (section.content.size() > 1)
                add(document, section.content.front().number,
                    std::string("the ") + kSectionNames[s] + " takes more than one line; only the last is read");
        }
        const std::vector<Line> &numberLine = sections[1].content;
        if (!numberLine.empty()) {
            int64_t value = 0;
            if (!cleanNumber(withoutDollars(numberLine.back().text), value))
                add(document, numberLine.back().number,
                    "the document number " + quoted(numberLine.back().text) + " is not a number");
        }
        std::array<int64_t, 19> first{};
        bool firstRead = numbers(document, sections[2].content, kFirstItems, first);
        checkNames(document, sections[3].content, kAuthorCount, "author");
        std::array<int64_t, 19> second{};
        numbers(document, sections[4].content, kSecondItems, second);
        checkNames(document, sections[5].content, kSubstanceCount, "substance");
        for (int s = 6; s <= 9; ++s) {
            const Section &section = sections[static_cast<size_t>(s)];
            for (const Line &line : section.content)
                if (line.text.find('$') != std::string_view::npos)
                    add(document, line.number,
                        std::string("the ") + kSectionNames[s] + " line is cut at its \"$\": " + quoted(line.text));
            if (!firstRead)
                continue;
            int64_t stored = first[static_cast<size_t>(13 + s - 6)];
            auto expected = static_cast<int64_t>(section.content.size()) + 1;
            // An empty text with count 0 is what an add left without "OK" writes.
            const bool abandoned = stored == 0 && section.content.empty();
            if (stored != expected && !abandoned)
                add(document, sections[2].content.back().number,
                    std::string(kSectionNames[s]) + ": " + std::to_string(section.content.size()) +
                        " text line(s), but the line count says " + std::to_string(stored) + " (" +
                        std::to_string(expected) + " expected)");
        }
        return true;
    }

    void checkMarker(int document, int section, const Line *marker)
    {
        std::string_view expected = section == 9 ? "$@$" : "$";
        std::string_view text = marker->text;
        while (!text.empty() && text.back() == ' ')
            text.remove_suffix(1);
        while (!text.empty() && text.front() == ' ')
            text.remove_prefix(1);
        if (text == expected)
            return;
        if (text == "$@$")
            add(document, marker->number,
                std::string("the record ends early, in its ") + kSectionNames[section] +
                    "; the sections that follow are shifted");
        else if (section == 9)
            add(document, marker->number,
                std::string("the record's end line \"$@$\" is missing here; the records that follow are shifted"));
        else
            add(document, marker->number,
                std::string("a line that looks like a marker cuts the ") + kSectionNames[section] +
                    " short: " + quoted(marker->text));
    }

    // Reads a number line; false when there is none to read.
    bool numbers(int document, const std::vector<Line> &content, const char *const (&names)[19],
                 std::array<int64_t, 19> &values)
    {
        if (content.empty())
            return false;
        const Line &line = content.back();
        std::string text = withoutDollars(line.text);
        size_t count = 0;
        size_t start = 0;
        for (;;) {
            size_t at = text.find('@', start);
            std::string_view item = std::string_view(text).substr(start, at == std::string::npos ? at : at - start);
            if (count < values.size()) {
                int64_t value = 0;
                if (!cleanNumber(item, value))
                    add(document, line.number,
                        std::string("item ") + std::to_string(count + 1) + " (" + names[count] + ") " +
                            quoted(item) + " is not a number");
                values[count] = readNumber(item);  // what the loader takes
            }
            ++count;
            if (at == std::string::npos)
                break;
            start = at + 1;
        }
        if (count != values.size())
            add(document, line.number,
                std::to_string(count) + " items where " + std::to_string(values.size()) + " belong");
        return true;
    }

    void checkNames(int document, const std::vector<Line> &content, size_t capacity, const std::string &what)
    {
        if (content.empty())
            return;
        const Line &line = content.back();
        if (line.text.find('$') != std::string_view::npos)
            add(document, line.number, "the \"$\" in the " + what + " line is dropped on load");
        std::string text = withoutDollars(line.text);
        size_t end = text.find("@@");
        std::string_view list = std::string_view(text).substr(0, end);
        size_t names = 1;
        for (char c : list)
            names += c == '@';
        if (names > capacity)
            add(document, line.number,
                "more than " + std::to_string(capacity) + " " + what + " names; the rest are not loaded");
        if (end != std::string::npos && text.find_first_not_of('@', end) != std::string::npos)
            add(document, line.number,
                "a gap in the " + what + " names: those after it are not loaded: " + quoted(text.substr(end)));
    }

    void checkBytes(int document, const Line &line, bool &utf8Reported)
    {
        for (size_t i = 0; i < line.text.size(); ++i) {
            auto c = static_cast<unsigned char>(line.text[i]);
            if ((c < 0x20 && c != '\t') || c == 0x7F || c == 0x98) {
                char hex[8];
                static const char digits[] = "0123456789ABCDEF";
                hex[0] = '0';
                hex[1] = 'x';
                hex[2] = digits[c >> 4];
                hex[3] = digits[c & 15];
                hex[4] = '\0';
                add(document, line.number,
                    std::string("byte ") + hex + " at column " + std::to_string(i + 1) + " is not Windows-1251 text");
                return;
            }
        }
        if (!utf8Reported && looksLikeUtf8(line.text)) {
            utf8Reported = true;
            add(document, line.number, "the text looks like UTF-8, not Windows-1251");
        }
    }

    std::vector<Line> lines_;
    size_t next_ = 0;
    std::vector<Problem> problems_;
};

}  // namespace

std::vector<Problem> checkDatabase(std::string_view bytes)
{
    return Checker(bytes).run();
}

}  // namespace kaldex::tool
