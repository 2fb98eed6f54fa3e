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
    EXPECT_EQ(language_code_at(st, 23), "00");
    EXPECT_EQ(language_code_at(st, 25), "");
    EXPECT_EQ(language_code_at(st, -1), "");
    st.custom_code = "2c";
    EXPECT_EQ(language_code_at(st, 24), "2c");
    st.target_index = 2;
    for (int r = 0; r < 24; ++r) EXPECT_EQ(language_row_of(st, language_code_at(st, r)), r) << r;
    EXPECT_EQ(language_row_of(st, "26"), 18);
    EXPECT_EQ(language_row_of(st, "28"), 20);
    EXPECT_EQ(language_row_of(st, "00"), 23);
    EXPECT_EQ(language_row_of(st, "2a"), 0);
    EXPECT_EQ(language_row_of(st, "0F"), 0); // exact text comparison
    st.target_index = 24;
    EXPECT_EQ(language_row_of(st, "00"), 24);
}

TEST(Languages, SurveyNames) {
    EXPECT_EQ(survey_language_name(0x0e), "Danish");
    EXPECT_EQ(survey_language_name(0x1b), "Latvian");
    EXPECT_EQ(survey_language_name(0x1f), "Lithuan");
    EXPECT_EQ(survey_language_name(0x00), "Unspecified");
    EXPECT_EQ(survey_language_name(0x0d), "0x0D");
    EXPECT_EQ(survey_language_name(42), "0x2A");
    EXPECT_EQ(survey_language_name(9), "0x09");
    EXPECT_EQ(survey_language_name(255), "0xFF");
}

TEST(Languages, FMatAndWebCodes) {
    EXPECT_EQ(two_digits("7"), "07");
    EXPECT_EQ(two_digits(""), "");
    EXPECT_EQ(two_digits("1C"), "1C");
    State st;
    st.custom_web_code = "ga";
    EXPECT_EQ(web_code_for(st, "eng"), "en");
    EXPECT_EQ(web_code_for(st, "por"), "pt-PT");
    EXPECT_EQ(web_code_for(st, "chi"), "zh-CN");
    EXPECT_EQ(web_code_for(st, "heb"), "iw");
    EXPECT_EQ(web_code_for(st, "cus"), "ga");
    EXPECT_EQ(web_code_for(st, "Eng"), "");
    EXPECT_EQ(web_code_for(st, "tha"), "");
    EXPECT_EQ(web_code_for(st, "xyz"), "");
}

} // namespace lex
