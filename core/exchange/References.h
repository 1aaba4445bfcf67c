#pragma once

#include "core/store/DocumentRecord.h"

#include <string>

namespace kaldex::tool {

/*
 * One document as a reference for reference managers. Both take the record's
 * Windows-1251 bytes and give Windows-1251 text (the ASCII syntax of the
 * format around the record's own bytes); slot names the record ("kaldexN").
 * The citation text, which holds title, journal and pages in one, goes whole
 * into the format's note field; texts are joined into one line each; empty
 * fields are left out.
 */

/** An RIS record of type GEN, lines ended by CR LF, closed by "ER  - ". */
std::string risReference(const DocumentRecord &record, int slot);

/** A BibTeX @misc entry with its special characters escaped. */
std::string bibtexReference(const DocumentRecord &record, int slot);

/** A stored name "Surname I.O." as "Surname, I.O."; any other name as stored. */
std::string invertedName(const std::string &name);

}  // namespace kaldex::tool
