#include "document/saved_text.h"

#include "document/document.h"
#include "document/elements.h"
#include "document/merge.h"
#include "document/text.h"
#include "document/typ_file.h"

#include <algorithm>
#include <cstring>
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

// The line of `text` that starts at `at` (before the text's end); `next` is where the line
// after it starts.
TextLine line_from(std::string_view text, std::size_t at, std::size_t& next) {
    const std::size_t lf = find_near(text, '\n', at);
    if (lf == npos) {
        next = text.size();
        return {text.substr(at), {}};
    }
    const std::size_t stop = lf > at && text[lf - 1] == '\r' ? lf - 1 : lf;
    next = lf + 1;
    return {text.substr(at, stop - at), text.substr(stop, lf + 1 - stop)};
}

// Where the line `n` lines after the one at `at` starts (the text's end when there are fewer),
// and in `found` how many line ends stood on the way.
std::size_t lines_after(std::string_view text, std::size_t at, std::size_t n, std::size_t& found) {
    found = 0;
    if (n == 0) return at;
    std::size_t next = text.size();
    for_each_byte(text.substr(at), '\n', [&](std::size_t lf) {
        next = at + lf + 1;
        return ++found < n;
    });
    return found < n ? text.size() : next;
}

std::size_t line_count(std::string_view text) {
    std::size_t n = 0;
    for_each_byte(text, '\n', [&](std::size_t) {
        ++n;
        return true;
    });
    return n + (text.empty() || text.back() == '\n' ? 0 : 1);
}

// How many bytes `a` and `b` have in common at their starts; long runs are compared a block at
// a time.
std::size_t common_start(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    constexpr std::size_t kBlock = 512;
    std::size_t i = 0;
    while (i + kBlock <= n && std::memcmp(a.data() + i, b.data() + i, kBlock) == 0) i += kBlock;
    while (i < n && a[i] == b[i]) ++i;
    return i;
}

} // namespace

std::string restore_original_lines(std::string_view text, std::string_view original) {
    // The original as the open reads it; most files need no repair and are read as they stand.
    std::string repairs;
    std::string_view read = original;
    const TextChecks checks = check_text(original);
    if (checks.obsolete_code || checks.line_repairs) {
        repairs.assign(original);
        if (checks.obsolete_code) normalize_language_codes(repairs);
        if (checks.line_repairs) normalize_document(repairs);
        read = repairs;
        if (line_count(original) != line_count(read)) return std::string(text);
    }
    const bool as_read = read.data() == original.data();
    std::string_view style = kCrLf;
    if (const std::size_t lf = original.find('\n'); lf != npos)
        style = lf > 0 && original[lf - 1] == '\r' ? kCrLf : std::string_view("\n");
    constexpr std::size_t kLookAhead = 64;

    std::string out;
    out.reserve(original.size() + text.size() / 16 + 64);
    auto put_new = [&](const TextLine& line, std::string_view end) {
        out += line.bytes;
        if (!line.end.empty()) out += end.empty() ? style : end;
    };
    // Where the next line starts in `text`, in `read` and in `original`: `read` and `original`
    // have the same lines, so they move together.
    std::size_t at = 0, r = 0, o = 0;
    while (at < text.size()) {
        // A run of whole lines that read the same: written as the original has them.
        if (r < read.size()) {
            const std::size_t same = common_start(text.substr(at), read.substr(r));
            const std::size_t last = text.substr(at, same).rfind('\n');
            if (last != npos) {
                const std::size_t run = last + 1;
                if (as_read) {
                    out.append(original.substr(o, run));
                    o += run;
                } else {
                    std::size_t lines = 0;
                    for_each_byte(text.substr(at, run), '\n',
                                  [&](std::size_t) { return ++lines, true; });
                    std::size_t found = 0;
                    const std::size_t stop = lines_after(original, o, lines, found);
                    out.append(original.substr(o, stop - o));
                    // The original's last line, without the line end the repairs gave it.
                    if (found < lines) out += style;
                    o = stop;
                }
                at += run;
                r += run;
                continue;
            }
        }
        std::size_t at_next = 0, r_next = r, o_next = o;
        const TextLine want = line_from(text, at, at_next);
        TextLine line_read;
        if (r < read.size()) {
            line_read = line_from(read, r, r_next);
            if (want.bytes == line_read.bytes) {
                const TextLine orig = line_from(original, o, o_next);
                out += orig.bytes;
                // The line keeps its own end; one that gained a line after it gets the file's.
                if (!want.end.empty()) out += orig.end.empty() ? style : orig.end;
                at = at_next;
                r = r_next;
                o = o_next;
                continue;
            }
        }
        // Lines taken out of the original, or put into the text: the nearer match wins.
        std::size_t removed = 0, removed_at = r;
        for (std::size_t d = 1, k = r_next; d <= kLookAhead && k < read.size(); ++d) {
            std::size_t after = 0;
            if (line_from(read, k, after).bytes == want.bytes) {
                removed = d;
                removed_at = k;
                break;
            }
            k = after;
        }
        std::size_t added = 0;
        if (r < read.size())
            for (std::size_t d = 1, k = at_next; d <= kLookAhead && k < text.size(); ++d) {
                std::size_t after = 0;
                if (line_from(text, k, after).bytes == line_read.bytes) {
                    added = d;
                    break;
                }
                k = after;
            }
        if (removed > 0 && (added == 0 || removed <= added)) {
            r = removed_at;
            std::size_t found = 0;
            o = lines_after(original, o, removed, found);
        } else if (added > 0) {
            for (std::size_t d = 0; d < added; ++d) put_new(line_from(text, at, at), {});
        } else { // a line changed in place
            std::string_view end;
            if (o < original.size()) end = line_from(original, o, o_next).end;
            put_new(want, end);
            at = at_next;
            if (r < read.size()) {
                r = r_next;
                o = o_next;
            }
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
