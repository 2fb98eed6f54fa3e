#include "document/label_parts.h"

#include <algorithm>

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

std::size_t code_at(std::u32string_view s, std::size_t i) {
    if (i + 2 >= s.size() || s[i] != '~' || s[i + 1] != '[') return 0;
    const std::size_t close = s.find(U']', i + 2);
    return close == s.npos || close - i > 12 ? 0 : close - i + 1;
}

namespace {

// The next run of digits of `s` from `i` on, or an empty view when there is none. The digits of
// a style's code "~[0x1f]" are no number: "Brackets and marks" tells a code that went.
std::u32string_view next_digit_run(std::u32string_view s, std::size_t& i) {
    while (i < s.size() && !is_digit(s[i])) {
        const std::size_t code = code_at(s, i);
        i += code > 0 ? code : 1;
    }
    const std::size_t start = i;
    while (i < s.size() && is_digit(s[i])) ++i;
    return s.substr(start, i - start);
}

// The runs of digits of `s` into `runs`, sorted; false when there are more than it holds.
template <std::size_t N>
bool digit_runs(std::u32string_view s, std::array<std::u32string_view, N>& runs, std::size_t& n) {
    n = 0;
    std::size_t i = 0;
    for (std::u32string_view run = next_digit_run(s, i); !run.empty(); run = next_digit_run(s, i)) {
        if (n == N) return false;
        runs[n++] = run;
    }
    std::sort(runs.begin(), runs.begin() + std::ptrdiff_t(n));
    return true;
}

} // namespace

std::vector<std::string> numbers(std::u32string_view s) {
    std::vector<std::string> out;
    std::size_t i = 0;
    for (std::u32string_view run = next_digit_run(s, i); !run.empty(); run = next_digit_run(s, i))
        out.emplace_back(run.begin(), run.end());
    std::sort(out.begin(), out.end());
    return out;
}

bool same_numbers(std::u32string_view source, std::u32string_view target) {
    for (std::size_t i = 0, j = 0;;) {
        const std::u32string_view a = next_digit_run(source, i);
        const std::u32string_view b = next_digit_run(target, j);
        if (a != b) break;
        if (a.empty()) return true;
    }
    std::array<std::u32string_view, 8> a, b;
    std::size_t na = 0, nb = 0;
    if (digit_runs(source, a, na) && digit_runs(target, b, nb))
        return std::equal(a.begin(), a.begin() + std::ptrdiff_t(na), b.begin(),
                          b.begin() + std::ptrdiff_t(nb));
    return numbers(source) == numbers(target);
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

} // namespace lex::label_parts
