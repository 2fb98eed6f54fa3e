#include "translate/commands.h"

#include "app/window_state.h"
#include "document/files.h"
#include "document/loading.h"
#include "document/save.h"
#include "document/state.h"
#include "document/ui.h"
#include "translate/spelling.h"

#include <filesystem>

namespace lex {

namespace {

// Owns the window for the length of one run: while it lives the window keeps the other panes'
// buttons, the File and Edit Strings menus and the language choice disabled, and closing
// waits. On every way out the pane's buttons, the flags and the pointer are put back.
class RunScope {
public:
    RunScope(State& st, Ui& ui, int kind) : st_(st), ui_(ui), kind_(kind) {
        st_.win.running = true;
        ui_.refresh(-2);
    }
    ~RunScope() {
        Pane& pane = st_.pane(kind_);
        pane.stop_visible = false;
        pane.translate_visible = true;
        st_.stopflag = false;
        st_.errcheck = false;
        st_.win.progress = 0;
        st_.win.running = false;
        if (st_.win.busy) hof(st_, ui_);
        ui_.refresh(kind_);
        ui_.refresh(-2);
    }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

private:
    State& st_;
    Ui& ui_;
    int kind_;
};

bool valid_kind(int kind) {
    return kind >= 0 && kind < kKinds;
}

} // namespace

void Command7_Click(State& st, Ui& ui, Translator& tr, int kind) {
    Command7_Click(st, ui, tr, kind, RunOptions{});
}

void Command7_Click(State& st, Ui& ui, Translator& tr, int kind, const RunOptions& options) {
    if (!valid_kind(kind) || st.win.running) return;
    RunScope scope(st, ui, kind);
    invisl4(st);
    inviserr(st, ui, kind);
    st.stopflag = false;
    st.errcheck = false;
    if (!fndat(st, ui)) return;
    if (st.count(kind) == 0) {
        ui.message("No data");
        return;
    }
    st.win.check2 = false;
    hon(st, ui);
    parse(st, ui, tr, kind, options);
    hof(st, ui);

    st.stopflag = false;
    st.pane(kind).stop_visible = false;
    inviserr(st, ui, kind);
    progr(st, ui, 0);
    st.errcheck = false;
}

void Command5_Click(State& st, int kind) {
    if (!valid_kind(kind)) return;
    st.stopflag = true;
    st.win.progress = 0;
}

void Label3_Click(State& st, Ui& ui, Translator& tr, int kind) {
    Label3_Click(st, ui, tr, kind, RunOptions{});
}

void Label3_Click(State& st, Ui& ui, Translator& tr, int kind, const RunOptions& options) {
    if (!valid_kind(kind) || st.errcheck || st.win.running) return;
    if (!fndat(st, ui)) return;
    RunScope scope(st, ui, kind);
    st.errcheck = true;
    st.stopflag = false;
    st.win.check2 = true;
    parse(st, ui, tr, kind, options);

    Pane& pane = st.pane(kind);
    pane.stop_visible = false;
    pane.translate_visible = true;
    cap(st, ui, st.fname);
    inviserr(st, ui, kind);
    st.errcheck = false;
    progr(st, ui, 0);
}

namespace {

void edit_dictionary(State& st, Ui& ui) {
    const std::string path = dictionary_path(st);
    // The viewer needs a file to open; a missing dictionary starts out empty.
    if (!file_exists(path)) {
        std::error_code ec;
        std::filesystem::create_directories(to_path(path).parent_path(), ec);
        std::string why;
        if (!ec && !std::filesystem::exists(to_path(path), ec))
            save_io(st).replace_file(path, "", why);
    }
    ui.view_file(path);
}

void spelling_run(State& st, Ui& ui) {
    // The check yields to the window, so it owns the document like a translation run does.
    if (st.win.running) return;
    st.win.running = true;
    ui.refresh(-2);
    struct Release {
        State& st;
        Ui& ui;
        ~Release() {
            st.win.running = false;
            if (st.win.busy) hof(st, ui);
            ui.refresh(-2);
        }
    } release{st, ui};
    spelling(st, ui);
}

} // namespace

void mtls_click(State& st, Ui& ui, int item) {
    switch (item) {
    case 0:
        spelling_run(st, ui);
        break;
    case 2:
        edit_dictionary(st, ui);
        break;
    case 3:
        st.dictext = loadtext(st, ui, dictionary_path(st));
        break;
    case 5:
    case 6:
    case 7:
        mark_light_blue(st, ui, item - 5);
        break;
    case 9:
        ui.message("Available next update");
        break;
    default:
        break;
    }
}

} // namespace lex
