#include "store/FieldText.h"

#include <cstring>
#include <limits>
#include <ostream>
#include <stdexcept>

namespace kaldex {

void FieldText::assign(std::string_view text)
{
    if (text.size() > std::numeric_limits<uint32_t>::max())
        throw std::length_error("a document field over 4 GB");
    char *copy = nullptr;
    if (!text.empty()) {
        copy = new char[text.size()];
        std::memcpy(copy, text.data(), text.size());
    }
    // Copied before the old value goes: text may be part of it.
    release();
    data_ = copy;
    size_ = static_cast<uint32_t>(text.size());
    owned_ = copy != nullptr;
}

FieldText &FieldText::operator=(FieldText &&other) noexcept
{
    if (this != &other) {
        release();
        data_ = other.data_;
        size_ = other.size_;
        owned_ = other.owned_;
        other.forget();
    }
    return *this;
}

std::ostream &operator<<(std::ostream &out, const FieldText &text)
{
    return out << text.view();
}

}  // namespace kaldex
