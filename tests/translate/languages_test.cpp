#include "document/state.h"
#include "translate/languages.h"

#include <gtest/gtest.h>

namespace lex {

TEST(Languages, ListTextsKeepTheirBlanks) {
    EXPECT_STREQ(kLanguages[0].item, "English ");
    EXPECT_STREQ(kLanguages[5].item, "Spanish");
    EXPECT_STREQ(kLanguages[12].item, "Finnish  ");
    EXPECT_STREQ(kLanguages[18].item, "Chinese(Simplified) ");
    EXPECT_STREQ(kLanguages[23].item, "Hebrew ");
    for (const auto& e : kLanguages) {
        std::string key(e.item, 3);
        for (char& c : key) c = char(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(key, e.key) << e.item;
    }
}

TEST(Languages, GetLangAndGetFromAreInverse) {
    State st;
    EXPECT_EQ(get_lang(st, 23), "00");
    EXPECT_EQ(get_lang(st, 25), "");
    EXPECT_EQ(get_lang(st, -1), "");
    st.custcode = "2c";
    EXPECT_EQ(get_lang(st, 24), "2c");
    st.toindex = 2;
    for (int r = 0; r < 24; ++r) EXPECT_EQ(get_from(st, get_lang(st, r)), r) << r;
    EXPECT_EQ(get_from(st, "26"), 18);
    EXPECT_EQ(get_from(st, "28"), 20);
    EXPECT_EQ(get_from(st, "00"), 23);
    EXPECT_EQ(get_from(st, "2a"), 0);
    EXPECT_EQ(get_from(st, "0F"), 0); // exact text comparison
    st.toindex = 24;
    EXPECT_EQ(get_from(st, "00"), 24);
}

TEST(Languages, SurveyNames) {
    EXPECT_EQ(getlang_name(0x0e), "Danish");
    EXPECT_EQ(getlang_name(0x1b), "Latvian");
    EXPECT_EQ(getlang_name(0x1f), "Lithuan");
    EXPECT_EQ(getlang_name(0x00), "Unspecified");
    EXPECT_EQ(getlang_name(0x0d), "0x0D");
    EXPECT_EQ(getlang_name(42), "0x2A");
    EXPECT_EQ(getlang_name(9), "0x09");
    EXPECT_EQ(getlang_name(255), "0xFF");
}

TEST(Languages, FMatAndWebCodes) {
    EXPECT_EQ(f_mat("7"), "07");
    EXPECT_EQ(f_mat(""), "");
    EXPECT_EQ(f_mat("1C"), "1C");
    State st;
    st.custgoog = "ga";
    EXPECT_EQ(chklcode(st, "eng"), "en");
    EXPECT_EQ(chklcode(st, "por"), "pt-PT");
    EXPECT_EQ(chklcode(st, "chi"), "zh-CN");
    EXPECT_EQ(chklcode(st, "heb"), "iw");
    EXPECT_EQ(chklcode(st, "cus"), "ga");
    EXPECT_EQ(chklcode(st, "Eng"), "");
    EXPECT_EQ(chklcode(st, "tha"), "");
    EXPECT_EQ(chklcode(st, "xyz"), "");
}

} // namespace lex
