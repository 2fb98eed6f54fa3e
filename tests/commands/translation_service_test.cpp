// The services' settings file and what the dialog's "Test" says before it asks.

#include "commands/settings.h"
#include "commands/translation_service.h"
#include "support/fixtures.h"

#include <atomic>
#include <thread>

#include <sys/stat.h>

namespace lex {
namespace {

using namespace lex::test;
namespace fs = std::filesystem;

TEST(ServiceSettingsFile, KeepsTheChoiceAndTheKeysBesideTrDat) {
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

// Keys of every shape come back as written, and no file the folder holds is ever readable by
// others while the keys are written, whatever the umask; a folder made for it is private.
TEST(ServiceSettingsFile, IsPrivateFromItsFirstByte) {
    TempDir dir;
    const std::string folder = dir.file("home/Lexmarin"), path = folder + "/translation.ini";
    ServiceSettings s;
    const Strings keys{"a=b;c,d \"q\" 'r'",  "@Variant(x)", "back\\slash\ttab",
                       "Kl\xC3\xAD\xC4\x8D", "[group]",     "#1 ,"};
    for (std::size_t i = 0; i < keys.size(); ++i) {
        s.key[std::size_t(ServiceKind::kDeepL)] = keys[i];
        s.address[std::size_t(ServiceKind::kApertiumServer)] = "http://h/" + keys[i];
        std::string error;
        ASSERT_TRUE(write_service_settings(path, s, error)) << error;
        const ServiceSettings back = read_service_settings(path);
        EXPECT_EQ(back.key[std::size_t(ServiceKind::kDeepL)], keys[i]);
        EXPECT_EQ(back.address[std::size_t(ServiceKind::kApertiumServer)], "http://h/" + keys[i]);
    }
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);

    // A watcher looks at every file of the folder while the file is written anew.
    const mode_t umask_before = ::umask(0);
    std::atomic<bool> done = false, seen_open = false;
    std::thread watcher([&] {
        while (!done)
            for (const auto& entry : fs::directory_iterator(folder, fs::directory_options::none))
                if (struct stat info{};
                    ::lstat(entry.path().c_str(), &info) == 0 && (info.st_mode & 077) != 0)
                    seen_open = true;
    });
    for (int i = 0; i < 100 && !seen_open; ++i) {
        fs::remove(path);
        std::string error;
        EXPECT_TRUE(write_service_settings(path, s, error)) << error;
    }
    done = true;
    watcher.join();
    ::umask(umask_before);
    EXPECT_FALSE(seen_open);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

// The dialog's tests of real services are in the window tests; here what it says on the way.
TEST(ServiceTestButton, SaysWhyNothingWasAsked) {
    State st = english_to_german();
    ScriptedTranslator web;
    st.win.language_row = {0, 5};
    EXPECT_EQ(test_service(st, web).error,
              "No translation came back from " + st.translate_url + ".");
    st.win.language_row = {5, 5};
    EXPECT_EQ(test_service(st, web).error, "Can't translate from and to the same language");
    st.win.language_row = {0, 20}; // Thai: the page has no code for it
    EXPECT_EQ(test_service(st, web).error, "Cannot find target language");
    EXPECT_EQ(web.sent, Strings{"Lake"});
    // A service that answers with nothing did not translate: no success with a blank answer.
    struct Silent : ScriptedTranslator {
        std::size_t labels_per_request() const override { return 1; }
        LabelAnswers translate_labels(const TranslationRequest&,
                                      const std::vector<std::string>&) override {
            return {{" "}, {false}, ""};
        }
    } silent;
    st.win.language_row = {0, 5};
    const ServiceTest answer = test_service(st, silent);
    EXPECT_FALSE(answer.ok);
    EXPECT_EQ(answer.error, "The translation service returned nothing for 1 label.");
}

} // namespace
} // namespace lex
