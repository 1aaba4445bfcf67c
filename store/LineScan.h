#pragma once

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace kaldex {

/** What a line of a database file holds, found in one pass over it. */
struct LineFacts {
    const char *feed = nullptr;     // the line feed that ends it, or the end of the bytes
    const char *dollar = nullptr;   // its first "$", or null
    const char *foreign = nullptr;  // with bytes: its first control byte but tab, DEL or 0x98, or null
    const char *high = nullptr;     // with bytes: its first byte from 0x80, or null
};

/**
 * Scans the line that starts at p. Sixteen bytes at a time where the machine
 * can: lines are short, and a call per line and per question costs more than
 * the scan. With Bytes the scan also notes foreign and high bytes (a CR just
 * before the feed counts as foreign here; the caller drops it with the line end).
 */
template <bool Bytes>
LineFacts scanLine(const char *p, const char *end)
{
    LineFacts facts;
    auto note = [](const char *&first, const char *at) {
        if (!first)
            first = at;
    };
#ifdef __SSE2__
    const __m128i lineFeed = _mm_set1_epi8('\n'), dollarSign = _mm_set1_epi8('$');
    const __m128i lowest = _mm_set1_epi8(0x1F), tab = _mm_set1_epi8('\t'), del = _mm_set1_epi8(0x7F),
                  unassigned = _mm_set1_epi8(static_cast<char>(0x98));
    for (; end - p >= 16; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const unsigned feeds = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, lineFeed)));
        const unsigned before = feeds ? (feeds & (0u - feeds)) - 1 : 0xFFFFu;  // the bytes before the first feed
        if (const unsigned dollars = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, dollarSign))) & before)
            note(facts.dollar, p + __builtin_ctz(dollars));
        if constexpr (Bytes) {
            const __m128i control =
                _mm_andnot_si128(_mm_cmpeq_epi8(block, tab), _mm_cmpeq_epi8(_mm_min_epu8(block, lowest), block));
            const __m128i odd = _mm_or_si128(_mm_cmpeq_epi8(block, del), _mm_cmpeq_epi8(block, unassigned));
            if (const unsigned foreign =
                    static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(control, odd))) & before)
                note(facts.foreign, p + __builtin_ctz(foreign));
            if (const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(block)) & before)
                note(facts.high, p + __builtin_ctz(high));
        }
        if (feeds) {
            facts.feed = p + __builtin_ctz(feeds);
            return facts;
        }
    }
#endif
    for (; p < end && *p != '\n'; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c == '$')
            note(facts.dollar, p);
        if constexpr (Bytes) {
            if ((c < 0x20 && c != '\t') || c == 0x7F || c == 0x98)
                note(facts.foreign, p);
            if (c >= 0x80)
                note(facts.high, p);
        }
    }
    facts.feed = p;
    return facts;
}

}  // namespace kaldex
