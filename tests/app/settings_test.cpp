#include "commands/startup.h"
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
    EXPECT_EQ(st.win.language_caption[0], "English");
    EXPECT_EQ(st.win.language_caption[1], "German");
    EXPECT_EQ(st.win.language_row, (std::array<int, 2>{0, 2}));
    EXPECT_EQ(st.source_code, "04");
    EXPECT_EQ(st.target_code, "02");
    EXPECT_EQ(st.row_target_code, "02");
    EXPECT_EQ(st.target_index, 2);
    EXPECT_EQ(st.source_codepage, 0);
    EXPECT_EQ(st.target_codepage, 0);
    EXPECT_FALSE(st.win.zero_fallback);
    EXPECT_EQ(st.row_count(kPolygons) + st.row_count(kLines) + st.row_count(kPoints), 0);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(st.pane(k).rows.size(), 21u);
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 untitled");
    EXPECT_EQ(st.win.progress, 0);
    EXPECT_EQ(st.dictionary, "lake\r\nroad\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(home.file("system")));
    EXPECT_EQ(st.document_path, home.file("untitled.txt"));
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
    EXPECT_EQ(st.dictionary, "");
    EXPECT_EQ(st.win.language_caption[1], "German");
}

TEST_F(Settings, WritesSeventeenLinesWithBlankedNumbers) {
    start();
    st.win.recent[0] = "/maps/a, b.txt";
    st.target_code = "19";
    st.target_index = 16;
    st.last_opened = "/maps/a, b.txt";
    st.custom_web_code = "xx";
    st.custom_name = "Klingon";
    st.custom_code = "2c";
    st.custom_index = -3;
    st.custom_codepage = 1251;
    st.win.zero_fallback = true;
    ASSERT_TRUE(write_settings(st, ui));
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
    EXPECT_EQ(st.target_code, "19");
    EXPECT_EQ(st.row_target_code, "19");
    EXPECT_EQ(st.target_codepage, 1251);
    EXPECT_EQ(st.target_index, 16);
    EXPECT_EQ(st.source_codepage, 1252);
    EXPECT_EQ(st.win.language_row, (std::array<int, 2>{0, 16}));
    EXPECT_EQ(st.win.language_caption[0], "English ");
    EXPECT_EQ(st.win.language_caption[1], "Russian ");
    EXPECT_EQ(st.win.codepage_caption, "1251");
    EXPECT_FALSE(st.win.zero_fallback); // always starts unticked
    EXPECT_EQ(st.last_opened, "/maps/x, y.txt");
    EXPECT_EQ(st.custom_name, "Klingon");
    EXPECT_EQ(st.custom_code, "2c");
    EXPECT_EQ(st.custom_index, 7);
    EXPECT_EQ(st.custom_codepage, 1250);
    EXPECT_TRUE(ui.messages.empty());

    // And written back unchanged at close (apart from the 0x00 box, now unticked).
    ASSERT_TRUE(write_settings(st, ui));
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
        EXPECT_EQ(st.target_code, "02");
        EXPECT_EQ(st.source_code, "04");
        EXPECT_EQ(st.target_index, 2);
        EXPECT_EQ(st.custom_code, "00");
        EXPECT_EQ(st.custom_index, 0);
        EXPECT_EQ(st.custom_codepage, 0);
        EXPECT_EQ(st.win.language_caption[1], "German ");
        EXPECT_TRUE(ui.messages.empty());
    }
    // What was read before the file broke off stands.
    home.write("tr.dat", " \r\n/a.txt\r\n\r\n\r\n\r\n\r\n\r\n15\r\n");
    st = State{};
    start();
    EXPECT_EQ(st.win.recent[0], "/a.txt");
    EXPECT_EQ(st.target_code, "15");
    EXPECT_EQ(st.win.language_caption[1], "Polish ");
    EXPECT_EQ(st.target_index, 6);
}

TEST_F(Settings, HebrewTargetWarnsAtStartUp) {
    home.write("tr.dat", crlf({" ", "", "", "", "", "", "", "00", "04", " 23 ", " 0 ", "", "", "",
                               "00", " 0 ", " 0 "}));
    start();
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Can only use 0x00 for this language. This may "
                                                    "clash with language used for 0x00."});
    EXPECT_EQ(st.target_code, "00");
    EXPECT_EQ(st.win.language_caption[1], "Hebrew ");
}

TEST_F(Settings, FailedWriteIsReportedAndKeepsTheOldFile) {
    start();
    std::filesystem::create_directories(home.file("tr.dat"));
    EXPECT_FALSE(write_settings(st, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_FALSE(ui.messages[0].empty());
    EXPECT_FALSE(std::filesystem::exists(home.file("tr.dat.new")));

    ui.messages.clear();
    st.program_dir = home.file("no such folder");
    EXPECT_FALSE(write_settings(st, ui));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"No such file or directory"});
}

TEST_F(Settings, TranslationAddressLine) {
    // A file of 17 lines keeps the default and is written back with 17 lines.
    start();
    ASSERT_TRUE(write_settings(st, ui));
    EXPECT_EQ(lines(), 17);

    // An 18th line is read and written back.
    std::string text = trdat() + "http://127.0.0.1:8080/translate_t\r\n";
    home.write("tr.dat", text);
    st = State{};
    start();
    EXPECT_EQ(st.translate_url, "http://127.0.0.1:8080/translate_t");
    ASSERT_TRUE(write_settings(st, ui));
    EXPECT_EQ(trdat(), text);

    // The environment wins for the run but never reaches the file.
    setenv("LEXMARIN_TRANSLATE_URL", "http://127.0.0.1:9/t", 1);
    st = State{};
    start();
    EXPECT_EQ(st.translate_url, "http://127.0.0.1:9/t");
    ASSERT_TRUE(write_settings(st, ui));
    EXPECT_EQ(trdat(), text);

    home.write("tr.dat", text.substr(0, text.rfind("http")));
    st = State{};
    start();
    ASSERT_TRUE(write_settings(st, ui));
    EXPECT_EQ(lines(), 17);
}

TEST_F(Settings, CommandLineNamesTheDocumentWhole) {
    const std::string path = home.write(" my  map .txt", doc());
    home.write("tr.dat", crlf({" ", "", "", "", "", "", "", "19", "04", " 16 ", " 0 ", "", "", "",
                               "00", " 0 ", " 0 "}));
    start(path);
    EXPECT_TRUE(st.opened_from_command_line);
    EXPECT_EQ(st.document_path, path);
    ASSERT_EQ(st.row_count(kPolygons), 1);
    EXPECT_EQ(st.row(0, 0).text, "\xCE\xE7\xE5\xF0\xEE"); // the saved target applies
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22  my  map ");

    for (const std::string& bad : {"\"" + path + "\"", home.file("missing.txt"), home.str()}) {
        st = State{};
        ui.messages.clear();
        start(bad);
        EXPECT_FALSE(st.opened_from_command_line) << bad;
        EXPECT_EQ(st.document, "") << bad;
        EXPECT_TRUE(ui.messages.empty()) << bad;
        EXPECT_EQ(st.win.title, "Lexmarin :  1.22 untitled");
    }
}

} // namespace lex
