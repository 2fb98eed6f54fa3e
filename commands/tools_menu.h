#pragma once
// The Tools menu: the spelling checks, the own word lists, marking light-blue rows for checking.

#include "document/kind.h"

namespace lex {

struct State;
class Ui;
class SpellingDictionaries;

// "Spelling" (the source labels) or "Spelling (target language)" (the target texts): the
// check with the language's dictionary, then the report file opened in the viewer. Without
// `dictionaries` no language has a dictionary.
void check_spelling(State& st, Ui& ui, SpellingDictionaries* dictionaries, bool target);

// Puts "?" before the target of every row of `kind` whose target is its source again (making
// it suspect) and says how many there were.
void mark_same_as_source_suspect(State& st, Ui& ui, Kind kind);

// The menu items "Spelling" and "Spelling (target language)": check_spelling while it owns the
// document as a translation run does; nothing while another operation owns it.
void spell_labels(State& st, Ui& ui, SpellingDictionaries* dictionaries, bool target);

// "Edit Dictionary" (the source language's own word list) or "Edit Dictionary (target
// language)": the user's own copy, made from the shipped list first (or empty when none is
// shipped), opened in the viewer.
void edit_own_words(State& st, Ui& ui, bool target);

// "Reload Dictionary": the own word lists are read again.
void reload_dictionary(State& st, Ui& ui, SpellingDictionaries* dictionaries);

} // namespace lex
