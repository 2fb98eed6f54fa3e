#pragma once
// How the translation memory compares labels: the character trigrams of a normalised label
// (see normalise_label in memory.h) and the Dice score of two sets of them.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace lex {

// The 64-bit FNV-1a hash of `s`, going on from `h`: the memory's keys of texts and pairs.
inline std::uint64_t fnv(std::string_view s, std::uint64_t h = 1469598103934665603ull) {
    for (const char c : s) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h;
}

// The hashes of the character trigrams of a normalised text, a blank before and after it, in the
// order they stand (a trigram that comes twice is there twice).
void trigram_hashes(std::string_view normalised, std::vector<std::uint32_t>& out);
// The same as sorted distinct hashes.
void trigrams(std::string_view normalised, std::vector<std::uint32_t>& out);

// How many hashes two sorted sets share.
std::size_t common_count(const std::uint32_t* a, std::size_t na, const std::uint32_t* b,
                         std::size_t nb);

// Appends normalise_label(text) to `out` (no string of its own for each of many texts).
void append_normalised(std::string_view text, std::string& out);

// The Dice score of two sets of `na` and `nb` hashes sharing `shared`, 0 to 100.
int dice_score(std::size_t shared, std::size_t na, std::size_t nb);

} // namespace lex
