#pragma once
// Text from outside the program (a service's reason, bytes of a file) as it may be shown to the
// person: nothing in it can move the cursor, retitle a terminal, reorder the line or turn into a
// link.

#include <cstddef>
#include <string>
#include <string_view>

namespace lex {

struct PlainTextRules {
    std::size_t max_chars = std::string::npos; // longer text is cut and ends in "…"
    bool line_breaks = false; // keep line breaks ("\n"; "\r\n" becomes "\n") instead of blanks
    bool other_bytes = false; // keep bytes that are no UTF-8 (text in a code page) as they are
};

// `text` (UTF-8) without control characters: a tab, and a line break unless kept, become a blank;
// every other control character (C0, DEL, C1) and the characters that reorder or break a line
// (U+200E, U+200F, U+2028 to U+202E, U+2066 to U+2069) are shown as escapes ("\x1b", "\u202e").
// Bytes that are no UTF-8 become U+FFFD unless kept.
std::string plain_text(std::string_view text, const PlainTextRules& rules = {});

} // namespace lex
