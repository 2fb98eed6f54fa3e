#include "translate/memory.h"

#include "translate/memory_text.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <unordered_map>

namespace lex {

namespace {

std::uint64_t fnv(std::string_view s, std::uint64_t h = 1469598103934665603ull) {
    for (const char c : s) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h;
}

// The key texts are found by: language and normalised text.
sqlite3_int64 text_key(std::string_view lang, std::string_view normalised) {
    std::uint64_t h = fnv(lang);
    h = fnv("\n", h);
    return sqlite3_int64(fnv(normalised, h));
}

long long now_seconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// A prepared statement, finalised when it goes.
class Statement {
public:
    Statement(sqlite3_stmt* s = nullptr) : s_(s) {} // NOLINT: implicit
    ~Statement() { sqlite3_finalize(s_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    explicit operator bool() const { return s_ != nullptr; }
    sqlite3_stmt* get() const { return s_; }
    void reset() {
        sqlite3_reset(s_);
        sqlite3_clear_bindings(s_);
    }
    void bind(int i, std::string_view text) {
        sqlite3_bind_text(s_, i, text.data(), int(text.size()), SQLITE_TRANSIENT);
    }
    void bind(int i, long long v) { sqlite3_bind_int64(s_, i, v); }
    int step() { return sqlite3_step(s_); }
    long long integer(int col) const { return sqlite3_column_int64(s_, col); }
    std::string text(int col) const {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s_, col));
        return p ? std::string(p, std::size_t(sqlite3_column_bytes(s_, col))) : std::string();
    }

private:
    sqlite3_stmt* s_;
};

const char* const kSchema = R"(
CREATE TABLE IF NOT EXISTS info(key TEXT PRIMARY KEY, value TEXT) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS origins(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE);
CREATE TABLE IF NOT EXISTS learnt(digest INTEGER PRIMARY KEY, origin INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS texts(id INTEGER PRIMARY KEY, lang TEXT NOT NULL, text TEXT NOT NULL,
                                 key INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS texts_by_key ON texts(key);
CREATE TABLE IF NOT EXISTS pairs(source INTEGER NOT NULL, target INTEGER NOT NULL,
                                 origin INTEGER NOT NULL, own INTEGER NOT NULL,
                                 seen INTEGER NOT NULL, last INTEGER NOT NULL,
                                 PRIMARY KEY(source, target)) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS pairs_by_target ON pairs(target);
INSERT OR IGNORE INTO info VALUES('format', '1');
)";

// The answers of a pair query: target text, own, seen, last, origin name, source text.
struct Candidate {
    std::string target;
    bool own = false;
    long long seen = 0;
    long long last = 0;
    std::string origin;
};

bool ranks_above(const Candidate& a, const Candidate& b) {
    if (a.own != b.own) return a.own;
    if (a.seen != b.seen) return a.seen > b.seen;
    return a.last > b.last;
}

// The pairs of a text into a language, both ways round.
const char* const kPairsOfText = R"(
SELECT t.text, p.own, p.seen, p.last, o.name FROM pairs p JOIN texts t ON t.id = p.target
  JOIN origins o ON o.id = p.origin WHERE p.source = ?1 AND t.lang = ?2
UNION ALL
SELECT t.text, p.own, p.seen, p.last, o.name FROM pairs p JOIN texts t ON t.id = p.source
  JOIN origins o ON o.id = p.origin WHERE p.target = ?1 AND t.lang = ?2
)";

} // namespace

// The source texts of one language with their trigrams, and for each trigram the texts that hold
// it: built when a lookup first needs a similar text, kept until the memory changes.
struct TranslationMemory::FuzzyIndex {
    std::string lang;
    long long version = -1;                // the memory's data_version when built
    long long changes = -1;                // this connection's changes when built
    std::vector<long long> ids;            // text id per entry
    std::vector<std::uint32_t> grams;      // every entry's trigrams, one after the other
    std::vector<std::uint32_t> gram_start; // entry i: grams[gram_start[i], [i + 1])
    // For each trigram the entries that hold it: entries[start, start + count).
    struct Posting {
        std::uint32_t start = 0;
        std::uint32_t count = 0;
    };
    std::unordered_map<std::uint32_t, Posting> postings;
    std::vector<std::uint32_t> entries;

    std::size_t size(std::uint32_t e) const { return gram_start[e + 1] - gram_start[e]; }
    const Posting* find(std::uint32_t g) const {
        const auto it = postings.find(g);
        return it == postings.end() ? nullptr : &it->second;
    }
    void build_postings() {
        for (const std::uint32_t g : grams) ++postings[g].count;
        std::uint32_t at = 0;
        for (auto& [g, p] : postings) {
            p.start = at;
            at += p.count;
            p.count = 0;
        }
        entries.resize(at);
        for (std::uint32_t e = 0; e + 1 < gram_start.size(); ++e)
            for (std::uint32_t i = gram_start[e]; i < gram_start[e + 1]; ++i) {
                Posting& p = postings[grams[i]];
                entries[p.start + p.count++] = e;
            }
    }
};

TranslationMemory::~TranslationMemory() {
    sqlite3_close_v2(db_);
}

std::string TranslationMemory::error() const {
    return db_ ? sqlite3_errmsg(db_) : "out of memory";
}

bool TranslationMemory::exec(const char* sql, std::string& why) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    why = message ? message : error();
    sqlite3_free(message);
    return false;
}

sqlite3_stmt* TranslationMemory::prepare(const char* sql, std::string& why) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, sql, -1, &s, nullptr) != SQLITE_OK) {
        why = error();
        sqlite3_finalize(s);
        return nullptr;
    }
    return s;
}

std::unique_ptr<TranslationMemory> TranslationMemory::open(const std::string& path,
                                                           std::string& why) {
    std::error_code ec;
    const std::filesystem::path file(path);
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
    std::unique_ptr<TranslationMemory> memory(new TranslationMemory);
    memory->path_ = path;
    const int rc = sqlite3_open_v2(path.c_str(), &memory->db_,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        why = memory->error();
        return nullptr;
    }
    // Another program writing waits this long for its turn before the write gives up.
    sqlite3_busy_timeout(memory->db_, 5000);
    std::string ignored;
    // A read-only file stays in the journal mode it has; the schema is then only read.
    memory->exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA cache_size=-32768;",
                 ignored);
    if (!memory->exec("PRAGMA schema_version;", why)) return nullptr;
    if (sqlite3_db_readonly(memory->db_, "main") != 1 && !memory->exec(kSchema, why))
        return nullptr;
    // What it holds must be a memory: its tables are read once.
    if (!memory->exec("SELECT 1 FROM pairs JOIN texts LIMIT 0;", why)) return nullptr;
    return memory;
}

long TranslationMemory::add(const std::vector<MemoryPair>& pairs, const PairOrigin& origin,
                            std::string& why, std::uint64_t digest) {
    if (!exec("BEGIN IMMEDIATE;", why)) return -1;
    bool ok = false;
    struct Rollback {
        TranslationMemory& m;
        bool& ok;
        ~Rollback() {
            std::string ignored;
            if (!ok) m.exec("ROLLBACK;", ignored);
        }
    } rollback{*this, ok};

    const std::string origin_name = origin.own ? std::string("own") : origin.name;
    Statement find_origin = prepare("SELECT id FROM origins WHERE name = ?1", why);
    Statement add_origin = prepare("INSERT INTO origins(name) VALUES(?1)", why);
    if (!find_origin || !add_origin) return -1;
    find_origin.bind(1, origin_name);
    long long origin_id = -1;
    bool known_origin = false;
    if (find_origin.step() == SQLITE_ROW) {
        origin_id = find_origin.integer(0);
        known_origin = true;
    } else {
        add_origin.bind(1, origin_name);
        if (add_origin.step() != SQLITE_DONE) return why = error(), -1;
        origin_id = sqlite3_last_insert_rowid(db_);
    }
    if (digest != 0) {
        Statement seen = prepare("SELECT 1 FROM learnt WHERE digest = ?1", why);
        Statement mark = prepare("INSERT INTO learnt VALUES(?1, ?2)", why);
        if (!seen || !mark) return -1;
        seen.bind(1, static_cast<long long>(digest));
        if (seen.step() == SQLITE_ROW) {
            ok = exec("COMMIT;", why);
            return ok ? 0 : -1;
        }
        mark.bind(1, static_cast<long long>(digest));
        mark.bind(2, origin_id);
        if (mark.step() != SQLITE_DONE) return why = error(), -1;
    }
    // A file learnt before with other content adds only what is new in it.
    const bool count_again = origin.own || digest == 0 || !known_origin;

    // The pairs once each, with how often they came.
    struct Key {
        const MemoryPair* pair;
        bool operator==(const Key& o) const {
            return pair->source == o.pair->source && pair->target == o.pair->target &&
                   pair->source_lang == o.pair->source_lang &&
                   pair->target_lang == o.pair->target_lang;
        }
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const {
            std::uint64_t h = fnv(k.pair->source);
            h = fnv(k.pair->target, h * 31);
            return std::size_t(fnv(k.pair->source_lang + k.pair->target_lang, h));
        }
    };
    std::unordered_map<Key, long long, KeyHash> counts;
    counts.reserve(pairs.size());
    std::vector<const MemoryPair*> order;
    for (const MemoryPair& p : pairs) {
        if (p.source.empty() || p.target.empty() || p.source_lang == p.target_lang) continue;
        auto [it, added] = counts.try_emplace(Key{&p}, 0);
        if (added) order.push_back(&p);
        ++it->second;
    }

    Statement find_text =
        prepare("SELECT id FROM texts WHERE key = ?1 AND lang = ?2 AND text = ?3", why);
    Statement add_text = prepare("INSERT INTO texts(lang, text, key) VALUES(?1, ?2, ?3)", why);
    Statement add_pair = prepare(
        count_again ? "INSERT INTO pairs VALUES(?1, ?2, ?3, ?4, ?5, ?6) ON CONFLICT DO UPDATE SET "
                      "seen = seen + excluded.seen, last = excluded.last, "
                      "own = max(own, excluded.own), "
                      "origin = CASE WHEN excluded.own THEN excluded.origin ELSE origin END"
                    : "INSERT OR IGNORE INTO pairs VALUES(?1, ?2, ?3, ?4, ?5, ?6)",
        why);
    Statement reverse = prepare("SELECT 1 FROM pairs WHERE source = ?1 AND target = ?2", why);
    if (!find_text || !add_text || !add_pair || !reverse) return -1;

    std::unordered_map<std::string, long long> ids; // language, NUL, text: its id
    long long first_new = -1; // texts from this id on came in now: no pair holds them yet
    auto text_id = [&](const std::string& lang, const std::string& text) -> long long {
        std::string k = lang;
        k += '\0';
        k += text;
        if (auto it = ids.find(k); it != ids.end()) return it->second;
        const sqlite3_int64 key = text_key(lang, normalise_label(text));
        find_text.reset();
        find_text.bind(1, key);
        find_text.bind(2, lang);
        find_text.bind(3, text);
        long long id = -1;
        const int rc = find_text.step();
        if (rc == SQLITE_ROW) {
            id = find_text.integer(0);
        } else if (rc == SQLITE_DONE) {
            add_text.reset();
            add_text.bind(1, lang);
            add_text.bind(2, text);
            add_text.bind(3, key);
            if (add_text.step() == SQLITE_DONE) {
                id = sqlite3_last_insert_rowid(db_);
                if (first_new < 0) first_new = id;
            }
        }
        if (id >= 0) ids.emplace(std::move(k), id);
        return id;
    };

    const long long now = now_seconds();
    for (const MemoryPair* p : order) {
        long long source = text_id(p->source_lang, p->source);
        long long target = text_id(p->target_lang, p->target);
        if (source < 0 || target < 0) return why = error(), -1;
        // A pair held the other way round is that pair seen again.
        reverse.reset();
        reverse.bind(1, target);
        reverse.bind(2, source);
        const int rc = reverse.step();
        if (rc == SQLITE_ROW)
            std::swap(source, target);
        else if (rc != SQLITE_DONE)
            return why = error(), -1;
        add_pair.reset();
        add_pair.bind(1, source);
        add_pair.bind(2, target);
        add_pair.bind(3, origin_id);
        add_pair.bind(4, origin.own ? 1 : 0);
        add_pair.bind(5, counts[Key{p}]);
        add_pair.bind(6, now);
        if (add_pair.step() != SQLITE_DONE) return why = error(), -1;
    }
    if (!exec("COMMIT;", why)) return -1;
    ok = true;
    return long(pairs.size());
}

TranslationMemory::FuzzyIndex* TranslationMemory::fuzzy_index(const std::string& source_lang,
                                                              const std::string& target_lang,
                                                              std::string& why) {
    (void)target_lang;
    // Another program's writes show in data_version, this connection's own in total_changes.
    Statement version = prepare("PRAGMA data_version", why);
    if (!version || version.step() != SQLITE_ROW) return nullptr;
    const long long v = version.integer(0);
    const long long changes = sqlite3_total_changes64(db_);
    if (fuzzy_ && fuzzy_->lang == source_lang && fuzzy_->version == v && fuzzy_->changes == changes)
        return fuzzy_.get();

    auto index = std::make_unique<FuzzyIndex>();
    index->lang = source_lang;
    index->version = v;
    index->changes = changes;
    Statement texts = prepare("SELECT id, text FROM texts WHERE lang = ?1", why);
    if (!texts) return nullptr;
    texts.bind(1, source_lang);
    std::vector<std::uint32_t> grams;
    int rc;
    while ((rc = texts.step()) == SQLITE_ROW) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(texts.get(), 1));
        const std::string_view text(p ? p : "", std::size_t(sqlite3_column_bytes(texts.get(), 1)));
        trigrams(normalise_label(text), grams);
        index->ids.push_back(texts.integer(0));
        index->gram_start.push_back(std::uint32_t(index->grams.size()));
        index->grams.insert(index->grams.end(), grams.begin(), grams.end());
    }
    if (rc != SQLITE_DONE) return why = error(), nullptr;
    index->gram_start.push_back(std::uint32_t(index->grams.size()));
    index->build_postings();
    fuzzy_ = std::move(index);
    return fuzzy_.get();
}

std::vector<std::optional<MemoryMatch>>
TranslationMemory::lookup(const std::string& source_lang, const std::string& target_lang,
                          const std::vector<std::string>& texts, int threshold, std::string& why) {
    std::vector<std::optional<MemoryMatch>> answers(texts.size());
    Statement exact = prepare(
        R"(SELECT t.text, p.own, p.seen, p.last, o.name, s.text FROM texts s
             JOIN pairs p ON p.source = s.id JOIN texts t ON t.id = p.target
             JOIN origins o ON o.id = p.origin
             WHERE s.key = ?1 AND s.lang = ?2 AND t.lang = ?3
           UNION ALL
           SELECT t.text, p.own, p.seen, p.last, o.name, s.text FROM texts s
             JOIN pairs p ON p.target = s.id JOIN texts t ON t.id = p.source
             JOIN origins o ON o.id = p.origin
             WHERE s.key = ?1 AND s.lang = ?2 AND t.lang = ?3)",
        why);
    Statement of_text = prepare(kPairsOfText, why);
    if (!exact || !of_text) return answers;
    if (source_lang == target_lang) return answers;

    // The best pair of a query's rows, or nothing.
    auto best_of = [&](Statement& q, const std::string* normalised) -> std::optional<Candidate> {
        std::optional<Candidate> best;
        int rc;
        while ((rc = q.step()) == SQLITE_ROW) {
            if (normalised && normalise_label(q.text(5)) != *normalised) continue;
            Candidate c{q.text(0), q.integer(1) != 0, q.integer(2), q.integer(3), q.text(4)};
            if (!best || ranks_above(c, *best)) best = std::move(c);
        }
        if (rc != SQLITE_DONE) why = error();
        return best;
    };

    std::vector<std::size_t> misses;
    std::unordered_map<std::string, std::size_t> first_of; // normalised text: first query
    std::vector<std::string> normalised(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        normalised[i] = normalise_label(texts[i]);
        if (normalised[i].empty()) continue;
        if (auto it = first_of.find(normalised[i]); it != first_of.end()) continue;
        first_of.emplace(normalised[i], i);
        exact.reset();
        exact.bind(1, text_key(source_lang, normalised[i]));
        exact.bind(2, source_lang);
        exact.bind(3, target_lang);
        if (auto c = best_of(exact, &normalised[i]))
            answers[i] = MemoryMatch{std::move(c->target), 100, std::move(c->origin), c->own};
        else
            misses.push_back(i);
        if (!why.empty()) return {};
    }

    if (!misses.empty() && threshold <= 100) {
        FuzzyIndex* index = fuzzy_index(source_lang, target_lang, why);
        if (!index) return std::vector<std::optional<MemoryMatch>>(texts.size());
        std::vector<std::uint16_t> hits(index->ids.size(), 0);
        std::vector<std::uint32_t> touched;
        std::vector<std::uint32_t> grams;
        std::vector<const FuzzyIndex::Posting*> lists;
        const double t = std::max(1, threshold) / 100.0;
        struct Scored {
            int score;
            std::uint32_t entry;
        };
        std::vector<Scored> scored;
        // A trigram held by more texts than this is left out of the count while the threshold
        // allows it; the candidates then have their trigrams compared one by one.
        constexpr std::uint32_t kLongList = 4096;
        for (const std::size_t i : misses) {
            trigrams(normalised[i], grams);
            const std::size_t n = grams.size();
            // Dice >= t needs this many trigrams in common, whatever the other text's length,
            // and the other text's trigram count lies between these bounds.
            const auto needed =
                std::max<std::size_t>(1, std::size_t(std::ceil(t * double(n) / (2.0 - t) - 1e-9)));
            const double least = t * double(n) / (2.0 - t) - 1e-9;
            const double most = double(n) * (2.0 - t) / t + 1e-9;
            lists.clear();
            for (const std::uint32_t g : grams)
                if (const FuzzyIndex::Posting* p = index->find(g)) lists.push_back(p);
            std::sort(lists.begin(), lists.end(),
                      [](const auto* a, const auto* b) { return a->count < b->count; });
            // The longest lists, up to needed - 1 of them, are skipped: a match still holds
            // needed - skipped of the trigrams counted.
            std::size_t skipped = 0;
            while (skipped + 1 < needed && skipped < lists.size() &&
                   lists[lists.size() - 1 - skipped]->count > kLongList)
                ++skipped;
            touched.clear();
            for (std::size_t k = 0; k + skipped < lists.size(); ++k) {
                const FuzzyIndex::Posting* p = lists[k];
                for (std::uint32_t j = p->start; j < p->start + p->count; ++j) {
                    const std::uint32_t e = index->entries[j];
                    if (hits[e]++ == 0) touched.push_back(e);
                }
            }
            scored.clear();
            for (const std::uint32_t e : touched) {
                const std::size_t counted = hits[e];
                hits[e] = 0;
                if (counted + skipped < needed) continue;
                const std::size_t m = index->size(e);
                if (double(m) < least || double(m) > most) continue;
                const std::size_t shared =
                    skipped == 0 ? counted
                                 : common_count(grams.data(), n,
                                                index->grams.data() + index->gram_start[e], m);
                const int score = std::min(99, dice_score(shared, n, m));
                if (score >= threshold) scored.push_back({score, e});
            }
            std::sort(scored.begin(), scored.end(), [](const Scored& a, const Scored& b) {
                return a.score != b.score ? a.score > b.score : a.entry < b.entry;
            });
            // The most similar text that has a pair into the target language.
            for (const Scored& s : scored) {
                of_text.reset();
                of_text.bind(1, index->ids[s.entry]);
                of_text.bind(2, target_lang);
                if (auto c = best_of(of_text, nullptr)) {
                    answers[i] =
                        MemoryMatch{std::move(c->target), s.score, std::move(c->origin), c->own};
                    break;
                }
                if (!why.empty()) return {};
            }
        }
    }
    // Texts asked more than once get the first one's answer.
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const auto it = first_of.find(normalised[i]);
        if (it != first_of.end() && it->second != i) answers[i] = answers[it->second];
    }
    return answers;
}

bool TranslationMemory::for_each_pair(
    const std::function<bool(const MemoryPair&, const PairOrigin&)>& take, std::string& why) {
    Statement all = prepare(R"(SELECT s.lang, s.text, t.lang, t.text, o.name, p.own FROM pairs p
                                 JOIN texts s ON s.id = p.source JOIN texts t ON t.id = p.target
                                 JOIN origins o ON o.id = p.origin)",
                            why);
    if (!all) return false;
    int rc;
    while ((rc = all.step()) == SQLITE_ROW) {
        const MemoryPair pair{all.text(0), all.text(1), all.text(2), all.text(3)};
        if (!take(pair, PairOrigin{all.text(4), all.integer(5) != 0})) return true;
    }
    if (rc != SQLITE_DONE) {
        why = error();
        return false;
    }
    return true;
}

long TranslationMemory::pair_count() {
    std::string why;
    Statement count = prepare("SELECT count(*) FROM pairs", why);
    if (!count || count.step() != SQLITE_ROW) return -1;
    return long(count.integer(0));
}

std::uint64_t text_digest(std::string_view text) {
    return fnv(text) | 1u; // never 0, which means "no content"
}

} // namespace lex
