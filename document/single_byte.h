#pragma once
// The single-byte Windows code pages as tables: which character a byte stands for, which bytes a
// code page leaves undefined, and UTF-8 text turned into a code page's bytes. Plain C++, so that
// the document's checks and repairs need no converter.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lex {

// True for the code pages with a table here: 874 and 1250 to 1258.
bool has_byte_table(int codepage);

// The character `byte` stands for in `codepage`; 0 where the code page defines none, or where
// there is no table for it and the byte is above 0x7F.
char32_t single_byte_char(int codepage, unsigned char byte);

// True when `codepage` defines every byte of `bytes` (always for a code page without a table).
bool defines_every_byte(std::string_view bytes, int codepage);

// The bytes of `codepage` for UTF-8 text, or nothing when a character has no byte there, the
// text is not valid UTF-8, or there is no table for the code page.
std::optional<std::string> utf8_to_single_byte(std::string_view utf8, int codepage);

// The bytes of `codepage` as UTF-8: a byte the code page leaves undefined, or any byte above
// 0x7F of a code page without a table here, becomes U+FFFD. 65001 keeps valid UTF-8 as it is.
std::string single_byte_to_utf8(std::string_view bytes, int codepage);

// The length of the valid UTF-8 character at s[i] (overlong forms, surrogates and values past
// U+10FFFF are not), or 0.
std::size_t utf8_char_size(std::string_view s, std::size_t i);

} // namespace lex
