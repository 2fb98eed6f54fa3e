#pragma once
// The TYP text file as bytes: whether a text is one this program can work on, and the
// repairs every opened text gets before anything reads it.

#include <string>

namespace lex {

class Ui;

// The origin test: true (after saying "Not a Stylora file") when the text is not a style
// editor's file.
bool refuse_foreign_file(Ui& ui, const std::string& text);

// Why a text that passed the origin test cannot be worked on, as the message that says so, or
// nullptr when it can: no "[_id]" section, no code page, a UTF-8 byte-order mark.
const char* typ_refusal(const std::string& text);

// Reads the obsolete language code 0x2F of the label lines String1 to String47 as 0x00.
void normalize_language_codes(std::string& text);

// Brings every line end to CR LF and every section-closing line written in another case or
// with blanks around it to "[end]".
void normalize_document(std::string& text);

} // namespace lex
