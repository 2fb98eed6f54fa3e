#include "document/codec.h"
#include "document/codepage.h"

#include <gtest/gtest.h>

#include <QString>

namespace lex {

TEST(CodePage, LanguageCodeMapsToItsCodePage) {
    const std::pair<const char*, int> cases[] = {
        {"00", 1255}, {"11", 1250}, {"1c", 1250}, {"1C", 1250}, {"1e", 1250},
        {"17", 1253}, {"29", 1256}, {"19", 1251}, {"2B", 1251}, {"1a", 1257},
        {"1f", 1257}, {"16", 1254}, {"24", 949},  {"25", 932},  {"26", 936},
        {"27", 950},  {"28", 874},  {"04", 1252}, {"2C", 1252}, {"ff", 1252}};
    for (const auto& [code, cp] : cases) EXPECT_EQ(codepage_for_code(code), cp) << code;
}

// Every code page of the table shows a label of its language readably and stores typed text
// back as the same bytes.
TEST(Codec, EveryCodePageRoundTripsANonAsciiLabel) {
    const std::pair<int, const char16_t*> cases[] = {
        {874, u"ถนน"},           {932, u"東京タワー"},   {936, u"北京路"},
        {949, u"서울역"},        {950, u"臺北車站"},     {1250, u"Řeka Łaba"},
        {1251, u"Озеро Байкал"}, {1252, u"Café Müller"}, {1253, u"Λίμνη"},
        {1254, u"Göl İzmir"},    {1255, u"ים המלח"},     {1256, u"بحيرة"},
        {1257, u"Ežeras Rīga"},  {1258, u"Đôi Ơn Ư"}};
    for (const auto& [cp, utf16] : cases) {
        const QString text = QString::fromUtf16(utf16);
        const std::string bytes = encode(text, cp);
        EXPECT_EQ(bytes.find('?'), std::string::npos) << cp;
        EXPECT_NE(bytes, text.toStdString()) << cp; // really converted, not UTF-8
        EXPECT_EQ(decode(bytes, cp), text) << cp;
    }
}

TEST(Codec, KnownBytesAndMissingCharacters) {
    EXPECT_EQ(decode("\xCE\xE7\xE5\xF0\xEE", 1251), QString::fromUtf16(u"Озеро"));
    EXPECT_EQ(decode("\xD8\x65ka", 1250), QString::fromUtf16(u"Řeka"));
    EXPECT_EQ(decode("caf\xE9", 0), QString::fromUtf16(u"café")); // no language chosen yet
    EXPECT_EQ(encode(QString::fromUtf16(u"Озеро Lake"), 1252), "????? Lake");
    EXPECT_EQ(encode(QString::fromUtf16(u"a😀b"), 1251), "a?b");
}

} // namespace lex
