#pragma once

#include <string>
#include <string_view>

namespace kaldex {

/**
 * Windows-1251 and UTF-8 for the core, which knows no toolkit: the program's
 * fixed texts are written in UTF-8 source and stored as Windows-1251 bytes.
 * Throws std::invalid_argument on a character the code page cannot hold, or
 * on bytes that are not UTF-8.
 */
std::string cp1251FromUtf8(std::string_view utf8);

/** Every byte but 0x98 (unassigned, kept as U+FFFD) has its character. */
std::string utf8FromCp1251(std::string_view bytes);

}  // namespace kaldex
