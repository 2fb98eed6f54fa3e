#include "run_fixture.h"

#include "support/temp_dir.h"
#include "translate/spelling.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace lex {
namespace {

using namespace lex::test;
namespace fs = std::filesystem;

TEST(CheckSpel, WordsAreKnownAsSubstringsOfTheDictionary) {
    const std::string dict = "forest\r\nroad\r\nlake\r\nold\r\ntown\r\n";
    // A final "s" is dropped; the third word is not looked at; "=", symbols and commas part
    // words; the label may span dictionary lines.
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"forest road", ""}, {"forrest", "forrest"}, {"lakes", ""}, {"xyzs", "xyz"}, {"s", ""},
        {"old town hall", ""}, {"old tovn", "tovn"}, {"for", ""}, {"road\r\nlake", ""},
        {"q=b c", "q"}, {" forest = road ", ""}, {"forest=rood", "rood"}, {"(forest)", ""},
        {"forest,rood", "rood"}};
    // clang-format on
    for (auto [label, word] : cases)
        EXPECT_EQ(check_spel(dict, label), word.empty() ? "" : word + "\r\n") << label;
    std::string label = "forest_road*";
    EXPECT_EQ(check_spel("", label), "forest\r\n"); // an empty dictionary knows nothing
    EXPECT_EQ(label, "forest road");
}

TEST(Lexicon, TheIndexAnswersAsTheScanDoes) {
    const std::string text =
        "forest\r\nroad\nlake side\r\n\xE9t\xE9\r\n" + std::string(100, 'q') + "\r\nzz";
    const Lexicon scan(text, false);
    const Lexicon index(text, true);
    Strings words = cells("forest|orest|fores|road|road\nlake|t\r\nroad|lake side|e s|\xE9t\xE9|"
                          "t\xE9|zz|z|zzz||\r|roads|forestroad|\xFF|a");
    words.push_back(std::string(90, 'q'));
    words.push_back(std::string(101, 'q'));
    for (const std::string& w : words) EXPECT_EQ(index.known(w), scan.known(w)) << w;
    EXPECT_TRUE(index.known(std::string(90, 'q')));
    EXPECT_FALSE(index.known("zzz"));
    EXPECT_EQ(lower_1252("Caf\xC9 \xC0 \xD7 \x8A\x9F Z"), "caf\xE9 \xE0 \xD7 \x9A\xFF z");
}

class SpellingTest : public ::testing::Test {
protected:
    TempDir dir;
    State st = english_to_german(dir.str());
    FakeUi ui;
    const std::string report = dir.file("tmp_.txt");

    void SetUp() override {
        st.dictext = "forest\r\nroad\r\nlake\r\nriver\r\n";
        fill_pane(st, kPolygons, "Forest| Lakes |Forrest Road");
        fill_pane(st, kLines, "River");
        fill_pane(st, kPoints, "Peak|LAKE");
    }
};

TEST_F(SpellingTest, ReportListsOneWordPerLabelAndOpensInTheViewer) {
    st.pane(kPolygons).rows[0].label_back = kYellow; // an old finding is cleared
    mtls_click(st, ui, 0);
    const std::string dots = std::string(40, '.') + "\r\n";
    EXPECT_EQ(TempDir::read(report), "Polygons\r\n" + dots + "(2)forrest\r\n\r\n\r\n" + dots +
                                         "Lines\r\n" + dots + "\r\n" + dots + "Pois\r\n" + dots +
                                         "(0)peak\r\n\r\n\r\n");
    EXPECT_EQ(ui.viewed, Strings{report});
    EXPECT_TRUE(ui.messages.empty());
    auto marked = [&](int kind, int row) {
        return st.pane(kind).rows[std::size_t(row)].label_back == kYellow;
    };
    EXPECT_TRUE(!marked(kPolygons, 0) && !marked(kPolygons, 1) && marked(kPolygons, 2) &&
                marked(kPoints, 0));
    EXPECT_FALSE(st.win.busy || st.win.running);

    // Row numbers of two digits.
    std::string rows;
    for (int i = 0; i < 12; ++i) rows += "forest|";
    fill_pane(st, kPolygons, rows + "Forrest");
    st.npoi = 0;
    mtls_click(st, ui, 0);
    EXPECT_EQ(TempDir::read(report), "Polygons\r\n" + dots + "(12)forrest\r\n\r\n\r\n" + dots +
                                         "Lines\r\n" + dots + "\r\n" + dots + "Pois\r\n" + dots +
                                         "\r\n");
}

TEST_F(SpellingTest, NothingFoundEnglishOnlyAndAnUnwritableReport) {
    st.dictext += "peak\r\nforrest";
    mtls_click(st, ui, 0);
    st.fromlang = "01";
    mtls_click(st, ui, 0);
    EXPECT_EQ(ui.messages, (Strings{"No errors found", "English only"}));
    EXPECT_FALSE(fs::exists(report));

    st.fromlang = "04";
    st.dictext = "";
    fs::create_directory(report); // a folder where the file goes
    mtls_click(st, ui, 0);
    EXPECT_EQ(ui.messages.back(), "Cannot write " + report);
    EXPECT_TRUE(ui.viewed.empty());
}

TEST_F(SpellingTest, ReloadAndEditTheDictionary) {
    const std::string dic = dir.file("dictionaries/EN.dic");
    mtls_click(st, ui, 3); // missing
    EXPECT_EQ(st.dictext, "");
    EXPECT_EQ(ui.messages, Strings{dic + " doesn't exist"});
    mtls_click(st, ui, 2); // the viewer gets an empty file to start from
    EXPECT_EQ(ui.viewed, Strings{dic});
    EXPECT_TRUE(fs::exists(dic));

    dir.write("dictionaries/EN.dic", "peak\r\nhill\r\n");
    mtls_click(st, ui, 3);
    EXPECT_EQ(st.dictext, "peak\r\nhill\r\n");
    mtls_click(st, ui, 2);
    EXPECT_EQ(TempDir::read(dic), "peak\r\nhill\r\n");
}

TEST_F(SpellingTest, MarkedLightBlueRowsAreTranslatedByTheNextRun) {
    fill_pane(st, kLines, "a=a|b=x|c=c|d=d");
    for (int r : {0, 2, 3}) st.pane(kLines).rows[std::size_t(r)].back = st.hilite;
    mtls_click(st, ui, 6);
    EXPECT_EQ(texts(st, kLines), "?a|x|?c|?d");
    EXPECT_EQ(colours(st, kLines), "BWBB");
    EXPECT_TRUE(st.pane(kLines).check_errors_visible);
    mtls_click(st, ui, 7);
    EXPECT_FALSE(st.pane(kPoints).check_errors_visible);
    mtls_click(st, ui, 9);
    mtls_click(st, ui, 1); // a separator does nothing
    EXPECT_EQ(ui.messages, (Strings{"Found: 3", "Found: 0", "Available next update"}));

    ScriptedTranslator tr;
    tr.script("a,c,d=A,C,D");
    Command7_Click(st, ui, tr, kLines, kNoPause);
    EXPECT_EQ(tr.sent, Strings{"a,c,d"});
    EXPECT_EQ(texts(st, kLines), "A|x|C|D");
}

} // namespace
} // namespace lex
