// Writing translation files (PO, XLIFF) from the rows, and what the commands share.

#include "commands/interchange.h"

#include "commands/file_menu.h"
#include "commands/interchange_rows.h"
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
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

namespace lex {

namespace {

constexpr std::array<const char*, kKinds> kKindName{"polygon", "line", "point"};

// The name of the language of TYP code `code`, or "" when no table row has it.
std::string language_name(std::string_view code) {
    for (const LanguageEntry& e : kLanguages)
        if (to_lower(e.code) == to_lower(code)) return std::string(trim(e.item));
    return {};
}

std::string date_of(Date d) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d 00:00+0000", d.year, d.month, d.day);
    return text;
}

} // namespace

const LabelCodec& exchange_codec(const ExchangeOptions& options) {
    return options.codec ? *options.codec : table_label_codec();
}

std::string exchange_filter(ExchangeFormat format) {
    return format == ExchangeFormat::kPo
               ? std::string("PO files (*.po)") + '\0' + "*.po" + '\0'
               : std::string("XLIFF files (*.xlf *.xliff)") + '\0' + "*.xlf;*.xliff" + '\0';
}

std::string exchange_folder(const State& st) {
    const std::string dir = from_path(to_path(st.document_path).parent_path());
    return !dir.empty() && dir_exists(dir) ? dir : st.program_dir;
}

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
                    const std::string_view text = trim(label);
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

// A text written through a cursor: each entry gets room for the most bytes it can take. The
// room grows in large steps, rarely, and is never cleared: only what is written is touched.
class CursorText {
public:
    explicit CursorText(std::size_t expected) : out_(new char[expected]), room_(expected) {}
    char* room(std::size_t bound) {
        if (room_ - at_ < bound) {
            const std::size_t room = std::max(room_ / 2 * 3, at_ + bound);
            std::unique_ptr<char[]> more(new char[room]);
            std::memcpy(more.get(), out_.get(), at_);
            out_ = std::move(more);
            room_ = room;
        }
        return out_.get() + at_;
    }
    void wrote(const char* end) { at_ = std::size_t(end - out_.get()); }
    void put(std::string_view s) {
        if (s.empty()) return;
        char* p = room(s.size());
        std::memcpy(p, s.data(), s.size());
        wrote(p + s.size());
    }
    ExchangeBytes finish() { return {std::move(out_), at_}; }

private:
    std::unique_ptr<char[]> out_;
    std::size_t room_, at_ = 0;
};

} // namespace

ExchangeBytes exchange_bytes(const State& st, const LabelCodec& codec, ExchangeFormat format,
                             const std::string& date, int* entries) {
    ExchangeFile header = exchange_header(st);
    header.date = date;
    std::string begin;
    int count = 0;
    const bool po = format == ExchangeFormat::kPo;
    if (po)
        po_begin(begin, header);
    else
        xliff_begin(begin, header);
    // Each row makes about a third of its element's bytes in PO, two thirds in XLIFF.
    CursorText text(begin.size() + st.document.size() / (po ? 2 : 1) + 4096);
    text.put(begin);
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
    if (!po) {
        std::string end;
        xliff_end(end);
        text.put(end);
    }
    if (entries) *entries = count;
    return text.finish();
}

std::string exchange_text(const State& st, const LabelCodec& codec, ExchangeFormat format,
                          const std::string& date, int* entries) {
    return std::string(exchange_bytes(st, codec, format, date, entries).view());
}

Outcome export_exchange(State& st, Ui& ui, ExchangeFormat format, const ExchangeOptions& options) {
    if (st.win.running) return Outcome::refused({});
    if (!require_rows(st, ui)) return Outcome::refused("No data.");
    std::string path = options.path;
    if (path.empty()) {
        st.dialog_filter = exchange_filter(format);
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
    const ExchangeBytes bytes = exchange_bytes(st, exchange_codec(options), format,
                                               date_of(writer_for(st).today()), &entries);
    std::string why;
    const bool written = writer_for(st).replace_file(path, bytes.view(), why);
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

} // namespace lex
