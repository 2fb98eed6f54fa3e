// The Tools menu's spelling checks on real styles, with the system's dictionaries.

#include "commands/actions.h"
#include "document/files.h"
#include "document/text.h"
#include "generator.h"
#include "support/fixtures.h"
#include "translate/hunspell_checker.h"
#include "translate/spelling.h"
#include "view/rows.h"

namespace lex {
namespace {

using namespace lex::test;

std::string source_file(const std::string& name) {
    return TempDir::read(std::string(LEXMARIN_SOURCE_DIR) + "/" + name);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

class SpellingTest : public DocTest {
protected:
    // One set of loaded dictionaries for all the tests: loading them is what takes time.
    static SpellingDictionaries& system() {
        static SpellingDictionaries dicts(open_hunspell, {"/usr/share/hunspell"});
        return dicts;
    }
    const std::string report = dir.file("tmp_.txt");

    void SetUp() override {
        DocTest::SetUp();
        // The program folder as shipped: the English own word list.
        std::filesystem::create_directory(dir.file("dictionaries"));
        st.dictionary = source_file("dictionaries/EN.dic");
        dir.write("dictionaries/EN.dic", st.dictionary);
    }
    // The report's findings, "(row)words" per line, and the rows marked, as "kind:row".
    std::pair<Strings, Strings> check(ActionId item, SpellingDictionaries* dicts = &system()) {
        std::filesystem::remove(report);
        run_action(st, ui, item, {.dictionaries = dicts});
        Strings findings, marked;
        const std::string text = TempDir::read(report);
        for (std::string_view line : split(text, "\r\n"))
            if (line.starts_with("(")) findings.emplace_back(line);
        for (const Kind kind : kAllKinds)
            for (int r = 0; r < st.row_count(kind); ++r) {
                const Row& row = st.rows(kind)[std::size_t(r)];
                if (row.marks.source_doubt || row.marks.target_doubt)
                    marked.push_back(std::to_string(kind) + ":" + row.caption);
            }
        return {findings, marked};
    }
};

TEST_F(SpellingTest, SourceReportFlagsOnlyPlantedWordsUntilTheOwnListKnowsThem) {
    std::string city = replaced(source_file("examples/city.txt"), "0x04,Hotel", "0x04,Hospitl");
    ASSERT_TRUE(open("city.txt", replaced(city, "0x04,Restaurant", "0x04,Resturant")));
    EXPECT_EQ(check(ActionId::kSpelling), (std::pair{Strings{"(0)Resturant", "(3)Hospitl"},
                                                     Strings{"2:Resturant", "2:Hospitl"}}));
    EXPECT_EQ(ui.viewed, Strings{report});
    EXPECT_TRUE(ui.messages.empty());
    dir.write("dictionaries/EN.dic", st.dictionary + "hospitl\r\n");
    run_action(st, ui, ActionId::kReloadDictionary,
               {.dictionaries = &system()}); // "Reload Dictionary"
    EXPECT_EQ(check(ActionId::kSpelling).first, Strings{"(0)Resturant"});

    // A generated style: plurals and British spellings from the own list pass.
    std::string generated = bench::generate_typ({60, 2, true, 1});
    ASSERT_TRUE(open("gen.txt", replaced(generated, "0x04,", "0x04,Resturant ")));
    EXPECT_EQ(check(ActionId::kSpelling).first, Strings{"(0)Resturant"});
}

TEST_F(SpellingTest, TargetTextsAreCheckedWithTheTargetDictionaryAndItsOwnList) {
    std::string city = source_file("examples/city.txt");
    ASSERT_TRUE(open("city.txt", replaced(city, "0x02,Tankstelle", "0x02,Tankstelle Strase")));
    // "Geb?ude" is a suspect row: red already, not a spelling finding.
    EXPECT_EQ(check(ActionId::kSpellingTarget),
              (std::pair{Strings{"(1)Strase"}, Strings{"2:Fuel station"}}));

    run_action(st, ui, ActionId::kEditDictionaryTarget, {.dictionaries = &system()});
    const std::string own = dir.file("dictionaries/DE.dic");
    EXPECT_EQ(ui.viewed.back(), own);
    ASSERT_TRUE(file_exists(own));
    dir.write("dictionaries/DE.dic", "strase\n");
    EXPECT_EQ(check(ActionId::kSpellingTarget).first,
              Strings{"(1)Strase"}); // read again only on reload
    run_action(st, ui, ActionId::kReloadDictionary, {.dictionaries = &system()});
    check(ActionId::kSpellingTarget);
    EXPECT_EQ(ui.messages, Strings{"No errors found"});
    EXPECT_FALSE(st.rows(kPoints)[1].marks.target_doubt); // the old mark is cleared
}

TEST_F(SpellingTest, MissingDictionariesAndViewersAreSaidPlainly) {
    ASSERT_TRUE(open("city.txt", source_file("examples/city.txt")));
    SpellingDictionaries none(open_hunspell, {});
    auto target = [&](const std::string& code) {
        st.row_target_code = code;
        run_action(st, ui, ActionId::kSpellingTarget, {.dictionaries = &none});
    };
    target("12");
    target("25");
    run_action(st, ui, ActionId::kSpelling, {.dictionaries = nullptr});
    // The custom language is found by its web code, here in the program's own folder.
    st.win.language_caption[kTargetList] = "Custom";
    st.kept.custom_name = "Hungarian";
    st.kept.custom_web_code = "hu";
    target("00");
    EXPECT_EQ(ui.messages,
              (Strings{"No spelling dictionary for Czech is installed (package hunspell-cs)",
                       "No spelling dictionary for Japanese is installed",
                       "No spelling dictionary for English is installed (package hunspell-en-us)",
                       "No spelling dictionary for Hungarian is installed"}));
    dir.write("dictionaries/hu_HU.aff", "SET UTF-8\n");
    dir.write("dictionaries/hu_HU.dic", "3\nSee\nStadtgebiet\nCity\n");
    EXPECT_EQ(check(ActionId::kSpellingTarget, &none).first.at(0), "(4)park");

    ui.messages.clear();
    ui.noViewer = true;
    target("00");
    run_action(st, ui, ActionId::kEditDictionary, {.dictionaries = &none});
    EXPECT_EQ(ui.messages,
              (Strings{"No text viewer could be started. The report was written to " + report,
                       "No text viewer could be started. The dictionary is " +
                           dir.file("dictionaries/EN.dic")}));
    EXPECT_TRUE(file_exists(report));
    std::filesystem::remove(report);
    std::filesystem::create_directory(report); // a folder where the report goes
    target("00");
    EXPECT_EQ(ui.messages.back(), "Cannot write " + report);
}

} // namespace
} // namespace lex
