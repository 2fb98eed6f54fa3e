#pragma once
// Choosing the source and target language, and the "0x00" switch.

#include <string>

namespace lex {

struct State;
class Ui;

// Row `index` of language list `list` was pressed: after the unsaved-changes question it
// becomes the source or target language in use and the rows are rebuilt. The list's selected
// row (st.win.language_row) follows only a language that is applied.
void choose_language(State& st, Ui& ui, int list, int index);

// Makes row `index` of language list `list` the language in use: its caption, code and code page.
// Nothing is asked or rebuilt.
void select_language(State& st, int list, int index);

// The "0x00" box was clicked to `ticked`. With unsaved changes the box keeps its old state
// and "Please save first" is shown; otherwise the rows are rebuilt with the new setting.
void set_zero_fallback(State& st, Ui& ui, bool ticked);

// The drop button of language list `list`: hides the other list and shows or hides this one.
void toggle_language_list(State& st, int list);

} // namespace lex
