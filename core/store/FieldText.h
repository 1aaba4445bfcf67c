#pragma once

#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <string>
#include <string_view>
#include <type_traits>

namespace kaldex {

/**
 * A name or text of a document. A short one (most names) lies inside the
 * field itself, as a string keeps short texts. A longer one of a loaded
 * document refers to its bytes in the buffer the store keeps of the file, so
 * a load allocates nothing per field; any other longer value (one the entry
 * window stores, a copy) is the field's own. Copies never refer, so a copied
 * record never outlives the buffer it came from.
 */
class FieldText {
public:
    static constexpr size_t kInside = 12;  // the longest text kept inside

    FieldText() noexcept = default;
    FieldText(std::string_view text) { assign(text); }
    FieldText(const std::string &text) { assign(text); }
    FieldText(const char *text) { assign(text); }
    FieldText(const FieldText &other) { assign(other.view()); }
    FieldText(FieldText &&other) noexcept
    {
        std::memcpy(raw_, other.raw_, sizeof raw_);
        other.forget();
    }
    ~FieldText() { release(); }

    FieldText &operator=(const FieldText &other)
    {
        if (this != &other)
            assign(other.view());
        return *this;
    }
    FieldText &operator=(FieldText &&other) noexcept
    {
        if (this != &other) {
            release();
            std::memcpy(raw_, other.raw_, sizeof raw_);
            other.forget();
        }
        return *this;
    }

    /** Takes its own copy of text. */
    void assign(std::string_view text);
    /**
     * Refers to bytes that someone else keeps for as long as this refers to
     * them; a short text is copied inside instead.
     */
    void refer(std::string_view bytes) noexcept
    {
        // Sizes beyond 30 bits never reach here: no database is that large.
        if (bytes.size() <= kInside) {
            release();
            putInside(bytes);
        } else {
            release();
            putOutside(bytes.data(), bytes.size(), kReferred);
        }
    }
    /** Makes what it refers to its own. */
    void detach()
    {
        if (kind() == kReferred)
            assign(view());
    }
    bool refersInto(const char *begin, const char *end) const noexcept
    {
        return kind() == kReferred && outsideData() >= begin && outsideData() < end;
    }
    void clear() noexcept
    {
        release();
        forget();
    }

    std::string_view view() const noexcept
    {
        // No branch: searches read names by the thousand.
        const uint32_t word = sizeWord();
        const char *inside = reinterpret_cast<const char *>(raw_);
        return {(word >> kKindShift) == kInsideKind ? inside : outsideData(), word & kSizeMask};
    }
    operator std::string_view() const noexcept { return view(); }
    std::string str() const { return std::string(view()); }

    const char *data() const noexcept { return view().data(); }
    size_t size() const noexcept { return view().size(); }
    bool empty() const noexcept { return view().empty(); }
    const char *begin() const noexcept { return data(); }
    const char *end() const noexcept { return data() + size(); }
    char operator[](size_t i) const noexcept { return view()[i]; }
    size_t find(char c, size_t from = 0) const noexcept { return view().find(c, from); }
    size_t find(std::string_view s, size_t from = 0) const noexcept { return view().find(s, from); }
    std::string_view substr(size_t from, size_t count = std::string_view::npos) const
    {
        return view().substr(from, count);
    }

    // Each kind of string compares as its bytes; one overload each keeps the
    // calls unambiguous.
    friend bool operator==(const FieldText &a, const FieldText &b) noexcept { return a.view() == b.view(); }
    friend bool operator==(const FieldText &a, std::string_view b) noexcept { return a.view() == b; }
    friend bool operator==(const FieldText &a, const std::string &b) noexcept { return a.view() == b; }
    friend bool operator==(const FieldText &a, const char *b) noexcept { return a.view() == b; }
    friend bool operator==(std::string_view a, const FieldText &b) noexcept { return b == a; }
    friend bool operator==(const std::string &a, const FieldText &b) noexcept { return b == a; }
    friend bool operator==(const char *a, const FieldText &b) noexcept { return b == a; }
    friend bool operator!=(const FieldText &a, const FieldText &b) noexcept { return !(a == b); }
    friend bool operator!=(const FieldText &a, std::string_view b) noexcept { return !(a == b); }
    friend bool operator!=(const FieldText &a, const std::string &b) noexcept { return !(a == b); }
    friend bool operator!=(const FieldText &a, const char *b) noexcept { return !(a == b); }

private:
    // Sixteen bytes: the text inside (bytes 0 to 11) or a pointer to it
    // (bytes 0 to 7), then a 32-bit word of the size and, in its top two
    // bits, the kind. All zero is empty.
    static constexpr uint32_t kInsideKind = 0, kReferred = 1, kOwned = 2;
    static constexpr unsigned kKindShift = 30;
    static constexpr uint32_t kSizeMask = (uint32_t(1) << kKindShift) - 1;

    uint32_t sizeWord() const noexcept
    {
        uint32_t word;
        std::memcpy(&word, raw_ + 12, sizeof word);
        return word;
    }
    void setSizeWord(uint32_t size, uint32_t kind) noexcept
    {
        const uint32_t word = size | kind << kKindShift;
        std::memcpy(raw_ + 12, &word, sizeof word);
    }
    uint32_t kind() const noexcept { return sizeWord() >> kKindShift; }
    const char *outsideData() const noexcept
    {
        const char *data;
        std::memcpy(&data, raw_, sizeof data);
        return data;
    }
    void putInside(std::string_view text) noexcept
    {
        if (!text.empty())
            std::memcpy(raw_, text.data(), text.size());
        setSizeWord(static_cast<uint32_t>(text.size()), kInsideKind);
    }
    void putOutside(const char *data, size_t size, uint32_t kind) noexcept
    {
        std::memcpy(raw_, &data, sizeof data);
        setSizeWord(static_cast<uint32_t>(size), kind);
    }
    void release() noexcept
    {
        if (kind() == kOwned)
            delete[] outsideData();
    }
    void forget() noexcept { setSizeWord(0, kInsideKind); }

    alignas(8) unsigned char raw_[16] = {};
};

// Joined into a new string; templates, so that no other string is taken for a
// FieldText on the way.
template <typename T, typename = std::enable_if_t<std::is_same_v<T, FieldText>>>
std::string operator+(std::string left, const T &right)
{
    return left.append(right.view());
}

template <typename T, typename = std::enable_if_t<std::is_same_v<T, FieldText>>>
std::string operator+(const T &left, std::string_view right)
{
    return left.str().append(right);
}

std::ostream &operator<<(std::ostream &out, const FieldText &text);

}  // namespace kaldex
