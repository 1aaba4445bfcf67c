#pragma once

#include "core/store/FieldText.h"

#include <array>
#include <cstdint>

namespace kaldex {

constexpr int kCategoryCount = 11;
constexpr int kPairCount = 15;
constexpr int kAuthorCount = 3;
constexpr int kSubstanceCount = 5;

/** Category flag positions, in the order the file and every window use. */
enum Category { Oth, Vis, Con, Tdi, Dif, Pot, Vir, Bea, Spe, The, Exp };

/** Pair flag index (0-based) for substance positions i <= j, both 1-based. */
constexpr int pairIndex(int i, int j)
{
    return j * (j - 1) / 2 + i - 1;
}

/**
 * One document, or the query in slot 0. Names and texts hold Windows-1251
 * bytes as the file holds them. Texts are empty or lines each ending with one
 * LF, no CR.
 */
struct DocumentRecord {
    int32_t number = 0;
    std::array<FieldText, kAuthorCount> authors;
    std::array<FieldText, kSubstanceCount> substances;
    std::array<int32_t, kPairCount> pairFlags{};
    int32_t year = 0;
    int32_t upperYear = 0;     // query record only, but saved with every document
    int32_t lowerYear = 0;     // likewise
    int32_t wantedNumber = 0;  // likewise
    std::array<int32_t, kCategoryCount> categoryFlags{};
    // In the query record these four hold the criterion switches instead.
    int32_t authorCount = 0;
    int32_t substanceCount = 0;
    int32_t citationLines = 0;
    int32_t abstractLines = 0;
    int32_t notesLines = 0;
    int32_t provenanceLines = 0;
    int32_t fileLine = 0;
    FieldText citation;
    FieldText abstract;
    FieldText notes;
    FieldText provenance;
};

}  // namespace kaldex
