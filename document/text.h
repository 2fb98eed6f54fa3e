#pragma once
// Small byte-string helpers shared by the routines that search and cut the document text.

#include <bit>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace lex {

inline constexpr std::string_view kCrLf = "\r\n";

// ASCII lower case; every other byte is kept, so positions match the original.
std::string to_lower(std::string_view s);
// Case-insensitive (ASCII) search of `needle` in `hay` from `from`.
std::size_t ifind(std::string_view hay, std::string_view needle, std::size_t from = 0);
bool contains(std::string_view hay, std::string_view needle);
bool icontains(std::string_view hay, std::string_view needle);
// Cuts `s` at every occurrence of `sep`; n separators give n + 1 pieces.
std::vector<std::string_view> split(std::string_view s, std::string_view sep);
// Replaces every occurrence of `from` by `to`, scanning left to right.
std::string replace_all(std::string_view s, std::string_view from, std::string_view to);
// Blanks (character 32) removed at both ends / at the end.
std::string_view trim(std::string_view s);
std::string_view rtrim(std::string_view s);

// Calls f(i) for every position i of byte c in s, in order; f returns false to stop early.
// The SSE2 path tests sixteen bytes at a time: whole-document scans look at characters that
// stand on most lines ('=', '['), where a call to memchr per hit costs more than the scan.
template <class F> void for_each_byte(std::string_view s, char c, F&& f) {
    std::size_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i needle = _mm_set1_epi8(c);
    for (; i + 16 <= s.size(); i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, needle)));
        while (mask) {
            const unsigned bit = unsigned(std::countr_zero(mask));
            if (!f(i + bit)) return;
            mask &= mask - 1;
        }
    }
#endif
    for (; i < s.size(); ++i)
        if (s[i] == c && !f(i)) return;
}

// Calls f(i) for every position i of byte a or byte b in s, in order; f returns false to stop.
template <class F> void for_each_byte_of(std::string_view s, char a, char b, F&& f) {
    std::size_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i na = _mm_set1_epi8(a);
    const __m128i nb = _mm_set1_epi8(b);
    for (; i + 16 <= s.size(); i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
        const __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(chunk, na), _mm_cmpeq_epi8(chunk, nb));
        unsigned mask = unsigned(_mm_movemask_epi8(hits));
        while (mask) {
            const unsigned bit = unsigned(std::countr_zero(mask));
            if (!f(i + bit)) return;
            mask &= mask - 1;
        }
    }
#endif
    for (; i < s.size(); ++i)
        if ((s[i] == a || s[i] == b) && !f(i)) return;
}

} // namespace lex
