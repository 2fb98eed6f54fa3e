#include "document/codec.h"
#include "document/codepage.h"

#include <gtest/gtest.h>

#include <QString>

namespace lex {

TEST(CodePage, LanguageCodeMapsToItsCodePage) {
    struct Case {
        const char* code;
        int cp;
    };
    const Case cases[] = {{"00", 1255}, {"11", 1250}, {"12", 1250}, {"15", 1250}, {"1c", 1250},
                          {"1C", 1250}, {"1e", 1250}, {"17", 1253}, {"29", 1256}, {"19", 1251},
                          {"2a", 1251}, {"2B", 1251}, {"1a", 1257}, {"1f", 1257}, {"16", 1254},
                          {"24", 949},  {"25", 932},  {"26", 936},  {"27", 950},  {"28", 874},
                          {"04", 1252}, {"2C", 1252}, {"ff", 1252}};
    for (const auto& c : cases) EXPECT_EQ(codepage_for_code(c.code), c.cp) << c.code;
}

TEST(CodePage, CharacterSets) {
    EXPECT_EQ(charset_for_codepage(1255), 177);
    EXPECT_EQ(charset_for_codepage(1252), 1);
    EXPECT_EQ(charset_for_codepage(0), 1);
    EXPECT_EQ(charset_for_codepage(1258), 163);
    EXPECT_EQ(charset_for_codepage(874), 222);
    EXPECT_EQ(charset_for_codepage(1251), 204);
    EXPECT_EQ(charset_for_codepage(4242), 1);
}

TEST(CodePage, LanguageByteIgnoresSpellingAndRejectsJunk) {
    EXPECT_EQ(lang_byte("1c"), 0x1c);
    EXPECT_EQ(lang_byte("1C"), 0x1c);
    EXPECT_EQ(lang_byte("0f"), 0x0f);
    EXPECT_EQ(lang_byte("zz"), 0);
    EXPECT_EQ(lang_byte(""), 0);
}

// Every code page of the table shows a label of its language readably and stores typed text
// back as the same bytes.
TEST(Codec, EveryCodePageRoundTripsANonAsciiLabel) {
    struct Case {
        int cp;
        const char16_t* text;
    };
    const Case cases[] = {{874, u"ถนน"},           {932, u"東京タワー"},   {936, u"北京路"},
                          {949, u"서울역"},        {950, u"臺北車站"},     {1250, u"Řeka Łaba"},
                          {1251, u"Озеро Байкал"}, {1252, u"Café Müller"}, {1253, u"Λίμνη"},
                          {1254, u"Göl İzmir"},    {1255, u"ים המלח"},     {1256, u"بحيرة"},
                          {1257, u"Ežeras Rīga"},  {1258, u"Đôi Ơn Ư"}};
    for (const auto& c : cases) {
        QString text = QString::fromUtf16(c.text);
        std::string bytes = encode(text, c.cp);
        EXPECT_EQ(bytes.find('?'), std::string::npos) << c.cp;
        EXPECT_NE(bytes, text.toStdString()) << c.cp; // really converted, not UTF-8
        EXPECT_EQ(decode(bytes, c.cp), text) << c.cp;
    }
}

TEST(Codec, KnownBytesDecodeAsTheirCodePage) {
    EXPECT_EQ(decode("\xCE\xE7\xE5\xF0\xEE", 1251), QString::fromUtf16(u"Озеро"));
    EXPECT_EQ(decode("\xD8\x65ka", 1250), QString::fromUtf16(u"Řeka"));
    EXPECT_EQ(decode("caf\xE9", 1252), QString::fromUtf16(u"café"));
    EXPECT_EQ(decode("caf\xE9", 0), QString::fromUtf16(u"café")); // no language chosen yet
}

TEST(Codec, MissingCharactersBecomeQuestionMarks) {
    EXPECT_EQ(encode(QString::fromUtf16(u"Озеро Lake"), 1252), "????? Lake");
    EXPECT_EQ(encode(QString::fromUtf16(u"a😀b"), 1251), "a?b");
    EXPECT_EQ(encode(QString::fromUtf16(u"what?"), 1250), "what?");
    EXPECT_EQ(encode(QString(), 1251), "");
}

} // namespace lex
