#pragma once
// A label's bytes read as the characters of its code page, for checks that look at characters.

#include <string>
#include <string_view>

namespace lex {

// A byte a single-byte code page leaves undefined reads as kUndefinedByte + the byte; a
// double-byte character of a code page without a table reads as kUnknownChar.
inline constexpr char32_t kUndefinedByte = 0x110000;
inline constexpr char32_t kUnknownChar = 0xFFFD;

std::u32string cell_chars(std::string_view bytes, int codepage);
void cell_chars(std::string_view bytes, int codepage, std::u32string& out);
// The characters as UTF-8; undefined bytes and unknown characters as U+FFFD.
std::string utf8_text(std::u32string_view chars);

} // namespace lex
