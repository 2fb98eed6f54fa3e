// The Apertium engine for real: on this machine, and behind an Apertium server the test starts.

#include "support/fixtures.h"
#include "translate/services.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>
#include <QTimer>

namespace lex {
namespace {

using namespace lex::test;

class EngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QCoreApplication::instance() != nullptr) return;
        static int argc = 1;
        static char arg0[] = "lexmarin_tests", *argv[] = {arg0, nullptr};
        static QCoreApplication app(argc, argv);
    }
    void SetUp() override {
        if (!offline_engine_installed())
            GTEST_SKIP() << "the offline engine (apertium with a language pair) is not installed; "
                            "scripts/deps.sh installs it";
        st.win.language_row[1] = 5; // Spanish
    }
    State st = english_to_german();
    FakeUi ui;
};

TEST_F(EngineTest, OfflineEngineKeepsLabelsApartAndMarksUnknownWords) {
    auto engine = make_offline_engine();
    // A single line break would let the engine move "de lago" into the next label.
    const LabelReply reply =
        engine->translate(st, {"eng", "spa", {"Lake", "River bank", "Xyzzy foo", "#1 Street"}});
    EXPECT_EQ(reply.error, "");
    EXPECT_EQ(reply.texts, (Strings{"Lago", "Orilla del r\xC3\xADo", "Xyzzy foo", "#1 Calle"}));
    EXPECT_EQ(reply.unknown, (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(engine->translate(st, {"eng", "cat", {"Lake"}}).texts, Strings{"Llac"});

    const std::string missing = engine->translate(st, {"eng", "deu", {"Lake"}}).error;
    EXPECT_TRUE(missing.starts_with(
        "The offline engine has no English \xE2\x86\x92 German pair. Installed: "))
        << missing;
    EXPECT_NE(missing.find("eng-spa"), std::string::npos);
    EXPECT_NE(missing.find("eng-cat"), std::string::npos);

    // Through the run: answers in the target code page, the unknown word suspect.
    auto tr = make_translator(ui, {ServiceKind::kOfflineEngine, "", ""});
    fill_pane(st, kLines, "Lake|River bank|Xyzzy");
    translate_pane(st, ui, *tr, kLines, kNoPause);
    EXPECT_EQ(texts(st, kLines), "Lago|Orilla del r\xEDo|?Xyzzy");
    EXPECT_EQ(colours(st, kLines), "WWR");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(EngineTest, StopEndsTheEngineAtOnce) {
    auto tr = make_translator(ui, {ServiceKind::kOfflineEngine, "", ""});
    std::string rows;
    for (int i = 0; i < 250; ++i) rows += "The old mill by the river bank near the school|";
    fill_pane(st, kLines, rows + "Lake");
    QTimer::singleShot(100, [&] { stop_translation(st, kLines); });
    QElapsedTimer clock;
    clock.start();
    translate_pane(st, ui, *tr, kLines, kNoPause);
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_EQ(st.pane(kLines).rows[0].text, "");
    EXPECT_EQ(st.pane(kLines).rows[250].text, "");
}

// A free port on the loopback interface.
int free_port() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

TEST_F(EngineTest, ApertiumServerTranslatesWithTheSameRules) {
    const QString apy = QStandardPaths::findExecutable("apertium-apy");
    if (apy.isEmpty()) GTEST_SKIP() << "apertium-apy is not installed";
    const int port = free_port();
    QProcess server;
    server.setProgram(apy);
    server.setArguments({"-p", QString::number(port), "/usr/share/apertium/modes"});
    server.setStandardOutputFile(QProcess::nullDevice());
    server.setStandardErrorFile(QProcess::nullDevice());
    server.start();
    struct Ender {
        QProcess& p;
        ~Ender() {
            p.kill();
            p.waitForFinished(3000);
        }
    } ender{server};

    // Ready once /listPairs answers; it gets a few seconds.
    const std::string base = "http://127.0.0.1:" + std::to_string(port);
    QNetworkAccessManager net;
    bool ready = false;
    QElapsedTimer clock;
    clock.start();
    while (!ready && clock.elapsed() < 8000 && server.state() != QProcess::NotRunning) {
        QNetworkReply* r =
            net.get(QNetworkRequest(QUrl(QString::fromStdString(base + "/listPairs"))));
        QEventLoop loop;
        QObject::connect(r, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
        loop.exec();
        ready = r->isFinished() && r->error() == QNetworkReply::NoError;
        delete r;
        if (!ready) QThread::msleep(200);
    }
    if (!ready) GTEST_SKIP() << "apertium-apy did not answer on port " << port << " within 8 s";

    auto service = make_apertium_server(base);
    const LabelReply reply =
        service->translate(st, {"eng", "spa", {"Lake", "River bank", "Xyzzy foo"}});
    EXPECT_EQ(reply.error, "");
    EXPECT_EQ(reply.texts, (Strings{"Lago", "Orilla del r\xC3\xADo", "Xyzzy foo"}));
    EXPECT_EQ(reply.unknown, (std::vector<bool>{false, false, true}));
    const std::string missing = service->translate(st, {"eng", "deu", {"Lake"}}).error;
    EXPECT_TRUE(missing.starts_with("The Apertium server at " + base +
                                    " has no English \xE2\x86\x92 German pair. Installed: "))
        << missing;
}

} // namespace
} // namespace lex
