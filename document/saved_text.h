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

// The text a save that keeps the layout writes: the file as it was read, byte for byte, but for
// the label lines of the rows that changed (merge_keeping_layout) and the lines the document's
// own edits changed, added or removed. Lines the open repaired (line ends, "[End]", code 0x2F)
// keep the file's bytes; a changed or added line takes the line end of the line it replaces, or
// the file's first line end.
std::string build_layout_kept_text(const Document& st);

// `text` with each of its lines that stand unchanged in `original` (read as the open reads it)
// written as `original` has it, line end included. A line of `text` pairs with the next line of
// `original` that reads the same after the open's repairs, looking a few dozen lines ahead for
// lines added or removed.
std::string restore_original_lines(std::string_view text, std::string_view original);

} // namespace lex
