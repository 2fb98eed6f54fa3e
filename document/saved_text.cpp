#include "document/saved_text.h"

#include "document/document.h"
#include "document/elements.h"
#include "document/merge.h"
#include "document/text.h"

#include <algorithm>

namespace lex {

namespace {

constexpr std::size_t npos = std::string_view::npos;

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

std::string build_saved_text(const Document& st) {
    const std::string_view text = st.document;
    const Outline outline = read_outline(text);
    std::string out;
    out.reserve(text.size() + text.size() / 8 + 64);
    if (!outline.sections.empty()) out += text.substr(0, outline.sections.front().header);
    for (const Section& s : outline.sections) {
        if (s.kind != kOtherSection) continue;
        append_lead(out, text, s);
        append_section(out, text, s);
    }
    for (const Kind k : kAllKinds) {
        const std::vector<Row>& rows = st.rows(k);
        const std::size_t n = std::min(std::size_t(std::max(0, st.row_count(k))), rows.size());
        merge_kind(st, k, std::span<const Row>(rows.data(), n), text, outline, out);
    }
    append_lines(out, without_outer_empty_lines(text.substr(outline.tail)));
    return out;
}

} // namespace lex
