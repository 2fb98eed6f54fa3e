#pragma once
// The document read as sections by whole lines, and the label lines of an element.
//
// A section runs from its header line (a bracketed name such as "[_polygon]" or "[_id]", blanks
// around it allowed) through its "[end]" line. Markers are whole lines: text that merely holds
// one (a label, a bitmap line) is no marker. A comment line (first non-blank character ';') is
// never a marker nor a label line, so an element commented out line by line is plain text. The
// lines outside every section (comments, blank lines, stray text) are free text.

#include "document/lines.h"
#include "document/text.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

// The kind of a section that is not an element; elements are kPolygons, kLines and kPoints.
constexpr int kOtherSection = 3;

// The section kind a line opens (kPolygons, kLines, kPoints, kOtherSection), or -1 when the line
// is no section header.
int header_kind(std::string_view line);

// Where one section's lines stand, as offsets into the document text. Every offset is the start
// of a line (or the end of the text).
struct Section {
    int kind = kOtherSection;
    std::size_t lead = 0;     // the free text between the previous section and this one
    std::size_t header = 0;   // the header line
    std::size_t body = 0;     // the line after the header
    std::size_t end_line = 0; // the "[end]" line; equal to `stop` when the section has none
    std::size_t stop = 0;     // just past the section: past the "[end]" line's line end, or,
                              // unclosed, the next header or the end of the text
    bool closed() const { return end_line < stop; }
};

struct Outline {
    std::vector<Section> sections; // in document order
    std::size_t tail = 0;          // the free text after the last section starts here
};

// The sections of a document text, found in one pass. A header line while a section is still
// open ends that section unclosed; an "[end]" line outside every section is free text.
Outline read_outline(std::string_view text);

// The same sections handed to f(const Section&) one by one as each ends, in document order,
// for a pass that needs no list of them; returns where the free text after the last one starts.
template <class F> std::size_t for_each_section(std::string_view text, F&& f);

// The parts of a section in `text`.
inline std::string_view lead_text(std::string_view text, const Section& s) {
    return text.substr(s.lead, s.header - s.lead);
}
inline std::string_view body_text(std::string_view text, const Section& s) {
    return text.substr(s.body, s.end_line - s.body);
}

// The element bodies of each kind in document order: the lines between the header line and the
// "[end]" line.
using ElementBlocks = std::array<std::vector<std::string_view>, 3>;
ElementBlocks element_blocks(std::string_view text);

// The label key "=0xLL,text" of an element body for a language code: its first label line of
// that language (codes match in any letter case), without "|" characters; "" when there is none.
// side 'S' (source) falls back to the first 0x00 label when `zero_fallback` is set.
std::string find_label(std::string_view body, const std::string& code, char side,
                       bool zero_fallback);
// True when find_label(body, code, 'S', zero_fallback) finds a label, without building its key:
// for whole-document passes that only ask which elements have a source label.
bool has_source_label(std::string_view body, std::string_view code, bool zero_fallback);

// Where the first label lines of two language codes start in a body (npos: none), in one pass,
// and where their keys start (the '=' before "0x").
struct LabelKeys {
    std::size_t source = std::string_view::npos;
    std::size_t target = std::string_view::npos;
    std::size_t source_key = std::string_view::npos;
    std::size_t target_key = std::string_view::npos;
};
LabelKeys find_label_keys(std::string_view body, std::string_view source_code,
                          std::string_view target_code);

// The label key of the label line that starts at `at`, without "|", into `out`; "" when that
// line is no label line.
void label_at(std::string_view body, std::size_t at, std::string& out);
// The same key without a copy: a view into `body`, or, when the key holds a "|", into
// `scratch`, which then holds the key without them.
std::string_view label_key_at(std::string_view body, std::size_t at, std::string& scratch);
// The same for a key whose start find_label_keys gave: from there to the end of its line.
std::string_view label_key_from(std::string_view body, std::size_t key, std::string& scratch);

// Calls f(at, line) for every label line of `body` in order, `at` where it starts and `line` its
// text without the line end: the lines find_label_keys tells apart, found by their '='.
template <class F> void for_each_label_line(std::string_view body, F&& f);

// The label key of a body's first 0x00 label, for a source without a label of its own.
std::string zero_label(std::string_view body);

// The start of the line when the '=' at `eq` follows "StringN" at the start of a line (blanks
// before it allowed); npos otherwise.
std::size_t label_line_start(std::string_view text, std::size_t eq);

template <class F> std::size_t for_each_section(std::string_view text, F&& f) {
    constexpr std::size_t npos = std::string_view::npos;
    Section s;
    bool open = false;
    std::size_t lead = 0;  // where the free text after the last section began
    std::size_t after = 0; // a '[' before this stands on a line already read
    auto close = [&](std::size_t end_line, std::size_t stop) {
        s.end_line = end_line;
        s.stop = stop;
        lead = stop;
        open = false;
        f(static_cast<const Section&>(s));
    };
    // A marker line begins, blanks aside, with '[': only those bytes need a look.
    for_each_byte(text, '[', [&](std::size_t at) {
        if (at < after) return true;
        std::size_t start = at;
        while (start > 0 && (text[start - 1] == ' ' || text[start - 1] == '\t')) --start;
        if (start > 0 && text[start - 1] != '\n') return true; // inside a line, or a comment
        const std::size_t lf = find_near(text, '\n', at);
        std::size_t end = lf == npos ? text.size() : lf;
        after = end < text.size() ? end + 1 : end;
        if (end > start && text[end - 1] == '\r') --end;
        const std::string_view line = text.substr(start, end - start);
        // Headers are the usual lines: they are told first (no header is an "[end]").
        const int kind = line == "[end]" ? -1 : header_kind(line);
        if (kind < 0) {
            if ((line == "[end]" || is_marker_line(line, "[end]")) && open) close(start, after);
            return true;
        }
        if (open) close(start, start);
        s.kind = kind;
        s.lead = lead;
        s.header = start;
        s.body = after;
        open = true;
        return true;
    });
    if (open) close(text.size(), text.size());
    return lead;
}

template <class F> void for_each_label_line(std::string_view body, F&& f) {
    for_each_byte(body, '=', [&](std::size_t eq) {
        const std::size_t at = label_line_start(body, eq);
        if (at == std::string_view::npos) return true;
        const std::string_view line = line_at(body, at);
        if (const auto label = parse_label_line(line)) f(at, line, *label);
        return true;
    });
}

} // namespace lex
