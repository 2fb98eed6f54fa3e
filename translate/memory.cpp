#include "translate/memory.h"

#include "translate/memory_index.h"
#include "translate/memory_text.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <exception>
#include <filesystem>
#include <thread>
#include <unordered_map>
#include <utility>

namespace lex {

namespace {

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
    // Valid until the next step.
    std::string_view view(int col) const {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s_, col));
        return p ? std::string_view(p, std::size_t(sqlite3_column_bytes(s_, col)))
                 : std::string_view();
    }
    std::string text(int col) const {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s_, col));
        return p ? std::string(p, std::size_t(sqlite3_column_bytes(s_, col))) : std::string();
    }

private:
    sqlite3_stmt* s_;
};

// Texts are found by the hash of their normalised form, kept in memory (TextKeys) rather than
// in a column and an index on disk, which held more than the texts themselves.
const char* const kSchema = R"(
CREATE TABLE IF NOT EXISTS info(key TEXT PRIMARY KEY, value TEXT) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS origins(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE);
CREATE TABLE IF NOT EXISTS learnt(digest INTEGER PRIMARY KEY, origin INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS texts(id INTEGER PRIMARY KEY, lang TEXT NOT NULL, text TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS pairs(source INTEGER NOT NULL, target INTEGER NOT NULL,
                                 origin INTEGER NOT NULL, own INTEGER NOT NULL,
                                 seen INTEGER NOT NULL, last INTEGER NOT NULL,
                                 PRIMARY KEY(source, target)) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS pairs_by_target ON pairs(target);
INSERT OR IGNORE INTO info VALUES('format', '2');
)";

// A memory of the first format kept each text's hash in a column with an index of its own.
const char* const kFromFormat1 = R"(
DROP INDEX IF EXISTS texts_by_key;
ALTER TABLE texts DROP COLUMN key;
UPDATE info SET value = '2' WHERE key = 'format';
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

// The pairs of a text into a language, both ways round, with the number of their origin (the
// few origins' names are looked up once).
const char* const kPairsOfText = R"(
SELECT t.text, p.own, p.seen, p.last, p.origin FROM pairs p JOIN texts t ON t.id = p.target
  WHERE p.source = ?1 AND t.lang = ?2
UNION ALL
SELECT t.text, p.own, p.seen, p.last, p.origin FROM pairs p JOIN texts t ON t.id = p.source
  WHERE p.target = ?1 AND t.lang = ?2
)";

} // namespace

// The indexes kept in memory: every text by its key (learning finds the texts it holds by them),
// and the normalised texts of the language last looked up from, in the order of their ids, with
// their trigrams once similar texts are asked for. Both take in the texts added since, which
// have higher ids.
struct TranslationMemory::Indexes {
    TextKeys keys;
    long long last_id = 0; // the highest text id taken in
    struct Language {
        std::string lang;
        long long last_id = 0;
        std::vector<long long> ids;       // text id per entry
        std::string chars;                // the entries' normalised texts one after another
        std::vector<std::size_t> ends;    // where each entry's text ends in `chars`
        SimilarTexts similar;             // the entries by their trigrams, once a lookup asks
        std::size_t in_similar = 0;       // the entries taken into `similar`
        SimilarTexts::Scratch scratch[2]; // for looking up similar texts on two threads
        std::size_t size() const { return ids.size(); }
        std::string_view text(std::size_t k) const {
            const std::size_t from = k ? ends[k - 1] : 0;
            return std::string_view(chars).substr(from, ends[k] - from);
        }
    };
    std::unique_ptr<Language> texts;
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
    // A memory is used by one thread at a time (a learning in the background opens its own), so
    // the connection needs no locks of its own around every call.
    const int rc =
        sqlite3_open_v2(path.c_str(), &memory->db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        why = memory->error();
        return nullptr;
    }
    // Another program writing waits up to 5 s for its turn before the write gives up, or until
    // the write is stopped.
    sqlite3_busy_handler(
        memory->db_,
        [](void* self, int tries) {
            const auto* stop = static_cast<TranslationMemory*>(self)->stop_;
            if (tries >= 500 || (stop && stop->load())) return 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            return 1;
        },
        memory.get());
    std::string ignored;
    // A read-only file stays in the journal mode it has; the schema is then only read.
    memory->exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA cache_size=-32768;",
                 ignored);
    if (!memory->exec("PRAGMA schema_version;", why)) return nullptr;
    // A memory of this format is only read here: no write to wait for while another program
    // writes.
    bool current = false;
    {
        Statement format = memory->prepare("SELECT value FROM info WHERE key = 'format'", ignored);
        current = format && format.step() == SQLITE_ROW && format.text(0) == "2";
    }
    if (!current && sqlite3_db_readonly(memory->db_, "main") != 1 &&
        (!memory->exec(kSchema, why) || !memory->upgrade(why)))
        return nullptr;
    // What it holds must be a memory: its tables are read once.
    if (!memory->exec("SELECT 1 FROM pairs JOIN texts LIMIT 0;", why)) return nullptr;
    return memory;
}

bool TranslationMemory::upgrade(std::string& why) {
    if (!exec("BEGIN IMMEDIATE;", why)) return false;
    bool old = false;
    {
        Statement format = prepare("SELECT value FROM info WHERE key = 'format'", why);
        old = format && format.step() == SQLITE_ROW && format.text(0) == "1";
    }
    const bool ok = (!old || exec(kFromFormat1, why)) && exec("COMMIT;", why);
    std::string ignored;
    if (!ok)
        exec("ROLLBACK;", ignored);
    else if (old)
        exec("VACUUM;", ignored); // the file gives back the room the index took
    return ok;
}

bool TranslationMemory::catch_up(std::string& why) {
    if (!indexes_) indexes_ = std::make_unique<Indexes>();
    Indexes& x = *indexes_;
    Statement rows = prepare("SELECT id, lang, text FROM texts WHERE id > ?1 ORDER BY id", why);
    if (!rows) return false;
    rows.bind(1, x.last_id);
    int rc;
    while ((rc = rows.step()) == SQLITE_ROW) {
        const long long id = rows.integer(0);
        if (id <= 0 || id > 0xFFFFFFFFll) {
            why = "a text has the id " + std::to_string(id);
            return false;
        }
        const std::string_view lang = rows.view(1);
        const std::string normalised = normalise_label(rows.view(2));
        x.keys.insert(text_key(lang, normalised), std::uint32_t(id));
        x.last_id = id;
    }
    x.keys.settle();
    if (rc != SQLITE_DONE) return why = error(), false;
    return true;
}

long TranslationMemory::add(const std::vector<MemoryPair>& pairs, const PairOrigin& origin,
                            std::string& why, std::uint64_t digest, const std::atomic<bool>* stop) {
    stop_ = stop;
    struct Unset {
        const std::atomic<bool>*& stop;
        ~Unset() { stop = nullptr; }
    } unset{stop_};
    if (!exec("BEGIN IMMEDIATE;", why)) return stop && stop->load() ? why = "stopped", -1 : -1;
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

    // Texts it holds already are found by their key, the rest are added.
    if (!catch_up(why)) return -1;
    Statement read_text = prepare("SELECT lang, text FROM texts WHERE id = ?1", why);
    Statement add_text = prepare("INSERT INTO texts(lang, text) VALUES(?1, ?2)", why);
    Statement add_pair = prepare(
        count_again ? "INSERT INTO pairs VALUES(?1, ?2, ?3, ?4, ?5, ?6) ON CONFLICT DO UPDATE SET "
                      "seen = seen + excluded.seen, last = excluded.last, "
                      "own = max(own, excluded.own), "
                      "origin = CASE WHEN excluded.own THEN excluded.origin ELSE origin END"
                    : "INSERT OR IGNORE INTO pairs VALUES(?1, ?2, ?3, ?4, ?5, ?6)",
        why);
    Statement reverse = prepare("SELECT 1 FROM pairs WHERE source = ?1 AND target = ?2", why);
    if (!read_text || !add_text || !add_pair || !reverse) return -1;

    // Language, NUL, text: its id. The texts added now are only here until the commit.
    std::unordered_map<std::string, long long> ids;
    auto text_id = [&](const std::string& lang, const std::string& text) -> long long {
        std::string k = lang;
        k += '\0';
        k += text;
        if (auto it = ids.find(k); it != ids.end()) return it->second;
        long long id = -1;
        bool failed = false;
        indexes_->keys.find(text_key(lang, normalise_label(text)), [&](std::uint32_t held) {
            if (id >= 0 || failed) return;
            read_text.reset();
            read_text.bind(1, static_cast<long long>(held));
            const int rc = read_text.step();
            if (rc == SQLITE_ROW && read_text.text(0) == lang && read_text.text(1) == text)
                id = held;
            else if (rc != SQLITE_ROW && rc != SQLITE_DONE)
                failed = true;
        });
        if (failed) return -1;
        if (id < 0) {
            add_text.reset();
            add_text.bind(1, lang);
            add_text.bind(2, text);
            if (add_text.step() != SQLITE_DONE) return -1;
            id = sqlite3_last_insert_rowid(db_);
        }
        ids.emplace(std::move(k), id);
        return id;
    };

    const long long now = now_seconds();
    for (const MemoryPair* p : order) {
        if (stop && stop->load(std::memory_order_relaxed)) return why = "stopped", -1;
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

void TranslationMemory::hold_language(const std::string& lang) {
    if (!indexes_) indexes_ = std::make_unique<Indexes>();
    auto& held = indexes_->texts;
    if (!held || held->lang != lang) {
        held = std::make_unique<Indexes::Language>();
        held->lang = lang;
    }
}

bool TranslationMemory::read_language(const std::string& lang, std::string& why,
                                      const std::function<void(std::size_t)>& read_up_to) {
    hold_language(lang);
    auto& held = indexes_->texts;
    Statement rows =
        prepare("SELECT id, text FROM texts WHERE lang = ?1 AND id > ?2 ORDER BY id", why);
    if (!rows) return false;
    rows.bind(1, lang);
    rows.bind(2, held->last_id);
    int rc;
    while ((rc = rows.step()) == SQLITE_ROW) {
        held->ids.push_back(rows.integer(0));
        append_normalised(rows.view(1), held->chars);
        held->ends.push_back(held->chars.size());
        held->last_id = held->ids.back();
        if (read_up_to && held->size() % std::max<std::size_t>(1, sharing_.texts_in_block) == 0)
            read_up_to(held->size());
    }
    if (rc != SQLITE_DONE) return why = error(), false;
    if (read_up_to) read_up_to(held->size());
    return true;
}

std::vector<std::optional<MemoryMatch>>
TranslationMemory::lookup(const std::string& source_lang, const std::string& target_lang,
                          const std::vector<std::string>& texts, int threshold, std::string& why) {
    std::vector<std::optional<MemoryMatch>> answers(texts.size());
    Statement of_text = prepare(kPairsOfText, why);
    if (!of_text) return answers;
    if (source_lang == target_lang) return answers;

    // The labels once each: `asked` holds the first of each normalised text.
    std::vector<std::string> normalised(texts.size());
    std::unordered_map<std::string_view, std::size_t> slot_of;
    std::vector<std::size_t> asked;
    slot_of.reserve(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        normalised[i] = normalise_label(texts[i]);
        if (!normalised[i].empty() && slot_of.emplace(normalised[i], asked.size()).second)
            asked.push_back(i);
    }
    if (asked.empty()) return answers;
    hold_language(source_lang);
    Indexes::Language& language = *indexes_->texts;
    const Indexes::Language& held = language;

    // Similar texts are looked up in an index of the texts' trigrams, which a second thread
    // brings up to date while this one reads the texts and finds the exact matches. It takes the
    // texts as copies: the texts held grow as they are read.
    std::optional<BackgroundIndexer> indexer;
    std::size_t handed = language.in_similar;
    auto hand_up_to = [&](std::size_t n) {
        if (n <= handed) return;
        BackgroundIndexer::Block block;
        const std::size_t from = handed ? language.ends[handed - 1] : 0;
        block.chars.assign(language.chars, from, language.ends[n - 1] - from);
        block.ends.reserve(n - handed);
        for (std::size_t k = handed; k < n; ++k) block.ends.push_back(language.ends[k] - from);
        indexer->hand(std::move(block));
        handed = n;
    };
    if (threshold <= 99) indexer.emplace(language.similar, language.in_similar);
    if (!read_language(source_lang, why,
                       indexer ? std::function<void(std::size_t)>(hand_up_to) : nullptr))
        return answers;

    // The best pair into the target language of each held text asked about, read in the order
    // of the texts' ids (the pairs of neighbouring texts are near each other in the file).
    std::unordered_map<std::size_t, std::optional<Candidate>> best_of;
    std::vector<std::size_t> wanted;
    Statement name_of = prepare("SELECT name FROM origins WHERE id = ?1", why);
    if (!name_of) return answers;
    std::unordered_map<long long, std::string> origin_names;
    auto origin_name = [&](long long id) -> const std::string& {
        auto it = origin_names.find(id);
        if (it == origin_names.end()) {
            name_of.reset();
            name_of.bind(1, id);
            it =
                origin_names.emplace(id, name_of.step() == SQLITE_ROW ? name_of.text(0) : "").first;
        }
        return it->second;
    };
    auto read_pairs = [&]() -> bool {
        std::sort(wanted.begin(), wanted.end());
        wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
        for (const std::size_t k : wanted) {
            if (best_of.count(k)) continue;
            of_text.reset();
            of_text.bind(1, held.ids[k]);
            of_text.bind(2, target_lang);
            std::optional<Candidate> best;
            int rc;
            while ((rc = of_text.step()) == SQLITE_ROW) {
                Candidate c{of_text.text(0), of_text.integer(1) != 0, of_text.integer(2),
                            of_text.integer(3), origin_name(of_text.integer(4))};
                if (!best || ranks_above(c, *best)) best = std::move(c);
            }
            if (rc != SQLITE_DONE) return why = error(), false;
            best_of.emplace(k, std::move(best));
        }
        wanted.clear();
        return true;
    };

    // Exact: the held texts equal to a label, the first learnt first. A bit for each label's
    // quick hash passes most texts by before the map is asked.
    std::vector<std::uint64_t> maybe_asked(std::size_t(1) << 15, 0); // two million bits
    auto quick = [](std::string_view text) {
        std::uint64_t head = 0, tail = 0;
        std::memcpy(&head, text.data(), std::min<std::size_t>(8, text.size()));
        if (text.size() > 8) std::memcpy(&tail, text.data() + text.size() - 8, 8);
        return ((head * 0x9E3779B97F4A7C15ull) ^ tail ^ text.size()) * 0xC2B2AE3D27D4EB4Full >>
               43; // 21 bits
    };
    for (const auto& asked_text : slot_of) {
        const std::uint64_t q = quick(asked_text.first);
        maybe_asked[q / 64] |= std::uint64_t(1) << (q % 64);
    }
    std::vector<std::pair<std::size_t, std::size_t>> equal; // label's slot, held text
    for (std::size_t k = 0; k < held.size(); ++k) {
        const std::string_view text = held.text(k);
        const std::uint64_t q = quick(text);
        if (!(maybe_asked[q / 64] >> (q % 64) & 1)) continue;
        if (const auto it = slot_of.find(text); it != slot_of.end()) {
            equal.emplace_back(it->second, k);
            wanted.push_back(k);
        }
    }
    if (!read_pairs()) return {};
    std::stable_sort(equal.begin(), equal.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<const Candidate*> exact(asked.size(), nullptr);
    for (const auto& [slot, k] : equal)
        if (const auto& c = best_of[k]; c && (!exact[slot] || ranks_above(*c, *exact[slot])))
            exact[slot] = &*c;
    std::vector<std::size_t> missing; // slots
    for (std::size_t slot = 0; slot < asked.size(); ++slot) {
        if (const Candidate* c = exact[slot])
            answers[asked[slot]] = MemoryMatch{c->target, 100, c->origin, c->own};
        else
            missing.push_back(slot);
    }

    // Similar: each label gets the most similar text that has a pair into the target language.
    // The pairs of the few most similar texts of every label are read together; a label whose
    // few all lack a pair goes on through the rest of its texts alone.
    if (indexer) {
        if (missing.empty())
            indexer->stop();
        else
            indexer->finish(language.size(), threshold);
        indexer.reset();
    }
    // The most similar texts of each label, on two threads when there are many labels.
    constexpr std::size_t kFew = 8;
    std::vector<std::vector<SimilarTexts::Found>> nearest(missing.size());
    std::vector<char> more(missing.size(), 0);
    auto find_similar = [&](std::size_t from, std::size_t to, SimilarTexts::Scratch& scratch) {
        std::vector<SimilarTexts::Found> found;
        for (std::size_t l = from; l < to; ++l) {
            language.similar.find(normalised[asked[missing[l]]], threshold, found, scratch);
            more[l] = found.size() > kFew;
            nearest[l].assign(found.begin(),
                              found.begin() + std::ptrdiff_t(std::min(kFew, found.size())));
        }
    };
    if (threshold <= 99) {
        const std::size_t half = missing.size() >= sharing_.labels_on_two_threads &&
                                         std::thread::hardware_concurrency() > 1
                                     ? missing.size() / 2
                                     : missing.size();
        std::exception_ptr failure;
        std::thread second;
        if (half < missing.size())
            second = std::thread([&] {
                try {
                    find_similar(half, missing.size(), language.scratch[1]);
                } catch (...) {
                    failure = std::current_exception();
                }
            });
        struct Join {
            std::thread& thread;
            ~Join() {
                if (thread.joinable()) thread.join();
            }
        } join{second};
        find_similar(0, half, language.scratch[0]);
        if (second.joinable()) second.join();
        if (failure) std::rethrow_exception(failure);
    }
    std::vector<SimilarTexts::Found> found;
    std::vector<std::size_t> open, next, place(missing.size(), 0);
    for (std::size_t l = 0; l < missing.size(); ++l)
        if (!nearest[l].empty()) open.push_back(l);
    auto answer = [&](std::size_t l, const SimilarTexts::Found& f) {
        const auto& c = best_of[f.entry];
        if (c) answers[asked[missing[l]]] = MemoryMatch{c->target, f.score, c->origin, c->own};
        return bool(c);
    };
    while (!open.empty()) {
        for (const std::size_t l : open) wanted.push_back(nearest[l][place[l]].entry);
        if (!read_pairs()) return {};
        next.clear();
        for (const std::size_t l : open) {
            if (answer(l, nearest[l][place[l]])) continue;
            if (++place[l] < nearest[l].size()) {
                next.push_back(l);
            } else if (more[l]) {
                language.similar.find(normalised[asked[missing[l]]], threshold, found);
                for (std::size_t k = kFew; k < found.size(); ++k) {
                    wanted.push_back(found[k].entry);
                    if (!read_pairs()) return {};
                    if (answer(l, found[k])) break;
                }
            }
        }
        open.swap(next);
    }

    // Texts asked more than once get the first one's answer.
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const auto it = slot_of.find(normalised[i]);
        if (it != slot_of.end() && asked[it->second] != i) answers[i] = answers[asked[it->second]];
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
