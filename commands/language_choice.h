#pragma once
// Choosing the source and target language, and the "0x00" switch.

#include <string>

namespace lex {

struct State;
class Ui;

// A press on language list `list`: st.win.language_row[list] holds the entry pressed (-1 for none).
// Applies it as the new source or target language and rebuilds the rows.
void choose_language(State& st, Ui& ui, int list);

// The "0x00" box was clicked to `ticked`. With unsaved changes the box keeps its old state
// and "Please save first" is shown; otherwise the rows are rebuilt with the new setting.
void set_zero_fallback(State& st, Ui& ui, bool ticked);

// The drop button of language list `list`: hides the other list and shows or hides this one.
void toggle_language_list(State& st, int list);

} // namespace lex
