#pragma once
// The text a save writes: the document's sections in writing order with the rows merged into
// their elements.

#include <string>
#include <string_view>

namespace lex {

struct State;

// The document text reordered for writing: the sections that are not elements, then the
// polygons, lines and points, each closed by "[end]"; text after the last "[end]" is dropped.
std::string assemble_sections(std::string_view document);
// Fills each pane's pair list from its rows: "source#target" and CR LF per row.
void fill_pair_lists(State& st);
// The text a save writes: the assembly with the rows merged into the elements of each kind.
std::string build_saved_text(State& st);

} // namespace lex
