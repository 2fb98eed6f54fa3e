#pragma once
// The translation memory's indexes, kept in the program's memory and built from the database's
// texts: texts by the hash of their normalised form (exact lookups, and finding a text again
// when learning), and the texts of one language by their character trigrams (similar texts).
// Texts are only ever added to a memory, so both grow by the texts added since they were built.
// The trigram index may be brought up to date on a thread of its own (BackgroundIndexer).

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace lex {

// A 32-bit hash of a language and a normalised text (see normalise_label). Texts that share it
// are told apart by their text.
std::uint32_t text_key(std::string_view lang, std::string_view normalised);

// Text ids by text_key; several ids may share a key.
class TextKeys {
public:
    // Takes an id in; it is found once settle() has run.
    void insert(std::uint32_t key, std::uint32_t id) { pending_.push_back({key, id}); }
    // Sorts the ids taken in since the last call among the others.
    void settle();
    // Calls each(id) for every settled id with `key`, in the order they were taken in.
    template <typename Each> void find(std::uint32_t key, Each each) const {
        auto it = std::lower_bound(sorted_.begin(), sorted_.end(), key,
                                   [](const Slot& s, std::uint32_t k) { return s.key < k; });
        for (; it != sorted_.end() && it->key == key; ++it) each(it->id);
    }
    std::size_t size() const { return sorted_.size() + pending_.size(); }

private:
    struct Slot {
        std::uint32_t key;
        std::uint32_t id;
    };
    std::vector<Slot> sorted_; // by key, then in the order taken in
    std::vector<Slot> pending_;
};

// The texts of one language by their trigrams. Entries are numbered in the order they were
// added. `build` indexes, for each entry, only the rarest of its trigrams that any text similar
// enough must share with it (prefix filtering for the Dice score); entries added after a build
// are compared one by one until the next.
class SimilarTexts {
public:
    // Adds a normalised text as the next entry.
    void add(std::string_view normalised);
    // Makes room for `entries` more entries of about `grams` trigrams together.
    void reserve(std::size_t entries, std::size_t grams);
    std::size_t size() const { return gram_start_.size() - 1; }
    // How many entries came after the last build (all of them before the first).
    std::size_t unindexed() const { return size() - indexed_; }
    // The least threshold the last build serves (101: never built).
    int built_for() const { return built_for_; }
    // Indexes every entry for lookups at `threshold` percent or more.
    void build(int threshold);

    struct Found {
        int score; // 1 to 99: the Dice score in percent, as label_similarity gives it
        std::uint32_t entry;
    };
    // What a lookup works in. One for each thread: lookups that do not share one may run at
    // the same time.
    struct Scratch {
        std::vector<std::uint32_t> hashes, known; // the label's trigrams
        std::vector<std::uint32_t> hits;          // the postings of a group that pass its bloom
        std::vector<std::uint32_t> postings;      // ... of all groups
        std::vector<std::uint64_t> seen;          // a bit per entry: met in this search
        std::vector<std::uint32_t> met;           // the entries whose bit is set
        std::vector<std::uint8_t> marks;          // per trigram: 1 while the label has it
    };
    // Every entry whose score against `normalised` reaches `threshold` (at least built_for(),
    // at most 99; a threshold below 1 counts as 1), the highest score first, then in the order
    // the entries were added. Equal texts score 99 here; exact matches are found elsewhere.
    // Without a scratch of its own it uses the index's.
    void find(std::string_view normalised, int threshold, std::vector<Found>& out,
              Scratch& scratch) const;
    void find(std::string_view normalised, int threshold, std::vector<Found>& out) {
        find(normalised, threshold, out, scratch_);
    }

private:
    // A trigram's postings are the indexed entries that have it among their rarest, grouped by
    // the entry's size and the trigram's place in the entry: a lookup reads only the groups
    // where a similar entry can be, and passes most postings by on their bloom alone.
    struct Group {
        std::uint32_t size;  // the entries' trigram count
        std::uint32_t place; // the trigram's place among the entry's, the rarest first
        std::uint32_t start; // the group's first posting; it ends where the next group starts
    };
    std::uint32_t gram_id(std::uint32_t hash);          // numbered when new
    std::uint32_t known_gram(std::uint32_t hash) const; // UINT32_MAX: no entry has it
    void put_gram(std::uint32_t hash, std::uint32_t g);

    // Trigrams are numbered densely; after a build, the rarer the trigram the lower its number,
    // and each entry's trigrams are in that order.
    std::vector<std::uint32_t> hash_of_;    // trigram number: its hash
    std::vector<std::uint64_t> gram_slots_; // open addressing: hash << 32 | number + 1, 0 empty
    std::vector<std::uint32_t> grams_;      // every entry's trigram numbers, ascending once built
    std::vector<std::uint32_t> last_entry_; // per trigram: the last entry (+ 1) that had it
    std::vector<std::uint32_t> gram_start_{0}; // entry e: grams_[gram_start_[e], [e + 1])
    std::vector<std::uint64_t> blooms_;        // per entry
    std::vector<std::uint32_t> list_start_;    // per trigram numbered at the build: its first group
    std::vector<Group> groups_;                // and a last one that starts after every posting
    std::unique_ptr<std::uint32_t[]> posted_;  // per posting: the entry
    std::unique_ptr<std::uint64_t[]> posted_bloom_; // ... and its bloom, read apart
    std::size_t indexed_ = 0;
    int built_for_ = 101;
    std::vector<std::uint32_t> hashes_; // scratch of add()
    Scratch scratch_;
};

// Takes texts into an index of similar texts on a thread of its own, while the memory reads
// more of them and looks for exact matches. The index and the count of texts it took belong to
// the thread from construction until finish() or stop() returns, or the indexer is gone.
class BackgroundIndexer {
public:
    // Normalised texts one after another, and where each ends.
    struct Block {
        std::string chars;
        std::vector<std::size_t> ends;
    };

    BackgroundIndexer(SimilarTexts& similar, std::size_t& taken);
    ~BackgroundIndexer();
    BackgroundIndexer(const BackgroundIndexer&) = delete;
    BackgroundIndexer& operator=(const BackgroundIndexer&) = delete;

    // The next texts to take in.
    void hand(Block block);
    // No more texts: once the thread took them all, it builds the index for lookups at
    // `threshold` when it serves no such lookup yet or when the texts it compares one by one
    // are many among the `texts` it holds. Returns when that is done; what went wrong on the
    // thread goes on here.
    void finish(std::size_t texts, int threshold);
    // Nothing more is wanted: the thread stops after the text it is taking in.
    void stop();

private:
    enum class State { kReading, kFinishing, kStopped };
    void run();
    void halt();
    void join();

    SimilarTexts& similar_;
    std::size_t& taken_;
    std::mutex mutex_;
    std::condition_variable more_;
    std::deque<Block> blocks_;
    State state_ = State::kReading;
    std::size_t texts_ = 0;
    int threshold_ = 101;
    std::atomic<bool> stopping_{false};
    std::exception_ptr failure_;
    std::thread thread_; // last: it starts once everything above is made
};

} // namespace lex
