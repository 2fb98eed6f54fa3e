#include "commands/review.h"

#include "commands/edit_label.h"
#include "document/text.h"
#include "document/ui.h"
#include "view/state.h"

#include <algorithm>

namespace lex {

void target_row_typed(State& st, Ui& ui, Kind kind, int row) {
    if (kind < 0 || kind >= kKinds || row < 0 || row >= st.row_count(kind)) return;
    Pane& pane = st.pane(kind);
    Row& r = st.rows(kind)[std::size_t(row)];
    // What the user typed is theirs: no longer the memory's or the engine's.
    r.tip.clear();
    const RowStatus status = row_status(r);
    if (status != r.status) {
        const bool wasSuspect = r.status == RowStatus::kSuspect;
        r.status = status;
        // "Check Errors" shows while the pane has a suspect row.
        if (status == RowStatus::kSuspect)
            pane.check_errors_visible = true;
        else if (wasSuspect)
            pane.check_errors_visible =
                std::any_of(st.rows(kind).begin(), st.rows(kind).begin() + st.row_count(kind),
                            [](const Row& other) { return other.status == RowStatus::kSuspect; });
    }
    target_typed(st, ui);
}

bool copy_source_to_target(State& st, Ui& ui, RowPlace at, const std::string& text) {
    const std::optional<Kind> kind = kind_from_int(at.kind);
    if (!kind || at.row < 0 || at.row >= st.row_count(*kind)) return false;
    Row& row = st.row(*kind, at.row);
    if (row.text == trim(text)) return true;
    row.text = trim(text);
    target_row_typed(st, ui, *kind, at.row);
    ui.refresh(RefreshTarget::pane_rows(*kind));
    return true;
}

std::optional<RowPlace> next_row_to_review(State& st, Ui& ui, RowPlace from, int step,
                                           RowFilter filter) {
    std::optional<RowPlace> next = find_row(st, from, step, filter);
    if (!next)
        ui.message({MessageId::kNoRowsLeft,
                    filter == RowFilter::kSuspect ? "No suspect rows left" : "No empty rows left"});
    return next;
}

} // namespace lex
