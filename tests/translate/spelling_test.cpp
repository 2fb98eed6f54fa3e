#include "run_fixture.h"

#include "commands/tools_menu.h"
#include "support/temp_dir.h"
#include "translate/spelling.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace lex {
namespace {

using namespace lex::test;

std::string spel(const std::string& dict, std::string text) {
    return check_label_spelling(dict, text);
}

TEST(CheckSpel, WordsAreKnownAsSubstringsOfTheDictionary) {
    const std::string dict = "forest\r\nroad\r\nlake\r\nold\r\ntown\r\n";
    EXPECT_EQ(spel(dict, "forest road"), "");
    EXPECT_EQ(spel(dict, "forrest"), "forrest\r\n");
    EXPECT_EQ(spel(dict, "lakes"), "");
    EXPECT_EQ(spel(dict, "xyzs"), "xyz\r\n");
    EXPECT_EQ(spel(dict, "s"), "");
    EXPECT_EQ(spel(dict, "old town hall"), ""); // the third word is not looked at
    EXPECT_EQ(spel(dict, "old tovn"), "tovn\r\n");
    EXPECT_EQ(spel(dict, "for"), "");          // inside "forest"
    EXPECT_EQ(spel(dict, "road\r\nlake"), ""); // the whole label spans two lines
    EXPECT_EQ(spel(dict, ""), "");
}

TEST(CheckSpel, EqualsSignsSymbolsAndCommas) {
    const std::string dict = "forest\r\nroad\r\n";
    EXPECT_EQ(spel("forest\r\n", "a=b c"), "a\r\n");
    EXPECT_EQ(spel(dict, " forest = road "), "");
    EXPECT_EQ(spel(dict, "forest=rood"), "rood\r\n");
    EXPECT_EQ(spel(dict, "(forest)"), ""); // brackets became blanks: " forest "
    EXPECT_EQ(spel(dict, "forest,rood"), "rood\r\n");
    std::string label = "forest_road*";
    check_label_spelling(dict, label);
    EXPECT_EQ(label, "forest road");
}

TEST(CheckSpel, EmptyDictionaryReportsEveryWord) {
    EXPECT_EQ(spel("", "lake"), "lake\r\n");
    EXPECT_EQ(spel("", "lakes"), "lake\r\n");
}

TEST(Lexicon, TheIndexAnswersAsTheScanDoes) {
    const std::string text =
        "forest\r\nroad\nlake side\r\n\xE9t\xE9\r\n" + std::string(100, 'q') + "\r\nzz";
    const Lexicon scan(text, false);
    const Lexicon index(text, true);
    for (std::string w :
         {"forest", "orest", "fores", "road", "road\nlake", "t\r\nroad", "lake side", "e s",
          "\xE9t\xE9", "t\xE9", "zz", "z", "zzz", "", "\r", "roads", "forestroad", "\xFF", "a"}) {
        EXPECT_EQ(index.known(w), scan.known(w)) << w;
    }
    EXPECT_TRUE(index.known(std::string(90, 'q')));
    EXPECT_FALSE(index.known(std::string(101, 'q')));
    EXPECT_TRUE(index.known("e s"));
    EXPECT_FALSE(index.known("zzz"));
}

TEST(Lower1252, AccentedCapitalsToo) {
    EXPECT_EQ(lower_1252("Caf\xC9 \xC0 \xD7 \x8A\x9F Z"), "caf\xE9 \xE0 \xD7 \x9A\xFF z");
}

class SpellingTest : public ::testing::Test {
protected:
    TempDir dir;
    State st = english_to_german(dir.str());
    FakeUi ui;

    void SetUp() override {
        st.dictionary = "forest\r\nroad\r\nlake\r\nriver\r\n";
        fill_pane(st, kPolygons, {{"Forest", ""}, {" Lakes ", ""}, {"Forrest Road", ""}});
        fill_pane(st, kLines, {{"River", ""}});
        fill_pane(st, kPoints, {{"Peak", ""}, {"LAKE", ""}});
    }
};

TEST_F(SpellingTest, ReportListsOneWordPerLabelAndOpensInTheViewer) {
    st.pane(kPolygons).rows[0].label_back = kYellow; // an old finding is cleared
    tools_menu_item(st, ui, 0);
    const std::string dots(40, '.');
    const std::string expected = "Polygons\r\n" + dots + "\r\n" + "(2)forrest\r\n\r\n" + "\r\n" +
                                 dots + "\r\n" + "Lines\r\n" + dots + "\r\n" + "\r\n" + dots +
                                 "\r\n" + "Pois\r\n" + dots + "\r\n" + "(0)peak\r\n\r\n" + "\r\n";
    EXPECT_EQ(TempDir::read(dir.file("tmp_.txt")), expected);
    EXPECT_EQ(ui.viewed, Strings{dir.file("tmp_.txt")});
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(st.pane(kPolygons).rows[0].label_back, kWhite);
    EXPECT_EQ(st.pane(kPolygons).rows[1].label_back, kWhite);
    EXPECT_EQ(st.pane(kPolygons).rows[2].label_back, kYellow);
    EXPECT_EQ(st.pane(kPoints).rows[0].label_back, kYellow);
    EXPECT_FALSE(st.win.busy);
    EXPECT_FALSE(st.win.running);
}

TEST_F(SpellingTest, TheReportMatchesTheDocumentedExample) {
    State one = english_to_german(dir.str());
    one.dictionary = "forest\r\n";
    std::vector<std::pair<std::string, std::string>> rows(13, {"forest", ""});
    rows[12].first = "Forrest";
    fill_pane(one, kPolygons, rows);
    tools_menu_item(one, ui, 0);
    const std::string dots(40, '.');
    EXPECT_EQ(TempDir::read(dir.file("tmp_.txt")),
              "Polygons\r\n" + dots + "\r\n(12)forrest\r\n\r\n\r\n" + dots + "\r\nLines\r\n" +
                  dots + "\r\n\r\n" + dots + "\r\nPois\r\n" + dots + "\r\n\r\n");
}

TEST_F(SpellingTest, NothingFoundWritesNoReport) {
    st.dictionary = "forest\r\nroad\r\nlake\r\nriver\r\npeak\r\nforrest";
    tools_menu_item(st, ui, 0);
    EXPECT_EQ(ui.messages, Strings{"No errors found"});
    EXPECT_FALSE(std::filesystem::exists(dir.file("tmp_.txt")));
    EXPECT_TRUE(ui.viewed.empty());
}

TEST_F(SpellingTest, EnglishOnly) {
    st.source_code = "01";
    tools_menu_item(st, ui, 0);
    EXPECT_EQ(ui.messages, Strings{"English only"});
    EXPECT_FALSE(std::filesystem::exists(dir.file("tmp_.txt")));
}

TEST_F(SpellingTest, AnUnwritableReportIsSaidAndNotOpened) {
    std::filesystem::create_directory(dir.file("tmp_.txt")); // a folder where the file goes
    tools_menu_item(st, ui, 0);
    EXPECT_EQ(ui.messages, Strings{"Cannot write " + dir.file("tmp_.txt")});
    EXPECT_TRUE(ui.viewed.empty());
}

TEST_F(SpellingTest, ReloadAndEditTheDictionary) {
    std::filesystem::create_directory(dir.file("dictionaries"));
    const std::string dic = dir.write("dictionaries/EN.dic", "peak\r\nhill\r\n");
    tools_menu_item(st, ui, 3);
    EXPECT_EQ(st.dictionary, "peak\r\nhill\r\n");
    tools_menu_item(st, ui, 2);
    EXPECT_EQ(ui.viewed, Strings{dic});
    EXPECT_EQ(TempDir::read(dic), "peak\r\nhill\r\n");
}

TEST_F(SpellingTest, AMissingDictionary) {
    const std::string dic = dir.file("dictionaries/EN.dic");
    tools_menu_item(st, ui, 3);
    EXPECT_EQ(st.dictionary, "");
    EXPECT_EQ(ui.messages, Strings{dic + " doesn't exist"});
    tools_menu_item(st, ui, 2); // the viewer gets an empty file to start from
    EXPECT_EQ(ui.viewed, Strings{dic});
    EXPECT_TRUE(std::filesystem::exists(dic));
}

TEST_F(SpellingTest, MarkingLightBlueRows) {
    fill_pane(st, kLines, {{"a", "a"}, {"b", "x"}, {"c", "c"}, {"d", "d"}});
    for (int r : {0, 2, 3}) st.pane(kLines).rows[std::size_t(r)].back = st.highlight;
    tools_menu_item(st, ui, 6);
    EXPECT_EQ(texts(st, kLines), (Strings{"?a", "x", "?c", "?d"}));
    EXPECT_EQ(colours(st, kLines), (Colours{st.highlight, kWhite, st.highlight, st.highlight}));
    EXPECT_TRUE(st.pane(kLines).check_errors_visible);
    tools_menu_item(st, ui, 7);
    EXPECT_FALSE(st.pane(kPoints).check_errors_visible);
    EXPECT_EQ(ui.messages, (Strings{"Found: 3", "Found: 0"}));
}

TEST_F(SpellingTest, MarkedRowsAreTranslatedByTheNextRun) {
    fill_pane(st, kLines, {{"Lake", "Lake"}, {"River", ""}});
    st.pane(kLines).rows[0].back = st.highlight;
    tools_menu_item(st, ui, 6);
    ScriptedTranslator tr;
    tr.canned["Lake,River"] = "See,Fluss";
    translate_pane(st, ui, tr, kLines, kNoPause);
    EXPECT_EQ(tr.sent, Strings{"Lake,River"});
    EXPECT_EQ(texts(st, kLines), (Strings{"See", "Fluss"}));
}

TEST_F(SpellingTest, AddCustomLanguage) {
    State before = st;
    tools_menu_item(st, ui, 9);
    tools_menu_item(st, ui, 1); // a separator does nothing
    EXPECT_EQ(ui.messages, Strings{"Available next update"});
    EXPECT_EQ(texts(st, kPolygons), texts(before, kPolygons));
}

} // namespace
} // namespace lex
