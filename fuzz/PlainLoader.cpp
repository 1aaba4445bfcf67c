#include "fuzz/PlainLoader.h"

#include "core/store/Number.h"

namespace kaldex::fuzz {
namespace {

bool nextLine(std::string_view &rest, std::string_view &line)
{
    if (rest.empty())
        return false;
    size_t end = rest.find('\n');
    line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return true;
}

bool isMarker(std::string_view line)
{
    size_t dollar = line.find('$');
    return dollar != std::string_view::npos && dollar <= 3 && line.find_first_not_of(' ') == dollar;
}

std::string withoutDollars(std::string_view line)
{
    std::string out;
    for (char c : line)
        if (c != '$')
            out += c;
    return out;
}

void readNumbers(const std::string &line, std::array<int32_t, 19> &items)
{
    items.fill(0);
    size_t start = 0;
    for (size_t index = 0; index < items.size(); ++index) {
        size_t at = line.find('@', start);
        items[index] = readNumber(std::string_view(line).substr(start, at == std::string::npos ? at : at - start));
        if (at == std::string::npos)
            break;
        start = at + 1;
    }
}

template <size_t N> void readNames(const std::string &line, std::array<std::string, N> &names)
{
    size_t index = 0, start = 0;
    for (size_t i = 0;; ++i) {
        bool end = i == line.size();
        bool listEnd = end || (line[i] == '@' && i + 1 < line.size() && line[i + 1] == '@');
        if (listEnd || line[i] == '@') {
            if (index < N)
                names[index] = line.substr(start, i - start);
            if (listEnd)
                return;
            ++index;
            start = i + 1;
        }
    }
}

}  // namespace

int plainLoad(std::vector<PlainRecord> &slots, std::string_view rest)
{
    std::string_view line, last;
    long counter = 0;
    int slot = 1;
    for (; slot < static_cast<int>(slots.size()); ++slot) {
        PlainRecord &r = slots[static_cast<size_t>(slot)];
        for (int section = 0; section < 10; ++section) {
            std::string *text = section >= 6 ? &r.texts[static_cast<size_t>(section - 6)] : nullptr;
            if (text)
                text->clear();
            bool readAny = false;
            while (nextLine(rest, line)) {
                readAny = true;
                ++counter;
                if (isMarker(line))
                    break;
                last = line;
                if (text)
                    *text += std::string(line.substr(0, line.find('$'))) + "\n";
            }
            if (!readAny)
                return slot - 1;
            const std::string content = withoutDollars(last);
            if (section == 1)
                r.number = readNumber(content);
            if (section == 2) {
                readNumbers(content, r.first);
                r.fileLine = static_cast<int32_t>(counter);
            }
            if (section == 3)
                readNames(content, r.authors);
            if (section == 4)
                readNumbers(content, r.second);
            if (section == 5)
                readNames(content, r.substances);
        }
    }
    return slot - 1;
}

}  // namespace kaldex::fuzz
