#include "support/doc_fixture.h"
#include "translate/languages.h"
#include "view/language.h"

namespace lex {

using test::typ_element;
using test::typ_header;
using Strings = std::vector<std::string>;

TEST(Languages, TableListsAndCodes) {
    for (const auto& e : kLanguages) { // the service key is the item's first three letters
        std::string key(e.item, 3);
        for (char& c : key) c = char(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(key, e.key) << e.item;
    }
    EXPECT_EQ(list_size(0), 13);
    EXPECT_EQ(list_size(1), 24);
    EXPECT_EQ(list_item_text(0, 12) + "|" + list_item_text(0, 13) + "|" + list_item_text(1, 24),
              "Finnish  ||Custom");

    State st;
    st.custcode = "2c";
    EXPECT_EQ(get_lang(st, 23) + get_lang(st, 24) + get_lang(st, 25) + get_lang(st, -1), "002c");
    for (int r = 0; r < 24; ++r) EXPECT_EQ(get_from(st, get_lang(st, r)), r) << r;
    EXPECT_EQ(get_from(st, "0F"), 0); // exact text comparison
    st.toindex = 24;
    EXPECT_EQ(get_from(st, "00"), 24);
    st.custgoog = "ga";
    for (auto [key, code] : {std::pair{"por", "pt-PT"}, {"cus", "ga"}, {"Eng", ""}, {"xyz", ""}})
        EXPECT_EQ(chklcode(st, key), code) << key;
}

class Language : public test::DocTest {
protected:
    const std::string warning =
        "Can only use 0x00 for this language. This may clash with language used for 0x00.";
    void SetUp() override {
        DocTest::SetUp();
        open("map.txt",
             typ_header() +
                 typ_element("[_polygon]",
                             {"Type=0x01", "String1=0x04,Lake", "String2=0x02,See",
                              "String3=0x19,\xCE\xE7\xE5\xF0\xEE", "String4=0x00,Agam"}) +
                 typ_element("[_polygon]", {"String1=0x02,Wald", "String2=0x00,Yaar"}));
    }
    void pick(int list, int index) {
        st.win.list4[std::size_t(list)] = index;
        List4_MouseDown(st, ui, list);
    }
};

TEST_F(Language, PickingALanguageStoresItAndRebuilds) {
    st.win.list4_visible = {false, true};
    pick(1, 16); // Russian
    EXPECT_EQ(st.tolang + st.tolang2, "1919");
    EXPECT_EQ(st.tocp, 1251);
    EXPECT_EQ(st.toindex, 16);
    EXPECT_EQ(st.win.label4[1], "Russian ");
    EXPECT_EQ(st.win.label5, "1251");
    EXPECT_FALSE(st.win.list4_visible[1]);
    EXPECT_EQ(test::texts(st, kPolygons), "\xCE\xE7\xE5\xF0\xEE");
    EXPECT_TRUE(ui.messages.empty() && ui.questions.empty());

    pick(0, 2); // German source; the target is untouched
    EXPECT_EQ(st.fromlang + st.tolang, "0219");
    EXPECT_EQ(st.fromcp, 1252);
    EXPECT_EQ(st.win.label4[0], "German ");
    EXPECT_EQ(test::captions(st, kPolygons), "See|Wald");

    // No entry, or one past the source list, changes nothing.
    st.win.list4_visible = {true, false};
    pick(0, -1);
    pick(0, 13);
    EXPECT_EQ(st.fromlang, "02");
    EXPECT_FALSE(st.win.list4_visible[0]);
}

TEST_F(Language, UnsavedChangesAskFirst) {
    st.changed = true;
    ui.answers = {true, false}; // Yes: save first, nothing changes; No: edits are dropped
    st.row(0, 0).text = "typed";
    pick(1, 16);
    EXPECT_EQ(ui.questions, Strings{"Changes not saved. Save Changes?"});
    EXPECT_EQ(st.tolang, "02");
    EXPECT_TRUE(st.changed);
    pick(1, 16);
    EXPECT_EQ(st.tolang, "19");
    EXPECT_FALSE(st.changed);
    EXPECT_EQ(st.row(0, 0).text, "\xCE\xE7\xE5\xF0\xEE");
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 map");
}

TEST_F(Language, HebrewAndCustomWarnAndStillApply) {
    pick(1, 23);
    EXPECT_EQ(st.tolang, "00");
    EXPECT_EQ(st.tocp, 1255);
    EXPECT_EQ(st.row(0, 0).text, "Agam");
    st.custcode = "2c";
    st.custcp = 1251;
    pick(1, 24);
    EXPECT_EQ(ui.messages, (Strings{warning, warning}));
    EXPECT_EQ(st.tolang, "2c");
    EXPECT_EQ(st.toindex, 24);
    EXPECT_EQ(st.tocp, 1251);
    EXPECT_EQ(st.win.label4[1] + st.win.label5, "Custom1251");
}

TEST_F(Language, DropButtonsToggleOneListAtATime) {
    for (auto [list, shown] : {std::pair{0, std::array{true, false}},
                               {1, std::array{false, true}},
                               {1, std::array{false, false}}}) {
        p4_MouseDown(st, list);
        EXPECT_EQ(st.win.list4_visible, shown);
    }
}

} // namespace lex
