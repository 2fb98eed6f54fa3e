#include "commands/interchange.h"

#include "commands/file_menu.h"
#include "document/codepage.h"
#include "document/elements.h"
#include "document/file_writer.h"
#include "document/files.h"
#include "document/label_codec.h"
#include "document/po_file.h"
#include "document/text.h"
#include "document/ui.h"
#include "document/xliff_file.h"
#include "translate/languages.h"
#include "view/review.h"
#include "view/rows.h"
#include "view/state.h"
#include "view/window_state.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <unordered_map>
#include <utility>

namespace lex {

namespace {

constexpr std::array<const char*, kKinds> kKindName{"polygon", "line", "point"};

const LabelCodec& codec_of(const ExchangeOptions& options) {
    return options.codec ? *options.codec : table_label_codec();
}

std::string filter_of(ExchangeFormat format) {
    return format == ExchangeFormat::kPo
               ? std::string("PO files (*.po)") + '\0' + "*.po" + '\0'
               : std::string("XLIFF files (*.xlf *.xliff)") + '\0' + "*.xlf;*.xliff" + '\0';
}

const char* format_name(ExchangeFormat format) {
    return format == ExchangeFormat::kPo ? "PO" : "XLIFF";
}

// The dialogs start in the current document's folder, or the program folder.
std::string exchange_folder(const State& st) {
    const std::string dir = from_path(to_path(st.document_path).parent_path());
    return !dir.empty() && dir_exists(dir) ? dir : st.program_dir;
}

// The name of the language of TYP code `code`, or "" when no table row has it.
std::string language_name(std::string_view code) {
    for (const LanguageEntry& e : kLanguages)
        if (to_lower(e.code) == to_lower(code)) return std::string(trim(e.item));
    return {};
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

std::string date_of(Date d) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d 00:00+0000", d.year, d.month, d.day);
    return text;
}

} // namespace

std::string exchange_language(const State& st, int list) {
    const std::string& code = list == kSourceList ? st.source_code : st.target_code;
    if (list == kTargetList && custom_target(st))
        return st.kept.custom_web_code.empty() ? "x-typ-" + to_lower(code)
                                               : to_lower(st.kept.custom_web_code);
    for (const LanguageEntry& e : kLanguages)
        if (to_lower(e.code) == to_lower(code)) return *e.iso1 ? e.iso1 : e.web;
    return "x-typ-" + to_lower(code);
}

namespace {

char* put(char* p, std::string_view s) {
    // An empty view may have no data at all, which memcpy must not be given.
    if (!s.empty()) std::memcpy(p, s.data(), s.size());
    return p + s.size();
}

// Blanks around `s` left out, as trim() does.
std::string_view trim_blanks(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    return s.substr(b, e - b);
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

// True when a label's code is `code`, letter case aside: label_code_is without a call, for the
// passes over every label.
bool code_is(std::string_view label, std::string_view code) {
    if (label.size() != code.size()) return false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char a = label[i], b = code[i];
        if (a != b && (a >= 'A' && a <= 'Z' ? char(a | 0x20) : a) !=
                          (b >= 'A' && b <= 'Z' ? char(b | 0x20) : b))
            return false;
    }
    return true;
}

// The names and code pages of the TYP language codes, looked up in the tables once per code.
class LanguageNames {
public:
    struct Language {
        std::string code;  // lower case
        std::string name;  // "" when the table has none
        std::string label; // what the translator's comment names it by: the name, or "0x" and
                           // the code
        int codepage = 0;
    };
    // The language of a label's code as written ("0A" or "0a").
    const Language& of(std::string_view code) {
        const int value = code_value(code);
        return value >= 0 ? of_value(value, code) : find(code);
    }
    // The same for a code of two digits whose value code_value gave.
    const Language& of_value(int value, std::string_view code) {
        std::uint16_t& known = by_value_[std::size_t(value)];
        if (known == 0) {
            find(code);
            known = std::uint16_t(found_ + 1);
        }
        return languages_[std::size_t(known - 1)];
    }

private:
    const Language& find(std::string_view code) {
        std::size_t at = 0;
        while (at < languages_.size() && !same_code(languages_[at].code, code)) ++at;
        if (at == languages_.size()) {
            Language& added = languages_.emplace_back();
            added.code = to_lower(code);
            added.name = language_name(added.code);
            added.codepage = codepage_for_code(added.code);
            added.label = added.name.empty() ? "0x" + added.code : added.name;
        }
        found_ = at;
        return languages_[at];
    }
    static bool same_code(std::string_view lower, std::string_view code) {
        if (lower.size() != code.size()) return false;
        for (std::size_t i = 0; i < code.size(); ++i) {
            const char c = code[i] >= 'A' && code[i] <= 'Z' ? char(code[i] | 0x20) : code[i];
            if (c != lower[i]) return false;
        }
        return true;
    }
    std::array<std::uint16_t, 256> by_value_{}; // a two-digit code's language, 1 + its index
    std::size_t found_ = 0;
    std::vector<Language> languages_;
};

// The translation file's description of the rows in use, without entries.
ExchangeFile exchange_header(const State& st) {
    ExchangeFile file;
    file.source_language = exchange_language(st, kSourceList);
    file.target_language = exchange_language(st, kTargetList);
    file.original = from_path(to_path(st.document_path).filename());
    file.generator = "Lexmarin " + version_text(st.version).substr(1);
    return file;
}

// The elements the rows of one kind are made from, in row order: from the element records, or,
// for a text too large to keep them, from a walk over the text.
class RowElements {
public:
    RowElements(const State& st, const ElementRecords* records, Kind kind, const Outline* outline)
        : text_(st.document), kind_(kind), records_(records) {
        if (!records_) walk_.emplace(st, kind, *outline);
    }
    // Moves to the element of the next row; false when there are no more.
    bool next() {
        if (walk_) return walk_->next();
        const std::vector<ElementRecord>& records = records_->kinds[std::size_t(kind_)];
        if (++at_ >= records.size()) return false;
        // The elements a few rows on are asked for soon: their lines are fetched meanwhile.
        if (at_ + kAhead < records.size()) {
            const ElementRecord& ahead = records[at_ + kAhead];
            __builtin_prefetch(text_.data() + ahead.type);
        }
        return true;
    }
    // The element's context.
    std::string_view context() {
        if (walk_) return walk_->context();
        context_.clear();
        append_record_context(context_, text_, kind_, record());
        return context_;
    }
    // True when `context` is the element's context.
    bool context_is(std::string_view context) const {
        if (walk_) return walk_->context() == context;
        return record_context_is(context, text_, kind_, record());
    }
    // Calls f(code, value, text) for the element's label lines in their order: the language
    // code as written, its value (code_value) and the text after the ",".
    template <class F> void for_each_label(F&& f) const {
        if (walk_) {
            for (const LabelLine& label : walk_->labels())
                f(label.code, code_value(label.code), label.text);
            return;
        }
        const ElementRecord& r = record();
        for (std::size_t k = r.labels; k < r.labels + r.label_count; ++k) {
            const LabelRecord& label = records_->labels[k];
            f(text_.substr(label.code, label.code_size), int(label.code_value),
              text_.substr(label.text, label.text_size));
        }
    }

private:
    static constexpr std::size_t kAhead = 8;
    const ElementRecord& record() const { return records_->kinds[std::size_t(kind_)][at_]; }
    std::string_view text_;
    Kind kind_;
    const ElementRecords* records_;
    std::size_t at_ = std::size_t(-1);
    std::optional<ElementWalk> walk_;
    std::string context_;
};

// The element records of the document, and the outline a walk needs when there are none.
struct RowSources {
    const ElementRecords* records;
    std::optional<Outline> outline;
    explicit RowSources(const State& st) : records(element_records(st)) {
        if (!records) outline = read_outline(st.document);
    }
    RowElements of(const State& st, Kind kind) const {
        return RowElements(st, records, kind, outline ? &*outline : nullptr);
    }
};

// Calls each(entry) for the rows in use, in pane order. The entry views the rows and buffers
// that the next row reuses; labels in plain ASCII are their own UTF-8 and are not converted.
// How for_each_entry writes an entry's comment: plain lines, or as the format writes them.
enum class CommentForm { kPlain, kPo, kXliff };

template <CommentForm Form = CommentForm::kPlain, class Each>
void for_each_entry(const State& st, const LabelCodec& codec, Each&& each) {
    const int source_cp = source_cell_codepage(st);
    const int target_cp = target_cell_codepage(st);
    const std::string& source_code = st.source_code;
    const std::string& target_code = st.row_target_code;
    const int source_value = code_value(source_code), target_value = code_value(target_code);
    const RowSources sources(st);
    LanguageNames names;
    ExchangeEntryView e;
    std::string context, source, target, converted;
    // The comment is written through a cursor: a row's labels go in without a call each.
    std::string comment(4096, '\0');
    for (const Kind kind : kAllKinds) {
        RowElements elements = sources.of(st, kind);
        bool elements_left = true;
        const int rows = std::min(st.row_count(kind), int(st.rows(kind).size()));
        for (int r = 0; r < rows; ++r) {
            const Row& row = st.rows(kind)[std::size_t(r)];
            std::size_t written = 0;
            elements_left = elements_left && elements.next();
            if (elements_left) {
                e.context = elements.context();
                // The element's labels in the languages that are neither source nor target.
                elements.for_each_label([&](std::string_view code, int value,
                                            std::string_view label) {
                    const std::string_view text = trim_blanks(label);
                    if (text.empty()) return;
                    // Codes of two digits, the usual ones, compare by their value.
                    if (value >= 0 ? value == source_value || value == target_value
                                   : code_is(code, source_code) || code_is(code, target_code))
                        return;
                    const LanguageNames::Language& language =
                        value >= 0 ? names.of_value(value, code) : names.of(code);
                    std::string_view utf8 = text;
                    if (!plain_ascii(text)) {
                        converted.clear();
                        codec.append_as_utf8(converted, text,
                                             st.utf8_labels ? kUtf8CodePage : language.codepage);
                        utf8 = converted;
                    }
                    const std::string_view name = language.label;
                    const std::size_t need =
                        (Form == CommentForm::kXliff ? 6 : 1) * (name.size() + utf8.size()) + 16;
                    if (comment.size() - written < need) comment.resize(2 * (written + need));
                    char* p = comment.data() + written;
                    if constexpr (Form == CommentForm::kPo) {
                        p = po_write_comment_line(p, name, utf8);
                    } else if constexpr (Form == CommentForm::kXliff) {
                        p = xliff_write_comment_line(p, written == 0, name, utf8);
                    } else {
                        if (written != 0) *p++ = '\n';
                        p = put(p, name);
                        *p++ = ':';
                        *p++ = ' ';
                        p = put(p, utf8);
                    }
                    written = std::size_t(p - comment.data());
                });
            } else { // a row from a list, beyond the document's elements
                context =
                    std::string(kKindName[std::size_t(kind)]) + " row " + std::to_string(r + 1);
                e.context = context;
            }
            e.comment = std::string_view(comment.data(), written);
            e.comment_written = Form != CommentForm::kPlain;
            e.source = utf8_view(codec, row.caption, source_cp, source);
            e.target =
                row_empty(row) ? std::string_view() : utf8_view(codec, row.text, target_cp, target);
            e.review = row_suspect(row) || row.status == RowStatus::kToReview;
            each(std::as_const(e));
        }
    }
}

} // namespace

ExchangeFile exchange_file(const State& st, const LabelCodec& codec) {
    ExchangeFile file = exchange_header(st);
    for_each_entry(st, codec, [&](const ExchangeEntryView& e) {
        file.entries.push_back({std::string(e.context), std::string(e.source),
                                std::string(e.target), std::string(e.comment), e.review, 0});
    });
    return file;
}

namespace {

// A text written through a cursor: each entry gets room for the most bytes it can take, and
// the text is cut to what was written at the end. The room grows in large steps, rarely.
class CursorText {
public:
    CursorText(std::string& out, std::size_t expected) : out_(out), at_(out.size()) {
        out_.resize(at_ + expected);
    }
    char* room(std::size_t bound) {
        if (out_.size() - at_ < bound) out_.resize(std::max(out_.size() / 2 * 3, at_ + bound));
        return out_.data() + at_;
    }
    void wrote(const char* end) { at_ = std::size_t(end - out_.data()); }
    void finish() { out_.resize(at_); }

private:
    std::string& out_;
    std::size_t at_;
};

} // namespace

std::string exchange_text(const State& st, const LabelCodec& codec, ExchangeFormat format,
                          const std::string& date, int* entries) {
    ExchangeFile header = exchange_header(st);
    header.date = date;
    std::string out;
    int count = 0;
    const bool po = format == ExchangeFormat::kPo;
    if (po)
        po_begin(out, header);
    else
        xliff_begin(out, header);
    {
        // Each row makes about a third of its element's bytes in PO, two thirds in XLIFF.
        CursorText text(out, st.document.size() / (po ? 2 : 1) + 4096);
        if (po)
            for_each_entry<CommentForm::kPo>(st, codec, [&](const ExchangeEntryView& e) {
                text.wrote(po_write_entry(text.room(po_entry_bound(e)), e));
                ++count;
            });
        else
            for_each_entry<CommentForm::kXliff>(st, codec, [&](const ExchangeEntryView& e) {
                text.wrote(xliff_write_entry(text.room(xliff_entry_bound(e)), e));
                ++count;
            });
        text.finish();
    }
    if (!po) xliff_end(out);
    if (entries) *entries = count;
    return out;
}

Outcome export_exchange(State& st, Ui& ui, ExchangeFormat format, const ExchangeOptions& options) {
    if (st.win.running) return Outcome::refused({});
    if (!require_rows(st, ui)) return Outcome::refused("No data.");
    std::string path = options.path;
    if (path.empty()) {
        st.dialog_filter = filter_of(format);
        const char* ext = format == ExchangeFormat::kPo ? ".po" : ".xlf";
        const std::string proposed = file_title(st.document_path) + "_" +
                                     exchange_language(st, kSourceList) + "-" +
                                     exchange_language(st, kTargetList) + ext;
        path = choose_path(st, ui, true, exchange_folder(st), proposed);
        if (path.empty()) return Outcome::cancelled();
        if (!icontains(path, ext) && !icontains(path, ".xliff")) path += ext;
        if (file_exists(path) && !ui.ask({QuestionId::kReplaceFile, "File exists. Replace?"}))
            return Outcome::cancelled();
    }
    busy_on(st, ui);
    int entries = 0;
    const std::string text =
        exchange_text(st, codec_of(options), format, date_of(writer_for(st).today()), &entries);
    std::string why;
    const bool written = writer_for(st).replace_file(path, text, why);
    busy_off(st, ui);
    if (!written) {
        const Message failure{MessageId::kSaveFailed, "Could not save " + path + ": " + why +
                                                          ". The file was left as it was."};
        ui.message(failure);
        return Outcome::failed(failure.text);
    }
    ui.message({MessageId::kExchangeWritten, "saved: " + path});
    return Outcome::done(entries);
}

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
        st.dialog_filter = filter_of(format);
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
        : st_(st), codec_(codec_of(options)), options_(options), sources_(st),
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
        const std::string_view t = trim_blanks(text);
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
    const bool ok = format == ExchangeFormat::kPo ? read_po(text, file, why, each)
                                                  : read_xliff(text, file, why, each);
    if (!ok) {
        say_unreadable(ui, format, path, why);
        return Outcome::failed("Could not import " + path);
    }
    return importer.finish(ui, file, path, entries);
}

} // namespace lex
