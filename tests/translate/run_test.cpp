#include "run_fixture.h"

#include "document/codec.h"
#include "translate/run.h"

#include <gtest/gtest.h>

namespace lex {
namespace {

using namespace lex::test;

class RunTest : public ::testing::Test {
protected:
    State st = english_to_german();
    FakeUi ui;
    ScriptedTranslator tr;

    void translate(int kind = kPolygons) { Command7_Click(st, ui, tr, kind, kNoPause); }
    void check_errors(int kind = kPolygons) { Label3_Click(st, ui, tr, kind, kNoPause); }

    void expect_idle(int kind = kPolygons) {
        EXPECT_FALSE(st.win.running || st.errcheck || st.stopflag || st.win.busy);
        EXPECT_FALSE(st.pane(kind).stop_visible);
        EXPECT_TRUE(st.pane(kind).translate_visible);
        EXPECT_EQ(st.win.progress, 0);
    }
};

std::string sjis(const char* utf8) {
    return encode(QString::fromUtf8(utf8), 932);
}

TEST_F(RunTest, ThreeLabelsGoInOneRequestAndComeBackTrimmed) {
    fill_pane(st, kLines, "Lake|River, small|Forest");
    tr.script("Lake,River  small,Forest=See, Fluss klein ,Wald");
    st.win.check2 = true; // cleared by Translate
    translate(kLines);
    EXPECT_EQ(tr.sent, Strings{"Lake,River  small,Forest"});
    EXPECT_EQ(st.trquery, "en|de");
    EXPECT_EQ(texts(st, kLines), "See|Fluss klein|Wald");
    EXPECT_EQ(colours(st, kLines), "WWW");
    EXPECT_FALSE(st.pane(kLines).check_errors_visible);
    EXPECT_TRUE(st.changed);
    EXPECT_EQ(st.win.title.back(), '+');
    EXPECT_FALSE(st.win.check2);
    EXPECT_TRUE(ui.messages.empty());
    expect_idle(kLines);
}

// One "Translate" (or "Check Errors") of the polygons: the rows before ("source=target|..."),
// the translator's script, the requests sent, and the targets and colours afterwards.
TEST_F(RunTest, AnswersAreMatchedBackToTheirRows) {
    struct Case {
        const char *what, *rows, *script, *sent, *after, *colours;
        std::function<void(State&)> setup = {};
        bool check = false; // "Check Errors" instead of "Translate"
    };
    auto whiten = [](int row) {
        return [row](State& s) { s.pane(kPolygons).rows[std::size_t(row)].back = kWhite; };
    };
    auto checking = [](State& s) { s.pane(kPolygons).check_errors_visible = true; };
    auto japanese = [](State& s) {
        s.win.list4 = {0, 19};
        s.tolang = s.tolang2 = "25";
        s.tocp = 932;
    };
    const std::string eastAsian = "Lake,River,Forest=" + sjis("湖、川，森");
    const std::string eastAsianAfter = sjis("湖") + "|" + sjis("川") + "|" + sjis("森");
    const Case cases[] = {
        {"a short answer marks the whole batch suspect", "Lake|River, small|Forest",
         "Lake,River  small,Forest=See,Wald", "Lake,River  small,Forest", "?See|?Wald|??", "RRR"},
        {"a long answer is written suspect and untrimmed", "a|b|c", "a,b,c=a, b,c,d", "a,b,c",
         "?a|? b|?c", "RRR"},
        {"batches of three, then the rest", "a|b|c|d|e", "a,b,c=A,B,C;d,e=D,E", "a,b,c;d,e",
         "A|B|C|D|E", "WWWWW"},
        {"blank sources and translated rows are not sent", "a|   |b=done|c= |d=x?|e",
         "a,c,d=A,C,D;e=E", "a,c,d;e", "A||done|C|D|E", "WWWWWW", whiten(4)},
        {"a pending batch goes out after the last label", "a|b|", "a,b=A,B", "a,b", "A|B|", "WWW"},
        {"while a pane has red rows only those go; red rows without ? turn white",
         "a=?x|b|c=ok|d=fine", "a=A,D", "a", "?A||ok|fine", "RWWW",
         [](State& s) { s.pane(kPolygons).rows[3].back = kRed; }},
        {"failed requests leave their rows suspect", "a|b|c|d|e|f", "", "a,b,c;d,e,f",
         "?|??|??|?|??|??", "RRRRRR"},
        {"a failed pair", "a|b", "", "a,b", "?|??", "RR"},
        {"a failed single label", "a", "", "a", "?", "R"},
        {"a ? in the answer makes its row suspect", "a|b", "a,b=A,B?", "a,b", "A|B?", "WR"},
        {"line breaks in an answer become blanks", "a", "a=x\r\ny\tz", "a", "x  y z", "W"},
        {"stop before the third request keeps the second answer", "a|b|c|d|e|f|g",
         "a,b,c=A,B,C;!d,e,f=D,E,F", "a,b,c;d,e,f", "A|B|C|D|E|F|", "WWWWWWW"},
        {"stop during a download leaves that batch alone", "a|b|c|d=?old|e|f|g",
         "a,b,c=A,B,C;!d,e,f=", "a,b,c;d,e,f", "A|B|C|?old|||", "WWWWWWW", whiten(3)},
        {"stopped while checking errors, the suspect rows stay red", "a=?x|d=?y", "!a=", "a",
         "?x|?y", "RR", checking, true},
        {"check errors sends one label per request", "Lake=?See,Wald|River=Fluss|Forest=??|Hill",
         "Lake= See ;Forest=Wald", "Lake;Forest", "See|Fluss|Wald|", "WWWW", checking, true},
        {"East Asian answers split at their own commas", "Lake|River|Forest", eastAsian.c_str(),
         "Lake,River,Forest", eastAsianAfter.c_str(), "WWW", japanese},
        {"East Asian mismatches make later batches smaller; a first answer that re-splits to "
         "one item is given up",
         "a|b|c|d|e|f|g|h|i", "a,b,c=x,y;d,e=z;f,g=z;h=z;i=z", "a,b,c;d,e;f,g;h;i",
         "|||?z|??|?z|??|z|z", "WWWRRRRWW",
         [](State& s) {
             s.win.list4 = {0, 18};
             s.tocp = 936;
         }},
        {"an East Asian answer that cannot be matched leaves suspect rows", "a=?1|b=?2|c=?3",
         "a,b,c=one item", "a,b,c", "?1|?2|?3", "RRR", [](State& s) { s.tocp = 932; }},
        {"... and blank rows blank", "a|b|c", "a,b,c=one item", "a,b,c", "||", "WWW",
         [](State& s) { s.tocp = 932; }},
        {"splitting an answer that keeps its count still ends", "a=?", "a=x,y,z", "a", "?", "R",
         [](State& s) {
             s.tocp = 932;
             s.pane(kPolygons).check_errors_visible = true;
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        st = english_to_german();
        tr.sent.clear();
        tr.script(c.script);
        fill_pane(st, kPolygons, c.rows);
        if (c.setup) c.setup(st);
        c.check ? check_errors() : translate();
        EXPECT_EQ(tr.sent, cells(c.sent, ';'));
        EXPECT_EQ(texts(st, kPolygons), c.after);
        EXPECT_EQ(colours(st, kPolygons), c.colours);
        // "Check Errors" shows while a red row is left.
        EXPECT_EQ(st.pane(kPolygons).check_errors_visible,
                  std::string(c.colours).find('R') != std::string::npos);
        expect_idle();
    }
}

TEST_F(RunTest, RowsRebuiltDuringARequestAreNotWrittenOver) {
    fill_pane(st, kPolygons, "a|b");
    tr.answer = [](State& s, const std::string&) {
        fill_pane(s, kPolygons, "x=X|b");
        return std::string("A,B");
    };
    translate();
    EXPECT_EQ(texts(st, kPolygons), "X|B");
}

TEST_F(RunTest, ChecksAndTheirMessages) {
    fill_pane(st, kPolygons, "a");
    const std::array<int, 2> lists[] = {{-1, 2}, {0, -1}, {0, 0}, {0, 20}}; // 20: Thai
    for (const auto& l : lists) {
        st.win.list4 = l;
        translate();
    }
    st = english_to_german();
    translate(); // no rows anywhere
    fill_pane(st, kLines, "a");
    translate(kPoints); // none in this pane
    EXPECT_EQ(ui.messages,
              (Strings{"Please select a From Language.", "Please select a To Language.",
                       "Can't translate from and to the same language",
                       "Cannot find target language", "No data.", "No data"}));
    EXPECT_TRUE(tr.sent.empty());
    expect_idle(kPoints);
}

TEST_F(RunTest, WebCodesOfTheLanguages) {
    fill_pane(st, kPolygons, "a");
    st.custgoog = "ko";
    const std::pair<std::array<int, 2>, const char*> cases[] = {
        {{1, 23}, "fr|iw"}, {{0, 24}, "en|ko"}, {{0, 19}, "en|ja"}, {{0, 18}, "en|zh-CN"}};
    for (const auto& [lists, query] : cases) {
        st.win.list4 = lists;
        translate();
        EXPECT_EQ(st.trquery, query);
    }
}

TEST_F(RunTest, OtherPanesCannotStartWhileARunGoes) {
    fill_pane(st, kPolygons, "a");
    fill_pane(st, kLines, "b");
    tr.answer = [this](State& s, const std::string&) {
        EXPECT_TRUE(s.win.running && s.errcheck && s.pane(kPolygons).stop_visible);
        EXPECT_FALSE(s.pane(kPolygons).translate_visible);
        Command7_Click(s, ui, tr, kLines, kNoPause); // refused
        Label3_Click(s, ui, tr, kLines, kNoPause);   // refused
        return std::string("A");
    };
    translate();
    EXPECT_EQ(tr.sent, Strings{"a"});
    EXPECT_EQ(texts(st, kLines), "");
    expect_idle();

    st.pane(kLines).rows[0].text = "?";
    st.errcheck = true; // "Check Errors" waits for errcheck alone
    check_errors(kLines);
    EXPECT_EQ(tr.sent, Strings{"a"});
}

TEST(SplitAnswer, NeverCutsADoubleByteCharacter) {
    // Shift_JIS "ア" is 0x83 0x41: its second byte is an "A".
    const std::string a = "\x83\x41";
    EXPECT_EQ(split_answer(a + "A" + a, {"A"}, 932), (Strings{a, a}));
    EXPECT_EQ(split_answer(a + "A" + a, {"A"}, 1252), (Strings{"\x83", "", "\x83", ""}));
    EXPECT_EQ(split_answer("a,b,", {","}, 1252), (Strings{"a", "b", ""}));
}

TEST(RunCodePages, UnsetCodePagesFollowTheLanguages) {
    State st = english_to_german();
    st.fromcp = st.tocp = 0;
    st.fromlang = "19";
    st.tolang2 = "25";
    EXPECT_EQ(source_codepage(st), 1251);
    EXPECT_EQ(target_cp(st), 932);
    st.tocp = 1250;
    EXPECT_EQ(target_cp(st), 1250);
}

} // namespace
} // namespace lex
