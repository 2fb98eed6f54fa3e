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

    void translate(int kind = kPolygons) { translate_pane(st, ui, tr, kind, kNoPause); }
    void check_errors(int kind = kPolygons) { lex::check_errors(st, ui, tr, kind, kNoPause); }

    void expect_idle(int kind = kPolygons) {
        EXPECT_FALSE(st.win.running);
        EXPECT_FALSE(st.checking_errors);
        EXPECT_FALSE(st.stop_requested);
        EXPECT_FALSE(st.win.busy);
        EXPECT_FALSE(st.pane(kind).stop_visible);
        EXPECT_TRUE(st.pane(kind).translate_visible);
        EXPECT_EQ(st.win.progress, 0);
    }
};

TEST_F(RunTest, ThreeLabelsGoInOneRequestAndComeBackTrimmed) {
    fill_pane(st, kLines, {{"Lake", ""}, {"River, small", ""}, {"Forest", ""}});
    tr.canned["Lake,River  small,Forest"] = "See, Fluss klein ,Wald";
    translate(kLines);
    EXPECT_EQ(tr.sent, Strings{"Lake,River  small,Forest"});
    EXPECT_EQ(st.language_pair, "en|de");
    EXPECT_EQ(texts(st, kLines), (Strings{"See", "Fluss klein", "Wald"}));
    EXPECT_EQ(colours(st, kLines), Colours(3, kWhite));
    EXPECT_FALSE(st.pane(kLines).check_errors_visible);
    EXPECT_TRUE(st.changed);
    EXPECT_EQ(st.win.title.back(), '+');
    EXPECT_FALSE(st.win.single_words);
    EXPECT_TRUE(ui.messages.empty());
    expect_idle(kLines);
}

TEST_F(RunTest, AShortAnswerMarksTheWholeBatchSuspect) {
    fill_pane(st, kPolygons, {{"Lake", ""}, {"River, small", ""}, {"Forest", ""}});
    tr.canned["Lake,River  small,Forest"] = "See,Wald";
    translate();
    EXPECT_EQ(texts(st, kPolygons), (Strings{"?See", "?Wald", "??"}));
    EXPECT_EQ(colours(st, kPolygons), Colours(3, kRed));
    EXPECT_TRUE(st.pane(kPolygons).check_errors_visible);
    expect_idle();
}

TEST_F(RunTest, ALongAnswerIsWrittenSuspectUntrimmed) {
    fill_pane(st, kPolygons, {{"A", ""}, {"B", ""}, {"C", ""}});
    tr.canned["A,B,C"] = "a, b,c,d";
    translate();
    EXPECT_EQ(texts(st, kPolygons), (Strings{"?a", "? b", "?c"}));
    EXPECT_EQ(colours(st, kPolygons), Colours(3, kRed));
}

TEST_F(RunTest, BatchesOfThreeThenTheRest) {
    fill_pane(st, kPoints, {{"a", ""}, {"b", ""}, {"c", ""}, {"d", ""}, {"e", ""}});
    tr.answer = [](State&, const std::string& req) { return req == "a,b,c" ? "A,B,C" : "D,E"; };
    translate(kPoints);
    EXPECT_EQ(tr.sent, (Strings{"a,b,c", "d,e"}));
    EXPECT_EQ(texts(st, kPoints), (Strings{"A", "B", "C", "D", "E"}));
}

TEST_F(RunTest, BlankSourcesAndTranslatedRowsAreNotSent) {
    fill_pane(st, kPolygons,
              {{"a", ""}, {"   ", ""}, {"b", "done"}, {"c", " "}, {"d", "x?"}, {"e", ""}});
    st.pane(kPolygons).rows[4].back = kWhite; // no red row: blank and "?" rows are selected
    tr.answer = [](State&, const std::string& req) { return req == "a,c,d" ? "A,C,D" : "E"; };
    translate();
    EXPECT_EQ(tr.sent, (Strings{"a,c,d", "e"}));
    EXPECT_EQ(texts(st, kPolygons), (Strings{"A", "", "done", "C", "D", "E"}));
}

TEST_F(RunTest, AfterTheLastLabelAPendingBatchStillGoesOut) {
    // The last selected row has a blank source, so the walk ends with two labels collected.
    fill_pane(st, kPolygons, {{"a", ""}, {"b", ""}, {"", ""}});
    tr.canned["a,b"] = "A,B";
    translate();
    EXPECT_EQ(tr.sent, Strings{"a,b"});
    EXPECT_EQ(texts(st, kPolygons), (Strings{"A", "B", ""}));
}

TEST_F(RunTest, WhileAPaneHasRedRowsOnlyThoseAreSelected) {
    fill_pane(st, kPolygons, {{"a", "?x"}, {"b", ""}, {"c", "ok"}, {"d", "fine"}});
    st.pane(kPolygons).rows[3].back = kRed; // red without "?"
    tr.answer = [](State&, const std::string&) { return std::string("A,D"); };
    translate();
    EXPECT_EQ(st.pane(kPolygons).run_rows, (Strings{"0", "3"}));
    // Row 3 holds no "?" and is not blank, so it is made white and left out of the batch.
    EXPECT_EQ(tr.sent, Strings{"a"});
    EXPECT_EQ(texts(st, kPolygons), (Strings{"?A", "", "ok", "fine"}));
}

TEST_F(RunTest, ChecksAndTheirMessages) {
    fill_pane(st, kPolygons, {{"a", ""}});
    st.win.language_row = {-1, 2};
    translate();
    st.win.language_row = {0, -1};
    translate();
    st.win.language_row = {0, 0};
    translate();
    st.win.language_row = {0, 20}; // Thai: no web code
    translate();
    EXPECT_EQ(
        ui.messages,
        (Strings{"Please select a From Language.", "Please select a To Language.",
                 "Can't translate from and to the same language", "Cannot find target language"}));
    EXPECT_TRUE(tr.sent.empty());
    expect_idle();
}

TEST_F(RunTest, NoRowsAnywhereOrInThisPane) {
    translate();
    fill_pane(st, kLines, {{"a", ""}});
    translate(kPoints);
    EXPECT_EQ(ui.messages, (Strings{"No data.", "No data"}));
    EXPECT_TRUE(tr.sent.empty());
    expect_idle(kPoints);
}

TEST_F(RunTest, HebrewAndTheCustomLanguageUseTheirWebCodes) {
    fill_pane(st, kPolygons, {{"a", ""}});
    st.win.language_row = {1, 23};
    translate();
    EXPECT_EQ(st.language_pair, "fr|iw");
    st.win.language_row = {0, 24};
    st.custom_web_code = "ko";
    translate();
    EXPECT_EQ(st.language_pair, "en|ko");
}

TEST_F(RunTest, StopBeforeTheThirdRequestKeepsTheSecondAnswer) {
    fill_pane(st, kPolygons,
              {{"a", ""}, {"b", ""}, {"c", ""}, {"d", ""}, {"e", ""}, {"f", ""}, {"g", ""}});
    tr.answer = [](State& s, const std::string& req) {
        if (req == "d,e,f") { // STOP pressed while this answer was on its way
            s.stop_requested = true;
            return std::string("D,E,F");
        }
        return std::string("A,B,C");
    };
    translate();
    EXPECT_EQ(tr.sent, (Strings{"a,b,c", "d,e,f"}));
    EXPECT_EQ(texts(st, kPolygons), (Strings{"A", "B", "C", "D", "E", "F", ""}));
    expect_idle();
}

TEST_F(RunTest, StopDuringADownloadLeavesThatBatchAlone) {
    fill_pane(st, kPolygons,
              {{"a", ""}, {"b", ""}, {"c", ""}, {"d", "?old"}, {"e", ""}, {"f", ""}, {"g", ""}});
    st.pane(kPolygons).rows[3].back = kWhite;
    tr.answer = [](State& s, const std::string& req) {
        if (req == "d,e,f") { // the download was cut short
            s.stop_requested = true;
            return std::string();
        }
        return std::string("A,B,C");
    };
    translate();
    EXPECT_EQ(tr.sent, (Strings{"a,b,c", "d,e,f"}));
    EXPECT_EQ(texts(st, kPolygons), (Strings{"A", "B", "C", "?old", "", "", ""}));
    EXPECT_FALSE(st.pane(kPolygons).check_errors_visible);
    EXPECT_TRUE(st.changed); // the first batch was written
    expect_idle();

    // Stopped while checking errors, the suspect rows stay red.
    State check = english_to_german();
    fill_pane(check, kPolygons, {{"a", "?x"}, {"d", "?y"}});
    check.pane(kPolygons).check_errors_visible = true;
    tr.answer = [](State& s, const std::string&) {
        s.stop_requested = true;
        return std::string();
    };
    lex::check_errors(check, ui, tr, kPolygons, kNoPause);
    EXPECT_EQ(texts(check, kPolygons), (Strings{"?x", "?y"}));
    EXPECT_EQ(colours(check, kPolygons), (Colours{kRed, kRed}));
    EXPECT_TRUE(check.pane(kPolygons).check_errors_visible);
}

TEST_F(RunTest, FailedRequestsLeaveTheirRowsSuspect) {
    fill_pane(st, kPolygons, {{"a", ""}, {"b", ""}, {"c", ""}, {"d", ""}, {"e", ""}, {"f", ""}});
    st.win.single_words = true; // cleared by Translate: batches all the same
    translate();                // every request fails
    EXPECT_EQ(tr.sent, (Strings{"a,b,c", "d,e,f"}));
    EXPECT_EQ(texts(st, kPolygons), (Strings{"?", "??", "??", "?", "??", "??"}));
    EXPECT_EQ(colours(st, kPolygons), Colours(6, kRed));

    State two = english_to_german();
    fill_pane(two, kPolygons, {{"a", ""}, {"b", ""}});
    translate_pane(two, ui, tr, kPolygons, kNoPause);
    EXPECT_EQ(texts(two, kPolygons), (Strings{"?", "??"}));

    State one = english_to_german();
    fill_pane(one, kPolygons, {{"a", ""}});
    translate_pane(one, ui, tr, kPolygons, kNoPause);
    EXPECT_EQ(texts(one, kPolygons), Strings{"?"});
    EXPECT_EQ(colours(one, kPolygons), Colours{kRed});
    EXPECT_TRUE(one.pane(kPolygons).check_errors_visible);
}

TEST_F(RunTest, CheckErrorsSendsOneLabelPerRequest) {
    fill_pane(st, kLines,
              {{"Lake", "?See,Wald"}, {"River", "Fluss"}, {"Forest", "??"}, {"Hill", ""}});
    st.pane(kLines).check_errors_visible = true;
    tr.canned = {{"Lake", " See "}, {"Forest", "Wald"}};
    check_errors(kLines);
    EXPECT_EQ(tr.sent, (Strings{"Lake", "Forest"}));
    EXPECT_EQ(texts(st, kLines), (Strings{"See", "Fluss", "Wald", ""}));
    EXPECT_EQ(colours(st, kLines), Colours(4, kWhite));
    EXPECT_FALSE(st.pane(kLines).check_errors_visible);
    EXPECT_TRUE(st.win.single_words);
    expect_idle(kLines);
}

TEST_F(RunTest, OtherPanesCannotStartWhileARunGoes) {
    fill_pane(st, kPolygons, {{"a", ""}});
    fill_pane(st, kLines, {{"b", ""}});
    tr.answer = [this](State& s, const std::string& req) {
        EXPECT_TRUE(s.win.running);
        EXPECT_TRUE(s.checking_errors);
        EXPECT_TRUE(s.pane(kPolygons).stop_visible);
        EXPECT_FALSE(s.pane(kPolygons).translate_visible);
        translate_pane(s, ui, tr, kLines, kNoPause);    // refused
        lex::check_errors(s, ui, tr, kLines, kNoPause); // refused
        return req == "a" ? std::string("A") : std::string("B");
    };
    translate();
    EXPECT_EQ(tr.sent, Strings{"a"});
    EXPECT_EQ(texts(st, kLines), Strings{""});
    expect_idle();

    st.pane(kLines).rows[0].text = "?";
    st.checking_errors = true; // "Check Errors" waits for checking_errors alone
    check_errors(kLines);
    EXPECT_EQ(tr.sent, Strings{"a"});
}

TEST_F(RunTest, RowsRebuiltDuringARequestAreNotWrittenOver) {
    fill_pane(st, kPolygons, {{"a", ""}, {"b", ""}});
    tr.answer = [](State& s, const std::string&) {
        fill_pane(s, kPolygons, {{"x", "X"}, {"b", ""}});
        return std::string("A,B");
    };
    translate();
    EXPECT_EQ(texts(st, kPolygons), (Strings{"X", "B"}));
}

TEST_F(RunTest, AQuestionMarkInTheAnswerMakesTheRowSuspect) {
    fill_pane(st, kPolygons, {{"a", ""}, {"b", ""}});
    tr.canned["a,b"] = "A,B?";
    translate();
    EXPECT_EQ(texts(st, kPolygons), (Strings{"A", "B?"}));
    EXPECT_EQ(colours(st, kPolygons), (Colours{kWhite, kRed}));
    EXPECT_TRUE(st.pane(kPolygons).check_errors_visible);
}

TEST_F(RunTest, LineBreaksInAnAnswerBecomeBlanks) {
    fill_pane(st, kPolygons, {{"a", ""}});
    tr.canned["a"] = "x\r\ny\tz";
    translate();
    EXPECT_EQ(texts(st, kPolygons), Strings{"x  y z"});
}

TEST_F(RunTest, EastAsianAnswersSplitAtTheirOwnCommas) {
    st.win.language_row = {0, 19};
    st.target_code = st.row_target_code = "25";
    st.target_codepage = 932;
    fill_pane(st, kPolygons, {{"Lake", ""}, {"River", ""}, {"Forest", ""}});
    const std::string lake = encode(QString::fromUtf8("湖"), 932);
    const std::string river = encode(QString::fromUtf8("川"), 932);
    const std::string forest = encode(QString::fromUtf8("森"), 932);
    tr.canned["Lake,River,Forest"] = encode(QString::fromUtf8("湖、川，森"), 932);
    translate();
    EXPECT_EQ(st.language_pair, "en|ja");
    EXPECT_EQ(texts(st, kPolygons), (Strings{lake, river, forest}));
    EXPECT_EQ(colours(st, kPolygons), Colours(3, kWhite));
}

TEST_F(RunTest, EastAsianMismatchesMakeLaterBatchesSmaller) {
    st.win.language_row = {0, 18};
    st.target_codepage = 936;
    fill_pane(st, kPolygons,
              {{"a", ""},
               {"b", ""},
               {"c", ""},
               {"d", ""},
               {"e", ""},
               {"f", ""},
               {"g", ""},
               {"h", ""},
               {"i", ""}});
    tr.answer = [](State&, const std::string& req) {
        return req == "a,b,c" ? std::string("x,y") : std::string("z");
    };
    translate();
    // Each mismatch lowers the limit: 3 labels, then 2, 2 (limit 1), then one at a time.
    EXPECT_EQ(tr.sent, (Strings{"a,b,c", "d,e", "f,g", "h", "i"}));
    // The first answer is given up (its re-split leaves one item for three labels); the
    // others are written suspect, and the single labels match.
    EXPECT_EQ(texts(st, kPolygons), (Strings{"", "", "", "?z", "??", "?z", "??", "z", "z"}));
}

TEST_F(RunTest, AnAnswerThatCannotBeMatchedIsGivenUp) {
    st.target_codepage = 932;
    fill_pane(st, kPolygons, {{"a", "?1"}, {"b", "?2"}, {"c", "?3"}});
    tr.canned["a,b,c"] = "one item";
    translate();
    EXPECT_EQ(texts(st, kPolygons), (Strings{"?1", "?2", "?3"}));
    EXPECT_EQ(colours(st, kPolygons), Colours(3, kRed));
    EXPECT_TRUE(st.pane(kPolygons).check_errors_visible);

    State fresh = english_to_german();
    fresh.target_codepage = 932;
    fill_pane(fresh, kPolygons, {{"a", ""}, {"b", ""}, {"c", ""}});
    translate_pane(fresh, ui, tr, kPolygons, kNoPause);
    EXPECT_EQ(texts(fresh, kPolygons), (Strings{"", "", ""}));
    EXPECT_EQ(colours(fresh, kPolygons), Colours(3, kWhite));
}

TEST_F(RunTest, SplittingAnAnswerThatKeepsItsCountStillEnds) {
    // A single label whose East Asian answer holds two commas: adding items never makes the
    // counts meet, so the rounds must end on their own.
    st.target_codepage = 932;
    fill_pane(st, kPolygons, {{"a", "?"}});
    st.pane(kPolygons).check_errors_visible = true;
    tr.canned["a"] = "x,y,z";
    check_errors();
    EXPECT_EQ(tr.sent, Strings{"a"});
    EXPECT_EQ(texts(st, kPolygons), Strings{"?"});
    expect_idle();
}

TEST(SplitAnswer, NeverCutsADoubleByteCharacter) {
    // Shift_JIS "ア" is 0x83 0x41: its second byte is an "A".
    const std::string a = "\x83\x41";
    EXPECT_EQ(split_answer(a + "A" + a, {"A"}, 932), (Strings{a, a}));
    EXPECT_EQ(split_answer(a + "A" + a, {"A"}, 1252), (Strings{"\x83", "", "\x83", ""}));
    EXPECT_EQ(split_answer("a,b,", {","}, 1252), (Strings{"a", "b", ""}));
    EXPECT_EQ(split_answer("", {","}, 1252), Strings{""});
}

TEST(SplitAnswer, ExtraSeparatorsAreTheCommasOfEachCodePage) {
    for (int cp : {932, 936, 949, 950}) {
        const auto tries = extra_separators(cp);
        ASSERT_EQ(tries.size(), 3u) << cp;
        EXPECT_EQ(tries[0], (Strings{",", encode(QString::fromUtf8("、"), cp),
                                     encode(QString::fromUtf8("，"), cp)}))
            << cp;
        EXPECT_EQ(tries[1], Strings{"A"});
        EXPECT_EQ(tries[2], Strings{"\xAC"});
    }
    EXPECT_EQ(extra_separators(874).size(), 2u);
}

TEST(RunCodePages, UnsetCodePagesFollowTheLanguages) {
    State st = english_to_german();
    st.source_codepage = st.target_codepage = 0;
    st.source_code = "19";
    st.row_target_code = "25";
    EXPECT_EQ(sending_codepage(st), 1251);
    EXPECT_EQ(receiving_codepage(st), 932);
    st.target_codepage = 1250;
    EXPECT_EQ(receiving_codepage(st), 1250);
}

} // namespace
} // namespace lex
