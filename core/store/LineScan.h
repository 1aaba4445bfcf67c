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
#if defined(__GNUC__)
__attribute__((always_inline))  // called once a line: the call would cost a good part of the scan
#endif
inline LineFacts
scanLine(const char *p, const char *end)
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
        const __m128i dollars = _mm_cmpeq_epi8(block, dollarSign);
        if constexpr (Bytes) {
            if (!facts.high)
                if (const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(block)))
                    facts.high = p + __builtin_ctz(high);  // a feed before it is looked at below
            // Control bytes (feeds among them), "$", DEL and 0x98 are rare: most
            // blocks of text have none and need nothing more.
            const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(block, lowest), block);
            const __m128i odd = _mm_or_si128(_mm_cmpeq_epi8(block, del), _mm_cmpeq_epi8(block, unassigned));
            const __m128i rare = _mm_or_si128(_mm_or_si128(control, odd), dollars);
            if (!_mm_movemask_epi8(rare))
                continue;
            const unsigned feeds = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, lineFeed)));
            const unsigned before = feeds ? (feeds & (0u - feeds)) - 1 : 0xFFFFu;  // the bytes before the first feed
            if (const unsigned found = static_cast<unsigned>(_mm_movemask_epi8(dollars)) & before)
                note(facts.dollar, p + __builtin_ctz(found));
            const __m128i foreign = _mm_or_si128(_mm_andnot_si128(_mm_cmpeq_epi8(block, tab), control), odd);
            if (const unsigned found = static_cast<unsigned>(_mm_movemask_epi8(foreign)) & before)
                note(facts.foreign, p + __builtin_ctz(found));
            if (feeds) {
                facts.feed = p + __builtin_ctz(feeds);
                if (facts.high >= facts.feed)
                    facts.high = nullptr;
                return facts;
            }
        } else {
            const unsigned feeds = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, lineFeed)));
            const unsigned before = feeds ? (feeds & (0u - feeds)) - 1 : 0xFFFFu;  // the bytes before the first feed
            if (const unsigned found = static_cast<unsigned>(_mm_movemask_epi8(dollars)) & before)
                note(facts.dollar, p + __builtin_ctz(found));
            if (feeds) {
                facts.feed = p + __builtin_ctz(feeds);
                return facts;
            }
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
