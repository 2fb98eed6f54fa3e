#include "run_fixture.h"

#include "support/http_server.h"
#include "translate/webpage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

namespace lex {
namespace {

using namespace lex::test;

TEST(Webpage, RequestTextAndAddress) {
    EXPECT_EQ(prepare_request("Hello, World,"), "Hello, World");
    EXPECT_EQ(prepare_request("a,,"), "a,");
    EXPECT_EQ(prepare_request("a_b\\c{d}[e]/5*"), "a b c d  e  5");
    EXPECT_EQ(request_url("http://h/t?hl=en", "en|de", "x, ~"),
              "http://h/t?hl=en&langpair=en%7Cde&text=x%2C%20~");
}

TEST(Webpage, TheTranslationIsCutFromThePage) {
    const std::pair<std::string, std::string> cases[] = {
        {"<script>TRANSLATED_TEXT='Hallo Welt';var x=1;</script>", "Hallo Welt"},
        {"<s>translated_text='Rue';var a</s>", "Rue"},
        {"<s>TRANSLATED_TEXT='Rue';</s>", ""},      // no ";var"
        {"<s>TRANSLATED_TEXT='Rue';VAR a</s>", ""}, // exact case
        {"TRANSLATED_TEXT='Rue';var a", ""},        // no "</"
        {"<b>Rue;var</b>", ""},                     // no marker
        {"TRANSLATED_TEXT='a;var b';var c</x>", "a"},
        {"TRANSLATED_TEXT=l'eau;var</x>", "l'eau"}, // quotes go only at the ends
        {"TRANSLATED_TEXT=';var</x>", ""},
        {"TRANSLATED_TEXT='';var</x>", ""},
    };
    for (const auto& [page, text] : cases) EXPECT_EQ(extract_translation(page), text) << page;
}

TEST(Webpage, ScriptEscapesAndEntities) {
    const std::string fffd = "\xEF\xBF\xBD";
    const std::pair<std::string, std::string> cases[] = {
        {"a \\x26amp; b", "a & b"},
        {"a\\x26lt;b\\x26gt;c", "a < b > c"},
        {"\\x26quot;q\\x26#39;", "'q'"},
        {"a &# b", "a # b"},
        {"&#26085;&#128512;", "\xE6\x97\xA5\xF0\x9F\x98\x80"},
        {"&#65abc;x", "Ax"}, // leading digits only
        {"&#55296;", fffd},  // a surrogate
        {"&#1114112;", fffd},
        {"&#99999999999999999999;", fffd},
        {"&#x41;", std::string(1, '\0')}, // no digits: character 0
    };
    for (const auto& [text, out] : cases) EXPECT_EQ(unescape_answer(text), out) << text;
}

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
        st.trquery = "en|de";
    }
    std::string ask(const std::string& request) {
        return make_web_translator(ui, options)->translate(st, request);
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
    void translate(int kind = kPolygons) {
        auto tr = make_web_translator(ui, options);
        Command7_Click(st, ui, *tr, kind, kNoPause);
    }
    Strings sent() const {
        Strings out;
        for (const auto& r : server.requests) out.push_back(r.text);
        return out;
    }
};

TEST_F(WebTest, TheTextGoesOutAsPercentEncodedUtf8) {
    server.canned["Caf\xC3\xA9 & Bar #1 + 50%  x ;"] = "ok";
    EXPECT_EQ(ask("Caf\xE9 & Bar #1 + 50% (x);,"), "ok");
    ASSERT_EQ(server.requests.size(), 1u);
    const HttpRequest& req = server.requests[0];
    EXPECT_EQ(req.langpair, "en|de");
    EXPECT_EQ(req.user_agent, "ZORorIvad");
    EXPECT_TRUE(req.target.startsWith("/translate_t?langpair=en%7Cde&text=Caf%C3%A9%20%26%20"))
        << req.target.constData();

    st.fromcp = 1250; // the source labels' own code page decides
    ask("\x8A\xB9");
    EXPECT_EQ(server.requests.back().text, "\xC5\xA0\xC4\x85"); // Š ą
}

// The page is decoded with the charset of its content type (UTF-8 when it names none or one
// Qt does not know, unless the bytes are no UTF-8), and the answer enters in the target code
// page.
TEST_F(WebTest, TheAnswerEntersInTheTargetCodePage) {
    struct Case {
        QByteArray type;
        std::string body;
        int tocp;
        std::string answer;
    };
    const Case cases[] = {
        {"text/html; charset=UTF-8",
         "Stra\xC3\x9F"
         "e \\x26amp; caf&#233; \\x3d 1",
         1252,
         "Stra\xDF"
         "e & caf\xE9 = 1"},
        {"text/html; charset=UTF-8", "\xD0\x9C\xD0\xBE\xD1\x81", 1251, "\xCC\xEE\xF1"},
        {"text/html; charset=UTF-8", "\xD0\x9C\xD0\xBE\xD1\x81", 1252, "???"},
        {"text/html; charset=ISO-8859-1",
         "Gr\xFC\xDF"
         "e",
         1252,
         "Gr\xFC\xDF"
         "e"},
        {"text/html;charset=\"windows-1251\"", "\xCC\xEE\xF1", 1251, "\xCC\xEE\xF1"},
        {"text/html",
         "Gr\xC3\xBC\xC3\x9F"
         "e",
         1252,
         "Gr\xFC\xDF"
         "e"},
        {"text/html; charset=no-such-charset",
         "Gr\xC3\xBC"
         "e",
         1252,
         "Gr\xFC"
         "e"},
        {"text/html",
         "Gr\xFC"
         "e",
         1252, "Gr?e"}, // not UTF-8 after all
    };
    for (const Case& c : cases) {
        st.tocp = c.tocp;
        answer_with(page(c.body, c.type));
        EXPECT_EQ(ask("x"), c.answer) << c.type.constData() << " " << c.body;
    }
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
    HttpReply noMarker, error = page("Hallo"), drop, cut = page("Hallo"), huge = page("Hallo");
    noMarker.body = "<html>nothing here</html>";
    error.status = 500;
    drop.drop = true;
    cut.declared_length = int(cut.body.size()) + 100; // the connection ends short of it
    huge.body += QByteArray(5 << 20, 'x');
    for (const HttpReply& r : {noMarker, error, drop, cut, huge}) {
        answer_with(r);
        EXPECT_EQ(ask("x"), "");
    }
    const std::size_t asked = server.requests.size();
    for (const char* url : {"file:///etc/passwd", "not an address"}) { // only web addresses
        st.translate_url = url;
        EXPECT_EQ(ask("x"), "");
    }
    EXPECT_EQ(server.requests.size(), asked);
    st.translate_url = server.url();
    server.close();
    EXPECT_EQ(ask("x"), "");

    // The size limit counts the whole page.
    options.max_bytes = 2000;
    HttpServer small;
    st.translate_url = small.url();
    HttpReply padded = page("Hallo");
    padded.body += QByteArray(1000, ' ');
    small.handler = [&](const HttpRequest&) { return padded; };
    EXPECT_EQ(ask("x"), "Hallo");
    padded.body += QByteArray(1000, ' ');
    EXPECT_EQ(ask("x"), "");
}

TEST_F(WebTest, ASlowServerOrATrickleRunsIntoTheTimeOut) {
    options.timeout_ms = 300;
    HttpReply late = page("Hallo"), trickle = page(std::string(200, 'w'));
    late.delay_ms = 3000;
    trickle.chunk = 10;
    trickle.chunk_delay_ms = 50;
    for (const HttpReply& r : {late, trickle}) {
        answer_with(r);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(ask("x"), "");
        EXPECT_LT(clock.elapsed(), 2000);
    }
}

TEST_F(WebTest, StopEndsADownloadAndTheWindowKeepsWorking) {
    HttpReply late = page("Hallo");
    late.delay_ms = 5000;
    answer_with(late);
    bool ticked = false;
    QTimer::singleShot(50, [&] { ticked = true; });
    QTimer::singleShot(150, [&] { Command5_Click(st, kPolygons); });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(ask("x"), "");
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(ticked);
    EXPECT_EQ(ask("x"), ""); // while the flag stays set nothing is sent
    EXPECT_EQ(server.requests.size(), 1u);
}

TEST_F(WebTest, BatchesGoOutAndTheirAnswersComeBack) {
    fill_pane(st, kLines, "Lake|River, small|Forest|Caf\xE9|Hill");
    server.canned = {{"Lake,River  small,Forest", "See,Fluss klein,Wald"},
                     {"Caf\xC3\xA9,Hill", "Caf&#233;"}};
    translate(kLines);
    EXPECT_EQ(sent(), (Strings{"Lake,River  small,Forest", "Caf\xC3\xA9,Hill"}));
    EXPECT_EQ(texts(st, kLines), "See|Fluss klein|Wald|?Caf\xE9|??");
    EXPECT_EQ(colours(st, kLines), "WWWRR");

    // "Check Errors" sends the two suspect rows one at a time.
    server.canned = {{"Caf\xC3\xA9", "Caf&#233;"}, {"Hill", "H\xC3\xBCgel"}};
    auto tr = make_web_translator(ui, options);
    Label3_Click(st, ui, *tr, kLines, kNoPause);
    EXPECT_EQ(sent().size(), 4u);
    EXPECT_EQ(texts(st, kLines), "See|Fluss klein|Wald|Caf\xE9|H\xFCgel");
    EXPECT_EQ(colours(st, kLines), "WWWWW");
    EXPECT_FALSE(st.pane(kLines).check_errors_visible);
    EXPECT_FALSE(st.win.running);
}

TEST_F(WebTest, ATimedOutBatchTurnsSuspectAndTheRunGoesOn) {
    options.timeout_ms = 200;
    fill_pane(st, kPolygons, "a|b|c|d");
    server.handler = [](const HttpRequest& req) {
        HttpReply r;
        r.body = translation_page(req.text == "d" ? "D" : "A,B,C");
        if (req.text != "d") r.delay_ms = 2000;
        return r;
    };
    translate();
    EXPECT_EQ(sent(), (Strings{"a,b,c", "d"}));
    EXPECT_EQ(texts(st, kPolygons), "?|??|??|D");
    EXPECT_EQ(colours(st, kPolygons), "RRRW");
}

TEST_F(WebTest, StopDuringTheSecondBatch) {
    fill_pane(st, kPolygons, "a|b|c|d|e|f|g|h");
    server.handler = [this](const HttpRequest& req) {
        HttpReply r;
        r.body = translation_page(req.text == "a,b,c" ? "A,B,C" : "D,E,F");
        if (req.text == "d,e,f") {
            r.delay_ms = 5000;
            QTimer::singleShot(100, [this] { Command5_Click(st, kPolygons); });
        }
        return r;
    };
    QElapsedTimer clock;
    clock.start();
    translate();
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(sent(), (Strings{"a,b,c", "d,e,f"}));
    EXPECT_EQ(texts(st, kPolygons), "A|B|C|||||");
    EXPECT_FALSE(st.win.running || st.stopflag || st.pane(kPolygons).stop_visible);
}

} // namespace
} // namespace lex
