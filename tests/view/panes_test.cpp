#include "document/state.h"
#include "support/fake_ui.h"
#include "view/panes.h"
#include "view/rows.h"

#include <gtest/gtest.h>

namespace lex {

namespace {
Pane pane_with(int viewport, int rows) {
    Pane p;
    p.viewport = viewport;
    size_pane(p, rows);
    return p;
}
} // namespace

TEST(Panes, PanelHeightFollowsTheRows) {
    EXPECT_EQ(pane_with(20000, 0).panel, 7560);
    EXPECT_EQ(pane_with(7000, 40).panel, 27720);
    // Long panes are tall enough for every row at its pitch.
    EXPECT_EQ(pane_with(7000, 10000).panel, 514 * 10000);
    EXPECT_GE(panel_height(30000), 514 * 30000);
}

TEST(Panes, PanelWithinARowOfTheViewportTakesItsHeight) {
    Pane p = pane_with(7560 + 300, 0);
    EXPECT_EQ(p.panel, 7860);
    EXPECT_EQ(p.page_step, 7860);
    p.scroll = 0;
    for (int v : {0, 1600, 3200}) EXPECT_EQ(panel_top(p.viewport, p.panel, v), 0);
    // One row height away is not "within".
    EXPECT_EQ(pane_with(7560 + 504, 0).panel, 7560);
}

TEST(Panes, ScrollArithmetic) {
    State st;
    Pane& p = st.pane(0);
    p.viewport = 7000;
    st.row_count(kPolygons) = 40;
    size_panes(st);
    scroll_pane(st, 0, 0);
    EXPECT_EQ(p.top, 0);
    scroll_pane(st, 0, 1600);
    EXPECT_EQ(p.top, -(27720 - 7000) / 2);
    scroll_pane(st, 0, kScrollMax);
    EXPECT_EQ(p.top, -(27720 - 7000));
    scroll_pane(st, 0, 99999);
    EXPECT_EQ(p.scroll, kScrollMax);
    // Halves round to even.
    EXPECT_EQ(panel_top(0, 800, 2), 0);   // 0.5
    EXPECT_EQ(panel_top(0, 800, 6), -2);  // 1.5
    EXPECT_EQ(panel_top(0, 800, 10), -2); // 2.5
    EXPECT_EQ(panel_top(0, 800, 14), -4); // 3.5
    // A panel shorter than its viewport moves by the difference too.
    EXPECT_EQ(panel_top(10000, 7560, kScrollMax), -2440);
}

TEST(Panes, ARebuildKeepsTheScrollPosition) {
    State st;
    test::FakeUi ui;
    st.pane(1).viewport = 7000;
    st.row_count(kPolygons) = 0;
    st.row_count(kLines) = 40;
    size_panes(st);
    scroll_pane(st, 1, 1600);
    const int top = st.pane(1).top;
    st.document = "[_line]\r\nType=0x01\r\nString1=0x04,Road\r\n[end]\r\n";
    st.row_target_code = "02";
    rebuild_rows(st, ui);
    EXPECT_EQ(st.row_count(kLines), 1);
    EXPECT_EQ(st.pane(1).scroll, 1600);
    EXPECT_EQ(st.pane(1).top, top);
    EXPECT_EQ(st.pane(1).panel, 504 * 16);
}

TEST(Panes, VisibleRowsAndTheLastRowAtTheEnd) {
    for (int rows : {1, 21, 40, 757, 758, 10000, 30000}) {
        State st;
        Pane& p = st.pane(2);
        p.viewport = 8000;
        st.row_count(kPoints) = rows;
        size_panes(st);
        scroll_pane(st, 2, 0);
        RowSpan top = visible_rows(p, rows);
        EXPECT_EQ(top.first, 0) << rows;
        EXPECT_EQ(top.last, std::min(rows, 8000 / 514 + 1)) << rows;
        scroll_pane(st, 2, kScrollMax);
        RowSpan end = visible_rows(p, rows);
        EXPECT_EQ(end.last, rows) << rows;
        // The last row is wholly inside the viewport.
        const long long lastTop = (long long)p.top + (long long)(rows - 1) * kRowPitch;
        EXPECT_LE(lastTop + kRowHeight, p.viewport) << rows;
        EXPECT_GE(lastTop, 0) << rows;
    }
}

TEST(Panes, PanelClipsRowsBelowItsBottom) {
    // 21 blank rows in a panel of 15 rows' height: the rows below the panel are not shown.
    Pane p;
    p.viewport = 20000;
    size_pane(p, 0);
    RowSpan s = visible_rows(p, 21);
    EXPECT_EQ(s.first, 0);
    EXPECT_EQ(s.last, (7560 - 1) / 514 + 1);
}

TEST(Panes, ValueToShowRowBringsAnyRowIntoView) {
    for (int rows : {40, 2000, 10000, 30000}) {
        State st;
        Pane& p = st.pane(0);
        p.viewport = 7000;
        st.row_count(kPolygons) = rows;
        size_panes(st);
        scroll_pane(st, 0, 0);
        for (int row : {0, 1, rows / 3, rows / 2 + 7, rows - 2, rows - 1, 5, 0}) {
            const int v = value_to_show_row(p, row);
            scroll_pane(st, 0, v);
            const long long rowTop = (long long)p.top + (long long)row * kRowPitch;
            EXPECT_GE(rowTop, 0) << rows << " row " << row;
            EXPECT_LE(rowTop + kRowHeight, p.viewport) << rows << " row " << row;
            // A row already in view does not move the pane.
            EXPECT_EQ(value_to_show_row(p, row), v);
        }
    }
}

} // namespace lex
