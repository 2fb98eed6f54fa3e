#pragma once
// TEMPORARY: the declaration the export codes against until the string tools land on main; the
// string tools' own header replaces this file at the merge.

namespace lex {

struct State;
class Ui;

enum class SortMode {
    kAsk,   // the menu item: unsaved-changes question, messages, panes rebuilt
    kSilent // for a caller that has asked and will save: no question, no message, rows kept
};

// Puts the label lines of every element in ascending order of their language code; true when
// the document was sorted.
bool sort_languages(State& st, Ui& ui, SortMode mode);

} // namespace lex
