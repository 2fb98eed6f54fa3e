#include "app/settings.h"
#include "document/state.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"
#include "support/typ.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace lex {

using test::crlf;
using test::FakeUi;
using test::TempDir;

class Settings : public ::testing::Test {
protected:
    TempDir home;
    State st;
    FakeUi ui;
    void SetUp() override {
        unsetenv("LEXMARIN_TRANSLATE_URL");
        std::filesystem::create_directories(home.file("dictionaries"));
        home.write("dictionaries/EN.dic", "lake\r\nroad\r\n");
    }
    void TearDown() override { unsetenv("LEXMARIN_TRANSLATE_URL"); }
    void start(const std::string& commandLine = "") { startup(st, ui, home.str(), commandLine); }
    std::string trdat() const { return TempDir::read(home.file("tr.dat")); }
    long lines() const {
        const std::string t = trdat();
        return long(std::count(t.begin(), t.end(), '\n'));
    }
    static std::string doc() {
        return test::typ_header() +
               test::typ_element("[_polygon]",
                                 crlf({"Type=0x01", "String1=0x04,Lake", "String2=0x02,See",
                                       "String3=0x19,\xCE\xE7\xE5\xF0\xEE"}));
    }
};

TEST_F(Settings, FirstRunStartsWithTheDefaults) {
    start();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(st.win.label4[0], "English");
    EXPECT_EQ(st.win.label4[1], "German");
    EXPECT_EQ(st.win.list4, (std::array<int, 2>{0, 2}));
    EXPECT_EQ(st.fromlang, "04");
    EXPECT_EQ(st.tolang, "02");
    EXPECT_EQ(st.tolang2, "02");
    EXPECT_EQ(st.toindex, 2);
    EXPECT_EQ(st.fromcp, 0);
    EXPECT_EQ(st.tocp, 0);
    EXPECT_FALSE(st.win.check3);
    EXPECT_EQ(st.npoly + st.nline + st.npoi, 0);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(st.pane(k).rows.size(), 21u);
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 untitled");
    EXPECT_EQ(st.win.progress, 0);
    EXPECT_EQ(st.dictext, "lake\r\nroad\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(home.file("system")));
    EXPECT_EQ(st.fname, home.file("untitled.txt"));
    EXPECT_EQ(st.translate_url, kDefaultTranslateUrl);
    // A second start finds the folder there.
    State again;
    startup(again, ui, home.str(), "");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Settings, MissingDictionaryIsReportedAndStartUpGoesOn) {
    std::filesystem::remove(home.file("dictionaries/EN.dic"));
    start();
    const std::string dic = home.str() + "/dictionaries/EN.dic";
    EXPECT_EQ(ui.messages, std::vector<std::string>{dic + " doesn't exist"});
    EXPECT_EQ(st.dictext, "");
    EXPECT_EQ(st.win.label4[1], "German");
}

TEST_F(Settings, WritesSeventeenLinesWithBlankedNumbers) {
    start();
    st.win.recent[0] = "/maps/a, b.txt";
    st.tolang = "19";
    st.toindex = 16;
    st.lastfile = "/maps/a, b.txt";
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
    EXPECT_FALSE(std::filesystem::exists(home.file("tr.dat.new")));
}

TEST_F(Settings, ReadBackAtTheNextStart) {
    const std::string path = home.write("my map.txt", doc());
    home.write("tr.dat", crlf({" ", path, "/gone.txt", "", "", "", "", "19", "04", " 16 ", " 1 ",
                               "/maps/x, y.txt", "xx", "Klingon", "2c", " 7 ", " 1250 "}));
    start();
    EXPECT_EQ(st.win.recent[0], path);
    EXPECT_TRUE(st.win.recent_enabled[0]);
    EXPECT_EQ(st.win.recent[1], "/gone.txt");
    EXPECT_FALSE(st.win.recent_enabled[1]);
    EXPECT_EQ(st.tolang, "19");
    EXPECT_EQ(st.tolang2, "19");
    EXPECT_EQ(st.tocp, 1251);
    EXPECT_EQ(st.toindex, 16);
    EXPECT_EQ(st.fromcp, 1252);
    EXPECT_EQ(st.win.list4, (std::array<int, 2>{0, 16}));
    EXPECT_EQ(st.win.label4[0], "English ");
    EXPECT_EQ(st.win.label4[1], "Russian ");
    EXPECT_EQ(st.win.label5, "1251");
    EXPECT_FALSE(st.win.check3); // always starts unticked
    EXPECT_EQ(st.lastfile, "/maps/x, y.txt");
    EXPECT_EQ(st.custname, "Klingon");
    EXPECT_EQ(st.custcode, "2c");
    EXPECT_EQ(st.custidx, 7);
    EXPECT_EQ(st.custcp, 1250);
    EXPECT_TRUE(ui.messages.empty());

    // And written back unchanged at close (apart from the 0x00 box, now unticked).
    ASSERT_TRUE(savedata(st, ui));
    EXPECT_EQ(trdat(), crlf({" ", path, "/gone.txt", "", "", "", "", "19", "04", " 16 ", " 0 ",
                             "/maps/x, y.txt", "xx", "Klingon", "2c", " 7 ", " 1250 "}));
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
        st = State{};
        ui.messages.clear();
        start();
        EXPECT_EQ(st.tolang, "02");
        EXPECT_EQ(st.fromlang, "04");
        EXPECT_EQ(st.toindex, 2);
        EXPECT_EQ(st.custcode, "00");
        EXPECT_EQ(st.custidx, 0);
        EXPECT_EQ(st.custcp, 0);
        EXPECT_EQ(st.win.label4[1], "German ");
        EXPECT_TRUE(ui.messages.empty());
    }
    // What was read before the file broke off stands.
    home.write("tr.dat", " \r\n/a.txt\r\n\r\n\r\n\r\n\r\n\r\n15\r\n");
    st = State{};
    start();
    EXPECT_EQ(st.win.recent[0], "/a.txt");
    EXPECT_EQ(st.tolang, "15");
    EXPECT_EQ(st.win.label4[1], "Polish ");
    EXPECT_EQ(st.toindex, 6);
}

TEST_F(Settings, HebrewTargetWarnsAtStartUp) {
    home.write("tr.dat", crlf({" ", "", "", "", "", "", "", "00", "04", " 23 ", " 0 ", "", "", "",
                               "00", " 0 ", " 0 "}));
    start();
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Can only use 0x00 for this language. This may "
                                                    "clash with language used for 0x00."});
    EXPECT_EQ(st.tolang, "00");
    EXPECT_EQ(st.win.label4[1], "Hebrew ");
}

TEST_F(Settings, FailedWriteIsReportedAndKeepsTheOldFile) {
    start();
    std::filesystem::create_directories(home.file("tr.dat"));
    EXPECT_FALSE(savedata(st, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_FALSE(ui.messages[0].empty());
    EXPECT_FALSE(std::filesystem::exists(home.file("tr.dat.new")));

    ui.messages.clear();
    st.progdir = home.file("no such folder");
    EXPECT_FALSE(savedata(st, ui));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"No such file or directory"});
}

TEST_F(Settings, TranslationAddressLine) {
    // A file of 17 lines keeps the default and is written back with 17 lines.
    start();
    ASSERT_TRUE(savedata(st, ui));
    EXPECT_EQ(lines(), 17);

    // An 18th line is read and written back.
    std::string text = trdat() + "http://127.0.0.1:8080/translate_t\r\n";
    home.write("tr.dat", text);
    st = State{};
    start();
    EXPECT_EQ(st.translate_url, "http://127.0.0.1:8080/translate_t");
    ASSERT_TRUE(savedata(st, ui));
    EXPECT_EQ(trdat(), text);

    // The environment wins for the run but never reaches the file.
    setenv("LEXMARIN_TRANSLATE_URL", "http://127.0.0.1:9/t", 1);
    st = State{};
    start();
    EXPECT_EQ(st.translate_url, "http://127.0.0.1:9/t");
    ASSERT_TRUE(savedata(st, ui));
    EXPECT_EQ(trdat(), text);

    home.write("tr.dat", text.substr(0, text.rfind("http")));
    st = State{};
    start();
    ASSERT_TRUE(savedata(st, ui));
    EXPECT_EQ(lines(), 17);
}

TEST_F(Settings, CommandLineNamesTheDocumentWhole) {
    const std::string path = home.write(" my  map .txt", doc());
    home.write("tr.dat", crlf({" ", "", "", "", "", "", "", "19", "04", " 16 ", " 0 ", "", "", "",
                               "00", " 0 ", " 0 "}));
    start(path);
    EXPECT_TRUE(st.fromcmdline);
    EXPECT_EQ(st.fname, path);
    ASSERT_EQ(st.npoly, 1);
    EXPECT_EQ(st.row(0, 0).text, "\xCE\xE7\xE5\xF0\xEE"); // the saved target applies
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22  my  map ");

    for (const std::string& bad : {"\"" + path + "\"", home.file("missing.txt"), home.str()}) {
        st = State{};
        ui.messages.clear();
        start(bad);
        EXPECT_FALSE(st.fromcmdline) << bad;
        EXPECT_EQ(st.alltext, "") << bad;
        EXPECT_TRUE(ui.messages.empty()) << bad;
        EXPECT_EQ(st.win.title, "Lexmarin :  1.22 untitled");
    }
}

} // namespace lex
