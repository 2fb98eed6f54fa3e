// lexmarin-cli run as a script runs it: its exit status, its output, and the files it leaves.

#include "support/fixtures.h"
#include "support/http_server.h"
#include "translate/webpage.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonDocument>
#include <QProcess>
#include <QTimer>

namespace lex {
namespace {

using namespace lex::test;

std::string polygon(std::initializer_list<std::string> lines) {
    return typ_element("[_polygon]", lines);
}

// Three polygons, one with a suspect German label, and a line.
const std::string kDoc = typ_header() + polygon({"Type=0x01", "String1=0x04,Lake"}) +
                         polygon({"Type=0x02", "String1=0x04,Forest"}) +
                         polygon({"Type=0x03", "String1=0x04,Road", "String2=0x02,?Strase"}) +
                         typ_element("[_line]", {"Type=0x04", "String1=0x04,River"});

struct Result {
    int status = -1;
    std::string out, err;
};

class CliTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { // the event loop of the local page
        if (QCoreApplication::instance() != nullptr) return;
        static int argc = 1;
        static char arg0[] = "lexmarin_tests", *argv[] = {arg0, nullptr};
        static QCoreApplication app(argc, argv);
    }
    TempDir dir;
    HttpServer server;
    void SetUp() override {
        server.canned[prepare_request("Lake,Forest")] = "See,Wald";
        server.canned["River"] = "Fluss";
        server.canned["Road"] = "Strasse";
    }
    std::string home() const { return dir.file("home"); }
    // Runs the program in the test folder, waiting on the event loop so the local page answers.
    Result cli(const QStringList& args, const QString& translate_url = {}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LEXMARIN_HOME", QString::fromStdString(home()));
        env.remove("LEXMARIN_TRANSLATE_URL");
        for (const char* proxy : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY"})
            env.remove(proxy);
        if (!translate_url.isEmpty()) env.insert("LEXMARIN_TRANSLATE_URL", translate_url);
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(QString::fromStdString(dir.str()));
        QEventLoop loop;
        QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        p.start(LEXMARIN_CLI, args);
        if (p.waitForStarted()) loop.exec();
        return {p.state() == QProcess::NotRunning ? p.exitCode() : -1,
                p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
    }
    QString page() const { return QString::fromStdString(server.url()); }
    bool backups() const {
        return std::filesystem::exists(home() + "/system") &&
               !std::filesystem::is_empty(home() + "/system");
    }
};

TEST_F(CliTest, UsageRefusalsSurveyStatsAndSpelling) {
    dir.write("doc.txt", kDoc);
    dir.write("foreign.txt", "[_id]\r\nCodePage=1252\r\n[end]\r\n");
    dir.write("typo.txt", typ_header() + polygon({"Type=0x01", "String1=0x04,Lkae"}));
    struct Case {
        QStringList args;
        int status;
        std::string out, err; // expected parts
    };
    const Case cases[] = {
        {{}, 2, "", "A command is needed."},
        {{"--version"}, 0, "lexmarin-cli 1.22", ""},
        {{"frobnicate"}, 2, "", "No such command: frobnicate"},
        {{"list", "doc.txt"}, 2, "", "list takes export or apply."},
        {{"translate", "--help"}, 0, "Usage: lexmarin-cli translate FILE [options]", ""},
        {{"stats", "doc.txt", "--to", "es", "--bogus"}, 2, "", "Unknown option 'bogus'."},
        {{"stats", "doc.txt"}, 2, "", "--to is needed"},
        {{"stats", "doc.txt", "a.txt", "--to", "es"}, 2, "", "stats takes FILE."},
        {{"translate", "doc.txt", "--to", "es", "--kinds", "areas"}, 2, "", "--kinds takes"},
        {{"translate", "doc.txt", "--to", "es", "--service", "x"}, 2, "", "No such service: x"},
        {{"stats", "doc.txt", "--to", "xx"}, 1, "", "No such target language: xx"},
        {{"survey", "none.txt"}, 1, "", "File does not exist."},
        {{"survey", "foreign.txt"}, 1, "", "Not a Stylora file"},
        // The survey as the window lists it, and the counts per language.
        {{"survey", "doc.txt"}, 0, "German,English,\n", ""},
        {{"survey", "doc.txt", "--json"},
         0,
         R"("languages":[{"code":"0x02","labels":1,"name":"German"},)"
         R"({"code":"0x04","labels":4,"name":"English"}])",
         ""},
        {{"stats", "doc.txt", "--from", "English", "--to", "0x02"},
         0,
         "polygons         3        1        2        1\n"
         "lines            1        0        1        0\n"
         "points           0        0        0        0\n"
         "all              4        1        3        1\n",
         ""},
        {{"stats", "doc.txt", "--to", "de", "--json"}, 0, R"("lines":{"empty":1,"rows":1,)", ""},
        // A file without labels of the source language says so and counts nothing.
        {{"stats", "doc.txt", "--from", "fr", "--to", "de"}, 0, "all              0", "No 0x01"},
        {{"spell", "typo.txt"}, 1, "Lkae", ""},
        {{"spell", "doc.txt", "--lang", "en"}, 0, "", ""},
    };
    for (const Case& c : cases) {
        const Result r = cli(c.args);
        std::string out = r.out;
        if (c.args.contains("--json"))
            out = QJsonDocument::fromJson(QByteArray::fromStdString(out))
                      .toJson(QJsonDocument::Compact)
                      .toStdString();
        const std::string what = c.args.join(' ').toStdString() + "\n" + r.out + r.err;
        EXPECT_EQ(r.status, c.status) << what;
        EXPECT_NE(out.find(c.out), std::string::npos) << what;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << what;
    }
    EXPECT_EQ(TempDir::read(dir.file("doc.txt")), kDoc);
    EXPECT_FALSE(backups());
}

TEST_F(CliTest, TranslateSavesOnlyWhenEveryRequestWasAnswered) {
    struct Case {
        QStringList options;
        bool through_environment; // the page's address from LEXMARIN_TRANSLATE_URL
        int drop_request;         // the page drops the connections from this request on (from 1)
        int status;
        std::vector<std::string> saved; // label lines the file then holds
    };
    const Case cases[] = {
        {{}, false, 0, 0, {"String2=0x02,See", "String2=0x02,Wald", "0x02,?Strase", "Fluss"}},
        {{"--retry-suspects"}, false, 0, 0, {"String2=0x02,Strasse", "String2=0x02,Fluss"}},
        {{"--kinds", "lines"}, true, 0, 0, {"String2=0x02,Fluss", "0x02,?Strase"}},
        {{}, false, 2, 1, {}}, // the second request (the lines) is dropped
        {{"--retry-suspects"}, false, 3, 1, {}},
    };
    for (const Case& c : cases) {
        const std::string file = dir.write("doc.txt", kDoc);
        std::filesystem::remove_all(home());
        int requests = 0;
        server.handler = [&](const HttpRequest& req) {
            HttpReply reply;
            reply.drop = ++requests >= c.drop_request && c.drop_request > 0;
            reply.body = translation_page(server.canned[req.text]);
            return reply;
        };
        QStringList args{"translate", "doc.txt", "--to", "de"};
        if (!c.through_environment)
            args << "--service"
                 << "webpage"
                 << "--address" << page();
        const Result r = cli(args + c.options, c.through_environment ? page() : QString());
        const std::string what = c.options.join(' ').toStdString() + "\n" + r.err;
        ASSERT_EQ(r.status, c.status) << what;
        const std::string saved = TempDir::read(file);
        for (const std::string& line : c.saved)
            EXPECT_NE(saved.find(line), std::string::npos) << line << "\n" << what;
        if (c.status == 0) {
            EXPECT_NE(r.err.find("translating: 100%"), std::string::npos) << what;
            EXPECT_EQ(saved.find("Wald") != std::string::npos, !c.through_environment) << what;
        } else {
            EXPECT_EQ(saved, kDoc) << what;
            EXPECT_FALSE(backups()) << what;
            EXPECT_NE(r.err.find("Nothing was written."), std::string::npos) << what;
        }
    }
    server.handler = nullptr;
    if (!offline_engine_installed()) GTEST_SKIP() << "the offline engine is not installed";
    const Result r =
        cli({"translate", "doc.txt", "--to", "es", "--service", "offline", "-o", "es.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(TempDir::read(dir.file("es.txt")).find("0x08,Lago"), std::string::npos);
}

TEST_F(CliTest, StringsShowWithDryRunAndRepairWithout) {
    const std::string doc =
        typ_header() + polygon({"Type=0x01", "String1=0x00,Parking"}) +
        polygon({"Type=0x02", "String1=0x08,Lago", "String2=0x04,Lake", "String3=0x02,"}) +
        polygon({"Type=0x03", "String1=0x04,Forest"});
    struct Case {
        QStringList args;
        std::string report, changed; // the report's first line; a line the repair writes
    };
    const Case cases[] = {
        {{"move-zero"}, "Replaced   1", "String1=0x04,Parking\r\n"},
        {{"delete-empty"}, "Replaced   1", "String2=0x04,Lake\r\n[end]"},
        {{"sort"},
         "Sorted  1 elements.Please save. ",
         "String1=0x02,\r\nString2=0x04,Lake\r\nString3=0x08,Lago"},
        {{"source-to-target", "--to", "es"},
         "Replaced   1\nNot replaced:\n[_polygon] Type=0x02",
         "String1=0x08,Forest"},
    };
    for (const Case& c : cases) {
        const std::string file = dir.write("doc.txt", doc);
        for (const bool dry : {true, false}) {
            const Result r = cli(QStringList{"strings", "doc.txt"} + c.args +
                                 (dry ? QStringList{"--dry-run"} : QStringList{}));
            const std::string what = c.args.join(' ').toStdString() + "\n" + r.err;
            EXPECT_EQ(r.status, 0) << what;
            EXPECT_EQ(r.out.rfind(c.report, 0), 0u) << r.out << what;
            EXPECT_EQ(TempDir::read(file).find(c.changed) != std::string::npos, !dry) << what;
        }
    }
    EXPECT_EQ(cli({"strings", "doc.txt", "tidy"}).status, 2);
    const Result same = cli({"strings", "doc.txt", "source-to-target", "--to", "en"});
    EXPECT_EQ(same.status, 1);
    EXPECT_NE(same.err.find("Source and Target languages are the same."), std::string::npos);
}

TEST_F(CliTest, AListExportedAndAppliedGivesTheTranslatedDocument) {
    dir.write("doc.txt", kDoc);
    ASSERT_EQ(cli({"translate", "doc.txt", "--to", "de", "--service", "webpage", "--address",
                   page(), "-o", "de.txt"})
                  .status,
              0);
    const std::string translated = TempDir::read(dir.file("de.txt"));
    // The list's name is made from the document's and the languages'.
    ASSERT_EQ(cli({"list", "export", "de.txt", "--to", "de"}).status, 0);
    const std::string list = TempDir::read(dir.file("de_En-Ge.lst"));
    EXPECT_NE(list.find("Lake#See\r\n"), std::string::npos) << list;
    const Result applied = cli({"list", "apply", "doc.txt", "de_En-Ge.lst", "-o", "back.txt"});
    EXPECT_EQ(applied.status, 0) << applied.err;
    EXPECT_EQ(TempDir::read(dir.file("back.txt")), translated);
    // Applied to the document it was exported from, the list changes nothing: not a second label
    // of the target language, nor one after an empty first.
    const std::string twice =
        typ_header() +
        polygon({"Type=0x01", "String1=0x04,Theatre", "String2=0x02,Theater",
                 "String3=0x02,Schauspielhaus"}) +
        "\r\n" +
        polygon({"Type=0x02", "String1=0x04,Shop", "String2=0x02,", "String3=0x02,Laden"}) + "\r\n";
    dir.write("twice.txt", twice);
    ASSERT_EQ(cli({"list", "export", "twice.txt", "--to", "de", "-o", "twice.lst"}).status, 0);
    ASSERT_EQ(cli({"list", "apply", "twice.txt", "twice.lst", "-o", "same.txt"}).status, 0);
    EXPECT_EQ(TempDir::read(dir.file("same.txt")), twice);

    // Rows that do not fit the document's elements are refused, and nothing is written.
    const std::string extra = kDoc + polygon({"Type=0x09", "String1=0x04,Bay"});
    dir.write("more.txt", extra);
    dir.write("other.lst", std::string(list).replace(list.find("Lake#"), 5, "Loch#"));
    for (const char* lst : {"de_En-Ge.lst", "other.lst"}) {
        const Result r =
            cli({"list", "apply", lst == std::string("other.lst") ? "doc.txt" : "more.txt", lst});
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find("Nothing was written."), std::string::npos) << r.err;
    }
    EXPECT_EQ(TempDir::read(dir.file("more.txt")), extra);
    EXPECT_EQ(TempDir::read(dir.file("doc.txt")), kDoc);
}

} // namespace
} // namespace lex
