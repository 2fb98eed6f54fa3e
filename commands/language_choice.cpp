#include "commands/language_choice.h"

#include "document/codepage.h"
#include "document/ui.h"
#include "translate/languages.h"
#include "view/rows.h"
#include "view/state.h"
#include "view/window_state.h"

namespace lex {

void choose_language(State& st, Ui& ui, int list, int index) {
    if (list != kSourceList && list != kTargetList) return;
    close_language_lists(st);
    // Yes: the user saves first, and the list keeps showing the language in use.
    if (wants_to_save_first(st, ui)) {
        ui.refresh(RefreshTarget::window());
        return;
    }
    st.changed = false;
    ui.refresh(RefreshTarget::window());
    ui.process_events();

    const bool custom = list == kTargetList && index == kCustomIndex;
    if (!custom && (index < 0 || index >= language_list_size(list))) return;

    select_language(st, list, index);
    if (index == kHebrewIndex || custom)
        ui.message({MessageId::kZeroLanguageOnly,
                    "Can only use 0x00 for this language. This may clash with language used for "
                    "0x00."});
    if (!st.list_loaded)
        rebuild_rows(st, ui);
    else
        update_title(st, ui, st.document_path);
}

void select_language(State& st, int list, int index) {
    const bool custom = list == kTargetList && index == kCustomIndex;
    st.win.language_row[std::size_t(list)] = index;
    st.win.language_caption[std::size_t(list)] = language_list_item(list, index);
    std::string code;
    int cp;
    if (custom) {
        code = st.kept.custom_code;
        cp = st.kept.custom_codepage;
    } else {
        code = language_code_at(st, index);
        cp = codepage_for_code(code);
    }
    if (list == kSourceList) {
        st.source_codepage = cp;
        st.source_code = code;
    } else {
        st.target_codepage = cp;
        st.row_target_code = code;
        st.target_code = code;
        st.target_index = index;
    }
    st.win.codepage_caption = std::to_string(cp);
}

void set_zero_fallback(State& st, Ui& ui, bool ticked) {
    if (st.changed) {
        ui.refresh(RefreshTarget::window()); // the box shows its old state again
        ui.message({MessageId::kSaveFirst, "Please save first"});
        return;
    }
    st.zero_fallback = ticked;
    rebuild_rows(st, ui);
}

void toggle_language_list(State& st, int list) {
    if (list != 0 && list != 1) return;
    auto& shown = st.win.language_list_open;
    shown[std::size_t(1 - list)] = false;
    shown[std::size_t(list)] = !shown[std::size_t(list)];
}

} // namespace lex
