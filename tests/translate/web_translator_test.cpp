#include "run_fixture.h"

#include "support/http_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

namespace lex {
namespace {

using namespace lex::test;

struct WithApp {
    WithApp() {
        static int argc = 1;
        static char arg0[] = "lexmarin_tests";
        static char* argv[] = {arg0, nullptr};
        static QCoreApplication app(argc, argv);
    }
};

class WebTest : public ::testing::Test, private WithApp {
protected:
    State st = english_to_german();
    FakeUi ui;
    HttpServer server;
    WebOptions options = [] {
        WebOptions o;
        o.timeout_ms = 5000; // every test ends well before its own limits
        o.system_proxy = false;
        return o;
    }();

    void SetUp() override {
        st.translate_url = server.url();
        st.language_pair = "en|de";
    }
    std::string ask(const std::string& request) {
        auto tr = make_web_translator(ui, options);
        return tr->translate(st, request);
    }
    void answer_with(HttpReply reply) {
        server.handler = [reply](const HttpRequest&) { return reply; };
    }
    static HttpReply page(const std::string& text, QByteArray type = "text/html; charset=UTF-8") {
        HttpReply r;
        r.body = translation_page(text);
        r.content_type = std::move(type);
        return r;
    }
};

TEST_F(WebTest, TheTextGoesOutAsPercentEncodedUtf8) {
    server.canned["Caf\xC3\xA9 & Bar #1 + 50%  x ;"] = "ok";
    EXPECT_EQ(ask("Caf\xE9 & Bar #1 + 50% (x);,"), "ok");
    ASSERT_EQ(server.requests.size(), 1u);
    const HttpRequest& req = server.requests[0];
    EXPECT_EQ(req.text, "Caf\xC3\xA9 & Bar #1 + 50%  x ;");
    EXPECT_EQ(req.langpair, "en|de");
    EXPECT_EQ(req.user_agent, "ZORorIvad");
    EXPECT_TRUE(req.target.startsWith("/translate_t?langpair=en%7Cde&text=Caf%C3%A9%20%26%20"))
        << req.target.constData();

    st.source_codepage = 1250; // the source labels' own code page decides
    ask("\x8A\xB9");
    EXPECT_EQ(server.requests.back().text, "\xC5\xA0\xC4\x85"); // Š ą
}

TEST_F(WebTest, TheAnswerEntersInTheTargetCodePage) {
    answer_with(page("Stra\xC3\x9F"
                     "e \\x26amp; caf&#233; \\x3d 1"));
    EXPECT_EQ(ask("x"), "Stra\xDF"
                        "e & caf\xE9 = 1");

    st.target_codepage = 1251;
    answer_with(page("\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0")); // Москва
    EXPECT_EQ(ask("x"), "\xCC\xEE\xF1\xEA\xE2\xE0");

    st.target_codepage = 1252; // a code page without those letters
    EXPECT_EQ(ask("x"), "??????");
}

TEST_F(WebTest, TheCharsetOfTheContentTypeDecodesThePage) {
    answer_with(page("Gr\xFC\xDF"
                     "e",
                     "text/html; charset=ISO-8859-1"));
    EXPECT_EQ(ask("x"), "Gr\xFC\xDF"
                        "e");

    st.target_codepage = 1251;
    answer_with(page("\xCC\xEE\xF1", "text/html;charset=\"windows-1251\""));
    EXPECT_EQ(ask("x"), "\xCC\xEE\xF1");

    st.target_codepage = 1252;
    answer_with(page("Gr\xC3\xBC\xC3\x9F"
                     "e",
                     "text/html"));
    EXPECT_EQ(ask("x"), "Gr\xFC\xDF"
                        "e");
    answer_with(page("Gr\xC3\xBC\xC3\x9F"
                     "e",
                     "text/html; charset=no-such-charset"));
    EXPECT_EQ(ask("x"), "Gr\xFC\xDF"
                        "e");
    answer_with(page("Gr\xFC"
                     "e",
                     "text/html")); // not UTF-8 after all
    EXPECT_EQ(ask("x"), "Gr?e");
}

TEST_F(WebTest, APageReadInManyPiecesIsJoined) {
    HttpReply r = page(std::string(3000, 'w'));
    r.body = QByteArray(6000, ' ') + r.body;
    r.chunk = 1000;
    r.chunk_delay_ms = 5;
    answer_with(r);
    EXPECT_EQ(ask("x"), std::string(3000, 'w'));
}

TEST_F(WebTest, FailuresEndAsAnEmptyAnswer) {
    HttpReply noMarker;
    noMarker.body = "<html>nothing here</html>";
    answer_with(noMarker);
    EXPECT_EQ(ask("x"), "");

    HttpReply error = page("Hallo");
    error.status = 500;
    answer_with(error);
    EXPECT_EQ(ask("x"), "");

    HttpReply drop;
    drop.drop = true;
    answer_with(drop);
    EXPECT_EQ(ask("x"), "");

    HttpReply cut = page("Hallo");
    cut.declared_length = int(cut.body.size()) + 100; // the connection ends short of it
    answer_with(cut);
    EXPECT_EQ(ask("x"), "");

    server.close();
    EXPECT_EQ(ask("x"), "");
}

TEST_F(WebTest, OnlyWebAddressesAreAsked) {
    st.translate_url = "file:///etc/passwd";
    EXPECT_EQ(ask("x"), "");
    st.translate_url = "not an address";
    EXPECT_EQ(ask("x"), "");
    EXPECT_TRUE(server.requests.empty());
}

TEST_F(WebTest, ASlowServerRunsIntoTheTimeOut) {
    options.timeout_ms = 300;
    HttpReply late = page("Hallo");
    late.delay_ms = 3000;
    answer_with(late);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(ask("x"), "");
    EXPECT_LT(clock.elapsed(), 2000);

    // A trickle that never stops short of the time-out is cut as well.
    HttpReply trickle = page(std::string(200, 'w'));
    trickle.chunk = 10;
    trickle.chunk_delay_ms = 50;
    answer_with(trickle);
    clock.restart();
    EXPECT_EQ(ask("x"), "");
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST_F(WebTest, AnOversizedAnswerIsRefused) {
    HttpReply huge = page("Hallo");
    huge.body += QByteArray(5 << 20, 'x');
    answer_with(huge);
    EXPECT_EQ(ask("x"), "");

    options.max_bytes = 2000;
    HttpReply small = page("Hallo");
    small.body += QByteArray(1000, ' ');
    answer_with(small);
    EXPECT_EQ(ask("x"), "Hallo");
    small.body += QByteArray(1000, ' ');
    answer_with(small);
    EXPECT_EQ(ask("x"), "");
}

TEST_F(WebTest, StopEndsADownloadAndTheWindowKeepsWorking) {
    HttpReply late = page("Hallo");
    late.delay_ms = 5000;
    answer_with(late);
    bool ticked = false;
    QTimer::singleShot(50, [&] { ticked = true; });
    QTimer::singleShot(150, [&] { stop_translation(st, kPolygons); });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(ask("x"), "");
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(ticked);
    EXPECT_EQ(ask("x"), ""); // while the flag stays set nothing is sent
    EXPECT_EQ(server.requests.size(), 1u);
}

class WebRunTest : public WebTest {
protected:
    void translate(int kind = kPolygons) {
        auto tr = make_web_translator(ui, options);
        translate_pane(st, ui, *tr, kind, kNoPause);
    }
    std::vector<std::string> sent() const {
        std::vector<std::string> out;
        for (const auto& r : server.requests) out.push_back(r.text);
        return out;
    }
};

TEST_F(WebRunTest, BatchesGoOutAndTheirAnswersComeBack) {
    fill_pane(st, kLines,
              {{"Lake", ""}, {"River, small", ""}, {"Forest", ""}, {"Caf\xE9", ""}, {"Hill", ""}});
    server.canned = {{"Lake,River  small,Forest", "See,Fluss klein,Wald"},
                     {"Caf\xC3\xA9,Hill", "Caf&#233;"}};
    translate(kLines);
    EXPECT_EQ(sent(), (Strings{"Lake,River  small,Forest", "Caf\xC3\xA9,Hill"}));
    EXPECT_EQ(server.requests[0].langpair, "en|de");
    EXPECT_EQ(texts(st, kLines), (Strings{"See", "Fluss klein", "Wald", "?Caf\xE9", "??"}));
    EXPECT_EQ(colours(st, kLines), (Colours{kWhite, kWhite, kWhite, kRed, kRed}));
    EXPECT_TRUE(st.pane(kLines).check_errors_visible);

    // "Check Errors" sends the two suspect rows one at a time.
    server.canned = {{"Caf\xC3\xA9", "Caf&#233;"}, {"Hill", "H\xC3\xBCgel"}};
    auto tr = make_web_translator(ui, options);
    lex::check_errors(st, ui, *tr, kLines, kNoPause);
    EXPECT_EQ(sent(),
              (Strings{"Lake,River  small,Forest", "Caf\xC3\xA9,Hill", "Caf\xC3\xA9", "Hill"}));
    EXPECT_EQ(texts(st, kLines), (Strings{"See", "Fluss klein", "Wald", "Caf\xE9", "H\xFCgel"}));
    EXPECT_EQ(colours(st, kLines), Colours(5, kWhite));
    EXPECT_FALSE(st.pane(kLines).check_errors_visible);
    EXPECT_FALSE(st.win.running);
}

TEST_F(WebRunTest, ATimedOutBatchTurnsSuspectAndTheRunGoesOn) {
    options.timeout_ms = 200;
    fill_pane(st, kPolygons, {{"a", ""}, {"b", ""}, {"c", ""}, {"d", ""}});
    server.handler = [](const HttpRequest& req) {
        HttpReply r;
        r.body = translation_page(req.text == "d" ? "D" : "A,B,C");
        if (req.text != "d") r.delay_ms = 2000;
        return r;
    };
    translate();
    EXPECT_EQ(sent(), (Strings{"a,b,c", "d"}));
    EXPECT_EQ(texts(st, kPolygons), (Strings{"?", "??", "??", "D"}));
    EXPECT_EQ(colours(st, kPolygons), (Colours{kRed, kRed, kRed, kWhite}));
}

TEST_F(WebRunTest, StopDuringTheSecondBatch) {
    fill_pane(
        st, kPolygons,
        {{"a", ""}, {"b", ""}, {"c", ""}, {"d", ""}, {"e", ""}, {"f", ""}, {"g", ""}, {"h", ""}});
    server.handler = [this](const HttpRequest& req) {
        HttpReply r;
        r.body = translation_page(req.text == "a,b,c" ? "A,B,C" : "D,E,F");
        if (req.text == "d,e,f") {
            r.delay_ms = 5000;
            QTimer::singleShot(100, [this] { stop_translation(st, kPolygons); });
        }
        return r;
    };
    QElapsedTimer clock;
    clock.start();
    translate();
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(sent(), (Strings{"a,b,c", "d,e,f"}));
    EXPECT_EQ(texts(st, kPolygons), (Strings{"A", "B", "C", "", "", "", "", ""}));
    EXPECT_FALSE(st.win.running);
    EXPECT_FALSE(st.stop_requested);
    EXPECT_FALSE(st.pane(kPolygons).stop_visible);
}

} // namespace
} // namespace lex
