#include "document/state.h"
#include "document/text.h"
#include "support/fake_ui.h"
#include "view/window_state.h"

#include <gtest/gtest.h>

namespace lex {

TEST(State, DefaultsOfAFreshStart) {
    State st;
    set_defaults(st, "/opt/lexmarin");
    EXPECT_EQ(st.source_code, "04");
    EXPECT_EQ(st.target_code, "02");
    EXPECT_EQ(st.target_index, 2);
    EXPECT_EQ(st.custom_code, "00");
    EXPECT_FLOAT_EQ(st.version, 1.22f);
    EXPECT_EQ(st.highlight, rgb(230, 250, 255));
    EXPECT_EQ(st.document_path, "/opt/lexmarin/untitled.txt");
    EXPECT_EQ(st.backup_dir, "/opt/lexmarin/system");
    EXPECT_EQ(st.row_count(kPolygons) + st.row_count(kLines) + st.row_count(kPoints), 0);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(st.pane(k).rows.size(), 21u);
}

TEST(State, FtrimGivesTheNameBeforeTheFirstDot) {
    EXPECT_EQ(file_title("/maps/city.north.txt"), "city");
    EXPECT_EQ(file_title("city.txt"), "city");
    EXPECT_EQ(file_title("/maps/v1.2/map"), "map");
    EXPECT_EQ(file_title(""), "");
    EXPECT_EQ(file_title("/maps/"), "");
}

TEST(State, FndatNeedsARow) {
    State st;
    test::FakeUi ui;
    EXPECT_FALSE(require_rows(st, ui));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"No data."});
    st.row_count(kPoints) = 1;
    EXPECT_TRUE(require_rows(st, ui));
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST(State, TitleShowsVersionNameAndChangeMark) {
    State st;
    test::FakeUi ui;
    update_title(st, ui, "");
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 ");
    st.changed = true;
    st.row_count(kPolygons) = 12;
    update_title(st, ui, "/maps/city.north.txt");
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 city+");
    EXPECT_EQ(st.win.count_caption[0], "Polygons: 12");
    EXPECT_EQ(st.win.count_caption[1], "Lines: 0");
    EXPECT_EQ(st.win.count_caption[2], "Pois: 0");
}

TEST(Text, CaseInsensitiveSearchAndSplitting) {
    EXPECT_EQ(ifind("abc=0X1C,x", "=0x1c,"), 3u);
    EXPECT_EQ(ifind("abc", "abcd"), std::string_view::npos);
    EXPECT_EQ(ifind("aXbxc", "xc", 2), 3u);
    EXPECT_EQ(ifind("", ""), 0u);
    EXPECT_EQ(split("a[end]b[end]", "[end]").size(), 3u);
    EXPECT_EQ(replace_all("aaa", "a", "bb"), "bbbbbb");
    EXPECT_EQ(trim("  a b  "), "a b");
    EXPECT_EQ(trim("   "), "");
}

} // namespace lex
