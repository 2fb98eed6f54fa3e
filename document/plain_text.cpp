#include "document/plain_text.h"

#include <cstdio>

namespace lex {

namespace {

// The length of the UTF-8 sequence at the start of `s` and its code point; 0 when the bytes
// there are no UTF-8.
std::size_t utf8_at(std::string_view s, char32_t& cp) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = b(0);
    std::size_t n = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3;
        cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4;
        cp = lead & 0x07;
    } else {
        return 0;
    }
    if (s.size() < n) return 0;
    for (std::size_t i = 1; i < n; ++i) {
        if ((b(i) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(i) & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are no UTF-8.
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

bool hidden(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0x200E || cp == 0x200F ||
           (cp >= 0x2028 && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069);
}

} // namespace

std::string plain_text(std::string_view text, const PlainTextRules& rules) {
    std::string out;
    out.reserve(text.size());
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (chars == rules.max_chars) {
            out += "\xE2\x80\xA6"; // …
            break;
        }
        ++chars;
        char32_t cp = 0;
        const std::size_t n = utf8_at(text.substr(i), cp);
        if (n == 0) {
            if (rules.other_bytes)
                out += text[i];
            else
                out += "\xEF\xBF\xBD"; // U+FFFD
            ++i;
            continue;
        }
        const bool lineEnd =
            cp == '\n' || (cp == '\r' && i + 1 < text.size() && text[i + 1] == '\n');
        if (lineEnd && rules.line_breaks) {
            out += '\n';
            i += cp == '\r' ? 2 : 1;
            continue;
        }
        if (cp == '\t' || cp == '\n' || cp == '\r') {
            out += ' ';
        } else if (hidden(cp)) {
            char escape[12];
            std::snprintf(escape, sizeof escape, cp < 0x80 ? "\\x%02x" : "\\u%04x", unsigned(cp));
            out += escape;
        } else {
            out.append(text.substr(i, n));
        }
        i += n;
    }
    return out;
}

} // namespace lex
