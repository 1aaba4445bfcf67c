#include "core/encoding/CodePage.h"

#include <cstdint>
#include <stdexcept>

namespace kaldex {

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
        const int mapped = cp1251Byte(code);
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
        const uint32_t code = cp1251Character(static_cast<unsigned char>(c));
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
