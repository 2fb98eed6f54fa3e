#include "commands/checks.h"
#include "commands/review.h"
#include "support/fixtures.h"

namespace lex {

using namespace lex::test;

TEST_F(DocTest, CheckedRowsAreMarkedAndNextSuspectVisitsThemUntilTheNextCheck) {
    ASSERT_TRUE(
        open("doc.txt",
             typ_header() +
                 typ_element("[_polygon]",
                             {"Type=0x01", "String1=0x04,Route 66", "String2=0x02,Strasse 67"}) +
                 typ_element("[_polygon]", {"Type=0x02", "String1=0x04,Lake", "String2=0x02,See"}) +
                 typ_element("[_point]",
                             {"Type=0x03", "String1=0x04,Guesthouse", "String2=0x02,Gasthaus"})));
    st.row(kPoints, 0).text = " Gasthaus"; // typed: the labels read from the file are trimmed
    const std::vector<Finding> found = check_translations(st, ui, CheckSettings{});
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].check, CheckId::kNumbers);
    EXPECT_EQ(found[1].check, CheckId::kBlanks);
    EXPECT_EQ(found[1].kind, kPoints);

    // F8 goes from the polygon to the point, round again; the clean row is passed over.
    std::optional<RowPlace> at = next_row_to_review(st, ui, {kPolygons, 0}, 1, RowFilter::kSuspect);
    EXPECT_EQ(at, (RowPlace{kPoints, 0}));
    at = next_row_to_review(st, ui, *at, 1, RowFilter::kSuspect);
    EXPECT_EQ(at, (RowPlace{kPolygons, 0}));

    // Fixed and checked again: no mark is left, and F8 says so.
    st.row(kPolygons, 0).text = "Strasse 66";
    st.row(kPoints, 0).text = "Gasthaus";
    CheckSettings settings;
    EXPECT_TRUE(check_translations(st, ui, settings).empty());
    EXPECT_FALSE(next_row_to_review(st, ui, {kPolygons, 0}, 1, RowFilter::kSuspect));
    EXPECT_EQ(ui.messages.back(), "No suspect rows left");
}

TEST(CheckSettingsFile, KeepsTheChoiceAndPassesOverWhatItDoesNotKnow) {
    struct Case {
        std::string text;
        std::vector<CheckId> off;
        double ratio;
        int limit;
    };
    const std::vector<Case> cases = {
        {"", {}, 2.0, 0},
        {"off=unchanged,too-long\r\nratio=3\r\nlimit=40\r\n",
         {CheckId::kUnchanged, CheckId::kTooLong},
         3.0,
         40},
        {"off= Numbers , spelling\nratio=2.5\n", {CheckId::kNumbers}, 2.5, 0},
        {"ratio=-1\nlimit=x\nratio=2x\nlimit=-5\n[checks]\n", {}, 2.0, 0},
        {"ratio=1e400\nlimit=99999999999999\n", {}, 2.0, 0},
    };
    for (const Case& c : cases) {
        const CheckSettings s = read_check_settings(c.text);
        CheckSettings expected;
        for (const CheckId id : c.off) expected.on[std::size_t(id)] = false;
        expected.max_ratio = c.ratio;
        expected.max_length = c.limit;
        EXPECT_EQ(s, expected) << c.text;
        // What is written reads back as it was.
        EXPECT_EQ(read_check_settings(check_settings_text(s)), s) << c.text;
    }
}

} // namespace lex
