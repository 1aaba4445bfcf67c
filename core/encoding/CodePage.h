#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kaldex {

namespace codepage {

// The characters of the bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in
// order. 0x98, which the code page leaves unassigned, is U+0098, so that
// every byte comes back as it was.
inline constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

// Both directions as tables, made by the compiler from kHigh. The way back
// goes by the character's high byte: only four of them occur, and page 0 of
// the bytes is the empty one. A 0 there is no byte, but for U+0000.
struct Tables {
    std::array<char16_t, 256> characters{};
    std::array<uint8_t, 256> pageOf{};
    std::array<std::array<uint8_t, 256>, 5> bytes{};
};

constexpr Tables makeTables()
{
    Tables t;
    size_t pages = 1;
    for (unsigned byte = 0; byte < 256; ++byte) {
        const char16_t c = byte < 0x80   ? static_cast<char16_t>(byte)
                           : byte < 0xC0 ? kHigh[byte - 0x80]
                                         : static_cast<char16_t>(0x0410 + (byte - 0xC0));
        t.characters[byte] = c;
        uint8_t &page = t.pageOf[c >> 8];
        if (page == 0)
            page = static_cast<uint8_t>(pages++);  // more pages than room does not compile
        t.bytes[page][c & 0xFF] = static_cast<uint8_t>(byte);
    }
    return t;
}

inline constexpr Tables kTables = makeTables();

}  // namespace codepage

/** The character of a Windows-1251 byte; every byte has one (0x98: U+0098). */
inline char16_t cp1251Character(unsigned char byte)
{
    return codepage::kTables.characters[byte];
}

/** The Windows-1251 byte of a character, or -1 when the code page has none. */
inline int cp1251Byte(char32_t character)
{
    if (character > 0xFFFF)
        return -1;
    // Two look-ups and no branch on the character: text mixes ASCII and Cyrillic.
    const uint8_t byte = codepage::kTables.bytes[codepage::kTables.pageOf[character >> 8]][character & 0xFF];
    return byte != 0 || character == 0 ? byte : -1;
}

/**
 * Windows-1251 and UTF-8 for the core, which knows no toolkit: the program's
 * fixed texts are written in UTF-8 source and stored as Windows-1251 bytes.
 * Throws std::invalid_argument on a character the code page cannot hold, or
 * on bytes that are not UTF-8.
 */
std::string cp1251FromUtf8(std::string_view utf8);

std::string utf8FromCp1251(std::string_view bytes);

}  // namespace kaldex
