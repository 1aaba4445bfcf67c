#pragma once

#include "core/store/DocumentRecord.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kaldex {

/** Every field the file keeps but the number (the place) and the file line (recounted on load). */
std::string storedFields(const DocumentRecord &record);

/** A hash of storedFields(): the state a document is in, never 0. */
uint64_t storedState(const DocumentRecord &record);

/**
 * What a side file says of one of its documents: the number of the document
 * it changes and the state that document was loaded in; number 0 for a
 * document the session added.
 */
struct ChangeMark {
    int number = 0;
    uint64_t state = 0;
};

/**
 * The line a side file puts before the record of a changed document. A load
 * ignores what lies before a record's first marker, so a side file stays a
 * database that any load and "append" read.
 */
std::string changeMarkLine(const ChangeMark &mark);

/** The mark a line holds, or number 0. */
ChangeMark readChangeMark(std::string_view line);

/** Each record's mark, in file order, records counted as a load counts them. */
std::vector<ChangeMark> changeMarks(std::string_view bytes);

}  // namespace kaldex
