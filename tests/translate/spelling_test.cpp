// The spelling check with the real Hunspell and the dictionaries the test command installs.

#include "support/fixtures.h"
#include "translate/hunspell_checker.h"
#include "translate/spelling.h"

namespace lex {
namespace {

using namespace lex::test;

constexpr const char* kSystem = "/usr/share/hunspell";

// Each dictionary is loaded once for the whole run: the big ones take a second.
SpellChecker& dictionary(const std::string& name) {
    static std::map<std::string, std::unique_ptr<SpellChecker>> loaded;
    auto& checker = loaded[name];
    if (!checker) {
        const std::string stem = std::string(kSystem) + "/" + name;
        checker = open_hunspell(stem + ".aff", stem + ".dic");
        if (!checker) throw std::runtime_error(name + " is not installed (scripts/deps.sh)");
        checker->set_own_words("", 1252);
    }
    return *checker;
}

TEST(Hunspell, DoubtsOnlyMisspellingsInEveryCodePage) {
    struct Case {
        const char* dict;
        int codepage;
        std::string label;
        Strings doubtful; // UTF-8
    };
    // clang-format off
    const Case cases[] = {
        {"en_US", 1252, "Hospitl, Resturant", {"Hospitl", "Resturant"}},
        {"en_US", 1252, "Attractions: Sports & Tourism Stores", {}},      // plurals pass
        {"en_US", 1252, "Route 66 (A7) 2nd", {}},                         // numbers are no words
        {"en_US", 1252, "McDonald's north-west Coastline", {}},           // joiners inside words
        {"en_US", 1252, "Cemetry cemetry CEMETRY", {"Cemetry", "cemetry", "CEMETRY"}},
        {"en_US", 1252, "london", {"london"}},                            // case is kept
        {"de_DE", 1252, "Stra\xDF" "e Bahnh\xF6" "fe Strase Strase", {"Strase"}},
        {"de_DE", 65001, "Stra\xC3\x9F" "e Strase", {"Strase"}},          // a UTF-8 label
        // Code page 1250 into a UTF-8 dictionary and into one that declares ISO 8859-2, whose
        // bytes for "ź" and "ś" differ from 1250's.
        {"cs_CZ", 1250, "Zastav\xEC" "n\xE1 oblast, \xD8" "eka", {}},
        {"cs_CZ", 1250, "\xD8" "ekka", {"\xC5\x98" "ekka"}},
        {"pl_PL", 1250, "\x9F" "r\xF3" "d\xB3" "o \x9C" "wi\xEA" "ty", {}},
        {"pl_PL", 1250, "\x9C" "wi\xEA" "tyy", {"\xC5\x9B" "wi\xC4\x99" "tyy"}},
        {"pl_PL", 65001, "\xD0\x9C\xD0\xBE\xD1\x80\xD0\xB5", {"\xD0\x9C\xD0\xBE\xD1\x80\xD0\xB5"}},
        {"ru_RU", 1251, "\xCE\xE7\xE5\xF0\xEE \xD3\xEB\xE8\xF6\xE0", {}},   // Озеро Улица
        {"ru_RU", 1251, "\xCE\xE7\xE8\xF0\xEE", {"\xD0\x9E\xD0\xB7\xD0\xB8\xD1\x80\xD0\xBE"}},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(dictionary(c.dict).doubtful_words(c.label, c.codepage), c.doubtful)
            << c.dict << " " << c.label;
}

TEST(Hunspell, OwnWordsAreAcceptedInAnyCaseAndReplacedWhole) {
    SpellChecker& en = dictionary("en_US");
    // A line that is not UTF-8 is read in the language's code page ("kavárna" in 1250).
    en.set_own_words("hospitl\r\n  resturant  xyzzy\r\nkav\xE1rna\r\n", 1250);
    EXPECT_EQ(en.doubtful_words("Hospitl RESTURANT Xyzzy Kav\xE1rna Cemetry", 1250),
              Strings{"Cemetry"});
    en.set_own_words("", 1252);
    EXPECT_EQ(en.doubtful_words("Hospitl", 1252), Strings{"Hospitl"});
    EXPECT_EQ(open_hunspell("/nonexistent/en.aff", "/nonexistent/en.dic"), nullptr);
}

TEST(DictionarySearch, FoldersThenStemsThenAnyVariant) {
    TempDir user, system;
    for (const char* f : {"de_DE", "en_GB", "en_US", "xx"}) {
        system.write(std::string(f) + ".aff", "SET UTF-8\n");
        system.write(std::string(f) + ".dic", "1\nword\n");
    }
    user.write("en_US.aff", ""); // no .dic: not a dictionary
    user.write("de_LU.aff", "");
    user.write("de_LU.dic", "");
    const std::vector<std::string> both{user.str(), system.str()};
    const std::pair<std::string, std::string> cases[] = {{"en_US en_GB", system.file("en_US")},
                                                         {"en_CA en_GB", system.file("en_GB")},
                                                         {"de_AT", user.file("de_LU")},
                                                         {"fr_FR fr", ""},
                                                         {"", ""},
                                                         {"xx_YY", system.file("xx")}};
    for (auto [stems, found] : cases) EXPECT_EQ(find_dictionary(both, stems), found) << stems;
    EXPECT_EQ(find_dictionary(both, "en_US en_GB", "en_GB"), system.file("en_GB"));
    EXPECT_EQ(find_dictionary(both, "de_DE", "en_GB"), system.file("de_DE"));

    std::map<std::string, std::string> env{{"DICPATH", "/a::/b"}, {"HOME", "/home/u"}};
    auto get = [&](const char* name) { return env[name]; };
    EXPECT_EQ(system_dictionary_folders(get).at(2), "/home/u/.local/share/hunspell");
    env = {{"LANG", "en_GB.UTF-8"}};
    EXPECT_EQ(user_locale(get), "en_GB");
    env = {{"LC_ALL", "C"}, {"LANG", "de_DE"}};
    EXPECT_EQ(user_locale(get), "");
}

} // namespace
} // namespace lex
