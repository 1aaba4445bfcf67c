#include "core/store/ChangeMark.h"

#include "core/store/DatabaseFile.h"
#include "core/store/DatabaseWriter.h"
#include "core/store/RecordFormat.h"

#include <cstdio>

namespace kaldex {

namespace {

constexpr std::string_view kChanged = "changed document ";
constexpr std::string_view kLoadedAs = ", loaded as ";
constexpr size_t kStateDigits = 16;

}  // namespace

std::string storedFields(const DocumentRecord &record)
{
    DocumentRecord copy = record;
    copy.fileLine = 0;
    std::string out;
    appendRecord(out, copy, 0);
    return out;
}

uint64_t storedState(const DocumentRecord &record)
{
    const uint64_t hash = hashBytes(storedFields(record));
    return hash == 0 ? 1 : hash;
}

std::string changeMarkLine(const ChangeMark &mark)
{
    char state[kStateDigits + 1] = {};
    std::snprintf(state, sizeof state, "%016llx", static_cast<unsigned long long>(mark.state));
    return std::string(kChanged) + std::to_string(mark.number) + std::string(kLoadedAs) + state;
}

ChangeMark readChangeMark(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.substr(0, kChanged.size()) != kChanged)
        return {};
    line.remove_prefix(kChanged.size());
    ChangeMark mark;
    size_t digits = 0;
    for (; digits < line.size() && digits < 5 && line[digits] >= '0' && line[digits] <= '9'; ++digits)
        mark.number = mark.number * 10 + (line[digits] - '0');
    line.remove_prefix(digits);
    if (digits == 0 || line.substr(0, kLoadedAs.size()) != kLoadedAs)
        return {};
    line.remove_prefix(kLoadedAs.size());
    if (line.size() != kStateDigits)
        return {};
    for (char c : line) {
        const int value = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (value < 0)
            return {};
        mark.state = mark.state << 4 | static_cast<uint64_t>(value);
    }
    return mark.state == 0 ? ChangeMark{} : mark;
}

std::vector<ChangeMark> changeMarks(std::string_view bytes)
{
    std::vector<ChangeMark> marks;
    size_t markers = 0;
    while (!bytes.empty()) {
        const size_t feed = bytes.find('\n');
        std::string_view line = bytes.substr(0, feed);
        bytes.remove_prefix(feed == std::string_view::npos ? bytes.size() : feed + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (isMarker(line, line.find('$'))) {
            ++markers;
            continue;
        }
        if (markers % kSectionCount != kLeadSection)
            continue;
        const ChangeMark mark = readChangeMark(line);
        if (mark.number == 0)
            continue;
        const size_t record = markers / kSectionCount;
        if (marks.size() <= record)
            marks.resize(record + 1);
        marks[record] = mark;
    }
    return marks;
}

}  // namespace kaldex
