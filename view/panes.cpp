#include "view/panes.h"

#include "view/state.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace lex {

namespace {

int clamp_int(long long v) {
    return int(
        std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

long long span(const Pane& pane) {
    return std::llabs((long long)pane.viewport - (long long)pane.panel);
}

} // namespace

int panel_height(int rows) {
    rows = std::max(rows, 0);
    const long long design = (long long)kRowHeight * (rows + 15);
    const long long reach = (long long)kRowPitch * rows;
    return clamp_int(std::max(design, reach));
}

void size_pane(Pane& pane, int rows) {
    pane.panel = panel_height(rows);
    const long long d = std::llabs((long long)pane.panel - pane.viewport);
    if (d < kRowHeight || pane.panel < pane.viewport) {
        pane.panel = pane.viewport;
        pane.page_step = std::max(pane.viewport, 1);
        pane.line_step = 1;
        return;
    }
    // One line step moves about one row, one page step about one viewport.
    auto units = [&](long long twips) {
        return clamp_int(
            std::max<long long>(1, std::llround(double(twips) * kScrollMax / double(d))));
    };
    pane.page_step = std::min(units(pane.viewport), kScrollMax);
    pane.line_step = std::min(units(kRowPitch), kScrollMax);
}

void size_panes(State& st) {
    for (const Kind kind : kAllKinds) size_pane(st.pane(kind), st.row_count(kind));
}

int panel_top(int viewport, int panel, int value) {
    const double d = std::fabs(double(viewport) - double(panel));
    // nearbyint rounds halves to even in the default rounding mode.
    return -clamp_int((long long)std::nearbyint(d * double(value) / kScrollMax));
}

void scroll_pane(State& st, Kind kind, int value) {
    Pane& pane = st.pane(kind);
    pane.scroll = std::clamp(value, 0, kScrollMax);
    pane.top = panel_top(pane.viewport, pane.panel, pane.scroll);
}

RowSpan visible_rows(const Pane& pane, int rows) {
    RowSpan s;
    if (rows <= 0) return s;
    // Rows whose box reaches into [max(0, top), min(viewport, top + panel)).
    const long long lo = std::max<long long>(0, pane.top);
    const long long hi = std::min<long long>(pane.viewport, (long long)pane.top + pane.panel);
    if (hi <= lo) return s;
    // Row k covers [top + k*pitch, top + k*pitch + height).
    long long first = (lo - pane.top - kRowHeight) / kRowPitch + 1;
    if (lo - pane.top - kRowHeight < 0) first = 0;
    long long last = (hi - pane.top - 1) / kRowPitch + 1;
    first = std::clamp<long long>(first, 0, rows);
    last = std::clamp<long long>(last, first, rows);
    s.first = int(first);
    s.last = int(last);
    return s;
}

int value_to_show_row(const Pane& pane, int row) {
    const long long d = span(pane);
    if (d == 0 || row < 0) return pane.scroll;
    const long long rowTop = (long long)row * kRowPitch;
    const long long rowBottom = rowTop + kRowHeight;
    const long long offset = -(long long)pane.top; // how far the panel is scrolled up
    if (rowTop >= offset && rowBottom <= offset + pane.viewport) return pane.scroll;
    long long want;
    if (rowTop < offset) {
        // Scroll up until the row's top reaches the viewport's top.
        want = (long long)std::floor(double(rowTop) * kScrollMax / double(d));
        while (want > 0 && -panel_top(pane.viewport, pane.panel, int(want)) > rowTop) --want;
    } else {
        // Scroll down until the row's bottom reaches the viewport's bottom.
        want = (long long)std::ceil(double(rowBottom - pane.viewport) * kScrollMax / double(d));
        while (want < kScrollMax &&
               -panel_top(pane.viewport, pane.panel, int(want)) + pane.viewport < rowBottom)
            ++want;
    }
    return int(std::clamp<long long>(want, 0, kScrollMax));
}

} // namespace lex
