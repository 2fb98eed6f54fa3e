#include "app/recent.h"
#include "app/settings.h"
#include "document/state.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace lex {

using test::crlf;
using test::FakeUi;
using test::TempDir;
using Strings = std::vector<std::string>;
namespace fs = std::filesystem;

class Settings : public ::testing::Test {
protected:
    TempDir home;
    State st;
    FakeUi ui;
    void SetUp() override {
        unsetenv("LEXMARIN_TRANSLATE_URL");
        fs::create_directories(home.file("dictionaries"));
        home.write("dictionaries/EN.dic", "lake\r\nroad\r\n");
    }
    void TearDown() override { unsetenv("LEXMARIN_TRANSLATE_URL"); }
    void start(const std::string& commandLine = "") {
        st = State{};
        startup(st, ui, home.str(), commandLine);
    }
    std::string trdat() const { return TempDir::read(home.file("tr.dat")); }
    static std::string doc() {
        return test::typ_header() +
               test::typ_element("[_polygon]",
                                 {"Type=0x01", "String1=0x04,Lake", "String2=0x02,See",
                                  "String3=0x19,\xCE\xE7\xE5\xF0\xEE"});
    }
};

TEST_F(Settings, FirstRunStartsWithTheDefaults) {
    start();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(st.win.label4, (std::array<std::string, 2>{"English", "German"}));
    EXPECT_EQ(st.win.list4, (std::array<int, 2>{0, 2}));
    EXPECT_EQ(st.fromlang + st.tolang + st.tolang2, "040202");
    EXPECT_EQ(st.fromcp + st.tocp, 0);
    EXPECT_EQ(st.pane(2).rows.size(), 21u);
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 untitled");
    EXPECT_EQ(st.dictext, "lake\r\nroad\r\n");
    EXPECT_TRUE(fs::is_directory(home.file("system")));
    EXPECT_EQ(st.fname, home.file("untitled.txt"));
    EXPECT_EQ(st.translate_url, kDefaultTranslateUrl);
    start(); // a second start finds the folder there
    EXPECT_TRUE(ui.messages.empty());

    fs::remove(home.file("dictionaries/EN.dic"));
    start();
    EXPECT_EQ(ui.messages, Strings{home.str() + "/dictionaries/EN.dic doesn't exist"});
    EXPECT_EQ(st.dictext, "");
    EXPECT_EQ(st.win.label4[1], "German");
}

TEST_F(Settings, WritesSeventeenLinesWithBlankedNumbers) {
    start();
    st.win.recent[0] = st.lastfile = "/maps/a, b.txt";
    st.tolang = "19";
    st.toindex = 16;
    st.custgoog = "xx";
    st.custname = "Klingon";
    st.custcode = "2c";
    st.custidx = -3;
    st.custcp = 1251;
    st.win.check3 = true;
    ASSERT_TRUE(savedata(st, ui));
    EXPECT_EQ(trdat(), " \r\n/maps/a, b.txt\r\n\r\n\r\n\r\n\r\n\r\n19\r\n04\r\n 16 \r\n 1 \r\n"
                       "/maps/a, b.txt\r\nxx\r\nKlingon\r\n2c\r\n-3 \r\n 1251 \r\n");
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 ");
    EXPECT_FALSE(fs::exists(home.file("tr.dat.new")));
}

TEST_F(Settings, ReadBackAtTheNextStartAndWrittenBackUnchanged) {
    const std::string path = home.write("my map.txt", doc());
    auto file = [&](const char* check3) {
        return crlf({" ", path, "/gone.txt", "", "", "", "", "19", "04", " 16 ", check3,
                     "/maps/x, y.txt", "xx", "Klingon", "2c", " 7 ", " 1250 "});
    };
    home.write("tr.dat", file(" 1 "));
    start();
    EXPECT_EQ(st.win.recent_enabled,
              (std::array<bool, 6>{true, false, false, false, false, false}));
    EXPECT_EQ(st.tocp, 1251);
    EXPECT_EQ(st.fromcp, 1252);
    EXPECT_EQ(st.win.list4, (std::array<int, 2>{0, 16}));
    EXPECT_EQ(st.win.label4, (std::array<std::string, 2>{"English ", "Russian "}));
    EXPECT_EQ(st.win.label5, "1251");
    EXPECT_FALSE(st.win.check3); // always starts unticked
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_TRUE(savedata(st, ui));
    EXPECT_EQ(trdat(), file(" 0 "));
}

TEST_F(Settings, BrokenFilesGiveDefaultsForWhatCannotBeRead) {
    const std::string cases[] = {
        "",
        " \r\n/a.txt\r\n",                                            // truncated
        std::string("\0\xff\xfe\x01garbage\n\n\n\n\n\n\n\n\n\n", 20), // binary
        crlf({" ", "", "", "", "", "", "", "zz", "0x04", " 99 ", " 5 ", "", "", "", "xyz",
              " 70000 ", " 1e9 "}), // out of range
        crlf({" ", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", ""}),
    };
    for (const std::string& bytes : cases) {
        home.write("tr.dat", bytes);
        start();
        EXPECT_EQ(st.tolang + st.fromlang + st.custcode, "020400");
        EXPECT_EQ(st.toindex, 2);
        EXPECT_EQ(st.custidx + st.custcp, 0);
        EXPECT_EQ(st.win.label4[1], "German ");
    }
    EXPECT_TRUE(ui.messages.empty());
    // What was read before the file broke off stands.
    home.write("tr.dat", " \r\n/a.txt\r\n\r\n\r\n\r\n\r\n\r\n15\r\n");
    start();
    EXPECT_EQ(st.win.recent[0], "/a.txt");
    EXPECT_EQ(st.tolang, "15");
    EXPECT_EQ(st.win.label4[1], "Polish ");
    EXPECT_EQ(st.toindex, 6);

    // A Hebrew target warns.
    home.write("tr.dat", crlf({" ", "", "", "", "", "", "", "00", "04", " 23 "}));
    start();
    EXPECT_EQ(ui.messages, Strings{"Can only use 0x00 for this language. This may clash with "
                                   "language used for 0x00."});
    EXPECT_EQ(st.win.label4[1], "Hebrew ");
}

TEST_F(Settings, FailedWriteIsReportedAndKeepsTheOldFile) {
    start();
    fs::create_directories(home.file("tr.dat"));
    EXPECT_FALSE(savedata(st, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_FALSE(fs::exists(home.file("tr.dat.new")));
    st.progdir = home.file("no such folder");
    EXPECT_FALSE(savedata(st, ui));
    EXPECT_EQ(ui.messages.back(), "No such file or directory");
}

TEST_F(Settings, TranslationAddressLine) {
    // A file of 17 lines keeps the default and is written back with 17 lines.
    start();
    ASSERT_TRUE(savedata(st, ui));
    const std::string first = trdat();
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 17);

    // An 18th line is read and written back; the environment wins for the run but never
    // reaches the file.
    const std::string text = trdat() + "http://127.0.0.1:8080/translate_t\r\n";
    home.write("tr.dat", text);
    start();
    EXPECT_EQ(st.translate_url, "http://127.0.0.1:8080/translate_t");
    ASSERT_TRUE(savedata(st, ui));
    setenv("LEXMARIN_TRANSLATE_URL", "http://127.0.0.1:9/t", 1);
    start();
    EXPECT_EQ(st.translate_url, "http://127.0.0.1:9/t");
    ASSERT_TRUE(savedata(st, ui));
    EXPECT_EQ(trdat(), text);
}

TEST_F(Settings, CommandLineNamesTheDocumentWhole) {
    const std::string path = home.write(" my  map .txt", doc());
    home.write("tr.dat", crlf({" ", "", "", "", "", "", "", "19", "04", " 16 "}));
    start(path);
    EXPECT_TRUE(st.fromcmdline);
    EXPECT_EQ(st.fname, path);
    ASSERT_EQ(st.npoly, 1);
    EXPECT_EQ(st.row(0, 0).text, "\xCE\xE7\xE5\xF0\xEE"); // the saved target applies
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22  my  map ");

    for (const std::string& bad : {"\"" + path + "\"", home.file("missing.txt"), home.str()}) {
        start(bad);
        EXPECT_FALSE(st.fromcmdline) << bad;
        EXPECT_EQ(st.alltext, "") << bad;
        EXPECT_EQ(st.win.title, "Lexmarin :  1.22 untitled");
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST(Recent, TheListKeepsSixFilesMostRecentFirst) {
    TempDir dir;
    State st;
    auto f = [&](char c) { return dir.file(std::string(1, c) + ".txt"); };
    auto list = [&](const char* chars) {
        std::array<std::string, 6> out;
        for (std::size_t i = 0; i < 6; ++i) out[i] = f(chars[i]);
        return out;
    };
    for (char c = 'a'; c <= 'h'; ++c) dir.write(std::string(1, c) + ".txt", "x");
    for (char c = 'a'; c <= 'f'; ++c) updatmf(st, f(c));
    EXPECT_EQ(st.win.recent, list("fedcba"));
    const std::pair<char, const char*> steps[] = {
        {'c', "cfedba"}, // a listed file moves up, only the entries above it shift
        {'c', "cfedba"},
        {'a', "acfedb"},
        {'g', "gacfed"}, // a new one drops the oldest
    };
    for (auto [file, after] : steps) {
        updatmf(st, f(file));
        EXPECT_EQ(st.win.recent, list(after)) << file;
    }
    // Exact comparison; only absolute paths are recorded.
    updatmf(st, dir.file("G.txt"));
    EXPECT_EQ(st.win.recent[1], f('g'));
    const auto before = st.win.recent;
    updatmf(st, "relative/map.txt");
    updatmf(st, "");
    EXPECT_EQ(st.win.recent, before);

    // Entries are enabled by the existence of their files; a folder is not a file.
    fs::remove(f('c'));
    fs::create_directory(f('z'));
    updatmf(st, f('z'));
    EXPECT_EQ(st.win.recent_enabled, (std::array<bool, 6>{false, false, true, true, false, true}));
    st.win.recent[5].clear();
    refresh_recent(st);
    EXPECT_FALSE(st.win.recent_enabled[5]);
}

} // namespace lex
