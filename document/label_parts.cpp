#include "document/label_parts.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <type_traits>

namespace lex::label_parts {

bool is_blank(char32_t c) {
    return c == ' ' || c == 0xA0;
}

bool is_digit(char32_t c) {
    return c >= '0' && c <= '9';
}

std::u32string_view trimmed(std::u32string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

namespace {

// The reading of numbers and codes works alike on characters and on ASCII bytes.
template <class View> std::size_t code_at_in(View s, std::size_t i) {
    if (i + 2 >= s.size() || s[i] != '~' || s[i + 1] != '[') return 0;
    const std::size_t close = s.find(']', i + 2);
    return close == s.npos || close - i > 12 ? 0 : close - i + 1;
}

} // namespace

std::size_t code_at(std::u32string_view s, std::size_t i) {
    return code_at_in(s, i);
}

namespace {

// The next run of digits of `s` from `i` on, or an empty view when there is none. The digits of
// a style's code "~[0x1f]" are no number: "Brackets and marks" tells a code that went.
template <class View> View next_digit_run(View s, std::size_t& i) {
    while (i < s.size() && !is_digit(char32_t(s[i]))) {
        const std::size_t code = code_at_in(s, i);
        i += code > 0 ? code : 1;
    }
    const std::size_t start = i;
    while (i < s.size() && is_digit(char32_t(s[i]))) ++i;
    return s.substr(start, i - start);
}

// The runs of digits of `s` into `runs`, sorted; false when there are more than it holds.
template <class View, std::size_t N>
bool digit_runs(View s, std::array<View, N>& runs, std::size_t& n) {
    n = 0;
    std::size_t i = 0;
    for (View run = next_digit_run(s, i); !run.empty(); run = next_digit_run(s, i)) {
        if (n == N) return false;
        runs[n++] = run;
    }
    std::sort(runs.begin(), runs.begin() + std::ptrdiff_t(n));
    return true;
}

template <class View> std::vector<std::string> numbers_in(View s) {
    std::vector<std::string> out;
    std::size_t i = 0;
    for (View run = next_digit_run(s, i); !run.empty(); run = next_digit_run(s, i))
        out.emplace_back(run.begin(), run.end());
    std::sort(out.begin(), out.end());
    return out;
}

template <class View> bool same_numbers_in(View source, View target) {
    for (std::size_t i = 0, j = 0;;) {
        const View a = next_digit_run(source, i);
        const View b = next_digit_run(target, j);
        if (a != b) break;
        if (a.empty()) return true;
    }
    std::array<View, 8> a, b;
    std::size_t na = 0, nb = 0;
    if (digit_runs(source, a, na) && digit_runs(target, b, nb))
        return std::equal(a.begin(), a.begin() + std::ptrdiff_t(na), b.begin(),
                          b.begin() + std::ptrdiff_t(nb));
    return numbers_in(source) == numbers_in(target);
}

} // namespace

std::vector<std::string> numbers(std::u32string_view s) {
    return numbers_in(s);
}

bool same_numbers(std::u32string_view source, std::u32string_view target) {
    return same_numbers_in(source, target);
}

bool same_numbers(std::string_view source, std::string_view target) {
    return same_numbers_in(source, target);
}

Marks marks_of(std::u32string_view text) {
    Marks m;
    const std::u32string_view s = trimmed(text);
    for (std::size_t i = 0; i < s.size();) {
        if (const std::size_t n = code_at(s, i)) {
            std::u32string code(s.substr(i, n));
            for (char32_t& c : code) c = (c >= 'A' && c <= 'F') ? c - 'A' + 'a' : c;
            if (i == 0) m.lead = code;
            if (i + n == s.size()) m.tail = code;
            m.codes.push_back(std::move(code));
            i += n;
            continue;
        }
        if (const std::size_t at = kPaired.find(s[i]); at != kPaired.npos) {
            ++m.count[at];
            // A square bracket around a label is the style's mark; other brackets and quotes
            // may move with the words.
            if (i == 0 && s[i] == '[') m.lead = s.substr(i, 1);
            if (i + 1 == s.size() && s[i] == ']') m.tail = s.substr(i, 1);
        }
        ++i;
    }
    std::sort(m.codes.begin(), m.codes.end());
    return m;
}

bool has_double_blank(std::u32string_view s) {
    for (std::size_t i = 1; i < s.size(); ++i)
        if (is_blank(s[i]) && is_blank(s[i - 1])) return true;
    return false;
}

std::vector<std::u32string> marked_words(std::u32string_view s, char32_t mark) {
    std::vector<std::u32string> out;
    for (std::size_t i = 0; i + 1 < s.size(); ++i) {
        if (s[i] != mark || is_blank(s[i + 1]) || s[i + 1] == mark) continue;
        if (i > 0 && !is_blank(s[i - 1]) && kPaired.find(s[i - 1]) == kPaired.npos) continue;
        std::size_t end = i + 1;
        while (end < s.size() && !is_blank(s[end])) ++end;
        out.emplace_back(s.substr(i, end - i));
    }
    return out;
}

namespace {

enum Class : unsigned {
    kDigit = 1,
    kMark = 2,
    kEngineMark = 4,
    kControl = 8,
    kHigh = 16,
    kBlank = 32,
    kTilde = 64,
    kBeyond = 128,
};

constexpr std::array<unsigned char, 256> kByteClass = [] {
    std::array<unsigned char, 256> t{};
    for (int b = '0'; b <= '9'; ++b) t[std::size_t(b)] |= kDigit;
    for (const char c : std::string_view("()[]{}\"~")) t[static_cast<unsigned char>(c)] |= kMark;
    for (const char c : std::string_view("*@#")) t[static_cast<unsigned char>(c)] |= kEngineMark;
    for (int b = 0; b < 0x20; ++b) t[std::size_t(b)] |= kControl;
    t[0x7F] |= kControl;
    t[' '] |= kBlank;
    t['~'] |= kTilde;
    for (int b = 0x80; b < 0x100; ++b) t[std::size_t(b)] |= kHigh;
    return t;
}();

unsigned class_of(char c) {
    return kByteClass[static_cast<unsigned char>(c)];
}

unsigned class_of(char32_t c) {
    if (c < 0x80) return kByteClass[c];
    if (c == 0xA0) return kHigh | kBlank;
    if (c <= 0x9F) return kHigh | kControl;
    return c > 0x10FFFF ? kHigh | kBeyond : kHigh;
}

// The hash of blankless_hash, a byte at a time. Without a branch: blanks stand anywhere.
struct BlanklessHash {
    std::uint64_t h = 0;
    // `cls`: the byte's class, which tells a blank; a tab is taken for one too.
    void add(char c, unsigned cls) {
        const auto b = static_cast<unsigned char>(c);
        const bool take = !(cls & kBlank) && b != '\t';
        h = take ? std::rotl(h, 7) ^ (b | 0x20u) : h;
    }
    std::uint32_t value() const {
        const std::uint64_t x = h * 0x9E3779B97F4A7C15ull;
        return std::uint32_t((x ^ (x >> 29)) >> 32);
    }
};

struct NoHash {
    void add(char32_t, unsigned) {}
};

// One pass over a label; over bytes it ends at the first byte beyond ASCII.
template <class View, class Hash> Scan<View> scan(View s, Hash& hash) {
    Scan<View> out;
    unsigned classes = 0, pairs = 0, before = 0;
    std::size_t first_digit = s.size(), last_digit = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned cls = class_of(s[i]);
        classes |= cls;
        pairs |= before & cls; // two of one class in a row: of interest for blanks
        before = cls;
        // Without a branch: digits stand anywhere.
        const std::size_t digit = cls & kDigit;
        first_digit = std::min(first_digit, digit ? i : s.size());
        last_digit = digit ? i : last_digit;
        hash.add(s[i], cls);
        if constexpr (std::is_same_v<View, std::string_view>) {
            if (cls & kHigh) break;
        }
    }
    out.trimmed = trimmed(s);
    out.ascii = !(classes & kHigh);
    if constexpr (std::is_same_v<View, std::string_view>) {
        if (!out.ascii) return out;
    }
    out.digits = classes & kDigit;
    out.marks = classes & kMark;
    out.codes = classes & kTilde;
    out.engine_marks = classes & kEngineMark;
    out.controls = classes & kControl;
    out.beyond = classes & kBeyond;
    if (out.digits) out.digit_span = s.substr(first_digit, last_digit - first_digit + 1);
    if (classes & kBlank) {
        out.lead_blank = class_of(s.front()) & kBlank;
        out.tail_blank = class_of(s.back()) & kBlank;
        out.double_blank = (pairs & kBlank) && has_double_blank(out.trimmed);
    }
    return out;
}

} // namespace

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

bool has_double_blank(std::string_view s) {
    return s.find("  ") != s.npos;
}

ByteScan scan_bytes(std::string_view bytes) {
    NoHash none;
    return scan(bytes, none);
}

ByteScan scan_bytes(std::string_view bytes, std::uint32_t& hash) {
    BlanklessHash h;
    const ByteScan out = scan(bytes, h);
    hash = h.value();
    return out;
}

CharScan scan_chars(std::u32string_view chars) {
    NoHash none;
    return scan(chars, none);
}

CharScan widened(const ByteScan& scan, std::string_view bytes, std::u32string_view chars) {
    auto same_place = [&](std::string_view part) {
        return part.empty() ? std::u32string_view()
                            : chars.substr(std::size_t(part.data() - bytes.data()), part.size());
    };
    CharScan out;
    out.trimmed = same_place(scan.trimmed);
    out.digit_span = same_place(scan.digit_span);
    out.ascii = scan.ascii;
    out.digits = scan.digits;
    out.marks = scan.marks;
    out.codes = scan.codes;
    out.engine_marks = scan.engine_marks;
    out.controls = scan.controls;
    out.beyond = scan.beyond;
    out.lead_blank = scan.lead_blank;
    out.tail_blank = scan.tail_blank;
    out.double_blank = scan.double_blank;
    return out;
}

std::uint32_t blankless_hash(std::string_view bytes) {
    BlanklessHash h;
    for (const char c : bytes) h.add(c, class_of(c));
    return h.value();
}

} // namespace lex::label_parts
