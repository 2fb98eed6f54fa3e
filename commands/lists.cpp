#include "commands/lists.h"

#include "commands/file_menu.h"
#include "commands/language_choice.h"
#include "commands/open_document.h"
#include "document/file_writer.h"
#include "document/files.h"
#include "document/list_file.h"
#include "document/text.h"
#include "document/ui.h"
#include "translate/languages.h"
#include "view/panes.h"
#include "view/rows.h"
#include "view/state.h"
#include "view/window_state.h"

#include <filesystem>

namespace lex {

namespace {

const std::string kListFilter = std::string("List files (*.lst)") + '\0' + "*.lst" + '\0';
constexpr std::array<const char*, 3> kKindName{"polygon", "line", "point"};

// The dialogs start in the current document's folder, or the program folder.
std::string list_folder(const State& st) {
    const std::string dir = from_path(to_path(st.document_path).parent_path());
    return !dir.empty() && dir_exists(dir) ? dir : st.program_dir;
}

std::string row_name(Kind kind, int row) {
    return std::string(kKindName[std::size_t(kind)]) + " row " + std::to_string(row + 1);
}

// The list row of language list `list` whose caption is `caption` (outer blanks aside), or -1.
int language_index(int list, std::string_view caption) {
    caption = trim(caption);
    if (caption.empty()) return -1;
    const int last = list == kTargetList ? kCustomIndex : language_list_size(list) - 1;
    for (int i = 0; i <= last; ++i)
        if (trim(language_list_item(list, i)) == caption) return i;
    return -1;
}

// The rows the document gives with `source_code` as source and `target_code` as target: the
// elements a save pairs the list rows with, in order, and the target texts they show.
State document_rows(const State& st, const std::string& source_code,
                    const std::string& target_code) {
    State doc;
    doc.document = st.document;
    doc.source_code = source_code;
    doc.row_target_code = target_code;
    doc.zero_fallback = st.zero_fallback;
    doc.win.language_caption = st.win.language_caption;
    SilentUi quiet; // the rows are only compared, never shown
    rebuild_rows(doc, quiet);
    return doc;
}

// One question for every kind whose list rows and document elements differ in number; true
// when they agree or the user goes on.
bool counts_agree_or_go_on(const ListContents& list, const State& doc, Ui& ui) {
    std::string text;
    for (const Kind kind : kAllKinds) {
        const std::size_t rows = list.entries[std::size_t(kind)].size();
        const int elements = doc.row_count(kind);
        if (rows == std::size_t(elements)) continue;
        const std::string name = kKindName[std::size_t(kind)];
        text += "The list has " + std::to_string(rows) + " " + name + " rows, the document " +
                std::to_string(elements) + " " + name +
                " elements: saving would put translations under the wrong elements.\n";
    }
    return text.empty() || ui.ask({QuestionId::kListCountsDiffer, text + "Open the list anyway?"});
}

// Names the list rows whose source text differs from the source label of the element the
// row will be saved into, for the kinds whose counts agree; returns how many differ.
int report_other_sources(const ListContents& list, const State& doc, Ui& ui) {
    constexpr int kNamed = 3;
    int differ = 0;
    std::string named;
    for (const Kind kind : kAllKinds) {
        const auto& entries = list.entries[std::size_t(kind)];
        if (entries.size() != std::size_t(doc.row_count(kind))) continue;
        for (std::size_t k = 0; k < entries.size(); ++k) {
            const std::string& label = doc.rows(kind)[k].caption;
            if (entries[k].source == label) continue;
            if (++differ <= kNamed)
                named += "\n" + row_name(kind, int(k)) + ": \"" + std::string(entries[k].source) +
                         "\" goes into the element labelled \"" + label + "\"";
        }
    }
    if (differ == 0) return 0;
    ui.message({MessageId::kListRowsDiffer,
                std::to_string(differ) + (differ == 1 ? " list row differs" : " list rows differ") +
                    " from the source label of the element it will be saved into:" + named +
                    (differ > kNamed ? "\n..." : "")});
    return differ;
}

// The first row whose source or target text holds a "#", which a list cannot keep apart from
// the "#" between them; and how many rows do.
std::pair<std::string, int> rows_with_hash(const State& st) {
    std::pair<std::string, int> found{"", 0};
    for (const Kind kind : kAllKinds)
        for (int r = 0; r < st.row_count(kind); ++r) {
            const Row& row = st.rows(kind)[std::size_t(r)];
            if (row.caption.find('#') == std::string::npos &&
                row.text.find('#') == std::string::npos)
                continue;
            if (found.second++ == 0) found.first = row_name(kind, r);
        }
    return found;
}

// Languages the list names that the tables do not know (`language` -1) would leave its rows
// under the languages in use: said, and the user decides. True when none is unknown or Yes.
bool list_languages_agreed(const State& st, Ui& ui, const ListContents& list,
                           const std::array<int, 2>& language) {
    if (!list.has_languages) return true;
    std::string unknown;
    int count = 0;
    std::array<std::string, 2> used; // the languages the rows would be applied under
    for (std::size_t i = 0; i < 2; ++i) {
        const bool known = language[i] >= 0;
        used[i] = trim(known ? list.languages[i] : st.win.language_caption[i]);
        if (known) continue;
        unknown += (count++ > 0 ? ", " : "") + std::string(trim(list.languages[i]));
    }
    if (count == 0) return true;
    std::string text = count == 1 ? "The list's language " + unknown + " is not known: "
                                  : "The list's languages " + unknown + " are not known: ";
    text += "its rows would be applied from " + used[kSourceList];
    if (count == 2)
        text += " to " + used[kTargetList] + ", the languages in use. Use them instead?";
    else if (language[kSourceList] < 0)
        text += ", the source language in use, to " + used[kTargetList] + ". Use " +
                used[kSourceList] + " instead?";
    else
        text += " to " + used[kTargetList] + ", the target language in use. Use " +
                used[kTargetList] + " instead?";
    return ui.ask({QuestionId::kListLanguageUnknown, text + " (No leaves everything as it was.)"});
}

bool any_row_changed(const State& st) {
    for (const Kind kind : kAllKinds)
        for (int r = 0; r < st.row_count(kind); ++r)
            if (st.rows(kind)[std::size_t(r)].changed_since_built()) return true;
    return false;
}

void fill_rows(State& st, const ListContents& list, const State* doc) {
    const std::string key = "=0x" + st.source_code + ",";
    for (const Kind kind : kAllKinds) {
        const auto& entries = list.entries[std::size_t(kind)];
        const bool paired = doc && entries.size() == std::size_t(doc->row_count(kind));
        const int n = int(entries.size());
        resize_rows(st, kind, n);
        for (int k = n; k < kPermanentRows; ++k) blank_row(st, kind, k);
        // The element row k is saved into, when there is one.
        const std::size_t elements = doc ? std::size_t(doc->row_count(kind)) : 0;
        for (std::size_t k = 0; k < entries.size(); ++k) {
            Row& row = blank_row(st, kind, int(k)); // the rows are there: only emptied
            row.caption.assign(entries[k].source);
            row.text.assign(entries[k].target);
            // Onto a document a row is a change where its text differs from what the element's
            // row shows: only those are written. Without one, every row is written by the next
            // save even where it equals the label.
            if (k < elements)
                row.built_text = doc->rows(kind)[k].text;
            else
                row.marked_changed = !doc;
            // The label key finds the element's label line when the source label is edited.
            if (paired && doc->rows(kind)[k].caption == row.caption) {
                row.source_key = doc->rows(kind)[k].source_key;
            } else {
                row.source_key = key;
                row.source_key += row.caption;
            }
            if (row.text.find('?') != std::string::npos)
                row.status = RowStatus::kSuspect;
            else if (!row.text.empty() && trim(row.text) == trim(row.caption))
                row.status = RowStatus::kSameAsSource;
        }
        st.row_count(kind) = int(entries.size());
    }
    size_panes(st);
    for (const Kind kind : kAllKinds) scroll_pane(st, kind, 0);
}

} // namespace

int list_language_row(int list, std::string_view caption) {
    return language_index(list, caption);
}

Outcome save_list(State& st, Ui& ui, const std::string& given) {
    if (const auto [first, count] = rows_with_hash(st); count > 0) {
        const std::string text =
            std::to_string(count) + (count == 1 ? " row holds" : " rows hold") +
            " a \"#\", which the list puts between source and target text: it will not load "
            "back as it is (first: " +
            first + "). Save the list anyway?";
        if (!ui.ask({QuestionId::kListRowsHoldHash, text})) return Outcome::cancelled();
    }
    st.dialog_filter = kListFilter;
    const auto& caption = st.win.language_caption;
    const std::string proposed = file_title(st.document_path) + "_" +
                                 caption[kSourceList].substr(0, 2) + "-" +
                                 caption[kTargetList].substr(0, 2) + ".lst";
    std::string path = given.empty() ? choose_path(st, ui, true, list_folder(st), proposed) : given;
    if (path.empty()) return Outcome::cancelled();
    if (given.empty() && !icontains(path, ".lst")) path += ".lst";
    // A link (planted in a shared folder, say) is written through: the question names the file
    // that the save replaces.
    const std::string target = link_target(path);
    if ((file_exists(path) || is_link(path)) &&
        !ui.ask({QuestionId::kReplaceFile,
                 target.empty() ? "File exists. Replace?"
                                : path + " is a link to " + target + ". Replace " + target + "?"}))
        return Outcome::cancelled();

    std::string why;
    if (!writer_for(st).replace_file(path, list_text(st, st.win.language_caption), why)) {
        const Message failure{MessageId::kSaveFailed, "Could not save " + path + ": " + why +
                                                          ". The file was left as it was."};
        ui.message(failure);
        return Outcome::failed(failure.text);
    }
    ui.message({MessageId::kListSaved, "saved: " + path});
    int rows = 0;
    for (const Kind kind : kAllKinds) rows += st.row_count(kind);
    return Outcome::done(rows);
}

Outcome open_list(State& st, Ui& ui) {
    st.dialog_filter = kListFilter;
    const std::string path = choose_path(st, ui, false, list_folder(st), "untitled_list");
    if (path.empty()) return Outcome::cancelled();
    bool failed = false;
    const std::string text = read_text_file(st, ui, path, &failed);
    if (failed || !file_exists(path))
        return Outcome::failed(failed ? "Could not read " + path : path + " doesn't exist");
    const ListContents list = read_list(text);
    if (!list.has_section) {
        const Message refusal{MessageId::kNotAList,
                              path +
                                  " is not a list: it has no [polygons], [lines] or [pois] line."};
        ui.message(refusal);
        return Outcome::failed(refusal.text);
    }
    return open_list_rows(st, ui, list, path);
}

Outcome open_list_rows(State& st, Ui& ui, const ListContents& list, const std::string& path) {
    // The languages the list names become the languages in use, so that the rows are shown and
    // saved as what they are.
    std::array<int, 2> language{-1, -1};
    if (list.has_languages)
        for (int i = 0; i < 2; ++i)
            language[std::size_t(i)] = language_index(i, list.languages[std::size_t(i)]);
    if (!list_languages_agreed(st, ui, list, language)) return Outcome::cancelled();
    const std::string source_code =
        language[kSourceList] >= 0 ? language_code_at(st, language[kSourceList]) : st.source_code;
    const std::string target_code = language[kTargetList] >= 0
                                        ? language_code_at(st, language[kTargetList])
                                        : st.row_target_code;

    const bool withDocument = !st.document.empty();
    State doc;
    if (withDocument) {
        doc = document_rows(st, source_code, target_code);
        if (!counts_agree_or_go_on(list, doc, ui)) return Outcome::cancelled();
    } else {
        st.list_loaded = true;
        st.document_path = path;
    }
    for (int i = 0; i < 2; ++i) {
        if (language[std::size_t(i)] < 0) continue; // the language in use stays
        select_language(st, i, language[std::size_t(i)]);
        st.win.language_caption[std::size_t(i)] = list.languages[std::size_t(i)];
    }
    fill_rows(st, list, withDocument ? &doc : nullptr);
    // The rows may now hold translations the document does not have yet.
    if (withDocument) st.changed = st.changed || any_row_changed(st);
    update_check_errors(st, ui);
    update_title(st, ui, st.document_path);
    ui.refresh(RefreshTarget::everything());
    if (!list.has_languages)
        ui.message({MessageId::kListNamesNoLanguage,
                    "The list names no languages: its rows are applied from " +
                        std::string(trim(st.win.language_caption[kSourceList])) + " to " +
                        std::string(trim(st.win.language_caption[kTargetList])) +
                        ", the languages in use."});
    const int differ = withDocument ? report_other_sources(list, doc, ui) : 0;
    int rows = 0;
    for (const auto& entries : list.entries) rows += int(entries.size());
    return Outcome::done(rows, differ);
}

} // namespace lex
