#include "core/report/PlainRtf.h"

#include "core/encoding/CodePage.h"

namespace kaldex {

const char *rtfFamilyWord(std::string_view name)
{
    std::string lower(name);
    for (char &c : lower)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    for (const char *mono : {"mono", "courier", "consol", "fixed", "typewriter"})
        if (lower.find(mono) != std::string::npos)
            return "\\fmodern";
    if (lower.find("sans") != std::string::npos)
        return "\\fswiss";
    for (const char *serif : {"times", "serif", "roman", "georgia", "garamond", "cambria", "book", "palatino"})
        if (lower.find(serif) != std::string::npos)
            return "\\froman";
    return "\\fswiss";
}

namespace {

// afterWord says a control word was just written, so plain text needs the
// delimiting space first.
void appendEscaped(std::string &out, std::string_view text, bool &afterWord)
{
    static const char hex[] = "0123456789abcdef";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const char16_t character = cp1251Character(byte);
        if (character == u'\t') {
            out += "\\tab";
            afterWord = true;
        } else if (character >= 0x20 && character < 0x7F) {
            if (afterWord)
                out += ' ';
            afterWord = false;
            if (c == '\\' || c == '{' || c == '}')
                out += '\\';
            out += c;
        } else if (character >= 0xA0) {
            afterWord = false;
            if (character == 0x00A0) {
                out += "\\~";
            } else if (character == 0x00AD) {
                out += "\\-";
            } else {
                out += "\\'";
                out += hex[byte >> 4];
                out += hex[byte & 0xF];
            }
        }
        // Control characters (0x98 is one) are no text, as in the editor's writer.
    }
}

}  // namespace

std::string plainTextRtf(std::string_view text, std::string_view fontFamily, int halfPoints)
{
    std::string out = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049\n{\\fonttbl{\\f0";
    out += rtfFamilyWord(fontFamily);
    out += "\\fcharset204";
    bool afterWord = true;
    std::string family;
    for (char c : fontFamily)
        if (c != ';')
            family += c;
    appendEscaped(out, family, afterWord);
    out += ";}}\n\\uc1\n";
    out.reserve(out.size() + text.size() * 2 + text.size() / 16);
    const std::string start = "\\pard\\plain\\fi0\\li0\\ri0\\ql\\f0\\fs" + std::to_string(halfPoints);
    for (size_t from = 0;;) {
        const size_t end = text.find('\n', from);
        out += start;
        afterWord = true;
        appendEscaped(out, text.substr(from, end == std::string_view::npos ? end : end - from), afterWord);
        out += "\\par\n";
        if (end == std::string_view::npos)
            break;
        from = end + 1;
    }
    out += "}\n";
    return out;
}

}  // namespace kaldex
