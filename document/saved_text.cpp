#include "document/saved_text.h"

#include "document/document.h"
#include "document/elements.h"
#include "document/merge.h"
#include "document/text.h"
#include "document/typ_file.h"

#include <algorithm>
#include <vector>

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
    const std::vector<std::size_t> loose = loose_line_ends(text);
    for (const Kind k : kAllKinds) {
        const std::vector<Row>& rows = st.rows(k);
        const std::size_t n = std::min(std::size_t(std::max(0, st.row_count(k))), rows.size());
        merge_kind(st, k, std::span<const Row>(rows.data(), n), text, outline, loose, out);
    }
    append_lines(out, without_outer_empty_lines(text.substr(outline.tail)));
    return out;
}

namespace {

// A line of a text: its bytes without the line end, and the line end ("\r\n", "\n" or "").
struct TextLine {
    std::string_view bytes;
    std::string_view end;
};

std::vector<TextLine> text_lines(std::string_view text) {
    std::vector<TextLine> lines;
    lines.reserve(text.size() / 24 + 1);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find('\n', start);
        if (lf == npos) {
            lines.push_back({text.substr(start), {}});
            break;
        }
        const std::size_t stop = lf > start && text[lf - 1] == '\r' ? lf - 1 : lf;
        lines.push_back({text.substr(start, stop - start), text.substr(stop, lf + 1 - stop)});
        start = lf + 1;
    }
    return lines;
}

} // namespace

std::string restore_original_lines(std::string_view text, std::string_view original) {
    std::string repaired(original);
    const TextChecks checks = check_text(repaired);
    if (checks.obsolete_code) normalize_language_codes(repaired);
    if (checks.line_repairs) normalize_document(repaired);
    const std::vector<TextLine> want = text_lines(text);
    const std::vector<TextLine> orig = text_lines(original);
    const std::vector<TextLine> read = text_lines(repaired);
    if (orig.size() != read.size()) return std::string(text); // the repairs keep every line
    const std::string_view style =
        !orig.empty() && !orig.front().end.empty() ? orig.front().end : kCrLf;
    constexpr std::size_t kLookAhead = 64;

    std::string out;
    out.reserve(original.size() + text.size() / 16 + 64);
    std::size_t i = 0; // in `want`
    std::size_t j = 0; // in `orig` and `read`
    auto put_new = [&](const TextLine& line, std::string_view end) {
        out += line.bytes;
        if (!line.end.empty()) out += end.empty() ? style : end;
    };
    while (i < want.size()) {
        if (j < read.size() && want[i].bytes == read[j].bytes) {
            out += orig[j].bytes;
            // The line keeps its own end; one that gained a line after it gets the file's.
            if (!want[i].end.empty()) out += orig[j].end.empty() ? style : orig[j].end;
            ++i;
            ++j;
            continue;
        }
        // Lines taken out of the original, or put into the text: the nearer match wins.
        std::size_t removed = 0, added = 0;
        for (std::size_t d = 1; d <= kLookAhead && j + d < read.size(); ++d)
            if (read[j + d].bytes == want[i].bytes) {
                removed = d;
                break;
            }
        for (std::size_t d = 1; d <= kLookAhead && j < read.size() && i + d < want.size(); ++d)
            if (want[i + d].bytes == read[j].bytes) {
                added = d;
                break;
            }
        if (removed > 0 && (added == 0 || removed <= added)) {
            j += removed;
        } else if (added > 0) {
            for (std::size_t d = 0; d < added; ++d) put_new(want[i + d], {});
            i += added;
        } else { // a line changed in place
            put_new(want[i], j < orig.size() ? orig[j].end : std::string_view());
            ++i;
            if (j < read.size()) ++j;
        }
    }
    return out;
}

std::string build_layout_kept_text(const Document& st) {
    const std::string_view text = st.document;
    std::string out;
    out.reserve(text.size() + 256);
    merge_keeping_layout(st, text, read_outline(text), out);
    if (st.file_bytes.empty()) return out;
    return restore_original_lines(out, st.file_bytes);
}

} // namespace lex
