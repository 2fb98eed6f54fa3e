#include "document/exchange.h"

#include "document/document.h"
#include "document/elements.h"
#include "document/lines.h"
#include "document/text.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>

namespace lex {

namespace {

constexpr std::size_t npos = std::string_view::npos;

constexpr std::array<std::string_view, kKinds> kContextKind{"polygon", "line", "point"};

// The value of a line that is "key=value" (key in any letter case, blanks around the line and
// the value allowed), or nothing.
std::optional<std::string_view> key_value(std::string_view t, std::string_view key) {
    if (t.size() <= key.size() || t[key.size()] != '=') return std::nullopt;
    for (std::size_t k = 0; k < key.size(); ++k)
        if (char(t[k] | 0x20) != key[k]) return std::nullopt;
    return trim(t.substr(key.size() + 1));
}

} // namespace

namespace {

// Spaces around `s` left out, as trim() does, without a call.
std::string_view trim_spaces(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    return s.substr(b, e - b);
}

char lower_byte(char c) {
    return c >= 'A' && c <= 'Z' ? char(c | 0x20) : c;
}

// A value of up to seven bytes as one number that tells it from every other, letter case
// aside: its bytes, capitals made small, and its size in the top byte.
std::uint64_t short_value_key(std::string_view value) {
    std::uint64_t key = std::uint64_t(value.size()) << 56;
    for (std::size_t i = 0; i < value.size(); ++i)
        key |= std::uint64_t(std::uint8_t(lower_byte(value[i]))) << (8 * i);
    return key;
}

} // namespace

int ElementCounter::add(std::string_view type, std::string_view subtype) {
    if (type.size() > 7 || subtype.size() > 7) {
        // Each value after its size, so that no two pairs make one key.
        std::string key = std::to_string(type.size()) + ':';
        for (const char c : type) key += lower_byte(c);
        for (const char c : subtype) key += lower_byte(c);
        return ++long_values_[key];
    }
    if ((used_ + 1) * 2 > slots_.size()) grow();
    const std::uint64_t type_key = short_value_key(type), subtype_key = short_value_key(subtype);
    for (std::size_t i = slot_of(type_key, subtype_key);; i = (i + 1) & (slots_.size() - 1)) {
        Slot& slot = slots_[i];
        if (slot.count == 0) {
            slot = {type_key, subtype_key, 1};
            ++used_;
            return 1;
        }
        if (slot.type == type_key && slot.subtype == subtype_key) return ++slot.count;
    }
}

std::size_t ElementCounter::slot_of(std::uint64_t type, std::uint64_t subtype) const {
    std::uint64_t h = (type ^ std::rotl(subtype, 29)) * 0x9E3779B97F4A7C15ull;
    h ^= h >> 32;
    return std::size_t(h) & (slots_.size() - 1);
}

void ElementCounter::grow() {
    std::vector<Slot> old(std::max<std::size_t>(64, slots_.size() * 2));
    old.swap(slots_);
    for (const Slot& slot : old) {
        if (slot.count == 0) continue;
        std::size_t i = slot_of(slot.type, slot.subtype);
        while (slots_[i].count != 0) i = (i + 1) & (slots_.size() - 1);
        slots_[i] = slot;
    }
}

ElementWalk::ElementWalk(const Document& doc, Kind kind, const Outline& outline)
    : doc_(doc), kind_(kind), outline_(outline) {}

namespace {

// Calls f(start, eq, end) for every line of text[from, to) that holds a '=': where the line
// starts, where its first '=' stands and where it ends (its '\n', or `to`). `from` is where a
// line starts. The blocks of sixteen bytes may read past `to` (an element's body is followed by
// its "[end]" line) but never past the text; what they see past `to` is dropped.
template <class F>
void for_each_line_with_equals(std::string_view text, std::size_t from, std::size_t to, F&& f) {
    std::size_t line_start = from; // where the line the scan stands in starts
    std::size_t skip_to = from;    // a '=' before this belongs to a line already read
    std::size_t i = from;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i equals = _mm_set1_epi8('='), newline = _mm_set1_epi8('\n');
    for (; i < to && i + 16 <= text.size(); i += 16) {
        const __m128i chunk = detail::load16(text, i);
        unsigned eq_mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, equals)));
        unsigned nl_mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, newline)));
        if (to - i < 16) {
            const unsigned in_body = (1u << (to - i)) - 1;
            eq_mask &= in_body;
            nl_mask &= in_body;
        }
        // The masks are sixteen bits wide: a shift by up to 31 is defined.
        if (skip_to > i) eq_mask &= skip_to - i >= 16 ? 0u : ~((1u << (skip_to - i)) - 1);
        while (eq_mask) {
            const unsigned bit = unsigned(std::countr_zero(eq_mask));
            const unsigned before = nl_mask & ((1u << bit) - 1);
            const std::size_t start = before ? i + unsigned(std::bit_width(before)) : line_start;
            const unsigned after = nl_mask & ~((2u << bit) - 1);
            std::size_t end;
            if (after) {
                end = i + unsigned(std::countr_zero(after));
                eq_mask &= ~((2u << (end - i)) - 1);
            } else {
                end = find_near(text.substr(0, to), '\n', i + 16);
                if (end == npos) end = to;
                skip_to = end + 1;
                eq_mask = 0;
            }
            f(start, i + bit, end);
        }
        if (nl_mask) line_start = i + unsigned(std::bit_width(nl_mask));
    }
#endif
    for (; i < to; ++i) {
        if (text[i] == '\n') line_start = i + 1;
        if (text[i] != '=' || i < skip_to) continue;
        std::size_t end = find_near(text.substr(0, to), '\n', i);
        if (end == npos) end = to;
        f(line_start, i, end);
        skip_to = end + 1;
    }
}

// The label line `line` ("StringN=0xLL,text", blanks before it) read into `out`, as
// parse_label_line reads it; false when it is none. `eq` is where its first '=' stands.
bool read_label_line(std::string_view line, std::size_t eq, LabelLine& out) {
    std::size_t i = 0;
    while (line[i] == ' ' || line[i] == '\t') ++i;
    std::size_t digits = eq;
    while (digits > i && line[digits - 1] >= '0' && line[digits - 1] <= '9') --digits;
    if (digits - i != 6) return false;
    for (std::size_t k = 0; k < 6; ++k)
        if (char(line[i + k] | 0x20) != "string"[k]) return false;
    if (line.size() - eq < 4 || line[eq + 1] != '0' || char(line[eq + 2] | 0x20) != 'x')
        return false;
    std::size_t c = eq + 3;
    auto hex = [](char h) {
        const char l = char(h | 0x20);
        return (h >= '0' && h <= '9') || (l >= 'a' && l <= 'f');
    };
    while (c < line.size() && hex(line[c])) ++c;
    if (c == eq + 3 || c == line.size() || line[c] != ',') return false;
    out.number = line.substr(i + 6, eq - i - 6);
    out.code_at = eq + 3;
    out.code_size = c - eq - 3;
    out.code = line.substr(out.code_at, out.code_size);
    out.text_at = c + 1;
    out.text = line.substr(out.text_at);
    return true;
}

} // namespace

namespace {

// Reads the line text[start, end) whose first '=' is at `eq` as the walk reads it: calls
// type(view) for a Type line, and label(line, eq in line) for a line that may be a label line
// (the callee tells it from a SubType line). Other lines begin, blanks aside, with neither 't'
// nor 's'.
template <class Type, class Label>
void read_line(std::string_view text, std::size_t start, std::size_t eq, std::size_t end,
               Type&& type, Label&& label) {
    std::size_t lead = start;
    while (text[lead] == ' ' || text[lead] == '\t') ++lead;
    if (const char c = char(text[lead] | 0x20); c != 's' && c != 't') return;
    if (end > start && text[end - 1] == '\r') --end;
    const std::string_view line = text.substr(start, end - start);
    const std::string_view t = trim_spaces(line);
    if (char(t.front() | 0x20) == 't') // t holds the '='
        type(t);
    else
        label(line, eq - start);
}

std::uint32_t offset_in(std::string_view text, std::string_view part) {
    return std::uint32_t(part.data() - text.data());
}

} // namespace

namespace {

// What an element's body says about the element: its first Type and SubType values, and
// whether a label line is in the source language (or 0x00, where that stands in for it).
struct BodyParts {
    std::optional<std::string_view> type, subtype;
    bool source = false;
};

// Reads the body of section `s`; calls on_label(label) for its label lines in their order.
// Every line that matters holds a '=', and only those lines are looked at.
template <class OnLabel>
BodyParts read_body(std::string_view text, const Section& s, std::string_view source_code,
                    bool zero_fallback, OnLabel&& on_label) {
    BodyParts parts;
    LabelLine label;
    for_each_line_with_equals(
        text, s.body, s.end_line, [&](std::size_t start, std::size_t eq, std::size_t end) {
            read_line(
                text, start, eq, end,
                [&](std::string_view t) {
                    if (!parts.type) parts.type = key_value(t, "type");
                },
                [&](std::string_view line, std::size_t line_eq) {
                    if (read_label_line(line, line_eq, label)) {
                        parts.source = parts.source || label_code_is(label, source_code) ||
                                       (zero_fallback && label.code == "00");
                        on_label(label);
                    } else if (!parts.subtype) {
                        parts.subtype = key_value(trim_spaces(line), "subtype");
                    }
                });
        });
    return parts;
}

} // namespace

void append_context(std::string& out, Kind kind, std::string_view type, std::string_view subtype,
                    int nth) {
    // Sized once and written in place: a pass over every row makes one per row.
    const std::string_view name = kContextKind[std::size_t(kind)];
    const std::size_t at = out.size();
    out.resize(at + name.size() + type.size() + subtype.size() + 32);
    char* p = out.data() + at;
    auto put = [&](std::string_view s) {
        if (!s.empty()) std::memcpy(p, s.data(), s.size());
        p += s.size();
    };
    auto put_lower = [&](std::string_view s) {
        for (const char c : s) *p++ = c >= 'A' && c <= 'Z' ? char(c | 0x20) : c;
    };
    put(name);
    if (!type.empty()) {
        put(" Type=");
        put_lower(type);
    }
    if (!subtype.empty()) {
        put(" SubType=");
        put_lower(subtype);
    }
    if (nth > 1) {
        put(" #");
        p = std::to_chars(p, out.data() + out.size(), nth).ptr;
    }
    out.resize(std::size_t(p - out.data()));
}

bool ElementWalk::next() {
    const std::string_view text = doc_.document;
    const std::string_view source_code = doc_.source_code;
    while (section_ < outline_.sections.size()) {
        const Section& s = outline_.sections[section_++];
        if (s.kind != kind_) continue;
        // An element without a label in the source language (or 0x00, where that stands in for
        // it) makes no row.
        labels_.clear();
        const BodyParts parts =
            read_body(text, s, source_code, doc_.zero_fallback,
                      [&](const LabelLine& label) { labels_.push_back(label); });
        if (!parts.source) continue;
        const std::string_view type_value = parts.type.value_or(std::string_view());
        const std::string_view subtype_value = parts.subtype.value_or(std::string_view());
        const int n = seen_.add(type_value, subtype_value);
        context_.clear();
        append_context(context_, kind_, type_value, subtype_value, n);
        return true;
    }
    return false;
}

int code_value(std::string_view code) {
    if (code.size() != 2) return -1;
    auto digit = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        const char l = char(c | 0x20);
        return l >= 'a' && l <= 'f' ? l - 'a' + 10 : -1;
    };
    const int high = digit(code[0]), low = digit(code[1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

void make_element_records(std::string_view text, const Outline& outline,
                          std::string_view source_code, bool zero_fallback,
                          ElementRecords& records) {
    records.labels.clear();
    for (std::vector<ElementRecord>& of_kind : records.kinds) of_kind.clear();
    std::array<ElementCounter, kKinds> seen;
    for (const Section& s : outline.sections) {
        if (s.kind < 0 || s.kind >= kKinds) continue;
        const std::size_t first_label = records.labels.size();
        const BodyParts parts =
            read_body(text, s, source_code, zero_fallback, [&](const LabelLine& label) {
                records.labels.push_back({offset_in(text, label.code),
                                          std::uint32_t(label.code_size), code_value(label.code),
                                          offset_in(text, label.text),
                                          std::uint32_t(label.text.size())});
            });
        if (!parts.source) {
            records.labels.resize(first_label);
            continue;
        }
        const std::string_view type = parts.type.value_or(std::string_view());
        const std::string_view subtype = parts.subtype.value_or(std::string_view());
        records.kinds[std::size_t(s.kind)].push_back(
            {std::uint32_t(first_label), std::uint32_t(records.labels.size() - first_label),
             type.empty() ? 0 : offset_in(text, type), std::uint32_t(type.size()),
             subtype.empty() ? 0 : offset_in(text, subtype), std::uint32_t(subtype.size()),
             std::uint32_t(seen[std::size_t(s.kind)].add(type, subtype))});
    }
}

const ElementRecords* element_records(const Document& doc) {
    ElementRecords& records = doc.element_records;
    if (doc.document.size() > UINT32_MAX) return nullptr;
    if (records.text == doc.document.data() && records.size == doc.document.size() &&
        records.generation == doc.text_generation && records.source_code == doc.source_code &&
        records.zero_fallback == doc.zero_fallback)
        return &records;
    make_element_records(doc.document, read_outline(doc.document), doc.source_code,
                         doc.zero_fallback, records);
    records.text = doc.document.data();
    records.size = doc.document.size();
    records.generation = doc.text_generation;
    records.source_code = doc.source_code;
    records.zero_fallback = doc.zero_fallback;
    return &records;
}

void append_record_context(std::string& out, std::string_view text, Kind kind,
                           const ElementRecord& r) {
    append_context(out, kind, text.substr(r.type, r.type_size),
                   text.substr(r.subtype, r.subtype_size), int(r.nth));
}

bool record_context_is(std::string_view context, std::string_view text, Kind kind,
                       const ElementRecord& r) {
    // Short parts, compared byte by byte without a call.
    const char* c = context.data();
    const char* const end = c + context.size();
    auto bytes = [&](std::string_view part) {
        if (std::size_t(end - c) < part.size()) return false;
        for (const char b : part)
            if (*c++ != b) return false;
        return true;
    };
    auto lower = [&](std::uint32_t at, std::uint32_t size) {
        if (std::size_t(end - c) < size) return false;
        for (std::uint32_t k = 0; k < size; ++k) {
            const char b = text[at + k];
            if (*c++ != (b >= 'A' && b <= 'Z' ? char(b | 0x20) : b)) return false;
        }
        return true;
    };
    if (!bytes(kContextKind[std::size_t(kind)])) return false;
    if (r.type_size != 0 && !(bytes(" Type=") && lower(r.type, r.type_size))) return false;
    if (r.subtype_size != 0 && !(bytes(" SubType=") && lower(r.subtype, r.subtype_size)))
        return false;
    if (r.nth <= 1) return c == end;
    char digits[16];
    const char* const digits_end = std::to_chars(digits, digits + sizeof digits, r.nth).ptr;
    return bytes(" #") && bytes(std::string_view(digits, std::size_t(digits_end - digits))) &&
           c == end;
}

} // namespace lex
