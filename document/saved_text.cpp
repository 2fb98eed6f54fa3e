#include "document/saved_text.h"

#include "document/elements.h"
#include "document/merge.h"
#include "document/state.h"
#include "document/text.h"

#include <algorithm>

namespace lex {

namespace {

constexpr std::size_t npos = std::string_view::npos;

void append_line_text(std::string& out, std::string_view s) {
    // A row's text is one line: a line break in it would split the pair list and the label.
    if (s.find('\r') == npos && s.find('\n') == npos) {
        out += s;
        return;
    }
    for (char c : s)
        if (c != '\r' && c != '\n') out.push_back(c);
}

// Whole lines of `s` from its first to its last one that is not empty, or "".
std::string_view without_outer_empty_lines(std::string_view s) {
    std::size_t b = 0;
    while (b < s.size() && (s[b] == '\r' || s[b] == '\n')) ++b;
    if (b == s.size()) return {};
    while (b > 0 && s[b - 1] != '\n') --b; // keep a line's own start
    std::size_t e = s.size();
    while (e > b && (s[e - 1] == '\r' || s[e - 1] == '\n')) --e;
    const std::size_t lf = s.find('\n', e);
    return s.substr(b, (lf == npos ? s.size() : lf + 1) - b);
}

} // namespace

void fill_pair_lists(State& st) {
    for (int k = 0; k < kKinds; ++k) {
        Pane& pane = st.pane(k);
        std::string& list = pane.pair_list;
        list.clear();
        const std::size_t n = std::min(std::size_t(std::max(0, st.row_count(k))), pane.rows.size());
        for (std::size_t r = 0; r < n; ++r) {
            append_line_text(list, pane.rows[r].caption);
            list += '#';
            append_line_text(list, pane.rows[r].text);
            list += kCrLf;
        }
    }
}

std::string build_saved_text(State& st) {
    const std::string_view text = st.document;
    const Outline outline = read_outline(text);
    fill_pair_lists(st);
    std::string out;
    out.reserve(text.size() + text.size() / 8 + 64);
    if (!outline.sections.empty()) out += text.substr(0, outline.sections.front().header);
    for (const Section& s : outline.sections) {
        if (s.kind != kOtherSection) continue;
        append_lead(out, text, s);
        append_section(out, text, s);
    }
    for (int k = 0; k < kKinds; ++k) merge_kind(st, k, text, outline, out);
    append_lines(out, without_outer_empty_lines(text.substr(outline.tail)));
    return out;
}

} // namespace lex
