#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <type_traits>

namespace kaldex {

/**
 * A name or text of a document. A loaded document's fields refer to their
 * bytes in the buffer the store keeps of the file, so a load allocates
 * nothing per field; any other value (one the entry window stores, a copy)
 * is the field's own. Copies are always their own, so a copied record never
 * outlives the buffer it came from.
 */
class FieldText {
public:
    FieldText() noexcept = default;
    FieldText(std::string_view text) { assign(text); }
    FieldText(const std::string &text) { assign(text); }
    FieldText(const char *text) { assign(text); }
    FieldText(const FieldText &other) { assign(other.view()); }
    FieldText(FieldText &&other) noexcept : data_(other.data_), size_(other.size_), owned_(other.owned_)
    {
        other.forget();
    }
    ~FieldText() { release(); }

    FieldText &operator=(const FieldText &other)
    {
        if (this != &other)
            assign(other.view());
        return *this;
    }
    FieldText &operator=(FieldText &&other) noexcept;

    /** Takes its own copy of text. */
    void assign(std::string_view text);
    /** Refers to bytes that someone else keeps for as long as this refers to them. */
    void refer(std::string_view bytes) noexcept
    {
        release();
        data_ = bytes.data();
        size_ = static_cast<uint32_t>(bytes.size());
    }
    /** Makes what it refers to its own. */
    void detach()
    {
        if (!owned_)
            assign(view());
    }
    bool refersInto(const char *begin, const char *end) const noexcept
    {
        return !owned_ && size_ && data_ >= begin && data_ < end;
    }
    void clear() noexcept
    {
        release();
        forget();
    }

    std::string_view view() const noexcept { return {data_, size_}; }
    operator std::string_view() const noexcept { return view(); }
    std::string str() const { return std::string(view()); }

    const char *data() const noexcept { return data_; }
    size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    const char *begin() const noexcept { return data_; }
    const char *end() const noexcept { return data_ + size_; }
    char operator[](size_t i) const noexcept { return data_[i]; }
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
    void release() noexcept
    {
        if (owned_)
            delete[] data_;
    }
    void forget() noexcept
    {
        data_ = nullptr;
        size_ = 0;
        owned_ = false;
    }

    const char *data_ = nullptr;
    uint32_t size_ = 0;
    bool owned_ = false;
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
