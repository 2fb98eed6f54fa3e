#include "app/window_state.h"

#include "document/state.h"
#include "document/ui.h"

#include <cstdio>

namespace lex {

std::string version_text(float version) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", double(version));
    std::string out = version < 0 ? "" : " ";
    out += buf;
    return out;
}

void cap(State& st, Ui& ui, const std::string& s1) {
    std::string title = "Lexmarin : " + version_text(st.version) + " " + ftrim(s1);
    if (st.changed) title += "+";
    st.win.title = title;
    st.win.label2[0] = "Polygons:" + num_text(st.npoly);
    st.win.label2[1] = "Lines:" + num_text(st.nline);
    st.win.label2[2] = "Pois:" + num_text(st.npoi);
    ui.refresh(-2);
}

void hon(State& st, Ui& ui) {
    st.win.busy = true;
    ui.busy(true);
}

void hof(State& st, Ui& ui) {
    st.win.busy = false;
    ui.busy(false);
}

void progr(State& st, Ui& ui, int aa) {
    st.win.progress = aa < 0 ? 0 : aa > 100 ? 100 : aa;
    ui.refresh(-2);
}

void invisl4(State& st) {
    st.win.list4_visible = {false, false};
}

void inviserr(State& st, Ui& ui, int aa) {
    for (int k = 0; k < 3; ++k) {
        if (aa != 4 && aa != k) continue;
        Pane& pane = st.pane(k);
        bool red = false;
        const int n = st.count(k);
        for (int r = 0; r < n && !red; ++r) red = pane.rows[std::size_t(r)].back == kRed;
        pane.check_errors_visible = red;
        pane.translate_visible = true;
    }
    ui.refresh(-2);
    ui.process_events();
}

bool chksav(State& st, Ui& ui) {
    if (!st.changed) return false;
    return ui.ask("Changes not saved. Save Changes?");
}

} // namespace lex
