#pragma once
// "Search": marks the rows whose source label contains the search box's text.

namespace lex {

struct State;
class Ui;

// Searches the source labels of the three panes for the search box's text, ignoring letter
// case in the source language's code page: matches turn magenta, the others black, and a
// message gives the count per pane. The keyboard goes to the last matching point row. A search
// text of blanks only just sends the keyboard to the search box.
void search_labels(State& st, Ui& ui);

} // namespace lex
