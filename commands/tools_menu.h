#pragma once
// The Tools menu: the spelling checks, the own word lists, marking light-blue rows for checking.

namespace lex {

struct State;
class Ui;
class SpellingDictionaries;

// Tools menu items beyond the original ten, placed beside "Spelling" and "Edit Dictionary".
constexpr int kSpellTargetItem = 10;    // "Spelling (target language)"
constexpr int kEditTargetListItem = 11; // "Edit Dictionary (target language)"

// "Spelling" (the source labels) or "Spelling (target language)" (the target texts): the
// check with the language's dictionary, then the report file opened in the viewer. Without
// `dictionaries` no language has a dictionary.
void check_spelling(State& st, Ui& ui, SpellingDictionaries* dictionaries, bool target);

// Puts "?" before the target of every light-blue row of `kind` and says how many there were.
void mark_light_blue(State& st, Ui& ui, int kind);

// Tools menu item `item`: 0 Spelling, 2 Edit Dictionary, 3 Reload Dictionary,
// 5..7 mark light-blue rows of polygons, lines, points, 9 Add Custom Language, and the two
// items for the target language above.
void tools_menu_item(State& st, Ui& ui, int item, SpellingDictionaries* dictionaries = nullptr);

} // namespace lex
