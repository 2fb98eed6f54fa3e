#include "commands/search.h"

#include "document/codepage.h"
#include "document/letter_case.h"
#include "document/text.h"
#include "document/ui.h"
#include "view/state.h"
#include "view/window_state.h"

#include <algorithm>

namespace lex {

void search_labels(State& st, Ui& ui) {
    if (st.win.running) return;
    close_language_lists(st);
    st.win.focus_search_box = false;
    st.win.focus_point_row = -1;
    if (trim(st.win.search_text).empty()) {
        st.win.focus_search_box = true;
        ui.refresh(RefreshTarget::window());
        return;
    }
    const int codepage = codepage_for_code(st.source_code);
    const std::string wanted = lower_case(st.win.search_text, codepage);
    std::string caption; // one buffer for every lower-cased caption
    std::array<int, kKinds> found{};
    for (const Kind kind : kAllKinds) {
        auto& rows = st.rows(kind);
        const int n = std::min(st.row_count(kind), int(rows.size()));
        for (int k = 0; k < n; ++k) {
            Row& row = rows[std::size_t(k)];
            row.marks.search_hit = false;
            lower_case(row.caption, codepage, caption);
            if (find_characters(caption, wanted, codepage) == std::string::npos) continue;
            row.marks.search_hit = true;
            ++found[std::size_t(kind)];
            if (kind == kPoints) st.win.focus_point_row = k;
        }
        ui.refresh(RefreshTarget::pane_rows(kind));
    }
    ui.message({MessageId::kSearchResult,
                "Found:\r\n\r\nPolygons:" + std::to_string(found[kPolygons]) + "\r\nLines:" +
                    std::to_string(found[kLines]) + "\r\nPois:" + std::to_string(found[kPoints])});
}

} // namespace lex
