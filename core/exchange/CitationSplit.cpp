#include "core/exchange/CitationSplit.h"

#include "core/encoding/CodePage.h"

#include <algorithm>

namespace kaldex::tool {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

/** The house style's words, in Windows-1251. */
struct Words {
    std::vector<std::string> volume;
    std::vector<std::string> number;
    std::vector<std::string> pages;
    std::string russianEdition;
    std::string translation;
    std::string emDash;
    std::string enDash;
};

const Words &words()
{
    static const Words w = [] {
        Words m;
        m.volume = {"V. ", "Vol. ", "Bd. ", cp1251FromUtf8("Т. ")};
        m.number = {"N ", "No. ", "Nr. ", "H. ", cp1251FromUtf8("№ ")};
        m.pages = {"P. ", "pp. ", "S. ", cp1251FromUtf8("С. ")};
        m.russianEdition = cp1251FromUtf8("Изд. ");
        m.translation = cp1251FromUtf8("Пер. с ");
        m.emDash = cp1251FromUtf8("— ");
        m.enDash = cp1251FromUtf8("–");
        return m;
    }();
    return w;
}

// The marker of a list that the text opens with, or empty.
std::string_view marker(std::string_view text, const std::vector<std::string> &list)
{
    for (const std::string &m : list)
        if (startsWith(text, m))
            return m;
    return {};
}

// "3rd ed." and the like: the edition's ordinal, or empty.
std::string englishEdition(std::string_view item)
{
    size_t digits = 0;
    while (digits < item.size() && isDigit(item[digits]))
        ++digits;
    if (digits == 0 || item.size() < digits + 5)
        return {};
    const std::string_view suffix = item.substr(digits, 2);
    if (suffix != "st" && suffix != "nd" && suffix != "rd" && suffix != "th")
        return {};
    const std::string_view rest = item.substr(digits + 2);
    return rest == " ed." || rest == " ed" ? std::string(item.substr(0, digits + 2)) : std::string();
}

// Whether what follows a sentence's end in a book title starts a part of its own.
bool startsBookTail(std::string_view rest)
{
    const Words &w = words();
    if (startsWith(rest, "(") || startsWith(rest, w.russianEdition) || startsWith(rest, w.translation))
        return true;
    size_t end = rest.find(". ");
    return !englishEdition(rest.substr(0, end == std::string_view::npos ? rest.size() : end + 1)).empty();
}

// The author list that the line opens with; end is where the title starts.
std::vector<std::string> parseAuthors(std::string_view line, size_t &end)
{
    std::vector<std::string> names;
    size_t at = 0;
    end = 0;
    for (;;) {
        std::string name;
        int surnameWords = 0;
        for (;;) {
            if (at >= line.size() || surnameWords > 3)
                return {};
            size_t stop = line.find(' ', at);
            if (stop == std::string_view::npos)
                stop = line.size();
            std::string_view word = line.substr(at, stop - at);
            at = stop + 1;
            const bool comma = !word.empty() && word.back() == ',';
            if (comma)
                word.remove_suffix(1);
            if (isInitials(word)) {
                if (surnameWords == 0)
                    return {};
                names.push_back(name + " " + std::string(word));
                if (!comma) {
                    end = std::min(at, line.size());
                    return names;
                }
                break;
            }
            if (comma || word.empty() || word.find('.') != std::string_view::npos || word == "//")
                return {};
            name += (name.empty() ? "" : " ") + std::string(word);
            ++surnameWords;
        }
    }
}

// A value up to a "," or a "." that ends the text or a sentence.
std::string_view value(std::string_view &text)
{
    size_t at = 0;
    while (at < text.size() && text[at] != ',' && !(text[at] == '.' && (at + 1 == text.size() || text[at + 1] == ' ')))
        ++at;
    std::string_view v = text.substr(0, at);
    text.remove_prefix(at);
    return trimmed(v);
}

bool isUpper(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF) || c == 0xA8;  // with Cyrillic А-Я and Ё
}

bool isVowel(unsigned char c)
{
    static const std::string vowels = "aeiouyAEIOUY" + cp1251FromUtf8("аеёийоуыьэюяАЕЁИЙОУЫЬЭЮЯ");
    return vowels.find(static_cast<char>(c)) != std::string::npos;
}

// The house style's ". " before the year also ends an abbreviated last word
// of the journal ("J. Chem. Phys. 1977"): that word gets its period back. A
// full word ("Phys. Fluids. 1958"), an acronym or a title of full words
// ("Physica. 1980") gets none.
std::string journalName(std::string_view name)
{
    std::string journal(trimmed(name));
    const size_t space = journal.rfind(' ');
    if (space == std::string::npos || journal.find(". ") == std::string::npos)
        return journal;
    const std::string_view last = std::string_view(journal).substr(space + 1);
    static const std::vector<std::string> fullWords = {
        "Fluids",    "Letters", "Gases",    "Solids",   "Liquids", "Matter",   "Methods",
        "Materials", "Reviews", "Transfer", "Research", "Physics", "Progress", cp1251FromUtf8("температур")};
    const bool acronym =
        std::all_of(last.begin(), last.end(), [](char c) { return isUpper(static_cast<unsigned char>(c)); });
    const auto end = static_cast<unsigned char>(last.back());
    if (last.size() < 2 || acronym || isVowel(end) || isDigit(static_cast<char>(end)) || end == '.' ||
        std::find(fullWords.begin(), fullWords.end(), last) != fullWords.end())
        return journal;
    return journal + ".";
}

bool splitArticle(std::string_view rest, CitationParts &parts)
{
    const size_t slashes = rest.find(" // ");
    if (slashes == std::string_view::npos)
        return false;
    parts.title = std::string(trimmed(rest.substr(0, slashes)));
    std::string_view source = rest.substr(slashes + 4);
    size_t dot = 0;
    for (;; ++dot) {
        if (dot + 6 > source.size())
            return false;
        if (source[dot] == '.' && source[dot + 1] == ' ' && isDigit(source[dot + 2]) && isDigit(source[dot + 3]) &&
            isDigit(source[dot + 4]) && isDigit(source[dot + 5]) &&
            (dot + 6 == source.size() || source[dot + 6] == '.' || source[dot + 6] == ','))
            break;
    }
    parts.journal = journalName(source.substr(0, dot));
    parts.year = std::string(source.substr(dot + 2, 4));
    std::string_view tail = source.substr(dot + 6);
    const Words &w = words();
    while (!tail.empty()) {
        // Each part ends with "." or ", "; what follows it must be the next part.
        if (tail.front() == '.' || tail.front() == ',')
            tail.remove_prefix(1);
        tail = trimmed(tail);
        if (tail.empty())
            break;
        if (std::string_view m = marker(tail, w.volume); !m.empty()) {
            tail.remove_prefix(m.size());
            parts.volume = std::string(value(tail));
        } else if (std::string_view m = marker(tail, w.number); !m.empty()) {
            tail.remove_prefix(m.size());
            parts.number = std::string(value(tail));
        } else if (std::string_view m = marker(tail, w.pages); !m.empty()) {
            tail.remove_prefix(m.size());
            std::string_view pages = value(tail);
            size_t dash = pages.find(w.enDash);
            size_t dashSize = w.enDash.size();
            if (dash == std::string_view::npos) {
                dash = pages.find('-');
                dashSize = 1;
            }
            parts.firstPage = std::string(pages.substr(0, dash));
            if (dash != std::string_view::npos)
                parts.lastPage = std::string(trimmed(pages.substr(dash + dashSize)));
        } else {
            return false;
        }
    }
    return !parts.title.empty() && !parts.journal.empty();
}

bool splitBook(std::string_view rest, CitationParts &parts)
{
    std::string_view s = rest;
    if (!s.empty() && s.back() == '.')
        s.remove_suffix(1);
    if (s.size() < 6 || s.substr(s.size() - 6, 2) != ", ")
        return false;
    for (char c : s.substr(s.size() - 4))
        if (!isDigit(c))
            return false;
    parts.year = std::string(s.substr(s.size() - 4));
    const std::string_view before = s.substr(0, s.size() - 6);
    const size_t colon = before.rfind(": ");
    if (colon == std::string_view::npos)
        return false;
    parts.publisher = std::string(trimmed(before.substr(colon + 2)));
    const std::string_view left = before.substr(0, colon);
    std::string_view head;
    const Words &w = words();
    if (size_t dash = left.rfind(w.emDash); dash != std::string_view::npos) {
        parts.address = std::string(trimmed(left.substr(dash + w.emDash.size())));
        head = trimmed(left.substr(0, dash));
    } else if (size_t dot = left.rfind(". "); dot != std::string_view::npos) {
        parts.address = std::string(trimmed(left.substr(dot + 2)));
        head = left.substr(0, dot + 1);
    } else {
        return false;
    }
    if (parts.address.empty() || parts.publisher.empty() || head.find("//") != std::string_view::npos)
        return false;
    // The title runs up to the first part of its own: edition, translation, series.
    std::vector<std::string_view> items;
    size_t cut = 0;
    for (size_t dot = head.find(". "); dot != std::string_view::npos; dot = head.find(". ", dot + 1)) {
        if (!startsBookTail(head.substr(dot + 2)))
            continue;
        items.push_back(head.substr(cut, dot + 1 - cut));
        cut = dot + 2;
    }
    items.push_back(head.substr(cut));
    std::string_view title = items.front();
    if (!title.empty() && title.back() == '.')
        title.remove_suffix(1);
    parts.title = std::string(trimmed(title));
    for (size_t i = 1; i < items.size(); ++i) {
        std::string_view item = items[i];
        if (startsWith(item, "(")) {
            item.remove_prefix(1);
            while (!item.empty() && (item.back() == '.' || item.back() == ')'))
                item.remove_suffix(1);
            parts.series = std::string(item);
        } else if (startsWith(item, w.russianEdition)) {
            parts.edition = std::string(item.substr(w.russianEdition.size()));
        } else if (std::string ordinal = englishEdition(item); !ordinal.empty()) {
            parts.edition = ordinal;
        } else {
            parts.note = std::string(item);
        }
    }
    return !parts.title.empty();
}

}  // namespace

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

bool hasCyrillic(std::string_view text)
{
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0xC0 || byte == 0xA8 || byte == 0xB8)
            return true;
    }
    return false;
}

bool isInitials(std::string_view word)
{
    if (word.empty() || word.back() != '.')
        return false;
    size_t letters = 0;
    for (char c : word) {
        if (c == '.') {
            if (letters == 0 || letters > 3)
                return false;
            letters = 0;
        } else if (c == ',' || isSpace(c) || isDigit(c)) {
            return false;
        } else {
            ++letters;
        }
    }
    return true;
}

CitationParts splitCitation(std::string_view citation)
{
    const std::string line = oneLine(citation);
    CitationParts parts;
    size_t end = 0;
    parts.authors = parseAuthors(line, end);
    if (parts.authors.empty())
        return parts;
    const std::string_view rest = std::string_view(line).substr(end);
    CitationParts article = parts;
    if (splitArticle(rest, article)) {
        article.kind = CitationParts::Kind::Article;
        return article;
    }
    CitationParts book = parts;
    if (rest.find(" // ") == std::string_view::npos && splitBook(rest, book)) {
        book.kind = CitationParts::Kind::Book;
        return book;
    }
    return parts;
}

}  // namespace kaldex::tool
