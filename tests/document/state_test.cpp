#include "app/window_state.h"
#include "document/state.h"
#include "document/text.h"
#include "support/fake_ui.h"

#include <gtest/gtest.h>

namespace lex {

TEST(State, DefaultsOfAFreshStart) {
    State st;
    set_defaults(st, "/opt/lexmarin");
    EXPECT_EQ(st.fromlang, "04");
    EXPECT_EQ(st.tolang, "02");
    EXPECT_EQ(st.toindex, 2);
    EXPECT_EQ(st.custcode, "00");
    EXPECT_FLOAT_EQ(st.version, 1.22f);
    EXPECT_EQ(st.hilite, rgb(230, 250, 255));
    EXPECT_EQ(st.fname, "/opt/lexmarin/untitled.txt");
    EXPECT_EQ(st.sysdir, "/opt/lexmarin/system");
    EXPECT_EQ(st.npoly + st.nline + st.npoi, 0);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(st.pane(k).rows.size(), 21u);
}

TEST(State, FtrimGivesTheNameBeforeTheFirstDot) {
    EXPECT_EQ(ftrim("/maps/city.north.txt"), "city");
    EXPECT_EQ(ftrim("city.txt"), "city");
    EXPECT_EQ(ftrim("/maps/v1.2/map"), "map");
    EXPECT_EQ(ftrim(""), "");
    EXPECT_EQ(ftrim("/maps/"), "");
}

TEST(State, FndatNeedsARow) {
    State st;
    test::FakeUi ui;
    EXPECT_FALSE(fndat(st, ui));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"No data."});
    st.npoi = 1;
    EXPECT_TRUE(fndat(st, ui));
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST(State, TitleShowsVersionNameAndChangeMark) {
    State st;
    test::FakeUi ui;
    cap(st, ui, "");
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 ");
    st.changed = true;
    st.npoly = 12;
    cap(st, ui, "/maps/city.north.txt");
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 city+");
    EXPECT_EQ(st.win.label2[0], "Polygons: 12");
    EXPECT_EQ(st.win.label2[1], "Lines: 0");
    EXPECT_EQ(st.win.label2[2], "Pois: 0");
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
