#pragma once
// The review of the rows after a run: which rows need work, how many there are, and moving from
// one to the next in reading order (polygons, then lines, then points).

#include "view/state.h"

#include <array>
#include <optional>
#include <string>

namespace lex {

// A suspect row: its status says so, or its text holds "?" (a row the same as its source that
// was marked for checking).
bool row_suspect(const Row& row);
// A row without target text (blanks only).
bool row_empty(const Row& row);

// The status a row's target text gives it: suspect when it holds "?", the same as the source
// when it is the source text again (blanks around either aside), normal otherwise.
RowStatus row_status(const Row& row);

// The rows of a pane: every row is suspect, empty (and not suspect) or translated. The status
// bar and the command line's counts both come from here.
struct PaneCounts {
    int rows = 0;
    int translated = 0;
    int suspect = 0;
    int empty = 0;
    int to_review = 0; // of the translated, those to look at again (memory, chained engines)
    bool operator==(const PaneCounts&) const = default;
};
PaneCounts count_rows(const State& st, Kind kind);
// The counts count_rows gives once the rows are built, read from the document itself without
// building them, for each kind: for a command that only reads.
std::array<PaneCounts, kKinds> count_document_rows(const State& st);

// A row of a pane.
struct RowPlace {
    int kind = -1;
    int row = -1;
    bool operator==(const RowPlace&) const = default;
};

enum class RowFilter { kSuspect, kEmpty };

// The next row (step 1) or the previous one (step -1) after `from` in reading order that passes
// `filter` (kSuspect: suspect, to review, or marked by a translation check), wrapping round;
// `from` itself comes last. From a place that is no row the search starts at the first row (or
// the last, going back). Nothing when no row passes.
std::optional<RowPlace> find_row(const State& st, RowPlace from, int step, RowFilter filter);

// The status bar: a pane's counts ("Polygons 12: 8 translated, 1 suspect, 3 empty", with
// "2 to review, " before the suspect ones when there are any, or where room is short
// "Polygons: 1 suspect, 3 empty"), the document's code page ("Code page 1252",
// "UTF-8"; empty without a document).
std::string pane_statistics(const State& st, Kind kind, bool brief = false);
// The same from counts count_rows gave.
std::string pane_statistics(const PaneCounts& c, Kind kind, bool brief = false);
std::string codepage_statistics(const State& st);

} // namespace lex
