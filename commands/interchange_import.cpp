// Reading translation files (PO, XLIFF) and pairing their entries with the rows again.

#include "commands/interchange.h"

#include "commands/file_menu.h"
#include "commands/interchange_rows.h"
#include "document/codepage.h"
#include "document/files.h"
#include "document/po_file.h"
#include "document/text.h"
#include "document/ui.h"
#include "document/xliff_file.h"
#include "view/review.h"
#include "view/rows.h"
#include "view/state.h"
#include "view/window_state.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <utility>

namespace lex {

namespace {

const char* format_name(ExchangeFormat format) {
    return format == ExchangeFormat::kPo ? "PO" : "XLIFF";
}

// A language as files name it, for comparing: lower case, region left out ("pt_BR" is "pt").
std::string primary_language(std::string_view name) {
    const std::string lower = to_lower(trim(name));
    return lower.substr(0, lower.find_first_of("_-@."));
}

std::string entry_name(const ExchangeEntry& e) {
    std::string source = e.source.size() > 40 ? e.source.substr(0, 40) + "..." : e.source;
    return "\"" + e.context + "\" (\"" + source + "\")";
}

// True when `s` holds a CR or an LF. Eight bytes at a time: the import asks it of every target.
bool has_line_break(std::string_view s) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
    auto zero_byte = [&](std::uint64_t w) { return ((w - kOnes) & ~w & kHigh) != 0; };
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        if (zero_byte(w ^ (kOnes * '\r')) || zero_byte(w ^ (kOnes * '\n'))) return true;
    }
    for (; i < s.size(); ++i)
        if (s[i] == '\r' || s[i] == '\n') return true;
    return false;
}

} // namespace

namespace {

// The bytes of a translation file; false (after saying why) when it cannot be read or is too
// large.
bool read_exchange_bytes(State& st, Ui& ui, const std::string& path, std::string& text) {
    std::string why;
    if (!file_exists(path)) {
        ui.message({MessageId::kFileMissing, path + " doesn't exist"});
        return false;
    }
    busy_on(st, ui);
    const bool read = read_file(path, text, &why, kMaxExchangeBytes + 1);
    busy_off(st, ui);
    if (!read) {
        ui.message({MessageId::kCannotRead, "Could not read " + path + ": " + why});
        return false;
    }
    if (text.size() > kMaxExchangeBytes) {
        ui.message({MessageId::kNotExchangeFile,
                    path + " is larger than " + std::to_string(kMaxExchangeBytes >> 20) +
                        " MB, more than the translations of a style come to. Nothing was "
                        "imported."});
        return false;
    }
    return true;
}

void say_unreadable(Ui& ui, ExchangeFormat format, const std::string& path,
                    const std::string& why) {
    ui.message({MessageId::kNotExchangeFile, path + " is not a " + format_name(format) +
                                                 " file Lexmarin can read (" + why +
                                                 "). Nothing was imported."});
}

} // namespace

bool read_exchange(State& st, Ui& ui, ExchangeFormat format, const std::string& path,
                   ExchangeFile& file) {
    std::string text;
    if (!read_exchange_bytes(st, ui, path, text)) return false;
    std::string why;
    const bool ok =
        format == ExchangeFormat::kPo ? read_po(text, file, why) : read_xliff(text, file, why);
    if (!ok) say_unreadable(ui, format, path, why);
    return ok;
}

namespace {

// With no document open, says that an import has nothing to go onto and gives the text.
std::optional<std::string> say_no_document(const State& st, Ui& ui) {
    if (!st.document.empty()) return std::nullopt;
    std::string text = "No TYP text file is open: open the style the translations are for first.";
    ui.message({MessageId::kNoDocumentOpen, text});
    return text;
}

} // namespace

Outcome import_exchange(State& st, Ui& ui, ExchangeFormat format, const ExchangeOptions& options) {
    if (st.win.running) return Outcome::refused({});
    if (const auto why = say_no_document(st, ui)) return Outcome::refused(*why);
    std::string path = options.path;
    if (path.empty()) {
        st.dialog_filter = exchange_filter(format);
        path = choose_path(st, ui, false, exchange_folder(st), "");
        if (path.empty()) return Outcome::cancelled();
    }
    std::string text;
    if (!read_exchange_bytes(st, ui, path, text))
        return Outcome::failed("Could not import " + path);
    return import_exchange_text(st, ui, format, text, path, options);
}

namespace {

// Pairs a translation file's entries with the rows, one entry at a time, and says what comes
// of it when the file is read through. Nothing changes before finish().
class Importer {
public:
    Importer(State& st, const ExchangeOptions& options)
        : st_(st), codec_(exchange_codec(options)), options_(options), sources_(st),
          source_cp_(source_cell_codepage(st)), target_cp_(target_cell_codepage(st)) {
        elements_.emplace(sources_.of(st, kAllKinds[0]));
        next_place();
    }

    void take(const ExchangeEntry& e) {
        const Place* place = find(e.context);
        const Row* row = place ? &st_.rows(place->kind)[std::size_t(place->row)] : nullptr;
        if (!row || utf8_view(codec_, row->caption, source_cp_, buffer_) != e.source) {
            unmatched_.push_back(entry_name(e));
            return;
        }
        ++matched_;
        const std::string_view target = comparable(e.target, target_);
        if (target == comparable(utf8_view(codec_, row->text, target_cp_, buffer_), old_)) return;
        std::optional<std::string> bytes = codec_.from_utf8(target, target_cp_);
        if (!bytes) {
            misfits_.push_back(entry_name(e) + " \"" + std::string(target) + "\"");
            return;
        }
        changes_.push_back({*place, std::move(*bytes), e.review});
    }

    Outcome finish(Ui& ui, const ExchangeFile& file, const std::string& path, std::size_t entries) {
        auto refuse = [&](MessageId id, const std::string& text) {
            ui.message({id, text});
            return Outcome::failed(text);
        };
        const std::string ours = exchange_language(st_, kTargetList);
        if (!options_.language_given && !trim(file.target_language).empty() &&
            primary_language(file.target_language) != primary_language(ours))
            return refuse(MessageId::kExchangeLanguage,
                          path + " holds translations into " +
                              std::string(trim(file.target_language)) +
                              ", but the target language in use is " +
                              std::string(trim(st_.win.language_caption[kTargetList])) + " (" +
                              ours + "): choose that language first. Nothing was imported.");
        if (matched_ == 0 && entries > 0)
            return refuse(MessageId::kEntriesUnmatched,
                          path +
                              " holds no translation of this document's rows: its entries name "
                              "other elements or other source labels (first: " +
                              unmatched_.front() + "). Nothing was imported.");

        for (Change& c : changes_) {
            Row& row = st_.rows(c.place.kind)[std::size_t(c.place.row)];
            row.text = std::move(c.text);
            row.status = row_status(row);
            if (c.review && row.status != RowStatus::kSuspect && !row_empty(row))
                row.status = RowStatus::kToReview;
            row.marks.target_doubt = false;
        }
        if (!changes_.empty()) st_.changed = true;
        update_check_errors(st_, ui);
        update_title(st_, ui, st_.document_path);
        ui.refresh(RefreshTarget::everything());

        if (!misfits_.empty())
            ui.message({MessageId::kLabelsDoNotFit,
                        std::to_string(misfits_.size()) +
                            (misfits_.size() == 1 ? " translation holds" : " translations hold") +
                            " characters that code page " + std::to_string(target_cp_) +
                            " cannot hold; their rows were left as they were: " +
                            listed_briefly(misfits_) + "."});
        if (!unmatched_.empty())
            ui.message({MessageId::kEntriesUnmatched,
                        std::to_string(unmatched_.size()) +
                            (unmatched_.size() == 1 ? " entry matches" : " entries match") +
                            " no row of this document and " +
                            (unmatched_.size() == 1 ? "was" : "were") +
                            " left out: " + listed_briefly(unmatched_, 5) + "."});
        ui.message({MessageId::kExchangeImported,
                    "Imported " + std::to_string(changes_.size()) +
                        (changes_.size() == 1 ? " translation" : " translations") + " from " +
                        path + "."});
        return Outcome::done(int(changes_.size()), int(misfits_.size() + unmatched_.size()));
    }

private:
    struct Place {
        Kind kind;
        int row;
    };
    struct Change {
        Place place;
        std::string text;
        bool review;
    };

    // A target text compared as the save compares it: outer blanks aside, no line breaks. The
    // text itself where it holds none, otherwise made in `out`.
    static std::string_view comparable(std::string_view text, std::string& out) {
        const std::string_view t = trim(text);
        if (!has_line_break(t)) return t;
        out.clear();
        for (const char c : t)
            if (c != '\r' && c != '\n') out.push_back(c);
        return trim(out);
    }

    // The row of the element `context` names, or null. A file exported from this document
    // names the rows in their order: each entry is first compared with the row after the last
    // one found so, and only an entry out of that order looks in a table of every row.
    const Place* find(const std::string& context) {
        if (has_place_ && elements_->context_is(context)) {
            found_ = place_;
            next_place();
            return &found_;
        }
        if (!table_built_) {
            table_built_ = true;
            for (const Kind kind : kAllKinds) {
                RowElements elements = sources_.of(st_, kind);
                const int n = std::min(st_.row_count(kind), int(st_.rows(kind).size()));
                for (int r = 0; r < n && elements.next(); ++r)
                    table_.emplace(std::string(elements.context()), Place{kind, r});
            }
        }
        const auto it = table_.find(context);
        return it == table_.end() ? nullptr : &it->second;
    }

    // Moves in row order to the next row that has an element.
    void next_place() {
        has_place_ = false;
        for (;;) {
            const Kind kind = place_.kind;
            const int n = std::min(st_.row_count(kind), int(st_.rows(kind).size()));
            if (started_) ++place_.row;
            started_ = true;
            if (place_.row < n && elements_->next()) {
                has_place_ = true;
                return;
            }
            if (kind == kAllKinds.back()) return;
            place_ = {kAllKinds[std::size_t(kind) + 1], 0};
            started_ = false;
            elements_.emplace(sources_.of(st_, place_.kind));
        }
    }

    State& st_;
    const LabelCodec& codec_;
    const ExchangeOptions& options_;
    const RowSources sources_;
    const int source_cp_, target_cp_;
    std::optional<RowElements> elements_; // the elements of the kind of place_
    Place place_{kAllKinds[0], 0};
    Place found_{kAllKinds[0], 0};
    bool started_ = false;
    bool has_place_ = false;
    bool table_built_ = false;
    std::unordered_map<std::string, Place> table_;
    std::string buffer_, target_, old_;
    std::vector<Change> changes_;
    std::vector<std::string> unmatched_, misfits_;
    int matched_ = 0;
};

} // namespace

Outcome import_exchange_file(State& st, Ui& ui, const ExchangeFile& file, const std::string& path,
                             const ExchangeOptions& options) {
    if (const auto why = say_no_document(st, ui)) return Outcome::failed(*why);
    Importer importer(st, options);
    for (const ExchangeEntry& e : file.entries) importer.take(e);
    return importer.finish(ui, file, path, file.entries.size());
}

Outcome import_exchange_text(State& st, Ui& ui, ExchangeFormat format, std::string_view text,
                             const std::string& path, const ExchangeOptions& options) {
    if (const auto why = say_no_document(st, ui)) return Outcome::failed(*why);
    Importer importer(st, options);
    std::size_t entries = 0;
    const EntrySink each = [&](const ExchangeEntry& e) {
        importer.take(e);
        ++entries;
    };
    ExchangeFile file;
    std::string why;
    // The pairing needs neither the entries' comments nor their lines.
    const bool ok = format == ExchangeFormat::kPo
                        ? read_po(text, file, why, each, EntryDetails::kForPairing)
                        : read_xliff(text, file, why, each, EntryDetails::kForPairing);
    if (!ok) {
        say_unreadable(ui, format, path, why);
        return Outcome::failed("Could not import " + path);
    }
    return importer.finish(ui, file, path, entries);
}

} // namespace lex
