#pragma once
// What the translation memory's two source files share (memory.cpp: opening and learning;
// memory_lookup.cpp: lookups): prepared statements, and the indexes the memory keeps in the
// program's memory.

#include "translate/memory.h"
#include "translate/memory_index.h"

#include <sqlite3.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

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

} // namespace lex
