#include "commands/tools_menu.h"

#include "commands/open_document.h"
#include "document/file_writer.h"
#include "document/folders.h"
#include "document/state.h"
#include "document/text.h"
#include "document/ui.h"
#include "translate/spelling.h"
#include "view/window_state.h"

#include <algorithm>

namespace lex {

void check_spelling(State& st, Ui& ui) {
    if (st.source_code != "04") {
        ui.message("English only");
        return;
    }
    busy_on(st, ui);
    std::string report;
    const bool found = spelling_report(st, ui, report);
    busy_off(st, ui);
    if (!found) {
        ui.message("No errors found");
        return;
    }
    const std::string path = report_path(st);
    std::string why;
    if (!writer_for(st).replace_file(path, report + "\r\n", why)) {
        ui.message("Cannot write " + path);
        return;
    }
    ui.view_file(path);
}

void mark_light_blue(State& st, Ui& ui, int kind) {
    Pane& pane = st.pane(kind);
    int count = 0;
    const int n = std::min<int>(st.row_count(kind), int(pane.rows.size()));
    for (int r = 0; r < n; ++r) {
        Row& row = pane.rows[std::size_t(r)];
        if (row.back != st.highlight) continue;
        row.text = "?" + row.text;
        pane.check_errors_visible = true;
        ++count;
    }
    ui.refresh(kind);
    ui.refresh(-2);
    ui.message("Found:" + spaced_number(count));
}

namespace {

void edit_dictionary(State& st, Ui& ui) {
    // The viewer opens the user's own copy: the shipped dictionary copied there first, or an
    // empty one when none is shipped.
    std::string why;
    if (!make_user_copy(st, kDictionaryFile, why)) {
        ui.message("Cannot write " + dictionary_path(st));
        return;
    }
    ui.view_file(dictionary_path(st));
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
            if (st.win.busy) busy_off(st, ui);
            ui.refresh(-2);
        }
    } release{st, ui};
    check_spelling(st, ui);
}

} // namespace

void tools_menu_item(State& st, Ui& ui, int item) {
    switch (item) {
    case 0:
        spelling_run(st, ui);
        break;
    case 2:
        edit_dictionary(st, ui);
        break;
    case 3:
        st.dictionary = read_text_file(st, ui, dictionary_read_path(st));
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
