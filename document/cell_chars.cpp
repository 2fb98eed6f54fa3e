#include "document/cell_chars.h"

#include "document/codepage.h"
#include "document/single_byte.h"
#include "document/text.h"

#include <algorithm>
#include <array>

namespace lex {

namespace {

bool is_double_byte(int codepage) {
    return codepage == 932 || codepage == 936 || codepage == 949 || codepage == 950;
}

// The character of every byte of a single-byte code page with a table, kUndefinedByte + the
// byte where the code page leaves it undefined.
using ByteChars = std::array<char32_t, 256>;

const ByteChars* byte_chars(int codepage) {
    static constexpr std::array<int, 10> kTabled{874,  1250, 1251, 1252, 1253,
                                                 1254, 1255, 1256, 1257, 1258};
    static const std::array<ByteChars, kTabled.size()> tables = [] {
        std::array<ByteChars, kTabled.size()> out{};
        for (std::size_t t = 0; t < kTabled.size(); ++t)
            for (unsigned b = 0; b < 256; ++b) {
                const char32_t c = single_byte_char(kTabled[t], static_cast<unsigned char>(b));
                out[t][b] = c || b == 0 ? c : kUndefinedByte + b;
            }
        return out;
    }();
    if (!has_byte_table(codepage)) return nullptr;
    const auto at = std::find(kTabled.begin(), kTabled.end(), codepage);
    return at == kTabled.end() ? nullptr : &tables[std::size_t(at - kTabled.begin())];
}

} // namespace

std::u32string cell_chars(std::string_view bytes, int codepage) {
    std::u32string out;
    cell_chars(bytes, codepage, out);
    return out;
}

void cell_chars(std::string_view bytes, int codepage, std::u32string& out) {
    if (const ByteChars* table = byte_chars(codepage)) {
        out.resize(bytes.size());
        for (std::size_t i = 0; i < bytes.size(); ++i)
            out[i] = (*table)[static_cast<unsigned char>(bytes[i])];
        return;
    }
    out.clear();
    out.reserve(bytes.size());
    const bool table = has_byte_table(codepage);
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += char32_t(b);
            ++i;
        } else if (codepage == kUtf8CodePage) {
            const std::size_t n = utf8_char_size(bytes, i);
            if (n == 0) {
                out += kUnknownChar;
                ++i;
                continue;
            }
            char32_t c = n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
            for (std::size_t k = 1; k < n; ++k)
                c = (c << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
            out += c;
            i += n;
        } else if (table) {
            const char32_t c = single_byte_char(codepage, b);
            out += c ? c : kUndefinedByte + b;
            ++i;
        } else {
            // Without a table a character is only counted; the second byte of a double-byte
            // character is never taken for a character of its own.
            out += kUnknownChar;
            const bool half_width = codepage == 932 && b >= 0xA1 && b <= 0xDF;
            i += is_double_byte(codepage) && !half_width && i + 1 < bytes.size() ? 2 : 1;
        }
    }
}

std::string utf8_text(std::u32string_view chars) {
    std::string out;
    out.reserve(chars.size());
    for (char32_t c : chars) {
        if (c >= kUndefinedByte || (c >= 0xD800 && c <= 0xDFFF)) c = kUnknownChar;
        append_utf8(out, c);
    }
    return out;
}

} // namespace lex
