#include "core/exchange/References.h"

#include "core/exchange/CitationSplit.h"
#include "core/store/Number.h"

#include <vector>

namespace kaldex::tool {

namespace {

// The subject keys in words, in category order (Oth Vis Con Tdi Dif Pot Vir Bea Spe The Exp).
const char *const kKeyWords[kCategoryCount] = {
    "other",
    "viscosity",
    "thermal conductivity",
    "thermal diffusion",
    "diffusion",
    "interaction potential",
    "virial coefficients",
    "molecular beams",
    "spectroscopy",
    "theory",
    "experiment",
};

// The stored names, or the citation's list when it names more.
std::vector<std::string> authors(const DocumentRecord &r, const CitationParts &parts)
{
    std::vector<std::string> names;
    for (const FieldText &name : r.authors)
        if (!oneLine(name).empty())
            names.push_back(oneLine(name));
    return parts.authors.size() > names.size() ? parts.authors : names;
}

std::vector<std::string> keywords(const DocumentRecord &r)
{
    std::vector<std::string> words;
    for (int key = 0; key < kCategoryCount; ++key)
        if (r.categoryFlags[static_cast<size_t>(key)] == 1)
            words.emplace_back(kKeyWords[key]);
    for (const FieldText &substance : r.substances)
        if (!oneLine(substance).empty())
            words.push_back(oneLine(substance));
    return words;
}

std::string bibtexEscaped(const std::string &text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\textbackslash{}"; break;
        // BibTeX counts braces even after a backslash, so none is written bare.
        case '{': out += "\\textbraceleft{}"; break;
        case '}': out += "\\textbraceright{}"; break;
        case '^': out += "\\^{}"; break;
        case '~': out += "\\~{}"; break;
        case '$':
        case '&':
        case '%':
        case '#':
        case '_':
            out += '\\';
            out += c;
            break;
        default: out += c;
        }
    }
    return out;
}

// A name BibTeX splits as "Last, First", or kept whole in braces.
std::string bibtexName(const std::string &name)
{
    std::string inverted = invertedName(name);
    std::string lower;
    for (char c : name)
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    bool plain = inverted != name && lower.find(" and ") == std::string::npos;
    return plain ? bibtexEscaped(inverted) : "{" + bibtexEscaped(name) + "}";
}

// Words a style must not lower-case (formulas, "HFD", "IV") kept in braces.
std::string protectedCapitals(const std::string &title)
{
    std::string out;
    size_t at = 0;
    while (at < title.size()) {
        size_t end = title.find(' ', at);
        if (end == std::string::npos)
            end = title.size();
        const std::string word = title.substr(at, end - at);
        bool inner = false;
        for (size_t i = 1; i < word.size(); ++i)
            inner = inner || (word[i] >= 'A' && word[i] <= 'Z');
        const bool escaped = word.find('\\') != std::string::npos;
        out += (at == 0 ? "" : " ") + (inner && !escaped ? "{" + word + "}" : word);
        at = end + 1;
    }
    return out;
}

}  // namespace

std::string invertedName(const std::string &name)
{
    std::vector<std::string> words;
    for (size_t at = 0; at < name.size();) {
        size_t end = name.find(' ', at);
        if (end == std::string::npos)
            end = name.size();
        if (end > at)
            words.push_back(name.substr(at, end - at));
        at = end + 1;
    }
    size_t surname = words.size();
    while (surname > 1 && isInitials(words[surname - 1]))
        --surname;
    if (surname == words.size() || name.find(',') != std::string::npos)
        return name;
    std::string out;
    for (size_t i = 0; i < words.size(); ++i)
        out += (i == 0 ? "" : i == surname ? ", " : " ") + words[i];
    return out;
}

std::string risReference(const DocumentRecord &r, int slot)
{
    const CitationParts parts = splitCitation(r.citation);
    const bool article = parts.kind == CitationParts::Kind::Article;
    const bool book = parts.kind == CitationParts::Kind::Book;
    std::string out;
    auto field = [&out](const char *tag, const std::string &value) {
        if (!value.empty())
            out += std::string(tag) + "  - " + value + "\r\n";
    };
    field("TY", article ? "JOUR" : book ? "BOOK" : "GEN");
    field("ID", "kaldex" + std::to_string(slot));
    for (const std::string &name : authors(r, parts))
        field("AU", invertedName(name));
    field("PY", r.year != 0 ? formatNumber(r.year) : parts.year);
    if (article || book) {
        field("TI", parts.title);
        field("T2", parts.journal);
        field("JO", parts.journal);
        field("VL", parts.volume);
        field("IS", parts.number);
        field("SP", parts.firstPage);
        field("EP", parts.lastPage);
        field("ET", parts.edition);
        field("T3", parts.series);
        field("PB", parts.publisher);
        field("CY", parts.address);
        field("N1", parts.note);
        field("LA", hasCyrillic(parts.title) ? "Russian" : "");
    } else {
        field("N1", oneLine(r.citation));
    }
    field("AB", oneLine(r.abstract));
    field("N1", oneLine(r.notes));
    for (const std::string &word : keywords(r))
        field("KW", word);
    return out + "ER  - \r\n";
}

std::string bibtexReference(const DocumentRecord &r, int slot)
{
    const CitationParts parts = splitCitation(r.citation);
    const bool article = parts.kind == CitationParts::Kind::Article;
    const bool book = parts.kind == CitationParts::Kind::Book;
    std::string out = std::string(article ? "@article" : book ? "@book" : "@misc") + "{kaldex" + std::to_string(slot);
    auto field = [&out](const char *name, const std::string &value) {
        if (!value.empty())
            out += std::string(",\n  ") + name + " = {" + value + "}";
    };
    std::string names;
    for (const std::string &name : authors(r, parts))
        names += (names.empty() ? "" : " and ") + bibtexName(name);
    field("author", names);
    if (article || book) {
        field("title", protectedCapitals(bibtexEscaped(parts.title)));
        field("journal", bibtexEscaped(parts.journal));
        field("edition", bibtexEscaped(parts.edition));
        field("series", bibtexEscaped(parts.series));
        field("publisher", bibtexEscaped(parts.publisher));
        field("address", bibtexEscaped(parts.address));
    }
    field("year", r.year != 0 ? formatNumber(r.year) : parts.year);
    if (article || book) {
        field("volume", bibtexEscaped(parts.volume));
        field("number", bibtexEscaped(parts.number));
        field("pages", bibtexEscaped(parts.firstPage + (parts.lastPage.empty() ? "" : "--" + parts.lastPage)));
        field("note", bibtexEscaped(parts.note));
        // Styles change the case of titles in English only.
        field("langid", hasCyrillic(parts.title) ? "russian" : "");
    } else {
        field("howpublished", bibtexEscaped(oneLine(r.citation)));
    }
    field("abstract", bibtexEscaped(oneLine(r.abstract)));
    // The notes are the abstracter's remarks: an annotation, which styles do not print.
    field("annote", bibtexEscaped(oneLine(r.notes)));
    std::string words;
    for (const std::string &word : keywords(r))
        words += (words.empty() ? "" : ", ") + bibtexEscaped(word);
    field("keywords", words);
    return out + "\n}\n";
}

bool splitsIntoFields(const DocumentRecord &record)
{
    return splitCitation(record.citation).kind != CitationParts::Kind::None;
}

}  // namespace kaldex::tool
