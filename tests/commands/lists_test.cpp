#include "commands/actions.h"
#include "commands/language_choice.h"
#include "commands/lists.h"
#include "commands/save_document.h"
#include "document/codec_qt.h"
#include "document/codepage.h"
#include "document/files.h"
#include "document/list_file.h"
#include "document/text.h"
#include "support/fixtures.h"
#include "translate/languages.h"
#include "view/panes.h"

#include <set>

namespace lex {

using namespace lex::test;

namespace {

std::string polygon(const std::string& label) {
    return typ_element("[_polygon]", {"Type=0x01", "String1=0x04," + label});
}

} // namespace

class Lists : public DocTest {
protected:
    void SetUp() override {
        DocTest::SetUp();
        st.win.language_caption = {"English ", "Dutch "};
    }
    bool save_to(const std::string& path) {
        ui.files = {path};
        return save_list(st, ui).ok();
    }
    bool load(const std::string& name, const std::string& text) {
        ui.files = {dir.write(name, text)};
        return open_list(st, ui).ok();
    }
};

TEST_F(Lists, SaveWritesEverySectionAndReplacesAListOnlyOnYesAndWholeOrNotAtAll) {
    st.document_path = dir.file("mymap.old.txt");
    fill_pane(st, kPolygons, "Lake=Meer|Wood=");
    fill_pane(st, kPoints, "Well=Put");
    const std::string path = dir.file("chosen.lst");
    const std::string text = crlf({"[lang]English ,Dutch ", "[polygons]", "Lake#Meer", "Wood#", "",
                                   "[lines]", "", "[pois]", "Well#Put", ""});
    ASSERT_TRUE(save_to(dir.file("chosen"))); // ".lst" is added
    EXPECT_EQ(ui.requests.at(0).proposed + "|" + ui.requests[0].folder,
              "mymap_En-Du.lst|" + dir.str());
    EXPECT_EQ(ui.messages, Strings{"saved: " + path});
    EXPECT_EQ(TempDir::read(path), text);

    dir.write("chosen.lst", "the old list");
    FullDisk full;
    const struct {
        bool yes;
        FileWriter* writer;
        std::string content, message;
    } cases[] = {
        {false, nullptr, "the old list", ""},
        {true, &full, "the old list",
         "Could not save " + path + ": no space left on device. The file was left as it was."},
        {true, nullptr, text, "saved: " + path},
    };
    for (const auto& c : cases) {
        ui = FakeUi{};
        ui.answers = {c.yes};
        st.file_writer = c.writer;
        save_to(path);
        EXPECT_EQ(ui.questions, Strings{"File exists. Replace?"});
        EXPECT_EQ(ui.messages, c.message.empty() ? Strings{} : Strings{c.message});
        EXPECT_EQ(TempDir::read(path), c.content);
    }
    // A "#" inside a row's text would not read back: asked before anything is chosen.
    ui = FakeUi{};
    st.file_writer = nullptr;
    fill_pane(st, kPoints, "Well=Put|Route #5=Weg 5");
    EXPECT_FALSE(save_list(st, ui));
    EXPECT_EQ(ui.questions, Strings{"1 row holds a \"#\", which the list puts between source and "
                                    "target text: it will not load back as it is (first: point "
                                    "row 2). Save the list anyway?"});
    EXPECT_TRUE(ui.requests.empty());
}

TEST_F(Lists, OpenWithoutDocumentShowsTheListUnderItsNameAndLanguages) {
    std::string text = crlf({"[lang]English ,Dutch ", "[polygons]"});
    for (int i = 0; i < 25; ++i)
        text += "P" + std::to_string(i) + "#T" + std::to_string(i) + "\r\n";
    ASSERT_TRUE(load("my list.v2.lst", text + crlf({"", "[lines]", "Road#Weg?", "Path#Path"})));
    EXPECT_TRUE(st.list_loaded && !st.changed);
    EXPECT_EQ(st.document_path, dir.file("my list.v2.lst"));
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 my list");
    EXPECT_EQ(st.win.count_caption[0] + st.win.count_caption[1], "Polygons: 25Lines: 2");
    EXPECT_EQ(st.row(kPolygons, 24).caption + st.row(kPolygons, 24).text, "P24T24");
    // Row states, buttons and the scroll range as a document's rows would have them.
    EXPECT_EQ(statuses(st, kLines), "RB");
    EXPECT_TRUE(st.pane(kLines).check_errors_visible && !st.pane(kPolygons).check_errors_visible);
    EXPECT_EQ(st.pane(kPolygons).panel, panel_height(25));
    // The captions are the list's, and the languages they name are the ones in use.
    EXPECT_EQ(st.win.language_caption[1], "Dutch ");
    EXPECT_EQ(st.source_code + st.target_code + st.row_target_code, "040303");

    // A shorter list leaves nothing of the longer one; names no list offers change no language
    // (after a Yes to using the languages in use).
    ui.answers = {true};
    ASSERT_TRUE(load("short.lst", crlf({"[lang]Russian,Unknown", "[polygons]", "A#B"})));
    EXPECT_EQ(captions(st, kPolygons) + texts(st, kPolygons) + st.win.count_caption[1],
              "ABLines: 0");
    EXPECT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(st.win.language_caption[0] + st.source_code + st.target_code, "English 0403");
}

// A list is applied under the languages it names; where the tables do not know one, the user
// decides whether the language in use takes its place, and a list naming none says which.
TEST_F(Lists, UnknownOrMissingListLanguagesAreSaid) {
    ASSERT_TRUE(open("map.txt", typ_header() + polygon("Lake")));
    select_language(st, kSourceList, 0);
    select_language(st, kTargetList, 2); // German
    const State before = st;
    const std::string no = " (No leaves everything as it was.)";
    const std::string both = "The list's languages Klingon, Vulcan are not known: its rows would "
                             "be applied from English to German, the languages in use. Use them "
                             "instead?" +
                             no;
    struct Case {
        std::string lang; // the list's [lang] line
        bool yes;
        std::string question, message;
        std::string languages; // in use afterwards: captions and target code
    };
    const Case cases[] = {
        {"[lang]Klingon,Vulcan", false, both, "", "English |German |02"},
        {"[lang]Klingon,Vulcan", true, both, "", "English |German |02"},
        {"[lang]English ,Vulcan", true,
         "The list's language Vulcan is not known: its rows would be applied from English to "
         "German, the target language in use. Use German instead?" +
             no,
         "", "English |German |02"},
        {"[lang]Klingon, Dutch", true,
         "The list's language Klingon is not known: its rows would be applied from English, the "
         "source language in use, to Dutch. Use English instead?" +
             no,
         "", "English | Dutch|03"},
        {"", false, "",
         "The list names no languages: its rows are applied from English to German, the "
         "languages in use.",
         "English |German |02"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lang + (c.yes ? " Yes" : " No"));
        st = before;
        ui = FakeUi{};
        ui.answers = {c.yes};
        const bool applied = c.question.empty() || c.yes;
        EXPECT_EQ(load("l.lst",
                       (c.lang.empty() ? "" : c.lang + "\r\n") + crlf({"[polygons]", "Lake#See"})),
                  applied);
        EXPECT_EQ(ui.questions, c.question.empty() ? Strings{} : Strings{c.question});
        EXPECT_EQ(ui.messages, c.message.empty() ? Strings{} : Strings{c.message});
        EXPECT_EQ(texts(st, kPolygons) + (st.changed ? "+" : ""), applied ? "See+" : "");
        EXPECT_EQ(st.win.language_caption[0] + "|" + st.win.language_caption[1] + "|" +
                      st.target_code,
                  c.languages);
    }
}

TEST_F(Lists, WhatIsNoListLeavesTheRowsAsTheyWere) {
    fill_pane(st, kPolygons, "Lake=Meer");
    const std::string typ = dir.write("map.txt", typ_header() + polygon("Lake"));
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, // cancelled
        {dir.file("none.lst"), dir.file("none.lst") + " doesn't exist"},
        {typ, typ + " is not a list: it has no [polygons], [lines] or [pois] line."},
    };
    for (const auto& [file, message] : cases) {
        ui = FakeUi{};
        ui.files = {file};
        EXPECT_FALSE(open_list(st, ui));
        EXPECT_EQ(ui.messages, message.empty() ? Strings{} : Strings{message});
        EXPECT_EQ(captions(st, kPolygons) + texts(st, kPolygons), "LakeMeer");
    }
    st.changed = true;
    ui.answers = {true}; // save first: no dialog
    run_action(st, ui, ActionId::kOpenList);
    EXPECT_EQ(ui.questions, Strings{"Changes not saved. Save Changes?"});
}

TEST_F(Lists, OpenOntoADocumentSaysWhereRowsAndElementsDoNotPairUp) {
    ASSERT_TRUE(open("map.txt", typ_header() + polygon("Lake") + polygon("Wood") +
                                    polygon("Marsh") + polygon("Dune") + polygon("Heath")));
    const std::string uneven =
        crlf({"[lang]English ,Dutch ", "[polygons]", "Lake#Meer", "[lines]", "Road#Weg"});
    EXPECT_FALSE(load("uneven.lst", uneven)); // No
    EXPECT_EQ(ui.questions,
              Strings{"The list has 1 polygon rows, the document 5 polygon elements: saving would "
                      "put translations under the wrong elements.\nThe list has 1 line rows, the "
                      "document 0 line elements: saving would put translations under the wrong "
                      "elements.\nOpen the list anyway?"});
    EXPECT_EQ(captions(st, kPolygons) + st.target_code, "Lake|Wood|Marsh|Dune|Heath02");
    EXPECT_FALSE(st.changed);

    ui = FakeUi{};
    ASSERT_TRUE(load("other.lst", crlf({"[polygons]", "Lake#Meer", "Wod#Bos", "Mar#Moeras",
                                        "Dun#Duin", "Heat#Heide"})));
    EXPECT_EQ(ui.messages,
              (Strings{"The list names no languages: its rows are applied from English to Dutch, "
                       "the languages in use.",
                       "4 list rows differ from the source label of the element it will be saved "
                       "into:\npolygon row 2: \"Wod\" goes into the element labelled \"Wood\"\n"
                       "polygon row 3: \"Mar\" goes into the element labelled \"Marsh\"\n"
                       "polygon row 4: \"Dun\" goes into the element labelled \"Dune\"\n..."}));
    EXPECT_EQ(texts(st, kPolygons), "Meer|Bos|Moeras|Duin|Heide");
    // A list row whose text the element's row did not show is written by the next save, even
    // where it equals the element's source label.
    EXPECT_TRUE(st.rows(kPolygons)[0].changed_since_built());
    // The document stays the current file; its rows hold what it does not have yet.
    EXPECT_TRUE(!st.list_loaded && st.changed);
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 map+");

    ui = FakeUi{};
    ui.answers = {true}; // go on despite the counts
    ASSERT_TRUE(load("uneven.lst", uneven));
    EXPECT_EQ(captions(st, kPolygons) + "/" + captions(st, kLines), "Lake/Road");
}

// What Open List and Save List did, as a caller that does not read the messages learns it: the
// kind, the rows, the rows to look at again and the reason; the ids of what they said and asked.
TEST_F(Lists, OpenAndSaveTellWhatTheyDid) {
    using K = Outcome::Kind;
    ASSERT_TRUE(open("map.txt", typ_header() + polygon("Lake") + polygon("Wood")));
    const State opened = st;
    struct Case {
        std::string name, text; // the list file ("" chooses none)
        bool yes;
        K kind;
        int count, doubtful;
        std::vector<MessageId> said;
        std::vector<QuestionId> asked;
    };
    using enum MessageId;
    using enum QuestionId;
    const Case cases[] = {
        {"", "", true, K::kCancelled, 0, 0, {}, {}},
        {"no.lst", crlf({"Lake#Meer"}), true, K::kFailed, 0, 0, {kNotAList}, {}},
        {"short.lst",
         crlf({"[polygons]", "Lake#Meer"}),
         false,
         K::kCancelled,
         0,
         0,
         {},
         {kListCountsDiffer}},
        {"vulcan.lst",
         crlf({"[lang]English ,Vulcan", "[polygons]", "Lake#Meer", "Wood#Bos"}),
         false,
         K::kCancelled,
         0,
         0,
         {},
         {kListLanguageUnknown}},
        {"other.lst",
         crlf({"[lang]English ,Dutch ", "[polygons]", "Lake#Meer", "Wod#Bos"}),
         false,
         K::kDone,
         2,
         1,
         {kListRowsDiffer},
         {}},
        {"bare.lst",
         crlf({"[polygons]", "Lake#Meer", "Wood#Bos"}),
         false,
         K::kDone,
         2,
         0,
         {kListNamesNoLanguage},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        st = opened;
        ui = FakeUi{};
        ui.answers = {c.yes};
        ui.files = {c.name.empty() ? "" : dir.write(c.name, c.text)};
        const Outcome outcome = open_list(st, ui);
        EXPECT_EQ(int(outcome.kind), int(c.kind));
        EXPECT_EQ(outcome.count, c.count);
        EXPECT_EQ(outcome.doubtful, c.doubtful);
        EXPECT_EQ(outcome.reason, c.kind == K::kFailed ? ui.messages.at(0) : "");
        EXPECT_EQ(ui.messageIds, c.said);
        EXPECT_EQ(ui.questionIds, c.asked);
    }

    // Save List: No to replacing the file is a cancel, a failed write a failure with its reason.
    st = opened;
    const std::string path = dir.write("out.lst", "the old list");
    FullDisk full;
    for (const bool yes : {false, true}) {
        ui = FakeUi{};
        ui.answers = {yes};
        ui.files = {path};
        st.file_writer = yes ? &full : nullptr;
        const Outcome outcome = save_list(st, ui);
        EXPECT_EQ(int(outcome.kind), int(yes ? K::kFailed : K::kCancelled));
        EXPECT_EQ(outcome.reason, yes ? ui.messages.at(0) : "");
        EXPECT_EQ(ui.questionIds, std::vector{kReplaceFile});
        EXPECT_EQ(ui.messageIds, yes ? std::vector{kSaveFailed} : std::vector<MessageId>{});
    }
    st.file_writer = nullptr;
    // A link chosen (planted in a shared folder, say): the question names what it replaces.
    const std::string link = dir.file("shared.lst");
    std::filesystem::create_symlink(path, link);
    ui = FakeUi{};
    ui.answers = {false};
    ui.files = {link};
    EXPECT_EQ(int(save_list(st, ui).kind), int(K::kCancelled));
    EXPECT_EQ(ui.questions, Strings{link + " is a link to " + path + ". Replace " + path + "?"});
    ui = FakeUi{};
    ui.answers = {true};
    ui.files = {path};
    const Outcome saved = save_list(st, ui);
    EXPECT_EQ(int(saved.kind), int(K::kDone));
    EXPECT_EQ(saved.count, 2);
    EXPECT_EQ(ui.messageIds, std::vector{kListSaved});
}

// A list applied to the document it came from changes nothing; a row whose text differs goes into
// its own label line only, whatever languages were in use before the list named its own.
TEST_F(Lists, OnlyTheRowsAListChangesAreSavedEachIntoItsOwnLine) {
    const std::string doc =
        typ_header() + typ_element("[_polygon]", {"Type=0x3c", "String1=0x03,meer"}) + "\r\n" +
        typ_element("[_point]", {"Type=0x2d", "String1=0x03,schouwburg", "String2=0x04,theatre",
                                 "String3=0x04,Theater"}) +
        "\r\n" +
        typ_element("[_point]", {"Type=0x2e", "String1=0x03,winkel", "String2=0x04,convenience",
                                 "String=0x04,"}) +
        "\r\n" +
        typ_element("[_point]", {"Type=0x2f", "String1=0x03,kerk", "String2=0x04, Church|x "}) +
        "\r\n";
    const std::string path = dir.write("map.txt", doc);
    struct Case {
        Strings rows; // polygons, then points
        std::string saved;
        bool changed;
    };
    const Case cases[] = {
        {{"meer#", "schouwburg#theatre", "winkel#convenience", "kerk#Churchx"}, doc, false},
        {{"meer#lake", "schouwburg#playhouse", "winkel#", "kerk#Churchx"},
         replace_all(replace_all(replace_all(doc, "String1=0x03,meer\r\n",
                                             "String1=0x03,meer\r\nString2=0x04,lake\r\n"),
                                 "0x04,theatre", "0x04,playhouse"),
                     "0x04,convenience", "0x04,"),
         true},
    };
    for (const Case& c : cases) {
        ui = FakeUi{};
        SetUp(); // English to German
        std::string p = path;
        ASSERT_TRUE(open_document(st, ui, p));
        ASSERT_TRUE(load("map.lst", crlf({"[lang]Dutch ,English ", "[polygons]", c.rows[0],
                                          "[lines]", "[pois]", c.rows[1], c.rows[2], c.rows[3]})));
        EXPECT_TRUE(ui.messages.empty() && ui.questions.empty());
        EXPECT_EQ(st.changed, c.changed);
        std::string out = dir.file("out.txt");
        ASSERT_TRUE(save_document(st, ui, out));
        EXPECT_EQ(TempDir::read(out), c.saved);
    }
}

// Every code page of the table: a document's rows saved as a list and opened again, without and
// with the document, are the same rows, bytes, statuses and captions.
TEST_F(Lists, SaveThenOpenGivesTheSameRowsInEveryCodePage) {
    const std::pair<const char*, const char*> samples[] = {
        {"28", "กรุงเทพ"}, {"25", "東京タワー"},  {"26", "北京"},    {"24", "서울"},
        {"27", "臺北"},   {"12", "Řeka Kraków"}, {"19", "Москва"},  {"03", "Café ÿ"},
        {"17", "Αθήνα"},  {"16", "İstanbul"},    {"00", "ירושלים"}, {"29", "القاهرة"},
        {"1b", "Rīga"}};
    std::set<int> covered;
    for (const auto& [code, utf8] : samples) {
        SCOPED_TRACE(code);
        covered.insert(codepage_for_code(code));
        const std::string word = encode(QString::fromUtf8(utf8), codepage_for_code(code));
        ASSERT_EQ(word.find('?'), std::string::npos);
        std::string doc = typ_header();
        for (int i = 0; i < 66; ++i) { // 22 of each kind: more than the permanent rows
            const std::string n = std::to_string(i);
            // Some targets equal their source, some are suspect.
            const std::string target = i % 7 == 0 ? "Name " + n : word + (i % 11 == 1 ? "?" : n);
            doc += typ_element(
                kSectionMarker[std::size_t(i % 3)],
                {"String1=0x04,Name " + n, "String2=0x" + std::string(code) + "," + target});
        }
        set_defaults(st, dir.str());
        st.row_target_code = st.target_code = code;
        // The caption of its language; a code the table lacks is the custom language.
        std::string caption = "Custom";
        for (const LanguageEntry& e : kLanguages)
            if (e.code == std::string(code)) caption = e.item;
        if (caption == "Custom") st.kept.custom_code = code;
        st.win.language_caption = {"English ", caption};
        ASSERT_TRUE(open("map.txt", doc));
        const State before = st;
        const std::string list = dir.file("map" + std::string(code) + ".lst");
        ASSERT_TRUE(save_to(list));
        auto rows = [](const State& s) {
            std::string out = s.win.language_caption[0] + s.win.language_caption[1];
            for (const Kind kind : kAllKinds)
                out += captions(s, kind) + texts(s, kind) + statuses(s, kind);
            return out;
        };
        for (bool withDocument : {false, true}) {
            if (!withDocument) set_defaults(st, dir.str());
            ui = FakeUi{};
            ASSERT_TRUE(load("map.lst", TempDir::read(list)) && ui.messages.empty() &&
                        ui.questions.empty());
            EXPECT_EQ(rows(st), rows(before));
            st = before;
        }
    }
    EXPECT_EQ(covered.size(), std::size(kCodePages));
}

} // namespace lex
