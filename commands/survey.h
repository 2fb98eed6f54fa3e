#pragma once
// Which languages the document holds, and clearing a pane's translations.

namespace lex {

struct State;
class Ui;

// Lists the languages the document has labels in ("Check Which Languages").
void language_survey(State& st, Ui& ui);

} // namespace lex
