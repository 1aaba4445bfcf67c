#include "core/encoding/CodePage.h"

#include <array>
#include <cstdint>
#include <stdexcept>

namespace kaldex {
namespace {

// Characters of the bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
constexpr std::array<uint16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

uint32_t codePoint(unsigned char byte)
{
    if (byte < 0x80)
        return byte;
    if (byte >= 0xC0)
        return 0x0410 + (byte - 0xC0u);
    return kHigh[byte - 0x80u];
}

int byteFor(uint32_t code)
{
    if (code < 0x80)
        return static_cast<int>(code);
    if (code >= 0x0410 && code <= 0x044F)
        return static_cast<int>(0xC0 + (code - 0x0410));
    for (size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == code && code != 0xFFFD)
            return static_cast<int>(0x80 + i);
    return -1;
}

}  // namespace

std::string cp1251FromUtf8(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        auto byte = static_cast<unsigned char>(utf8[i]);
        int length = byte < 0x80             ? 1
                     : (byte & 0xE0) == 0xC0 ? 2
                     : (byte & 0xF0) == 0xE0 ? 3
                     : (byte & 0xF8) == 0xF0 ? 4
                                             : 0;
        if (length == 0 || i + static_cast<size_t>(length) > utf8.size())
            throw std::invalid_argument("not UTF-8");
        uint32_t code = length == 1 ? byte : byte & (0x7Fu >> length);
        for (int k = 1; k < length; ++k) {
            auto next = static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]);
            if ((next & 0xC0) != 0x80)
                throw std::invalid_argument("not UTF-8");
            code = (code << 6) | (next & 0x3Fu);
        }
        int mapped = byteFor(code);
        if (mapped < 0)
            throw std::invalid_argument("no Windows-1251 byte for U+" + std::to_string(code));
        out += static_cast<char>(mapped);
        i += static_cast<size_t>(length);
    }
    return out;
}

std::string utf8FromCp1251(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        uint32_t code = codePoint(static_cast<unsigned char>(c));
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

}  // namespace kaldex
