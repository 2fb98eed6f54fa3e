#pragma once
// Finding the key lines of a document ("Key=value") from their "=", without reading it line
// by line: whole-document scans test the "=" bytes sixteen at a time (for_each_byte) and look
// around only the hits.

#include <cstddef>
#include <string_view>

namespace lex {

// The start of the line of the "=" at `eq` when that "=" is the first of its line and the line
// is no comment; npos otherwise.
inline std::size_t key_line_start(std::string_view text, std::size_t eq) {
    std::size_t p = eq;
    while (p > 0 && text[p - 1] != '\n') {
        if (text[p - 1] == '=') return std::string_view::npos;
        --p;
    }
    std::size_t first = p;
    while (first < eq && (text[first] == ' ' || text[first] == '\t')) ++first;
    return text[first] == ';' ? std::string_view::npos : p;
}

// True when the byte at `at` is the first one on its line that is not a blank or tab.
inline bool first_on_line(std::string_view text, std::size_t at) {
    while (at > 0 && (text[at - 1] == ' ' || text[at - 1] == '\t')) --at;
    return at == 0 || text[at - 1] == '\n';
}

// True when the "=" at `eq` ends the key of a label line, blanks, "String" in any letter case
// and optional digits ("  string12=0x04,..."): what parse_label_line reads as a label's key.
inline bool label_key_before(std::string_view text, std::size_t eq) {
    std::size_t p = eq;
    while (p > 0 && text[p - 1] >= '0' && text[p - 1] <= '9') --p;
    if (p < 6) return false;
    p -= 6;
    for (std::size_t i = 0; i < 6; ++i)
        if ((text[p + i] | 0x20) != "string"[i]) return false;
    return first_on_line(text, p);
}

// The end of the line that holds `at`: its CR LF, its LF, or the end of the text.
inline std::size_t line_end(std::string_view text, std::size_t at) {
    std::size_t lf = text.find('\n', at);
    if (lf == std::string_view::npos) return text.size();
    return lf > at && text[lf - 1] == '\r' ? lf - 1 : lf;
}

} // namespace lex
