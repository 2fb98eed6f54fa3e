#include "commands/string_tools.h"

#include "commands/language_choice.h"
#include "document/codepage.h"
#include "document/file_writer.h"
#include "document/label_edits.h"
#include "document/ui.h"
#include "translate/languages.h"
#include "translate/spelling.h"
#include "view/rows.h"
#include "view/state.h"
#include "view/window_state.h"

#include <chrono>

namespace lex {

namespace {

// Owns the document while an operation rewrites it, as a translation run does: the window
// keeps its controls locked, and the busy pointer and the progress bar are reset at the end.
class DocumentLock {
public:
    DocumentLock(State& st, Ui& ui) : st_(st), ui_(ui), was_running_(st.win.running) {
        st.win.running = true;
        ui.refresh(RefreshTarget::window());
    }
    ~DocumentLock() {
        st_.win.running = was_running_;
        if (st_.win.busy) busy_off(st_, ui_);
        set_progress(st_, ui_, 0);
    }
    DocumentLock(const DocumentLock&) = delete;
    DocumentLock& operator=(const DocumentLock&) = delete;

private:
    State& st_;
    Ui& ui_;
    bool was_running_;
};

// Shows how far an edit has read and lets the window repaint, at most every 15 ms.
EditProgress progress_of(State& st, Ui& ui) {
    using Clock = std::chrono::steady_clock;
    return
        [&st, &ui, last = Clock::now(), calls = 0u](std::size_t done, std::size_t total) mutable {
            if (++calls % 16 != 0 || total == 0) return;
            const auto now = Clock::now();
            if (now - last < std::chrono::milliseconds(15)) return;
            set_progress(st, ui, int(double(done) * 100.0 / double(total)));
            ui.process_events();
            last = Clock::now();
        };
}

// Runs one edit over the document with the busy pointer on.
LabelEdit scan(State& st, Ui& ui, const std::function<LabelEdit(const EditProgress&)>& edit) {
    busy_on(st, ui);
    LabelEdit result = edit(progress_of(st, ui));
    busy_off(st, ui);
    return result;
}

// The edited text becomes the document; the panes are rebuilt from it.
void store(State& st, Ui& ui, LabelEdit& edit) {
    st.document = std::move(edit.text);
    st.text_changed();
    st.changed = true;
    rebuild_rows(st, ui);
}

// Writes the report file and opens it in the viewer. The document stays as the operation left
// it either way; a failure is said once.
void show_report(State& st, Ui& ui, const std::string& report) {
    const std::string path = report_path(st);
    std::string why;
    if (!writer_for(st).replace_with_new_file(path, report + "\r\n", 0600, why)) {
        ui.message(
            {MessageId::kCannotWrite, "Cannot write " + path + (why.empty() ? "" : ": " + why)});
        return;
    }
    if (!ui.start_viewer(path))
        ui.message({MessageId::kNoViewer,
                    "No text viewer could be started. The report was written to " + path});
}

std::string replaced_report(const LabelEdit& edit, bool with_not_replaced) {
    std::string out = "Replaced  " + spaced_number(edit.count) + "\r\n";
    if (with_not_replaced) out += "Not replaced:\r\n";
    return out + edit.report;
}

bool same_code(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if ((a[i] | 0x20) != (b[i] | 0x20)) return false;
    return true;
}

// The old target language becomes the source language. A language the source list does not
// offer cannot be a source: the list's first language takes its place, as at start-up.
void make_target_the_source(State& st, Ui& ui) {
    const std::string target = st.target_code;
    int row = language_row_of(st, target);
    if (row >= language_list_size(kSourceList) || language_code_at(st, row) != target) row = 0;
    st.source_code = language_code_at(st, row);
    st.source_codepage = codepage_for_code(st.source_code);
    st.win.language_row[kSourceList] = row;
    st.win.language_caption[kSourceList] = language_list_item(kSourceList, row);
    // Applying the target again rebuilds the panes; the document is saved already or its
    // changes were given up when the operation asked, so the language choice must not ask.
    st.changed = false;
    choose_language(st, ui, kTargetList, st.target_index);
    st.changed = true;
    update_title(st, ui, st.document_path);
}

} // namespace

Outcome sort_languages(State& st, Ui& ui, SortMode mode) {
    const bool ask = mode == SortMode::kAsk;
    if (ask && wants_to_save_first(st, ui)) return Outcome::cancelled();
    DocumentLock lock(st, ui);
    LabelEdit edit =
        scan(st, ui, [&](const EditProgress& p) { return sort_labels(st.document, p); });
    if (edit.count < 1) {
        if (ask) ui.message({MessageId::kNothingFound, "No need to sort"});
        return Outcome::done();
    }
    if (ask) {
        store(st, ui, edit);
        ui.message({MessageId::kSorted,
                    "Sorted " + spaced_number(edit.count) + " elements.Please save. "});
    } else {
        // The rows stay: a sort moves label lines inside their elements, and the caller
        // saves the rows it has.
        st.document = std::move(edit.text);
        st.text_changed();
        st.changed = true;
        update_title(st, ui, st.document_path);
    }
    return Outcome::done(edit.count);
}

Outcome replace_zero_labels(State& st, Ui& ui) {
    if (wants_to_save_first(st, ui)) return Outcome::cancelled();
    DocumentLock lock(st, ui);
    LabelEdit edit = scan(st, ui, [&](const EditProgress& p) {
        return relabel_language(st.document, "00", st.source_code, p);
    });
    if (edit.count < 1) {
        ui.message({MessageId::kNothingFound, "Found none  "});
        return Outcome::done();
    }
    if (!ui.ask({QuestionId::kChangeLanguage, "Found:" + spaced_number(edit.count) +
                                                  "\r\n\r\nChange ALL 0x00 to 0x" + st.source_code +
                                                  "?"}))
        return Outcome::cancelled();
    store(st, ui, edit);
    show_report(st, ui, replaced_report(edit, true));
    return Outcome::done(edit.count);
}

Outcome replace_source_with_target(State& st, Ui& ui) {
    if (same_code(st.source_code, st.target_code)) {
        const Message refusal{MessageId::kSameLanguages,
                              "Source and Target languages are the same."};
        ui.message(refusal);
        return Outcome::refused(refusal.text);
    }
    if (wants_to_save_first(st, ui)) return Outcome::cancelled();
    if (!ui.ask({QuestionId::kChangeLanguage,
                 "Change ALL 0x" + st.source_code + " into 0x" + st.target_code + "?"}))
        return Outcome::cancelled();
    DocumentLock lock(st, ui);
    LabelEdit edit = scan(st, ui, [&](const EditProgress& p) {
        return relabel_language(st.document, st.source_code, st.target_code, p);
    });
    if (edit.count < 1) {
        ui.message({MessageId::kNothingFound, "Found none  "});
        return Outcome::done();
    }
    st.document = std::move(edit.text);
    st.text_changed();
    make_target_the_source(st, ui);
    show_report(st, ui, replaced_report(edit, true));
    return Outcome::done(edit.count);
}

Outcome delete_empty_labels(State& st, Ui& ui) {
    if (wants_to_save_first(st, ui)) return Outcome::cancelled();
    DocumentLock lock(st, ui);
    LabelEdit edit =
        scan(st, ui, [&](const EditProgress& p) { return remove_empty_labels(st.document, p); });
    if (edit.count < 1) {
        ui.message({MessageId::kNothingFound, "Found none  "});
        return Outcome::done();
    }
    if (!ui.ask({QuestionId::kRemoveEmptyLabels,
                 "Remove " + spaced_number(edit.count) + " empty strings ie 'String1=, ' ?"}))
        return Outcome::cancelled();
    store(st, ui, edit);
    show_report(st, ui, replaced_report(edit, false));
    return Outcome::done(edit.count);
}

std::array<std::string, 2> edit_strings_captions(const State& st) {
    return {"Change all 0x00 to 0x" + st.source_code,
            "Replace 0x" + st.source_code + "  with 0x" + st.target_code};
}

} // namespace lex
