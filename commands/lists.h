#pragma once
// "Save List" and "Open List": the rows of the three panes kept in a translation list file.

#include <string>

namespace lex {

struct ListContents;
struct State;
class Ui;

// Writes the rows in use and the two language captions to a list file chosen with the Save
// dialog. The file is replaced whole or not at all. Returns true when the list was written.
bool save_list(State& st, Ui& ui);

// Fills the rows and the language captions from a list file chosen with the Open dialog. With
// no document open the list's path becomes the current file name; with a document open the
// rows are paired with its elements by position, and the user is told where they do not fit.
// Languages the captions name become the languages in use. Returns true when the list loaded.
bool open_list(State& st, Ui& ui);

// Open List for the rows of `list`, read from the file at `path` already.
bool open_list_rows(State& st, Ui& ui, const ListContents& list, const std::string& path);

} // namespace lex
