#include "translate/memory_text.h"

#include "translate/memory.h"

#include "document/text.h"

#include <algorithm>

namespace lex {

namespace {

// A UTF-8 character at s[i] and its length; a byte that starts no valid character stands for
// itself (as a value above U+10FFFF, so that it never equals a letter).
char32_t next_char(std::string_view s, std::size_t& i) {
    const auto b = static_cast<unsigned char>(s[i]);
    auto cont = [&](std::size_t k) {
        return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    };
    auto at = [&](std::size_t k) { return char32_t(static_cast<unsigned char>(s[i + k]) & 0x3F); };
    if (b < 0x80) {
        ++i;
        return b;
    }
    if (b >= 0xC2 && b < 0xE0 && cont(1)) {
        const char32_t c = (char32_t(b & 0x1F) << 6) | at(1);
        i += 2;
        return c;
    }
    if (b >= 0xE0 && b < 0xF0 && cont(1) && cont(2)) {
        const char32_t c = (char32_t(b & 0x0F) << 12) | (at(1) << 6) | at(2);
        i += 3;
        return c;
    }
    if (b >= 0xF0 && b < 0xF5 && cont(1) && cont(2) && cont(3)) {
        const char32_t c = (char32_t(b & 0x07) << 18) | (at(1) << 12) | (at(2) << 6) | at(3);
        i += 4;
        return c;
    }
    ++i;
    return 0x110000u + b;
}

// A byte that started no valid character (see next_char) goes back as that byte.
void put_char(std::string& out, char32_t c) {
    if (c >= 0x110000u)
        out += char(c - 0x110000u);
    else
        append_utf8(out, c);
}

// Lower case of the Latin, Greek and Cyrillic capitals the languages of the tables use.
char32_t lower(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c < 0xC0) return c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F))
        return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs capitals and small letters, even and odd, with a shift at
        // U+0139..U+0148 and U+0179..U+017E.
        const bool odd_capitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x130) return 'i';
        if (c == 0x178) return 0xFF;
        if (odd_capitals ? (c % 2 == 1) : (c % 2 == 0 && c != 0x138)) return c + 1;
    }
    if (c >= 0x386 && c <= 0x38F) {
        switch (c) {
        case 0x386:
            return 0x3AC;
        case 0x388:
            return 0x3AD;
        case 0x389:
            return 0x3AE;
        case 0x38A:
            return 0x3AF;
        case 0x38C:
            return 0x3CC;
        case 0x38E:
            return 0x3CD;
        case 0x38F:
            return 0x3CE;
        default:
            break;
        }
    }
    return c;
}

bool blank(char32_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == 0xA0;
}

} // namespace

void trigram_hashes(std::string_view normalised, std::vector<std::uint32_t>& out) {
    out.clear();
    if (normalised.empty()) return;
    auto hash = [](char32_t a, char32_t b, char32_t c) {
        const std::uint64_t h =
            ((std::uint64_t(a) << 42) ^ (std::uint64_t(b) << 21) ^ std::uint64_t(c)) *
            0x9E3779B97F4A7C15ull;
        return std::uint32_t(h >> 32);
    };
    auto next = [&](std::size_t& i) {
        const auto b = static_cast<unsigned char>(normalised[i]);
        if (b < 0x80) {
            ++i;
            return char32_t(b);
        }
        return next_char(normalised, i);
    };
    // The text with a blank before and after it, three characters at a time.
    std::size_t i = 0;
    char32_t a = U' ', b = next(i);
    while (i < normalised.size()) {
        const char32_t c = next(i);
        out.push_back(hash(a, b, c));
        a = b;
        b = c;
    }
    out.push_back(hash(a, b, U' '));
}

void trigrams(std::string_view normalised, std::vector<std::uint32_t>& out) {
    trigram_hashes(normalised, out);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
}

std::size_t common_count(const std::uint32_t* a, std::size_t na, const std::uint32_t* b,
                         std::size_t nb) {
    std::size_t n = 0, i = 0, j = 0;
    while (i < na && j < nb) {
        if (a[i] < b[j])
            ++i;
        else if (b[j] < a[i])
            ++j;
        else
            ++n, ++i, ++j;
    }
    return n;
}

int dice_score(std::size_t shared, std::size_t na, std::size_t nb) {
    if (na + nb == 0) return 0;
    return int(200 * shared / (na + nb));
}

std::string normalise_label(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    append_normalised(text, out);
    return out;
}

void append_normalised(std::string_view text, std::string& out) {
    const std::size_t start = out.size();
    bool gap = false;
    for (std::size_t i = 0; i < text.size();) {
        // Characters below 0x80 stand for themselves: they go without decoding.
        const auto b = static_cast<unsigned char>(text[i]);
        const char32_t c = b < 0x80 ? (++i, char32_t(b)) : next_char(text, i);
        if (blank(c)) {
            gap = out.size() > start;
            continue;
        }
        if (gap) out += ' ';
        gap = false;
        if (c < 0x80)
            out += char(c >= 'A' && c <= 'Z' ? c + 32 : c);
        else
            put_char(out, lower(c));
    }
}

int label_similarity(std::string_view a, std::string_view b) {
    if (a == b) return 100;
    std::vector<std::uint32_t> ta, tb;
    trigrams(a, ta);
    trigrams(b, tb);
    return std::min(99, dice_score(common_count(ta.data(), ta.size(), tb.data(), tb.size()),
                                   ta.size(), tb.size()));
}

} // namespace lex
