// The Apertium engine: a stand-in that counts its starts (and shares the labels among several
// processes), the engine on this machine for real, and behind an Apertium server the test starts.

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
#include <cctype>
#include <filesystem>
#include <sstream>

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

// A stand-in for the engine, first on the PATH while it lives: it lists `pairs`, and for a
// translation notes its process id in "runs" and runs `body` (by default capitals line by line
// as the engine does, blank lines kept); the script's folder is $d.
class FakeEngine {
public:
    explicit FakeEngine(const std::string& body = "tr a-z A-Z\n",
                        const std::string& pairs = "eng-spa")
        : old_path_(qgetenv("PATH")) {
        const std::string script = dir_.write("apertium", "#!/bin/sh\n"
                                                          "d=\"$(dirname \"$0\")\"\n"
                                                          "if [ \"$1\" = -l ]; then echo '" +
                                                              pairs +
                                                              "' | tr ' ' '\\n'; exit 0; fi\n"
                                                              "echo $$ >> \"$d/runs\"\n" +
                                                              body);
        std::filesystem::permissions(script, std::filesystem::perms::owner_exec,
                                     std::filesystem::perm_options::add);
        qputenv("PATH", QByteArray::fromStdString(dir_.str()) + ":" + old_path_);
    }
    ~FakeEngine() { qputenv("PATH", old_path_); }
    FakeEngine(const FakeEngine&) = delete;
    FakeEngine& operator=(const FakeEngine&) = delete;
    // How often it was started to translate.
    long runs() const { return long(lines("runs").size()); }
    // The lines the script wrote into file `name` of its folder.
    Strings lines(const std::string& name) const {
        Strings out;
        std::istringstream in(TempDir::read(dir_.file(name)));
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    }

private:
    TempDir dir_;
    QByteArray old_path_;
};

// Whether process `pid` ends within two seconds (one that ended but was not yet waited for
// counts as ended). A signal takes a moment to end a process that was not waited for.
bool ends_soon(const std::string& pid) {
    QElapsedTimer clock;
    clock.start();
    do {
        const std::string stat = TempDir::read("/proc/" + pid + "/stat");
        const std::size_t close = stat.rfind(')');
        if (close == std::string::npos || close + 2 >= stat.size() || stat[close + 2] == 'Z')
            return true;
        QThread::msleep(10);
    } while (clock.elapsed() < 2000);
    return false;
}

std::unique_ptr<Translator> engine_translator(int processes) {
    return make_label_translator(make_offline_engine({}, processes), ServiceKind::kOfflineEngine);
}

// "Mill 0" to "Mill <n - 1>" as rows of a pane.
std::string mills(int n) {
    std::string rows;
    for (int i = 0; i < n; ++i) rows += (i ? "|Mill " : "Mill ") + std::to_string(i);
    return rows;
}

// One start of the engine per batch: the labels go in together, kept apart by blank lines, and
// come back apart (a separator that did not keep them apart would cost more starts).
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

    // Through the run with one process: the run's labels are one batch, not one per thousand.
    FakeUi ui;
    auto tr = engine_translator(1);
    fill_pane(st, kLines, mills(2500));
    translate_pane(st, ui, *tr, kLines, kNoPause);
    EXPECT_EQ(st.rows(kLines)[0].text, "MILL 0");
    EXPECT_EQ(st.rows(kLines)[2499].text, "MILL 2499");
    EXPECT_EQ(fake.runs(), 2);
    EXPECT_TRUE(ui.messages.empty());
}

// The labels are shared among the processes in runs of consecutive labels (of 500 at least);
// each answer comes back to its label even when the first process is the last to finish.
TEST(OfflineEngine, ProcessesShareTheLabelsAndKeepTheirOrder) {
    ensure_core_application();
    FakeEngine fake("in=$(cat)\n"
                    "case \"$in\" in First*) sleep 0.5 ;; esac\n"
                    "printf '%s\\n' \"$in\" | tr a-z A-Z\n");
    bool stop = false;
    auto engine = make_offline_engine({}, 3);
    Strings labels{"First"};
    for (int i = 1; i < 1500; ++i) labels.push_back("Mill " + std::to_string(i));
    const LabelReply reply = engine->translate({"eng", "spa", labels}, StopToken(stop));
    EXPECT_EQ(reply.error, "");
    Strings upper = labels;
    for (std::string& label : upper)
        for (char& c : label) c = char(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(reply.texts, upper);
    EXPECT_EQ(fake.runs(), 3);

    // A few labels stay in one process: a second one would cost more than it saves.
    EXPECT_EQ(engine->translate({"eng", "spa", {"Lake", "Inn"}}, StopToken(stop)).texts,
              (Strings{"LAKE", "INN"}));
    EXPECT_EQ(fake.runs(), 4);
}

// A label the engine runs into the next one costs a few starts, not one per label: the part
// that does not split is halved until each half does.
TEST(OfflineEngine, ALabelThatDoesNotSplitCostsFewStarts) {
    ensure_core_application();
    FakeEngine fake("awk 'p == \"Odd\" && $0 == \"\" { p = $0; next } { print; p = $0 }' |"
                    " tr a-z A-Z\n");
    bool stop = false;
    Strings labels;
    for (int i = 0; i < 1000; ++i) labels.push_back(i == 700 ? "Odd" : "Mill " + std::to_string(i));
    // The halves one after the other with one process, at once with several.
    for (const int processes : {1, 3}) {
        const long before = fake.runs();
        const LabelReply reply =
            make_offline_engine({}, processes)->translate({"eng", "spa", labels}, StopToken(stop));
        EXPECT_EQ(reply.error, "");
        ASSERT_EQ(reply.texts.size(), labels.size());
        EXPECT_EQ(reply.texts[0], "MILL 0");
        EXPECT_EQ(reply.texts[699], "MILL 699");
        EXPECT_EQ(reply.texts[700], "ODD");
        EXPECT_EQ(reply.texts[701], "MILL 701");
        EXPECT_EQ(reply.texts[999], "MILL 999");
        EXPECT_LE(fake.runs() - before, 40) << processes;
    }
}

// Through a chain each process's answers go on to the next pair in the same order.
TEST(OfflineEngine, ChainsShareTheLabelsToo) {
    ensure_core_application();
    FakeEngine fake("case \"$3\" in\n"
                    "es-fr) sed 's/^\\(..*\\)$/\\1 fr/' ;;\n"
                    "*) tr a-z A-Z ;;\n"
                    "esac\n",
                    "eng-spa es-fr");
    State st = english_to_german();
    st.win.language_row[1] = 1; // French
    FakeUi ui;
    auto tr = engine_translator(2);
    fill_pane(st, kLines, mills(1000));
    const Outcome outcome = translate_pane(st, ui, *tr, kLines, kNoPause);
    EXPECT_EQ(outcome.kind, Outcome::Kind::kDone);
    EXPECT_EQ(fake.runs(), 4);
    for (int i : {0, 499, 500, 999}) {
        EXPECT_EQ(st.rows(kLines)[std::size_t(i)].text, "MILL " + std::to_string(i) + " fr");
        EXPECT_EQ(st.rows(kLines)[std::size_t(i)].tip,
                  "Through English \xE2\x86\x92 Spanish \xE2\x86\x92 French");
    }
}

// One process failing fails the run with its message at once: the others are ended, and the
// answers of one that had finished are not written either.
TEST(OfflineEngine, OneFailingProcessFailsTheRunAndEndsTheOthers) {
    ensure_core_application();
    FakeEngine fake("in=$(cat)\n"
                    "case \"$in\" in\n"
                    "*Boom*) sleep 0.3; echo 'cannot read the mode' >&2; exit 3 ;;\n"
                    "*Last*) sleep 20 & echo $! >> \"$d/sleepers\"; wait ;;\n"
                    "esac\n"
                    "printf '%s\\n' \"$in\" | tr a-z A-Z\n");
    State st = english_to_german();
    st.win.language_row[1] = 5; // Spanish
    FakeUi ui;
    auto tr = engine_translator(3);
    // Three processes: "Mill 0" to "Mill 499" answer at once, the next 500 fail, the last wait.
    fill_pane(st, kLines, mills(749) + "|Boom|" + mills(749) + "|Last");
    QElapsedTimer clock;
    clock.start();
    const Outcome outcome = translate_pane(st, ui, *tr, kLines, kNoPause);
    EXPECT_LT(clock.elapsed(), 5000);
    const std::string message = "The offline engine failed (exit code 3): cannot read the mode";
    EXPECT_EQ(outcome.kind, Outcome::Kind::kFailed);
    EXPECT_EQ(outcome.reason, message);
    EXPECT_EQ(ui.messages, Strings{message});
    EXPECT_EQ(fake.runs(), 3);
    for (const Row& row : st.rows(kLines)) {
        ASSERT_EQ(row.text, "?");
        ASSERT_EQ(row.status, RowStatus::kSuspect);
    }
    ASSERT_EQ(fake.lines("sleepers").size(), 1u);
    EXPECT_TRUE(ends_soon(fake.lines("sleepers")[0]));
}

// STOP ends every process of the run, with the programs they started, and writes nothing.
TEST(OfflineEngine, StopEndsEveryProcess) {
    ensure_core_application();
    FakeEngine fake("sleep 20 & echo $! >> \"$d/sleepers\"; wait\n"
                    "tr a-z A-Z\n");
    State st = english_to_german();
    st.win.language_row[1] = 5; // Spanish
    FakeUi ui;
    auto tr = engine_translator(3);
    fill_pane(st, kLines, mills(1500));
    // STOP once all three are under way (or after a while, should they not get there).
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (fake.lines("sleepers").size() == 3 || clock.elapsed() > 3000)
            stop_translation(st, kLines);
    });
    poll.start(20);
    const Outcome outcome = translate_pane(st, ui, *tr, kLines, kNoPause);
    poll.stop();
    EXPECT_LT(clock.elapsed(), 6000);
    EXPECT_EQ(outcome.kind, Outcome::Kind::kCancelled);
    EXPECT_EQ(st.rows(kLines)[0].text, "");
    EXPECT_EQ(st.rows(kLines)[1499].text, "");
    EXPECT_TRUE(ui.messages.empty());
    const Strings sleepers = fake.lines("sleepers");
    EXPECT_EQ(sleepers.size(), 3u);
    for (const std::string& pid : sleepers) EXPECT_TRUE(ends_soon(pid)) << pid;
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
