#include "document/text.h"

#include <algorithm>

namespace lex {

namespace {
inline char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}
} // namespace

std::string to_lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = lower(c);
    return out;
}

std::size_t ifind(std::string_view hay, std::string_view needle, std::size_t from) {
    if (needle.empty()) return from <= hay.size() ? from : std::string_view::npos;
    if (from >= hay.size() || hay.size() - from < needle.size()) return std::string_view::npos;
    // Needles are short markers and keys; keep their lower-case copy off the heap.
    char small[64];
    std::string large;
    char* lneedle = small;
    if (needle.size() > sizeof small) {
        large.resize(needle.size());
        lneedle = large.data();
    }
    for (std::size_t k = 0; k < needle.size(); ++k) lneedle[k] = lower(needle[k]);
    const char first = lneedle[0];
    const char firstUpper = (first >= 'a' && first <= 'z') ? char(first - 'a' + 'A') : first;
    const std::size_t last = hay.size() - needle.size();
    std::size_t nextLower = hay.find(first, from);
    std::size_t nextUpper = first == firstUpper ? nextLower : hay.find(firstUpper, from);
    for (;;) {
        // The next candidate for the first character in either case.
        std::size_t i = std::min(nextLower, nextUpper);
        if (i == std::string_view::npos || i > last) return std::string_view::npos;
        std::size_t k = 1;
        while (k < needle.size() && lower(hay[i + k]) == lneedle[k]) ++k;
        if (k == needle.size()) return i;
        if (i == nextLower) nextLower = hay.find(first, i + 1);
        if (i == nextUpper)
            nextUpper = first == firstUpper ? nextLower : hay.find(firstUpper, i + 1);
    }
}

bool contains(std::string_view hay, std::string_view needle) {
    return hay.find(needle) != std::string_view::npos;
}

bool icontains(std::string_view hay, std::string_view needle) {
    return ifind(hay, needle) != std::string_view::npos;
}

std::vector<std::string_view> split(std::string_view s, std::string_view sep) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (;;) {
        std::size_t at = sep.empty() ? std::string_view::npos : s.find(sep, start);
        if (at == std::string_view::npos) {
            out.push_back(s.substr(start));
            return out;
        }
        out.push_back(s.substr(start, at - start));
        start = at + sep.size();
    }
}

std::string replace_all(std::string_view s, std::string_view from, std::string_view to) {
    std::string out;
    if (from.empty()) return std::string(s);
    out.reserve(s.size());
    std::size_t start = 0;
    for (;;) {
        std::size_t at = s.find(from, start);
        if (at == std::string_view::npos) break;
        out.append(s.substr(start, at - start));
        out.append(to);
        start = at + from.size();
    }
    out.append(s.substr(start));
    return out;
}

std::string_view rtrim(std::string_view s) {
    std::size_t e = s.find_last_not_of(' ');
    return e == std::string_view::npos ? std::string_view{} : s.substr(0, e + 1);
}

std::string listed_briefly(const std::vector<std::string>& items, std::size_t most) {
    std::string out;
    const std::size_t shown = std::min(items.size(), most);
    for (std::size_t i = 0; i < shown; ++i) out += (i ? ", " : "") + items[i];
    if (items.size() > shown) out += " and " + std::to_string(items.size() - shown) + " more";
    return out;
}

void append_utf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (cp >> 18)));
        out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

// Text as XML character data or an attribute value. Characters XML 1.0 cannot hold (controls
// other than tab, LF and CR) become U+FFFD.
void append_xml_text(std::string& out, std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        // Runs of bytes that stand as they are go in whole.
        std::size_t run = i;
        while (run < s.size() && static_cast<unsigned char>(s[run]) >= 0x20 && s[run] != '&' &&
               s[run] != '<' && s[run] != '>' && s[run] != '"')
            ++run;
        out.append(s.substr(i, run - i));
        if (run == s.size()) break;
        i = run;
        const char c = s[i];
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\t':
            out += "&#9;";
            break;
        case '\n':
            out += "&#10;";
            break;
        case '\r':
            out += "&#13;";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
                out += "\xEF\xBF\xBD";
            else
                out += c;
        }
    }
}

} // namespace lex
