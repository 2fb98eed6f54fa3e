#pragma once
// Editing the rows: a source label through the "Edit Label" dialog, written into the document
// at once, and typing into a target box.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "document/kind.h"

namespace lex {

struct State;
class Ui;

// Shows the label dialog with `text` (bytes of the source code page); gives back the text the
// user applied, or nothing when the dialog was cancelled.
using LabelDialog = std::function<std::optional<std::string>(const std::string& text)>;

// Typed text as it may stand in a label line: line breaks and other control characters become
// blanks.
std::string label_line_text(std::string_view typed);

// Whether the dialog may close with `typed`: a text of blanks only is refused with
// "Please enter some text".
bool label_text_accepted(Ui& ui, std::string_view typed);

// Rewrites every label line whose part from "=0x" to the line end is `old_key`, its "|" left
// out as the rows leave them out, to end in `new_key` instead. Comment lines and longer labels
// that start the same stay as they are. Returns the number of lines rewritten.
std::size_t replace_label_lines(std::string& document, std::string_view old_key,
                                std::string_view new_key);

// Double click on the source label of row `row` of `kind`: shows `dialog` with the label and
// writes a changed label into every label line of the document that has the row's key; the
// row's target text gets a "?" in front, the pane's "Check Errors" shows and the document is
// marked changed. A key the document does not hold is reported and changes nothing.
void edit_source_label(State& st, Ui& ui, Kind kind, int row, const LabelDialog& dialog);

// The user typed into a target box: the document counts as changed, so that closing the
// window or choosing another language asks about it first.
void target_typed(State& st, Ui& ui);

} // namespace lex
