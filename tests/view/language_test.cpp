#include "document/state.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"
#include "support/typ.h"
#include "view/language.h"

#include <gtest/gtest.h>

namespace lex {

using test::crlf;
using test::FakeUi;
using test::typ_element;
using test::typ_header;

class Language : public ::testing::Test {
protected:
    State st;
    FakeUi ui;
    const std::string warning =
        "Can only use 0x00 for this language. This may clash with language used for 0x00.";
    void SetUp() override {
        set_defaults(st, "/opt/lexmarin");
        st.tolang2 = "02";
        st.alltext = typ_header() +
                     typ_element("[_polygon]",
                                 crlf({"Type=0x01", "String1=0x04,Lake", "String2=0x02,See",
                                       "String3=0x19,\xCE\xE7\xE5\xF0\xEE", "String4=0x00,Agam"})) +
                     typ_element("[_polygon]",
                                 crlf({"Type=0x02", "String1=0x02,Wald", "String2=0x00,Yaar"}));
    }
    void pick(int list, int index) {
        st.win.list4[std::size_t(list)] = index;
        List4_MouseDown(st, ui, list);
    }
};

TEST_F(Language, PickingATargetStoresItAndRebuilds) {
    st.win.list4_visible = {false, true};
    pick(1, 16); // Russian
    EXPECT_EQ(st.tolang, "19");
    EXPECT_EQ(st.tolang2, "19");
    EXPECT_EQ(st.tocp, 1251);
    EXPECT_EQ(st.toindex, 16);
    EXPECT_EQ(st.win.label4[1], "Russian ");
    EXPECT_EQ(st.win.label5, "1251");
    EXPECT_EQ(st.win.list4_visible[1], false);
    ASSERT_EQ(st.npoly, 1);
    EXPECT_EQ(st.row(0, 0).text, "\xCE\xE7\xE5\xF0\xEE");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.questions.empty());
}

TEST_F(Language, PickingASourceStoresItAndRebuilds) {
    pick(0, 2); // German
    EXPECT_EQ(st.fromlang, "02");
    EXPECT_EQ(st.fromcp, 1252);
    EXPECT_EQ(st.win.label4[0], "German ");
    ASSERT_EQ(st.npoly, 2);
    EXPECT_EQ(st.row(0, 1).caption, "Wald");
    EXPECT_EQ(st.tolang, "02"); // the target is untouched
}

TEST_F(Language, UnsavedChangesAskFirst) {
    st.changed = true;
    ui.answers = {true}; // Yes: save first, nothing changes
    pick(1, 16);
    EXPECT_EQ(ui.questions, std::vector<std::string>{"Changes not saved. Save Changes?"});
    EXPECT_EQ(st.tolang, "02");
    EXPECT_TRUE(st.changed);
    EXPECT_EQ(st.npoly, 0);

    ui.answers = {false}; // No: the edits are dropped by the rebuild
    st.row(0, 0).text = "typed";
    pick(1, 16);
    EXPECT_EQ(st.tolang, "19");
    EXPECT_FALSE(st.changed);
    EXPECT_EQ(st.npoly, 1);
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 untitled");
}

TEST_F(Language, HebrewAndCustomWarnAndStillApply) {
    pick(1, 23);
    EXPECT_EQ(ui.messages, std::vector<std::string>{warning});
    EXPECT_EQ(st.tolang, "00");
    EXPECT_EQ(st.tocp, 1255);
    EXPECT_EQ(st.row(0, 0).text, "Agam");

    ui.messages.clear();
    st.custcode = "2c";
    st.custcp = 1251;
    pick(1, 24);
    EXPECT_EQ(ui.messages, std::vector<std::string>{warning});
    EXPECT_EQ(st.tolang, "2c");
    EXPECT_EQ(st.toindex, 24);
    EXPECT_EQ(st.tocp, 1251);
    EXPECT_EQ(st.win.label4[1], "Custom");
    EXPECT_EQ(st.win.label5, "1251");
}

TEST_F(Language, ALoadedListKeepsItsRows) {
    st.listloaded = true;
    st.npoly = 1;
    st.row(0, 0).caption = "From the list";
    pick(1, 16);
    EXPECT_EQ(st.tolang, "19");
    EXPECT_EQ(st.row(0, 0).caption, "From the list");
    EXPECT_EQ(st.npoly, 1);
}

TEST_F(Language, NoSelectionChangesNothing) {
    st.win.list4_visible = {true, false};
    pick(0, -1);
    pick(0, 13); // past the source list
    EXPECT_EQ(st.fromlang, "04");
    EXPECT_EQ(st.win.list4_visible[0], false);
    EXPECT_EQ(st.npoly, 0);
}

TEST_F(Language, ZeroSwitchNeedsASavedDocument) {
    st.changed = true;
    Check3_MouseUp(st, ui, true);
    EXPECT_FALSE(st.win.check3);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Please save first"});
    EXPECT_EQ(st.npoly, 0);

    st.changed = false;
    Check3_MouseUp(st, ui, true);
    EXPECT_TRUE(st.win.check3);
    ASSERT_EQ(st.npoly, 2); // the German-only polygon shows its 0x00 label
    EXPECT_EQ(st.row(0, 1).caption, "Yaar");
    Check3_MouseUp(st, ui, false);
    EXPECT_EQ(st.npoly, 1);
}

TEST_F(Language, DropButtonsToggleOneListAtATime) {
    p4_MouseDown(st, 0);
    EXPECT_EQ(st.win.list4_visible, (std::array<bool, 2>{true, false}));
    p4_MouseDown(st, 1);
    EXPECT_EQ(st.win.list4_visible, (std::array<bool, 2>{false, true}));
    p4_MouseDown(st, 1);
    EXPECT_EQ(st.win.list4_visible, (std::array<bool, 2>{false, false}));
}

TEST(LanguageLists, ItemTexts) {
    EXPECT_EQ(list_size(0), 13);
    EXPECT_EQ(list_size(1), 24);
    EXPECT_EQ(list_item_text(0, 12), "Finnish  ");
    EXPECT_EQ(list_item_text(0, 13), "");
    EXPECT_EQ(list_item_text(1, 23), "Hebrew ");
    EXPECT_EQ(list_item_text(1, 24), "Custom");
    EXPECT_EQ(list_item_text(0, 24), "");
}

} // namespace lex
