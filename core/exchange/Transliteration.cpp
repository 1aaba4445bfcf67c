#include "core/exchange/Transliteration.h"

#include "core/encoding/CodePage.h"

#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <map>
#include <stdexcept>

namespace kaldex::tool {

struct Transliterator::Impl {
    std::unique_ptr<icu::Transliterator> toLatin;
    const icu::Normalizer2 *composed = nullptr;
    std::map<UChar32, char> bytes;  // the characters of 0x80..0xFF
};

namespace {

std::string utf8(const icu::UnicodeString &text)
{
    std::string out;
    text.toUTF8String(out);
    return out;
}

std::string lowered(std::string name)
{
    for (char &c : name)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return name;
}

// "GREEK CAPITAL LETTER OMEGA WITH TONOS" as "Omega".
std::string greekName(const std::string &name)
{
    std::string letter = name.substr(0, name.find(" WITH "));
    letter = lowered(letter.substr(letter.rfind(' ') + 1));
    if (name.find("CAPITAL") != std::string::npos && !letter.empty())
        letter[0] = static_cast<char>(letter[0] - 'a' + 'A');
    return letter;
}

std::string characterName(UChar32 c)
{
    char name[256];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = u_charName(c, U_UNICODE_CHAR_NAME, name, sizeof name, &status);
    return U_SUCCESS(status) && length > 0 ? std::string(name, static_cast<size_t>(length)) : std::string();
}

}  // namespace

Transliterator::Transliterator() : impl_(std::make_unique<Impl>())
{
    UErrorCode status = U_ZERO_ERROR;
    impl_->toLatin.reset(icu::Transliterator::createInstance("Any-Latin; Latin-ASCII", UTRANS_FORWARD, status));
    if (U_SUCCESS(status))
        impl_->composed = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status) || !impl_->toLatin || impl_->composed == nullptr)
        throw std::runtime_error(std::string("ICU cannot make its transliterator: ") + u_errorName(status));
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const icu::UnicodeString c =
            icu::UnicodeString::fromUTF8(utf8FromCp1251(std::string(1, static_cast<char>(byte))));
        if (c.char32At(0) != 0xFFFD)
            impl_->bytes[c.char32At(0)] = static_cast<char>(byte);
    }
}

Transliterator::~Transliterator() = default;

std::string Transliterator::toCp1251(std::string_view text, std::vector<std::string> &replaced)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString composed = impl_->composed->normalize(
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size()))), status);
    std::string out;
    for (int32_t at = 0; at < composed.length(); at += U16_LENGTH(composed.char32At(at))) {
        const UChar32 c = composed.char32At(at);
        if (c == '\n' || (c >= 0x20 && c < 0x7F)) {
            out += static_cast<char>(c);
            continue;
        }
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
            out += ' ';  // a control character: a tab, a line end of another kind
            continue;
        }
        if (auto known = impl_->bytes.find(c); known != impl_->bytes.end()) {
            out += known->second;
            continue;
        }
        const std::string name = characterName(c);
        std::string replacement;
        static const std::map<UChar32, const char *> relations = {{0x2264, "<="}, {0x2265, ">="}, {0x2260, "!="},
                                                                  {0x2248, "~"},  {0x00D7, "x"},  {0x2212, "-"}};
        if (auto relation = relations.find(c); relation != relations.end()) {
            replacement = relation->second;
        } else if (name.rfind("GREEK ", 0) == 0 && name.find(" LETTER ") != std::string::npos) {
            replacement = greekName(name);
        } else {
            icu::UnicodeString latin(c);
            impl_->toLatin->transliterate(latin);
            replacement = utf8(latin);
            const bool usable = !replacement.empty() && std::all_of(replacement.begin(), replacement.end(), [](char b) {
                return static_cast<unsigned char>(b) >= 0x20 && static_cast<unsigned char>(b) < 0x7F;
            });
            if (!usable)
                replacement = "[" + lowered(name.empty() ? "unknown character" : name) + "]";
        }
        out += replacement;
        const std::string note = utf8(icu::UnicodeString(c)) + " → " + replacement;
        if (std::find(replaced.begin(), replaced.end(), note) == replaced.end())
            replaced.push_back(note);
    }
    return out;
}

}  // namespace kaldex::tool
