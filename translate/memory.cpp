#include "translate/memory.h"

#include "translate/memory_store.h"
#include "translate/memory_text.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <thread>
#include <unordered_map>

namespace lex {

namespace {

long long now_seconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

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

} // namespace

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
