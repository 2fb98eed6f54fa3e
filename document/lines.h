#pragma once
// The document read by lines: what counts as a comment, a marker line and a label line.
// A line here is the text between two line ends, without its CR or LF.

#include "document/text.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace lex {

// Calls f(line, offset) for every line of `text`; `offset` is where the line starts. A line
// ends at LF (a CR before it is not part of the line); text after the last LF is a last line.
// Line ends are found sixteen bytes at a time: lines are short, a call per line costs more.
template <class F> void for_each_line(std::string_view text, F&& f) {
    std::size_t start = 0;
    for_each_byte(text, '\n', [&](std::size_t lf) {
        const std::size_t stop = (lf > start && text[lf - 1] == '\r') ? lf - 1 : lf;
        f(text.substr(start, stop - start), start);
        start = lf + 1;
        return true;
    });
    if (start < text.size()) {
        const std::size_t end = text.size();
        const std::size_t stop = (end > start && text[end - 1] == '\r') ? end - 1 : end;
        f(text.substr(start, stop - start), start);
    }
}

// The line that starts at `at`, without its line end.
std::string_view line_at(std::string_view text, std::size_t at);

// True when the first character that is not a blank or tab is ';'.
bool is_comment_line(std::string_view line);

// True when the line, blanks and tabs around it aside, is `marker` (ASCII case ignored),
// such as "[end]" or "[_point]". A line that merely contains the marker is not one.
bool is_marker_line(std::string_view line, std::string_view marker);

// True when the line, blanks and tabs around it aside, is a bracketed name that opens a
// section ("[_id]", "[_polygon]", "[_drawOrder]"); "[end]" and comment lines are not.
bool is_section_header(std::string_view line);

// A label line "StringN=0xLL,text" (blanks before it allowed, "String" in any letter case,
// N optional digits). Positions are offsets into the line.
struct LabelLine {
    std::size_t code_at = 0;   // first hexadecimal digit after "=0x"
    std::size_t code_size = 0; // number of hexadecimal digits
    std::size_t text_at = 0;   // first byte after the ","
    std::string_view code;     // the digits as written ("04", "0a")
    std::string_view text;     // the label text up to the end of the line
    std::string_view number;   // the digits N after "String", "" when there are none
};
// The parts of a label line, or nothing when `line` is not one (a comment, another key,
// no "=0x", no hexadecimal digit, no ",").
std::optional<LabelLine> parse_label_line(std::string_view line);

// The language code of a label line as a number (0x04 -> 4), or -1 when it is not one.
int label_language(std::string_view line);

// True when the label line's code is `code`, ASCII case ignored ("0a" is "0A").
bool label_code_is(const LabelLine& label, std::string_view code);

} // namespace lex
