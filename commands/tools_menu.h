#pragma once
// The Tools menu: the spelling check, the dictionary, marking light-blue rows for checking.

namespace lex {

struct State;
class Ui;

// The Tools menu's "Spelling": the check, then the report file opened in the viewer.
void check_spelling(State& st, Ui& ui);

// Puts "?" before the target of every light-blue row of `kind` and says how many there were.
void mark_light_blue(State& st, Ui& ui, int kind);

// Tools menu item `item`: 0 Spelling, 2 Edit Dictionary, 3 Reload Dictionary,
// 5..7 mark light-blue rows of polygons, lines, points, 9 Add Custom Language.
void tools_menu_item(State& st, Ui& ui, int item);

} // namespace lex
