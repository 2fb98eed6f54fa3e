#pragma once
// What the translation checks read out of a label's characters: its numbers, its brackets and
// the style's ~[0x..] codes, its blanks, the offline engine's marks of unknown words.

#include <array>
#include <cstddef>
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

} // namespace lex::label_parts
