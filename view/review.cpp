#include "view/review.h"

#include "document/codepage.h"
#include "document/text.h"
#include "document/typ_file.h"

#include <array>

namespace lex {

bool row_suspect(const Row& row) {
    return row.status == RowStatus::kSuspect || row.text.find('?') != std::string::npos;
}

bool row_empty(const Row& row) {
    return trim(row.text).empty();
}

RowStatus row_status(const Row& row) {
    if (row.text.find('?') != std::string::npos) return RowStatus::kSuspect;
    if (!row.text.empty() && trim(row.text) == trim(row.caption)) return RowStatus::kSameAsSource;
    return RowStatus::kNormal;
}

PaneCounts count_rows(const State& st, Kind kind) {
    PaneCounts c;
    const auto& rows = st.rows(kind);
    c.rows = std::min(st.row_count(kind), int(rows.size()));
    for (int r = 0; r < c.rows; ++r) {
        const Row& row = rows[std::size_t(r)];
        if (row_suspect(row))
            ++c.suspect;
        else if (row_empty(row))
            ++c.empty;
        else if (row.status == RowStatus::kToReview)
            ++c.to_review;
    }
    c.translated = c.rows - c.suspect - c.empty;
    return c;
}

std::optional<RowPlace> find_row(const State& st, RowPlace from, int step, RowFilter filter) {
    std::array<long, kKinds + 1> first{}; // where each pane starts in reading order
    for (const Kind k : kAllKinds)
        first[std::size_t(k) + 1] =
            first[std::size_t(k)] + std::min<long>(st.row_count(k), long(st.rows(k).size()));
    const long total = first[kKinds];
    if (total == 0) return std::nullopt;
    const bool placed =
        from.kind >= 0 && from.kind < kKinds && from.row >= 0 &&
        from.row < first[std::size_t(from.kind) + 1] - first[std::size_t(from.kind)];
    long at = placed ? first[std::size_t(from.kind)] + from.row : (step > 0 ? total - 1 : 0);
    int kind = placed ? from.kind : (step > 0 ? kKinds - 1 : 0);
    for (long i = 0; i < total; ++i) {
        at = (at + (step > 0 ? 1 : total - 1)) % total;
        while (at < first[std::size_t(kind)] || at >= first[std::size_t(kind) + 1])
            kind = (kind + (step > 0 ? 1 : kKinds - 1)) % kKinds;
        const int row = int(at - first[std::size_t(kind)]);
        const Row& r = st.rows(static_cast<Kind>(kind))[std::size_t(row)];
        if (filter == RowFilter::kSuspect ? row_suspect(r) || r.marks.check_finding ||
                                                (r.status == RowStatus::kToReview && !row_empty(r))
                                          : row_empty(r))
            return RowPlace{kind, row};
    }
    return std::nullopt;
}

std::string pane_statistics(const State& st, Kind kind, bool brief) {
    return pane_statistics(count_rows(st, kind), kind, brief);
}

std::string pane_statistics(const PaneCounts& c, Kind kind, bool brief) {
    static constexpr std::array<const char*, kKinds> kName{"Polygons", "Lines", "Points"};
    std::string out = kName[std::size_t(kind)];
    if (brief)
        out += ":";
    else
        out += " " + std::to_string(c.rows) + ": " + std::to_string(c.translated) + " translated,";
    if (c.to_review > 0) out += " " + std::to_string(c.to_review) + " to review,";
    return out + " " + std::to_string(c.suspect) + " suspect, " + std::to_string(c.empty) +
           " empty";
}

std::string codepage_statistics(const State& st) {
    if (st.document.empty()) return {};
    const int cp = declared_codepage(st.document);
    if (st.utf8_labels || cp == kUtf8CodePage) return "UTF-8";
    return cp > 0 ? "Code page " + std::to_string(cp) : std::string();
}

} // namespace lex
