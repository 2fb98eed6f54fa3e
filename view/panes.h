#pragma once
// The three panes as data: how tall each panel is for its rows, how the scroll bar moves it,
// and which rows a viewport shows. Everything is in twips; the window converts to pixels.

#include <algorithm>

#include "document/kind.h"

namespace lex {

struct State;
struct Pane;

// Row geometry shared by the three panes: row k stands at k * kRowPitch in its panel.
constexpr int kRowHeight = 504;
constexpr int kRowPitch = 514;
// The design width of a panel and the left edges and widths of the cells of a row: the
// element's picture, a square of the row's height, then the source label and the target box.
constexpr int kPanelWidth = 4128;
constexpr int kPictureLeft = 36;
constexpr int kPictureWidth = kRowHeight;
constexpr int kLabelLeft = kPictureLeft + kPictureWidth + 36;
constexpr int kLabelWidth = 1956 - kLabelLeft;
constexpr int kTextLeft = 1992;
constexpr int kTextWidth = 2064;

// Panel height for n rows: room for n + 15 rows of height kRowHeight, and never less than
// the rows themselves need at their pitch, so that every row can be scrolled into view.
int panel_height(int rows);

// Sizes one pane for `rows` rows against its viewport: panel height and scroll steps.
// A panel within one row height of the viewport, or shorter than it, is made exactly as tall
// as the viewport: an empty pane or one of a few rows fills its viewport and does not scroll.
void size_pane(Pane& pane, int rows);

// Sizes the three panes from the row counts.
void size_panes(State& st);

// Panel top for scroll value v: -round(|viewport - panel| * v / kScrollMax), halves to even.
int panel_top(int viewport, int panel, int value);

// The scroll bar of pane `kind` moved to `value`: the panel follows.
void scroll_pane(State& st, Kind kind, int value);

// Rows [first, last) of a panel that lie at least partly inside the viewport; the panel
// clips rows that reach below its own bottom edge.
struct RowSpan {
    int first = 0;
    int last = 0;
};
RowSpan visible_rows(const Pane& pane, int rows);

// The scroll value that brings row `row` wholly into view with the least movement; the
// current value when the row is already in view.
int value_to_show_row(const Pane& pane, int row);

} // namespace lex
