#pragma once
// The legend of a style: one HTML page that shows every polygon, line and point element with
// its picture and its label in one language, in document order, grouped by kind. Style authors
// publish it beside their maps, one per language.

#include "document/codepage.h"
#include "document/outcome.h"

#include <string>

namespace lex {

struct Document;
struct State;
class Ui;

// The page for the labels of language `code` (two hex digits). An element without a label in
// that language shows its source-language label, or else its 0x00 label, marked with the
// language it is in. Pictures are the day pictures, embedded as PNG images.
std::string legend_html(const Document& doc, const std::string& code, LabelDecoder decode);

// File, "Save Legend...": the legend in the target language in use, written to `path`, or,
// when it is empty, to a file the Save dialog gives.
Outcome save_legend(State& st, Ui& ui, LabelDecoder decode, const std::string& path = "");

} // namespace lex
