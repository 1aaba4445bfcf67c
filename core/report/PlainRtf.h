#pragma once

#include <string>
#include <string_view>

namespace kaldex {

/**
 * Windows-1251 text, one paragraph a line, as RTF in one font: the bytes the
 * editor's writer gives for the same text as a plain document, without the
 * toolkit. For the command-line tool's reports.
 */
std::string plainTextRtf(std::string_view cp1251Text, std::string_view fontFamily, int halfPoints);

/** The family word (fmodern, fswiss, froman) a reader falls back on when it lacks the font. */
const char *rtfFamilyWord(std::string_view fontFamily);

}  // namespace kaldex
