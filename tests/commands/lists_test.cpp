#include "commands/file_menu.h"
#include "commands/lists.h"
#include "document/codec.h"
#include "document/codepage.h"
#include "document/file_writer.h"
#include "document/files.h"
#include "document/list_file.h"
#include "document/text.h"
#include "support/fixtures.h"
#include "view/panes.h"

#include <set>

namespace lex {

using namespace lex::test;

namespace {

// The standard writer, failing as a full disk would.
class FullDisk : public FileWriter {
public:
    bool replace_file(const std::string&, std::string_view, std::string& why) override {
        why = "no space left on device";
        return false;
    }
    Date today() override { return {2026, 1, 2}; }
};

std::string polygon(const std::string& label, const std::string& target = "") {
    return typ_element("[_polygon]", {"Type=0x01", "String1=0x04," + label,
                                      target.empty() ? "" : "String2=0x03," + target});
}
std::string point(const std::string& label) {
    return typ_element("[_point]", {"Type=0x2f", "String1=0x04," + label});
}

} // namespace

class Lists : public DocTest {
protected:
    void SetUp() override {
        DocTest::SetUp();
        st.win.language_caption = {"English ", "Dutch "};
    }
    // Saves the list through the dialog to `name` in the test folder.
    bool save_as(const std::string& name) {
        ui.files.push_back(dir.file(name));
        return save_list(st, ui);
    }
    bool load(const std::string& name, const std::string& text) {
        ui.files.push_back(dir.write(name, text));
        return open_list(st, ui);
    }
};

TEST_F(Lists, SaveProposesANameFromTheDocumentAndLanguagesAndSaysWhereItSaved) {
    st.document_path = dir.file("mymap.old.txt");
    fill_pane(st, kPolygons, "Lake=Meer|Wood=");
    fill_pane(st, kPoints, "Well=Put");
    ASSERT_TRUE(save_as("chosen")); // no ".lst" given: it is added
    ASSERT_EQ(ui.requests.size(), 1u);
    const FileRequest& r = ui.requests[0];
    EXPECT_TRUE(r.save);
    EXPECT_EQ(r.title + "|" + r.proposed + "|" + r.folder,
              "Save File|mymap_En-Du.lst|" + dir.str());
    EXPECT_EQ(r.filter, std::string("List files (*.lst)\0*.lst\0", 25));
    EXPECT_EQ(ui.messages, Strings{"saved: " + dir.file("chosen.lst")});
    EXPECT_EQ(TempDir::read(dir.file("chosen.lst")),
              crlf({"[lang]English ,Dutch ", "[polygons]", "Lake#Meer", "Wood#", "", "[lines]", "",
                    "[pois]", "Well#Put", ""}));
    EXPECT_TRUE(ui.questions.empty());
}

TEST_F(Lists, AnExistingListIsReplacedOnlyOnYesAndWholeOrNotAtAll) {
    fill_pane(st, kPolygons, "Lake=Meer");
    const std::string path = dir.write("old.lst", "the old list");
    struct Case {
        const char* name;
        bool yes;
        FileWriter* writer;
        std::string content, message;
    };
    FullDisk full;
    const Case cases[] = {
        {"No", false, nullptr, "the old list", ""},
        {"Yes, the disk is full", true, &full, "the old list",
         "Could not save " + path + ": no space left on device. The file was left as it was."},
        {"Yes", true, nullptr, list_text(st), "saved: " + path},
    };
    for (const Case& c : cases) {
        ui = FakeUi{};
        ui.answers = {c.yes};
        st.file_writer = c.writer;
        ui.files = {path};
        EXPECT_EQ(save_list(st, ui), c.message.starts_with("saved")) << c.name;
        EXPECT_EQ(ui.questions, Strings{"File exists. Replace?"}) << c.name;
        EXPECT_EQ(ui.messages, c.message.empty() ? Strings{} : Strings{c.message}) << c.name;
        EXPECT_EQ(TempDir::read(path), c.content) << c.name;
    }
    // A folder that does not exist: said, and nothing is made.
    ui = FakeUi{};
    st.file_writer = nullptr;
    ui.files = {dir.file("gone/x.lst")};
    EXPECT_FALSE(save_list(st, ui));
    EXPECT_EQ(ui.messages, Strings{"Could not save " + dir.file("gone/x.lst") +
                                   ": the folder does not exist. The file was left as it was."});
}

TEST_F(Lists, RowsHoldingAHashAreNamedBeforeTheyAreSaved) {
    fill_pane(st, kPolygons, "Lake=Meer|Route #5=Weg 5");
    EXPECT_FALSE(save_as("hash.lst")); // No
    EXPECT_EQ(ui.questions, Strings{"1 row holds a \"#\", which the list puts between source and "
                                    "target text: it will not load back as it is (first: polygon "
                                    "row 2). Save the list anyway?"});
    EXPECT_TRUE(ui.requests.empty());
    EXPECT_FALSE(file_exists(dir.file("hash.lst")));
    ui.answers = {true};
    EXPECT_TRUE(save_list(st, ui));
    EXPECT_TRUE(file_exists(dir.file("hash.lst")));
}

TEST_F(Lists, OpenWithoutDocumentShowsTheListUnderItsOwnNameAndLanguages) {
    std::string text = crlf({"[lang]English ,Dutch ", "[polygons]"});
    for (int i = 0; i < 25; ++i)
        text += "P" + std::to_string(i) + "#T" + std::to_string(i) + "\r\n";
    text += crlf({"", "[lines]", "Road#Weg?", "Path#Path", "", "[pois]", ""});
    ASSERT_TRUE(load("my list.v2.lst", text));
    const FileRequest& r = ui.requests.at(0);
    EXPECT_EQ(r.title + "|" + r.proposed, "Open File|untitled_list");
    EXPECT_FALSE(r.save);
    EXPECT_TRUE(st.list_loaded);
    EXPECT_FALSE(st.changed);
    EXPECT_EQ(st.document_path, dir.file("my list.v2.lst"));
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 my list");
    EXPECT_EQ(st.win.count_caption,
              (std::array<std::string, 3>{"Polygons: 25", "Lines: 2", "Pois: 0"}));
    // Rows beyond the 21 permanent ones, the row states and the buttons as for a document.
    ASSERT_GE(st.pane(kPolygons).rows.size(), 25u);
    EXPECT_EQ(st.row(kPolygons, 24).caption + st.row(kPolygons, 24).text, "P24T24");
    EXPECT_EQ(colours(st, kLines), "RB");
    EXPECT_EQ(st.pane(kLines).check_errors_visible, true);
    EXPECT_EQ(st.pane(kPolygons).check_errors_visible, false);
    EXPECT_EQ(st.pane(kPolygons).panel, panel_height(25));
    EXPECT_EQ(st.pane(kPolygons).scroll, 0);
    // The captions are the list's; the languages they name are the ones in use.
    EXPECT_EQ(st.win.language_caption, (std::array<std::string, 2>{"English ", "Dutch "}));
    EXPECT_EQ(st.source_code + st.target_code + st.row_target_code, "040303");
    EXPECT_EQ(st.win.language_row[1], 3);
    EXPECT_TRUE(ui.messages.empty());

    // A shorter list afterwards leaves no rows of the longer one behind.
    ASSERT_TRUE(load("short.lst", crlf({"[lang]Russian,Unknown", "[polygons]", "A#B"})));
    EXPECT_EQ(captions(st, kPolygons) + texts(st, kPolygons), "AB");
    EXPECT_EQ(st.row_count(kLines), 0);
    EXPECT_EQ(st.win.language_caption, (std::array<std::string, 2>{"Russian", "Unknown"}));
    // "Russian" is not in the source list; "Unknown" is no language: both stay as they were.
    EXPECT_EQ(st.source_code + st.target_code, "0403");
}

TEST_F(Lists, WhatIsNoListLeavesTheRowsAsTheyWere) {
    fill_pane(st, kPolygons, "Lake=Meer");
    struct Case {
        const char* name;
        std::string file; // "" cancels the dialog
        std::string message;
    };
    const std::string typ = dir.write("map.txt", typ_header() + polygon("Lake"));
    const Case cases[] = {
        {"cancelled", "", ""},
        {"missing", dir.file("none.lst"), dir.file("none.lst") + " doesn't exist"},
        {"a TYP file", typ, typ + " is not a list: it has no [polygons], [lines] or [pois] line."},
    };
    for (const Case& c : cases) {
        ui = FakeUi{};
        ui.files = {c.file};
        EXPECT_FALSE(open_list(st, ui)) << c.name;
        EXPECT_EQ(ui.messages, c.message.empty() ? Strings{} : Strings{c.message}) << c.name;
        EXPECT_EQ(captions(st, kPolygons) + texts(st, kPolygons), "LakeMeer") << c.name;
        EXPECT_FALSE(st.list_loaded) << c.name;
    }
}

TEST_F(Lists, OpenOntoADocumentSaysWhereRowsAndElementsDoNotPairUp) {
    const std::string doc = typ_header() + polygon("Lake", "Meer") + polygon("Wood") +
                            polygon("Marsh") + polygon("Dune") + polygon("Heath") + point("Well");
    ASSERT_TRUE(open("map.txt", doc));
    const std::string path = st.document_path;

    // Counts differ: asked; No leaves everything as it was.
    const std::string uneven = crlf({"[lang]English ,Dutch ", "[polygons]", "Lake#Meer", "",
                                     "[lines]", "Road#Weg", "", "[pois]", "Well#Put"});
    EXPECT_FALSE(load("uneven.lst", uneven));
    EXPECT_EQ(ui.questions,
              Strings{"The list has 1 polygon rows, the document 5 polygon elements: saving would "
                      "put translations under the wrong elements.\nThe list has 1 line rows, the "
                      "document 0 line elements: saving would put translations under the wrong "
                      "elements.\nOpen the list anyway?"});
    EXPECT_EQ(captions(st, kPolygons), "Lake|Wood|Marsh|Dune|Heath");
    EXPECT_EQ(st.target_code, "02");
    EXPECT_FALSE(st.changed);

    // Counts agree, sources differ: the rows load and the first three differences are named.
    ui = FakeUi{};
    const std::string other =
        crlf({"[lang]English ,Dutch ", "[polygons]", "Lake#Meer", "Wod#Bos", "Mar#Moeras",
              "Dun#Duin", "Heat#Heide", "", "[pois]", "Well#Put"});
    ASSERT_TRUE(load("other.lst", other));
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(ui.messages,
              Strings{"4 list rows differ from the source label of the element it will be saved "
                      "into:\npolygon row 2: \"Wod\" goes into the element labelled \"Wood\"\n"
                      "polygon row 3: \"Mar\" goes into the element labelled \"Marsh\"\n"
                      "polygon row 4: \"Dun\" goes into the element labelled \"Dune\"\n..."});
    EXPECT_EQ(texts(st, kPolygons), "Meer|Bos|Moeras|Duin|Heide");
    // The document stays the current file; its rows now hold what it does not have yet.
    EXPECT_EQ(st.document_path, path);
    EXPECT_FALSE(st.list_loaded);
    EXPECT_TRUE(st.changed);
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 map+");
    EXPECT_EQ(st.row(kPolygons, 0).source_key, "=0x04,Lake");

    // Going on after the question: the rows load as the list has them.
    ui = FakeUi{};
    ui.answers = {true};
    st.changed = false;
    ASSERT_TRUE(load("uneven.lst", uneven));
    EXPECT_EQ(captions(st, kPolygons) + "/" + captions(st, kLines), "Lake/Road");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Lists, OpenListAsksAboutUnsavedChangesFirst) {
    st.changed = true;
    ui.answers = {true}; // Yes: the user saves first
    file_menu_item(st, ui, kOpenList);
    EXPECT_EQ(ui.questions, Strings{"Changes not saved. Save Changes?"});
    EXPECT_TRUE(ui.requests.empty());
}

// Every code page of the table: a document with labels in it, its rows saved as a list and
// opened again, without and with the document, gives the same rows and captions.
TEST_F(Lists, SaveThenOpenGivesTheSameRowsInEveryCodePage) {
    struct Sample {
        const char* code;
        const char* caption;
        const char* text; // UTF-8
    };
    const Sample samples[] = {
        {"28", "Thai ", "กรุงเทพ"},
        {"25", "Japanese ", "東京タワー"},
        {"26", "Chinese(Simplified) ", "北京"},
        {"24", "Korean", "서울"},
        {"27", "Chinese", "臺北"},
        {"12", "Czech ", "Řeka Kraków"},
        {"19", "Russian ", "Москва"},
        {"03", "Dutch ", "Café ÿ"},
        {"17", "Greek ", "Αθήνα"},
        {"16", "Turkish ", "İstanbul"},
        {"00", "Hebrew ", "ירושלים"},
        {"29", "Arabic ", "القاهرة"},
        {"1b", "Latvian ", "Rīga"},
    };
    std::set<int> covered;
    for (const Sample& s : samples) {
        SCOPED_TRACE(s.code);
        const int cp = codepage_for_code(s.code);
        covered.insert(cp);
        const std::string word = encode(QString::fromUtf8(s.text), cp);
        ASSERT_EQ(word.find('?'), std::string::npos);
        std::string doc = typ_header();
        for (int i = 0; i < 66; ++i) { // 22 of each kind: more than the permanent rows
            const std::string n = std::to_string(i);
            const std::string marker = kSectionMarker[std::size_t(i % 3)];
            // Some targets equal their source, some are suspect.
            const std::string target = i % 7 == 0    ? "Name " + n
                                       : i % 11 == 1 ? word + "?"
                                                     : word + (i % 5 ? " " + n : "");
            doc += typ_element(marker.c_str(), {"Type=0x01", "String1=0x04,Name " + n,
                                                "String2=0x" + std::string(s.code) + "," + target});
        }
        set_defaults(st, dir.str());
        st.row_target_code = st.target_code = s.code;
        st.win.language_caption = {"English ", s.caption};
        ui = FakeUi{};
        ASSERT_TRUE(open("map.txt", doc));
        const State before = st;
        const std::string list = "map" + std::string(s.code) + ".lst";
        ASSERT_TRUE(save_as(list));

        set_defaults(st, dir.str());
        ui.files = {dir.file(list)};
        ASSERT_TRUE(open_list(st, ui));
        for (int kind = 0; kind < kKinds; ++kind) {
            EXPECT_EQ(captions(st, kind), captions(before, kind));
            EXPECT_EQ(texts(st, kind), texts(before, kind));
            EXPECT_EQ(colours(st, kind), colours(before, kind));
        }
        EXPECT_EQ(st.win.language_caption, before.win.language_caption);

        st = before;
        ui.files = {dir.file(list)};
        ASSERT_TRUE(open_list(st, ui));
        EXPECT_EQ(ui.questions.size() + ui.messages.size(), 1u); // "saved: ", nothing else
        for (int kind = 0; kind < kKinds; ++kind) EXPECT_EQ(texts(st, kind), texts(before, kind));
    }
    EXPECT_EQ(covered.size(), std::size(kCodePages));
}

} // namespace lex
