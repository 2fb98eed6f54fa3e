#pragma once
// Label bytes as UTF-8 text and back, for the files other translation tools read and write.
//
// A byte its code page leaves undefined reads as the character of the same number (0x81 as
// U+0081) and is written back as that byte, so such a label goes out and comes back unchanged.
// Bytes that are no UTF-8 under the UTF-8 code page read as U+FFFD.

#include <optional>
#include <string>
#include <string_view>

namespace lex {

class LabelCodec {
public:
    virtual ~LabelCodec() = default;
    // The label's bytes of `codepage` as UTF-8 text.
    virtual std::string to_utf8(std::string_view bytes, int codepage) const = 0;
    // The same, appended to `out`: for whole-document passes that reuse one buffer.
    virtual void append_as_utf8(std::string& out, std::string_view bytes, int codepage) const {
        out += to_utf8(bytes, codepage);
    }
    // UTF-8 text as bytes of `codepage`; nothing when a character has no byte there or the text
    // is no UTF-8.
    virtual std::optional<std::string> from_utf8(std::string_view utf8, int codepage) const = 0;
};

// The codec of the single-byte tables (document/single_byte.h) and UTF-8; a code page without a
// table holds ASCII only. The window and the command line use the Qt codec, which knows the
// double-byte code pages too (document/codec_qt.h).
const LabelCodec& table_label_codec();

} // namespace lex
