#pragma once
// Label bytes as UTF-8 text and back, for the files other translation tools read and write.
//
// A byte its code page leaves undefined reads as the character of the same number (0x81 as
// U+0081) and is written back as that byte, so such a label goes out and comes back unchanged.
// Bytes that are no UTF-8 under the UTF-8 code page read as U+FFFD.

#include <cstdint>
#include <cstring>
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

// True when every byte of `s` is printable ASCII (blank to tilde), which every code page and
// UTF-8 read as the same characters: such a label is its own UTF-8 text. (Controls are not:
// the Shift_JIS converter swaps 0x1A, 0x1C and 0x7F.) Eight bytes at a time.
inline bool plain_ascii(std::string_view s) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        // With every byte below 0x80: a byte below 0x20 borrows, 0x7F carries into its top bit.
        if ((w & kHigh) || ((w - 0x20 * kOnes) & ~w & kHigh) || ((w + kOnes) & kHigh)) return false;
    }
    for (; i < s.size(); ++i)
        if (s[i] < 0x20 || s[i] > 0x7E) return false;
    return true;
}

// The label's bytes of `codepage` as UTF-8 text: the bytes themselves when they are plain
// ASCII, otherwise their conversion, made in `buffer`.
inline std::string_view utf8_view(const LabelCodec& codec, std::string_view bytes, int codepage,
                                  std::string& buffer) {
    if (plain_ascii(bytes)) return bytes;
    buffer.clear();
    codec.append_as_utf8(buffer, bytes, codepage);
    return buffer;
}

// The codec of the single-byte tables (document/single_byte.h) and UTF-8; a code page without a
// table holds ASCII only. The window and the command line use the Qt codec, which knows the
// double-byte code pages too (document/codec_qt.h).
const LabelCodec& table_label_codec();

} // namespace lex
