#include "translate/memory_index.h"

#include "translate/memory_text.h"

#include <algorithm>
#include <bit>
#include <numeric>

namespace lex {

namespace {

// a / b rounded up, for a >= 0 and b > 0.
std::int64_t ceil_div(std::int64_t a, std::int64_t b) {
    return (a + b - 1) / b;
}

// The fewest trigrams a text of `n` trigrams shares with any text it scores `t` % against.
std::int64_t least_shared(std::int64_t n, std::int64_t t) {
    return std::max<std::int64_t>(1, ceil_div(t * n, 200 - t));
}

// The trigrams two texts of `n` and `m` trigrams must share to score `t` %.
std::int64_t shared_needed(std::int64_t n, std::int64_t m, std::int64_t t) {
    return std::max<std::int64_t>(1, ceil_div(t * (n + m), 200));
}

// How many of a text's trigrams, the rarest first, any text scoring `t` % against it shares
// one of.
std::size_t prefix_length(std::size_t m, int t) {
    return std::size_t(
        std::max<std::int64_t>(0, std::int64_t(m) - least_shared(std::int64_t(m), t) + 1));
}

// The bits set in `x` (std::popcount becomes a library call without the processor's
// instruction enabled; this runs in the innermost loop).
int bits_set(std::uint64_t x) {
    x -= (x >> 1) & 0x5555555555555555ull;
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return int((x * 0x0101010101010101ull) >> 56);
}

// Sorts a few numbers (a text's trigrams) faster than std::sort does.
void sort_few(std::uint32_t* first, std::uint32_t* last) {
    for (std::uint32_t* i = first + (first != last); i < last; ++i) {
        const std::uint32_t v = *i;
        std::uint32_t* j = i;
        for (; j != first && *(j - 1) > v; --j) *j = *(j - 1);
        *j = v;
    }
}

std::uint64_t bloom_bit(std::uint32_t hash) {
    return std::uint64_t(1) << (hash & 63);
}

} // namespace

std::uint32_t text_key(std::string_view lang, std::string_view normalised) {
    const std::uint64_t h = fnv(normalised, fnv("\n", fnv(lang)));
    return std::uint32_t(h ^ (h >> 32));
}

void TextKeys::settle() {
    if (pending_.empty()) return;
    // Sorted by key in two stable passes of 16 bits, then merged with the settled ones, which
    // came before.
    std::vector<Slot> buffer(pending_.size());
    for (const int shift : {0, 16}) {
        std::vector<std::uint32_t> start(65537, 0);
        for (const Slot& s : pending_) ++start[((s.key >> shift) & 0xFFFF) + 1];
        for (std::size_t i = 1; i < start.size(); ++i) start[i] += start[i - 1];
        for (const Slot& s : pending_) buffer[start[(s.key >> shift) & 0xFFFF]++] = s;
        pending_.swap(buffer);
    }
    const auto middle = std::ptrdiff_t(sorted_.size());
    sorted_.insert(sorted_.end(), pending_.begin(), pending_.end());
    std::inplace_merge(sorted_.begin(), sorted_.begin() + middle, sorted_.end(),
                       [](const Slot& a, const Slot& b) { return a.key < b.key; });
    pending_.clear();
    pending_.shrink_to_fit();
}

std::uint32_t SimilarTexts::gram_id(std::uint32_t hash, bool add) {
    if (add && (hash_of_.size() + 1) * 2 > gram_slots_.size()) {
        gram_slots_.assign(std::max<std::size_t>(1024, gram_slots_.size() * 2), 0);
        const std::size_t mask = gram_slots_.size() - 1;
        for (std::uint32_t g = 0; g < hash_of_.size(); ++g) {
            std::size_t at = std::size_t(hash_of_[g]) * 0x9E3779B1u >> 7 & mask;
            while (gram_slots_[at] != 0) at = (at + 1) & mask;
            gram_slots_[at] = g + 1;
        }
    }
    if (gram_slots_.empty()) return UINT32_MAX;
    const std::size_t mask = gram_slots_.size() - 1;
    std::size_t at = std::size_t(hash) * 0x9E3779B1u >> 7 & mask;
    for (; gram_slots_[at] != 0; at = (at + 1) & mask)
        if (hash_of_[gram_slots_[at] - 1] == hash) return gram_slots_[at] - 1;
    if (!add) return UINT32_MAX;
    hash_of_.push_back(hash);
    gram_slots_[at] = std::uint32_t(hash_of_.size());
    return std::uint32_t(hash_of_.size() - 1);
}

void SimilarTexts::add(std::string_view normalised) {
    trigrams(normalised, hashes_);
    std::uint64_t bloom = 0;
    const std::size_t start = grams_.size();
    for (const std::uint32_t h : hashes_) {
        bloom |= bloom_bit(h);
        grams_.push_back(gram_id(h, true));
    }
    sort_few(grams_.data() + start, grams_.data() + grams_.size());
    gram_start_.push_back(std::uint32_t(grams_.size()));
    blooms_.push_back(bloom);
}

void SimilarTexts::build(int threshold) {
    const int t = std::clamp(threshold, 1, 99);
    // Renumber the trigrams, the rarest first.
    std::vector<std::uint32_t> count(hash_of_.size(), 0);
    for (const std::uint32_t g : grams_) ++count[g];
    std::vector<std::uint32_t> order(hash_of_.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return count[a] != count[b] ? count[a] < count[b] : hash_of_[a] < hash_of_[b];
    });
    std::vector<std::uint32_t> renumbered(order.size());
    std::vector<std::uint32_t> hashes(order.size());
    for (std::uint32_t k = 0; k < order.size(); ++k) {
        renumbered[order[k]] = k;
        hashes[k] = hash_of_[order[k]];
    }
    hash_of_.clear();
    gram_slots_.clear();
    for (const std::uint32_t h : hashes) gram_id(h, true);
    const std::size_t entries = size();
    for (std::size_t e = 0; e < entries; ++e) {
        auto* first = grams_.data() + gram_start_[e];
        auto* last = grams_.data() + gram_start_[e + 1];
        for (auto* g = first; g != last; ++g) *g = renumbered[*g];
        sort_few(first, last);
    }

    // Each trigram's postings: the entries with it among their rarest, by size, then in order.
    std::uint32_t largest = 0;
    for (std::size_t e = 0; e < entries; ++e)
        largest = std::max(largest, gram_start_[e + 1] - gram_start_[e]);
    std::vector<std::uint32_t> by_size_start(std::size_t(largest) + 2, 0);
    for (std::size_t e = 0; e < entries; ++e)
        ++by_size_start[gram_start_[e + 1] - gram_start_[e] + 1];
    std::partial_sum(by_size_start.begin(), by_size_start.end(), by_size_start.begin());
    std::vector<std::uint32_t> by_size(entries);
    for (std::size_t e = 0; e < entries; ++e)
        by_size[by_size_start[gram_start_[e + 1] - gram_start_[e]]++] = std::uint32_t(e);

    // The postings in the order (size, place, entry), counted first and laid out after, each
    // trigram's together with the groups that start a new size or place.
    std::vector<std::uint32_t> at(hash_of_.size() + 1, 0);
    std::vector<std::uint32_t> group_at(hash_of_.size() + 1, 0);
    std::vector<std::uint64_t> last(hash_of_.size(), ~std::uint64_t(0)); // size << 32 | place
    std::vector<std::uint32_t> run; // the prefixes of the entries of one size, place by place
    auto each_posting = [&](auto&& take) {
        for (std::size_t from = 0; from < entries;) {
            const std::uint32_t m = gram_start_[by_size[from] + 1] - gram_start_[by_size[from]];
            std::size_t to = from;
            while (to < entries && gram_start_[by_size[to] + 1] - gram_start_[by_size[to]] == m)
                ++to;
            const std::size_t p = prefix_length(m, t), in_run = to - from;
            run.resize(p * in_run);
            for (std::size_t i = 0; i < in_run; ++i)
                for (std::size_t k = 0; k < p; ++k)
                    run[k * in_run + i] = grams_[gram_start_[by_size[from + i]] + k];
            for (std::uint32_t k = 0; k < p; ++k)
                for (std::size_t i = 0; i < in_run; ++i)
                    take(run[k * in_run + i], m, k, by_size[from + i]);
            from = to;
        }
    };
    each_posting([&](std::uint32_t g, std::uint32_t m, std::uint32_t k, std::uint32_t) {
        ++at[g + 1];
        const std::uint64_t group = std::uint64_t(m) << 32 | k;
        if (last[g] != group) ++group_at[g + 1], last[g] = group;
    });
    std::partial_sum(at.begin(), at.end(), at.begin());
    std::partial_sum(group_at.begin(), group_at.end(), group_at.begin());
    posted_.assign(at.back(), 0);
    posted_bloom_.assign(at.back(), 0);
    groups_.assign(std::size_t(group_at.back()) + 1, Group{0, 0, at.back()});
    list_start_ = group_at;
    std::fill(last.begin(), last.end(), ~std::uint64_t(0));
    each_posting([&](std::uint32_t g, std::uint32_t m, std::uint32_t k, std::uint32_t e) {
        const std::uint64_t group = std::uint64_t(m) << 32 | k;
        if (last[g] != group) groups_[group_at[g]++] = {m, k, at[g]}, last[g] = group;
        posted_[at[g]] = e;
        posted_bloom_[at[g]++] = blooms_[e];
    });
    indexed_ = entries;
    built_for_ = t;
    seen_.assign(entries, 0);
    stamp_ = 0;
}

void SimilarTexts::find(std::string_view normalised, int threshold, std::vector<Found>& out) {
    out.clear();
    const int t = std::max(1, threshold);
    if (t > 99) return;
    trigrams(normalised, hashes_);
    const auto n = std::int64_t(hashes_.size());
    if (n == 0) return;
    std::uint64_t bloom = 0;
    known_.clear();
    for (const std::uint32_t h : hashes_) {
        bloom |= bloom_bit(h);
        if (const std::uint32_t g = gram_id(h, false); g != UINT32_MAX) known_.push_back(g);
    }
    std::sort(known_.begin(), known_.end());
    // The sizes a similar entry can have.
    const std::int64_t least = least_shared(n, t);
    const std::int64_t most = n * (200 - t) / t;

    // An entry's trigram whose bit the label lacks is not one of the label's: an entry with
    // more such bits than it may miss trigrams is passed by.
    auto may_match = [&](std::int64_t may_miss, std::uint64_t entry_bloom) {
        return bits_set(entry_bloom & ~bloom) <= may_miss;
    };
    auto consider = [&](std::uint32_t e, std::int64_t m, std::int64_t needed) {
        const std::size_t shared = common_count(known_.data(), known_.size(),
                                                grams_.data() + gram_start_[e], std::size_t(m));
        if (std::int64_t(shared) >= needed)
            out.push_back({std::min(99, dice_score(shared, std::size_t(n), std::size_t(m))), e});
    };

    std::size_t from = indexed_;
    if (t >= built_for_ && indexed_ > 0) {
        if (++stamp_ == 0) {
            std::fill(seen_.begin(), seen_.end(), 0);
            stamp_ = 1;
        }
        // A similar entry shares one of the label's rarest trigrams (the ones the entries lack
        // count as the rarest of all) and has it among its own rarest.
        const std::int64_t unknown = n - std::int64_t(known_.size());
        const std::int64_t probes = n - least + 1 - unknown;
        for (std::int64_t k = 0; k < probes && k < std::int64_t(known_.size()); ++k) {
            const std::uint32_t g = known_[std::size_t(k)];
            if (std::size_t(g) + 1 >= list_start_.size()) break; // numbered after the build
            const std::int64_t place = unknown + k;              // the label's trigram's place
            const Group* end = groups_.data() + list_start_[g + 1];
            const Group* group = std::partition_point(
                static_cast<const Group*>(groups_.data() + list_start_[g]), end,
                [&](const Group& x) { return std::int64_t(x.size) < least; });
            for (; group != end && std::int64_t(group->size) <= most; ++group) {
                const std::int64_t m = group->size;
                const std::int64_t needed = shared_needed(n, m, t);
                // Both texts have a trigram they share among their first size - needed + 1.
                if (place > n - needed) break; // and for the larger sizes too
                if (group->place > m - needed) continue;
                for (std::uint32_t i = group->start; i < group[1].start; ++i) {
                    if (!may_match(m - needed, posted_bloom_[i]) || seen_[posted_[i]] == stamp_)
                        continue;
                    seen_[posted_[i]] = stamp_;
                    consider(posted_[i], m, needed);
                }
            }
        }
    } else {
        from = 0;
    }
    for (std::size_t e = from; e < size(); ++e) {
        const std::int64_t m = gram_start_[e + 1] - gram_start_[e];
        if (m < least || m > most) continue;
        const std::int64_t needed = shared_needed(n, m, t);
        if (may_match(m - needed, blooms_[e])) consider(std::uint32_t(e), m, needed);
    }
    std::sort(out.begin(), out.end(), [](const Found& a, const Found& b) {
        return a.score != b.score ? a.score > b.score : a.entry < b.entry;
    });
}

} // namespace lex
