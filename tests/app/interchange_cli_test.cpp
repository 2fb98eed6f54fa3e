// PO and XLIFF files of lexmarin-cli judged by the tools translators use: GNU gettext and the
// Translate Toolkit read what we write, and what they write comes back through the import.

#include "document/text.h"
#include "support/fixtures.h"

#include "generator.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace lex {
namespace {

using namespace lex::test;

struct ToolRun {
    int status = -1;
    std::string out, err;
};

class InterchangeCli : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QCoreApplication::instance() != nullptr) return;
        static int argc = 1;
        static char arg0[] = "lexmarin_tests", *argv[] = {arg0, nullptr};
        static QCoreApplication app(argc, argv);
    }
    TempDir dir;
    ToolRun run(const QString& program, const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LEXMARIN_HOME", QString::fromStdString(dir.file("home")));
        env.insert("LC_ALL", "C.UTF-8");
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(QString::fromStdString(dir.str()));
        p.start(program, args);
        if (!p.waitForFinished(120000)) return {};
        return {p.exitCode(), p.readAllStandardOutput().toStdString(),
                p.readAllStandardError().toStdString()};
    }
    ToolRun cli(const QStringList& args) { return run(LEXMARIN_CLI, args); }
    static bool have(const char* tool) {
        return !QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty();
    }
    // msgfmt's counts: translated, fuzzy, untranslated.
    std::array<int, 3> msgfmt_counts(const std::string& po) {
        const ToolRun r = run(
            "msgfmt", {"--check", "--statistics", "-o", "/dev/null", QString::fromStdString(po)});
        EXPECT_EQ(r.status, 0) << r.err;
        std::array<int, 3> counts{};
        const QString text = QString::fromStdString(r.err);
        const char* names[] = {"translated", "fuzzy", "untranslated"};
        for (std::size_t i = 0; i < 3; ++i) {
            const auto m = QRegularExpression(QString("(\\d+) %1").arg(names[i])).match(text);
            if (m.hasMatch()) counts[i] = m.captured(1).toInt();
        }
        return counts;
    }
    // lexmarin-cli stats, summed over the kinds: translated, suspect, empty.
    std::array<int, 3> stats_counts(const std::string& style) {
        const ToolRun r = cli({"stats", QString::fromStdString(style), "--to", "de"});
        EXPECT_EQ(r.status, 0) << r.err;
        const std::string all = r.out.substr(r.out.find("all"));
        int rows = 0, target = 0, empty = 0, suspect = 0;
        std::sscanf(all.c_str(), "all %d %d %d %d", &rows, &target, &empty, &suspect);
        return {target - suspect, suspect, empty};
    }
};

// A generated style with some awkward labels and suspect rows among the translated ones.
std::string judged_style() {
    bench::GenOptions options;
    options.elements_per_kind = 60;
    std::string text = bench::generate_typ(options);
    text = replace_all(text, "String2=0x02,Der Bridge", "String2=0x02,?Der Bridge");
    const std::string awkward =
        typ_element("[_polygon]", {"Type=0x01", "String1=0x04,Say \"hi\" \\ or\ttab ",
                                   "String2=0x02,Gr\xFC\xDF"
                                   " \"dich\""});
    return text + awkward + typ_element("[_polygon]", {"Type=0x01", "String1=0x04,Lake"});
}

TEST_F(InterchangeCli, GettextCountsWhatStatsCountsAndAnEditComesBackAsOneLine) {
    if (!have("msgfmt") || !have("msgcat"))
        GTEST_SKIP() << "GNU gettext (msgfmt, msgcat) is not installed: scripts/deps.sh --tests";
    const std::string style = dir.write("style.txt", judged_style());
    const std::string original = TempDir::read(style);
    const ToolRun exported = cli({"po", "export", "style.txt", "--to", "de", "-o", "style.po"});
    ASSERT_EQ(exported.status, 0) << exported.err;
    const std::array<int, 3> counts = msgfmt_counts(dir.file("style.po"));
    EXPECT_EQ(counts, stats_counts(style));
    EXPECT_GT(counts[1], 0);

    // gettext's own rewrite (wrapped at 30 columns) imports as nothing new.
    ASSERT_EQ(run("msgcat", {"--width=30", "style.po", "-o", "wrapped.po"}).status, 0);
    const ToolRun same = cli({"po", "import", "style.txt", "wrapped.po", "--keep-layout"});
    EXPECT_EQ(same.status, 0) << same.err;
    EXPECT_EQ(TempDir::read(style), original);

    // One msgstr edited as a script would: one line of the style is added, nothing else moves.
    std::string po = TempDir::read(dir.file("wrapped.po"));
    const std::string lake = "msgid \"Lake\"\nmsgstr \"\"";
    ASSERT_NE(po.find(lake), std::string::npos) << po;
    po.replace(po.find(lake), lake.size(), "msgid \"Lake\"\nmsgstr \"See \\\"blau\\\"\"");
    dir.write("edited.po", po);
    const ToolRun one = cli({"po", "import", "style.txt", "edited.po", "--keep-layout"});
    ASSERT_EQ(one.status, 0) << one.err;
    std::string expected = original;
    const std::string line = "String1=0x04,Lake\r\n";
    expected.insert(expected.rfind(line) + line.size(), "String2=0x02,See \"blau\"\r\n");
    EXPECT_EQ(TempDir::read(style), expected);

    // Without --to the PO's language is the target; one Lexmarin has no row for needs --to.
    po = replace_all(po, "Language: de", "Language: tlh");
    dir.write("klingon.po", po);
    const ToolRun refused = cli({"po", "import", "style.txt", "klingon.po"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("give --to"), std::string::npos) << refused.err;
    EXPECT_EQ(TempDir::read(style), expected);
}

TEST_F(InterchangeCli, TheTranslateToolkitReadsTheXliffAsGettextReadsThePo) {
    if (!have("xliff2po") || !have("msgfmt") || !have("xmllint"))
        GTEST_SKIP() << "the Translate Toolkit (xliff2po), gettext or xmllint is not installed: "
                        "scripts/deps.sh --tests";
    const std::string style = dir.write("style.txt", judged_style());
    const std::string original = TempDir::read(style);
    ASSERT_EQ(cli({"xliff", "export", "style.txt", "--to", "de", "-o", "style.xlf"}).status, 0);
    const ToolRun wellformed = run("xmllint", {"--noout", "style.xlf"});
    EXPECT_EQ(wellformed.status, 0) << wellformed.err;
    ASSERT_EQ(run("xliff2po", {"style.xlf", "converted.po"}).status, 0);
    EXPECT_EQ(msgfmt_counts(dir.file("converted.po")), stats_counts(style));

    // Unchanged, the XLIFF changes nothing; one target added changes one line.
    EXPECT_EQ(cli({"xliff", "import", "style.txt", "style.xlf", "--keep-layout"}).status, 0);
    EXPECT_EQ(TempDir::read(style), original);
    std::string xlf = TempDir::read(dir.file("style.xlf"));
    const std::string lake = "<source>Lake</source>";
    xlf.replace(xlf.rfind(lake), lake.size(), lake + "<target state=\"translated\">See</target>");
    dir.write("edited.xlf", xlf);
    ASSERT_EQ(cli({"xliff", "import", "style.txt", "edited.xlf", "--keep-layout"}).status, 0);
    std::string expected = original;
    const std::string line = "String1=0x04,Lake\r\n";
    expected.insert(expected.rfind(line) + line.size(), "String2=0x02,See\r\n");
    EXPECT_EQ(TempDir::read(style), expected);
}

} // namespace
} // namespace lex
