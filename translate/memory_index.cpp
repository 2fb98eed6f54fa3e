#include "translate/memory_index.h"

#include "translate/memory_text.h"

#include <algorithm>
#include <bit>
#include <numeric>
#include <utility>

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

// Writes to `hits` the places i below `count` where `blooms[i]` has at most `may_miss` bits
// that `outside` has too; returns how many. `bits` counts the bits of a number.
template <class Bits>
inline std::size_t few_bits_outside(const std::uint64_t* blooms, std::size_t count,
                                    std::uint64_t outside, std::int64_t may_miss,
                                    std::uint32_t* hits, Bits bits) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < count; ++i) {
        hits[n] = std::uint32_t(i);
        n += bits(blooms[i] & outside) <= may_miss;
    }
    return n;
}

#if defined(__GNUC__) && defined(__x86_64__)
// The same with the processor's own instruction for counting bits, which every processor of the
// last fifteen years has but the program may not assume: it is chosen at run time. (Not through
// the loader's choosing of functions, which runs before the sanitizers' runtime is ready.)
__attribute__((target("popcnt"))) std::size_t
few_bits_outside_popcnt(const std::uint64_t* blooms, std::size_t count, std::uint64_t outside,
                        std::int64_t may_miss, std::uint32_t* hits) {
    return few_bits_outside(blooms, count, outside, may_miss, hits,
                            [](std::uint64_t x) { return __builtin_popcountll(x); });
}
#endif

std::size_t few_bits_outside(const std::uint64_t* blooms, std::size_t count, std::uint64_t outside,
                             std::int64_t may_miss, std::uint32_t* hits) {
#if defined(__GNUC__) && defined(__x86_64__)
    static const bool popcnt = __builtin_cpu_supports("popcnt");
    if (popcnt) return few_bits_outside_popcnt(blooms, count, outside, may_miss, hits);
#endif
    return few_bits_outside(blooms, count, outside, may_miss, hits, bits_set);
}

// Sorts a text's trigram numbers, all distinct: each goes to the place that the count of smaller
// ones gives, which takes no branch that depends on the numbers (the sorts that move numbers
// about mispredict a branch for most of them).
void sort_distinct(std::uint32_t* first, std::uint32_t* last) {
    const auto n = std::size_t(last - first);
    if (n > 64) {
        std::sort(first, last);
        return;
    }
    std::uint32_t sorted[64];
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t v = first[i];
        std::size_t below = 0;
        for (std::size_t j = 0; j < n; ++j) below += first[j] < v;
        sorted[below] = v;
    }
    std::copy(sorted, sorted + n, first);
}

// Makes room in `v` for `n` elements.
template <class T> void reserve_room(std::vector<T>& v, std::size_t n) {
    if (v.capacity() >= n) return;
    v.reserve(std::max(n, v.capacity() * 2)); // room that grows by steps, as push_back's does
}

// Asks for the memory at `p` ahead of its use.
void prefetch(const void* p) {
#if defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
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

namespace {

// Where the open addressing of trigram numbers looks first for a hash.
std::size_t first_slot(std::uint32_t hash, std::size_t mask) {
    return std::size_t(hash) * 0x9E3779B1u >> 7 & mask;
}

} // namespace

std::uint32_t SimilarTexts::known_gram(std::uint32_t hash) const {
    if (gram_slots_.empty()) return UINT32_MAX;
    const std::size_t mask = gram_slots_.size() - 1;
    for (std::size_t at = first_slot(hash, mask); gram_slots_[at] != 0; at = (at + 1) & mask)
        if (gram_slots_[at] >> 32 == hash) return std::uint32_t(gram_slots_[at]) - 1;
    return UINT32_MAX;
}

std::uint32_t SimilarTexts::gram_id(std::uint32_t hash) {
    if (const std::uint32_t g = known_gram(hash); g != UINT32_MAX) return g;
    if ((hash_of_.size() + 1) * 2 > gram_slots_.size()) {
        gram_slots_.assign(std::max<std::size_t>(1024, gram_slots_.size() * 2), 0);
        for (std::uint32_t g = 0; g < hash_of_.size(); ++g) put_gram(hash_of_[g], g);
    }
    hash_of_.push_back(hash);
    put_gram(hash, std::uint32_t(hash_of_.size() - 1));
    return std::uint32_t(hash_of_.size() - 1);
}

void SimilarTexts::put_gram(std::uint32_t hash, std::uint32_t g) {
    const std::size_t mask = gram_slots_.size() - 1;
    std::size_t at = first_slot(hash, mask);
    while (gram_slots_[at] != 0) at = (at + 1) & mask;
    gram_slots_[at] = std::uint64_t(hash) << 32 | (g + 1);
}

void SimilarTexts::reserve(std::size_t entries, std::size_t grams) {
    reserve_room(grams_, grams_.size() + grams);
    reserve_room(gram_start_, gram_start_.size() + entries);
    reserve_room(blooms_, blooms_.size() + entries);
}

void SimilarTexts::add(std::string_view normalised) {
    // The trigrams as numbers, each once: a trigram met again in the same text finds its number
    // stamped with this entry. They are sorted when the index is built.
    trigram_hashes(normalised, hashes_);
    std::uint64_t bloom = 0;
    const auto entry = std::uint32_t(size() + 1);
    for (const std::uint32_t h : hashes_) {
        const std::uint32_t g = gram_id(h);
        if (g >= last_entry_.size()) last_entry_.resize(std::max<std::size_t>(1024, 2 * g + 2), 0);
        if (last_entry_[g] == entry) continue;
        last_entry_[g] = entry;
        bloom |= bloom_bit(h);
        grams_.push_back(g);
    }
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
    for (const std::uint32_t h : hashes) gram_id(h);
    const std::size_t entries = size();

    // The entries of each size, and where their prefixes (their rarest trigrams that postings
    // name) go: the prefixes of one size place by place, each place's in the entries' order.
    // Laid out so while each entry is sorted, the passes below read them one after another.
    std::uint32_t largest = 0;
    for (std::size_t e = 0; e < entries; ++e)
        largest = std::max(largest, gram_start_[e + 1] - gram_start_[e]);
    std::vector<std::size_t> of_size(std::size_t(largest) + 1, 0);
    for (std::size_t e = 0; e < entries; ++e) ++of_size[gram_start_[e + 1] - gram_start_[e]];
    std::vector<std::size_t> entry_at(of_size.size()), prefix_at(of_size.size());
    std::size_t entries_before = 0, prefixes_before = 0;
    for (std::size_t m = 0; m < of_size.size(); ++m) {
        entry_at[m] = entries_before;
        prefix_at[m] = prefixes_before;
        entries_before += of_size[m];
        prefixes_before += of_size[m] * prefix_length(m, t);
    }
    std::vector<std::uint32_t> by_size(entries), prefixes(prefixes_before);
    std::vector<std::size_t> placed(of_size.size(), 0);
    for (std::size_t e = 0; e < entries; ++e) {
        auto* first = grams_.data() + gram_start_[e];
        auto* last = grams_.data() + gram_start_[e + 1];
        for (auto* g = first; g != last; ++g) *g = renumbered[*g];
        sort_distinct(first, last);
        const auto m = std::size_t(last - first);
        const std::size_t i = placed[m]++;
        by_size[entry_at[m] + i] = std::uint32_t(e);
        for (std::size_t k = 0, p = prefix_length(m, t); k < p; ++k)
            prefixes[prefix_at[m] + k * of_size[m] + i] = first[k];
    }

    // Each trigram's postings: the entries with it among their rarest, by size, then place,
    // then in order; counted first and laid out after, each trigram's together with the groups
    // that start a new size or place.
    std::vector<std::uint32_t> at(hash_of_.size() + 1, 0);
    std::vector<std::uint32_t> group_at(hash_of_.size() + 1, 0);
    std::vector<std::uint64_t> last(hash_of_.size(), ~std::uint64_t(0)); // size << 32 | place
    auto each_posting = [&](auto&& take) {
        for (std::size_t m = 0; m < of_size.size(); ++m) {
            const std::uint32_t* run = prefixes.data() + prefix_at[m];
            const std::uint32_t* run_entries = by_size.data() + entry_at[m];
            for (std::size_t k = 0, p = prefix_length(m, t); k < p; ++k, run += of_size[m])
                for (std::size_t i = 0; i < of_size[m]; ++i)
                    take(run[i], std::uint32_t(m), std::uint32_t(k), run_entries[i]);
        }
    };
    each_posting([&](std::uint32_t g, std::uint32_t m, std::uint32_t k, std::uint32_t) {
        ++at[g + 1];
        const std::uint64_t group = std::uint64_t(m) << 32 | k;
        if (last[g] != group) ++group_at[g + 1], last[g] = group;
    });
    std::partial_sum(at.begin(), at.end(), at.begin());
    std::partial_sum(group_at.begin(), group_at.end(), group_at.begin());
    // Every posting is written below: the memory needs no clearing first.
    posted_.reset(new std::uint32_t[at.back()]);
    posted_bloom_.reset(new std::uint64_t[at.back()]);
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
}

void SimilarTexts::find(std::string_view normalised, int threshold, std::vector<Found>& out,
                        Scratch& scratch) const {
    out.clear();
    const int t = std::max(1, threshold);
    if (t > 99) return;
    // Named references rather than a structured binding: lambdas below take some of them, which
    // not every compiler allows of a binding.
    std::vector<std::uint32_t>& hashes = scratch.hashes;
    std::vector<std::uint32_t>& known = scratch.known;
    std::vector<std::uint32_t>& hits = scratch.hits;
    std::vector<std::uint32_t>& postings = scratch.postings;
    std::vector<std::uint64_t>& seen = scratch.seen;
    std::vector<std::uint32_t>& met = scratch.met;
    std::vector<std::uint8_t>& marks = scratch.marks;
    trigrams(normalised, hashes);
    const auto n = std::int64_t(hashes.size());
    if (n == 0) return;
    std::uint64_t bloom = 0;
    known.clear();
    for (const std::uint32_t h : hashes) {
        bloom |= bloom_bit(h);
        if (const std::uint32_t g = known_gram(h); g != UINT32_MAX) known.push_back(g);
    }
    std::sort(known.begin(), known.end());
    // The label's trigrams marked by number: an entry's shared trigrams are counted by looking
    // each of its own up, without a branch that depends on the texts.
    marks.resize(hash_of_.size(), 0);
    for (const std::uint32_t g : known) marks[g] = 1;
    struct Unmark {
        std::vector<std::uint8_t>& marks;
        const std::vector<std::uint32_t>& known;
        ~Unmark() {
            for (const std::uint32_t g : known) marks[g] = 0;
        }
    } unmark{marks, known};
    // The sizes a similar entry can have.
    const std::int64_t least = least_shared(n, t);
    const std::int64_t most = n * (200 - t) / t;

    // An entry's trigram whose bit the label lacks is not one of the label's: an entry with
    // more such bits than it may miss trigrams is passed by.
    auto may_match = [&](std::int64_t may_miss, std::uint64_t entry_bloom) {
        return bits_set(entry_bloom & ~bloom) <= may_miss;
    };
    auto consider = [&](std::uint32_t e, std::int64_t m, std::int64_t needed) {
        std::size_t shared = 0;
        for (const std::uint32_t *g = grams_.data() + gram_start_[e], *end = g + m; g != end; ++g)
            shared += marks[*g];
        if (std::int64_t(shared) >= needed)
            out.push_back({std::min(99, dice_score(shared, std::size_t(n), std::size_t(m))), e});
    };

    std::size_t from = indexed_;
    if (t >= built_for_ && indexed_ > 0) {
        // One bit an entry (a million fit the processor's second cache), cleared again after
        // the search for the entries it met.
        if (seen.size() * 64 < indexed_) seen.resize(indexed_ / 64 + 1, 0);
        struct Unsee {
            std::vector<std::uint64_t>& seen;
            std::vector<std::uint32_t>& met;
            ~Unsee() {
                for (const std::uint32_t e : met) seen[e / 64] = 0;
                met.clear();
            }
        } unsee{seen, met};
        // A similar entry shares one of the label's rarest trigrams (the ones the entries lack
        // count as the rarest of all) and has it among its own rarest.
        const std::int64_t unknown = n - std::int64_t(known.size());
        const std::int64_t probes = n - least + 1 - unknown;
        for (std::int64_t k = 0; k < probes && k < std::int64_t(known.size()); ++k) {
            const std::uint32_t g = known[std::size_t(k)];
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
                const std::size_t count = group[1].start - group->start;
                if (hits.size() < count) hits.resize(count);
                const std::size_t passed = few_bits_outside(posted_bloom_.get() + group->start,
                                                            count, ~bloom, m - needed, hits.data());
                for (std::size_t h = 0; h < passed; ++h) postings.push_back(group->start + hits[h]);
            }
        }
        // The entries the postings name, each once, and then their trigrams: each step reads
        // all of them before the next, so that the memory fetches many at a time rather than
        // one after the other.
        for (const std::uint32_t i : postings) {
            const std::uint32_t e = posted_[i];
            const std::uint64_t bit = std::uint64_t(1) << (e % 64);
            if (seen[e / 64] & bit) continue;
            seen[e / 64] |= bit;
            met.push_back(e);
        }
        postings.clear();
        for (const std::uint32_t e : met) prefetch(grams_.data() + gram_start_[e]);
        for (const std::uint32_t e : met) {
            const std::int64_t m = gram_start_[e + 1] - gram_start_[e];
            consider(e, m, shared_needed(n, m, t));
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

BackgroundIndexer::BackgroundIndexer(SimilarTexts& similar, std::size_t& taken)
    : similar_(similar), taken_(taken), thread_([this] { run(); }) {}

BackgroundIndexer::~BackgroundIndexer() {
    halt();
    if (thread_.joinable()) thread_.join();
}

void BackgroundIndexer::hand(Block block) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        blocks_.push_back(std::move(block));
    }
    more_.notify_one();
}

void BackgroundIndexer::finish(std::size_t texts, int threshold) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        state_ = State::kFinishing;
        texts_ = texts;
        threshold_ = threshold;
    }
    more_.notify_one();
    join();
}

void BackgroundIndexer::stop() {
    halt();
    join();
}

void BackgroundIndexer::run() {
    try {
        for (;;) {
            Block block;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                more_.wait(lock, [&] { return !blocks_.empty() || state_ != State::kReading; });
                if (state_ == State::kStopped) return;
                if (blocks_.empty()) break; // finishing, and every text taken
                block = std::move(blocks_.front());
                blocks_.pop_front();
            }
            // A text has about as many trigrams as characters, and one more.
            similar_.reserve(block.ends.size(), block.chars.size() + block.ends.size());
            std::size_t from = 0;
            for (const std::size_t end : block.ends) {
                if (stopping_.load(std::memory_order_relaxed)) return;
                similar_.add(std::string_view(block.chars).substr(from, end - from));
                ++taken_;
                from = end;
            }
        }
        if (similar_.built_for() > std::max(1, threshold_) ||
            similar_.unindexed() > std::max<std::size_t>(4096, texts_ / 8))
            similar_.build(threshold_);
    } catch (...) {
        failure_ = std::current_exception();
    }
}

void BackgroundIndexer::halt() {
    stopping_ = true;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        state_ = State::kStopped;
    }
    more_.notify_one();
}

void BackgroundIndexer::join() {
    if (thread_.joinable()) thread_.join();
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

} // namespace lex
