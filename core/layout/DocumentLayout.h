#pragma once

#include "core/store/DocumentRecord.h"

#include <string>
#include <string_view>
#include <vector>

namespace kaldex {

/**
 * Lines of a display written by index. Writing s at i replaces line i with
 * the text before s's first line feed; every further piece becomes a new line
 * inserted after it. A write past the last line is ignored.
 */
class LineBuffer {
public:
    LineBuffer() : lines_(1) {}

    void clear() { lines_.assign(1, std::string()); }
    void write(size_t index, std::string_view text);
    const std::vector<std::string> &lines() const { return lines_; }

private:
    std::vector<std::string> lines_;
};

/**
 * The viewer's text of the document in a slot (Windows-1251 lines, the last
 * one empty): the fixed block of number, flags, year, names, then the four
 * texts under their headings and the end line. The number shown is the slot.
 */
std::vector<std::string> layoutDocument(const DocumentRecord &record, int slot);

}  // namespace kaldex
