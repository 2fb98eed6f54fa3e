#include "document/merge.h"

#include "document/elements.h"
#include "document/state.h"
#include "document/text.h"

#include <algorithm>
#include <vector>

namespace lex {

namespace {

constexpr std::string_view kEnd = "[end]";
constexpr std::size_t npos = std::string_view::npos;

bool is_string_line(std::string_view line) {
    return line.substr(0, 6) == "String";
}

bool is_blank_text(std::string_view s) {
    return s.find_first_not_of(" \t\r\n") == npos;
}

// Calls f(line) for each line of `s` cut at CR LF. A last line without CR LF counts; the empty
// rest after a final CR LF does not.
template <class F> void for_each_line(std::string_view s, F&& f) {
    std::size_t start = 0;
    for_each_byte(s, '\r', [&](std::size_t at) {
        if (at < start || at + 1 >= s.size() || s[at + 1] != '\n') return true;
        f(s.substr(start, at - start));
        start = at + kCrLf.size();
        return true;
    });
    if (start < s.size()) f(s.substr(start));
}

// `s` up to the line end of its last non-empty line: the empty lines at its end are the gap
// before the next section, which the writer sets itself.
std::string_view drop_trailing_empty_lines(std::string_view s) {
    while (s.size() >= 4 && s.substr(s.size() - 4) == "\r\n\r\n") s.remove_suffix(2);
    return s;
}

// The label text `old` already says `target`: equal apart from outer blanks, or equal to what
// a row shows of it (the rows leave out every "|"), so that a label nobody changed stays as it
// is written.
bool same_text(std::string_view old, std::string_view target) {
    old = trim(old);
    target = trim(target);
    if (old == target) return true;
    if (old.find('|') == npos) return false;
    std::string shown;
    for (char c : old)
        if (c != '|') shown.push_back(c);
    return trim(shown) == target;
}

// Appends `s`, closed by an "[end]" line when it holds none.
void append_closed(std::string& out, std::string_view s) {
    out += s;
    if (s.find(kEnd) != npos) return;
    if (!s.empty() && !s.ends_with(kCrLf)) out += kCrLf;
    out += "[end]\r\n";
}

// The row lines of a kind's pair list, read one after the other.
class RowLines {
public:
    RowLines(const State& st, int kind)
        : list_(st.pane(kind).pair_list), rows_(st.pane(kind).rows),
          count_(std::size_t(std::max(0, st.row_count(kind)))) {}

    // Takes the next row line; false when none is left. `target` is its target text;
    // `has_target` is false when the line holds no "#".
    bool next(std::string_view& target, bool& has_target) {
        if (pos_ >= list_.size()) return false;
        const std::size_t at = list_.find(kCrLf, pos_);
        const std::string_view line =
            at == npos ? list_.substr(pos_) : list_.substr(pos_, at - pos_);
        pos_ = at == npos ? list_.size() : at + kCrLf.size();
        const std::size_t r = index_++;

        // A line that is exactly what row r wrote gives back the row's whole target text, even
        // when the source or the target text holds a "#".
        if (r < count_ && r < rows_.size()) {
            const std::string& c = rows_[r].caption;
            const std::string& t = rows_[r].text;
            if (line.size() == c.size() + 1 + t.size() && line.starts_with(c) &&
                line[c.size()] == '#' && line.substr(c.size() + 1) == t) {
                target = line.substr(c.size() + 1);
                has_target = true;
                return true;
            }
        }
        // Otherwise the target text is the part between the first and the second "#".
        const std::size_t a = line.find('#');
        has_target = a != npos;
        if (!has_target) return true;
        const std::size_t b = line.find('#', a + 1);
        target = line.substr(a + 1, b == npos ? npos : b - a - 1);
        return true;
    }

private:
    std::string_view list_;
    const std::vector<Row>& rows_;
    std::size_t count_;
    std::size_t pos_ = 0;
    std::size_t index_ = 0;
};

class Merger {
public:
    Merger(State& st, int kind, std::string& out)
        : st_(st), out_(out), marker_(kSectionMarker[std::size_t(kind)]), rows_(st, kind),
          targetKey_("=0x" + st.target_code + ",") {}

    // One element: `piece` is its text after the section marker.
    void element(std::string_view piece) {
        std::string& block = block_; // the element's String lines, each ended by CR LF
        block.clear();
        lines_.clear();
        bool hasType = false;
        for_each_line(piece, [&](std::string_view line) {
            lines_.push_back(line);
            if (is_string_line(line)) {
                block += line;
                block += kCrLf;
            } else if (line.starts_with("Type")) {
                hasType = true;
            }
        });

        // The element has a row exactly when the rows' own search finds its source label, so
        // that rows and elements pair up one to one in document order.
        const std::size_t endAt = piece.find(kEnd);
        const bool takesPart =
            !find_label(piece.substr(0, endAt), st_.source_code, 'S', st_.win.zero_fallback)
                 .empty();
        std::string_view target;
        bool hasTarget = false;
        if (takesPart && !rows_.next(target, hasTarget)) return unchanged(piece);
        if (block.empty()) return unchanged(piece);
        if (takesPart && hasTarget) put_target(block, target);
        rebuild(piece, block, hasType, endAt != npos || block.find(kEnd) != npos);
    }

private:
    // Writes the target text into the String block: into every line of the target language,
    // or as a new line numbered with the first free number.
    void put_target(std::string& block, std::string_view target) {
        const bool blank = trim(target).empty();
        if (!blank && ifind(block, targetKey_) == npos) {
            const std::size_t at = block.size();
            block += "Stringxx=0x" + st_.target_code + ",";
            block += target;
            block += kCrLf;
            for (int n = 1; n <= 47; ++n) {
                const std::string name = "String" + std::to_string(n) + "=";
                if (block.find(name) == npos) {
                    block.replace(at, 9, name);
                    break;
                }
            }
            return;
        }
        std::string& out = scratch_;
        out.clear();
        for_each_line(block, [&](std::string_view line) {
            const std::size_t comma = line.find(',');
            if (!line.empty() && comma != npos && ifind(line, targetKey_) != npos &&
                !same_text(line.substr(comma + 1), target)) {
                out += line.substr(0, comma + 1);
                out += target;
            } else {
                out += line;
            }
            out += kCrLf;
        });
        block.swap(out);
    }

    // The element with its String lines directly below its "Type" line and its empty lines
    // dropped. Its lines are those of the last element() call; the body holds "[end]" when
    // `closed` is set.
    void rebuild(std::string_view piece, const std::string& block, bool hasType, bool closed) {
        out_ += marker_;
        out_ += kCrLf;
        // Neighbouring lines that are kept are copied as one run, line ends included.
        const char* const pieceEnd = piece.data() + piece.size();
        const char* runBegin = nullptr;
        const char* runEnd = nullptr;
        auto flush = [&] {
            if (runBegin) out_.append(runBegin, std::size_t(runEnd - runBegin));
            runBegin = nullptr;
        };
        bool placed = false;
        for (std::string_view line : lines_) {
            if (line.empty()) {
                flush();
                continue;
            }
            if (is_string_line(line)) {
                flush();
                // Without a "Type" line the labels stay where the first of them stood.
                if (!hasType && !placed) {
                    out_ += block;
                    placed = true;
                }
                continue;
            }
            const char* end = line.data() + line.size();
            if (pieceEnd - end >= 2 && end[0] == '\r' && end[1] == '\n') {
                if (!runBegin) runBegin = line.data();
                runEnd = end + 2;
            } else {
                flush();
                out_ += line;
                out_ += kCrLf;
            }
            if (!placed && line.starts_with("Type")) {
                flush();
                out_ += block;
                placed = true;
            }
        }
        flush();
        if (!closed) out_ += "[end]\r\n";
        out_ += kCrLf;
    }

    void unchanged(std::string_view piece) {
        out_ += marker_;
        out_ += kCrLf;
        if (piece.starts_with(kCrLf)) piece.remove_prefix(kCrLf.size()); // the marker's line end
        if (piece.find(kEnd) != npos) piece = drop_trailing_empty_lines(piece);
        append_closed(out_, piece);
        out_ += kCrLf;
    }

    State& st_;
    std::string& out_;
    std::string_view marker_;
    RowLines rows_;
    std::string targetKey_;
    // Buffers kept from one element to the next.
    std::vector<std::string_view> lines_;
    std::string block_;
    std::string scratch_;
};

std::size_t first_of(std::string_view text, std::string_view a, std::string_view b) {
    return std::min(text.find(a), text.find(b));
}

} // namespace

void merge_kind(State& st, int kind, std::string_view text, std::string& out) {
    if (kind < 0 || kind >= kKinds) kind = kPolygons;
    const std::string_view marker = kSectionMarker[std::size_t(kind)];
    const std::size_t first = text.find(marker);

    // Where the sections that are not elements end: before the first polygon, or before the
    // first line or point when there is no polygon.
    std::size_t headEnd = text.find(kSectionMarker[0]);
    if (headEnd == npos) headEnd = first_of(text, kSectionMarker[1], kSectionMarker[2]);

    if (kind == 0) {
        std::string_view head = text.substr(0, headEnd);
        if (head.find(kEnd) != npos) head = drop_trailing_empty_lines(head);
        if (!is_blank_text(head)) {
            append_closed(out, head);
            out += kCrLf;
        }
    }
    if (first == npos) return;

    if (kind > 0 && first != headEnd) {
        // Free text (comments) between the previous kind's last "[end]" and this kind's first
        // element belongs to the first element; the rest of the text before it is not ours.
        std::string_view before = text.substr(0, first);
        const std::size_t lastEnd = before.rfind(kEnd);
        if (lastEnd != npos) {
            std::string_view pre = before.substr(lastEnd + kEnd.size());
            while (pre.starts_with(kCrLf)) pre.remove_prefix(kCrLf.size());
            pre = drop_trailing_empty_lines(pre);
            if (!is_blank_text(pre) && pre.find('[') == npos) {
                out += pre;
                if (!pre.ends_with(kCrLf)) out += kCrLf;
            }
        }
    }

    Merger m(st, kind, out);
    for (std::size_t at = first; at != npos;) {
        const std::size_t start = at + marker.size();
        const std::size_t next = text.find(marker, start);
        std::string_view piece;
        if (next != npos) {
            piece = text.substr(start, next - start);
        } else {
            // The last element ends before its "[end]" (or a point section that follows it
            // unclosed): what comes after belongs to the kinds written later.
            piece = text.substr(start);
            piece = piece.substr(0, piece.find(kEnd));
            piece = piece.substr(0, piece.find(kSectionMarker[2]));
        }
        m.element(piece);
        at = next;
    }
}

} // namespace lex
