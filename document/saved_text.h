#pragma once
// The text a save writes: the document's sections in writing order with the rows merged into
// their elements.

#include <string>
#include <string_view>

namespace lex {

struct Document;

// The text a save writes: the free text before the first section as it stands; the sections
// that are not elements, then the polygons, lines and points, the rows merged into the elements
// of each kind; then the free text after the last section. Every section goes with the free text
// (comments, commented-out elements) that stood before it and ends with one empty line.
std::string build_saved_text(const Document& st);

} // namespace lex
