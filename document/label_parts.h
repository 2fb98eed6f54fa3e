#pragma once
// What the translation checks read out of a label's characters: its numbers, its brackets and
// the style's ~[0x..] codes, its blanks, the offline engine's marks of unknown words.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lex::label_parts {

// A blank: a space or a no-break space.
bool is_blank(char32_t c);
bool is_digit(char32_t c);
// `s` without blanks at either end.
std::u32string_view trimmed(std::u32string_view s);

// A style's code "~[0x1f]" (a shield, a separator) stands at `i`: its length, or 0.
std::size_t code_at(std::u32string_view s, std::size_t i);

// The runs of digits, sorted: a translation may move a number but not change it. The digits of a
// style's code are no number.
std::vector<std::string> numbers(std::u32string_view s);
// Whether the two texts have the same numbers, without a copy: most translations keep them in
// their order, and only texts that do not are sorted.
bool same_numbers(std::u32string_view source, std::u32string_view target);

// The brackets, quotes and codes of a label.
struct Marks {
    std::vector<std::u32string> codes; // sorted
    std::array<int, 7> count{};        // of kPaired
    std::u32string lead, tail;         // the style's mark the text starts and ends with, if any
};
constexpr std::u32string_view kPaired = U"()[]{}\"";

Marks marks_of(std::u32string_view text);

// Two blanks in a row.
bool has_double_blank(std::u32string_view s);

// The words the offline engine marked as unknown: a mark ("*", "@", "#") at the start of a word,
// right before it.
std::vector<std::u32string> marked_words(std::u32string_view s, char32_t mark);

// What one pass over a label tells the checks: over its characters, or over its bytes where
// every byte is ASCII, for then the bytes are its characters in any code page.
template <class View> struct Scan {
    View trimmed;              // without blanks at either end
    View digit_span;           // from the first digit to the last
    bool ascii = true;         // every character below 0x80
    bool digits = false;       // "0" to "9"
    bool marks = false;        // one of ()[]{}"~
    bool codes = false;        // "~", which may start a style's code
    bool engine_marks = false; // one of *@#
    bool controls = false;     // below 0x20, 0x7F, or 0x80 to 0x9F
    bool beyond = false;       // a character beyond Unicode: a byte its code page leaves undefined
    bool lead_blank = false, tail_blank = false; // a blank at the start, at the end
    bool double_blank = false;                   // two blanks in a row within `trimmed`
};
using ByteScan = Scan<std::string_view>;
using CharScan = Scan<std::u32string_view>;

// The scan of a label's bytes. Where a byte is beyond ASCII, `ascii` is false and nothing but
// `trimmed` (of spaces) is told: the label's characters are to be scanned.
ByteScan scan_bytes(std::string_view bytes);
CharScan scan_chars(std::u32string_view chars);
// The scan of an ASCII label's characters `chars` from the scan of its `bytes`.
CharScan widened(const ByteScan& scan, std::string_view bytes, std::u32string_view chars);

// A hash of a label's bytes but spaces and tabs, each with bit 0x20 set: blanks, and the letter
// case of ASCII, make no difference to it.
std::uint32_t blankless_hash(std::string_view bytes);
// scan_bytes, and in the same pass blankless_hash of the bytes where they are all ASCII.
ByteScan scan_bytes(std::string_view bytes, std::uint32_t& hash);

// Spaces are the only blanks among bytes of ASCII.
std::string_view trimmed(std::string_view s);
bool has_double_blank(std::string_view s);

// same_numbers for labels whose bytes are their characters (ASCII).
bool same_numbers(std::string_view source, std::string_view target);

} // namespace lex::label_parts
