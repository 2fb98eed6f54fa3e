// The review on the model: the order "Next Suspect" and "Next Empty" walk the rows in, the
// counts of the status bar, and the status a typed or copied text gives its row.

#include "commands/review.h"
#include "support/fixtures.h"

namespace lex {

using namespace lex::test;

namespace {

std::string place(const std::optional<RowPlace>& p) {
    return p ? std::to_string(p->kind) + ":" + std::to_string(p->row) : "none";
}

} // namespace

TEST(Review, SuspectAndEmptyRowsAreVisitedInReadingOrderAndWrapRound) {
    State st = english_to_german();
    fill_pane(st, kPolygons, "a=?x|b=|c=ok");
    fill_pane(st, kLines, "d=?y|h=  ");
    fill_pane(st, kPoints, "e=|f=?z|g=g");
    st.row(kPoints, 2).status = RowStatus::kSameAsSource;
    st.row(kPoints, 2).text = "?g"; // the same as the source, marked for checking
    st.rows(kPoints).resize(30);
    st.rows(kPoints)[25].status = RowStatus::kSuspect; // past the row count: not a row
    struct Case {
        RowPlace from;
        int step;
        RowFilter filter;
        const char* expected;
    };
    const RowFilter S = RowFilter::kSuspect, E = RowFilter::kEmpty;
    const Case cases[] = {
        {{}, 1, S, "0:0"},      {{0, 0}, 1, S, "1:0"},  {{1, 0}, 1, S, "2:1"},
        {{2, 1}, 1, S, "2:2"},  {{2, 2}, 1, S, "0:0"},  {{}, -1, S, "2:2"},
        {{0, 0}, -1, S, "2:2"}, {{1, 0}, -1, S, "0:0"}, {{0, 2}, 1, S, "1:0"},
        {{1, 5}, 1, S, "0:0"},  {{}, 1, E, "0:1"},      {{0, 1}, 1, E, "1:1"},
        {{1, 1}, 1, E, "2:0"},  {{2, 0}, 1, E, "0:1"},  {{2, 0}, -1, E, "1:1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from.kind) + ":" + std::to_string(c.from.row) +
                     (c.step > 0 ? " next" : " previous"));
        EXPECT_EQ(place(find_row(st, c.from, c.step, c.filter)), c.expected);
    }

    // The only suspect row is found from itself; with none left the user is told.
    fill_pane(st, kPolygons, "a=ok|b=?");
    fill_pane(st, kLines, "c=ok");
    fill_pane(st, kPoints, "d=ok");
    EXPECT_EQ(place(find_row(st, {0, 1}, 1, S)), "0:1");
    FakeUi ui;
    st.row(kPolygons, 1).text = "fixed";
    target_row_typed(st, ui, kPolygons, 1);
    EXPECT_EQ(place(next_row_to_review(st, ui, {0, 1}, 1, S)), "none");
    EXPECT_EQ(place(next_row_to_review(st, ui, {}, -1, E)), "none");
    EXPECT_EQ(ui.messages, (Strings{"No suspect rows left", "No empty rows left"}));
    st = english_to_german();
    EXPECT_EQ(place(find_row(st, {}, 1, S)), "none");
}

TEST(Review, TheStatusBarCountsEveryRowOnceAndNamesTheCodePage) {
    State st = english_to_german();
    fill_pane(st, kPolygons, "a=?x|b=|c=ok|d=  |e=e|f=g");
    st.row(kPolygons, 4).status = RowStatus::kSameAsSource;
    st.row(kPolygons, 5).status = RowStatus::kSameAsSource;
    st.row(kPolygons, 5).text = "?g";
    EXPECT_EQ(count_rows(st, kPolygons), (PaneCounts{6, 2, 2, 2}));
    EXPECT_EQ(pane_statistics(st, kPolygons), "Polygons 6: 2 translated, 2 suspect, 2 empty");
    EXPECT_EQ(pane_statistics(st, kPolygons, true), "Polygons: 2 suspect, 2 empty");
    EXPECT_EQ(pane_statistics(st, kLines), "Lines 0: 0 translated, 0 suspect, 0 empty");

    EXPECT_EQ(codepage_statistics(st), "");
    st.document = typ_header();
    EXPECT_EQ(codepage_statistics(st), "Code page 1252");
    st.utf8_labels = true;
    EXPECT_EQ(codepage_statistics(st), "UTF-8");
}

TEST(Review, ATypedTextGivesItsRowItsStatus) {
    struct Case {
        const char *caption, *text;
        char status;
        bool check_errors;
    };
    const Case cases[] = {
        {"Lake", "See", 'W', false}, {"Lake", "Se?", 'R', true}, {"Lake", " Lake ", 'B', false},
        {"Lake", "", 'W', false},    {"Lake", "See", 'W', true}, // another row is still suspect
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        State st = english_to_german();
        FakeUi ui;
        fill_pane(st, kLines,
                  std::string(c.caption) + "=?old|other=" + (&c == &cases[4] ? "?" : ""));
        st.pane(kLines).check_errors_visible = true;
        st.row(kLines, 0).text = c.text;
        target_row_typed(st, ui, kLines, 0);
        EXPECT_EQ(statuses(st, kLines)[0], c.status);
        EXPECT_EQ(st.pane(kLines).check_errors_visible, c.check_errors);
        EXPECT_TRUE(st.changed);
        EXPECT_EQ(st.win.title.back(), '+');
    }
}

} // namespace lex
