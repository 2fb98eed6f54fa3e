#include "document/state.h"
#include "support/fake_ui.h"
#include "view/panes.h"
#include "view/rows.h"

#include <gtest/gtest.h>

namespace lex {

namespace {

// Pane `kind` of a fresh state with `rows` rows against a viewport of `viewport` twips.
State with_rows(int kind, int viewport, int rows) {
    State st;
    st.pane(kind).viewport = viewport;
    st.count(kind) = rows;
    scrollbars(st);
    VS_Change(st, kind, 0);
    return st;
}

} // namespace

TEST(Panes, PanelHeightAndScrollArithmetic) {
    EXPECT_EQ(with_rows(0, 20000, 0).pane(0).panel, 7560);
    // Long panes are tall enough for every row at its pitch.
    EXPECT_EQ(with_rows(0, 7000, 10000).pane(0).panel, 514 * 10000);
    // A panel within a row of the viewport takes its height and does not move.
    const Pane near = with_rows(0, 7560 + 300, 0).pane(0);
    EXPECT_EQ(near.panel, 7860);
    EXPECT_EQ(near.page_step, 7860);
    for (int v : {0, 1600, 3200}) EXPECT_EQ(panel_top(near.viewport, near.panel, v), 0);
    EXPECT_EQ(with_rows(0, 7560 + 504, 0).pane(0).panel, 7560); // one row away is not "within"

    State st = with_rows(0, 7000, 40);
    EXPECT_EQ(st.pane(0).panel, 27720);
    VS_Change(st, 0, 1600);
    EXPECT_EQ(st.pane(0).top, -(27720 - 7000) / 2);
    VS_Change(st, 0, kScrollMax);
    EXPECT_EQ(st.pane(0).top, -(27720 - 7000));
    VS_Change(st, 0, 99999);
    EXPECT_EQ(st.pane(0).scroll, kScrollMax);
    // Halves round to even.
    for (auto [v, top] : {std::pair{2, 0}, {6, -2}, {10, -2}, {14, -4}})
        EXPECT_EQ(panel_top(0, 800, v), top) << v;
    // A panel shorter than its viewport moves by the difference too.
    EXPECT_EQ(panel_top(10000, 7560, kScrollMax), -2440);
}

TEST(Panes, ARebuildKeepsTheScrollPosition) {
    State st = with_rows(1, 7000, 40);
    test::FakeUi ui;
    VS_Change(st, 1, 1600);
    const int top = st.pane(1).top;
    st.alltext = "[_line]\r\nType=0x01\r\nString1=0x04,Road\r\n[end]\r\n";
    st.tolang2 = "02";
    refresh_labels(st, ui);
    EXPECT_EQ(st.nline, 1);
    EXPECT_EQ(st.pane(1).scroll, 1600);
    EXPECT_EQ(st.pane(1).top, top);
    EXPECT_EQ(st.pane(1).panel, 504 * 16);
}

TEST(Panes, VisibleRowsAndTheLastRowAtTheEnd) {
    // 21 blank rows in a panel of 15 rows' height: the rows below the panel are not shown.
    EXPECT_EQ(visible_rows(with_rows(2, 20000, 0).pane(2), 21).last, (7560 - 1) / 514 + 1);
    for (int rows : {1, 21, 40, 757, 758, 10000, 30000}) {
        State st = with_rows(2, 8000, rows);
        const Pane& p = st.pane(2);
        RowSpan top = visible_rows(p, rows);
        EXPECT_EQ(top.first, 0) << rows;
        EXPECT_EQ(top.last, std::min(rows, 8000 / 514 + 1)) << rows;
        VS_Change(st, 2, kScrollMax);
        EXPECT_EQ(visible_rows(p, rows).last, rows) << rows;
        // The last row is wholly inside the viewport.
        const long long lastTop = (long long)p.top + (long long)(rows - 1) * kRowPitch;
        EXPECT_LE(lastTop + kRowHeight, p.viewport) << rows;
        EXPECT_GE(lastTop, 0) << rows;
    }
}

TEST(Panes, ValueToShowRowBringsAnyRowIntoView) {
    for (int rows : {40, 2000, 10000, 30000}) {
        State st = with_rows(0, 7000, rows);
        const Pane& p = st.pane(0);
        for (int row : {0, 1, rows / 3, rows / 2 + 7, rows - 2, rows - 1, 5, 0}) {
            const int v = value_to_show_row(p, row);
            VS_Change(st, 0, v);
            const long long rowTop = (long long)p.top + (long long)row * kRowPitch;
            EXPECT_GE(rowTop, 0) << rows << " row " << row;
            EXPECT_LE(rowTop + kRowHeight, p.viewport) << rows << " row " << row;
            // A row already in view does not move the pane.
            EXPECT_EQ(value_to_show_row(p, row), v);
        }
    }
}

} // namespace lex
