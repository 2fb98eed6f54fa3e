#pragma once
// Opening a TYP text file as the current document.

#include <string>

namespace lex {

struct State;
class Ui;

// Reads a file whole as bytes, trailing blanks at the very end removed. A missing file is
// reported as "<path> doesn't exist" and gives the empty text.
std::string loadtext(State& st, Ui& ui, const std::string& path);

// The origin test: true (after saying "Not a Stylora file") when the text is not a style
// editor's file.
bool tvtp(Ui& ui, const std::string& text);

// Brings every line end to CR LF and every section-closing line written in another case or
// with blanks around it to "[end]".
void normalize_document(std::string& text);

// Opens a TYP text file. An empty path asks for one with the Open dialog and writes the
// chosen path back. A refused file leaves the previous document as it was.
// Returns true when the file was accepted.
bool opentxt(State& st, Ui& ui, std::string& path);

} // namespace lex
