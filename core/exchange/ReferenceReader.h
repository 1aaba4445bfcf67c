#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace kaldex::tool {

/** A person as libbibutils splits the name: the family name and each given name. */
struct PersonName {
    std::string family;
    std::vector<std::string> given;
};

/** One reference as libbibutils reads it; every text in UTF-8. */
struct Reference {
    int line = 0;  // where it starts in the file; 0 when the format does not tell
    std::vector<PersonName> authors;
    std::string title;
    std::string host;  // the journal, or the book a chapter is in
    std::string year;
    std::string volume;
    std::string issue;
    std::string firstPage;
    std::string lastPage;
    std::string publisher;
    std::string address;
    std::string abstract;
    std::string doi;
    std::string url;
    std::vector<std::string> keywords;
};

/** A file that gives no reference; the message names the file and the line. */
struct ReadError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/** The formats by the names --from takes: ris, bibtex, biblatex, endnote, endnotexml, medline, nbib, isi, mods. */
const std::vector<std::string> &referenceFormats();

/** The format the bytes look like, or empty. */
std::string guessFormat(const std::string &bytes);

/**
 * Reads every reference of the file through libbibutils, in the named format
 * (empty: guessed from the content). Throws ReadError when the file cannot be
 * read, when libbibutils finds it broken (naming the line of the reference),
 * when it holds no reference or one with neither title nor author. What
 * libbibutils only warns about is added to warnings.
 */
std::vector<Reference> readReferences(const std::string &path, std::string &format, std::vector<std::string> &warnings);

}  // namespace kaldex::tool
