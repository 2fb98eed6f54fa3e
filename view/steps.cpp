#include "view/steps.h"

#include "document/text.h"
#include "document/ui.h"
#include "view/panes.h"
#include "view/window_state.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_map>

namespace lex {

StepScope StepScope::pane(Kind kind) {
    StepScope s;
    s.rows[std::size_t(kind)] = kAllRows;
    return s;
}

StepScope StepScope::row(Kind kind, int row) {
    StepScope s;
    s.rows[std::size_t(kind)] = row;
    return s;
}

StepScope StepScope::everything() {
    StepScope s;
    s.rows = {kAllRows, kAllRows, kAllRows};
    s.document = true;
    s.context = true;
    return s;
}

bool Step::empty() const {
    for (const Kind k : kAllKinds)
        if (counted[std::size_t(k)] && count_before[std::size_t(k)] != count_after[std::size_t(k)])
            return false;
    return rows.empty() && !document_before && !context_before;
}

namespace {

StepContext context_of(const State& st) {
    StepContext c;
    c.source_code = st.source_code;
    c.target_code = st.target_code;
    c.row_target_code = st.row_target_code;
    c.target_index = st.target_index;
    c.source_codepage = st.source_codepage;
    c.target_codepage = st.target_codepage;
    c.font_codepage = st.font_codepage;
    c.language_caption = st.win.language_caption;
    c.language_row = st.win.language_row;
    c.codepage_caption = st.win.codepage_caption;
    c.zero_fallback = st.zero_fallback;
    c.list_loaded = st.list_loaded;
    c.document_path = st.document_path;
    return c;
}

void set_context(State& st, const StepContext& c) {
    st.source_code = c.source_code;
    st.target_code = c.target_code;
    st.row_target_code = c.row_target_code;
    st.target_index = c.target_index;
    st.source_codepage = c.source_codepage;
    st.target_codepage = c.target_codepage;
    st.font_codepage = c.font_codepage;
    st.win.language_caption = c.language_caption;
    st.win.language_row = c.language_row;
    st.win.codepage_caption = c.codepage_caption;
    st.zero_fallback = c.zero_fallback;
    st.list_loaded = c.list_loaded;
    st.document_path = c.document_path;
}

// The rows [first, last) of pane `kind` that the scope names for a pane of `count` rows.
std::pair<int, int> scoped_rows(const StepScope& scope, Kind kind, int count) {
    const int r = scope.rows[std::size_t(kind)];
    if (r == StepScope::kNoRows) return {0, 0};
    if (r == StepScope::kAllRows) return {0, count};
    return {r, r + 1};
}

// Row k of a pane of `count` rows as a step sees it: rows past the count are blank.
const Row& row_or_blank(const std::vector<Row>& rows, int k, int count) {
    static const Row kBlank;
    return k < count && std::size_t(k) < rows.size() ? rows[std::size_t(k)] : kBlank;
}

void apply(State& st, Ui& ui, const Step& step, bool forward, bool changed) {
    if (step.document_before) {
        st.document = (forward ? step.document_after : step.document_before)->text();
        st.text_changed();
    }
    if (step.context_before) set_context(st, forward ? *step.context_after : *step.context_before);
    std::array<bool, kKinds> touched{};
    for (const Kind k : kAllKinds) {
        const auto K = std::size_t(k);
        if (!step.counted[K] || step.count_before[K] == step.count_after[K]) continue;
        touched[K] = true;
        const int n = forward ? step.count_after[K] : step.count_before[K];
        const std::size_t keep = std::size_t(std::max(n, kPermanentRows));
        auto& rows = st.rows(k);
        st.cut_rows(k, keep);
        rows.resize(keep);
        for (std::size_t r = std::size_t(n); r < rows.size(); ++r) rows[r] = Row{};
        st.row_count(k) = n;
    }
    for (const RowChange& c : step.rows) {
        auto& rows = st.rows(c.kind);
        if (std::size_t(c.row) >= rows.size()) rows.resize(std::size_t(c.row) + 1);
        rows[std::size_t(c.row)] = forward ? c.after : c.before;
        touched[std::size_t(c.kind)] = true;
    }
    for (const Kind k : kAllKinds) {
        if (!touched[std::size_t(k)]) continue;
        Pane& pane = st.pane(k);
        if (step.count_before[std::size_t(k)] != step.count_after[std::size_t(k)]) {
            size_pane(pane, st.row_count(k));
            scroll_pane(st, k, pane.scroll);
        }
        if (step.counted[std::size_t(k)])
            pane.check_errors_visible = forward ? step.check_errors_after[std::size_t(k)]
                                                : step.check_errors_before[std::size_t(k)];
    }
    st.changed = changed;
    update_title(st, ui, st.document_path);
    // Another text may show other pictures in any pane, though no row changed.
    const int shown = int(std::count(touched.begin(), touched.end(), true));
    if (shown > 1 || step.context_before || step.document_before)
        ui.refresh(RefreshTarget::everything());
    else if (shown == 1)
        ui.refresh(RefreshTarget::pane_rows(kAllKinds[std::size_t(
            std::find(touched.begin(), touched.end(), true) - touched.begin())]));
}

constexpr std::size_t kMinPiece = 2048;
constexpr std::size_t kMaxPiece = 65536;

std::uint64_t load64(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Where the piece starting at `from` ends: after a line whose last 16 bytes hash with their top
// 7 bits clear (a piece of about 5 KB on average), so that an edit moves no end but its own.
std::size_t piece_end(std::string_view text, std::size_t from) {
    if (text.size() - from <= kMinPiece) return text.size();
    const std::size_t end = std::min(text.size(), from + kMaxPiece);
    const std::string_view window = text.substr(from + kMinPiece, end - from - kMinPiece);
    std::size_t cut = end;
    for_each_byte(window, '\n', [&](std::size_t i) {
        const char* line_end = window.data() + i; // at least kMinPiece bytes from the start
        const std::uint64_t h = (load64(line_end - 16) * 0x9E3779B97F4A7C15ull) ^
                                (load64(line_end - 8) * 0xC2B2AE3D27D4EB4Full);
        if ((h >> 57) != 0) return true;
        cut = from + kMinPiece + i + 1;
        return false;
    });
    return cut;
}

// A piece is found again by its size and its first and last bytes; the bytes then decide.
std::size_t piece_key(std::string_view piece) {
    const std::size_t n = piece.size();
    std::uint64_t k = n * 0xFF51AFD7ED558CCDull;
    if (n >= 8) k ^= load64(piece.data()) * 0xC4CEB9FE1A85EC53ull ^ load64(piece.data() + n - 8);
    return std::size_t(k ^ (k >> 29));
}

} // namespace

std::string DocumentVersion::text() const {
    std::string out;
    out.reserve(size);
    for (const auto& p : pieces) out += *p;
    return out;
}

bool DocumentVersion::holds(const std::string& text) const {
    if (text.size() != size) return false;
    std::size_t at = 0;
    for (const auto& p : pieces) {
        if (text.compare(at, p->size(), *p) != 0) return false;
        at += p->size();
    }
    return true;
}

std::shared_ptr<const DocumentVersion> keep_document(const std::string& text,
                                                     const DocumentVersion* like) {
    const std::size_t likeCount = like ? like->pieces.size() : 0;
    // Pieces of `like` by key, made when an edit first puts the text out of step with them.
    std::unordered_multimap<std::size_t, std::size_t> known;
    bool indexed = false;
    std::size_t next = 0; // the piece of `like` expected next
    auto version = std::make_shared<DocumentVersion>();
    version->size = text.size();
    for (std::size_t at = 0; at < text.size();) {
        // In step with `like`: where the next piece's bytes follow, they are that piece, and the
        // text is not cut again (a piece's end depends on its own bytes only, the last piece's
        // on the end of the text too).
        if (next + 1 < likeCount) {
            const std::shared_ptr<const std::string>& p = like->pieces[next];
            if (text.size() - at >= p->size() && text.compare(at, p->size(), *p) == 0) {
                version->pieces.push_back(p);
                version->keys.push_back(like->keys[next]);
                at += p->size();
                ++next;
                continue;
            }
        }
        const std::size_t end = piece_end(text, at);
        const std::string_view piece(text.data() + at, end - at);
        const std::size_t hash = piece_key(piece);
        if (like && !indexed) {
            known.reserve(likeCount);
            for (std::size_t i = 0; i < likeCount; ++i) known.emplace(like->keys[i], i);
            indexed = true;
        }
        std::shared_ptr<const std::string> shared;
        for (auto [it, last] = known.equal_range(hash); it != last && !shared; ++it)
            if (*like->pieces[it->second] == piece) {
                shared = like->pieces[it->second];
                next = it->second + 1;
            }
        version->pieces.push_back(shared ? shared : std::make_shared<const std::string>(piece));
        version->keys.push_back(hash);
        at = end;
    }
    return version;
}

bool DocumentVersion::same_pieces(const DocumentVersion& other) const {
    return size == other.size && pieces == other.pieces;
}

static_assert(sizeof(Row) == 5 * sizeof(std::string) + 2 * sizeof(void*),
              "Row has a field PackedRows does not keep: add it there");

void PackedRows::reserve(std::size_t rows, std::size_t bytes) {
    entries_.reserve(rows);
    bytes_.reserve(bytes);
}

void PackedRows::add(const Row& row) {
    entries_.push_back({bytes_.size(), std::uint32_t(row.caption.size()),
                        std::uint32_t(row.source_key.size()), std::uint32_t(row.text.size()),
                        std::uint32_t(row.built_text.size()), std::uint32_t(row.tip.size()),
                        row.status, row.marks, row.marked_changed, row.element});
    bytes_ += row.caption;
    bytes_ += row.source_key;
    bytes_ += row.text;
    bytes_ += row.built_text;
    bytes_ += row.tip;
}

bool PackedRows::holds(std::size_t i, const Row& row) const {
    const Entry& e = entries_[i];
    const std::string_view b = bytes_;
    return e.status == row.status && e.marks == row.marks &&
           e.marked_changed == row.marked_changed && e.element == row.element &&
           b.substr(e.at, e.caption) == row.caption &&
           b.substr(e.at + e.caption, e.key) == row.source_key &&
           b.substr(e.at + e.caption + e.key, e.text) == row.text &&
           b.substr(e.at + e.caption + e.key + e.text, e.built) == row.built_text &&
           b.substr(e.at + e.caption + e.key + e.text + e.built, e.tip) == row.tip;
}

Row PackedRows::row(std::size_t i) const {
    const Entry& e = entries_[i];
    Row r;
    r.caption.assign(bytes_, e.at, e.caption);
    r.source_key.assign(bytes_, e.at + e.caption, e.key);
    r.text.assign(bytes_, e.at + e.caption + e.key, e.text);
    r.built_text.assign(bytes_, e.at + e.caption + e.key + e.text, e.built);
    r.tip.assign(bytes_, e.at + e.caption + e.key + e.text + e.built, e.tip);
    r.marked_changed = e.marked_changed;
    r.status = e.status;
    r.marks = e.marks;
    r.element = e.element;
    return r;
}

StepRecorder::StepRecorder(const State& st, const StepScope& scope,
                           std::shared_ptr<const DocumentVersion> known)
    : scope_(scope) {
    for (const Kind k : kAllKinds) {
        counts_[std::size_t(k)] = st.row_count(k);
        check_errors_[std::size_t(k)] = st.pane(k).check_errors_visible;
        const auto [first, last] = scoped_rows(scope, k, st.row_count(k));
        const auto& rows = st.rows(k);
        auto& packed = rows_[std::size_t(k)];
        std::size_t bytes = 0;
        for (int r = first; r < last; ++r) {
            const Row& row = row_or_blank(rows, r, st.row_count(k));
            bytes += row.caption.size() + row.source_key.size() + row.text.size() +
                     row.built_text.size();
        }
        packed.reserve(std::size_t(std::max(0, last - first)), bytes);
        for (int r = first; r < last; ++r) packed.add(row_or_blank(rows, r, st.row_count(k)));
    }
    if (scope.document)
        document_ = known && known->holds(st.document) ? std::move(known)
                                                       : keep_document(st.document, known.get());
    if (scope.context) context_ = context_of(st);
}

Step StepRecorder::finish(const State& st) {
    Step step;
    for (const Kind k : kAllKinds) {
        const auto K = std::size_t(k);
        if (scope_.rows[K] == StepScope::kNoRows) continue;
        const int before = counts_[K];
        const int after = st.row_count(k);
        step.counted[K] = true;
        step.count_before[K] = before;
        step.count_after[K] = after;
        step.check_errors_before[K] = check_errors_[K];
        step.check_errors_after[K] = st.pane(k).check_errors_visible;
        auto [first, last] = scoped_rows(scope_, k, before);
        if (scope_.rows[K] == StepScope::kAllRows) last = std::max(before, after);
        const auto& rows = st.rows(k);
        for (int r = first; r < last; ++r) {
            const std::size_t i = std::size_t(r - first);
            const Row& now = row_or_blank(rows, r, after);
            if (i < rows_[K].size()) {
                if (!rows_[K].holds(i, now)) step.rows.push_back({k, r, rows_[K].row(i), now});
            } else if (!(now == row_or_blank(rows, r, 0))) {
                step.rows.push_back({k, r, Row{}, now});
            }
        }
    }
    if (document_) {
        std::shared_ptr<const DocumentVersion> now = keep_document(st.document, document_.get());
        if (!now->same_pieces(*document_)) {
            step.document_before = document_;
            step.document_after = std::move(now);
        }
    }
    if (scope_.context) {
        StepContext now = context_of(st);
        if (!(now == context_)) {
            step.context_before = std::move(context_);
            step.context_after = std::move(now);
        }
    }
    return step;
}

void undo_step(State& st, Ui& ui, const Step& step, bool changed) {
    apply(st, ui, step, false, changed);
}

void redo_step(State& st, Ui& ui, const Step& step, bool changed) {
    apply(st, ui, step, true, changed);
}

Step row_step(const State& st, Kind kind, int row, Row before, bool check_errors_before) {
    Step step;
    const auto K = std::size_t(kind);
    step.counted[K] = true;
    step.count_before[K] = step.count_after[K] = st.row_count(kind);
    step.check_errors_before[K] = check_errors_before;
    step.check_errors_after[K] = st.pane(kind).check_errors_visible;
    const Row& now = row_or_blank(st.rows(kind), row, st.row_count(kind));
    if (!(before == now)) step.rows.push_back({kind, row, std::move(before), now});
    return step;
}

void merge_steps(Step& earlier, Step&& later) {
    for (const Kind k : kAllKinds) {
        const auto K = std::size_t(k);
        if (!later.counted[K]) continue;
        if (!earlier.counted[K]) earlier.count_before[K] = later.count_before[K];
        earlier.counted[K] = true;
        earlier.count_after[K] = later.count_after[K];
        earlier.check_errors_after[K] = later.check_errors_after[K];
    }
    for (RowChange& c : later.rows) {
        auto same = std::find_if(earlier.rows.begin(), earlier.rows.end(), [&](const RowChange& e) {
            return e.kind == c.kind && e.row == c.row;
        });
        if (same == earlier.rows.end())
            earlier.rows.push_back(std::move(c));
        else
            same->after = std::move(c.after);
    }
    std::erase_if(earlier.rows, [](const RowChange& c) { return c.before == c.after; });
    if (later.document_before) {
        if (!earlier.document_before) earlier.document_before = later.document_before;
        earlier.document_after = later.document_after;
        if (earlier.document_before->holds(earlier.document_after->text()))
            earlier.document_before = earlier.document_after = nullptr;
    }
    if (later.context_before) {
        if (!earlier.context_before) earlier.context_before = std::move(later.context_before);
        earlier.context_after = std::move(later.context_after);
        if (*earlier.context_before == *earlier.context_after)
            earlier.context_before = earlier.context_after = std::nullopt;
    }
}

} // namespace lex
