#include "document/typ_file.h"

#include "document/lines.h"
#include "document/single_byte.h"
#include "document/text.h"
#include "document/ui.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <unordered_set>

namespace lex {

namespace {

// Whether the line holding position `at` is a comment.
bool in_comment_line(std::string_view text, std::size_t at) {
    const std::size_t lf = text.rfind('\n', at);
    return is_comment_line(line_at(text, lf == std::string_view::npos ? 0 : lf + 1));
}

} // namespace

void normalize_language_codes(std::string& text) {
    static constexpr std::string_view kKey = "=0x2F";
    // Only the "2F" of the current key changes: no other key starts or ends there.
    for_each_pair(text, '=', 4, 'F', [&](std::size_t at) {
        if (std::string_view(text).substr(at, kKey.size()) != kKey) return true;
        std::size_t d = at;
        while (d > 0 && at - d < 3 && text[d - 1] >= '0' && text[d - 1] <= '9') --d;
        std::string_view digits(text.data() + d, at - d);
        bool digitsOk = !digits.empty() && digits.size() <= 2 && digits[0] != '0' &&
                        (d == 0 || text[d - 1] < '0' || text[d - 1] > '9');
        if (digitsOk && d >= 6 && std::string_view(text.data() + d - 6, 6) == "String") {
            int n = std::stoi(std::string(digits));
            if (n >= 1 && n <= 47 && !in_comment_line(text, at)) {
                text[at + 3] = '0';
                text[at + 4] = '0';
            }
        }
        return true;
    });
}

namespace {

bool is_end_variant(std::string_view line) {
    std::size_t b = line.find_first_not_of(" \t");
    if (b == std::string_view::npos || line[b] != '[') return false;
    std::size_t e = line.find_last_not_of(" \t");
    std::string_view core = line.substr(b, e - b + 1);
    return core.size() == 5 && to_lower(core) == "[end]" && line != "[end]";
}

// Whether the '[' at `at` begins a section end written in another case or with blanks around it.
bool end_variant_at(std::string_view text, std::size_t at) {
    const char* d = text.data();
    const std::size_t n = text.size();
    if (n - at < 5 || (d[at + 1] != 'e' && d[at + 1] != 'E')) return false;
    // The usual line "[end]" CR LF needs no closer look.
    if (std::memcmp(d + at, "[end]", 5) == 0 && (at == 0 || d[at - 1] == '\n') &&
        (n - at == 5 || d[at + 5] == '\r'))
        return false;
    std::size_t b = at;
    while (b > 0 && (d[b - 1] == ' ' || d[b - 1] == '\t')) --b;
    if (b > 0 && d[b - 1] != '\n') return false;
    std::size_t e = text.find('\n', at);
    if (e == std::string_view::npos) e = n;
    // A CR that ends the text ends its last line, as a CR before an LF does.
    std::size_t lineEnd = (e > b && d[e - 1] == '\r') ? e - 1 : e;
    return is_end_variant(std::string_view(d + b, lineEnd - b));
}

} // namespace

TextChecks check_text(std::string_view text) {
    TextChecks found;
    const char* d = text.data();
    const std::size_t n = text.size();
    constexpr std::string_view kObsolete = "=0x2F", kComments = "COMMENTAIRES",
                               kTypeKey = ";grmn_type";
    // What the byte at `at` starts, if anything.
    auto look = [&](std::size_t at) {
        switch (d[at]) {
        case '\n':
            found.line_repairs = found.line_repairs || at == 0 || d[at - 1] != '\r';
            break;
        case '[':
            found.line_repairs = found.line_repairs || end_variant_at(text, at);
            break;
        case '=':
            found.obsolete_code = found.obsolete_code || text.substr(at, 5) == kObsolete;
            break;
        case 'C':
            found.foreign_mark = found.foreign_mark || text.substr(at, 12) == kComments;
            break;
        case ';':
            found.foreign_mark =
                found.foreign_mark || ifind(text.substr(at, kTypeKey.size()), kTypeKey) == 0;
            break;
        default:
            break;
        }
    };
    if (n == 0) return found;
    look(0);
    std::size_t i = 1;
#if defined(__SSE2__) || defined(_M_X64)
    // Sixty-four bytes at a time; only the bytes that may start something are looked at: an LF
    // after no CR, a '[', an '=' with an 'F' four bytes on, a 'C' or a ';'. Most blocks hold
    // one '[' at most.
    auto load = [&](std::size_t at) { return detail::load16(text, at); };
    auto is = [](__m128i v, char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
    auto candidates = [&](std::size_t at) {
        const __m128i cur = load(at);
        const __m128i bare = _mm_andnot_si128(is(load(at - 1), '\r'), is(cur, '\n'));
        const __m128i key = _mm_and_si128(is(cur, '='), is(load(at + 4), 'F'));
        const __m128i mark = _mm_or_si128(is(cur, 'C'), is(cur, ';'));
        return _mm_or_si128(_mm_or_si128(bare, key), _mm_or_si128(mark, is(cur, '[')));
    };
    auto look_on = [&](std::size_t at) {
        look(at);
        return !(found.line_repairs && found.obsolete_code && found.foreign_mark);
    };
    if (n > 4) i = detail::for_each_hit(i, n - 4, candidates, look_on);
    if (i == std::string_view::npos) return found;
#endif
    for (; i < n; ++i) look(i);
    return found;
}

bool refuse_foreign_file(Ui& ui, const std::string& text, const TextChecks& checks) {
    const bool refused = !contains(text, "generated by Stylora") || checks.foreign_mark;
    if (refused) ui.message({MessageId::kNotAStyleFile, "Not a Stylora file"});
    return refused;
}

bool refuse_foreign_file(Ui& ui, const std::string& text) {
    return refuse_foreign_file(ui, text, check_text(text));
}

const char* open_refusal(const std::string& text) {
    if (!contains(text, "generated by Stylora") || check_text(text).foreign_mark)
        return "Not a Stylora file";
    return typ_refusal(text);
}

void normalize_document(std::string& text) {
    if (!check_text(text).line_repairs) return;
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    std::size_t start = 0;
    const std::size_t n = text.size();
    while (start <= n) {
        const char* nl = static_cast<const char*>(
            start < n ? std::memchr(text.data() + start, '\n', n - start) : nullptr);
        std::size_t end = nl ? std::size_t(nl - text.data()) : n;
        std::size_t lineEnd = end;
        // A CR that ends the text ends its last line and stays.
        if (lineEnd > start && text[lineEnd - 1] == '\r') --lineEnd;
        std::string_view line(text.data() + start, lineEnd - start);
        if (line.size() >= 5 && line.size() < 64 && is_end_variant(line))
            out.append("[end]");
        else
            out.append(line);
        if (!nl) {
            out.append(text, lineEnd, end - lineEnd);
            break;
        }
        out.append(kCrLf);
        start = end + 1;
    }
    text.swap(out);
}

namespace {

// Where the number of the text's CodePage line stands: its offset and its digits' count (0 and 0
// when no line outside the comments says one).
struct CodePageValue {
    std::size_t at = 0;
    std::size_t digits = 0;
    int value = 0;
};

CodePageValue find_codepage_value(std::string_view text) {
    constexpr std::string_view kKey = "codepage";
    for (std::size_t at = ifind(text, kKey); at != std::string_view::npos;
         at = ifind(text, kKey, at + kKey.size())) {
        std::size_t start = at;
        while (start > 0 && (text[start - 1] == ' ' || text[start - 1] == '\t')) --start;
        if (start > 0 && text[start - 1] != '\n') continue; // inside a line, or a comment
        const std::string_view rest = line_at(text, at).substr(kKey.size());
        std::size_t i = rest.find_first_not_of(" \t");
        if (i == std::string_view::npos || rest[i] != '=') continue;
        i = rest.find_first_not_of(" \t", i + 1);
        CodePageValue v;
        v.at = at + kKey.size() + i;
        for (; i < rest.size() && v.digits < 9 && rest[i] >= '0' && rest[i] <= '9'; ++i, ++v.digits)
            v.value = v.value * 10 + (rest[i] - '0');
        if (v.digits > 0) return v;
    }
    return {};
}

} // namespace

int declared_codepage(std::string_view text) {
    return find_codepage_value(text).value;
}

bool set_declared_codepage(std::string& text, int codepage) {
    const CodePageValue v = find_codepage_value(text);
    if (v.digits == 0) return false;
    text.replace(v.at, v.digits, std::to_string(codepage));
    return true;
}

namespace {

// The next byte above 127 from `i` on, or npos.
std::size_t next_high_byte(std::string_view s, std::size_t i) {
#if defined(__SSE2__) || defined(_M_X64)
    for (; i + 16 <= s.size(); i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
        const unsigned high = unsigned(_mm_movemask_epi8(chunk));
        if (high) return i + unsigned(std::countr_zero(high));
    }
#endif
    for (; i < s.size(); ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80) return i;
    return std::string_view::npos;
}

} // namespace

bool labels_look_utf8(std::string_view text) {
    bool multibyte = false;
    // Lines are looked at only where a byte above 127 stands, so an ASCII text costs one scan.
    for (std::size_t i = next_high_byte(text, 0); i != std::string_view::npos;
         i = next_high_byte(text, i)) {
        const std::size_t lf = text.rfind('\n', i);
        const std::size_t start = lf == std::string_view::npos ? 0 : lf + 1;
        if (const auto label = parse_label_line(line_at(text, start))) {
            const std::string_view t = label->text;
            for (std::size_t k = 0; k < t.size();) {
                const std::size_t size = utf8_char_size(t, k);
                if (size == 0) return false;
                multibyte = multibyte || size > 1;
                k += size;
            }
        }
        const std::size_t next = text.find('\n', i);
        if (next == std::string_view::npos) break;
        i = next + 1;
    }
    return multibyte;
}

namespace {

// Calls f(line, offset, label) for every label line of `text` that holds a byte above 127,
// reading only the lines where such a byte stands.
template <class F> void for_each_high_label(std::string_view text, F&& f) {
    for (std::size_t i = next_high_byte(text, 0); i != std::string_view::npos;
         i = next_high_byte(text, i)) {
        const std::size_t lf = text.rfind('\n', i);
        const std::size_t start = lf == std::string_view::npos ? 0 : lf + 1;
        const std::string_view line = line_at(text, start);
        if (const auto label = parse_label_line(line)) f(line, start, *label);
        i = start + line.size();
        if (i >= text.size()) break;
    }
}

} // namespace

LabelRecoding recode_utf8_labels(std::string& text, int codepage, bool apply) {
    LabelRecoding result;
    std::string out;
    std::size_t copied = 0;
    for_each_high_label(text, [&](std::string_view, std::size_t at, const LabelLine& label) {
        const auto bytes = utf8_to_single_byte(label.text, codepage);
        if (!bytes) {
            result.misfits.emplace_back(trim(label.text));
            return;
        }
        ++result.converted;
        if (!apply) return;
        const std::size_t textAt = at + label.text_at;
        out.append(text, copied, textAt - copied);
        out += *bytes;
        copied = textAt + label.text.size();
    });
    if (apply && result.converted > 0) {
        out.append(text, copied);
        text.swap(out);
    }
    return result;
}

std::vector<std::string> new_undefined_labels(std::string_view written, std::string_view before,
                                              int codepage) {
    std::vector<std::string> found;
    if (!has_byte_table(codepage)) return found;
    std::vector<std::string_view> lines;
    for_each_high_label(written, [&](std::string_view line, std::size_t, const LabelLine& label) {
        if (!defines_every_byte(label.text, codepage)) lines.push_back(line);
    });
    if (lines.empty()) return found;
    // Labels the document already held as they are written are not the save's doing.
    std::unordered_set<std::string_view> held;
    for_each_high_label(before, [&](std::string_view line, std::size_t, const LabelLine& label) {
        if (!defines_every_byte(label.text, codepage)) held.insert(line);
    });
    for (std::string_view line : lines)
        if (!held.contains(line)) found.emplace_back(trim(parse_label_line(line)->text));
    return found;
}

bool is_single_byte_codepage(int codepage) {
    switch (codepage) {
    case 932:
    case 936:
    case 949:
    case 950:
    case 1200:
    case 1201:
    case 1361:
    case 20932:
    case 20936:
    case 20949:
        return false;
    default:
        return codepage > 0 && codepage < 50000;
    }
}

const char* typ_refusal(const std::string& text) {
    if (!contains(text, "[_id]")) return "Not  Stylora txt file";
    if (!icontains(text, "codepage")) return "Cannot find codepage";
    if (!text.empty() && static_cast<unsigned char>(text[0]) == 239)
        return "This is a utf8 file. Please load a non utf8 txt file";
    return nullptr;
}

} // namespace lex
