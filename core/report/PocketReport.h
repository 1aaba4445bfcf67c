#pragma once

#include "core/store/DocumentStore.h"

#include <string>
#include <vector>

namespace kaldex {

/**
 * The report the pocket editor opens with: one block of lines per pocket
 * entry, in pocket order, in Windows-1251. A line may hold line feeds of its
 * own (most end with one), so it shows as more than one editor line. The
 * last position, after the last block, is empty; an empty pocket gives one
 * empty line. The list grows as far as the pocket needs.
 */
std::vector<std::string> buildReport(const DocumentStore &store);

/** The editor's text: the report lines, one editor line each. */
std::string reportText(const std::vector<std::string> &lines);

}  // namespace kaldex
