#include "view/language.h"

#include "app/window_state.h"
#include "document/codepage.h"
#include "document/state.h"
#include "document/ui.h"
#include "translate/languages.h"
#include "view/rows.h"

namespace lex {

int list_size(int list) {
    return list == 0 ? kSourceLanguages : kTargetLanguages;
}

std::string list_item_text(int list, int index) {
    if (list == 1 && index == kCustomIndex) return "Custom";
    if (index < 0 || index >= list_size(list)) return {};
    return kLanguages[std::size_t(index)].item;
}

void List4_MouseDown(State& st, Ui& ui, int list) {
    if (list != 0 && list != 1) return;
    invisl4(st);
    if (chksav(st, ui)) {
        ui.refresh(-2);
        return;
    }
    st.changed = false;
    ui.refresh(-2);
    ui.process_events();

    const int index = st.win.list4[std::size_t(list)];
    const bool custom = list == 1 && index == kCustomIndex;
    if (!custom && (index < 0 || index >= list_size(list))) return;

    st.win.label4[std::size_t(list)] = list_item_text(list, index);
    if (index == kHebrewIndex || custom)
        ui.message("Can only use 0x00 for this language. This may clash with language used for "
                   "0x00.");

    std::string code;
    int cp;
    if (custom) {
        code = st.custcode;
        cp = st.custcp;
    } else {
        code = get_lang(st, index);
        cp = codepage_for_code(code);
    }
    if (list == 0) {
        st.fromcp = cp;
        st.fromlang = code;
    } else {
        st.tocp = cp;
        st.tolang2 = code;
        st.tolang = code;
        st.toindex = index;
    }
    st.win.label5 = std::to_string(cp);
    if (!st.listloaded)
        refresh_labels(st, ui);
    else
        cap(st, ui, st.fname);
}

void Check3_MouseUp(State& st, Ui& ui, bool ticked) {
    if (st.changed) {
        ui.refresh(-2); // the box shows its old state again
        ui.message("Please save first");
        return;
    }
    st.win.check3 = ticked;
    refresh_labels(st, ui);
}

void p4_MouseDown(State& st, int list) {
    if (list != 0 && list != 1) return;
    auto& shown = st.win.list4_visible;
    shown[std::size_t(1 - list)] = false;
    shown[std::size_t(list)] = !shown[std::size_t(list)];
}

} // namespace lex
