// The row palette draws every status and mark in the colour the panes have always shown it in.

#include "gui/row_palette.h"

#include <gtest/gtest.h>

namespace lex {

namespace {

TEST(RowPalette, EachStatusAndMarkHasItsColour) {
    struct Case {
        RowStatus status;
        RowMarks marks;
        CellColours source, target; // back and text colour of the source cell, the target box
    };
    const Case cases[] = {
        {RowStatus::kNormal, {}, {0xFFFFFF, 0x000000}, {0xFFFFFF, 0x000000}},
        {RowStatus::kSuspect, {}, {0xFFFFFF, 0x000000}, {0xFF0000, 0x000000}},
        {RowStatus::kSameAsSource, {}, {0xFFFFFF, 0x000000}, {0xE6FAFF, 0x000000}},
        {RowStatus::kNormal, {.search_hit = true}, {0xFFFFFF, 0xFF00FF}, {0xFFFFFF, 0x000000}},
        {RowStatus::kNormal, {.source_doubt = true}, {0xFFFF00, 0x000000}, {0xFFFFFF, 0x000000}},
        {RowStatus::kSuspect, {.target_doubt = true}, {0xFFFFFF, 0x000000}, {0xFF0000, 0xCC5500}},
        {RowStatus::kSameAsSource, {true, true, true}, {0xFFFF00, 0xFF00FF}, {0xE6FAFF, 0xCC5500}},
    };
    for (const Case& c : cases) {
        Row row;
        row.status = c.status;
        row.marks = c.marks;
        EXPECT_EQ(source_colours(row), c.source) << int(c.status);
        EXPECT_EQ(target_colours(row), c.target) << int(c.status);
    }
}

} // namespace

} // namespace lex
