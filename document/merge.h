#pragma once
// Writing the target texts of the rows back into the elements of one kind.

#include <string>
#include <string_view>

namespace lex {

struct State;

// Appends to `out` every element of `kind` that stands in `text`, the document as the
// save assembles it (other sections, then polygons, lines, points, each closed by "[end]").
// Row k of the kind's pair list (pane.pair_list, "source#target" lines) goes into the k-th
// element that has a source label: its target text replaces the text of the element's
// target-language String line or is added as a new String line; the String lines are moved
// below the "Type" line and empty lines are dropped. Kind 0 first appends the sections that are
// not elements. Every piece written ends with one extra CR LF, as a line appended to a file.
void merge_kind(State& st, int kind, std::string_view text, std::string& out);

} // namespace lex
