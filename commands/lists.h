#pragma once
// "Save List" and "Open List": the rows of the three panes kept in a translation list file.

#include "document/outcome.h"

#include <string>
#include <string_view>

namespace lex {

struct ListContents;
struct State;
class Ui;

// Writes the rows in use and the two language captions to a list file chosen with the Save
// dialog (".lst" added to a name without it), or to `path` as given. The file is replaced whole
// or not at all. Returns done with the rows written; cancelled when a question was answered No
// or no file chosen; failed when the file could not be written.
Outcome save_list(State& st, Ui& ui, const std::string& path = {});

// Fills the rows and the language captions from a list file chosen with the Open dialog. With
// no document open the list's path becomes the current file name; with a document open the
// rows are paired with its elements by position, and the user is told where they do not fit.
// Languages the captions name become the languages in use. Captions no language list knows are
// said and asked about first (No: nothing changes; Yes: the languages in use stay); a list
// without captions is applied under the languages in use, which is said. Returns done with the
// rows filled and, as doubtful, the list rows said to differ from the element they go into;
// cancelled when no file was chosen or a question was answered No; failed when the file could
// not be read or is no list.
Outcome open_list(State& st, Ui& ui);

// The row of language list `list` a list's caption names (blanks around it aside), or -1 when
// the caption names none.
int list_language_row(int list, std::string_view caption);

// Open List for the rows of `list`, read from the file at `path` already.
Outcome open_list_rows(State& st, Ui& ui, const ListContents& list, const std::string& path);

} // namespace lex
