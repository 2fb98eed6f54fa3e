#include "commands/language_choice.h"
#include "commands/settings.h"
#include "commands/startup.h"
#include "support/fixtures.h"
#include "translate/languages.h"
#include "view/recent_files.h"

#include <cstdlib>

namespace lex {

using namespace lex::test;
namespace fs = std::filesystem;

class Settings : public DocTest {
protected:
    void SetUp() override {
        unsetenv("LEXMARIN_TRANSLATE_URL");
        fs::create_directories(dir.file("dictionaries"));
        dir.write("dictionaries/EN.dic", "lake\r\nroad\r\n");
    }
    void start(const std::string& commandLine = "") {
        st = State{};
        startup(st, ui, dir.str(), commandLine);
    }
    std::string trdat() const { return TempDir::read(dir.file("tr.dat")); }
};

TEST_F(Settings, FirstRunStartsWithTheDefaultsAndAFailedWriteIsReported) {
    start();
    start(); // a second start finds the folder there
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(st.win.language_caption[0] + "|" + st.win.language_caption[1], "English|German");
    EXPECT_EQ(st.source_code + st.target_code + st.row_target_code, "040202");
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 untitled");
    EXPECT_EQ(st.dictionary, "lake\r\nroad\r\n");
    EXPECT_TRUE(fs::is_directory(dir.file("system")));
    fs::remove(dir.file("dictionaries/EN.dic")); // reported, and start-up goes on
    start();
    EXPECT_EQ(ui.messages, Strings{dir.str() + "/dictionaries/EN.dic doesn't exist"});
    EXPECT_EQ(st.dictionary + st.win.language_caption[1], "German");
    // A settings file that cannot be written is reported; no half-written file is left.
    fs::create_directories(dir.file("tr.dat"));
    EXPECT_FALSE(write_settings(st, ui));
    EXPECT_EQ(ui.messages.size(), 2u);
    EXPECT_FALSE(fs::exists(dir.file("tr.dat.new")));
    st.program_dir = dir.file("no such folder");
    EXPECT_FALSE(write_settings(st, ui));
    EXPECT_EQ(ui.messages.back(), "No such file or directory");
}

// A first start that translates with the offline engine targets a language the engine reaches
// from English when it cannot reach German; a start with settings keeps their languages.
TEST_F(Settings, AFirstStartTargetsALanguageTheOfflineEngineServes) {
    const struct {
        Strings pairs; // as the engine lists them; none: the engine does not translate
        const char* target;
    } cases[] = {
        {{"eng-spa", "spa-eng", "eng-cat", "es-fr", "fr-es", "spa-ita"}, "Spanish"},
        {{"eng-cat", "cat-eng", "es-fr", "cat-spa", "es-pt"}, "Spanish"}, // through Catalan
        {{"en-es", "es-fr", "eng-ita"}, "Italian "},    // a direct pair before a chain
        {{"eng-spa", "eng-deu"}, "German "},            // it reaches German
        {{"cat-eng", "spa-eng", "eng-cat"}, "German "}, // it reaches no language of the list
        {{}, "German "},
    };
    for (const auto& c : cases) {
        int asked = 0;
        st = State{};
        startup(st, ui, dir.str(), "", [&](const State&) {
            ++asked;
            return engine_directions(c.pairs);
        });
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(language_list_item(kTargetList, st.win.language_row[1]), c.target) << c.target;
        EXPECT_EQ(st.target_code, language_code_at(st, st.win.language_row[1]));
    }
    // Spanish is kept at the close; the settings rule from then on, and German chosen stays.
    st = State{};
    startup(st, ui, dir.str(), "", [](const State&) { return engine_directions({"eng-spa"}); });
    ASSERT_TRUE(write_settings(st, ui));
    bool asked = false;
    auto engine = [&](const State&) {
        asked = true;
        return std::vector<EngineStep>{};
    };
    st = State{};
    startup(st, ui, dir.str(), "", engine);
    EXPECT_EQ(st.target_code, "08");
    choose_language(st, ui, kTargetList, 2);
    ASSERT_TRUE(write_settings(st, ui));
    st = State{};
    startup(st, ui, dir.str(), "", engine);
    EXPECT_EQ(st.target_code + st.win.language_caption[1], "02German ");
    EXPECT_FALSE(asked);
    EXPECT_TRUE(ui.messages.empty());
}

// Read at the start, written back at the close; an 18th line holds the translation page.
TEST_F(Settings, ReadAtTheStartAndWrittenBackAtTheClose) {
    const std::string path = dir.write("my map.txt", typ_header());
    auto file = [&](const char* zero_fallback) {
        return crlf({" ", path, "/gone.txt", "", "", "", "", "19", "04", " 16 ", zero_fallback,
                     "/maps/x, y.txt", "xx", "Klingon", "2c", "-3 ", " 1250 ",
                     "http://127.0.0.1:8080/t"});
    };
    dir.write("tr.dat", file(" 1 "));
    start();
    EXPECT_EQ(st.translate_url, "http://127.0.0.1:8080/t");
    EXPECT_EQ(st.win.recent_enabled,
              (std::array<bool, 6>{true, false, false, false, false, false}));
    EXPECT_EQ(st.target_codepage + st.source_codepage, 1251 + 1252);
    EXPECT_EQ(st.win.language_row, (std::array<int, 2>{0, 16}));
    EXPECT_EQ(st.win.language_caption[0] + st.win.language_caption[1] + st.win.codepage_caption,
              "English Russian 1251");
    EXPECT_FALSE(st.zero_fallback); // always starts unticked
    ASSERT_TRUE(write_settings(st, ui));
    EXPECT_EQ(trdat(), file(" 0 "));
    setenv("LEXMARIN_TRANSLATE_URL", "http://127.0.0.1:9/t", 1); // wins, but not in the file
    start();
    EXPECT_EQ(st.translate_url, "http://127.0.0.1:9/t");
    st.zero_fallback = true;
    ASSERT_TRUE(write_settings(st, ui));
    unsetenv("LEXMARIN_TRANSLATE_URL");
    EXPECT_EQ(trdat(), file(" 1 "));
    EXPECT_FALSE(fs::exists(dir.file("tr.dat.new")));
    EXPECT_TRUE(ui.messages.empty());
    // Whatever stands at a name beside the file is neither in the way nor written through.
    fs::remove(dir.file("tr.dat"));
    fs::create_directories(dir.file("tr.dat.new"));
    ASSERT_TRUE(write_settings(st, ui));
    EXPECT_EQ(trdat(), file(" 1 "));
    for (const auto& entry : fs::directory_iterator(dir.str()))
        EXPECT_FALSE(entry.path().extension() == ".tmp") << entry.path();
}

TEST_F(Settings, ASavedSourceTheSourceListLacksGivesWayToTheDefault) {
    // Russian (19) as source, which only the target list offers; Spanish (08) as target.
    dir.write("tr.dat", crlf({" ", "", "", "", "", "", "", "08", "19", " 5 ", " 0 ", "", "", "",
                              "00", " 0 ", " 0 "}));
    start();
    EXPECT_EQ(st.source_code + st.win.language_caption[kSourceList], "04English ");
    EXPECT_EQ(st.source_codepage, 1252);
    EXPECT_EQ(st.win.language_row, (std::array<int, 2>{0, 5}));
    EXPECT_EQ(st.target_code + st.win.language_caption[kTargetList], "08Spanish");
}

TEST_F(Settings, BrokenFilesGiveDefaultsForWhatCannotBeRead) {
    // clang-format off
    const std::string cases[] = {
        "", " \r\n/a.txt\r\n", std::string("\0\xff\xfe\x01garbage\n\n\n\n\n\n\n\n\n\n", 20),
        crlf({" ", "", "", "", "", "", "", "zz", "0x04", " 99 ", " 5 ", "", "", "", "xyz", " 70000 ", " 1e9 "}),
        crlf({" ", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", ""})};
    // clang-format on
    for (const std::string& bytes : cases) {
        dir.write("tr.dat", bytes);
        start();
        EXPECT_EQ(st.target_code + st.source_code + st.kept.custom_code +
                      st.win.language_caption[1],
                  "020400German ");
        EXPECT_EQ(st.target_index + st.kept.custom_index + st.kept.custom_codepage, 2);
    }
    EXPECT_TRUE(ui.messages.empty());
    // What was read before the file broke off stands; a Hebrew target warns.
    dir.write("tr.dat", " \r\n/a.txt\r\n\r\n\r\n\r\n\r\n\r\n15\r\n");
    start();
    EXPECT_EQ(st.win.recent[0] + st.target_code + st.win.language_caption[1], "/a.txt15Polish ");
    EXPECT_EQ(st.target_index, 6);
    dir.write("tr.dat", crlf({" ", "", "", "", "", "", "", "00", "04", " 23 "}));
    start();
    EXPECT_EQ(ui.messages, Strings{"Can only use 0x00 for this language. This may clash with "
                                   "language used for 0x00."});
    EXPECT_EQ(st.win.language_caption[1], "Hebrew ");
}

// Only the first 64 KB of a settings file are read: a line longer than a path, or one the limit
// cuts, is ignored like a bad value, what follows the limit too, and nothing of it is written back.
TEST_F(Settings, HugeFilesAndLinesAreIgnored) {
    const std::string longest(kMaxSettingsLine, 'p');
    dir.write("tr.dat", crlf({" ", longest + "x", longest, "", "", "", "", "19", "04", " 16 ",
                              " 0 ", std::string(10 << 20, 'l'), "xx"}));
    start();
    EXPECT_EQ(st.win.recent[0] + "|" + st.win.recent[1] + "|" + st.kept.last_opened +
                  st.kept.custom_web_code,
              "|" + longest + "|");
    EXPECT_EQ(st.target_code + st.source_code, "1904");
    ASSERT_TRUE(write_settings(st, ui));
    EXPECT_LT(trdat().size(), 2 * kMaxSettingsLine);
}

TEST_F(Settings, CommandLineNamesTheDocumentWhole) {
    const std::string path = dir.write(" my  map .txt", typ_header());
    start(path);
    EXPECT_TRUE(st.opened_from_command_line);
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22  my  map ");
    for (const std::string& bad : {"\"" + path + "\"", dir.file("missing.txt"), dir.str()}) {
        start(bad);
        EXPECT_EQ(st.document + st.win.title, "Lexmarin :  1.22 untitled") << bad;
        EXPECT_FALSE(st.opened_from_command_line);
    }
    EXPECT_EQ(ui.messages,
              (Strings{"No 0x04 Labels found", "Languages found:\r\n\r\n\r\nNo labels found"}));
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
    // A listed file moves up, a new one drops the oldest; only absolute paths are recorded.
    for (char c = 'a'; c <= 'f'; ++c) remember_recent(st, f(c));
    for (auto [file, after] : {std::pair{"c", "cfedba"},
                               {"c", "cfedba"},
                               {"a", "acfedb"},
                               {"g", "gacfed"},
                               {"relative/map.txt", "gacfed"},
                               {"", "gacfed"}}) {
        remember_recent(st, *file && !file[1] ? f(*file) : file);
        EXPECT_EQ(st.win.recent, list(after)) << file;
    }
    // Entries are enabled by the existence of their files; a folder is not a file.
    fs::remove(f('c'));
    fs::create_directory(f('z'));
    remember_recent(st, f('z'));
    EXPECT_EQ(st.win.recent_enabled, (std::array<bool, 6>{false, true, true, false, true, true}));
    st.win.recent[5].clear();
    refresh_recent(st);
    EXPECT_FALSE(st.win.recent_enabled[5]);
}

} // namespace lex
