#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kaldex::tool {

/**
 * Text from outside into Windows-1251. Every character the code page holds
 * is kept (Cyrillic, typographic dashes and quotes, «», №, °, ±); any other
 * is written in the closest form it holds, through ICU's transliterators
 * ("ü" → "u", "é" → "e", "ß" → "ss", "≤" → "<="), a Greek letter by its name
 * ("α" → "alpha", "Ω" → "Omega"), anything else by its Unicode name in
 * brackets. Throws std::runtime_error when ICU cannot make its transliterator.
 */
class Transliterator {
public:
    Transliterator();
    ~Transliterator();
    Transliterator(const Transliterator &) = delete;
    Transliterator &operator=(const Transliterator &) = delete;

    /**
     * The Windows-1251 bytes of the UTF-8 text; for each character replaced,
     * "original → replacement" (UTF-8) is added to replaced unless already there.
     * Bytes that are not UTF-8 count as U+FFFD.
     */
    std::string toCp1251(std::string_view utf8, std::vector<std::string> &replaced);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kaldex::tool
