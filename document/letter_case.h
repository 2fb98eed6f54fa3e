#pragma once
// Lower case and search in a label's own code page, for searches that ignore the letter case.

#include <string>
#include <string_view>

namespace lex {

// `text` (bytes of `codepage`) in lower case, into `out`: ASCII letters and the capitals of a
// single-byte code page ("\xD6" to "\xF6" in 1252, "\xC2" to "\xE2" in 1251). In the
// double-byte code pages (932, 936, 949, 950) only ASCII letters that stand alone change; the
// two bytes of a double-byte character stay as they are. Every byte keeps its position.
void lower_case(std::string_view text, int codepage, std::string& out);
std::string lower_case(std::string_view text, int codepage);

// Where `needle` first stands in `text` as whole characters of `codepage`: in a double-byte
// code page a match that starts on the second byte of a character does not count.
std::size_t find_characters(std::string_view text, std::string_view needle, int codepage);

} // namespace lex
