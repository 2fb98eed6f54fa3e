#include "document/list_file.h"

#include "document/document.h"
#include "document/text.h"

#include <bit>

namespace lex {

namespace {

constexpr std::array<std::string_view, 3> kSectionLine{"[polygons]", "[lines]", "[pois]"};

std::string_view trim_blanks_and_tabs(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// The kind a section line names, or -1.
std::optional<Kind> section_of(std::string_view line) {
    if (line.empty() || (line.front() != '[' && line.front() != ' ' && line.front() != '\t'))
        return std::nullopt;
    line = trim_blanks_and_tabs(line);
    for (const Kind kind : kAllKinds)
        if (line == kSectionLine[std::size_t(kind)]) return kind;
    return std::nullopt;
}

bool starts_with_lang(std::string_view line) {
    constexpr std::string_view kLang = "[lang]";
    if (line.size() < kLang.size()) return false;
    for (std::size_t i = 0; i < kLang.size(); ++i) {
        char c = line[i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != kLang[i]) return false;
    }
    return true;
}

} // namespace

std::string list_text(const Document& st, const std::array<std::string, 2>& language_names) {
    std::size_t size = 64;
    for (const Kind kind : kAllKinds)
        for (int r = 0; r < st.row_count(kind); ++r) {
            const Row& row = st.rows(kind)[std::size_t(r)];
            size += row.caption.size() + row.text.size() + 3;
        }
    std::string out;
    out.reserve(size);
    out += "[lang]";
    out += language_names[0];
    out += ',';
    out += language_names[1];
    out += kCrLf;
    for (const Kind kind : kAllKinds) {
        out += kSectionLine[std::size_t(kind)];
        out += kCrLf;
        const auto& rows = st.rows(kind);
        for (int r = 0; r < st.row_count(kind); ++r) {
            const Row& row = rows[std::size_t(r)];
            out += row.caption;
            out += '#';
            out += row.text;
            out += kCrLf;
        }
        out += kCrLf;
    }
    return out;
}

namespace {

// Calls f(i) for every position i of byte a or byte b in s, in order; sixteen bytes at a time
// where SSE2 is there. A list has a "#" and a line end on every line, so one pass for both
// saves two calls to memchr per row.
template <class F> void for_each_of(std::string_view s, char a, char b, F&& f) {
    std::size_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i va = _mm_set1_epi8(a);
    const __m128i vb = _mm_set1_epi8(b);
    for (; i + 16 <= s.size(); i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
        unsigned mask = unsigned(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, va), _mm_cmpeq_epi8(chunk, vb))));
        while (mask) {
            f(i + unsigned(std::countr_zero(mask)));
            mask &= mask - 1;
        }
    }
#endif
    for (; i < s.size(); ++i)
        if (s[i] == a || s[i] == b) f(i);
}

} // namespace

ListContents read_list(std::string_view text) {
    ListContents list;
    std::optional<Kind> kind; // the section the entries go into
    std::size_t k = 0;        // the row the next entry of the current section fills
    constexpr std::size_t npos = std::string_view::npos;

    // One line: where it starts and ends (line end excluded), its first and second "#".
    auto line_done = [&](std::size_t start, std::size_t end, std::size_t hash, std::size_t second) {
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1); // CR LF, or a lone CR
        if (!line.empty() && (line.front() == '[' || line.front() == ' ' || line.front() == '\t')) {
            // A line with a "#" in a section is a row, whatever its source text starts with.
            if (starts_with_lang(line) && (hash == npos || !kind)) {
                const std::string_view names = line.substr(6);
                const std::size_t comma = names.find(',');
                if (comma != npos) {
                    const std::size_t stop = names.find(',', comma + 1);
                    list.languages = {
                        names.substr(0, comma),
                        names.substr(comma + 1, stop == npos ? npos : stop - comma - 1)};
                    list.has_languages = true;
                }
            }
            if (const std::optional<Kind> section = section_of(line)) {
                kind = section;
                k = 0;
                list.has_section = true;
                return;
            }
        }
        if (hash == npos || !kind) return;
        hash -= start;
        const std::string_view target = second == npos
                                            ? line.substr(hash + 1)
                                            : line.substr(hash + 1, second - start - hash - 1);
        auto& entries = list.entries[std::size_t(*kind)];
        if (k == entries.size()) entries.emplace_back();
        entries[k].source = line.substr(0, hash);
        entries[k].target = trim(target);
        ++k;
    };

    std::size_t start = 0, hash = npos, second = npos;
    for_each_of(text, '\n', '#', [&](std::size_t at) {
        if (text[at] == '#') {
            if (hash == npos)
                hash = at;
            else if (second == npos)
                second = at;
            return;
        }
        line_done(start, at, hash, second);
        start = at + 1;
        hash = second = npos;
    });
    if (start < text.size()) line_done(start, text.size(), hash, second);
    return list;
}

} // namespace lex
