#include "support/fixtures.h"
#include "support/http_server.h"
#include "translate/webpage.h"

#include <QElapsedTimer>
#include <QTimer>

namespace lex {
namespace {

using namespace lex::test;

TEST(Webpage, RequestPageAndEscapes) {
    EXPECT_EQ(prepare_request("a_b\\c{d}[e]/5*,,"), "a b c d  e  5,");
    EXPECT_EQ(request_url("http://h/t?hl=en", "en|de", "x, ~+"),
              "http://h/t?hl=en&langpair=en%7Cde&text=x%2C%20~%2B");
    // The translation: after the marker up to the first ";var", unquoted, only before a "</".
    const std::string pages = "<s>TRANSLATED_TEXT='Hallo Welt';var x=1;</s>|<s>translated_text="
                              "l'eau;var</s>|<s>TRANSLATED_TEXT='Rue';</s>|<s>TRANSLATED_TEXT='"
                              "Rue';VAR</s>|TRANSLATED_TEXT='Rue';var|<b>Rue;var</b>|TRANSLATED_"
                              "TEXT='a;var b';var</x>|TRANSLATED_TEXT=';var</x>";
    Strings found;
    for (const std::string& page : cells(pages)) found.push_back(extract_translation(page));
    EXPECT_EQ(found, (Strings{"Hallo Welt", "l'eau", "", "", "", "", "a", ""}));
    // clang-format off
    const std::pair<std::string, std::string> escapes[] = {
        {"a \\x26amp; b\\x3d", "a & b="}, {"a\\x26lt;b\\x26gt;c", "a < b > c"},
        {"\\x26quot;q\\x26#39;", "'q'"}, {"a &# b", "a # b"},
        {"&#26085;&#128512;", "\xE6\x97\xA5\xF0\x9F\x98\x80"}, {"&#65abc;x", "Ax"},
        {"&#55296;&#1114112;&#99999999999999999999;", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"&#x41;", std::string(1, '\0')}};
    // clang-format on
    for (const auto& [text, out] : escapes) EXPECT_EQ(unescape_answer(text), out) << text;
}

class WebTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensure_core_application(); }
    State st = english_to_german();
    FakeUi ui;
    HttpServer server;
    WebOptions options{5000, 4u << 20, false}; // every test ends well before its own limits
    void SetUp() override {
        st.translate_url = server.url();
        st.language_pair = "en|de";
    }
    std::string ask(const std::string& request) {
        return make_web_translator(ui, options)->translate(translation_request(st), request);
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

TEST_F(WebTest, RequestAndAnswerCodePages) {
    server.canned["Caf\xC3\xA9 & Bar #1 + 50%  x ;"] = "ok";
    EXPECT_EQ(ask("Caf\xE9 & Bar #1 + 50% (x);,"), "ok");
    ASSERT_EQ(server.requests.size(), 1u);
    const HttpRequest& req = server.requests[0];
    EXPECT_EQ(req.langpair, "en|de");
    EXPECT_EQ(req.user_agent, "ZORorIvad");
    EXPECT_TRUE(req.target.startsWith("/translate_t?langpair=en%7Cde&text=Caf%C3%A9%20%26%20"))
        << req.target.constData();
    st.source_codepage = 1250; // the source labels' own code page decides
    ask("\x8A\xB9");
    EXPECT_EQ(server.requests.back().text, "\xC5\xA0\xC4\x85"); // Š ą
    // The page is decoded with its content type's charset (else UTF-8 if it is), the answer
    // entered in the target code page.
    struct Case {
        QByteArray type;
        std::string body;
        int target_codepage;
        std::string answer;
    };
    const std::string utf8 = "Gr\xC3\xBC\xC3\x9F", cp1252 = "Gr\xFC\xDF";
    // clang-format off
    const Case cases[] = {
        {"text/html; charset=UTF-8", utf8 + " caf&#233;", 1252, cp1252 + " caf\xE9"},
        {"text/html; charset=UTF-8", "\xD0\x9C\xD0\xBE\xD1\x81", 1251, "\xCC\xEE\xF1"},
        {"text/html; charset=UTF-8", "\xD0\x9C\xD0\xBE\xD1\x81", 1252, "???"},
        {"text/html; charset=ISO-8859-1", cp1252, 1252, cp1252},
        {"text/html;charset=\"windows-1251\"", "\xCC\xEE\xF1", 1251, "\xCC\xEE\xF1"},
        {"text/html", utf8, 1252, cp1252},
        {"text/html; charset=no-such-charset", utf8, 1252, cp1252},
        {"text/html", cp1252, 1252, "Gr??"}, // not UTF-8 after all
    };
    // clang-format on
    for (const Case& c : cases) {
        st.target_codepage = c.target_codepage;
        answer_with(page(c.body, c.type));
        EXPECT_EQ(ask("x"), c.answer) << c.type.constData() << " " << c.body;
    }
    // A page read in many pieces is joined.
    HttpReply r = page(std::string(3000, 'w'));
    r.body = QByteArray(6000, ' ') + r.body;
    r.chunk = 1000;
    r.chunk_delay_ms = 5;
    answer_with(r);
    EXPECT_EQ(ask("x"), std::string(3000, 'w'));
}

// Failures end as an empty answer, within the time-out even from a slow or trickling server.
TEST_F(WebTest, FailuresAndTimeOutsEndAsAnEmptyAnswer) {
    options.timeout_ms = 300;
    HttpReply noMarker, error = page("Hallo"), drop, cut = page("Hallo"), huge = page("Hallo"),
                        late = page("Hallo"), trickle = page(std::string(200, 'w'));
    noMarker.body = "<html>nothing here</html>";
    error.status = 500;
    drop.drop = true;
    cut.declared_length = int(cut.body.size()) + 100; // the connection ends short of it
    huge.body += QByteArray(5 << 20, 'x');
    late.delay_ms = 3000;
    trickle.chunk = 10;
    trickle.chunk_delay_ms = 50;
    for (const HttpReply& r : {noMarker, error, drop, cut, huge, late, trickle}) {
        answer_with(r);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(ask("x"), "");
        EXPECT_LT(clock.elapsed(), 2000);
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

} // namespace
} // namespace lex
