// The targets of the files translators exchange: PO and XLIFF imported onto the rows of a small
// style, and TMX read into a translation memory.

#include "commands/interchange.h"
#include "document/label_codec.h"
#include "document/po_file.h"
#include "document/single_byte.h"
#include "document/xliff_file.h"
#include "fuzz_targets.h"
#include "translate/languages.h"
#include "translate/memory.h"
#include "translate/tmx.h"
#include "view/state.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace lex::fuzz {

namespace {

// Whether the rows of `a` and `b` differ in anything but their target texts, statuses and marks.
bool only_texts_differ(const State& a, const State& b) {
    for (const Kind kind : kAllKinds) {
        if (a.row_count(kind) != b.row_count(kind)) return false;
        for (int r = 0; r < a.row_count(kind); ++r) {
            Row x = a.rows(kind)[std::size_t(r)];
            const Row& y = b.rows(kind)[std::size_t(r)];
            x.text = y.text;
            x.status = y.status;
            x.marks = y.marks;
            if (!(x == y)) return false;
        }
    }
    return true;
}

const char* name_of(ExchangeFormat format) {
    return format == ExchangeFormat::kPo ? "PO" : "XLIFF";
}

bool valid_utf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = static_cast<unsigned char>(s[i]) < 0x80 ? 1 : utf8_char_size(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

bool known_language(std::string_view code) {
    for (const auto& e : kLanguages)
        if (!code.empty() && code == e.iso1) return true;
    return false;
}

// The reader that keeps every entry gives what the one that hands them on gave, and the import
// of the entries kept changes the rows as the import of `text` did (`outcome`, `imported`).
void compare_with_entries_kept(ExchangeFormat format, std::string_view text,
                               const ExchangeOptions& options, const Outcome& outcome,
                               const State& imported) {
    ExchangeFile kept, streamed;
    std::vector<ExchangeEntry> handed;
    std::string why, streamed_why;
    const EntrySink each = [&](const ExchangeEntry& e) { handed.push_back(e); };
    const bool read =
        format == ExchangeFormat::kPo ? read_po(text, kept, why) : read_xliff(text, kept, why);
    const bool read_streamed = format == ExchangeFormat::kPo
                                   ? read_po(text, streamed, streamed_why, each)
                                   : read_xliff(text, streamed, streamed_why, each);
    if (read != read_streamed || why != streamed_why)
        return invariant_failed("the readers disagree: \"" + why + "\", \"" + streamed_why + "\"");
    // A reading for pairing leaves comments and lines out and takes or refuses the same.
    std::vector<ExchangeEntry> paired;
    ExchangeFile paired_file;
    std::string paired_why;
    const EntrySink pair = [&](const ExchangeEntry& e) { paired.push_back(e); };
    const bool read_paired =
        format == ExchangeFormat::kPo
            ? read_po(text, paired_file, paired_why, pair, EntryDetails::kForPairing)
            : read_xliff(text, paired_file, paired_why, pair, EntryDetails::kForPairing);
    if (read_paired != read || paired_why != why)
        return invariant_failed("the reading for pairing disagrees: \"" + why + "\", \"" +
                                paired_why + "\"");
    if (!read) {
        if (outcome.ok()) invariant_failed("a file the reader refuses was imported: " + why);
        return;
    }
    bool same = kept.entries.size() == handed.size() &&
                kept.target_language == streamed.target_language &&
                kept.source_language == streamed.source_language;
    for (std::size_t i = 0; same && i < handed.size(); ++i) {
        const ExchangeEntry& a = kept.entries[i];
        const ExchangeEntry& b = handed[i];
        same = a.context == b.context && a.source == b.source && a.target == b.target &&
               a.comment == b.comment && a.review == b.review && a.line == b.line;
    }
    if (!same) invariant_failed("the entries kept differ from the entries handed on");
    same = paired.size() == handed.size();
    for (std::size_t i = 0; same && i < paired.size(); ++i) {
        const ExchangeEntry& a = handed[i];
        const ExchangeEntry& b = paired[i];
        same = a.context == b.context && a.source == b.source && a.target == b.target &&
               a.review == b.review && b.comment.empty() && b.line == 0;
    }
    if (!same) invariant_failed("the entries read for pairing differ from the entries handed on");
    State st = small_style();
    QuietUi ui;
    const Outcome again = import_exchange_file(st, ui, kept, "in", options);
    if (again.kind != outcome.kind || again.count != outcome.count ||
        again.doubtful != outcome.doubtful || !same_rows(st, imported))
        invariant_failed("importing the entries kept differs from importing the text");
}

} // namespace

int exchange_files(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const ExchangeFormat format = data[0] & 1 ? ExchangeFormat::kXliff : ExchangeFormat::kPo;
    ExchangeOptions options;
    options.language_given = (data[0] & 2) != 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const State& style = small_style();
    State st = style;
    QuietUi ui;
    const Outcome outcome = import_exchange_text(st, ui, format, text, "in", options);
    if (st.document != style.document) invariant_failed("the import changed the document");
    if (!outcome.ok() && (!same_rows(st, style) || st.changed))
        invariant_failed("an import that failed changed the rows");
    if (!only_texts_differ(st, style))
        invariant_failed("the import changed more of the rows than their texts");

    compare_with_entries_kept(format, text, options, outcome, st);

    // Whatever the import did, the rows exported and imported again change nothing.
    for (const ExchangeFormat again : {ExchangeFormat::kPo, ExchangeFormat::kXliff}) {
        const std::string exported = exchange_text(st, table_label_codec(), again, "2026-01-02");
        State back = st;
        back.changed = false;
        const Outcome second = import_exchange_text(back, ui, again, exported, "again", {});
        if (!second.ok() || second.count != 0 || !same_rows(back, st) || back.changed)
            invariant_failed(std::string("the rows exported as ") + name_of(again) +
                             " and imported again changed (" + second.reason + "):\n" + exported);
    }
    return 0;
}

int tmx_file(const std::uint8_t* data, std::size_t size) {
    const TmxContents tmx = read_tmx(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!tmx.error.empty() && !tmx.pairs.empty())
        invariant_failed("a refused TMX file gave pairs: " + tmx.error);
    for (const MemoryPair& p : tmx.pairs) {
        if (p.source.empty() || p.target.empty() || !valid_utf8(p.source) || !valid_utf8(p.target))
            invariant_failed("a pair with an empty text or one that is not UTF-8: \"" + p.source +
                             "\", \"" + p.target + "\"");
        if (!known_language(p.source_lang) || !known_language(p.target_lang) ||
            p.source_lang == p.target_lang)
            invariant_failed("a pair in the languages \"" + p.source_lang + "\" and \"" +
                             p.target_lang + "\"");
    }
    if (tmx.pairs.empty()) return 0;

    // One memory serves many inputs; it starts afresh now and then, so that it stays small. (The
    // work folder first: the memory closes before the folder goes.)
    const std::string path = work_folder() + "/memory.db";
    static std::unique_ptr<TranslationMemory> memory;
    static int inputs = 0;
    if (!memory || ++inputs % 500 == 0) {
        memory.reset();
        std::error_code ignored;
        for (const char* suffix : {"", "-wal", "-shm"})
            std::filesystem::remove(path + suffix, ignored);
        std::string why;
        memory = TranslationMemory::open(path, why);
        if (!memory) return invariant_failed("the memory does not open: " + why), 0;
    }
    std::string why;
    if (memory->add(tmx.pairs, {"in.tmx", false}, why) < 0)
        return invariant_failed("the pairs could not be learnt: " + why), 0;
    // Each pair's source text finds an answer in its target language (the first few: a lookup
    // is a query).
    for (std::size_t i = 0; i < std::min<std::size_t>(tmx.pairs.size(), 8); ++i) {
        const MemoryPair& p = tmx.pairs[i];
        if (normalise_label(p.source).empty()) continue;
        const auto found = memory->lookup(p.source_lang, p.target_lang, {p.source}, 101, why);
        if (found.size() != 1 || !found[0] || found[0]->score != 100)
            invariant_failed("the memory has no answer for \"" + p.source + "\" (" + why + ")");
    }
    return 0;
}

} // namespace lex::fuzz
