// The Apertium engine: a stand-in that counts its starts, the engine on this machine for real,
// and behind an Apertium server the test starts.

#include "commands/translation_service.h"
#include "document/text.h"
#include "support/fixtures.h"
#include "support/http_server.h"
#include "translate/services.h"
#include "view/review.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <filesystem>

namespace lex {
namespace {

using namespace lex::test;

class EngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensure_core_application(); }
    void SetUp() override {
        if (!offline_engine_installed())
            GTEST_SKIP() << "the offline engine (apertium with a language pair) is not installed; "
                            "scripts/deps.sh installs it";
        st.win.language_row[1] = 5; // Spanish
    }
    State st = english_to_german();
    FakeUi ui;
};

// A stand-in for the engine, first on the PATH while it lives: it lists one pair, answers in
// capitals line by line as the engine does (blank lines kept), and counts its translation runs.
class FakeEngine {
public:
    FakeEngine() : old_path_(qgetenv("PATH")) {
        const std::string script =
            dir_.write("apertium", "#!/bin/sh\n"
                                   "if [ \"$1\" = -l ]; then echo eng-spa; exit 0; fi\n"
                                   "echo run >> \"$(dirname \"$0\")/runs\"\n"
                                   "tr a-z A-Z\n");
        std::filesystem::permissions(script, std::filesystem::perms::owner_exec,
                                     std::filesystem::perm_options::add);
        qputenv("PATH", QByteArray::fromStdString(dir_.str()) + ":" + old_path_);
    }
    ~FakeEngine() { qputenv("PATH", old_path_); }
    FakeEngine(const FakeEngine&) = delete;
    FakeEngine& operator=(const FakeEngine&) = delete;
    // How often it was started to translate.
    long runs() const {
        const std::string log = TempDir::read(dir_.file("runs"));
        return long(std::count(log.begin(), log.end(), '\n'));
    }

private:
    TempDir dir_;
    QByteArray old_path_;
};

// One start of the engine per batch: the labels go in together, kept apart by blank lines, and
// come back apart (a separator that did not keep them apart would cost a start per label).
TEST(OfflineEngine, StartsOncePerBatch) {
    ensure_core_application();
    FakeEngine fake;
    State st = english_to_german();
    st.win.language_row[1] = 5; // Spanish
    auto engine = make_offline_engine();
    const LabelReply reply = engine->translate(
        {"eng", "spa", {"Lake", "River bank", "Old\nmill", "Inn"}}, StopToken(st.stop_requested));
    EXPECT_EQ(reply.error, "");
    EXPECT_EQ(reply.texts, (Strings{"LAKE", "RIVER BANK", "OLD MILL", "INN"}));
    EXPECT_EQ(fake.runs(), 1);

    // Through the run: a batch is up to 1000 labels.
    FakeUi ui;
    auto tr = make_translator(ui, {ServiceKind::kOfflineEngine, "", ""});
    std::string rows = "Lake";
    for (int i = 1; i <= 1000; ++i) rows += "|Mill " + std::to_string(i);
    fill_pane(st, kLines, rows);
    translate_pane(st, ui, *tr, kLines, kNoPause);
    EXPECT_EQ(st.rows(kLines)[0].text, "LAKE");
    EXPECT_EQ(st.rows(kLines)[1000].text, "MILL 1000");
    EXPECT_EQ(fake.runs(), 3);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(EngineTest, OfflineEngineKeepsLabelsApartAndMarksUnknownWords) {
    auto engine = make_offline_engine();
    // A single line break would let the engine move "de lago" into the next label.
    const LabelReply reply =
        engine->translate({"eng", "spa", {"Lake", "River bank", "Xyzzy foo", "#1 Street"}},
                          StopToken(st.stop_requested));
    EXPECT_EQ(reply.error, "");
    EXPECT_EQ(reply.texts, (Strings{"Lago", "Orilla del r\xC3\xADo", "Xyzzy foo", "#1 Calle"}));
    EXPECT_EQ(reply.unknown, (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(engine->translate({"eng", "cat", {"Lake"}}, StopToken(st.stop_requested)).texts,
              Strings{"Llac"});

    const std::string missing =
        engine->translate({"eng", "deu", {"Lake"}}, StopToken(st.stop_requested)).error;
    // No chain reaches German: the message names the targets that can be had offline.
    EXPECT_TRUE(missing.starts_with("Offline, English can be translated into Spanish, "))
        << missing;
    EXPECT_TRUE(missing.ends_with("; choose one, or set a service with Tools \xE2\x86\x92 "
                                  "Translation Service"))
        << missing;

    // Through the run: answers in the target code page, the unknown word suspect.
    auto tr = make_translator(ui, {ServiceKind::kOfflineEngine, "", ""});
    fill_pane(st, kLines, "Lake|River bank|Xyzzy");
    translate_pane(st, ui, *tr, kLines, kNoPause);
    EXPECT_EQ(texts(st, kLines), "Lago|Orilla del r\xEDo|?Xyzzy");
    EXPECT_EQ(statuses(st, kLines), "WWR");
    EXPECT_TRUE(ui.messages.empty());
}

// English to French through Spanish with the engine's own pairs: the answers come back to
// review, the chain named; the Test names it too.
TEST_F(EngineTest, ChainsTwoPairsWhenThereIsNoDirectOne) {
    QProcess list;
    list.start("apertium", {"-l"});
    list.waitForFinished(10000);
    const auto installed =
        engine_directions(engine_pairs(list.readAllStandardOutput().toStdString()));
    if (engine_chain(installed, "eng", "fra").size() != 2)
        GTEST_SKIP() << "no chain from English to French is installed (apertium-eng-spa and "
                        "apertium-fr-es; scripts/deps.sh installs them)";
    auto engine = make_offline_engine();
    const LabelReply reply =
        engine->translate({"eng", "fra", {"Lake", "Church"}}, StopToken(st.stop_requested));
    EXPECT_EQ(reply.error, "");
    EXPECT_EQ(reply.texts, (Strings{"Lac", "\xC3\x89glise"}));
    EXPECT_EQ(reply.route, "English \xE2\x86\x92 Spanish \xE2\x86\x92 French");

    st.win.language_row[1] = 1; // French
    auto tr = make_translator(ui, {ServiceKind::kOfflineEngine, "", ""});
    fill_pane(st, kPolygons, "Lake|Church");
    translate_pane(st, ui, *tr, kPolygons, kNoPause);
    EXPECT_EQ(texts(st, kPolygons), "Lac|\xC9glise");
    EXPECT_EQ(st.row(kPolygons, 0).status, RowStatus::kToReview);
    EXPECT_EQ(st.row(kPolygons, 0).tip, "Through " + reply.route);
    EXPECT_EQ(service_status(st), st.win.service_caption + ", " + reply.route);
    EXPECT_EQ(count_rows(st, kPolygons).to_review, 2);
    const ServiceTest test = test_service(st, *tr);
    EXPECT_TRUE(test.ok);
    EXPECT_EQ(test.route, reply.route);
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
    EXPECT_EQ(st.rows(kLines)[0].text, "");
    EXPECT_EQ(st.rows(kLines)[250].text, "");
}

// An engine that runs to its end but prints nothing translated nothing: the engine program is
// found on the PATH, so a script in front of it stands in.
TEST(SilentEngine, AnEngineThatPrintsNothingLeavesTheRowsSuspect) {
    ensure_core_application();
    TempDir dir;
    const std::string script = dir.write("apertium", "#!/bin/sh\n"
                                                     "[ \"$1\" = -l ] && echo eng-spa\n"
                                                     "cat >/dev/null\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(dir.str()) + ":" + path);
    State st = english_to_german();
    st.win.language_row[1] = 5; // Spanish
    FakeUi ui;
    auto tr = make_translator(ui, {ServiceKind::kOfflineEngine, "", ""});
    fill_pane(st, kLines, "Lake|River bank");
    const Outcome outcome = translate_pane(st, ui, *tr, kLines, kNoPause);
    qputenv("PATH", path);
    EXPECT_EQ(texts(st, kLines) + statuses(st, kLines), "?|?RR");
    EXPECT_EQ(ui.messages, Strings{"The translation service returned nothing for 2 labels."});
    // Empty answers are no translation: the run failed, for the reason it said.
    EXPECT_EQ(outcome.kind, Outcome::Kind::kFailed);
    EXPECT_EQ(outcome.reason, ui.messages.at(0));
    EXPECT_EQ(ui.messageIds, std::vector{MessageId::kEmptyAnswers});
}

TEST_F(EngineTest, ApertiumServerTranslatesWithTheSameRules) {
    const QString apy = QStandardPaths::findExecutable("apertium-apy");
    if (apy.isEmpty()) GTEST_SKIP() << "apertium-apy is not installed";
    QTcpServer probe; // a free port on the loopback interface
    probe.listen(QHostAddress::LocalHost, 0);
    const QString port = QString::number(probe.serverPort());
    probe.close();
    const std::string base = "http://127.0.0.1:" + port.toStdString();
    QProcess server;
    server.setStandardOutputFile(QProcess::nullDevice());
    server.setStandardErrorFile(QProcess::nullDevice());
    server.start(apy, {"-p", port, "/usr/share/apertium/modes"});
    // Ready once it answers; it gets a few seconds.
    auto service = make_apertium_server(base);
    LabelReply reply;
    QElapsedTimer clock;
    clock.start();
    do {
        if (!reply.error.empty()) QThread::msleep(200);
        reply = service->translate({"eng", "spa", {"Lake", "River bank", "Xyzzy foo"}},
                                   StopToken(st.stop_requested));
    } while (contains(reply.error, "does not answer") && clock.elapsed() < 8000);
    const std::string missing =
        service->translate({"eng", "deu", {"Lake"}}, StopToken(st.stop_requested)).error;
    server.kill();
    server.waitForFinished(3000);
    if (contains(reply.error, "does not answer")) GTEST_SKIP() << "apertium-apy: " << reply.error;
    EXPECT_EQ(reply.error, "");
    EXPECT_EQ(reply.texts, (Strings{"Lago", "Orilla del r\xC3\xADo", "Xyzzy foo"}));
    EXPECT_EQ(reply.unknown, (std::vector<bool>{false, false, true}));
    EXPECT_TRUE(missing.starts_with("The Apertium server at " + base +
                                    " has no English \xE2\x86\x92 German pair. Installed: "))
        << missing;
}

} // namespace
} // namespace lex
