#pragma once

#include <functional>
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

/** What checkDatabase() found beside the problems. */
struct CheckSummary {
    int documents = 0;          // how many documents a load of the bytes gives
    bool foreignBytes = false;  // a byte no Windows-1251 text holds (a control byte but tab and line ends, DEL, 0x98)
    bool stopped = false;       // stopFor() said so: the problems are not all there
};

/**
 * Reads database bytes the way the loader does and lists, in file order,
 * what a load would lose, misread or a save would not write back.
 * Messages are plain ASCII apart from quoted file text (Windows-1251).
 * Once a thousand lines hold foreign bytes, stopFor (when given) is asked
 * whether to go on: a binary file need not be listed line by line.
 */
std::vector<Problem> checkDatabase(std::string_view bytes, CheckSummary *summary = nullptr,
                                   const std::function<bool()> &stopFor = {});

/**
 * As above, reading the file open on fd (size bytes, as it was found) a
 * piece at a time, as cat reads a file: the memory it touches stays small
 * whatever the file's size. Throws std::system_error when a read fails.
 */
std::vector<Problem> checkDatabaseFile(int fd, size_t size, CheckSummary *summary = nullptr,
                                       const std::function<bool()> &stopFor = {});

}  // namespace kaldex::tool
