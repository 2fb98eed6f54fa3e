#include "document/exchange.h"

#include "document/document.h"
#include "document/elements.h"
#include "document/lines.h"
#include "document/text.h"

#include <optional>

namespace lex {

namespace {

constexpr std::size_t npos = std::string_view::npos;

constexpr std::array<const char*, kKinds> kContextKind{"polygon", "line", "point"};

// The value of a line that is "key=value" (key in any letter case, blanks around the line and
// the value allowed), or nothing.
std::optional<std::string_view> key_value(std::string_view t, std::string_view key) {
    if (t.size() <= key.size() || t[key.size()] != '=') return std::nullopt;
    for (std::size_t k = 0; k < key.size(); ++k)
        if (char(t[k] | 0x20) != key[k]) return std::nullopt;
    return trim(t.substr(key.size() + 1));
}

void append_lower(std::string& out, std::string_view s) {
    for (const char c : s) out += c >= 'A' && c <= 'Z' ? char(c | 0x20) : c;
}

} // namespace

int ContextCounter::add(std::string_view context) {
    if ((used_ + 1) * 2 > slots_.size()) grow();
    const std::size_t hash = std::hash<std::string_view>{}(context);
    for (std::size_t i = hash & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
        Slot& slot = slots_[i];
        if (slot.count == 0) {
            slot = {hash, names_.size(), context.size(), 1};
            names_ += context;
            ++used_;
            return 1;
        }
        if (slot.hash == hash && std::string_view(names_).substr(slot.at, slot.size) == context)
            return ++slot.count;
    }
}

void ContextCounter::grow() {
    std::vector<Slot> old(std::max<std::size_t>(64, slots_.size() * 2));
    old.swap(slots_);
    for (const Slot& slot : old) {
        if (slot.count == 0) continue;
        std::size_t i = slot.hash & (slots_.size() - 1);
        while (slots_[i].count != 0) i = (i + 1) & (slots_.size() - 1);
        slots_[i] = slot;
    }
}

ElementWalk::ElementWalk(const Document& doc, Kind kind, const Outline& outline)
    : doc_(doc), kind_(kind), outline_(outline) {}

bool ElementWalk::next() {
    while (section_ < outline_.sections.size()) {
        const Section& s = outline_.sections[section_++];
        if (s.kind != kind_) continue;
        const std::string_view body = body_text(doc_.document, s);
        if (!has_source_label(body, doc_.source_code, doc_.zero_fallback)) continue;
        body_ = body;
        // The first Type and SubType lines, and the label lines: every one holds a '=', and
        // only the lines with one are looked at.
        std::optional<std::string_view> type, subtype;
        labels_.clear();
        std::size_t next_line = 0;
        for_each_byte(body, '=', [&](std::size_t eq) {
            if (eq < next_line) return true; // a second '=' of a line already read
            std::size_t start = eq;
            while (start > 0 && body[start - 1] != '\n') --start;
            // Type, SubType and label lines begin, blanks aside, with 't' or 's'.
            std::size_t lead = start;
            while (body[lead] == ' ' || body[lead] == '\t') ++lead;
            if (const char c = char(body[lead] | 0x20); c != 's' && c != 't') return true;
            const std::size_t lf = find_near(body, '\n', eq);
            std::size_t end = lf == npos ? body.size() : lf;
            next_line = end + 1;
            if (end > start && body[end - 1] == '\r') --end;
            const std::string_view line = body.substr(start, end - start);
            const std::string_view t = trim(line);
            const char first = char(t.front() | 0x20); // t holds the '='
            if (first == 't') {
                if (!type) type = key_value(t, "type");
            } else if (first == 's' || t.front() == '\t') {
                if (auto label = parse_label_line(line)) {
                    labels_.push_back(*label);
                } else if (!subtype) {
                    subtype = key_value(t, "subtype");
                }
            }
            return true;
        });
        context_ = kContextKind[std::size_t(kind_)];
        if (type && !type->empty()) {
            context_ += " Type=";
            append_lower(context_, *type);
        }
        if (subtype && !subtype->empty()) {
            context_ += " SubType=";
            append_lower(context_, *subtype);
        }
        const int n = seen_.add(context_);
        if (n > 1) {
            context_ += " #";
            context_ += std::to_string(n);
        }
        return true;
    }
    return false;
}

std::vector<RowElement> row_elements(const Document& doc, Kind kind, const Outline& outline) {
    std::vector<RowElement> out;
    ElementWalk walk(doc, kind, outline);
    while (walk.next()) out.push_back({walk.body(), walk.context()});
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
