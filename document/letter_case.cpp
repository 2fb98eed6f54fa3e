#include "document/letter_case.h"

#include <array>
#include <cstdint>

namespace lex {

namespace {

using Table = std::array<unsigned char, 256>;

// The capitals above 0x7F of each single-byte code page, as pairs of bytes: capital, small.
// Taken from the code pages' Unicode mappings (a test compares them with Qt's converters).
struct Capitals {
    int codepage;
    std::string_view pairs;
};
constexpr Capitals kCapitals[] = {
    {1250, "\x8A\x9A\x8C\x9C\x8D\x9D\x8E\x9E\x8F\x9F\xA3\xB3\xA5\xB9\xAA\xBA\xAF\xBF\xBC\xBE"
           "\xC0\xE0\xC1\xE1\xC2\xE2\xC3\xE3\xC4\xE4\xC5\xE5\xC6\xE6\xC7\xE7\xC8\xE8\xC9\xE9"
           "\xCA\xEA\xCB\xEB\xCC\xEC\xCD\xED\xCE\xEE\xCF\xEF\xD0\xF0\xD1\xF1\xD2\xF2\xD3\xF3"
           "\xD4\xF4\xD5\xF5\xD6\xF6\xD8\xF8\xD9\xF9\xDA\xFA\xDB\xFB\xDC\xFC\xDD\xFD\xDE\xFE"},
    {1251, "\x80\x90\x81\x83\x8A\x9A\x8C\x9C\x8D\x9D\x8E\x9E\x8F\x9F\xA1\xA2\xA3\xBC\xA5\xB4"
           "\xA8\xB8\xAA\xBA\xAF\xBF\xB2\xB3\xBD\xBE\xC0\xE0\xC1\xE1\xC2\xE2\xC3\xE3\xC4\xE4"
           "\xC5\xE5\xC6\xE6\xC7\xE7\xC8\xE8\xC9\xE9\xCA\xEA\xCB\xEB\xCC\xEC\xCD\xED\xCE\xEE"
           "\xCF\xEF\xD0\xF0\xD1\xF1\xD2\xF2\xD3\xF3\xD4\xF4\xD5\xF5\xD6\xF6\xD7\xF7\xD8\xF8"
           "\xD9\xF9\xDA\xFA\xDB\xFB\xDC\xFC\xDD\xFD\xDE\xFE\xDF\xFF"},
    {1252, "\x8A\x9A\x8C\x9C\x8E\x9E\x9F\xFF\xC0\xE0\xC1\xE1\xC2\xE2\xC3\xE3\xC4\xE4\xC5\xE5"
           "\xC6\xE6\xC7\xE7\xC8\xE8\xC9\xE9\xCA\xEA\xCB\xEB\xCC\xEC\xCD\xED\xCE\xEE\xCF\xEF"
           "\xD0\xF0\xD1\xF1\xD2\xF2\xD3\xF3\xD4\xF4\xD5\xF5\xD6\xF6\xD8\xF8\xD9\xF9\xDA\xFA"
           "\xDB\xFB\xDC\xFC\xDD\xFD\xDE\xFE"},
    {1253, "\xA2\xDC\xB8\xDD\xB9\xDE\xBA\xDF\xBC\xFC\xBE\xFD\xBF\xFE\xC1\xE1\xC2\xE2\xC3\xE3"
           "\xC4\xE4\xC5\xE5\xC6\xE6\xC7\xE7\xC8\xE8\xC9\xE9\xCA\xEA\xCB\xEB\xCC\xEC\xCD\xED"
           "\xCE\xEE\xCF\xEF\xD0\xF0\xD1\xF1\xD3\xF3\xD4\xF4\xD5\xF5\xD6\xF6\xD7\xF7\xD8\xF8"
           "\xD9\xF9\xDA\xFA\xDB\xFB"},
    // The dotted capital I (0xDD) becomes a plain "i": its Unicode lower case takes two
    // characters, which the code page does not have.
    {1254, "\x8A\x9A\x8C\x9C\x9F\xFF\xC0\xE0\xC1\xE1\xC2\xE2\xC3\xE3\xC4\xE4\xC5\xE5\xC6\xE6"
           "\xC7\xE7\xC8\xE8\xC9\xE9\xCA\xEA\xCB\xEB\xCC\xEC\xCD\xED\xCE\xEE\xCF\xEF\xD0\xF0"
           "\xD1\xF1\xD2\xF2\xD3\xF3\xD4\xF4\xD5\xF5\xD6\xF6\xD8\xF8\xD9\xF9\xDA\xFA\xDB\xFB"
           "\xDC\xFC\xDE\xFE\xDDi"},
    {1256, "\x8C\x9C"},
    {1257, "\xA8\xB8\xAA\xBA\xAF\xBF\xC0\xE0\xC1\xE1\xC2\xE2\xC3\xE3\xC4\xE4\xC5\xE5\xC6\xE6"
           "\xC7\xE7\xC8\xE8\xC9\xE9\xCA\xEA\xCB\xEB\xCC\xEC\xCD\xED\xCE\xEE\xCF\xEF\xD0\xF0"
           "\xD1\xF1\xD2\xF2\xD3\xF3\xD4\xF4\xD5\xF5\xD6\xF6\xD8\xF8\xD9\xF9\xDA\xFA\xDB\xFB"
           "\xDC\xFC\xDD\xFD\xDE\xFE"},
};

Table make_table(int codepage) {
    Table t{};
    for (int b = 0; b < 256; ++b) t[std::size_t(b)] = static_cast<unsigned char>(b);
    for (int b = 'A'; b <= 'Z'; ++b) t[std::size_t(b)] = static_cast<unsigned char>(b - 'A' + 'a');
    for (const Capitals& c : kCapitals) {
        if (c.codepage != codepage) continue;
        for (std::size_t i = 0; i + 1 < c.pairs.size(); i += 2)
            t[static_cast<unsigned char>(c.pairs[i])] = static_cast<unsigned char>(c.pairs[i + 1]);
    }
    return t;
}

// The first byte of a double-byte character, or false for a single-byte code page.
bool lead_byte(int codepage, unsigned char b) {
    switch (codepage) {
    case 932:
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950:
        return b >= 0x81 && b <= 0xFE;
    default:
        return false;
    }
}

bool double_byte(int codepage) {
    return codepage == 932 || codepage == 936 || codepage == 949 || codepage == 950;
}

const Table& table_for(int codepage) {
    static const Table ascii = make_table(0);
    static const std::array<Table, std::size(kCapitals)> tables = [] {
        std::array<Table, std::size(kCapitals)> out{};
        for (std::size_t i = 0; i < out.size(); ++i) out[i] = make_table(kCapitals[i].codepage);
        return out;
    }();
    for (std::size_t i = 0; i < tables.size(); ++i)
        if (kCapitals[i].codepage == codepage) return tables[i];
    return ascii;
}

} // namespace

void lower_case(std::string_view text, int codepage, std::string& out) {
    out.assign(text);
    const Table& t = table_for(codepage);
    if (!double_byte(codepage)) {
        for (char& c : out) c = static_cast<char>(t[static_cast<unsigned char>(c)]);
        return;
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto b = static_cast<unsigned char>(out[i]);
        if (lead_byte(codepage, b))
            ++i; // keep the character's second byte, which may look like an ASCII letter
        else
            out[i] = static_cast<char>(t[b]);
    }
}

std::string lower_case(std::string_view text, int codepage) {
    std::string out;
    lower_case(text, codepage, out);
    return out;
}

std::size_t find_characters(std::string_view text, std::string_view needle, int codepage) {
    std::size_t at = text.find(needle);
    if (!double_byte(codepage)) return at;
    std::size_t boundary = 0; // the start of a character at or before `at`
    while (at != std::string_view::npos) {
        while (boundary < at)
            boundary += lead_byte(codepage, static_cast<unsigned char>(text[boundary])) ? 2 : 1;
        if (boundary == at) return at;
        at = text.find(needle, at + 1);
    }
    return at;
}

} // namespace lex
