#pragma once

#include "core/exchange/ReferenceReader.h"
#include "core/exchange/Transliteration.h"
#include "core/store/DocumentRecord.h"

#include <string>
#include <string_view>
#include <vector>

namespace kaldex::tool {

/** Where the references come from, for the provenance. */
struct ImportSource {
    std::string fileName;  // UTF-8, without its folder
    std::string format;    // the --from name
    std::string date;      // "14.03.2026"
    bool classify = false;
};

/** A reference as a document of the database, and what it took to get there. */
struct ImportedDocument {
    DocumentRecord record;
    std::string surname;               // the first author's, Windows-1251
    std::string title;                 // Windows-1251
    std::vector<std::string> changes;  // "ü → u", "name cut to 19 characters: …" (UTF-8)
};

/**
 * The document for a reference: the first three authors as "Surname I.O.",
 * the year, the citation in the database's style ("Authors Title // Journal.
 * Year. V. 67, N 3. P. 5719–5726." or "Authors Title. Place: Publisher,
 * Year."; with Т., №, С. and "— М.:" for a Cyrillic title) naming every
 * author, the abstract, DOI, URL and keywords in the notes, and the
 * provenance. Subject keys and substances only when source.classify is set.
 * Texts are wrapped at 100 characters; a "$" (which the file cannot keep) is
 * dropped and said so.
 */
ImportedDocument importedDocument(const Reference &reference, const ImportSource &source, Transliterator &cp1251);

/**
 * Sets the subject keys from property words and the substances from gas
 * names and formulas found in the Windows-1251 text (English and Russian),
 * each substance pure, and every pair when the text speaks of mixtures.
 */
void classify(DocumentRecord &record, std::string_view text);

/**
 * Whether the document already holds the reference: the same year, the same
 * first author's surname, and its title within the document's citation,
 * compared without case, punctuation, spaces or line breaks.
 */
bool holdsReference(const DocumentRecord &document, const ImportedDocument &imported);

}  // namespace kaldex::tool
