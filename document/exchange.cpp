#include "document/exchange.h"

#include "document/document.h"
#include "document/elements.h"
#include "document/lines.h"
#include "document/text.h"

#include <unordered_map>

namespace lex {

namespace {

constexpr std::array<const char*, kKinds> kContextKind{"polygon", "line", "point"};

// The value of the body's first "key=" line (key in any letter case, blanks before it allowed;
// comments are none), blanks around it removed; "" when there is none.
std::string_view key_value(std::string_view body, std::string_view key) {
    std::string_view found;
    bool done = false;
    for_each_line(body, [&](std::string_view line, std::size_t) {
        if (done) return;
        const std::string_view t = trim(line);
        if (t.size() <= key.size() || t[key.size()] != '=' ||
            to_lower(t.substr(0, key.size())) != key)
            return;
        found = trim(t.substr(key.size() + 1));
        done = true;
    });
    return found;
}

} // namespace

std::vector<RowElement> row_elements(const Document& doc, Kind kind, const Outline& outline) {
    std::vector<RowElement> out;
    std::unordered_map<std::string, int> seen; // how many rows each base context has had
    for (const Section& s : outline.sections) {
        if (s.kind != kind) continue;
        const std::string_view body = body_text(doc.document, s);
        if (find_label(body, doc.source_code, 'S', doc.zero_fallback).empty()) continue;
        std::string context = kContextKind[std::size_t(kind)];
        const std::string_view type = key_value(body, "type");
        const std::string_view subtype = key_value(body, "subtype");
        if (!type.empty()) context += " Type=" + to_lower(type);
        if (!subtype.empty()) context += " SubType=" + to_lower(subtype);
        const int n = ++seen[context];
        if (n > 1) context += " #" + std::to_string(n);
        out.push_back({body, std::move(context)});
    }
    return out;
}

std::vector<ElementLabel> element_labels(std::string_view body) {
    std::vector<ElementLabel> out;
    for_each_line(body, [&](std::string_view line, std::size_t) {
        if (const auto label = parse_label_line(line))
            out.push_back({to_lower(label->code), {}, std::string(label->text)});
    });
    return out;
}

std::string other_labels_comment(const std::vector<ElementLabel>& labels,
                                 std::string_view source_code, std::string_view target_code) {
    const std::string source = to_lower(source_code);
    const std::string target = to_lower(target_code);
    std::string out;
    for (const ElementLabel& label : labels) {
        const std::string code = to_lower(label.code);
        if (code == source || code == target || trim(label.text).empty()) continue;
        if (!out.empty()) out += '\n';
        out += label.name.empty() ? "0x" + code : label.name;
        out += ": ";
        out += trim(label.text);
    }
    return out;
}

} // namespace lex
