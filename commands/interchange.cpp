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
#include <cstdio>
#include <filesystem>
#include <unordered_map>

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

// A target text compared as the save compares it: outer blanks aside, no line breaks.
std::string comparable(std::string_view text) {
    std::string out;
    for (const char c : trim(text))
        if (c != '\r' && c != '\n') out.push_back(c);
    return std::string(trim(out));
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

ExchangeFile exchange_file(const State& st, const LabelCodec& codec) {
    ExchangeFile file;
    file.source_language = exchange_language(st, kSourceList);
    file.target_language = exchange_language(st, kTargetList);
    file.original = from_path(to_path(st.document_path).filename());
    file.generator = "Lexmarin " + version_text(st.version).substr(1);
    const int source_cp = source_cell_codepage(st);
    const int target_cp = target_cell_codepage(st);
    const Outline outline = read_outline(st.document);
    for (const Kind kind : kAllKinds) {
        const std::vector<RowElement> elements = row_elements(st, kind, outline);
        const int rows = std::min(st.row_count(kind), int(st.rows(kind).size()));
        for (int r = 0; r < rows; ++r) {
            const Row& row = st.rows(kind)[std::size_t(r)];
            ExchangeEntry e;
            if (std::size_t(r) < elements.size()) {
                const RowElement& element = elements[std::size_t(r)];
                e.context = element.context;
                std::vector<ElementLabel> labels = element_labels(element.body);
                for (ElementLabel& label : labels) {
                    label.name = language_name(label.code);
                    label.text = codec.to_utf8(
                        label.text, st.utf8_labels ? kUtf8CodePage : codepage_for_code(label.code));
                }
                e.comment = other_labels_comment(labels, st.source_code, st.row_target_code);
            } else { // a row from a list, beyond the document's elements
                e.context =
                    std::string(kKindName[std::size_t(kind)]) + " row " + std::to_string(r + 1);
            }
            e.source = codec.to_utf8(row.caption, source_cp);
            if (!row_empty(row)) e.target = codec.to_utf8(row.text, target_cp);
            e.review = row_suspect(row) || row.status == RowStatus::kToReview;
            file.entries.push_back(std::move(e));
        }
    }
    return file;
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
    ExchangeFile file = exchange_file(st, codec_of(options));
    file.date = date_of(writer_for(st).today());
    const std::string text = format == ExchangeFormat::kPo ? po_text(file) : xliff_text(file);
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
    return Outcome::done(int(file.entries.size()));
}

bool read_exchange(State& st, Ui& ui, ExchangeFormat format, const std::string& path,
                   ExchangeFile& file) {
    std::string text;
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
    const bool ok =
        format == ExchangeFormat::kPo ? read_po(text, file, why) : read_xliff(text, file, why);
    if (!ok) {
        ui.message({MessageId::kNotExchangeFile, path + " is not a " + format_name(format) +
                                                     " file Lexmarin can read (" + why +
                                                     "). Nothing was imported."});
        return false;
    }
    return true;
}

Outcome import_exchange(State& st, Ui& ui, ExchangeFormat format, const ExchangeOptions& options) {
    if (st.win.running) return Outcome::refused({});
    if (st.document.empty()) {
        const Message m{MessageId::kNoDocumentOpen,
                        "No TYP text file is open: open the style the translations are for first."};
        ui.message(m);
        return Outcome::refused(m.text);
    }
    std::string path = options.path;
    if (path.empty()) {
        st.dialog_filter = filter_of(format);
        path = choose_path(st, ui, false, exchange_folder(st), "");
        if (path.empty()) return Outcome::cancelled();
    }
    ExchangeFile file;
    if (!read_exchange(st, ui, format, path, file))
        return Outcome::failed("Could not import " + path);
    return import_exchange_file(st, ui, file, path, options);
}

Outcome import_exchange_file(State& st, Ui& ui, const ExchangeFile& file, const std::string& path,
                             const ExchangeOptions& options) {
    auto refuse = [&](MessageId id, const std::string& text) {
        ui.message({id, text});
        return Outcome::failed(text);
    };
    if (st.document.empty())
        return refuse(MessageId::kNoDocumentOpen,
                      "No TYP text file is open: open the style the translations are for first.");
    const std::string ours = exchange_language(st, kTargetList);
    if (!options.language_given && !trim(file.target_language).empty() &&
        primary_language(file.target_language) != primary_language(ours))
        return refuse(MessageId::kExchangeLanguage,
                      path + " holds translations into " + std::string(trim(file.target_language)) +
                          ", but the target language in use is " +
                          std::string(trim(st.win.language_caption[kTargetList])) + " (" + ours +
                          "): choose that language first. Nothing was imported.");

    // Every row by the context of its element.
    struct Place {
        Kind kind;
        int row;
    };
    std::unordered_map<std::string, Place> rows;
    const Outline outline = read_outline(st.document);
    for (const Kind kind : kAllKinds) {
        std::vector<RowElement> elements = row_elements(st, kind, outline);
        const int n =
            std::min({st.row_count(kind), int(st.rows(kind).size()), int(elements.size())});
        for (int r = 0; r < n; ++r)
            rows.emplace(std::move(elements[std::size_t(r)].context), Place{kind, r});
    }

    const LabelCodec& codec = codec_of(options);
    const int source_cp = source_cell_codepage(st);
    const int target_cp = target_cell_codepage(st);
    struct Change {
        Place place;
        std::string text;
        bool review;
    };
    std::vector<Change> changes;
    std::vector<std::string> unmatched, misfits;
    int matched = 0;
    for (const ExchangeEntry& e : file.entries) {
        const auto it = rows.find(e.context);
        const Row* row =
            it == rows.end() ? nullptr : &st.rows(it->second.kind)[std::size_t(it->second.row)];
        if (!row || codec.to_utf8(row->caption, source_cp) != e.source) {
            unmatched.push_back(entry_name(e));
            continue;
        }
        ++matched;
        const std::string target = comparable(e.target);
        if (target == comparable(codec.to_utf8(row->text, target_cp))) continue;
        std::optional<std::string> bytes = codec.from_utf8(target, target_cp);
        if (!bytes) {
            misfits.push_back(entry_name(e) + " \"" + target + "\"");
            continue;
        }
        changes.push_back({it->second, std::move(*bytes), e.review});
    }
    if (matched == 0 && !file.entries.empty())
        return refuse(MessageId::kEntriesUnmatched,
                      path +
                          " holds no translation of this document's rows: its entries name "
                          "other elements or other source labels (first: " +
                          unmatched.front() + "). Nothing was imported.");

    for (Change& c : changes) {
        Row& row = st.rows(c.place.kind)[std::size_t(c.place.row)];
        row.text = std::move(c.text);
        row.status = row_status(row);
        if (c.review && row.status != RowStatus::kSuspect && !row_empty(row))
            row.status = RowStatus::kToReview;
        row.marks.target_doubt = false;
    }
    if (!changes.empty()) st.changed = true;
    update_check_errors(st, ui);
    update_title(st, ui, st.document_path);
    ui.refresh(RefreshTarget::everything());

    if (!misfits.empty())
        ui.message({MessageId::kLabelsDoNotFit,
                    std::to_string(misfits.size()) +
                        (misfits.size() == 1 ? " translation holds" : " translations hold") +
                        " characters that code page " + std::to_string(target_cp) +
                        " cannot hold; their rows were left as they were: " +
                        listed_briefly(misfits) + "."});
    if (!unmatched.empty())
        ui.message({MessageId::kEntriesUnmatched,
                    std::to_string(unmatched.size()) +
                        (unmatched.size() == 1 ? " entry matches" : " entries match") +
                        " no row of this document and " + (unmatched.size() == 1 ? "was" : "were") +
                        " left out: " + listed_briefly(unmatched, 5) + "."});
    ui.message({MessageId::kExchangeImported,
                "Imported " + std::to_string(changes.size()) +
                    (changes.size() == 1 ? " translation" : " translations") + " from " + path +
                    "."});
    return Outcome::done(int(changes.size()), int(misfits.size() + unmatched.size()));
}

} // namespace lex
