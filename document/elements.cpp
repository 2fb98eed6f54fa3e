#include "document/elements.h"

#include "document/document.h"
#include "document/lines.h"
#include "document/text.h"

namespace lex {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// True when "0x", the language code `code` (hexadecimal digits, any letter case) and "," follow
// the '=' at `eq`: with label_line_start, a label line of that language.
bool label_key_is(std::string_view text, std::size_t eq, std::string_view code) {
    if (code.empty() || text.size() - eq < code.size() + 4 || text[eq + 1] != '0' ||
        (text[eq + 2] | 0x20) != 'x' || text[eq + 3 + code.size()] != ',')
        return false;
    // A hexadecimal digit in lower case, or 0 for any other byte (0x14 is no '4').
    auto digit = [](char c) {
        if (c >= '0' && c <= '9') return c;
        const char l = char(c | 0x20);
        return l >= 'a' && l <= 'f' ? l : '\0';
    };
    for (std::size_t k = 0; k < code.size(); ++k) {
        const char a = digit(text[eq + 3 + k]);
        if (a == '\0' || a != digit(code[k])) return false;
    }
    return true;
}

} // namespace

std::size_t label_line_start(std::string_view text, std::size_t eq) {
    std::size_t i = eq;
    while (i > 0 && text[i - 1] >= '0' && text[i - 1] <= '9') --i;
    if (i < 6) return std::string_view::npos;
    i -= 6;
    if ((text[i] | 0x20) != 's' || (text[i + 1] | 0x20) != 't' || (text[i + 2] | 0x20) != 'r' ||
        (text[i + 3] | 0x20) != 'i' || (text[i + 4] | 0x20) != 'n' || (text[i + 5] | 0x20) != 'g')
        return std::string_view::npos;
    while (i > 0 && (text[i - 1] == ' ' || text[i - 1] == '\t')) --i;
    return i > 0 && text[i - 1] != '\n' ? std::string_view::npos : i;
}

int header_kind(std::string_view line) {
    for (int kind = 0; kind < kKinds; ++kind) // the usual spelling first
        if (line == kSectionMarker[std::size_t(kind)]) return kind;
    if (!is_section_header(line)) return -1;
    for (int kind = 0; kind < kKinds; ++kind)
        if (is_marker_line(line, kSectionMarker[std::size_t(kind)])) return kind;
    return kOtherSection;
}

Outline read_outline(std::string_view text) {
    Outline out;
    out.sections.reserve(text.size() / 512 + 16); // elements are rarely shorter
    out.tail = for_each_section(text, [&](const Section& s) { out.sections.push_back(s); });
    return out;
}

ElementBlocks element_blocks(std::string_view text) {
    ElementBlocks blocks;
    for (const Section& s : read_outline(text).sections)
        if (s.kind != kOtherSection) blocks[std::size_t(s.kind)].push_back(body_text(text, s));
    return blocks;
}

std::string_view label_key_from(std::string_view body, std::size_t key, std::string& scratch) {
    // The line end and a "|" in one scan: most keys hold no "|".
    std::size_t stop = find_near_either(body, '\n', '|', key);
    std::size_t bar = npos;
    if (stop != npos && body[stop] == '|') {
        bar = stop - key;
        stop = find_near(body, '\n', stop);
    }
    std::size_t end = stop == npos ? body.size() : stop;
    if (end > key && body[end - 1] == '\r') --end;
    const std::string_view text = body.substr(key, end - key);
    if (bar == npos || bar >= text.size()) return text;
    scratch.clear();
    for (std::size_t start = 0;; start = bar + 1, bar = find_near(text, '|', start)) {
        scratch.append(text.substr(start, bar - start));
        if (bar == npos) return scratch;
    }
}

std::string_view label_key_at(std::string_view body, std::size_t at, std::string& scratch) {
    const auto label = parse_label_line(line_at(body, at));
    if (!label) return {};
    // The key starts at the '=' before "0x".
    return label_key_from(body, at + label->code_at - 3, scratch);
}

void label_at(std::string_view body, std::size_t at, std::string& out) {
    std::string scratch;
    const std::string_view key = label_key_at(body, at, scratch);
    out.assign(key);
}

LabelKeys find_label_keys(std::string_view body, std::string_view source_code,
                          std::string_view target_code) {
    LabelKeys keys;
    // The rows run this over every element: the code is compared where it stands, without
    // reading the rest of the line, and only after an "=0x" (the Type line's is the usual other).
    for_each_byte(body, '=', [&](std::size_t eq) {
        const bool key =
            body.size() - eq > 4 && body[eq + 1] == '0' && (body[eq + 2] | 0x20) == 'x';
        const bool source = key && keys.source == npos && label_key_is(body, eq, source_code);
        const bool target = key && keys.target == npos && label_key_is(body, eq, target_code);
        if (source || target) {
            const std::size_t at = label_line_start(body, eq);
            if (at != npos && source) {
                keys.source = at;
                keys.source_key = eq;
            }
            if (at != npos && target) {
                keys.target = at;
                keys.target_key = eq;
            }
        }
        // A code that is empty matches no label: there is nothing to wait for.
        return (keys.source == npos && !source_code.empty()) ||
               (keys.target == npos && !target_code.empty());
    });
    return keys;
}

std::string zero_label(std::string_view body) {
    const std::size_t at = find_label_keys(body, "00", "00").source;
    std::string out;
    if (at != npos) label_at(body, at, out);
    return out;
}

std::string find_label(std::string_view body, const std::string& code, char side,
                       bool zero_fallback) {
    const std::size_t at = find_label_keys(body, code, code).source;
    std::string out;
    if (at != npos) {
        label_at(body, at, out);
        return out;
    }
    if (!zero_fallback || side != 'S') return out;
    return zero_label(body);
}

bool has_source_label(std::string_view body, std::string_view code, bool zero_fallback) {
    // A key find_label_keys finds is a whole label line: its key is never empty.
    if (find_label_keys(body, code, {}).source != npos) return true;
    return zero_fallback && find_label_keys(body, "00", {}).source != npos;
}

} // namespace lex
