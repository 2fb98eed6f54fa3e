#pragma once
// Writing the target texts of the rows back into the elements of one kind.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/kind.h"

namespace lex {

struct Document;
struct Row;
struct Section;
struct Outline;

// Appends to `out` every element of `kind` in `text` (the document text, `outline` its sections),
// in document order, each after the free text that stood before it. Row k of `rows` goes into the
// k-th element that has a source label: when the row changed since it was built
// (Row::changed_since_built), its target text, without line breaks, replaces the text of the
// label line the row was built from (the element's first label line of the target language; any
// other line of that language stays as it is) or is added as a new label line. An element with
// label lines gets them moved below its "Type" line and its empty lines dropped; every other line,
// comments included, keeps its text and order. Every element ends with one empty line.
void merge_kind(const Document& st, Kind kind, std::span<const Row> rows, std::string_view text,
                const Outline& outline, std::string& out);
// The same for several kinds of one text: `loose_ends` holds what loose_line_ends(text) gives.
void merge_kind(const Document& st, Kind kind, std::span<const Row> rows, std::string_view text,
                const Outline& outline, std::span<const std::size_t> loose_ends, std::string& out);
// Where the lines end that merge_kind may not copy as they stand: the LF of every empty line
// and of every line without a CR before it, in order.
std::vector<std::size_t> loose_line_ends(std::string_view text);
// The same, reading the outline of `text` first.
void merge_kind(const Document& st, Kind kind, std::span<const Row> rows, std::string_view text,
                std::string& out);

// Appends to `out` the document text `text` (`outline` its sections) as it stands, but for the
// rows that changed since they were built (Row::changed_since_built): each one's target text,
// without line breaks, replaces the text of its own label line (the one merge_kind writes) or,
// when the element has none, goes into a new label line right after the element's last label
// line. Sections stay where they stand; every other byte, line ends and empty lines included,
// is copied as it is. Rows pair with elements as merge_kind pairs them.
void merge_keeping_layout(const Document& st, std::string_view text, const Outline& outline,
                          std::string& out);

// Appends whole lines: `s`, its last line ended by CR LF when it has no line end (a CR that ends
// the text gets its LF: it stays a line end and does not join the line).
void append_lines(std::string& out, std::string_view s);
// Appends the free text that stood before section `s`, its leading empty lines left out (the
// section written before it ends with one); nothing for the text before the first section.
void append_lead(std::string& out, std::string_view text, const Section& s);
// Appends section `s` as it stands, closed by an "[end]" line when it has none (its empty lines
// at the end dropped then), and one empty line.
void append_section(std::string& out, std::string_view text, const Section& s);

} // namespace lex
