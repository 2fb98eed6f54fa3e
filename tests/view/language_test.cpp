#include "commands/language_choice.h"
#include "document/state.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"
#include "support/typ.h"
#include "translate/languages.h"

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
        st.row_target_code = "02";
        st.document =
            typ_header() +
            typ_element("[_polygon]",
                        crlf({"Type=0x01", "String1=0x04,Lake", "String2=0x02,See",
                              "String3=0x19,\xCE\xE7\xE5\xF0\xEE", "String4=0x00,Agam"})) +
            typ_element("[_polygon]",
                        crlf({"Type=0x02", "String1=0x02,Wald", "String2=0x00,Yaar"}));
    }
    void pick(int list, int index) { choose_language(st, ui, list, index); }
};

TEST_F(Language, PickingATargetStoresItAndRebuilds) {
    st.win.language_list_open = {false, true};
    pick(1, 16); // Russian
    EXPECT_EQ(st.target_code, "19");
    EXPECT_EQ(st.row_target_code, "19");
    EXPECT_EQ(st.target_codepage, 1251);
    EXPECT_EQ(st.target_index, 16);
    EXPECT_EQ(st.win.language_caption[1], "Russian ");
    EXPECT_EQ(st.win.codepage_caption, "1251");
    EXPECT_EQ(st.win.language_list_open[1], false);
    ASSERT_EQ(st.row_count(kPolygons), 1);
    EXPECT_EQ(st.row(0, 0).text, "\xCE\xE7\xE5\xF0\xEE");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.questions.empty());
}

TEST_F(Language, PickingASourceStoresItAndRebuilds) {
    pick(0, 2); // German
    EXPECT_EQ(st.source_code, "02");
    EXPECT_EQ(st.source_codepage, 1252);
    EXPECT_EQ(st.win.language_caption[0], "German ");
    ASSERT_EQ(st.row_count(kPolygons), 2);
    EXPECT_EQ(st.row(0, 1).caption, "Wald");
    EXPECT_EQ(st.target_code, "02"); // the target is untouched
}

TEST_F(Language, UnsavedChangesAskFirst) {
    st.changed = true;
    ui.answers = {true}; // Yes: save first, nothing changes
    pick(1, 16);
    EXPECT_EQ(ui.questions, std::vector<std::string>{"Changes not saved. Save Changes?"});
    EXPECT_EQ(st.target_code, "02");
    EXPECT_TRUE(st.changed);
    EXPECT_EQ(st.row_count(kPolygons), 0);

    ui.answers = {false}; // No: the edits are dropped by the rebuild
    st.row(0, 0).text = "typed";
    pick(1, 16);
    EXPECT_EQ(st.target_code, "19");
    EXPECT_FALSE(st.changed);
    EXPECT_EQ(st.row_count(kPolygons), 1);
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 untitled");
}

TEST_F(Language, HebrewAndCustomWarnAndStillApply) {
    pick(1, 23);
    EXPECT_EQ(ui.messages, std::vector<std::string>{warning});
    EXPECT_EQ(st.target_code, "00");
    EXPECT_EQ(st.target_codepage, 1255);
    EXPECT_EQ(st.row(0, 0).text, "Agam");

    ui.messages.clear();
    st.custom_code = "2c";
    st.custom_codepage = 1251;
    pick(1, 24);
    EXPECT_EQ(ui.messages, std::vector<std::string>{warning});
    EXPECT_EQ(st.target_code, "2c");
    EXPECT_EQ(st.target_index, 24);
    EXPECT_EQ(st.target_codepage, 1251);
    EXPECT_EQ(st.win.language_caption[1], "Custom");
    EXPECT_EQ(st.win.codepage_caption, "1251");
}

TEST_F(Language, ALoadedListKeepsItsRows) {
    st.list_loaded = true;
    st.row_count(kPolygons) = 1;
    st.row(0, 0).caption = "From the list";
    pick(1, 16);
    EXPECT_EQ(st.target_code, "19");
    EXPECT_EQ(st.row(0, 0).caption, "From the list");
    EXPECT_EQ(st.row_count(kPolygons), 1);
}

TEST_F(Language, NoSelectionChangesNothing) {
    st.win.language_list_open = {true, false};
    pick(0, -1);
    pick(0, 13); // past the source list
    EXPECT_EQ(st.source_code, "04");
    EXPECT_EQ(st.win.language_list_open[0], false);
    EXPECT_EQ(st.row_count(kPolygons), 0);
}

TEST_F(Language, ZeroSwitchNeedsASavedDocument) {
    st.changed = true;
    set_zero_fallback(st, ui, true);
    EXPECT_FALSE(st.win.zero_fallback);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Please save first"});
    EXPECT_EQ(st.row_count(kPolygons), 0);

    st.changed = false;
    set_zero_fallback(st, ui, true);
    EXPECT_TRUE(st.win.zero_fallback);
    ASSERT_EQ(st.row_count(kPolygons), 2); // the German-only polygon shows its 0x00 label
    EXPECT_EQ(st.row(0, 1).caption, "Yaar");
    set_zero_fallback(st, ui, false);
    EXPECT_EQ(st.row_count(kPolygons), 1);
}

TEST_F(Language, DropButtonsToggleOneListAtATime) {
    toggle_language_list(st, 0);
    EXPECT_EQ(st.win.language_list_open, (std::array<bool, 2>{true, false}));
    toggle_language_list(st, 1);
    EXPECT_EQ(st.win.language_list_open, (std::array<bool, 2>{false, true}));
    toggle_language_list(st, 1);
    EXPECT_EQ(st.win.language_list_open, (std::array<bool, 2>{false, false}));
}

TEST(LanguageLists, ItemTexts) {
    EXPECT_EQ(language_list_size(0), 13);
    EXPECT_EQ(language_list_size(1), 24);
    EXPECT_EQ(language_list_item(0, 12), "Finnish  ");
    EXPECT_EQ(language_list_item(0, 13), "");
    EXPECT_EQ(language_list_item(1, 23), "Hebrew ");
    EXPECT_EQ(language_list_item(1, 24), "Custom");
    EXPECT_EQ(language_list_item(0, 24), "");
}

} // namespace lex
