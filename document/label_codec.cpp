#include "document/label_codec.h"

#include "document/codepage.h"
#include "document/single_byte.h"
#include "document/text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace lex {

namespace {

// The length of the run of ASCII bytes at the start of `s`.
std::size_t ascii_run(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80) ++i;
    return i;
}

// UTF-8 with every byte that is no part of a valid character read as U+FFFD, appended to `out`.
void append_utf8_kept(std::string& out, std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        if (const std::size_t run = ascii_run(bytes.substr(i))) {
            out.append(bytes.substr(i, run));
            i += run;
            continue;
        }
        const std::size_t size = utf8_char_size(bytes, i);
        if (size == 0) {
            append_utf8(out, 0xFFFD);
            ++i;
        } else {
            out.append(bytes.substr(i, size));
            i += size;
        }
    }
}

char32_t next_char(std::string_view s, std::size_t& i) {
    const std::size_t size = utf8_char_size(s, i);
    if (size == 0) return char32_t(-1);
    const auto b = [&](std::size_t k) { return char32_t(static_cast<unsigned char>(s[i + k])); };
    char32_t c = 0;
    switch (size) {
    case 1:
        c = b(0);
        break;
    case 2:
        c = ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
        break;
    case 3:
        c = ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
        break;
    default:
        c = ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
    }
    i += size;
    return c;
}

// The UTF-8 of each byte above 0x7F of one code page (a byte it leaves undefined, or any such
// byte without a table, as the character of the same number): a label's bytes become UTF-8
// without a look-up per byte.
struct HighHalfUtf8 {
    std::array<std::array<char, 4>, 128> bytes{};
    std::array<std::uint8_t, 128> size{};
};

const HighHalfUtf8& high_half_utf8(int codepage) {
    // The code pages with a table (874, 1250 to 1258), then the one for every other.
    static const std::array<HighHalfUtf8, 11> tables = [] {
        std::array<HighHalfUtf8, 11> made;
        for (std::size_t t = 0; t < made.size(); ++t) {
            const int cp = t == 0 ? 874 : t < 10 ? 1249 + int(t) : 0;
            for (int b = 0x80; b < 0x100; ++b) {
                const char32_t c = single_byte_char(cp, static_cast<unsigned char>(b));
                std::string utf8;
                append_utf8(utf8, c != 0 ? c : char32_t(b));
                std::copy(utf8.begin(), utf8.end(), made[t].bytes[std::size_t(b - 0x80)].begin());
                made[t].size[std::size_t(b - 0x80)] = std::uint8_t(utf8.size());
            }
        }
        return made;
    }();
    if (codepage == 874) return tables[0];
    if (codepage >= 1250 && codepage <= 1258) return tables[std::size_t(codepage - 1249)];
    return tables[10];
}

class TableCodec : public LabelCodec {
public:
    std::string to_utf8(std::string_view bytes, int codepage) const override {
        std::string out;
        out.reserve(bytes.size() + bytes.size() / 4);
        append_as_utf8(out, bytes, codepage);
        return out;
    }
    void append_as_utf8(std::string& out, std::string_view bytes, int codepage) const override {
        if (codepage == kUtf8CodePage) return append_utf8_kept(out, bytes);
        const HighHalfUtf8& high = high_half_utf8(codepage);
        // A character takes three bytes at most; each is copied as four.
        const std::size_t at = out.size();
        out.resize(at + 3 * bytes.size() + 1);
        char* p = out.data() + at;
        for (const char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            if (b < 0x80) {
                *p++ = c;
                continue;
            }
            std::memcpy(p, high.bytes[b - 0x80].data(), 4);
            p += high.size[b - 0x80];
        }
        out.resize(std::size_t(p - out.data()));
    }
    std::optional<std::string> from_utf8(std::string_view utf8, int codepage) const override {
        std::string out;
        out.reserve(utf8.size());
        for (std::size_t i = 0; i < utf8.size();) {
            const std::size_t at = i;
            const char32_t c = next_char(utf8, i);
            if (c == char32_t(-1)) return std::nullopt;
            if (codepage == kUtf8CodePage) {
                out.append(utf8.substr(at, i - at));
                continue;
            }
            if (c < 0x80) {
                out.push_back(char(c));
                continue;
            }
            if (auto byte = utf8_to_single_byte(utf8.substr(at, i - at), codepage)) {
                out += *byte;
                continue;
            }
            // A byte the code page leaves undefined comes back as itself.
            if (c <= 0xFF && single_byte_char(codepage, static_cast<unsigned char>(c)) == 0) {
                out.push_back(char(c));
                continue;
            }
            return std::nullopt;
        }
        return out;
    }
};

} // namespace

const LabelCodec& table_label_codec() {
    static const TableCodec codec;
    return codec;
}

} // namespace lex
