#pragma once
// Choosing the source and target language, and the "0x00" switch.

#include <string>

namespace lex {

struct State;
class Ui;

// The text a language list shows for entry `index` (list 0 source, 1 target); the custom
// language (target entry 24) reads "Custom". Empty for an entry the list does not have.
std::string list_item_text(int list, int index);
// Number of entries of language list `list`.
int list_size(int list);

// A press on language list `list`: st.win.list4[list] holds the entry pressed (-1 for none).
// Applies it as the new source or target language and rebuilds the rows.
void List4_MouseDown(State& st, Ui& ui, int list);

// The "0x00" box was clicked to `ticked`. With unsaved changes the box keeps its old state
// and "Please save first" is shown; otherwise the rows are rebuilt with the new setting.
void Check3_MouseUp(State& st, Ui& ui, bool ticked);

// The drop button of language list `list`: hides the other list and shows or hides this one.
void p4_MouseDown(State& st, int list);

} // namespace lex
