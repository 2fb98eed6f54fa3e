#include "document/lines.h"

namespace lex {

namespace {

bool blank(char c) {
    return c == ' ' || c == '\t';
}

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = lower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

std::string_view line_at(std::string_view text, std::size_t at) {
    if (at > text.size()) return {};
    std::size_t lf = find_near(text, '\n', at);
    std::size_t end = lf == std::string_view::npos ? text.size() : lf;
    if (end > at && text[end - 1] == '\r') --end;
    return text.substr(at, end - at);
}

bool is_comment_line(std::string_view line) {
    for (char c : line) {
        if (blank(c)) continue;
        return c == ';';
    }
    return false;
}

bool is_marker_line(std::string_view line, std::string_view marker) {
    std::size_t b = 0, e = line.size();
    while (b < e && blank(line[b])) ++b;
    while (e > b && blank(line[e - 1])) --e;
    if (e - b != marker.size()) return false;
    for (std::size_t i = 0; i < marker.size(); ++i)
        if (lower(line[b + i]) != lower(marker[i])) return false;
    return true;
}

bool is_section_header(std::string_view line) {
    std::size_t b = 0, e = line.size();
    while (b < e && blank(line[b])) ++b;
    while (e > b && blank(line[e - 1])) --e;
    return e - b >= 3 && line[b] == '[' && line[e - 1] == ']' &&
           !is_marker_line(line.substr(b, e - b), "[end]");
}

std::optional<LabelLine> parse_label_line(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && blank(line[i])) ++i;
    constexpr std::string_view key = "string";
    if (line.size() - i < key.size()) return std::nullopt;
    for (std::size_t k = 0; k < key.size(); ++k)
        if (lower(line[i + k]) != key[k]) return std::nullopt;
    i += key.size();
    const std::size_t number = i;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
    if (line.substr(i, 3) != "=0x" && line.substr(i, 3) != "=0X") return std::nullopt;
    LabelLine out;
    out.number = line.substr(number, i - number);
    i += 3;
    out.code_at = i;
    while (i < line.size() && hex_value(line[i]) >= 0) ++i;
    out.code_size = i - out.code_at;
    if (out.code_size == 0 || i >= line.size() || line[i] != ',') return std::nullopt;
    out.code = line.substr(out.code_at, out.code_size);
    out.text_at = i + 1;
    out.text = line.substr(out.text_at);
    return out;
}

bool label_code_is(const LabelLine& label, std::string_view code) {
    if (label.code.size() != code.size()) return false;
    for (std::size_t i = 0; i < code.size(); ++i)
        if (lower(label.code[i]) != lower(code[i])) return false;
    return true;
}

int label_language(std::string_view line) {
    auto label = parse_label_line(line);
    if (!label || label->code_size > 4) return -1;
    int value = 0;
    for (char c : label->code) value = value * 16 + hex_value(c);
    return value;
}

} // namespace lex
