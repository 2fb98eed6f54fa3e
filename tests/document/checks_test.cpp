#include "document/checks.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace lex;

namespace {

CheckSettings only(CheckId id) {
    CheckSettings s;
    s.on.fill(false);
    s.on[std::size_t(id)] = true;
    return s;
}

struct RowCase {
    CheckId check;
    std::string source, target;
    bool fires;
    std::string says = {}; // part of the message, when it fires
    int target_cp = 1252;
    int file_cp = 1252;
    bool same_language = false;
    int source_cp = 1252;
};

// Each check of one row, with rows it must flag and rows it must let pass.
const std::vector<RowCase> kRowCases = {
    // Not representable: UTF-8 labels under a single-byte CodePage line.
    {CheckId::kNotRepresentable, "Lodz", "Łódź", true, "\"Ł\", \"ź\" are not in code page 1252",
     65001, 1252},
    {CheckId::kNotRepresentable, "Lodz", "Łódź", false, {}, 65001, 1250},
    {CheckId::kNotRepresentable, "Cafe", "Café €", false, {}, 65001, 1252},
    {CheckId::kNotRepresentable, "Lodz", "Łódź", false, {}, 65001, 65001},
    {CheckId::kNotRepresentable, "Lodz", "Łódź", false, {}, 65001, 0},
    // ... bytes the cell's own code page leaves undefined.
    {CheckId::kNotRepresentable, "Lake", "Jez\x81ro", true,
     "byte 0x81 is no character of code page 1250", 1250, 1252},
    {CheckId::kNotRepresentable, "Lake", "Jezioro \xB3\xF3\x9F", false, {}, 1250, 1252},
    {CheckId::kNotRepresentable, "Lake", "\x81\x40", false, {}, 932, 932},

    // Unchanged.
    {CheckId::kUnchanged, "Lake", "Lake", true, "the source text again"},
    {CheckId::kUnchanged, " Lake", "Lake ", true},
    {CheckId::kUnchanged, "Route 66", "Route 66", true},
    {CheckId::kUnchanged, "Lake", "Lake", false, {}, 1252, 1252, true},
    {CheckId::kUnchanged, "Lake", "See", false},
    {CheckId::kUnchanged, "Lake", "lake", false},
    {CheckId::kUnchanged, "OSM", "OSM", false},
    {CheckId::kUnchanged, "A1", "A1", false},
    {CheckId::kUnchanged, "112", "112", false},
    {CheckId::kUnchanged, "\xC5R\xC9", "\xC5R\xC9", false}, // capitals beyond ASCII: a name
    {CheckId::kUnchanged, "\xE9t\xE9", "\xE9t\xE9", true},  // small letters beyond ASCII
    // Cyrillic "Москва" in 1251 as its source, the same in the target: still a word.
    {CheckId::kUnchanged,
     "\xCC\xEE\xF1\xEA\xE2\xE0",
     "\xCC\xEE\xF1\xEA\xE2\xE0",
     true,
     {},
     1251,
     1251,
     false,
     1251},

    // Numbers.
    {CheckId::kNumbers, "Route 66", "Ruta 67", true, "the source has 66, the target 67"},
    {CheckId::kNumbers, "Route 66", "Ruta", true, "the target none"},
    {CheckId::kNumbers, "Exit 3 Route 66", "Ruta 66 salida 3", false},
    {CheckId::kNumbers, "1.5 km", "1,5 km", false},
    {CheckId::kNumbers, "Route 66", "Ruta 66", false},
    {CheckId::kNumbers, "Lake", "Lago 2", true, "no number, the target 2"},
    {CheckId::kNumbers, "Route 66", "Ruta 66 6", true},
    {CheckId::kNumbers, "66", "6 6", true},
    {CheckId::kNumbers, "A 1", "A 01", true},
    // A style's code is no number: a code that went is a "Brackets and marks" finding alone.
    {CheckId::kNumbers, "~[0x1f]A7 North", "A7 Nord", false},
    {CheckId::kNumbers, "~[0x2a]66", "~[0x2a]67", true, "the source has 66, the target 67"},
    // More numbers than the quick comparison holds.
    {CheckId::kNumbers, "1 2 3 4 5 6 7 8 9 10", "10 9 8 7 6 5 4 3 2 1", false},
    {CheckId::kNumbers, "1 2 3 4 5 6 7 8 9 10", "1 2 3 4 5 6 7 8 9 11", true, "11"},

    // Brackets and marks.
    {CheckId::kBrackets, "[Motorway]", "Autopista", true, "starts with \"[\""},
    {CheckId::kBrackets, "[Motorway]", "[Autopista]", false},
    {CheckId::kBrackets, "Lake (dry)", "Lago (seco", true, "the source has 1 \")\", the target 0"},
    {CheckId::kBrackets, "Lake (dry)", "(Seco) lago", false},
    {CheckId::kBrackets, "[A1] Motorway", "Autopista [A1]", true, "starts with \"[\""},
    {CheckId::kBrackets, "Motorway [A1]", "[A1] Autopista", true, "ends with \"]\""},
    {CheckId::kBrackets, "\"Blue\" lake", "Lago \"azul\"", false},
    {CheckId::kBrackets, "~[0x1f]A1", "A1", true, "the codes ~[0x1f], the target none"},
    {CheckId::kBrackets, "~[0x1f]A1", "~[0x1F]A1", false},
    {CheckId::kBrackets, "~[0x2a]12~[0x1f]Main", "~[0x1f]Principal~[0x2a]12", true,
     "starts with \"~[0x2a]\""},
    {CheckId::kBrackets, "Lake", "Lago", false},

    // Blanks.
    {CheckId::kBlanks, "Lake", " Lago", true, "the target starts with a blank"},
    {CheckId::kBlanks, "Lake ", "Lago", true, "the source ends with a blank"},
    {CheckId::kBlanks, "Lake shore", "Orilla  del lago", true, "double blank"},
    {CheckId::kBlanks, "Lake  shore", "Orilla  del lago", false},
    {CheckId::kBlanks, " Lake ", " Lago ", false},
    {CheckId::kBlanks, "Lake", "Lago", false},

    // Machine marks left.
    {CheckId::kMachineMarks, "Lake Wobegon", "Lago *Wobegon", true, "\"*Wobegon\""},
    {CheckId::kMachineMarks, "Bus stop", "@Parada de autob\xFAs", true, "\"@Parada\""},
    {CheckId::kMachineMarks, "Ford", "#Vado", true},
    {CheckId::kMachineMarks, "Exit #3", "Salida #3", false},
    {CheckId::kMachineMarks, "Car park", "Aparcamiento 5*", false},
    {CheckId::kMachineMarks, "Hotel 4 *", "Hotel 4 *", false},
    {CheckId::kMachineMarks, "E-mail", "correo@ejemplo", false},

    // Too long.
    {CheckId::kTooLong, "Bar", "Establecimiento", true, "15 characters, 5.0 times the source's 3"},
    {CheckId::kTooLong, "Lake", "Lago", false},
    {CheckId::kTooLong, "Lake", "Lago del", false}, // twice as long is still allowed

    // Control characters.
    {CheckId::kControlCharacters, "Lake", "La\tgo", true, "0x09"},
    {CheckId::kControlCharacters, "Lake", "La\x1Bgo\x7F", true, "0x1B, 0x7F"},
    {CheckId::kControlCharacters, "Lake", "Lago\xC2\x85", true, "0x85", 65001, 65001},
    {CheckId::kControlCharacters, "Lake", "Lago \x80", false}, // the euro sign in 1252
    {CheckId::kControlCharacters, "Lake", "~[0x1f]Lago", false},
};

} // namespace

TEST(Checks, EachRowCheckFiresOnItsFaultsAndOnlyThere) {
    for (const RowCase& c : kRowCases) {
        const CheckContext ctx{c.source_cp, c.target_cp, c.file_cp, c.same_language};
        const std::vector<Finding> found = check_row(c.source, c.target, ctx, only(c.check));
        const std::string what =
            std::string(check(c.check).name) + ": \"" + c.source + "\" -> \"" + c.target + "\"";
        ASSERT_EQ(found.size(), c.fires ? 1u : 0u) << what;
        if (!c.fires) continue;
        EXPECT_EQ(found[0].check, c.check) << what;
        EXPECT_NE(found[0].message.find(c.says), std::string::npos)
            << what << " says: " << found[0].message;
    }
}

TEST(Checks, TooLongTakesTheRatioAndTheLimitFromTheSettings) {
    struct Case {
        double ratio;
        int limit;
        std::string target;
        bool fires;
    };
    const std::vector<Case> cases = {
        {3.0, 0, "Establecimiento", true}, // 5 times "Bar"
        {6.0, 0, "Establecimiento", false},
        {6.0, 10, "Establecimiento", true}, // more than 10 characters
        {6.0, 15, "Establecimiento", false},
        {0.0, 0, "Establecimiento", false}, // no ratio, no limit
    };
    for (const Case& c : cases) {
        CheckSettings s = only(CheckId::kTooLong);
        s.max_ratio = c.ratio;
        s.max_length = c.limit;
        EXPECT_EQ(check_row("Bar", c.target, {}, s).size(), c.fires ? 1u : 0u)
            << c.ratio << " " << c.limit;
    }
    // Characters are counted, not bytes: "Łódź" in UTF-8 is four characters.
    CheckSettings s = only(CheckId::kTooLong);
    s.max_length = 4;
    EXPECT_TRUE(check_row("Lodz", "Łódź", {65001, 65001, 65001, false}, s).empty());
}

namespace {

Document with_rows(const std::vector<std::vector<std::pair<std::string, std::string>>>& kinds) {
    Document doc;
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        const Kind kind = Kind(k);
        for (std::size_t r = 0; r < kinds[k].size(); ++r) {
            if (r >= doc.rows(kind).size()) doc.rows(kind).resize(r + 1);
            doc.row(kind, int(r)).caption = kinds[k][r].first;
            doc.row(kind, int(r)).text = kinds[k][r].second;
        }
        doc.row_count(kind) = int(kinds[k].size());
    }
    return doc;
}

} // namespace

TEST(Checks, InconsistentNamesTheVariantsAndTheirRowsAcrossPanes) {
    const Document doc = with_rows({
        {{"Lake", "Lago"}, {"Forest", "Bosque"}},
        {{"lake ", "Laguna"}, {"River", "R\xEDo"}, {"Lake", ""}},
        {{"LAKE", "Lago"},
         {"Forest", "Bosque"},
         {"Lake  shore", "Orilla"},
         {"Lake shore", "Ribera"}},
    });
    const std::vector<Finding> found = run_checks(doc, {}, only(CheckId::kInconsistent));
    std::vector<std::pair<Kind, int>> rows;
    for (const Finding& f : found) rows.push_back({f.kind, f.row});
    // The empty target is no variant; "Forest" is translated one way only.
    const std::vector<std::pair<Kind, int>> expected = {
        {kPolygons, 0}, {kLines, 0}, {kPoints, 0}, {kPoints, 2}, {kPoints, 3}};
    EXPECT_EQ(rows, expected);
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found[0].message,
              "\"Lake\" has 2 translations: \"Lago\" (polygons 1, points 1), \"Laguna\" (lines 1)");
}

TEST(Checks, RowsWithoutTargetOrSourceAndChecksSwitchedOff) {
    const Document doc = with_rows({{{"Route 66", ""}, {"", "Ruta 67"}, {"Route 66", "Ruta 67"}}});
    CheckSettings all;
    std::vector<Finding> found = run_checks(doc, {}, all);
    // No target: nothing to check. No source: only the checks of the target alone run.
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].check, CheckId::kNumbers);
    EXPECT_EQ(found[0].row, 2);
    all.on[std::size_t(CheckId::kNumbers)] = false;
    EXPECT_TRUE(run_checks(doc, {}, all).empty());
}

// Thousands of rows, each source its own but for a few groups that differ in letter case and
// blanks only: exactly the rows of the groups translated in two ways are found.
TEST(Checks, InconsistentAmongManyRowsFindsExactlyTheGroupsThatDiffer) {
    std::vector<std::vector<std::pair<std::string, std::string>>> kinds(3);
    for (int r = 0; r < 3000; ++r)
        kinds[std::size_t(r % 3)].push_back(
            {"Label " + std::to_string(r), "Etikett " + std::to_string(r)});
    kinds[0].push_back({"Harbour  Road", "Hafenstrasse"});
    kinds[1].push_back({"harbour\troad ", "Hafenweg"});
    kinds[2].push_back({" HARBOUR ROAD", "Hafenstrasse"});
    kinds[2].push_back({"Label 7", "Etikett 7"}); // the same as its twin: consistent
    kinds[1].push_back({"LABEL 8", "Etikett acht"});
    const Document doc = with_rows(kinds);
    const std::vector<Finding> found = run_checks(doc, {}, only(CheckId::kInconsistent));
    std::vector<std::pair<Kind, int>> rows;
    for (const Finding& f : found) rows.push_back({f.kind, f.row});
    const std::vector<std::pair<Kind, int>> expected = {
        {kPolygons, 1000}, {kLines, 1000}, {kLines, 1001}, {kPoints, 2}, {kPoints, 1000}};
    EXPECT_EQ(rows, expected);
    ASSERT_EQ(found.size(), expected.size());
    EXPECT_EQ(found[0].message, "\"Harbour  Road\" has 2 translations: \"Hafenstrasse\" "
                                "(polygons 1001, points 1001), \"Hafenweg\" (lines 1001)");
    EXPECT_EQ(found[3].message, "\"LABEL 8\" has 2 translations: \"Etikett acht\" (lines 1002), "
                                "\"Etikett 8\" (points 3)");
}

// Within a row the finding of the comparison of rows stands in the order of the checks, between
// the checks of the target alone and those against the source.
TEST(Checks, FindingsOfARowFollowTheOrderOfTheChecks) {
    const Document doc = with_rows({{{"Route 66", "Ruta\x81 67"}, {"route  66", "Ruta 66"}},
                                    {{"Lake", "Lago"}},
                                    {{"ROUTE 66", "Ruta 66"}}});
    const CheckContext ctx{1250, 1250, 1250, false};
    std::vector<std::tuple<Kind, int, CheckId>> got;
    for (const Finding& f : run_checks(doc, ctx, CheckSettings{}))
        got.push_back({f.kind, f.row, f.check});
    const std::vector<std::tuple<Kind, int, CheckId>> expected = {
        {kPolygons, 0, CheckId::kNotRepresentable}, {kPolygons, 0, CheckId::kInconsistent},
        {kPolygons, 0, CheckId::kNumbers},          {kPolygons, 1, CheckId::kInconsistent},
        {kPoints, 0, CheckId::kInconsistent},
    };
    EXPECT_EQ(got, expected);
}

// Sources alike after lower case and blanks are one label in any code page, also where one is
// ASCII and the other not; sources that differ otherwise are never one label, however alike
// their bytes look.
TEST(Checks, InconsistentComparesSourcesAsTheyNormaliseAndNothingElse) {
    struct Case {
        int codepage;
        std::string a, b; // two sources, translated in two ways
        bool one_label;
    };
    const std::vector<Case> cases = {
        {1252, "Lake shore", "LAKE\tshore ", true},
        {1252, "Lake shore", "  lake   shore", true},
        {1252, "\xC9tang", "\xE9TANG", true}, // É, é
        {1250,
         "\xA3\xF3"
         "d\x9F",
         "\xB3\xD3"
         "D\x8F",
         true},                            // Łódź, łÓDŹ
        {1254, "\xDDzmir", "IZMIR", true}, // İ reads as i, as does I
        {1252, "Lake shore", "Lakeshore", false},
        {1252, "Lake shore", "Lakes hore", false},
        {1252, "a@b", "a`b", false},
        {1252, "Lake 1", "Lake 1.", false},
        {1252, "\xC9tang", "Etang", false},
        {1250,
         "\xA3\xF3"
         "dz",
         "Lodz", false},
    };
    for (const Case& c : cases) {
        const Document doc = with_rows({{{c.a, "One"}, {c.b, "Two"}}});
        const CheckContext ctx{c.codepage, c.codepage, c.codepage, false};
        EXPECT_EQ(run_checks(doc, ctx, only(CheckId::kInconsistent)).size(), c.one_label ? 2u : 0u)
            << c.codepage << ": \"" << c.a << "\", \"" << c.b << "\"";
    }
}

namespace {

// What each check of one row says when it reads the characters of both texts, row by row,
// without passing over any check: the measure for the quicker reading of ASCII rows.
std::vector<std::pair<CheckId, std::string>> read_in_full(const std::string& source,
                                                          const std::string& target,
                                                          const CheckContext& ctx,
                                                          const CheckSettings& settings) {
    const std::u32string s = cell_chars(source, ctx.source_codepage);
    const std::u32string t = cell_chars(target, ctx.target_codepage);
    const bool has_source = source.find_first_not_of(' ') != std::string::npos;
    std::vector<std::pair<CheckId, std::string>> out;
    for (const Check& c : checks()) {
        const bool target_alone = c.id == CheckId::kNotRepresentable ||
                                  c.id == CheckId::kControlCharacters ||
                                  c.id == CheckId::kMachineMarks;
        if (!c.row || !settings.is_on(c.id) || (!has_source && !target_alone)) continue;
        std::string message;
        if (c.row({source, target, s, t}, ctx, settings, message)) out.push_back({c.id, message});
    }
    return out;
}

} // namespace

// Every pair of labels of a pool meant to sit on the edges of what the checks look for (blanks
// at the ends and inside, numbers moved or in codes, marks, controls, bytes beyond ASCII): the
// checks of a row find exactly what reading every check in full finds.
TEST(Checks, QuickReadingOfRowsFindsWhatReadingInFullFinds) {
    const std::vector<std::string> pool = {
        "",
        " ",
        "Lake",
        "Lake ",
        " Lake",
        "  Lake  ",
        "Lake shore",
        "Lake  shore",
        "  Lake  shore  ",
        "Lake \tshore",
        "lake",
        "Route 66",
        "Ruta 66",
        "Ruta 67",
        "66 Ruta",
        "Ruta 6 6",
        "Exit 3 Route 66",
        "Salida 3 Ruta 66 ",
        "~[0x1f]A7 North",
        "A7 Nord",
        "~[0x1f]A7",
        "~[0x2a]7",
        "A~[0x2a]7",
        "~[0x1f",
        "[0x1f]A7",
        "[Motorway]",
        "(dry) Lake",
        "\"Blue\" lake",
        "Lago *Wobegon",
        "#Vado 3",
        "Hotel 4 *",
        "La\x1Bgo\x7F",
        "OSM",
        "112",
        "1 2 3 4 5 6 7 8 9 10",
        "10 9 8 7 6 5 4 3 2 1",
        "Bar",
        "Establecimiento",
        "Caf\xE9 3",
        " Lago",
        "Lago\xA0",
        "\xA0Lago",
        "Lago\xA0\xA0seco",
        "Jez\x81ro",
        "\xC5\x81\xC3\xB3"
        "d\xC5\xBA", // "Łódź" in UTF-8
        "Lago\x85",
    };
    CheckSettings limited;
    limited.max_length = 9;
    CheckSettings none;
    none.max_ratio = 0;
    const std::vector<std::pair<CheckContext, CheckSettings>> runs = {
        {{1252, 1252, 1252, false}, {}},        {{1252, 1250, 1250, false}, limited},
        {{1252, 1252, 1252, true}, none},       {{932, 932, 932, false}, {}},
        {{65001, 65001, 1252, false}, limited},
    };
    for (const auto& [ctx, settings] : runs)
        for (const std::string& source : pool)
            for (const std::string& target : pool) {
                std::vector<std::pair<CheckId, std::string>> quick;
                for (const Finding& f : check_row(source, target, ctx, settings))
                    quick.push_back({f.check, f.message});
                ASSERT_EQ(quick, read_in_full(source, target, ctx, settings))
                    << "\"" << source << "\" -> \"" << target << "\" in " << ctx.target_codepage;
            }
}
