#pragma once
// Translation lists (.lst): the rows of the three panes as text, and that text read back.
//
//   [lang]<source language caption>,<target language caption>
//   [polygons]
//   source#target          one line per row
//   (empty line)
//   [lines]  ... the same, then [pois] ...
//
// Lines end with CR LF; a list read back may also use LF alone.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

struct Document;

// The list text of the rows in use of every kind, headed by the names of the source and the
// target language.
std::string list_text(const Document& st, const std::array<std::string, 2>& language_names);

struct ListEntry {
    std::string_view source; // the text before the first "#", as written
    std::string_view target; // between the first and the second "#", blanks around it removed
};

// A list text read into its parts; the views point into the text that was read.
struct ListContents {
    std::array<std::vector<ListEntry>, 3> entries; // per kind, in list order
    bool has_section = false;                      // a "[polygons]", "[lines]" or "[pois]" line
    bool has_languages = false;                    // a "[lang]" line with two captions
    std::array<std::string_view, 2> languages;     // source and target caption
};

// Reads a list text. A section line may have blanks around it; its name is case-sensitive.
// An entry is a line with a "#"; entries before the first section line and other lines are
// skipped. The language line is a "[lang]" line that is no entry. A section that comes again starts
// its rows over from the first.
ListContents read_list(std::string_view text);

} // namespace lex
