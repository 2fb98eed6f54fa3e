// The translation memory on a real SQLite file in a temporary folder: learning, lookup, several
// programs at once, a learning cut short, a file that is no memory; the pairs of a style.

#include "support/fixtures.h"
#include "support/http_server.h"
#include "translate/memory.h"
#include "translate/memory_pairs.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace lex {
namespace {

using namespace lex::test;

std::unique_ptr<TranslationMemory> open_memory(const std::string& path) {
    std::string why;
    auto memory = TranslationMemory::open(path, why);
    EXPECT_TRUE(memory) << why;
    return memory;
}

std::vector<MemoryPair> en_de(std::initializer_list<std::pair<const char*, const char*>> pairs) {
    std::vector<MemoryPair> out;
    for (const auto& [en, de] : pairs) out.push_back({"en", en, "de", de});
    return out;
}

TEST(MemoryText, NormalisesCaseAndBlanks) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"  Fuel   Station ", "fuel station"},
        {"\tLAKE\r\n", "lake"},
        {"ÖLSEE Über", "ölsee über"},   // Latin-1
        {"ŁÓDŹ ŻÓŁW Ě", "łódź żółw ě"}, // Latin Extended-A, both parities
        {"ОЗЕРО Ёж", "озеро ёж"},       // Cyrillic
        {"ΛΊΜΝΗ", "λίμνη"},             // Greek with a tonos
        {"a\xC2\xA0"
         "b",
         "a b"}, // a no-break space is a blank
        {"\xFF"
         "A",
         "\xFF"
         "a"}, // a stray byte stays as it is
    };
    for (const auto& c : cases) EXPECT_EQ(normalise_label(c.in), c.out) << c.in;
}

TEST(MemoryText, SimilarityOfTrigrams) {
    EXPECT_EQ(label_similarity("fuel station", "fuel station"), 100);
    EXPECT_GE(label_similarity("fuel station", "fuel stations"), 85);
    EXPECT_LT(label_similarity("fuel station", "fuel stations"), 100);
    EXPECT_LT(label_similarity("lake", "forest"), 20);
    EXPECT_EQ(label_similarity("", "lake"), 0);
}

class MemoryTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("user/memory.sqlite");
    std::string why;
    std::vector<std::optional<MemoryMatch>> ask(TranslationMemory& m, Strings texts,
                                                int threshold = 75, const char* from = "en",
                                                const char* to = "de") {
        auto answers = m.lookup(from, to, texts, threshold, why);
        EXPECT_EQ(why, "");
        return answers;
    }
};

TEST_F(MemoryTest, LearnsAndAnswersExactFuzzyAndBothWays) {
    auto m = open_memory(path); // the folder is made on first use
    ASSERT_TRUE(m);
    EXPECT_EQ(m->add(en_de({{"Fuel station", "Tankstelle"}, {"Lake", "See"}}), {"a.txt"}, why), 2);
    const auto a = ask(*m, {" fuel  STATION", "Fuel stations", "Forest", ""});
    ASSERT_TRUE(a[0] && a[1]);
    EXPECT_EQ(a[0]->target, "Tankstelle");
    EXPECT_EQ(a[0]->score, 100);
    EXPECT_EQ(a[0]->origin, "a.txt");
    EXPECT_EQ(a[1]->target, "Tankstelle");
    EXPECT_GE(a[1]->score, 75);
    EXPECT_LT(a[1]->score, 100);
    EXPECT_FALSE(a[2]);
    EXPECT_FALSE(a[3]);
    // A threshold above 100 asks for exact matches only.
    EXPECT_FALSE(ask(*m, {"Fuel stations"}, 101)[0]);
    // German to English from the same pairs; a language pair it has nothing of gives nothing.
    const auto back = ask(*m, {"see"}, 75, "de", "en");
    ASSERT_TRUE(back[0]);
    EXPECT_EQ(back[0]->target, "Lake");
    EXPECT_FALSE(ask(*m, {"Lake"}, 75, "en", "fr")[0]);
}

TEST_F(MemoryTest, OwnWorkRanksAboveFilesAndThenTheMostSeen) {
    auto m = open_memory(path);
    ASSERT_TRUE(m);
    m->add(en_de({{"Lake", "Teich"}, {"Lake", "See"}, {"Lake", "See"}}), {"a.txt"}, why);
    EXPECT_EQ(ask(*m, {"Lake"})[0]->target, "See"); // seen twice
    m->add(en_de({{"Lake", "Weiher"}}), {"own", true}, why);
    const auto a = ask(*m, {"Lake"});
    EXPECT_EQ(a[0]->target, "Weiher");
    EXPECT_TRUE(a[0]->own);
    EXPECT_EQ(m->pair_count(), 3);
}

TEST_F(MemoryTest, ContentLearntBeforeIsNotCountedAgain) {
    auto m = open_memory(path);
    ASSERT_TRUE(m);
    const auto pairs = en_de({{"Lake", "See"}});
    EXPECT_EQ(m->add(pairs, {"a.txt"}, why, 7), 1);
    EXPECT_EQ(m->add(pairs, {"a.txt"}, why, 7), 0); // the same content
    m->add(en_de({{"Lake", "Teich"}, {"Lake", "Teich"}}), {"b.txt"}, why, 8);
    // a.txt changed: its new pairs come in, the known one is not counted once more.
    m->add(en_de({{"Lake", "See"}, {"Park", "Park"}}), {"a.txt"}, why, 9);
    EXPECT_EQ(ask(*m, {"Lake"})[0]->target, "Teich");
    EXPECT_EQ(m->pair_count(), 3);
}

TEST_F(MemoryTest, AFileThatIsNoMemoryIsRefusedWithAReason) {
    std::filesystem::create_directories(dir.file("user"));
    dir.write("user/memory.sqlite", std::string(4096, 'x'));
    std::string reason;
    EXPECT_FALSE(TranslationMemory::open(path, reason));
    EXPECT_NE(reason, "");
    // A folder in its place.
    EXPECT_FALSE(TranslationMemory::open(dir.str(), reason));
}

// Three programs learn into one file at once, each in many small transactions: nothing is
// lost to the others' locks.
TEST_F(MemoryTest, SeveralProgramsAtOnceLoseNothing) {
    open_memory(path).reset(); // made before the others start
    constexpr int kEach = 60;
    std::vector<pid_t> children;
    for (int p = 0; p < 2; ++p) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            std::string reason;
            auto m = TranslationMemory::open(path, reason);
            int ok = m ? 0 : 1;
            for (int i = 0; m && i < kEach; ++i)
                if (m->add({{"en", "Lake " + std::to_string(p) + "-" + std::to_string(i), "de",
                             "See"}},
                           {"child"}, reason) != 1)
                    ok = 1;
            ::_exit(ok);
        }
        children.push_back(pid);
    }
    auto m = open_memory(path);
    for (int i = 0; i < kEach; ++i)
        EXPECT_EQ(m->add({{"en", "Park " + std::to_string(i), "de", "Park"}}, {"me"}, why), 1)
            << why;
    for (const pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(m->pair_count(), 3 * kEach);
}

// A program killed in the middle of learning leaves the memory as it was before.
TEST_F(MemoryTest, ALearningCutShortLeavesTheMemoryAsItWas) {
    {
        auto m = open_memory(path);
        m->add(en_de({{"Lake", "See"}}), {"a.txt"}, why);
    }
    std::vector<MemoryPair> many;
    for (int i = 0; i < 300000; ++i)
        many.push_back({"en", "Road " + std::to_string(i), "de", "Weg"});
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::string reason;
        auto m = TranslationMemory::open(path, reason);
        if (m) m->add(many, {"big.txt"}, reason);
        ::_exit(0);
    }
    ::usleep(150000);
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    auto m = open_memory(path);
    const long count = m->pair_count();
    EXPECT_TRUE(count == 1 || count == 300001) << count;
    EXPECT_EQ(ask(*m, {"Lake"})[0]->target, "See");
}

// The pairs of a style: every two languages of an element, each language's first label; empty,
// "?" and 0x00 labels and commented lines never; labels in their code pages come out as UTF-8.
TEST(StylePairs, EveryTwoLanguagesOfAnElement) {
    ensure_core_application();
    const std::string text =
        typ_header() +
        typ_element("[_polygon]", {"Type=0x01", "String1=0x04,Lake", "String2=0x02,See",
                                   "String3=0x02,Teich", "String4=0x19,\xCE\xE7\xE5\xF0\xEE",
                                   ";String5=0x01,Lac", "String6=0x00,Zero"}) +
        typ_element("[_line]", {"Type=0x02", "String1=0x04,Road", "String2=0x02,?Weg",
                                "String3=0x01,", "String4=0x01,Route"}) +
        typ_element("[_point]", {"Type=0x03", "String1=0x04,Inn"});
    const auto pairs = style_pairs(text, false, label_codec());
    const std::vector<MemoryPair> expected{
        {"en", "Lake", "de", "See"},
        {"en", "Lake", "ru", "Озеро"},
        {"de", "See", "ru", "Озеро"},
    };
    EXPECT_EQ(pairs, expected);
    // UTF-8 labels are taken as they are.
    const auto utf8 =
        style_pairs(typ_element("[_point]", {"String1=0x04,Inn", "String2=0x12,Hospůdka"}), true,
                    label_codec());
    ASSERT_EQ(utf8.size(), 1u);
    EXPECT_EQ(utf8[0].target, "Hospůdka");
}

TEST(StylePairs, OwnTranslationsAreTheChangedRowsThatAreNotSuspect) {
    ensure_core_application();
    State st = english_to_german();
    st.win.language_row = {0, 2};
    fill_pane(st, kPolygons, "Lake=See|Road=?Weg|Park=|Inn=Gasthaus|Forest=Wald");
    st.rows(kPolygons)[3].built_text = "Gasthaus"; // as the file had it
    st.rows(kPolygons)[4].status = RowStatus::kToReview;
    const std::vector<MemoryPair> expected{{"en", "Lake", "de", "See"}};
    EXPECT_EQ(own_pairs(st, label_codec()), expected);
}

} // namespace
} // namespace lex
