#include "commands/checks.h"
#include "commands/review.h"
#include "support/fixtures.h"

#include <array>
#include <set>
#include <tuple>

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

// A style of clean translations with faults planted among them, each of one check: every
// planted fault is found by its check, and no clean row has a finding.
TEST_F(DocTest, EveryPlantedFaultIsFoundAndNoCleanRowIs) {
    const std::vector<std::pair<std::string, std::string>> words{
        {"Lake", "See"},   {"River", "Fluss"},    {"Forest", "Wald"}, {"Road", "Strasse"},
        {"Trail", "Pfad"}, {"Bridge", "Bruecke"}, {"Marsh", "Sumpf"}, {"Beach", "Strand"}};
    struct Planted {
        CheckId check;
        std::string source, target;
    };
    const std::vector<Planted> planted{
        {CheckId::kNotRepresentable, "Pond",
         "Tei\x81"
         "ch"},
        {CheckId::kInconsistent, "Old harbour", "Alter Hafen"},
        {CheckId::kInconsistent, "old  Harbour", "Altes Hafenbecken"},
        {CheckId::kUnchanged, "Forest path", "Forest path"},
        {CheckId::kNumbers, "Route 66", "Route 67"},
        {CheckId::kBrackets, "[Motorway]", "Autobahn"},
        {CheckId::kBrackets, "Lake (dry)", "See (trocken"},
        {CheckId::kBlanks, "Bus stop", "Bushalte  Nord"},
        {CheckId::kMachineMarks, "Lake Wobegon", "See *Wobegon"},
        {CheckId::kTooLong, "Bar", "Gaststaettenbetrieb"},
        {CheckId::kControlCharacters, "Spring",
         "Quel\x1B"
         "le"},
        // Blanks that stand in the file around a target the row shows without them.
        {CheckId::kBlanks, "Lakeside", "Seeufer "},
        {CheckId::kBlanks, "Quay", " Kai"},
    };
    std::string text = typ_header();
    std::set<std::tuple<Kind, int, CheckId>> expected;
    std::array<int, kKinds> rows{};
    static constexpr std::array<const char*, kKinds> kMarker{"[_polygon]", "[_line]", "[_point]"};
    for (int i = 0, p = 0; i < 400; ++i) {
        const Kind kind = kAllKinds[std::size_t(i % 3)];
        std::string source, target;
        if (i % 31 == 7 && p < int(planted.size())) {
            const Planted& f = planted[std::size_t(p++)];
            source = f.source;
            target = f.target;
            expected.insert({kind, rows[std::size_t(kind)], f.check});
        } else {
            const auto& [a, a_de] = words[std::size_t(i * 7 % 8)];
            const auto& [b, b_de] = words[std::size_t(i * 3 % 8)];
            source = a + " " + b + " " + std::to_string(i);
            target = b_de + " am " + a_de + " " + std::to_string(i);
        }
        text += typ_element(kMarker[std::size_t(kind)],
                            {"Type=0x01", "String1=0x04," + source, "String2=0x02," + target});
        ++rows[std::size_t(kind)];
    }
    ASSERT_EQ(expected.size(), planted.size());
    ASSERT_TRUE(open("planted.txt", text));
    std::set<std::tuple<Kind, int, CheckId>> found;
    for (const Finding& f : check_translations(st, ui, CheckSettings{}))
        found.insert({f.kind, f.row, f.check});
    EXPECT_EQ(found, expected);
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
