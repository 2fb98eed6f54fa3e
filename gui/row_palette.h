#pragma once
// The colours of a row: the one place where a row's status and marks become the colours its
// source cell and target box are drawn in.

#include "view/state.h"

#include <cstdint>

namespace lex {

// Colours as 0xRRGGBB.
using Rgb = std::uint32_t;
constexpr Rgb rgb(int r, int g, int b) {
    return (Rgb(r) << 16) | (Rgb(g) << 8) | Rgb(b);
}
constexpr Rgb kBlack = rgb(0, 0, 0);            // text
constexpr Rgb kRed = rgb(255, 0, 0);            // suspect row
constexpr Rgb kMagenta = rgb(255, 0, 255);      // search hit
constexpr Rgb kYellow = rgb(255, 255, 0);       // spelling doubt on the source text
constexpr Rgb kWhite = rgb(255, 255, 255);      // normal row
constexpr Rgb kLightBlue = rgb(230, 250, 255);  // target text the same as the source
constexpr Rgb kLightAmber = rgb(255, 236, 179); // a translation to review
// Target text that the spelling check doubts: dark orange, readable on every row status.
constexpr Rgb kSpellingDoubt = rgb(204, 85, 0);
// Behind the source label of a row a translation check found fault with.
constexpr Rgb kLavender = rgb(232, 224, 255);

// The picture cell: night pictures are drawn on a dark ground, as a night map shows them; a
// solid colour gets a thin edge, so that a white or light one shows on the pane.
constexpr Rgb kNightPictureGround = rgb(40, 44, 52);
constexpr Rgb kSwatchEdge = rgb(128, 128, 128);

struct CellColours {
    Rgb back;
    Rgb fore;
    bool operator==(const CellColours&) const = default;
};

// The source cell: light yellow behind a spelling doubt, lavender behind a row a translation
// check found fault with, magenta text for a search hit.
constexpr CellColours source_colours(const Row& row) {
    return {row.marks.source_doubt    ? kYellow
            : row.marks.check_finding ? kLavender
                                      : kWhite,
            row.marks.search_hit ? kMagenta : kBlack};
}

// The target box: its back colour is the row's status, its text dark orange for a spelling doubt.
constexpr CellColours target_colours(const Row& row) {
    Rgb back = kWhite;
    switch (row.status) {
    case RowStatus::kNormal:
        back = kWhite;
        break;
    case RowStatus::kSuspect:
        back = kRed;
        break;
    case RowStatus::kSameAsSource:
        back = kLightBlue;
        break;
    case RowStatus::kToReview:
        back = kLightAmber;
        break;
    }
    return {back, row.marks.target_doubt ? kSpellingDoubt : kBlack};
}

} // namespace lex
