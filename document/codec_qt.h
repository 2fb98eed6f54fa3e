#pragma once
// Turning a cell's bytes into text for the screen and typed or downloaded text back into bytes,
// with the code page of the cell's language.

#include <QString>
#include <string>
#include <string_view>

namespace lex {

// The name Qt's converter knows the code page by ("windows-1251", "Shift_JIS", ...).
const char* codepage_name(int codepage);

// Bytes of `codepage` to text. An unknown code page reads as 1252; 65001 is UTF-8.
QString decode(const std::string& bytes, int codepage);

// Bytes of `codepage` as UTF-8 text, as decode() reads them (a LabelDecoder).
std::string utf8_text(std::string_view bytes, int codepage);

// Text to bytes of `codepage`; a character the code page lacks becomes "?" (UTF-8 lacks none).
std::string encode(const QString& text, int codepage);

} // namespace lex

namespace lex {

class LabelCodec;

// The label codec (document/label_codec.h) for every code page a language has: the single-byte
// tables where there are some, Qt's converters for the double-byte code pages.
const LabelCodec& qt_label_codec();

} // namespace lex
