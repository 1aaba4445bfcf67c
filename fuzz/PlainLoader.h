#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kaldex::fuzz {

/** A document as the loader's rules give it, in strings of its own. */
struct PlainRecord {
    int32_t number = 0;
    std::array<std::string, 3> authors;
    std::array<std::string, 5> substances;
    std::array<int32_t, 19> first{};   // the second section's numbers as read
    std::array<int32_t, 19> second{};  // the fourth section's
    int32_t fileLine = 0;
    std::array<std::string, 4> texts;
};

/**
 * The loader's rules, written the plain way (a string a field, appended line
 * by line), to hold the store's one-buffer load against. Slots are
 * overwritten in place as the store's are; returns the document count.
 */
int plainLoad(std::vector<PlainRecord> &slots, std::string_view bytes);

}  // namespace kaldex::fuzz
