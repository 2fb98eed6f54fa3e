#include "commands/clear_translations.h"

#include "document/ui.h"
#include "view/state.h"
#include "view/window_state.h"

#include <algorithm>
#include <array>
#include <string>

namespace lex {

void clear_translations(State& st, Ui& ui, Kind kind) {
    // A translation run writes into the rows while it goes.
    if (st.win.running || kind < 0 || kind >= kKinds) return;
    static constexpr std::array<const char*, 3> kPaneName{"Polygons", "Lines", "Pois"};
    close_language_lists(st);
    ui.refresh(RefreshTarget::window());
    if (!ui.ask({QuestionId::kClearTranslations,
                 std::string("Clear current ") + kPaneName[std::size_t(kind)] + " translations?"}))
        return;
    auto& rows = st.rows(kind);
    const int n = std::min(st.row_count(kind), int(rows.size()));
    for (int k = 0; k < n; ++k) {
        Row& row = rows[std::size_t(k)];
        row.text.clear();
        row.status = RowStatus::kNormal;
    }
    ui.refresh(RefreshTarget::pane_rows(kind));
}

} // namespace lex
