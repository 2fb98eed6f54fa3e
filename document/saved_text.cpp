#include "document/saved_text.h"

#include "document/merge.h"
#include "document/state.h"
#include "document/text.h"

#include <algorithm>
#include <array>
#include <vector>

namespace lex {

namespace {

constexpr std::string_view kEnd = "[end]";
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

} // namespace

std::string assemble_sections(std::string_view document) {
    // First the pieces of each group, then one text of the exact size.
    std::array<std::vector<std::string_view>, 4> groups; // other sections, polygons, lines, points
    std::size_t size = 0;
    std::size_t start = 0;
    for (bool first = true;; first = false) {
        const std::size_t at = document.find(kEnd, start);
        std::string_view piece = document.substr(start, at == npos ? npos : at - start);
        // The rest of the previous "[end]" line: the assembly ends that line itself.
        if (!first && piece.starts_with(kCrLf)) piece.remove_prefix(kCrLf.size());

        const std::size_t closed = piece.size() + kCrLf.size() + 7; // + CR LF "[end]" CR LF
        bool element = false;
        for (std::size_t k = 0; k < kKinds; ++k) {
            if (piece.find(kSectionMarker[k]) != npos) {
                groups[k + 1].push_back(piece);
                size += closed;
                element = true;
            }
        }
        // Text with no section at all (the tail after the last "[end]") is dropped.
        if (!element && piece.find('[') != npos) {
            groups[0].push_back(piece);
            size += closed;
        }
        if (at == npos) break;
        start = at + kEnd.size();
    }
    std::string out;
    out.reserve(size);
    for (const auto& group : groups) {
        for (std::string_view piece : group) {
            out += piece;
            if (!piece.empty() && !piece.ends_with(kCrLf)) out += kCrLf;
            out += "[end]\r\n";
        }
    }
    return out;
}

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
    const std::string text = assemble_sections(st.document);
    fill_pair_lists(st);
    std::string out;
    out.reserve(text.size() + text.size() / 8 + 64);
    for (int k = 0; k < kKinds; ++k) {
        merge_kind(st, k, text, out);
    }
    return out;
}

} // namespace lex
