// The translation memory on a real SQLite file in a temporary folder: learning, lookup, several
// programs at once, a learning cut short, a file that is no memory; the pairs of a style.

#include "commands/memory.h"
#include "commands/review.h"
#include "support/fixtures.h"
#include "support/http_server.h"
#include "translate/memory.h"
#include "translate/memory_index.h"
#include "translate/memory_pairs.h"
#include "translate/memory_text.h"
#include "translate/run.h"
#include "translate/tmx.h"
#include "view/review.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

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

// Labels of a few words from a small vocabulary, some changed a little: many share trigrams,
// many scores fall near any threshold.
Strings random_labels(std::mt19937& random, std::size_t count) {
    static const char* const kWords[] = {"lake",  "forest", "fuel",  "station", "road", "roads",
                                         "park",  "marsh",  "große", "łąka",    "see",  "inn",
                                         "track", "trail",  "a",     "river",   "st",   "öl"};
    auto pick = [&](std::size_t n) { return std::size_t(random() % n); };
    Strings out;
    for (std::size_t i = 0; i < count; ++i) {
        std::string label;
        const std::size_t words = 1 + pick(3);
        for (std::size_t w = 0; w < words; ++w)
            label += (w ? " " : "") + std::string(kWords[pick(std::size(kWords))]);
        if (pick(3) == 0) label.insert(pick(label.size() + 1), 1, char('a' + pick(26)));
        if (pick(4) == 0 && label.size() > 1) label.erase(pick(label.size()), 1);
        if (pick(5) == 0) label = "  " + label;
        out.push_back(label);
    }
    return out;
}

// The index finds what comparing the label with every text finds, in the same order: at
// thresholds above, at and below the one it was built for, and with texts added since.
TEST(MemoryIndex, FindsWhatComparingEveryTextFinds) {
    std::mt19937 random(25);
    const Strings texts = random_labels(random, 1000);
    const Strings labels = random_labels(random, 200);
    SimilarTexts index;
    std::vector<std::string> held;
    auto add = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            held.push_back(normalise_label(texts[i]));
            index.add(held.back());
        }
    };
    add(0, 700);
    index.build(70);
    add(700, texts.size()); // compared one by one until the next build
    std::vector<SimilarTexts::Found> found;
    std::size_t matches = 0;
    for (const int threshold : {1, 40, 70, 75, 90, 99, 100}) {
        for (const std::string& label : labels) {
            const std::string normalised = normalise_label(label);
            std::vector<std::pair<int, std::uint32_t>> expected;
            for (std::uint32_t e = 0; e < held.size(); ++e) {
                const int score = std::min(99, label_similarity(normalised, held[e]));
                if (score >= threshold) expected.emplace_back(score, e);
            }
            std::stable_sort(expected.begin(), expected.end(),
                             [](const auto& a, const auto& b) { return a.first > b.first; });
            index.find(normalised, threshold, found);
            std::vector<std::pair<int, std::uint32_t>> got;
            for (const auto& f : found) got.emplace_back(f.score, f.entry);
            ASSERT_EQ(got, expected) << label << " at " << threshold;
            matches += got.size();
        }
    }
    EXPECT_GT(matches, 500u);
    EXPECT_EQ(index.unindexed(), 300u);
    index.build(90); // and built again for a higher threshold
    EXPECT_EQ(index.unindexed(), 0u);
    index.find("fuel station", 90, found);
    for (const auto& f : found) EXPECT_GE(label_similarity("fuel station", held[f.entry]), 90);
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

// The lookup of a memory on disk answers as comparing the label with every text would: the
// exact match, else the most similar text learnt first among the equally similar. So it does
// when its work is shared out in small steps (the texts indexed block by block on a second
// thread, the similar labels looked up on two), and after a lookup whose labels all matched
// exactly stopped the indexing part of the way.
TEST_F(MemoryTest, LookupAnswersAsComparingEveryText) {
    std::mt19937 random(7);
    const Strings sources = random_labels(random, 800);
    std::vector<MemoryPair> pairs;
    for (std::size_t i = 0; i < sources.size(); ++i)
        pairs.push_back({"en", sources[i], "de", "de " + std::to_string(i)});
    {
        auto m = open_memory(path);
        ASSERT_TRUE(m);
        ASSERT_EQ(m->add(pairs, {"a.txt"}, why), long(pairs.size()));
    }
    // The first of the texts with one normalised form holds the first pair learnt for it.
    std::vector<std::size_t> first;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const std::string n = normalise_label(sources[i]);
        if (std::none_of(first.begin(), first.end(),
                         [&](std::size_t f) { return normalise_label(sources[f]) == n; }))
            first.push_back(i);
    }
    const Strings labels = random_labels(random, 400);
    std::vector<std::pair<int, std::size_t>> expected; // score (0: none), source
    for (const std::string& label : labels) {
        const std::string n = normalise_label(label);
        int best = 0;
        std::size_t at = 0;
        for (const std::size_t f : first) {
            const std::string held = normalise_label(sources[f]);
            const int score = held == n ? 100 : label_similarity(n, held);
            if (score > best) best = score, at = f;
        }
        expected.emplace_back(best < 80 || n.empty() ? 0 : best, at);
    }
    for (const bool small_steps : {false, true}) {
        for (const bool exact_first : {false, true}) {
            auto m = open_memory(path);
            ASSERT_TRUE(m);
            if (small_steps) m->share_work({64, 16});
            if (exact_first) {
                const Strings known(sources.begin(), sources.begin() + 20);
                for (const auto& a : ask(*m, known, 80)) EXPECT_TRUE(a && a->score == 100);
            }
            const auto answers = ask(*m, labels, 80);
            for (std::size_t k = 0; k < labels.size(); ++k) {
                SCOPED_TRACE(labels[k] + (small_steps ? " in small steps" : "") +
                             (exact_first ? " after exact matches" : ""));
                const auto [best, at] = expected[k];
                if (best == 0) {
                    EXPECT_FALSE(answers[k]);
                    continue;
                }
                ASSERT_TRUE(answers[k]);
                EXPECT_EQ(answers[k]->score, best);
                if (best < 100) {
                    EXPECT_EQ(answers[k]->target, "de " + std::to_string(at));
                }
            }
        }
    }
}

// The most similar texts have pairs into another language only: the answer is the most similar
// one with a pair into the target, however many come before it; a text whose pair goes the other
// way round counts too.
TEST_F(MemoryTest, SimilarTextsWithoutAPairIntoTheTargetArePassedBy) {
    auto m = open_memory(path);
    ASSERT_TRUE(m);
    std::vector<MemoryPair> pairs;
    for (int i = 1; i <= 12; ++i)
        pairs.push_back(
            {"en", "Fuel station " + std::to_string(i), "fr", "Station " + std::to_string(i)});
    pairs.push_back({"de", "Tankstellen", "en", "Fuel stations here"});
    pairs.push_back({"en", "Fuel stop", "de", "Tankpunkt"});
    ASSERT_EQ(m->add(pairs, {"a.txt"}, why), long(pairs.size()));
    const auto a = ask(*m, {"Fuel station", "fuel STATION 3"}, 50);
    ASSERT_TRUE(a[0]);
    EXPECT_EQ(a[0]->target, "Tankstellen");
    EXPECT_EQ(a[0]->score, label_similarity("fuel station", "fuel stations here"));
    EXPECT_GT(label_similarity("fuel station", "fuel station 12"), a[0]->score);
    // An exact match without a pair into the target is passed by the same way.
    ASSERT_TRUE(a[1]);
    EXPECT_EQ(a[1]->target, "Tankstellen");
    EXPECT_LT(a[1]->score, 100);
}

// A memory of the first format (each text's hash in a column and an index) is brought to this
// one when it is opened, and keeps its pairs.
TEST_F(MemoryTest, AMemoryOfTheFirstFormatIsUpgraded) {
    std::filesystem::create_directories(dir.file("user"));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, R"(
        CREATE TABLE info(key TEXT PRIMARY KEY, value TEXT) WITHOUT ROWID;
        CREATE TABLE origins(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE);
        CREATE TABLE learnt(digest INTEGER PRIMARY KEY, origin INTEGER NOT NULL);
        CREATE TABLE texts(id INTEGER PRIMARY KEY, lang TEXT NOT NULL, text TEXT NOT NULL,
                           key INTEGER NOT NULL);
        CREATE INDEX texts_by_key ON texts(key);
        CREATE TABLE pairs(source INTEGER NOT NULL, target INTEGER NOT NULL,
                           origin INTEGER NOT NULL, own INTEGER NOT NULL,
                           seen INTEGER NOT NULL, last INTEGER NOT NULL,
                           PRIMARY KEY(source, target)) WITHOUT ROWID;
        CREATE INDEX pairs_by_target ON pairs(target);
        INSERT INTO info VALUES('format', '1');
        INSERT INTO origins VALUES(1, 'a.txt');
        INSERT INTO texts VALUES(1, 'en', 'Lake', 42), (2, 'de', 'See', 43);
        INSERT INTO pairs VALUES(1, 2, 1, 0, 3, 0);)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    auto m = open_memory(path);
    ASSERT_TRUE(m);
    EXPECT_EQ(ask(*m, {"lake"})[0]->target, "See");
    EXPECT_EQ(m->add(en_de({{"Lake", "See"}, {"Lakes", "Seen"}}), {"b.txt"}, why), 2);
    EXPECT_EQ(m->pair_count(), 2);
    m.reset();
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* q = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT value, (SELECT count(*) FROM pragma_table_info('texts')) FROM info",
                       -1, &q, nullptr);
    ASSERT_EQ(sqlite3_step(q), SQLITE_ROW);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(sqlite3_column_text(q, 0))), "2");
    EXPECT_EQ(sqlite3_column_int(q, 1), 3);
    sqlite3_finalize(q);
    sqlite3_close(db);
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

namespace lex {
namespace {

using namespace lex::test;

// A memory written to TMX and read back gives its pairs again, markup characters and letters of
// every script included.
TEST(Tmx, RoundTripKeepsEveryPair) {
    const std::vector<MemoryPair> pairs{
        {"en", "Fish & Chips <take away>", "de", "Fisch \"& Pommes\""},
        {"en", "Lake", "ru", "Озеро"},
        {"pl", "Łąka", "cs", "Louka"},
    };
    TmxWriter writer;
    for (const MemoryPair& p : pairs) writer.add(p, {"city.txt"});
    const TmxContents back = read_tmx(writer.finish());
    EXPECT_EQ(back.error, "");
    EXPECT_EQ(back.units, 3u);
    EXPECT_EQ(back.pairs, pairs);
}

TEST(Tmx, WhatOtherToolsWriteAndWhatIsRefused) {
    const std::string head = "<?xml version=\"1.0\"?>\n<!DOCTYPE tmx SYSTEM \"tmx14.dtd\">\n"
                             "<tmx version=\"1.4\"><header srclang=\"en-US\"/><body>\n";
    const std::string tail = "</body></tmx>\n";
    // Regions, letter case, the older lang attribute, inline codes, CDATA, character references,
    // a comment; a variant in a language the tables lack is skipped and counted.
    const TmxContents read =
        read_tmx(head +
                 "<tu><tuv xml:lang=\"EN-us\"><seg>Fuel <bpt i=\"1\">&lt;b&gt;</bpt>station<ept "
                 "i=\"1\">&lt;/b&gt;</ept></seg></tuv><!-- x -->"
                 "<tuv lang=\"de-DE\"><seg><![CDATA[Tank<stelle>]]></seg></tuv>"
                 "<tuv xml:lang=\"eu\"><seg>Gasolindegia</seg></tuv>"
                 "<tuv xml:lang=\"fr\"><seg>Station&#x2d;service&#32;</seg></tuv></tu>\n" +
                 tail);
    EXPECT_EQ(read.error, "");
    EXPECT_EQ(read.unknown, 1u);
    ASSERT_EQ(read.pairs.size(), 3u);
    EXPECT_EQ(read.pairs[0], (MemoryPair{"en", "Fuel station", "de", "Tank<stelle>"}));
    EXPECT_EQ(read.pairs[2], (MemoryPair{"de", "Tank<stelle>", "fr", "Station-service"}));

    const struct {
        std::string xml;
        const char* error_starts;
    } refused[] = {
        {head + "<tu><tuv xml:lang=\"en\"><seg>a</tuv></tu>" + tail,
         "The TMX file cannot be read (line 4: </tuv> does not close <seg>)."},
        {head + "<tu>", "The TMX file cannot be read (line 4: <tu> is not closed)."},
        {head + "<tu><tuv xml:lang=\"en\"><seg>&nbsp;</seg></tuv></tu>" + tail,
         "The TMX file cannot be read (line 4: an unknown entity &nbsp;)."},
        {"<html><body/></html>", "The TMX file cannot be read (line 1: the document element"},
        {"\xFF\xFE<\0t\0", "The TMX file is in UTF-16"},
        {head + "<tu><tuv xml:lang=\"en\"><seg>\xC3(</seg></tuv></tu>" + tail,
         "The TMX file is not UTF-8 text."},
        {"", "The TMX file cannot be read (line 1: it has no <tmx> element)."},
    };
    for (const auto& r : refused) {
        const TmxContents c = read_tmx(r.xml);
        EXPECT_TRUE(c.error.starts_with(r.error_starts)) << c.error << " / " << r.error_starts;
        EXPECT_TRUE(c.pairs.empty());
    }

    // A unit in four languages makes six pairs: the pairs a file may make are bounded, since a
    // unit in n languages makes n(n-1)/2 of them whatever the file's size.
    std::string four = "<tu>";
    for (const char* lang : {"en", "de", "fr", "it"})
        four += std::string("<tuv xml:lang=\"") + lang + "\"><seg>" + lang + "</seg></tuv>";
    four += "</tu>";
    EXPECT_EQ(read_tmx(head + four + four + tail, 12).pairs.size(), 12u);
    const TmxContents over = read_tmx(head + four + four + tail, 11);
    EXPECT_EQ(over.error, "The TMX file holds more than 11 pairs of labels; split it into smaller "
                          "files.");
    EXPECT_TRUE(over.pairs.empty());
}

class MemoryRunTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensure_core_application(); }
    TempDir dir;
    State st = english_to_german();
    FakeUi ui;
    ScriptedTranslator tr;
    std::string why;
    std::unique_ptr<TranslationMemory> memory = TranslationMemory::open(dir.file("m.sqlite"), why);
    MemoryUse use() {
        MemoryUse u;
        u.memory = memory.get();
        u.codec = &label_codec();
        return u;
    }
    void SetUp() override {
        st.win.language_row = {0, 2}; // English to German
        memory->add({{"en", "Fuel station", "de", "Tankstelle"},
                     {"en", "Lake", "de", "See"},
                     {"en", "Park", "de", "Park"},
                     {"en", "Gorge", "de",
                      "Schlucht \xE2\x80\x9C"
                      "Tief\xE2\x80\x9D"},
                     {"en", "Meadow", "de", "Wiese ∑"}},
                    {"a.txt"}, why);
    }
};

// Exact matches are translated, similar ones to review, both with their score in the tip;
// only the rest goes to the service. A target the code page cannot hold is not offered.
TEST_F(MemoryRunTest, TheMemoryAnswersFirstAndTheServiceGetsTheRest) {
    tr.script("River,Meadow=Fluss,Wiese,");
    fill_pane(st, kPolygons, "Fuel stations|lake|River|Park|Meadow|Gorge");
    MemoryUse u = use();
    RunOptions options = kNoPause;
    options.memory = &u;
    const Outcome outcome = translate_rows(st, ui, tr, kPolygons, options);
    EXPECT_TRUE(outcome.ok());
    EXPECT_EQ(tr.sent, Strings{"River,Meadow"});
    EXPECT_EQ(texts(st, kPolygons), "Tankstelle|See|Fluss|Park|Wiese|Schlucht \x93Tief\x94");
    const Row& fuzzy = st.row(kPolygons, 0);
    EXPECT_EQ(fuzzy.status, RowStatus::kToReview);
    EXPECT_TRUE(fuzzy.tip.starts_with("Memory 8") && fuzzy.tip.ends_with(" %: a.txt")) << fuzzy.tip;
    EXPECT_EQ(st.row(kPolygons, 1).status, RowStatus::kNormal);
    EXPECT_EQ(st.row(kPolygons, 1).tip, "Memory 100 %: a.txt");
    EXPECT_EQ(st.row(kPolygons, 3).status, RowStatus::kSameAsSource);
    EXPECT_EQ(st.row(kPolygons, 2).tip, "");
    EXPECT_EQ(u.exact, 3);
    EXPECT_EQ(u.fuzzy, 1);
    const PaneCounts counts = count_rows(st, kPolygons);
    EXPECT_EQ(counts.to_review, 1);
    EXPECT_EQ(pane_statistics(st, kPolygons),
              "Polygons 6: 6 translated, 1 to review, 0 suspect, 0 empty");
    // F8 visits the row to review; typing into it makes it the user's own.
    EXPECT_EQ(find_row(st, {0, 5}, 1, RowFilter::kSuspect), (RowPlace{0, 0}));
    st.row(kPolygons, 0).text = "Tankstellen";
    target_row_typed(st, ui, kPolygons, 0);
    EXPECT_EQ(st.row(kPolygons, 0).status, RowStatus::kNormal);
    EXPECT_EQ(st.row(kPolygons, 0).tip, "");
}

TEST_F(MemoryRunTest, MemoryOnlyLeavesTheRestAndABrokenMemoryIsSaidOnce) {
    fill_pane(st, kPolygons, "Lake|River");
    MemoryUse u = use();
    u.only = true;
    select_run_rows(st, kPolygons, RunRows::kEmptyTargets);
    EXPECT_TRUE(translate_selection(st, ui, tr, kPolygons, &u).ok());
    EXPECT_EQ(texts(st, kPolygons), "See|");
    EXPECT_TRUE(tr.sent.empty());

    // The file is damaged under the running program: the run goes on without it, said once.
    memory.reset();
    dir.write("m.sqlite", std::string(8192, 'x'));
    std::remove(dir.file("m.sqlite-wal").c_str());
    std::remove(dir.file("m.sqlite-shm").c_str());
    memory = TranslationMemory::open(dir.file("m.sqlite"), why);
    ASSERT_FALSE(memory);
    MemoryKeeper keeper(label_codec());
    st.program_dir = dir.str();
    dir.write("memory.sqlite", std::string(8192, 'x'));
    tr.script("River=Fluss,");
    for (int run = 0; run < 2; ++run) {
        fill_pane(st, kPolygons, "River");
        MemoryUse k = keeper.use(st, ui);
        RunOptions options = kNoPause;
        options.memory = k.memory ? &k : nullptr;
        translate_rows(st, ui, tr, kPolygons, options);
        EXPECT_EQ(texts(st, kPolygons), "Fluss");
    }
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].starts_with("The translation memory cannot be used ("))
        << ui.messages[0];
    EXPECT_EQ(ui.messageIds[0], MessageId::kMemoryUnavailable);
}

// Opening a style teaches the memory; a save teaches it the user's own translations, which
// then win over what files said.
TEST_F(MemoryRunTest, OpeningAndSavingTeachTheMemory) {
    st.program_dir = dir.str();
    MemoryKeeper keeper(label_codec());
    const std::string path = dir.write(
        "style.txt",
        typ_header() +
            typ_element("[_polygon]", {"Type=0x01", "String1=0x04,Forest", "String2=0x02,Wald"}) +
            typ_element("[_polygon]", {"Type=0x02", "String1=0x04,Heath"}));
    std::string p = path;
    ASSERT_TRUE(open_document(st, ui, p));
    EXPECT_EQ(learn_from_document(st, ui, keeper), 1);
    st.row(kPolygons, 0).text = "Forst";
    st.row(kPolygons, 1).text = "Heide";
    const std::vector<MemoryPair> own = own_translations(st, keeper);
    EXPECT_EQ(own.size(), 2u);
    EXPECT_EQ(learn_own_translations(st, ui, keeper, own), 2);
    auto answers = keeper.get(st, ui)->lookup("en", "de", {"Forest", "Heath"}, 75, why);
    ASSERT_TRUE(answers[0] && answers[1]);
    EXPECT_EQ(answers[0]->target, "Forst");
    EXPECT_TRUE(answers[0]->own);
    EXPECT_EQ(answers[1]->target, "Heide");
}

// Learnings beside the window take every pair, one after the other; one that waits for another
// program's write is stopped at once and leaves the memory as it was; a save's learning waits
// for the style's.
TEST_F(MemoryRunTest, LearningInTheBackground) {
    auto style = [](const char* en, const char* de) {
        return typ_header() +
               typ_element("[_polygon]", {"Type=0x01", std::string("String1=0x04,") + en,
                                          std::string("String2=0x02,") + de});
    };
    const std::string path = dir.file("m.sqlite");
    BackgroundLearning learning;
    learning.learn(path, style("Forest", "Wald"), false, "a.txt", label_codec());
    learning.learn(path, style("Heath", "Heide"), false, "b.txt", label_codec());
    learning.wait();
    auto results = learning.take_results();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].origin + results[1].origin, "a.txtb.txt");
    EXPECT_EQ(results[0].pairs + results[1].pairs, 2);
    const auto answers = memory->lookup("en", "de", {"Forest", "Heath"}, 75, why);
    ASSERT_TRUE(answers[0] && answers[1]);
    EXPECT_EQ(answers[1]->target, "Heide");
    const long held = memory->pair_count();

    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE;", nullptr, nullptr, nullptr), SQLITE_OK);
    learning.learn(path, style("Marsh", "Sumpf"), false, "c.txt", label_codec());
    ::usleep(200000);
    EXPECT_TRUE(learning.busy());
    const auto t0 = std::chrono::steady_clock::now();
    learning.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(1));
    sqlite3_exec(other, "ROLLBACK;", nullptr, nullptr, nullptr);
    results = learning.take_results();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(results[0].stopped);
    EXPECT_EQ(memory->pair_count(), held);

    // The save's learning comes after the style's, which waited for the other program.
    st.program_dir = dir.str();
    MemoryKeeper keeper(label_codec());
    std::string opened = dir.write("style.txt", style("Lake", "See"));
    ASSERT_TRUE(open_document(st, ui, opened));
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE;", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_TRUE(learn_in_background(st, keeper));
    std::thread release([&] {
        ::usleep(300000);
        sqlite3_exec(other, "ROLLBACK;", nullptr, nullptr, nullptr);
    });
    st.row(kPolygons, 0).text = "Teich";
    EXPECT_EQ(learn_own_translations(st, ui, keeper, own_translations(st, keeper)), 1);
    release.join();
    sqlite3_close(other);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(keeper.get(st, ui)->pair_count(), 2); // Lake-See from the file, Lake-Teich own
}

// A TMX file too big is refused before it is read; one in bounds goes into the memory and back
// out through the commands.
TEST_F(MemoryRunTest, TmxImportAndExportThroughTheCommands) {
    st.program_dir = dir.str();
    MemoryKeeper keeper(label_codec());
    const std::string big = dir.file("big.tmx");
    { std::ofstream(big, std::ios::binary) << "<tmx>"; }
    std::filesystem::resize_file(big, std::uintmax_t(100) << 20);
    EXPECT_EQ(import_tmx(st, ui, keeper, big).kind, Outcome::Kind::kFailed);
    EXPECT_EQ(ui.messages.back(),
              "The TMX file is larger than 64 MB; split it into smaller files.");

    TmxWriter writer;
    writer.add({"en", "Lake", "fr", "Lac"}, {"x"});
    const std::string small = dir.write("small.tmx", writer.finish());
    EXPECT_EQ(import_tmx(st, ui, keeper, small).count, 1);
    EXPECT_EQ(ui.messages.back(), "small.tmx: 1 pair from 1 translation units.");
    const std::string out = dir.file("out.tmx");
    EXPECT_EQ(export_tmx(st, ui, keeper, out).count, 1);
    const TmxContents back = read_tmx(TempDir::read(out));
    ASSERT_EQ(back.pairs.size(), 1u);
    EXPECT_EQ(back.pairs[0], (MemoryPair{"en", "Lake", "fr", "Lac"}));
}

} // namespace
} // namespace lex
