#pragma once
// Opening a TYP text file as the current document.

#include "document/outcome.h"
#include "document/typ_file.h"

#include <string>

namespace lex {

struct State;
class Ui;

// The answers to the question that follows Yes to UTF-8 labels under a single-byte CodePage line.
enum LabelRepairAnswer : int {
    kConvertLabels = 1,    // every label fits in the declared code page: convert them
    kConvertFittingLabels, // convert those that fit, leave the others as they are
    kDeclareUtf8,          // change the CodePage line to 65001
    kKeepLabels,           // keep the file as it is
};

// Reads a file whole as bytes, trailing blanks at the very end removed. A missing file is
// reported as "<path> doesn't exist", one that cannot be read as "Could not read <path>: " and
// the system's reason (and `failed` set); both give the empty text.
std::string read_text_file(State& st, Ui& ui, const std::string& path, bool* failed = nullptr);
// The same, every byte kept: a document's last line keeps its blanks.
std::string read_whole_file(State& st, Ui& ui, const std::string& path, bool* failed = nullptr);

// Opens a TYP text file. An empty path asks for one with the Open dialog and writes the
// chosen path back. A refused file leaves the previous document as it was.
// The labels of a file whose CodePage line says 65001 are UTF-8. When the line names a
// single-byte code page but the labels read as UTF-8, the user is asked whether to show and write
// them as UTF-8; `reopening_saved` (the reload after a save) keeps the answer given before.
// After Yes, the file is offered a repair (Ui::choose with the answers below): the labels
// converted to the declared code page, or the CodePage line changed to 65001; either marks the
// document changed.
// Done with the count of rows when the file was accepted; cancelled when no file was chosen,
// refused or failed (the reason said already) when it was not.
Outcome open_document(State& st, Ui& ui, std::string& path, bool reopening_saved = false);
// Says that the document has no label of the source language, and which languages it has.
void say_no_source_labels(State& st, Ui& ui);

} // namespace lex
