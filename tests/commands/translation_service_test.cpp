// The services' settings file, the translator a run uses, and the dialog's "Test".

#include "commands/startup.h"
#include "commands/translation_service.h"
#include "support/fixtures.h"

#include <cstdlib>

namespace lex {
namespace {

using namespace lex::test;
namespace fs = std::filesystem;

TEST(ServiceSettingsFile, KeepsTheChoiceBesideTrDatAndNeverTheOverride) {
    TempDir dir;
    State st = english_to_german(dir.str());
    const std::string path = service_settings_path(st);
    EXPECT_EQ(path, dir.file("translation.ini"));
    EXPECT_FALSE(read_service_settings(path).chosen); // no file: nothing chosen

    ServiceSettings s;
    s.chosen = true;
    s.kind = ServiceKind::kLibreTranslate;
    s.address[std::size_t(ServiceKind::kLibreTranslate)] = "https://lt.example/";
    s.key[std::size_t(ServiceKind::kLibreTranslate)] = "k=1;x";
    s.key[std::size_t(ServiceKind::kDeepL)] = "abc:fx";
    s.address[std::size_t(ServiceKind::kWebPage)] = "http://127.0.0.1:9/t"; // tr.dat keeps it
    std::string error;
    ASSERT_TRUE(write_service_settings(path, s, error)) << error;
    const ServiceSettings back = read_service_settings(path);
    EXPECT_TRUE(back.chosen);
    EXPECT_EQ(back.kind, ServiceKind::kLibreTranslate);
    EXPECT_EQ(back.address, (std::array<std::string, 5>{"", "", "https://lt.example/", "", ""}));
    EXPECT_EQ(back.key, (std::array<std::string, 5>{"", "", "k=1;x", "abc:fx", ""}));
    // It holds keys: its owner alone reads it.
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    // A service name the program does not know, and bytes that are no settings, choose nothing.
    dir.write("translation.ini", "[service]\r\nchosen=babelfish\r\n");
    EXPECT_FALSE(read_service_settings(path).chosen);
    dir.write("translation.ini", std::string("\0\xFF[[\n=\n", 7));
    EXPECT_FALSE(read_service_settings(path).chosen);
    // A folder where the file goes: the write fails with the reason, nothing is lost.
    fs::remove(path);
    fs::create_directory(path);
    EXPECT_FALSE(write_service_settings(path, s, error));
    EXPECT_EQ(error, "Cannot write " + path);
}

TEST(ServiceSettingsFile, TheEnvironmentsPageRunsWhateverIsChosen) {
    TempDir dir;
    FakeUi ui;
    State st = english_to_german(dir.str());
    ServiceSettings s;
    s.chosen = true;
    s.kind = ServiceKind::kDeepL;
    EXPECT_EQ(translator_in_use(st, ui, s)->kind(), ServiceKind::kDeepL);
    EXPECT_EQ(st.win.service_caption, "Translation: DeepL API");

    setenv("LEXMARIN_TRANSLATE_URL", "http://127.0.0.1:9/t", 1);
    startup(st, ui, dir.str(), "");
    unsetenv("LEXMARIN_TRANSLATE_URL");
    EXPECT_EQ(translator_in_use(st, ui, s)->kind(), ServiceKind::kWebPage);
    EXPECT_EQ(st.win.service_caption,
              "Translation: Web page at http://127.0.0.1:9/t (LEXMARIN_TRANSLATE_URL)");
}

TEST(ServiceTestButton, TranslatesLakeOrSaysWhy) {
    State st = english_to_german();
    st.win.language_row[1] = 5; // Spanish
    ScriptedTranslator web;
    web.script("Lake=Lago");
    ServiceTest t = test_service(st, web);
    EXPECT_TRUE(t.ok);
    EXPECT_EQ(t.answer, "Lago");
    EXPECT_EQ(st.language_pair, "en|es");
    web.script("");
    t = test_service(st, web);
    EXPECT_FALSE(t.ok);
    EXPECT_EQ(t.error, "No translation came back from " + st.translate_url + ".");
    st.win.language_row = {5, 5};
    EXPECT_EQ(test_service(st, web).error, "Can't translate from and to the same language");
    st.win.language_row = {0, 20}; // Thai: the page has no code for it
    EXPECT_EQ(test_service(st, web).error, "Cannot find target language");
    EXPECT_EQ(web.sent, Strings({"Lake", "Lake"}));
}

} // namespace
} // namespace lex
