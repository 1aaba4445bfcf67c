#include "core/store/FieldText.h"

#include <cstring>
#include <limits>
#include <ostream>
#include <stdexcept>

namespace kaldex {

void FieldText::assign(std::string_view text)
{
    if (text.size() <= kInside) {
        // The text may lie in this field's own storage: copied out first.
        char copy[kInside];
        if (!text.empty())
            std::memcpy(copy, text.data(), text.size());
        release();
        putInside({copy, text.size()});
        return;
    }
    if (text.size() > (size_t(1) << 30) - 1)
        throw std::length_error("a document field of a gigabyte or more");
    char *copy = new char[text.size()];
    std::memcpy(copy, text.data(), text.size());
    // Copied before the old value goes: text may be part of it.
    release();
    putOutside(copy, text.size(), kOwned);
}

std::ostream &operator<<(std::ostream &out, const FieldText &text)
{
    return out << text.view();
}

}  // namespace kaldex
