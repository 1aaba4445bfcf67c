#pragma once

#include <string>
#include <string_view>

namespace kaldex {

// What the database file cannot carry back: the entry window refuses such
// input rather than let a save lose or corrupt it.

/** A "$" anywhere: the loader cuts a line at it. */
inline bool hasDollar(std::string_view text)
{
    return text.find('$') != std::string_view::npos;
}

/** A name may hold neither "$" nor the "@" that separates names. */
inline bool badNameCharacter(std::string_view name, char *which)
{
    size_t at = name.find_first_of("$@");
    if (at == std::string_view::npos)
        return false;
    *which = name[at];
    return true;
}

/**
 * Index of the first empty name, from the second on, that a filled one
 * follows: the file ends a list at an empty name after the first, so the
 * names behind it would be lost. -1 when there is none.
 */
int firstGap(const std::string *names, int count);

}  // namespace kaldex
