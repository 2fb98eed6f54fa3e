#include "translate/element_context.h"

#include "document/lines.h"
#include "document/text.h"
#include "translate/languages.h"

#include <algorithm>
#include <cctype>

namespace lex {

namespace {

std::string_view trim_blanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool key_is(std::string_view key, std::string_view name) {
    if (key.size() != name.size()) return false;
    for (std::size_t i = 0; i < key.size(); ++i)
        if ((key[i] | 0x20) != (name[i] | 0x20)) return false;
    return true;
}

// "0x2F" or "0x2f,1" as written up to a ',' or blank, lower-cased: "0x2f"; "" when it is not
// hexadecimal.
std::string type_code(std::string_view value) {
    value = trim_blanks(value);
    value = value.substr(0, std::min(value.find(','), value.find(' ')));
    if (value.size() < 3 || value[0] != '0' || (value[1] | 0x20) != 'x' || value.size() > 10)
        return {};
    for (std::size_t i = 2; i < value.size(); ++i)
        if (!std::isxdigit(static_cast<unsigned char>(value[i]))) return {};
    return to_lower(value);
}

} // namespace

ElementContext element_context(std::string_view body, const std::vector<int>& left_out,
                               bool utf8_labels) {
    ElementContext out;
    std::string subtype;
    for_each_line(body, [&](std::string_view line, std::size_t) {
        if (is_comment_line(line)) return;
        if (const auto label = parse_label_line(line)) {
            const int code = label_language(line);
            if (code < 0 || std::find(left_out.begin(), left_out.end(), code) != left_out.end())
                return;
            std::string text;
            for (const char c : label->text)
                if (c != '|') text.push_back(c);
            if (trim(text).empty()) return;
            const int codepage =
                utf8_labels ? kUtf8CodePage : codepage_for_language(std::uint8_t(code));
            out.labels.push_back({code, language_name(code), std::move(text), codepage});
            return;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) return;
        const std::string_view key = trim_blanks(line.substr(0, eq));
        if (key_is(key, "Type") && out.type.empty()) out.type = type_code(line.substr(eq + 1));
        if (key_is(key, "SubType") && subtype.empty()) subtype = type_code(line.substr(eq + 1));
    });
    if (!out.type.empty() && !subtype.empty()) out.type += "/" + subtype;
    return out;
}

std::string other_labels_text(const ElementContext& context, LabelDecoder decode) {
    std::string out;
    for (const OtherLabel& label : context.labels) {
        if (!out.empty()) out += " \xC2\xB7 "; // " · "
        out += label.name + ": " + decode(label.text, label.codepage);
    }
    return out;
}

std::string type_text(const ElementContext& context) {
    return context.type.empty() ? std::string() : "Type " + context.type;
}

std::string language_name(int code) {
    if (code == 0) return "Unspecified";
    for (int i = 0; i < kHebrewIndex; ++i)
        if (lang_byte(kLanguages[std::size_t(i)].code) == code)
            return std::string(trim(kLanguages[std::size_t(i)].item));
    return survey_language_name(code);
}

} // namespace lex
