#pragma once
// The Edit Strings menu: whole-document repairs of the label lines ("StringN=0xLL,text").
// Each operation finds what it would change, asks, rewrites the label lines (nothing else),
// rebuilds the panes and writes a report that opens in the text viewer.

#include "document/outcome.h"

#include <array>
#include <string>

namespace lex {

struct State;
class Ui;

enum class SortMode {
    kAsk,   // the menu item: unsaved-changes question, messages, panes rebuilt
    kSilent // for a caller that has asked and will save: no question, no message, rows kept
};

// Puts the label lines of every element in ascending order of their language code, numbered
// String1, String2, ... in the places where label lines stood.
// Done with the count of elements sorted (0: nothing needed sorting); cancelled when the person
// chose to save first.
Outcome sort_languages(State& st, Ui& ui, SortMode mode);

// "Replace 0x00 with 0xXX": every 0x00 label becomes a label of the source language, except in
// elements that already have one (those are listed in the report).
// Each operation below returns done with the label lines it changed (0: it found none),
// cancelled when a question was answered No, refused when it cannot start.
Outcome replace_zero_labels(State& st, Ui& ui);

// "Replace Source with Target": every source label becomes a target label, except in elements
// that already have one; the old target language then becomes the source language.
Outcome replace_source_with_target(State& st, Ui& ui);

// "Delete Empty Strings": removes every label line whose text is empty or blank.
Outcome delete_empty_labels(State& st, Ui& ui);

// The captions of the first two Edit Strings items, set each time the menu opens.
std::array<std::string, 2> edit_strings_captions(const State& st);

} // namespace lex
