#pragma once
// Writing a text with some of its bytes escaped, for the writers of translation files: the runs
// of bytes that need no escape go out whole, and most labels are one such run.

#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include <bit>

namespace lex {

// Writes `s` at `p` with each byte that needs an escape written by escape(p, byte), which
// returns the escape's end; returns the end of it all. plain(byte) tells the bytes that need
// none; marked(sixteen bytes) gives 0xFF at each byte that needs one, the same bytes. Sixteen
// bytes at a time, and a text's last 4 to 15 bytes in two overlapping pieces when none of them
// needs an escape. The room at `p` must hold sixteen bytes more than `s` wherever sixteen bytes
// of `s` are left (an escape is longer than its byte, so room for every byte escaped does).
template <class Marked, class Plain, class Escape>
char* put_escaped_runs(char* p, std::string_view s, Marked&& marked, Plain&& plain,
                       Escape&& escape) {
    const char* i = s.data();
    const char* const end = i + s.size();
#if defined(__SSE2__) || defined(_M_X64)
    while (end - i >= 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(i));
        // The sixteen bytes go out whole; the cursor moves past the plain ones only.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), chunk);
        const unsigned mask = unsigned(_mm_movemask_epi8(marked(chunk)));
        if (mask == 0) {
            p += 16;
            i += 16;
            continue;
        }
        const int run = std::countr_zero(mask);
        p = escape(p + run, i[run]);
        i += run + 1;
    }
    if (const std::size_t n = std::size_t(end - i); n >= 8) {
        std::uint64_t a, b;
        std::memcpy(&a, i, 8);
        std::memcpy(&b, end - 8, 8);
        if (_mm_movemask_epi8(marked(
                _mm_set_epi64x(static_cast<long long>(b), static_cast<long long>(a)))) == 0) {
            std::memcpy(p, &a, 8);
            std::memcpy(p + n - 8, &b, 8);
            return p + n;
        }
    } else if (n >= 4) {
        std::uint32_t a, b;
        std::memcpy(&a, i, 4);
        std::memcpy(&b, end - 4, 4);
        if (_mm_movemask_epi8(marked(_mm_set_epi32(static_cast<int>(b), static_cast<int>(a),
                                                   static_cast<int>(b), static_cast<int>(a)))) ==
            0) {
            std::memcpy(p, &a, 4);
            std::memcpy(p + n - 4, &b, 4);
            return p + n;
        }
    }
#endif
    for (;;) {
        const char* run = i;
        while (run != end && plain(*run)) ++run;
        if (run != i) std::memcpy(p, i, std::size_t(run - i));
        p += run - i;
        if (run == end) return p;
        p = escape(p, *run);
        i = run + 1;
    }
}

} // namespace lex
