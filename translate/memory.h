#pragma once
// The translation memory: pairs of labels in two languages, kept in an SQLite database in the
// user folder, and the lookup that answers a label from them (exact after normalising letter
// case and blanks, else the most similar source text above a threshold).
//
// Texts are UTF-8 and languages their ISO 639-1 codes ("en", "de"), whatever the style's code
// pages. Every write is one transaction: a learning cut short leaves the memory as it was.
// Several programs may use one file at once (SQLite's locking, write-ahead log); within a
// program, one TranslationMemory is used by one thread at a time, and a thread that learns in
// the background opens its own.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace lex {

// Two labels that translate each other.
struct MemoryPair {
    std::string source_lang; // ISO 639-1
    std::string source;      // UTF-8
    std::string target_lang;
    std::string target;
    bool operator==(const MemoryPair&) const = default;
};

// Where pairs came from, and whether they are the user's own work (which ranks above pairs only
// seen in files).
struct PairOrigin {
    std::string name; // a style's file name, a TMX file's name, "own"
    bool own = false;
};

// The best answer the memory has for one label.
struct MemoryMatch {
    std::string target; // UTF-8
    int score = 0;      // 100: the same text after normalising, else the similarity in percent
    std::string origin; // where the pair came from
    bool own = false;
};

// `text` as the lookup compares it: lower case (Latin, Greek and Cyrillic letters), blanks
// collapsed to one and removed at both ends.
std::string normalise_label(std::string_view text);
// The similarity of two normalised texts in percent: the Dice coefficient of their character
// trigrams (100 for equal texts, 0 for texts without a trigram in common).
int label_similarity(std::string_view a, std::string_view b);
// A digest of a style's text (never 0): content learnt before is not learnt again.
std::uint64_t text_digest(std::string_view text);

class TranslationMemory {
public:
    // Opens the memory at `path`, creating the file (and its folder) on first use. Nothing and
    // the reason in `why` when it cannot be opened or is no memory (a corrupt file).
    static std::unique_ptr<TranslationMemory> open(const std::string& path, std::string& why);
    ~TranslationMemory();
    TranslationMemory(const TranslationMemory&) = delete;
    TranslationMemory& operator=(const TranslationMemory&) = delete;

    const std::string& path() const { return path_; }

    // Adds `pairs` in one transaction: a pair it holds already counts as seen once more (own
    // work marks it as own). `digest` (not 0) names the content the pairs came from: content
    // learnt before is skipped (returns 0), and a file name learnt before with other content
    // adds only the pairs new to the memory. Returns the pairs given (-1 and `why` on failure,
    // nothing written). Once `stop` is raised (from another thread) it gives up the same way.
    long add(const std::vector<MemoryPair>& pairs, const PairOrigin& origin, std::string& why,
             std::uint64_t digest = 0, const std::atomic<bool>* stop = nullptr);

    // The best target in `target_lang` for each of `texts` in `source_lang`: exact matches
    // first, then the most similar source text whose score reaches `threshold` (a threshold
    // above 100 looks for exact matches only). Ties go to own work, then to the pair seen most
    // often, then to the one seen last. Nothing where the memory has no answer; `why` says
    // when the lookup failed (every answer is then nothing).
    std::vector<std::optional<MemoryMatch>> lookup(const std::string& source_lang,
                                                   const std::string& target_lang,
                                                   const std::vector<std::string>& texts,
                                                   int threshold, std::string& why);

    // How a lookup shares its work with a second thread: the texts it reads go to the thread
    // that indexes them in blocks of `texts_in_block`, and the similar texts of `labels_on_two_
    // threads` labels or more are looked up on two threads. Tests make both small.
    struct Sharing {
        std::size_t texts_in_block = 16384;
        std::size_t labels_on_two_threads = 512;
    };
    void share_work(const Sharing& sharing) { sharing_ = sharing; }

    // Every pair, by its source text in the order texts were first learnt, handed to `take` until
    // it returns false.
    bool for_each_pair(const std::function<bool(const MemoryPair&, const PairOrigin&)>& take,
                       std::string& why);
    // How many pairs it holds (-1 when it cannot tell).
    long pair_count();

private:
    TranslationMemory() = default;
    struct Indexes;
    bool exec(const char* sql, std::string& why);
    sqlite3_stmt* prepare(const char* sql, std::string& why);
    std::string error() const;
    // Brings a memory of an earlier format to this one.
    bool upgrade(std::string& why);
    // Takes the texts added since the last call into the indexes kept in memory.
    bool catch_up(std::string& why);
    // Makes the texts held in memory those of `lang` (none yet when they were of another).
    void hold_language(const std::string& lang);
    // Takes the texts of `lang` added since the last call into the normalised texts kept in
    // memory (all of them when the last call was for another language).
    // `read_up_to(n)`, when given, hears every few thousand texts (and at the end) that the first
    // n are read.
    bool read_language(const std::string& lang, std::string& why,
                       const std::function<void(std::size_t)>& read_up_to = {});

    sqlite3* db_ = nullptr;
    std::string path_;
    std::unique_ptr<Indexes> indexes_;
    const std::atomic<bool>* stop_ = nullptr; // while add() runs: its stop flag
    Sharing sharing_;
};

} // namespace lex
