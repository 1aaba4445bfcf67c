#pragma once

#include "core/store/DocumentRecord.h"

#include <string>

namespace kaldex::tool {

/*
 * One document as a reference for reference managers. Both take the record's
 * Windows-1251 bytes and give Windows-1251 text (the ASCII syntax of the
 * format around the record's own bytes); slot names the record ("kaldexN").
 * A citation in the house style (see CitationSplit.h) is split into the
 * format's fields, its author list taken when it names more than the three
 * stored; any other citation goes whole into the format's note field. Texts
 * are joined into one line each; empty fields are left out.
 */

/** An RIS record (JOUR, BOOK, else GEN), lines ended by CR LF, closed by "ER  - ". */
std::string risReference(const DocumentRecord &record, int slot);

/** A BibTeX @article, @book or @misc entry with its special characters escaped. */
std::string bibtexReference(const DocumentRecord &record, int slot);

/** Whether the record's citation splits into an article's or a book's fields. */
bool splitsIntoFields(const DocumentRecord &record);

/** A stored name "Surname I.O." as "Surname, I.O."; any other name as stored. */
std::string invertedName(const std::string &name);

}  // namespace kaldex::tool
