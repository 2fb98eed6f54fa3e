#pragma once
// Small byte-string helpers shared by the routines that search and cut the document text.

#include <bit>
#include <cstdint>
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
// Blanks (character 32) removed at both ends / at the end. `trim` is inline: readers trim
// every line of big files with it.
inline std::string_view trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    return b == e ? std::string_view() : s.substr(b, e - b);
}
// Up to `most` items joined by ", ", followed by " and N more" for the others.
std::string listed_briefly(const std::vector<std::string>& items, std::size_t most = 10);
std::string_view rtrim(std::string_view s);

#if defined(__SSE2__) || defined(_M_X64)
namespace detail {
// Runs `hits` (a 16-byte compare result for a position) over the 64-byte blocks from `i` that
// end by `stop`, and calls f(position) for every hit in order. Returns where the blocks ended,
// or npos when f returned false. Most blocks hold no hit: they cost one test.
template <class Hits, class F>
std::size_t for_each_hit(std::size_t i, std::size_t stop, Hits&& hits, F& f) {
    for (; i + 64 <= stop; i += 64) {
        const __m128i a = hits(i), b = hits(i + 16), c = hits(i + 32), d = hits(i + 48);
        if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))) == 0) continue;
        std::uint64_t mask = std::uint64_t(unsigned(_mm_movemask_epi8(a))) |
                             std::uint64_t(unsigned(_mm_movemask_epi8(b))) << 16 |
                             std::uint64_t(unsigned(_mm_movemask_epi8(c))) << 32 |
                             std::uint64_t(unsigned(_mm_movemask_epi8(d))) << 48;
        for (; mask; mask &= mask - 1)
            if (!f(i + std::size_t(std::countr_zero(mask)))) return std::string_view::npos;
    }
    return i;
}
inline __m128i load16(std::string_view s, std::size_t at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + at));
}
} // namespace detail
#endif

// The first position of byte c in s from `from` on, or npos: string_view::find for the short
// distances of a line, without a call, sixteen bytes at a time.
inline std::size_t find_near(std::string_view s, char c, std::size_t from) {
    std::size_t i = from;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i needle = _mm_set1_epi8(c);
    for (; i + 16 <= s.size(); i += 16)
        if (const unsigned mask =
                unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(detail::load16(s, i), needle))))
            return i + unsigned(std::countr_zero(mask));
#endif
    for (; i < s.size(); ++i)
        if (s[i] == c) return i;
    return std::string_view::npos;
}

// The first position of byte a or byte b in s from `from` on, or npos: find_near for two bytes.
inline std::size_t find_near_either(std::string_view s, char a, char b, std::size_t from) {
    std::size_t i = from;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i va = _mm_set1_epi8(a), vb = _mm_set1_epi8(b);
    for (; i + 16 <= s.size(); i += 16) {
        const __m128i chunk = detail::load16(s, i);
        if (const unsigned mask = unsigned(_mm_movemask_epi8(
                _mm_or_si128(_mm_cmpeq_epi8(chunk, va), _mm_cmpeq_epi8(chunk, vb)))))
            return i + unsigned(std::countr_zero(mask));
    }
#endif
    for (; i < s.size(); ++i)
        if (s[i] == a || s[i] == b) return i;
    return std::string_view::npos;
}

// Calls f(i) for every position i of byte c in s, in order; f returns false to stop early.
// The SSE2 path tests sixty-four bytes at a time: whole-document scans look at characters that
// stand on most lines ('=', '['), where a call to memchr per hit costs more than the scan.
template <class F> void for_each_byte(std::string_view s, char c, F&& f) {
    std::size_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i needle = _mm_set1_epi8(c);
    i = detail::for_each_hit(
        0, s.size(), [&](std::size_t at) { return _mm_cmpeq_epi8(detail::load16(s, at), needle); },
        f);
    if (i == std::string_view::npos) return;
#endif
    for (; i < s.size(); ++i)
        if (s[i] == c && !f(i)) return;
}

// Calls f(i) for every position i of byte a or byte b in s, in order; f returns false to stop
// early.
template <class F> void for_each_either(std::string_view s, char a, char b, F&& f) {
    std::size_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i va = _mm_set1_epi8(a), vb = _mm_set1_epi8(b);
    i = detail::for_each_hit(
        0, s.size(),
        [&](std::size_t at) {
            const __m128i chunk = detail::load16(s, at);
            return _mm_or_si128(_mm_cmpeq_epi8(chunk, va), _mm_cmpeq_epi8(chunk, vb));
        },
        f);
    if (i == std::string_view::npos) return;
#endif
    for (; i < s.size(); ++i)
        if ((s[i] == a || s[i] == b) && !f(i)) return;
}

// Calls f(i) for every position i where s[i] is `first` and s[i + gap] is `second`, in order;
// f returns false to stop early. A filter for a key with a rarer byte in it ("=0x2F"), for
// scans where `first` alone stands on most lines.
template <class F>
void for_each_pair(std::string_view s, char first, std::size_t gap, char second, F&& f) {
    if (s.size() <= gap) return;
    std::size_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i a = _mm_set1_epi8(first), b = _mm_set1_epi8(second);
    i = detail::for_each_hit(
        0, s.size() - gap,
        [&](std::size_t at) {
            return _mm_and_si128(_mm_cmpeq_epi8(detail::load16(s, at), a),
                                 _mm_cmpeq_epi8(detail::load16(s, at + gap), b));
        },
        f);
    if (i == std::string_view::npos) return;
#endif
    for (; i + gap < s.size(); ++i)
        if (s[i] == first && s[i + gap] == second && !f(i)) return;
}

// Appends the UTF-8 form of character `c` to `out`; a surrogate or a value past U+10FFFF is
// written as U+FFFD.
void append_utf8(std::string& out, char32_t c);

// Appends `s` as XML (or HTML) character data or attribute value: "&", "<", ">" and quotes as
// entities, tab, LF and CR as character references (they survive in attributes too), and the
// other control characters, which XML 1.0 cannot hold, as U+FFFD.
void append_xml_text(std::string& out, std::string_view s);

} // namespace lex
