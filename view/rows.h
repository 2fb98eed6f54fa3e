#pragma once
// The label rows of the three panes, built from the document text.

#include "document/elements.h"

#include <string>

namespace lex {

struct State;
class Ui;

// The target list shows the custom language.
bool custom_target(const State& st);
// The code page the target cells use: the custom language's own, or that of the target code.
int target_cell_codepage(const State& st);

// Appends one row per element of `kind` that has a source label.
void append_rows_of_kind(State& st, Ui& ui, int kind);
// Makes row `row` of `kind` exist, blank, and sets the kind's count to row + 1.
void add_blank_row(State& st, Ui& ui, int kind, int row);
// Blanks rows 0 to 20 and drops the others; counts become 0.
void clear_rows(State& st);
// Full rebuild of the three panes from the document.
void rebuild_rows(State& st, Ui& ui);

} // namespace lex
