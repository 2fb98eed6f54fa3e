#include "commands/tools_menu.h"

#include "commands/open_document.h"
#include "document/file_writer.h"
#include "document/folders.h"
#include "document/text.h"
#include "document/ui.h"
#include "translate/spelling.h"
#include "view/state.h"
#include "view/window_state.h"

#include <algorithm>

namespace lex {

void check_spelling(State& st, Ui& ui, SpellingDictionaries* dictionaries, bool target) {
    const SpellingLanguage lang =
        target ? target_spelling_language(st) : source_spelling_language(st);
    busy_on(st, ui);
    std::string why = missing_dictionary_message(lang);
    SpellChecker* checker = dictionaries ? dictionaries->checker(st, ui, lang, why) : nullptr;
    std::string report;
    const bool found = checker && spelling_report(st, ui, *checker, target, report);
    busy_off(st, ui);
    if (!checker) {
        ui.message({MessageId::kNoDictionary, why});
        return;
    }
    if (!found) {
        ui.message({MessageId::kNoErrors, "No errors found"});
        return;
    }
    const std::string path = report_path(st);
    std::string failure;
    if (!writer_for(st).replace_with_new_file(path, report + "\r\n", 0600, failure)) {
        ui.message({MessageId::kCannotWrite, "Cannot write " + path});
        return;
    }
    if (!ui.start_viewer(path))
        ui.message({MessageId::kNoViewer,
                    "No text viewer could be started. The report was written to " + path});
}

void mark_same_as_source_suspect(State& st, Ui& ui, Kind kind) {
    Pane& pane = st.pane(kind);
    int count = 0;
    const int n = std::min<int>(st.row_count(kind), int(st.rows(kind).size()));
    for (int r = 0; r < n; ++r) {
        Row& row = st.rows(kind)[std::size_t(r)];
        if (row.status != RowStatus::kSameAsSource) continue;
        row.text = "?" + row.text;
        pane.check_errors_visible = true;
        ++count;
    }
    ui.refresh(RefreshTarget::pane_rows(kind));
    ui.refresh(RefreshTarget::window());
    ui.message({MessageId::kRowsFound, "Found:" + spaced_number(count)});
}

void edit_own_words(State& st, Ui& ui, bool target) {
    const SpellingLanguage lang =
        target ? target_spelling_language(st) : source_spelling_language(st);
    std::string why;
    if (!make_user_copy(st, own_words_file(lang), why)) {
        ui.message({MessageId::kCannotWrite, "Cannot write " + own_words_path(st, lang)});
        return;
    }
    const std::string path = own_words_path(st, lang);
    if (!ui.start_viewer(path))
        ui.message(
            {MessageId::kNoViewer, "No text viewer could be started. The dictionary is " + path});
}

void spell_labels(State& st, Ui& ui, SpellingDictionaries* dictionaries, bool target) {
    // The check yields to the window, so it owns the document like a translation run does.
    if (st.win.running) return;
    st.win.running = true;
    ui.refresh(RefreshTarget::window());
    struct Release {
        State& st;
        Ui& ui;
        ~Release() {
            st.win.running = false;
            if (st.win.busy) busy_off(st, ui);
            ui.refresh(RefreshTarget::window());
        }
    } release{st, ui};
    check_spelling(st, ui, dictionaries, target);
}

void reload_dictionary(State& st, Ui& ui, SpellingDictionaries* dictionaries) {
    st.dictionary = read_text_file(st, ui, dictionary_read_path(st));
    if (dictionaries) dictionaries->reload_own_words();
}

} // namespace lex
