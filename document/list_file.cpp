#include "document/list_file.h"

#include "document/lines.h"
#include "document/state.h"
#include "document/text.h"

namespace lex {

namespace {

constexpr std::array<std::string_view, 3> kSectionLine{"[polygons]", "[lines]", "[pois]"};

std::string_view trim_blanks_and_tabs(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// The kind a section line names, or -1.
int section_of(std::string_view line) {
    if (line.empty() || (line.front() != '[' && line.front() != ' ' && line.front() != '\t'))
        return -1;
    line = trim_blanks_and_tabs(line);
    for (int kind = 0; kind < kKinds; ++kind)
        if (line == kSectionLine[std::size_t(kind)]) return kind;
    return -1;
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

std::string list_text(const State& st) {
    std::size_t size = 64;
    for (int kind = 0; kind < kKinds; ++kind)
        for (int r = 0; r < st.row_count(kind); ++r) {
            const Row& row = st.pane(kind).rows[std::size_t(r)];
            size += row.caption.size() + row.text.size() + 3;
        }
    std::string out;
    out.reserve(size);
    out += "[lang]";
    out += st.win.language_caption[kSourceList];
    out += ',';
    out += st.win.language_caption[kTargetList];
    out += kCrLf;
    for (int kind = 0; kind < kKinds; ++kind) {
        out += kSectionLine[std::size_t(kind)];
        out += kCrLf;
        const auto& rows = st.pane(kind).rows;
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

ListContents read_list(std::string_view text) {
    ListContents list;
    int kind = -1;
    std::size_t k = 0; // the row the next entry of the current section fills
    for_each_line(text, [&](std::string_view line, std::size_t) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1); // a CR without LF
        if (starts_with_lang(line)) {
            const std::string_view names = line.substr(6);
            const std::size_t comma = names.find(',');
            if (comma != std::string_view::npos) {
                const std::size_t end = names.find(',', comma + 1);
                list.languages = {names.substr(0, comma),
                                  names.substr(comma + 1, end == std::string_view::npos
                                                              ? std::string_view::npos
                                                              : end - comma - 1)};
                list.has_languages = true;
            }
        }
        if (const int section = section_of(line); section >= 0) {
            kind = section;
            k = 0;
            list.has_section = true;
            return;
        }
        const std::size_t hash = line.find('#');
        if (hash == std::string_view::npos || kind < 0) return;
        const std::size_t second = line.find('#', hash + 1);
        const std::string_view target =
            line.substr(hash + 1, second == std::string_view::npos ? std::string_view::npos
                                                                   : second - hash - 1);
        ListEntry entry{line.substr(0, hash), trim(target)};
        auto& entries = list.entries[std::size_t(kind)];
        if (k < entries.size())
            entries[k] = entry;
        else
            entries.push_back(entry);
        ++k;
    });
    return list;
}

std::vector<HashRow> rows_with_hash(const State& st) {
    std::vector<HashRow> out;
    for (int kind = 0; kind < kKinds; ++kind)
        for (int r = 0; r < st.row_count(kind); ++r) {
            const Row& row = st.pane(kind).rows[std::size_t(r)];
            if (row.caption.find('#') != std::string::npos ||
                row.text.find('#') != std::string::npos)
                out.push_back({kind, r});
        }
    return out;
}

} // namespace lex
