#include "view/window_state.h"

#include "document/ui.h"
#include "view/state.h"

#include <algorithm>
#include <cstdio>

namespace lex {

std::string version_text(float version) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", double(version));
    std::string out = version < 0 ? "" : " ";
    out += buf;
    return out;
}

void update_title(State& st, Ui& ui, const std::string& path) {
    set_title(st, path);
    ui.refresh(RefreshTarget::window());
}

void set_title(State& st, const std::string& path) {
    std::string title = "Lexmarin : " + version_text(st.version) + " " + file_title(path);
    if (st.utf8_labels) title += " (UTF-8)";
    if (st.changed) title += "+";
    st.win.title = title;
    st.win.count_caption[0] = "Polygons:" + spaced_number(st.row_count(kPolygons));
    st.win.count_caption[1] = "Lines:" + spaced_number(st.row_count(kLines));
    st.win.count_caption[2] = "Pois:" + spaced_number(st.row_count(kPoints));
}

void busy_on(State& st, Ui& ui) {
    st.win.busy = true;
    ui.busy(true);
}

void busy_off(State& st, Ui& ui) {
    st.win.busy = false;
    ui.busy(false);
}

void set_progress(State& st, Ui& ui, int percent) {
    st.win.progress = std::clamp(percent, 0, 100);
    ui.refresh(RefreshTarget::window());
}

void close_language_lists(State& st) {
    st.win.language_list_open = {false, false};
}

namespace {

void show_check_errors(State& st, Kind kind) {
    Pane& pane = st.pane(kind);
    bool suspect = false;
    const int n = st.row_count(kind);
    for (int r = 0; r < n && !suspect; ++r)
        suspect = st.rows(kind)[std::size_t(r)].status == RowStatus::kSuspect;
    pane.check_errors_visible = suspect;
    pane.translate_visible = true;
}

} // namespace

void update_check_errors(State& st, Ui& ui, Kind kind) {
    show_check_errors(st, kind);
    ui.refresh(RefreshTarget::window());
    ui.process_events();
}

void update_check_errors(State& st, Ui& ui) {
    for (const Kind kind : kAllKinds) show_check_errors(st, kind);
    ui.refresh(RefreshTarget::window());
    ui.process_events();
}

bool wants_to_save_first(State& st, Ui& ui) {
    if (!st.changed) return false;
    return ui.ask({QuestionId::kSaveChanges, "Changes not saved. Save Changes?"});
}

} // namespace lex
