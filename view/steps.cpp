#include "view/steps.h"

#include "document/ui.h"
#include "view/panes.h"
#include "view/window_state.h"

#include <algorithm>

namespace lex {

StepScope StepScope::pane(int kind) {
    StepScope s;
    s.rows[std::size_t(kind)] = kAllRows;
    return s;
}

StepScope StepScope::row(int kind, int row) {
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
    for (int k = 0; k < kKinds; ++k)
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
    c.zero_fallback = st.win.zero_fallback;
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
    st.win.zero_fallback = c.zero_fallback;
    st.list_loaded = c.list_loaded;
    st.document_path = c.document_path;
}

// The rows [first, last) of pane `kind` that the scope names for a pane of `count` rows.
std::pair<int, int> scoped_rows(const StepScope& scope, int kind, int count) {
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
    if (step.document_before) st.document = forward ? *step.document_after : *step.document_before;
    if (step.context_before) set_context(st, forward ? *step.context_after : *step.context_before);
    std::array<bool, kKinds> touched{};
    for (int k = 0; k < kKinds; ++k) {
        const auto K = std::size_t(k);
        if (!step.counted[K] || step.count_before[K] == step.count_after[K]) continue;
        touched[K] = true;
        const int n = forward ? step.count_after[K] : step.count_before[K];
        Pane& pane = st.pane(k);
        const std::size_t keep = std::size_t(std::max(n, kPermanentRows));
        if (pane.rows.size() > keep) {
            // Rows that go keep their memory for the next build, as a rebuild does.
            pane.spare.insert(pane.spare.end(),
                              std::make_move_iterator(pane.rows.begin() + long(keep)),
                              std::make_move_iterator(pane.rows.end()));
        }
        pane.rows.resize(keep);
        for (std::size_t r = std::size_t(n); r < pane.rows.size(); ++r) pane.rows[r] = Row{};
        st.row_count(k) = n;
    }
    for (const RowChange& c : step.rows) {
        auto& rows = st.pane(c.kind).rows;
        if (std::size_t(c.row) >= rows.size()) rows.resize(std::size_t(c.row) + 1);
        rows[std::size_t(c.row)] = forward ? c.after : c.before;
        touched[std::size_t(c.kind)] = true;
    }
    for (int k = 0; k < kKinds; ++k) {
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
    const int shown = int(std::count(touched.begin(), touched.end(), true));
    if (shown == 1)
        ui.refresh(int(std::find(touched.begin(), touched.end(), true) - touched.begin()));
    else if (shown > 1 || step.context_before)
        ui.refresh(-1);
}

} // namespace

StepRecorder::StepRecorder(const State& st, const StepScope& scope,
                           std::shared_ptr<const std::string> known)
    : scope_(scope) {
    for (int k = 0; k < kKinds; ++k) {
        counts_[std::size_t(k)] = st.row_count(k);
        check_errors_[std::size_t(k)] = st.pane(k).check_errors_visible;
        const auto [first, last] = scoped_rows(scope, k, st.row_count(k));
        const auto& rows = st.pane(k).rows;
        auto& copy = rows_[std::size_t(k)];
        copy.reserve(std::size_t(std::max(0, last - first)));
        for (int r = first; r < last; ++r) copy.push_back(row_or_blank(rows, r, st.row_count(k)));
    }
    if (scope.document)
        document_ = known && *known == st.document
                        ? std::move(known)
                        : std::make_shared<const std::string>(st.document);
    if (scope.context) context_ = context_of(st);
}

Step StepRecorder::finish(const State& st) {
    Step step;
    for (int k = 0; k < kKinds; ++k) {
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
        const auto& rows = st.pane(k).rows;
        for (int r = first; r < last; ++r) {
            const std::size_t i = std::size_t(r - first);
            const Row& old = i < rows_[K].size() ? rows_[K][i] : row_or_blank(rows, r, 0);
            const Row& now = row_or_blank(rows, r, after);
            if (!(old == now)) step.rows.push_back({k, r, old, now});
        }
    }
    if (document_ && *document_ != st.document) {
        step.document_before = document_;
        step.document_after = std::make_shared<const std::string>(st.document);
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

Step row_step(const State& st, int kind, int row, Row before, bool check_errors_before) {
    Step step;
    const auto K = std::size_t(kind);
    step.counted[K] = true;
    step.count_before[K] = step.count_after[K] = st.row_count(kind);
    step.check_errors_before[K] = check_errors_before;
    step.check_errors_after[K] = st.pane(kind).check_errors_visible;
    const Row& now = row_or_blank(st.pane(kind).rows, row, st.row_count(kind));
    if (!(before == now)) step.rows.push_back({kind, row, std::move(before), now});
    return step;
}

void merge_steps(Step& earlier, Step&& later) {
    for (int k = 0; k < kKinds; ++k) {
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
        if (*earlier.document_before == *earlier.document_after)
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
