#include "commands/actions.h"
#include "document/codec_qt.h"
#include "document/codepage.h"
#include "document/text.h"
#include "support/fixtures.h"
#include "translate/run.h"

namespace lex {
namespace {

using namespace lex::test;

class RunTest : public ::testing::Test {
protected:
    State st = english_to_german();
    FakeUi ui;
    ScriptedTranslator tr{&st.stop_requested};
    Outcome translate(Kind kind = kPolygons) { return translate_pane(st, ui, tr, kind, kNoPause); }
    Outcome check_errors(Kind kind = kPolygons) {
        return lex::check_errors(st, ui, tr, kind, kNoPause);
    }
    void expect_idle(Kind kind = kPolygons) {
        EXPECT_FALSE(st.win.running || st.checking_errors || st.stop_requested || st.win.busy);
        EXPECT_FALSE(st.pane(kind).stop_visible || !st.pane(kind).translate_visible);
        EXPECT_EQ(st.win.progress, 0);
    }
};

std::string in_cp(int cp, const char* utf8) {
    return encode(QString::fromUtf8(utf8), cp);
}

TEST_F(RunTest, ThreeLabelsGoInOneRequestAndComeBackTrimmed) {
    fill_pane(st, kLines, "Lake|River, small|Forest");
    tr.script("Lake,River  small,Forest=See, Fluss klein ,Wald");
    st.win.single_words = true; // cleared by Translate
    const Outcome outcome = translate(kLines);
    EXPECT_EQ(tr.sent, Strings{"Lake,River  small,Forest"});
    EXPECT_EQ(texts(st, kLines) + statuses(st, kLines), "See|Fluss klein|WaldWWW");
    EXPECT_FALSE(st.pane(kLines).check_errors_visible || st.win.single_words || !st.changed);
    EXPECT_TRUE(st.win.title.ends_with('+') && ui.messages.empty());
    // Done, with the rows written.
    EXPECT_EQ(outcome.kind, Outcome::Kind::kDone);
    EXPECT_EQ(outcome.count, 3);
    expect_idle(kLines);
}

// One "Translate" (or "Check Errors"): rows before, script, requests, targets and statuses after.
TEST_F(RunTest, AnswersAreMatchedBackToTheirRows) {
    struct Case {
        std::string what, rows, script, sent, after, statuses;
        int cp = 1252, normal = -1,
            suspect = -1;   // the target code page; a row made normal or suspect
        bool check = false; // "Check Errors" instead of "Translate"
    };
    // clang-format off
    const Case cases[] = {
        {"a short answer marks the whole batch suspect", "Lake|River, small|Forest",
         "Lake,River  small,Forest=See,Wald", "Lake,River  small,Forest", "?See|?Wald|??", "RRR"},
        {"a long answer is written suspect and untrimmed", "a|b|c", "a,b,c=a, b,c,d", "a,b,c",
         "?a|? b|?c", "RRR"},
        {"batches of three, then the rest", "a|b|c|d|e", "a,b,c=A,B,C;d,e=D,E", "a,b,c;d,e",
         "A|B|C|D|E", "WWWWW"},
        {"blank sources and translated rows are not sent", "a|   |b=done|c= |d=x?|e",
         "a,c,d=A,C,D;e=E", "a,c,d;e", "A||done|C|D|E", "WWWWWW", 1252, 4},
        {"a pending batch goes out after the last label", "a|b|", "a,b=A,B", "a,b", "A|B|", "WWW"},
        {"while a pane has red rows only those go; red rows without ? turn white",
         "a=?x|b|c=ok|d=fine", "a=A,D", "a", "?A||ok|fine", "RWWW", 1252, -1, 3},
        {"failed requests leave their rows suspect", "a|b|c|d|e|f", "", "a,b,c;d,e,f",
         "?|??|??|?|??|??", "RRRRRR"},
        {"a failed pair", "a|b", "", "a,b", "?|??", "RR"},
        {"a failed single label", "a", "", "a", "?", "R"},
        {"a ? in the answer makes its row suspect", "a|b", "a,b=A,B?", "a,b", "A|B?", "WR"},
        {"an empty item of an answer is no translation", "a|b|c", "a,b,c=A, ,C", "a,b,c", "A|?|C",
         "WRW"},
        {"line breaks in an answer become blanks", "a", "a=x\r\ny\tz", "a", "x  y z", "W"},
        {"stop before the third request keeps the second answer", "a|b|c|d|e|f|g",
         "a,b,c=A,B,C;!d,e,f=D,E,F", "a,b,c;d,e,f", "A|B|C|D|E|F|", "WWWWWWW"},
        {"stop during a download leaves that batch alone", "a|b|c|d=?old|e|f|g",
         "a,b,c=A,B,C;!d,e,f=", "a,b,c;d,e,f", "A|B|C|?old|||", "WWWWWWW", 1252, 3},
        {"stopped while checking errors, the suspect rows stay red", "a=?x|d=?y", "!a=", "a",
         "?x|?y", "RR", 1252, -1, -1, true},
        {"check errors sends one label per request", "Lake=?See,Wald|River=Fluss|Forest=??|Hill",
         "Lake= See ;Forest=Wald", "Lake;Forest", "See|Fluss|Wald|", "WWWW", 1252, -1, -1, true},
        {"East Asian answers split at their own commas", "Lake|River|Forest",
         "Lake,River,Forest=" + in_cp(932, "湖、川，森"), "Lake,River,Forest", in_cp(932, "湖|川|森"), "WWW", 932},
        {"... in each code page", "Lake|River|Forest", "Lake,River,Forest=" + in_cp(936, "湖、川，森"),
         "Lake,River,Forest", in_cp(936, "湖|川|森"), "WWW", 936},
        {"... and in a UTF-8 document at the UTF-8 forms of those commas", "Lake|River|Forest",
         "Lake,River,Forest=湖，川、森", "Lake,River,Forest", "湖|川|森", "WWW", kUtf8CodePage},
        {"East Asian mismatches make later batches smaller; a first answer that re-splits to "
         "one item is given up", "a|b|c|d|e|f|g|h|i", "a,b,c=x,y;d,e=z;f,g=z;h=z;i=z",
         "a,b,c;d,e;f,g;h;i", "|||?z|??|?z|??|z|z", "WWWRRRRWW", 936},
        {"an East Asian answer that cannot be matched leaves suspect rows", "a=?1|b=?2|c=?3",
         "a,b,c=one item", "a,b,c", "?1|?2|?3", "RRR", 932},
        {"... and blank rows blank", "a|b|c", "a,b,c=one item", "a,b,c", "||", "WWW", 932},
        {"splitting an answer that keeps its count still ends", "a=?", "a=x,y,z", "a", "?", "R",
         932, -1, -1, true},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        st = english_to_german();
        tr.sent.clear();
        tr.script(c.script);
        fill_pane(st, kPolygons, c.rows);
        st.utf8_labels = c.cp == kUtf8CodePage; // with Chinese as the target
        st.target_codepage = st.utf8_labels ? 936 : c.cp;
        st.win.language_row[1] = c.cp == 932 ? 19 : c.cp == 1252 ? 2 : 18;
        if (c.normal >= 0) st.rows(kPolygons)[std::size_t(c.normal)].status = RowStatus::kNormal;
        if (c.suspect >= 0) st.rows(kPolygons)[std::size_t(c.suspect)].status = RowStatus::kSuspect;
        st.pane(kPolygons).check_errors_visible = c.check;
        c.check ? check_errors() : translate();
        EXPECT_EQ(tr.sent, cells(c.sent, ';'));
        EXPECT_EQ(texts(st, kPolygons), c.after);
        EXPECT_EQ(statuses(st, kPolygons), c.statuses);
        // "Check Errors" shows while a suspect row is left.
        EXPECT_EQ(st.pane(kPolygons).check_errors_visible, contains(c.statuses, "R"));
        expect_idle();
    }
}

TEST_F(RunTest, ChecksAndTheirMessages) {
    // Each check refuses the run, with what it said as the reason.
    Strings reasons;
    auto refused = [&](const Outcome& outcome) {
        EXPECT_EQ(outcome.kind, Outcome::Kind::kRefused);
        reasons.push_back(outcome.reason);
    };
    fill_pane(st, kPolygons, "a");
    for (auto l : {std::array{-1, 2}, std::array{0, -1}, std::array{0, 0}, std::array{0, 20}}) {
        st.win.language_row = l; // 20: Thai, which has no web code
        refused(translate());
    }
    st = english_to_german();
    refused(translate()); // no rows anywhere
    fill_pane(st, kLines, "a");
    refused(translate(kPoints)); // none in this pane
    EXPECT_EQ(ui.messages,
              (Strings{"Please select a From Language.", "Please select a To Language.",
                       "Can't translate from and to the same language",
                       "Cannot find target language", "No data.", "No data"}));
    EXPECT_EQ(reasons, ui.messages);
    using enum MessageId;
    EXPECT_EQ(ui.messageIds, (std::vector{kNoSourceLanguage, kNoTargetLanguage, kSameLanguages,
                                          kLanguageNotServed, kNoData, kNoData}));
    EXPECT_TRUE(tr.sent.empty());
    expect_idle(kPoints);
    // The web codes of the languages.
    fill_pane(st, kPolygons, "a");
    st.kept.custom_web_code = "ko";
    for (auto [l, query] : {std::pair{std::array{1, 23}, "fr|iw"}, {std::array{0, 24}, "en|ko"}}) {
        st.win.language_row = l;
        translate();
        EXPECT_EQ(st.language_pair, query);
    }
}

// The rows each kind of run picks: the window's and the command line's, from one rule.
TEST(SelectRunRows, EachRunPicksItsRows) {
    struct Case {
        RunRows which;
        bool suspects_shown;
        std::string picked;
    };
    // Rows: empty, blank source, translated, suspect "?", blank target, red without "?".
    const Case cases[] = {{RunRows::kTranslate, false, "0,1,3,4"},
                          {RunRows::kTranslate, true, "3,5"},
                          {RunRows::kEmptyTargets, false, "0,4"},
                          {RunRows::kEmptyTargets, true, "0,4"}};
    for (const Case& c : cases) {
        State st = english_to_german();
        fill_pane(st, kLines, "a|   |b=done|c=x?|d= |e=fine");
        st.rows(kLines)[5].status = RowStatus::kSuspect;
        st.rows(kLines).resize(8); // rows past the count are never picked
        st.pane(kLines).run_rows = {7};
        st.pane(kLines).check_errors_visible = c.suspects_shown;
        std::vector<int> want;
        for (const std::string& r : cells(c.picked, ',')) want.push_back(std::stoi(r));
        EXPECT_EQ(select_run_rows(st, kLines, c.which), want.size());
        EXPECT_EQ(st.pane(kLines).run_rows, want);
    }
}

TEST(SplitAnswer, NeverCutsADoubleByteCharacter) {
    // Shift_JIS "ア" is 0x83 0x41: its second byte is an "A".
    const std::string a = "\x83\x41";
    EXPECT_EQ(split_answer(a + "A" + a, {"A"}, 932), (Strings{a, a}));
    EXPECT_EQ(split_answer(a + "A" + a, {"A"}, 1252), (Strings{"\x83", "", "\x83", ""}));
    EXPECT_EQ(split_answer("a,b,", {","}, 1252), (Strings{"a", "b", ""}));
}

class MarkTest : public ::testing::Test {
protected:
    State st = english_to_german();
    FakeUi ui;
};

TEST_F(MarkTest, MarkedLightBlueRowsAreTranslatedByTheNextRun) {
    fill_pane(st, kLines, "a=a|b=x|c=c|d=d");
    for (int r : {0, 2, 3}) st.rows(kLines)[std::size_t(r)].status = RowStatus::kSameAsSource;
    run_action(st, ui, ActionId::kMarkLines);
    EXPECT_EQ(texts(st, kLines), "?a|x|?c|?d");
    EXPECT_EQ(statuses(st, kLines), "BWBB");
    EXPECT_TRUE(st.pane(kLines).check_errors_visible);
    run_action(st, ui, ActionId::kMarkPoints);
    EXPECT_FALSE(st.pane(kPoints).check_errors_visible);
    run_action(st, ui, ActionId::kAddLanguage);
    EXPECT_EQ(ui.messages, (Strings{"Found: 3", "Found: 0", "Available next update"}));
    ScriptedTranslator tr;
    tr.script("a,c,d=A,C,D");
    translate_pane(st, ui, tr, kLines, kNoPause);
    EXPECT_EQ(tr.sent, Strings{"a,c,d"});
    EXPECT_EQ(texts(st, kLines), "A|x|C|D");
}

} // namespace
} // namespace lex
