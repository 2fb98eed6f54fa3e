#pragma once
// The review flow on the rows: typing settles a row's colour, "Copy Source to Target", and
// "Next Suspect", "Previous Suspect" and "Next Empty".

#include "document/kind.h"
#include "view/review.h"

#include <optional>
#include <string>

namespace lex {

struct State;
class Ui;

// The user typed into row `row` of `kind` (its text is in the row): the row takes the status
// its text gives it, the pane's "Check Errors" shows while a row is suspect, and the document
// counts as changed.
void target_row_typed(State& st, Ui& ui, Kind kind, int row);

// "Copy Source to Target": row `at` gets `text`, its source label in the target's bytes,
// without the blanks around it. False when `at` is no row.
bool copy_source_to_target(State& st, Ui& ui, RowPlace at, const std::string& text);

// "Next Suspect" (step 1), "Previous Suspect" (step -1) with kSuspect, "Next Empty" with kEmpty:
// the row to go to from `from`, or nothing after saying "No suspect rows left" or "No empty
// rows left".
std::optional<RowPlace> next_row_to_review(State& st, Ui& ui, RowPlace from, int step,
                                           RowFilter filter);

} // namespace lex
