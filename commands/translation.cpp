#include "commands/translation.h"

#include "document/ui.h"
#include "view/state.h"
#include "view/window_state.h"

namespace lex {

namespace {

// Owns the window for the length of one run: while it lives the window keeps the other panes'
// buttons, the File and Edit Strings menus and the language choice disabled, and closing
// waits. On every way out the pane's buttons, the flags and the pointer are put back.
class RunScope {
public:
    RunScope(State& st, Ui& ui, Kind kind) : st_(st), ui_(ui), kind_(kind) {
        st_.win.running = true;
        ui_.refresh(RefreshTarget::window());
    }
    ~RunScope() {
        Pane& pane = st_.pane(kind_);
        pane.stop_visible = false;
        pane.translate_visible = true;
        st_.stop_requested = false;
        st_.checking_errors = false;
        st_.win.progress = 0;
        st_.win.running = false;
        if (st_.win.busy) busy_off(st_, ui_);
        ui_.refresh(RefreshTarget::pane_rows(kind_));
        ui_.refresh(RefreshTarget::window());
    }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

private:
    State& st_;
    Ui& ui_;
    Kind kind_;
};

bool valid_kind(Kind kind) {
    return kind >= 0 && kind < kKinds;
}

} // namespace

Outcome translate_pane(State& st, Ui& ui, Translator& tr, Kind kind, const RunOptions& options) {
    if (!valid_kind(kind) || st.win.running) return Outcome::refused({});
    RunScope scope(st, ui, kind);
    close_language_lists(st);
    update_check_errors(st, ui, kind);
    st.stop_requested = false;
    st.checking_errors = false;
    if (!require_rows(st, ui)) return Outcome::refused("No data.");
    if (st.row_count(kind) == 0) {
        ui.message({MessageId::kNoData, "No data"});
        return Outcome::refused("No data");
    }
    st.win.single_words = false;
    busy_on(st, ui);
    const Outcome outcome = translate_rows(st, ui, tr, kind, options);
    busy_off(st, ui);

    st.stop_requested = false;
    st.pane(kind).stop_visible = false;
    update_check_errors(st, ui, kind);
    set_progress(st, ui, 0);
    st.checking_errors = false;
    return outcome;
}

void stop_translation(State& st, Kind kind) {
    if (!valid_kind(kind)) return;
    st.stop_requested = true;
    st.win.progress = 0;
}

Outcome check_errors(State& st, Ui& ui, Translator& tr, Kind kind, const RunOptions& options) {
    if (!valid_kind(kind) || st.checking_errors || st.win.running) return Outcome::refused({});
    if (!require_rows(st, ui)) return Outcome::refused("No data.");
    RunScope scope(st, ui, kind);
    st.checking_errors = true;
    st.stop_requested = false;
    st.win.single_words = true;
    const Outcome outcome = translate_rows(st, ui, tr, kind, options);

    Pane& pane = st.pane(kind);
    pane.stop_visible = false;
    pane.translate_visible = true;
    update_title(st, ui, st.document_path);
    update_check_errors(st, ui, kind);
    st.checking_errors = false;
    set_progress(st, ui, 0);
    return outcome;
}

} // namespace lex
