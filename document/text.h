#pragma once
// Small byte-string helpers shared by the routines that search and cut the document text.

#include <string>
#include <string_view>
#include <vector>

namespace lex {

inline constexpr std::string_view kCrLf = "\r\n";

// ASCII lower case; every other byte is kept, so positions match the original.
std::string to_lower(std::string_view s);
// Case-insensitive (ASCII) search of `needle` in `hay` from `from`.
std::size_t ifind(std::string_view hay, std::string_view needle, std::size_t from = 0);
bool contains(std::string_view hay, std::string_view needle);
bool icontains(std::string_view hay, std::string_view needle);
// Cuts `s` at every occurrence of `sep`; n separators give n + 1 pieces.
std::vector<std::string_view> split(std::string_view s, std::string_view sep);
// Replaces every occurrence of `from` by `to`, scanning left to right.
std::string replace_all(std::string_view s, std::string_view from, std::string_view to);
// Blanks (character 32) removed at both ends / at the end.
std::string_view trim(std::string_view s);
std::string_view rtrim(std::string_view s);

} // namespace lex
