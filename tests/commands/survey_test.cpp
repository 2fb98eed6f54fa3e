#include "commands/clear_translations.h"
#include "commands/survey.h"
#include "support/fixtures.h"

namespace lex {

using namespace lex::test;

namespace {

std::string polygon(std::initializer_list<std::string> lines) {
    return typ_element("[_polygon]", lines);
}

} // namespace

TEST(Survey, ListsTheLanguagesOfTheLabelLinesInCodeOrder) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        // Names by code, in code order; a code without a name as its number.
        {polygon({"String1=0x04,Lake", "String2=0x03,Meer"}) + polygon({"String1=0x09,x"}),
         "Dutch,English,0x09,"},
        {polygon({"Type=0x01", "Xpm=\"0 0 1 0\""}), "No labels found"},
        // Codes above 0x2F and codes not written with two digits are no languages here.
        {polygon({"String1=0x30,a", "String2=0x50,b", "String3=0x4,c", "String4=0x004,d"}),
         "No labels found"},
        // Codes in either case; blanks before the key; "0X".
        {polygon({"String1=0x0a,x", "  string2=0X1C,y"}), "0x0A,0x1C,"},
        // A Type line with a comma names no language, in either letter case ...
        {"[_drawOrder]\r\nType=0x0a,1\r\nType=0x19,2\r\n[end]\r\n", "No labels found"},
        // ... and hides only the labels of its code before it, in its own element.
        {polygon({"String1=0x04,Lake"}) + polygon({"String1=0x02,Vor", "Type=0x02,",
                                                   "String2=0x01,Lac"}) +
             polygon({"String1=0x12,Jezero", "Type=0x12,", "String2=0x12,Jezero"}),
         "French,English,Czech,"},
        {polygon({"String1=0x04,Lake", "Type=0x04,1"}), "No labels found"},
        // Commented lines and commented-out elements hold no labels; "[end]" in a label
        // does not end the element.
        {polygon({";String1=0x19,Ozero", "String2=0x04,Back [end] erei"}) +
             ";[_polygon]\r\n;String1=0x17,Limni\r\n;[end]\r\n", "English,"},
        // Labels outside the element kinds and in a last element without "[end]" count too.
        {"[_icons]\r\nString1=0x05,Lago\r\n[end]\r\n[_point]\r\nString1=0x15,Jezioro", "Italian,Polish,"},
    };
    // clang-format on
    for (const auto& [body, expected] : cases)
        EXPECT_EQ(language_list_text(languages_in_document(typ_header() + body)), expected) << body;
}

TEST(Survey, CountsTheLabelsOfEachLanguageOverEverySection) {
    // Several languages in every kind of section; a Type line hides only its own section's
    // labels before it, a second label of a language in one element counts too.
    const std::string text =
        typ_header() + polygon({"String1=0x04,Lake", "String2=0x02,See", "String3=0x04,Pond"}) +
        typ_element("[_line]", {"String1=0x12,Cesta", "Type=0x12,", "String2=0x04,Road"}) +
        typ_element("[_point]", {"String1=0x02,Turm", "String2=0x12,Vez", "String3=0x04,Tower"}) +
        "[_drawOrder]\r\nType=0x02,1\r\n[end]\r\n" +
        polygon({"String1=0x02,Wald", "Type=0x02,", "String2=0x02,Forst", "String3=0x2F,x"}) +
        "[_icons]\r\nString1=0x05,Lago\r\n[end]\r\n[_point]\r\nString1=0x04,Inn";
    LanguageCounts want{};
    want[0x04] = 5;
    want[0x02] = 3;
    want[0x12] = 1;
    want[0x05] = 1;
    want[0x2F] = 1;
    EXPECT_EQ(labels_per_language(text), want);
    EXPECT_EQ(language_list_text(languages_in_document(text)),
              "German,English,Italian,Czech,0x2F,");
}

TEST_F(DocTest, SurveyAfterOpeningAFileWithoutSourceLabels) {
    ASSERT_TRUE(open("ru.txt", typ_header() + polygon({"String1=0x19,\xCE\xE7\xE5\xF0\xEE"}) +
                                   polygon({"String1=0x00,Egal"})));
    const Strings said{"No 0x04 Labels found", "Languages found:\r\n\r\n\r\nUnspecified,Russian,"};
    EXPECT_EQ(ui.messages, said);
    // The 0x00 switch does not make every language count.
    st.zero_fallback = true;
    language_survey(st, ui);
    EXPECT_EQ(ui.messages.back(), said[1]);
}

TEST_F(DocTest, ClearingEmptiesOnePaneAfterYes) {
    fill_pane(st, kPolygons, "Lake=See");
    fill_pane(st, kLines, "Road=?Strasse|Path=Path");
    st.row(kLines, 1).status = RowStatus::kSameAsSource;
    ui.answers = {false, true};
    clear_translations(st, ui, kLines); // No
    EXPECT_EQ(texts(st, kLines), "?Strasse|Path");
    clear_translations(st, ui, kLines); // Yes
    EXPECT_EQ(ui.questions.back(), "Clear current Lines translations?");
    EXPECT_EQ(texts(st, kLines) + statuses(st, kLines) + captions(st, kLines), "|WWRoad|Path");
    EXPECT_EQ(texts(st, kPolygons), "See");
    // Nothing clears while a translation run owns the rows.
    st.win.running = true;
    clear_translations(st, ui, kPolygons);
    EXPECT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(texts(st, kPolygons), "See");
}

} // namespace lex
