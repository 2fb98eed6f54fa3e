#pragma once
// The label rows of the three panes, built from the document text.

#include "document/elements.h"
#include "document/kind.h"

#include <string>

namespace lex {

struct Row;
struct State;
class Ui;

// The target list shows the custom language.
bool custom_target(const State& st);
// The code page of the target language: the custom language's own, or that of the target code.
int target_language_codepage(const State& st);
// The code pages the cells show and store their bytes in: UTF-8 for a document whose labels are
// UTF-8, else the code page of the cell's language.
int target_cell_codepage(const State& st);
int source_cell_codepage(const State& st);

// Appends one row per element of `kind` that has a source label.
void append_rows_of_kind(State& st, Ui& ui, Kind kind);
// Makes row `row` of `kind` exist, blank, and sets the kind's count to row + 1.
void add_blank_row(State& st, Ui& ui, Kind kind, int row);
// Row `row` of `kind`, blank, made to exist when needed; the row count is left as it is.
Row& blank_row(State& st, Kind kind, int row);
// Makes pane `kind` hold max(n, 21) rows: rows beyond go to the spare rows, missing ones come
// from them. Rows that stay keep their contents; the row count is left as it is.
void resize_rows(State& st, Kind kind, int n);
// Blanks rows 0 to 20 and drops the others; counts become 0.
void clear_rows(State& st);
// Full rebuild of the three panes from the document.
void rebuild_rows(State& st, Ui& ui);

} // namespace lex
