#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kaldex {

/**
 * Reads a number as the user types it and the file stores it: leading white
 * space, an optional sign, decimal digits up to the first other character.
 * No digits gives 0; a value beyond the 32-bit range saturates to its bound.
 */
int32_t readNumber(std::string_view text);

/** Appends plain decimal, "-" when negative. */
void appendNumber(std::string &out, int32_t value);
std::string formatNumber(int32_t value);

}  // namespace kaldex
