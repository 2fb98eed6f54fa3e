#pragma once
// Emptying the target texts of one pane (each pane's "Clr" and the Clear menu).

#include "document/kind.h"

namespace lex {

struct State;
class Ui;

// Asks "Clear current Polygons translations?" (Lines, Pois) and on Yes empties every target
// text of pane `kind` and turns its rows white. The document is untouched until a save.
void clear_translations(State& st, Ui& ui, Kind kind);

} // namespace lex
