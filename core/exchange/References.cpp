#include "core/exchange/References.h"

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

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The lines of a text as one line: runs of white space become one space.
std::string oneLine(std::string_view text)
{
    std::string line;
    for (char c : text) {
        if (!isSpace(c))
            line += c;
        else if (!line.empty() && line.back() != ' ')
            line += ' ';
    }
    if (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

std::vector<std::string> authors(const DocumentRecord &r)
{
    std::vector<std::string> names;
    for (const FieldText &name : r.authors)
        if (!oneLine(name).empty())
            names.push_back(oneLine(name));
    return names;
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

// Initials: one to three letters and a period, once or more ("S.", "T.G.", "Дж.").
bool isInitials(const std::string &word)
{
    if (word.empty() || word.back() != '.')
        return false;
    size_t letters = 0;
    for (char c : word) {
        if (c == '.') {
            if (letters == 0 || letters > 3)
                return false;
            letters = 0;
        } else if (c == ',' || isSpace(c)) {
            return false;
        } else {
            ++letters;
        }
    }
    return true;
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
    std::string out;
    auto field = [&out](const char *tag, const std::string &value) {
        if (!value.empty())
            out += std::string(tag) + "  - " + value + "\r\n";
    };
    field("TY", "GEN");
    field("ID", "kaldex" + std::to_string(slot));
    for (const std::string &name : authors(r))
        field("AU", invertedName(name));
    if (r.year != 0)
        field("PY", formatNumber(r.year));
    field("N1", oneLine(r.citation));
    field("AB", oneLine(r.abstract));
    field("N1", oneLine(r.notes));
    for (const std::string &word : keywords(r))
        field("KW", word);
    return out + "ER  - \r\n";
}

std::string bibtexReference(const DocumentRecord &r, int slot)
{
    std::string out = "@misc{kaldex" + std::to_string(slot);
    auto field = [&out](const char *name, const std::string &value) {
        if (!value.empty())
            out += std::string(",\n  ") + name + " = {" + value + "}";
    };
    std::string names;
    for (const std::string &name : authors(r))
        names += (names.empty() ? "" : " and ") + bibtexName(name);
    field("author", names);
    if (r.year != 0)
        field("year", formatNumber(r.year));
    field("howpublished", bibtexEscaped(oneLine(r.citation)));
    field("abstract", bibtexEscaped(oneLine(r.abstract)));
    field("note", bibtexEscaped(oneLine(r.notes)));
    std::string words;
    for (const std::string &word : keywords(r))
        words += (words.empty() ? "" : ", ") + bibtexEscaped(word);
    field("keywords", words);
    return out + "\n}\n";
}

}  // namespace kaldex::tool
