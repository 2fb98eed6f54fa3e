#pragma once
// Which Windows code page holds the labels of a TYP language, and which font character set
// belongs to a code page. The document itself stays bytes; these tables tell the window how to
// show and store a cell.

#include <cstdint>
#include <string>
#include <string_view>

namespace lex {

// The two hex digits of a language code read as a byte ("1c" and "1C" give 28).
// Text that is not hexadecimal gives 0; only the last two digits of a longer text count.
std::uint8_t lang_byte(const std::string& code);

int codepage_for_language(std::uint8_t code);
std::uint8_t charset_for_codepage(int codepage);

// Convenience: the code page of a two-digit language code.
inline int codepage_for_code(const std::string& code) {
    return codepage_for_language(lang_byte(code));
}

// The code page number of UTF-8, as a CodePage line declares it.
inline constexpr int kUtf8CodePage = 65001;

// Turns a label's bytes of `codepage` into UTF-8 text: the window's converters
// (document/codec_qt.h: utf8_text), or single_byte_to_utf8 where no converter is at hand.
using LabelDecoder = std::string (*)(std::string_view bytes, int codepage);

// Every code page a language code can map to.
inline constexpr int kCodePages[] = {874,  932,  936,  949,  950,  1250, 1251,
                                     1252, 1253, 1254, 1255, 1256, 1257};

} // namespace lex
