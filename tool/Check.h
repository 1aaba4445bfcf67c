#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kaldex::tool {

/** One thing the loader would read differently from what the file means. */
struct Problem {
    int document = 0;  // record position, 1-based; the slot it loads into
    long line = 0;     // file line, 1-based
    std::string message;
};

/**
 * Reads database bytes the way the loader does and lists, in file order,
 * what a load would lose, misread or a save would not write back.
 * Messages are plain ASCII apart from quoted file text (Windows-1251).
 */
std::vector<Problem> checkDatabase(std::string_view bytes);

}  // namespace kaldex::tool
