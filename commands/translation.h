#pragma once
// The translation controls of the window: each pane's "Translate", "STOP" and "Check Errors",
// and the Tools menu.

#include "translate/run.h"

namespace lex {

struct State;
class Ui;
class Translator;

// "Translate" of pane `kind`: fills its empty or suspect rows.
void Command7_Click(State& st, Ui& ui, Translator& tr, int kind);
void Command7_Click(State& st, Ui& ui, Translator& tr, int kind, const RunOptions& options);
// "STOP" of pane `kind`: the run stops before its next request (a download under way ends).
void Command5_Click(State& st, int kind);
// "Check Errors" of pane `kind`: re-translates the suspect rows one label at a time.
void Label3_Click(State& st, Ui& ui, Translator& tr, int kind);
void Label3_Click(State& st, Ui& ui, Translator& tr, int kind, const RunOptions& options);
// Tools menu item `item`: 0 Spelling, 2 Edit Dictionary, 3 Reload Dictionary,
// 5..7 mark light-blue rows of polygons, lines, points, 9 Add Custom Language.
void mtls_click(State& st, Ui& ui, int item);

} // namespace lex
