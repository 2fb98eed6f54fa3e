#include "translate/webpage.h"

#include "document/text.h"

#include <cstdint>

namespace lex {

std::string blank_symbols(std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '_':
        case '\\':
        case '/':
        case '(':
        case ')':
        case '{':
        case '}':
        case '[':
        case ']':
            out.push_back(' ');
            break;
        case '*':
            break;
        default:
            out.push_back(c);
        }
    }
    text = out;
    return out;
}

std::string prepare_request(std::string text) {
    if (!text.empty() && text.back() == ',') text.pop_back();
    return blank_symbols(text);
}

std::string percent_encode(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
                                c == '~';
        if (unreserved) {
            out.push_back(ch);
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        }
    }
    return out;
}

std::string request_url(std::string_view base, std::string_view pair, std::string_view text) {
    std::string url(base);
    url += base.find('?') == std::string_view::npos ? "?" : "&";
    url += "langpair=";
    url += percent_encode(pair);
    url += "&text=";
    url += percent_encode(text);
    return url;
}

std::string extract_translation(std::string_view page) {
    static constexpr std::string_view kMarker = "TRANSLATED_TEXT=";
    const std::size_t at = ifind(page, kMarker);
    if (at == std::string_view::npos) return {};
    const std::string_view tail = page.substr(at + kMarker.size());
    const std::size_t var = tail.find(";var");
    if (var == std::string_view::npos || !icontains(tail, "</")) return {};
    std::string_view result = tail.substr(0, var);
    if (!result.empty() && result.front() == '\'') result.remove_prefix(1);
    if (!result.empty() && result.back() == '\'') result.remove_suffix(1);
    return std::string(result);
}

namespace {

// The leading decimal digits of `s` as a number; anything else ends it. Too large a number
// saturates above the last code point so that it is refused like any other non-character.
std::uint32_t leading_number(std::string_view s) {
    std::uint32_t n = 0;
    for (char c : s) {
        if (c < '0' || c > '9') break;
        n = n * 10 + std::uint32_t(c - '0');
        if (n > 0x10FFFF) return 0x110000;
    }
    return n;
}

} // namespace

std::string unescape_answer(std::string text) {
    if (contains(text, "\\x") || contains(text, "#")) {
        text = replace_all(text, "\\x3d", "=");
        text = replace_all(text, "\\x26lt;", " < ");
        text = replace_all(text, "\\x26gt;", " > ");
        text = replace_all(text, "\\x26quot;", "'");
        text = replace_all(text, "\\x26amp;", "&");
        text = replace_all(text, "\\x26#39;", "'");
    }
    if (!contains(text, "&#")) return text;

    std::string out;
    out.reserve(text.size());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        if (text[i] == '&' && i + 1 < n && text[i + 1] == '#') {
            const std::size_t semi = text.find(';', i);
            if (semi != std::string::npos) {
                std::string_view digits(text.data() + i + 2, semi - (i + 2));
                append_utf8(out, leading_number(digits));
                i = semi + 1;
            } else {
                ++i; // the "&" is dropped, the "#" follows as an ordinary character
            }
            continue;
        }
        out.push_back(text[i]);
        ++i;
    }
    return out;
}

std::string answer_from_page(std::string_view page) {
    return unescape_answer(extract_translation(page));
}

} // namespace lex
