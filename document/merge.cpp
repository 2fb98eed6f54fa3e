#include "document/merge.h"

#include "document/document.h"
#include "document/elements.h"
#include "document/lines.h"
#include "document/text.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <vector>

namespace lex {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// "Type=..." with blanks before it allowed; a comment never is one.
bool is_type_line(std::string_view line) {
    const std::size_t b = line.find_first_not_of(" \t");
    return b != npos && line.substr(b).starts_with("Type");
}

std::string_view drop_leading_empty_lines(std::string_view s) {
    for (;;) {
        if (s.starts_with(kCrLf))
            s.remove_prefix(2);
        else if (s.starts_with('\n'))
            s.remove_prefix(1);
        else
            return s;
    }
}

// `s` without the empty lines at its end; its last line keeps its line end.
std::string_view drop_trailing_empty_lines(std::string_view s) {
    for (;;) {
        if (s == kCrLf || s == "\n")
            return {};
        else if (s.ends_with("\r\n\r\n") || s.ends_with("\n\r\n"))
            s.remove_suffix(2);
        else if (s.ends_with("\n\n"))
            s.remove_suffix(1);
        else
            return s;
    }
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

// The number N of a label line "StringN=...", or 0 when it has none or a long one.
int label_number(const LabelLine& label) {
    if (label.number.empty() || label.number.size() > 3) return 0;
    int n = 0;
    for (char c : label.number) n = n * 10 + (c - '0');
    return n;
}

// A row's target text as one line: a label line cannot hold a line break. `buffer` holds it when
// a break had to go.
std::string_view one_line(const std::string& text, std::string& buffer) {
    if (text.find('\r') == npos && text.find('\n') == npos) return text;
    buffer.clear();
    for (char c : text)
        if (c != '\r' && c != '\n') buffer.push_back(c);
    return buffer;
}

} // namespace

std::vector<std::size_t> loose_line_ends(std::string_view text) {
    std::vector<std::size_t> ends;
    auto loose = [&](std::size_t lf) {
        if (lf < 2 || text[lf - 1] != '\r' || text[lf - 2] == '\n') ends.push_back(lf);
        return true;
    };
    std::size_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
    // Sixteen bytes at a time from the third: an LF after no CR, or a CR LF after an LF.
    if (text.size() > 2) {
        const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
        auto hits = [&](std::size_t at) {
            const __m128i cur = _mm_cmpeq_epi8(detail::load16(text, at), lf);
            const __m128i afterCr = _mm_cmpeq_epi8(detail::load16(text, at - 1), cr);
            const __m128i emptyCrLf = _mm_cmpeq_epi8(detail::load16(text, at - 2), lf);
            return _mm_and_si128(
                cur, _mm_or_si128(_mm_andnot_si128(afterCr, _mm_set1_epi8(-1)), emptyCrLf));
        };
        for (; i < 2; ++i)
            if (text[i] == '\n') loose(i);
        i = detail::for_each_hit(2, text.size(), hits, loose);
    }
#endif
    for (; i < text.size(); ++i)
        if (text[i] == '\n') loose(i);
    return ends;
}

namespace {

class Merger {
public:
    Merger(const Document& st, std::span<const Row> rows, std::string_view text,
           std::span<const std::size_t> loose, std::string& out)
        : st_(st), text_(text), out_(out), rows_(rows), loose_(loose) {}

    void element(const Section& s) {
        const std::string_view body = body_text(text_, s);
        // Its label lines, read once. The element has a row exactly when the rows' own search
        // finds its source label (the first of the source language, or of 0x00), so that rows
        // and elements pair up one to one in document order; the row's own target label is the
        // first of the target language.
        found_.clear();
        std::size_t source = npos, zero = npos, own = npos;
        for_each_label_line(body, [&](std::size_t at, std::string_view line, const LabelLine& l) {
            found_.push_back({at, at + line.size(), label_number(l)});
            if (source == npos && label_code_is(l, st_.source_code)) source = at;
            if (own == npos && label_code_is(l, st_.target_code)) own = at;
            if (zero == npos && label_code_is(l, "00")) zero = at;
        });
        const bool takesPart = source != npos || (st_.zero_fallback && zero != npos);
        const Row* row = nullptr;
        if (takesPart) {
            if (next_row_ >= rows_.size()) return append_section(out_, text_, s);
            row = &rows_[next_row_++];
        }
        if (copy_as_it_stands(s, body, row, own)) return;

        labels_.clear(); // the element's label lines, each ended by CR LF
        lines_.clear();
        bool hasType = false;
        for_each_line(body, [&](std::string_view line, std::size_t) {
            const bool label = parse_label_line(line).has_value();
            lines_.push_back({line, label});
            if (label) {
                labels_ += line;
                labels_ += kCrLf;
            } else if (is_type_line(line)) {
                hasType = true;
            }
        });

        if (labels_.empty()) return append_section(out_, text_, s);
        // A row nobody changed leaves every label line of its element as it stands.
        if (row != nullptr && row->changed_since_built())
            put_target(body, own, one_line(row->text, target_));
        rebuild(s, hasType);
    }

private:
    struct Line {
        std::string_view text;
        bool label;
    };

    // The quick way for an element whose header, body and "[end]" lines end with CR LF, none
    // empty, with its label lines together below its first "Type" line: what rebuild() writes,
    // copied in a few runs (the label lines moved up to the Type line, the row's own target label
    // changed or added). False, with nothing written, for any other element.
    bool copy_as_it_stands(const Section& s, std::string_view body, const Row* row,
                           std::size_t own) {
        const std::string_view text = text_;
        const std::size_t endLf = s.stop - 1;
        if (!s.closed() || text[endLf] != '\n' || endLf == s.end_line || text[endLf - 1] != '\r' ||
            s.body < 2 || text[s.body - 1] != '\n' || text[s.body - 2] != '\r')
            return false;
        while (next_loose_ < loose_.size() && loose_[next_loose_] < s.body) ++next_loose_;
        if (next_loose_ < loose_.size() && loose_[next_loose_] < s.end_line) return false;

        if (found_.empty() || found_.front().at == 0) return false;
        const std::size_t first = found_.front().at; // where the first label line starts
        std::array<bool, 48> used{};
        for (std::size_t i = 0; i < found_.size(); ++i) {
            if (i > 0 && found_[i].at != found_[i - 1].end + 2) return false; // lines apart
            if (const int n = found_[i].number; n >= 1 && n <= 47) used[std::size_t(n)] = true;
        }
        const std::size_t after = found_.back().end + 2; // past the last one's line end
        // The labels go right below the first "Type" line, which must stand above them.
        std::size_t typeEnd = npos;
        for_each_line(body.substr(0, first), [&](std::string_view line, std::size_t at) {
            if (typeEnd == npos && is_type_line(line)) typeEnd = at + line.size() + 2;
        });
        if (typeEnd == npos) return false;

        // The header through the Type line, the label lines, the lines between the Type line
        // and the labels, and the rest through the "[end]" line.
        out_.append(text.substr(s.header, s.body + typeEnd - s.header));
        append_labels(body.substr(first, after - first), first, row, own, used);
        out_.append(body.substr(typeEnd, first - typeEnd));
        out_.append(text.substr(s.body + after, s.stop - (s.body + after)));
        out_ += kCrLf;
        return true;
    }

    // Appends the label lines `labels` (at `first` in `body`), with the row's target text in its
    // own line (at `own`), or in a new line after them, when the row changed.
    void append_labels(std::string_view labels, std::size_t first, const Row* row, std::size_t own,
                       const std::array<bool, 48>& used) {
        const bool changed = row != nullptr && row->changed_since_built();
        if (!changed) {
            out_.append(labels);
            return;
        }
        const std::string_view target = one_line(row->text, target_);
        if (own == npos) {
            out_.append(labels);
            if (!trim(target).empty()) append_new_label(out_, used, target);
            return;
        }
        const std::string_view line = line_at(labels, own - first);
        const auto label = parse_label_line(line);
        if (!label || same_text(label->text, target)) {
            out_.append(labels);
            return;
        }
        const std::size_t at = own - first + label->text_at;
        const std::size_t rest = own - first + line.size();
        out_.append(labels.substr(0, at));
        out_ += target;
        out_.append(labels.substr(rest));
    }

    // A new target label line, ended by CR LF, numbered with the first free number.
    void append_new_label(std::string& out, const std::array<bool, 48>& used,
                          std::string_view target) const {
        const auto free = std::find(used.begin() + 1, used.end(), false);
        out += free == used.end() ? std::string("Stringxx")
                                  : "String" + std::to_string(free - used.begin());
        out += "=0x";
        out += st_.target_code;
        out += ',';
        out += target;
        out += kCrLf;
    }

    // The label line the element's row was built from: the first of the target language, found
    // as the rows find it (at `at` in the body). Its place among the element's label lines, or -1
    // when there is none.
    int own_label(std::string_view body, std::size_t at) const {
        if (at == npos) return -1;
        int index = 0;
        for (const Line& line : lines_) {
            if (!line.label) continue;
            if (line.text.data() == body.data() + at) return index;
            ++index;
        }
        return -1;
    }

    // Writes the target text into the row's own label line, or adds it as a new line numbered
    // with the first free number. Other label lines of the target language stay as they are.
    void put_target(std::string_view body, std::size_t ownAt, std::string_view target) {
        const int own = own_label(body, ownAt);
        if (own < 0) {
            if (trim(target).empty()) return;
            std::array<bool, 48> used{};
            for_each_line(labels_, [&](std::string_view line, std::size_t) {
                if (const auto label = parse_label_line(line))
                    if (const int n = label_number(*label); n >= 1 && n <= 47)
                        used[std::size_t(n)] = true;
            });
            append_new_label(labels_, used, target);
            return;
        }
        std::string& out = scratch_;
        out.clear();
        int index = 0;
        for_each_line(labels_, [&](std::string_view line, std::size_t) {
            const auto label = parse_label_line(line);
            if (index++ == own && label && !same_text(label->text, target)) {
                out += line.substr(0, label->text_at);
                out += target;
            } else {
                out += line;
            }
            out += kCrLf;
        });
        labels_.swap(out);
    }

    // The element with its label lines directly below its first "Type" line (or, without one,
    // where the first of them stood) and its empty lines dropped; every other line as it was.
    void rebuild(const Section& s, bool hasType) {
        append_lines(out_, line_at(text_, s.header));
        // Neighbouring lines that are kept are copied as one run, line ends included.
        const char* const textEnd = text_.data() + text_.size();
        const char* runBegin = nullptr;
        const char* runEnd = nullptr;
        auto flush = [&] {
            if (runBegin) out_.append(runBegin, std::size_t(runEnd - runBegin));
            runBegin = nullptr;
        };
        bool placed = false;
        for (const Line& line : lines_) {
            if (line.text.empty()) {
                flush();
                continue;
            }
            if (line.label) {
                flush();
                if (!hasType && !placed) {
                    out_ += labels_;
                    placed = true;
                }
                continue;
            }
            const char* end = line.text.data() + line.text.size();
            if (textEnd - end >= 2 && end[0] == '\r' && end[1] == '\n') {
                if (!runBegin) runBegin = line.text.data();
                runEnd = end + 2;
            } else {
                flush();
                out_ += line.text;
                out_ += kCrLf;
            }
            if (!placed && is_type_line(line.text)) {
                flush();
                out_ += labels_;
                placed = true;
            }
        }
        flush();
        if (s.closed())
            append_lines(out_, line_at(text_, s.end_line));
        else
            out_ += "[end]\r\n";
        out_ += kCrLf;
    }

    const Document& st_;
    std::string_view text_;
    std::string& out_;
    std::span<const Row> rows_; // row k goes into the k-th element that has a source label
    std::size_t next_row_ = 0;
    // Buffers kept from one element to the next.
    std::vector<Line> lines_;
    std::string labels_;
    std::string scratch_;
    std::string target_;
    struct Found {
        std::size_t at;  // where a label line starts in the body
        std::size_t end; // where its text ends, before its line end
        int number;      // N of "StringN", 0 when it has none or a long one
    };
    std::vector<Found> found_;           // the element's label lines
    std::span<const std::size_t> loose_; // loose_line_ends() of the text
    std::size_t next_loose_ = 0;
};

} // namespace

void append_lines(std::string& out, std::string_view s) {
    out += s;
    if (s.empty() || s.back() == '\n') return;
    out += s.back() == '\r' ? "\n" : "\r\n";
}

void append_lead(std::string& out, std::string_view text, const Section& s) {
    if (s.lead == 0) return;
    append_lines(out, drop_leading_empty_lines(lead_text(text, s)));
}

void append_section(std::string& out, std::string_view text, const Section& s) {
    if (s.closed()) {
        append_lines(out, text.substr(s.header, s.stop - s.header));
    } else {
        append_lines(out, drop_trailing_empty_lines(text.substr(s.header, s.stop - s.header)));
        out += "[end]\r\n";
    }
    out += kCrLf;
}

void merge_kind(const Document& st, Kind kind, std::span<const Row> rows, std::string_view text,
                const Outline& outline, std::string& out) {
    merge_kind(st, kind, rows, text, outline, loose_line_ends(text), out);
}

void merge_kind(const Document& st, Kind kind, std::span<const Row> rows, std::string_view text,
                const Outline& outline, std::span<const std::size_t> loose_ends, std::string& out) {
    if (kind < 0 || kind >= kKinds) kind = kPolygons;
    Merger m(st, rows, text, loose_ends, out);
    for (const Section& s : outline.sections) {
        if (s.kind != kind) continue;
        append_lead(out, text, s);
        m.element(s);
    }
}

void merge_keeping_layout(const Document& st, std::string_view text, const Outline& outline,
                          std::string& out) {
    std::array<std::size_t, kKinds> next{}; // the next row of each kind
    std::size_t copied = 0;                 // `text` is in `out` up to here
    std::string buffer;
    auto copy_to = [&](std::size_t at) {
        out.append(text.substr(copied, at - copied));
        copied = at;
    };
    for (const Section& s : outline.sections) {
        const std::optional<Kind> kind = kind_from_int(s.kind);
        if (!kind) continue;
        const std::string_view body = body_text(text, s);
        if (!has_source_label(body, st.source_code, st.zero_fallback)) continue;
        const std::vector<Row>& rows = st.rows(*kind);
        const std::size_t n = std::min(std::size_t(std::max(0, st.row_count(*kind))), rows.size());
        std::size_t& k = next[std::size_t(*kind)];
        if (k >= n) continue;
        const Row& row = rows[k++];
        if (!row.changed_since_built()) continue;
        const std::string_view target = one_line(row.text, buffer);

        const std::size_t own = find_label_keys(body, {}, st.target_code).target;
        if (own != npos) {
            const std::string_view line = line_at(body, own);
            const auto label = parse_label_line(line);
            if (!label || same_text(label->text, target)) continue;
            copy_to(s.body + own + label->text_at);
            out += target;
            copied = s.body + own + line.size();
            continue;
        }
        if (trim(target).empty()) continue;
        // A new line right after the element's last label line, numbered with the first free
        // number.
        std::array<bool, 48> used{};
        std::size_t after = npos; // the end of the last label line, its line end left out
        for_each_line(body, [&](std::string_view line, std::size_t at) {
            const auto label = parse_label_line(line);
            if (!label) return;
            after = at + line.size();
            if (const int number = label_number(*label); number >= 1 && number <= 47)
                used[std::size_t(number)] = true;
        });
        if (after == npos) continue;
        const auto free = std::find(used.begin() + 1, used.end(), false);
        std::string added = free == used.end() ? std::string("Stringxx")
                                               : "String" + std::to_string(free - used.begin());
        added += "=0x" + st.target_code + ",";
        added += target;
        std::size_t at = s.body + after;
        if (text.substr(at).starts_with(kCrLf)) {
            copy_to(at + 2);
            out += added;
            out += kCrLf;
        } else if (text.substr(at).starts_with('\n')) {
            copy_to(at + 1);
            out += added;
            out += '\n';
        } else { // the text's last line, without a line end
            copy_to(at);
            out += kCrLf;
            out += added;
        }
    }
    copy_to(text.size());
}

void merge_kind(const Document& st, Kind kind, std::span<const Row> rows, std::string_view text,
                std::string& out) {
    merge_kind(st, kind, rows, text, read_outline(text), out);
}

} // namespace lex
