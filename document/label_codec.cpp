#include "document/label_codec.h"

#include "document/codepage.h"
#include "document/single_byte.h"
#include "document/text.h"

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
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            // Labels are mostly ASCII, which every code page and UTF-8 write alike.
            if (const std::size_t run = ascii_run(bytes.substr(i))) {
                out.append(bytes.substr(i, run));
                i += run;
                if (i == bytes.size()) break;
            }
            const auto b = static_cast<unsigned char>(bytes[i]);
            const char32_t c = single_byte_char(codepage, b);
            append_utf8(out, c != 0 || b == 0 ? c : char32_t(b));
        }
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
