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

// A hash of a context: a few multiplications over eight bytes at a time. Contexts are short and
// a pass hashes one per element.
std::size_t context_hash(std::string_view s) {
    std::uint64_t h = s.size();
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        h = std::rotl((h ^ w) * 0x9E3779B97F4A7C15ull, 27);
    }
    if (i < s.size()) {
        std::uint64_t w = 0;
        std::memcpy(&w, s.data() + i, s.size() - i);
        h = std::rotl((h ^ w) * 0x9E3779B97F4A7C15ull, 27);
    }
    // Every bit of the input reaches the low bits that pick a slot.
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return std::size_t(h);
}

// Spaces around `s` left out, as trim() does, without a call.
std::string_view trim_spaces(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    return s.substr(b, e - b);
}

} // namespace

int ContextCounter::add(std::string_view context) {
    if ((used_ + 1) * 2 > slots_.size()) grow();
    const std::size_t hash = context_hash(context);
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

namespace {

// Calls f(i) for every '=' at text[i] with from <= i < to, in order. The blocks of sixteen
// bytes may read past `to` (an element's body is followed by its "[end]" line) but never past
// the text; the hits past `to` are dropped.
template <class F>
void for_each_equals(std::string_view text, std::size_t from, std::size_t to, F&& f) {
    std::size_t i = from;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i needle = _mm_set1_epi8('=');
    for (; i < to && i + 16 <= text.size(); i += 16) {
        unsigned mask =
            unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(detail::load16(text, i), needle)));
        if (to - i < 16) mask &= (1u << (to - i)) - 1;
        for (; mask; mask &= mask - 1) f(i + unsigned(std::countr_zero(mask)));
    }
#endif
    for (; i < to; ++i)
        if (text[i] == '=') f(i);
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

// Reads the line of text[from, to) that holds the '=' at `eq` as the walk reads it; calls
// type(view) for a Type line, label(line, eq in line) for a line that may be a label line (the
// callee tells it from a SubType line), and returns where the next line starts, or 0 when the
// line is none of these (the next '=' may then be on the same line).
template <class Type, class Label>
std::size_t read_line(std::string_view text, std::size_t from, std::size_t to, std::size_t eq,
                      Type&& type, Label&& label) {
    std::size_t start = eq;
    while (start > from && text[start - 1] != '\n') --start;
    // Type, SubType and label lines begin, blanks aside, with 't' or 's'.
    std::size_t lead = start;
    while (text[lead] == ' ' || text[lead] == '\t') ++lead;
    if (const char c = char(text[lead] | 0x20); c != 's' && c != 't') return 0;
    const std::size_t lf = find_near(text.substr(0, to), '\n', eq);
    std::size_t end = lf == npos ? to : lf;
    const std::size_t next = end + 1;
    if (end > start && text[end - 1] == '\r') --end;
    const std::string_view line = text.substr(start, end - start);
    const std::string_view t = trim_spaces(line);
    if (char(t.front() | 0x20) == 't') // t holds the '='
        type(t);
    else
        label(line, eq - start);
    return next;
}

std::uint32_t offset_in(std::string_view text, std::string_view part) {
    return std::uint32_t(part.data() - text.data());
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
        // The first Type and SubType lines, and the label lines: every one holds a '=', and
        // only the lines with one are looked at. An element without a label in the source
        // language (or 0x00, where that stands in for it) makes no row.
        std::optional<std::string_view> type, subtype;
        bool source = false;
        labels_.clear();
        std::size_t next_line = 0;
        for_each_equals(text, s.body, s.end_line, [&](std::size_t eq) {
            if (eq < next_line) return; // a second '=' of a line already read
            const std::size_t next = read_line(
                text, s.body, s.end_line, eq,
                [&](std::string_view t) {
                    if (!type) type = key_value(t, "type");
                },
                [&](std::string_view line, std::size_t line_eq) {
                    LabelLine& label = labels_.emplace_back();
                    if (read_label_line(line, line_eq, label)) {
                        source = source || label_code_is(label, source_code) ||
                                 (doc_.zero_fallback && label.code == "00");
                        return;
                    }
                    labels_.pop_back();
                    if (!subtype) subtype = key_value(trim_spaces(line), "subtype");
                });
            if (next) next_line = next;
        });
        if (!source) continue;
        body_ = body_text(text, s);
        const std::string_view type_value = type ? *type : std::string_view();
        const std::string_view subtype_value = subtype ? *subtype : std::string_view();
        context_.clear();
        append_context(context_, kind_, type_value, subtype_value, 1);
        const int n = seen_.add(context_);
        if (n > 1) {
            context_ += " #";
            context_ += std::to_string(n);
        }
        record_.labels = 0;
        record_.label_count = std::uint32_t(labels_.size());
        record_.type = type_value.empty() ? 0 : offset_in(text, type_value);
        record_.type_size = std::uint32_t(type_value.size());
        record_.subtype = subtype_value.empty() ? 0 : offset_in(text, subtype_value);
        record_.subtype_size = std::uint32_t(subtype_value.size());
        record_.nth = std::uint32_t(n);
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

const ElementRecords* element_records(const Document& doc) {
    ElementRecords& records = doc.element_records;
    if (doc.document.size() > UINT32_MAX) return nullptr;
    if (records.text == doc.document.data() && records.size == doc.document.size() &&
        records.generation == doc.text_generation && records.source_code == doc.source_code &&
        records.zero_fallback == doc.zero_fallback)
        return &records;
    const Outline outline = read_outline(doc.document);
    records.labels.clear();
    for (const Kind kind : kAllKinds) {
        std::vector<ElementRecord>& of_kind = records.kinds[std::size_t(kind)];
        of_kind.clear();
        ElementWalk walk(doc, kind, outline);
        while (walk.next()) {
            ElementRecord& record = of_kind.emplace_back(walk.record());
            record.labels = std::uint32_t(records.labels.size());
            for (const LabelLine& label : walk.labels())
                records.labels.push_back({offset_in(doc.document, label.code),
                                          std::uint32_t(label.code.size()), code_value(label.code),
                                          offset_in(doc.document, label.text),
                                          std::uint32_t(label.text.size())});
        }
    }
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
