#include "translate/webpage.h"

#include <gtest/gtest.h>

namespace lex {

TEST(Webpage, RequestDropsOneTrailingCommaAndCleansSymbols) {
    EXPECT_EQ(prepare_request("Hello, World,"), "Hello, World");
    EXPECT_EQ(prepare_request("a,,"), "a,");
    EXPECT_EQ(prepare_request("Road (main) / trail"), "Road  main    trail");
    EXPECT_EQ(prepare_request("5*"), "5");
    EXPECT_EQ(prepare_request("a_b\\c{d}[e]"), "a b c d  e ");
    EXPECT_EQ(prepare_request(""), "");
    EXPECT_EQ(prepare_request(","), "");
}

TEST(Webpage, ChksymbWritesItsArgumentBack) {
    std::string s = "x/y*";
    EXPECT_EQ(blank_symbols(s), "x y");
    EXPECT_EQ(s, "x y");
}

TEST(Webpage, UrlEncodesEveryReservedByteOfTheText) {
    EXPECT_EQ(percent_encode("a b&c#d+e%f=g?h"), "a%20b%26c%23d%2Be%25f%3Dg%3Fh");
    EXPECT_EQ(percent_encode("A-z_0.9~"), "A-z_0.9~");
    EXPECT_EQ(percent_encode("\xC3\xA9"), "%C3%A9");
    EXPECT_EQ(request_url("http://h/translate_t", "en|de", "Lake,River  small"),
              "http://h/translate_t?langpair=en%7Cde&text=Lake%2CRiver%20%20small");
    EXPECT_EQ(request_url("http://h/translate_t?hl=en", "en|de", "x"),
              "http://h/translate_t?hl=en&langpair=en%7Cde&text=x");
}

TEST(Webpage, ExtractionNeedsMarkerVarAndClosingTag) {
    const std::string good = "<script>TRANSLATED_TEXT='Hallo Welt';var x=1;</script>";
    EXPECT_EQ(extract_translation(good), "Hallo Welt");
    EXPECT_EQ(extract_translation("<s>translated_text='Rue';var a</s>"), "Rue");
    EXPECT_EQ(extract_translation("<s>TRANSLATED_TEXT='Rue';</s>"), "");      // no ";var"
    EXPECT_EQ(extract_translation("<s>TRANSLATED_TEXT='Rue';VAR a</s>"), ""); // exact case
    EXPECT_EQ(extract_translation("TRANSLATED_TEXT='Rue';var a"), "");        // no "</"
    EXPECT_EQ(extract_translation("<b>Rue;var</b>"), "");                     // no marker
    EXPECT_EQ(extract_translation(""), "");
    // The first ";var" ends the text, even inside it.
    EXPECT_EQ(extract_translation("TRANSLATED_TEXT='a;var b';var c</x>"), "a");
}

TEST(Webpage, QuotesAroundTheTextGoOnlyAtTheEnds) {
    EXPECT_EQ(extract_translation("TRANSLATED_TEXT='Rue';var</x>"), "Rue");
    EXPECT_EQ(extract_translation("TRANSLATED_TEXT=l'eau;var</x>"), "l'eau");
    EXPECT_EQ(extract_translation("TRANSLATED_TEXT=';var</x>"), "");
    EXPECT_EQ(extract_translation("TRANSLATED_TEXT='';var</x>"), "");
}

TEST(Webpage, ScriptEscapesAndEntities) {
    EXPECT_EQ(unescape_answer("a \\x26amp; b"), "a & b");
    EXPECT_EQ(unescape_answer("x\\x3dy"), "x=y");
    EXPECT_EQ(unescape_answer("a\\x26lt;b\\x26gt;c"), "a < b > c");
    EXPECT_EQ(unescape_answer("\\x26quot;q\\x26#39;"), "'q'");
    EXPECT_EQ(unescape_answer("caf&#233;"), "caf\xC3\xA9");
    EXPECT_EQ(unescape_answer("a &# b"), "a # b");
    EXPECT_EQ(unescape_answer("&#26085;&#26412;"), "\xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_EQ(unescape_answer("&#128512;"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(unescape_answer("&#65abc;x"), "Ax"); // leading digits only
    EXPECT_EQ(unescape_answer("plain"), "plain");
}

TEST(Webpage, NumbersThatAreNoCharacterBecomeTheReplacementCharacter) {
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(unescape_answer("&#55296;"), fffd);   // a surrogate
    EXPECT_EQ(unescape_answer("&#1114112;"), fffd); // beyond the last code point
    EXPECT_EQ(unescape_answer("&#99999999999999999999;"), fffd);
    EXPECT_EQ(unescape_answer("&#x41;"), std::string(1, '\0')); // no digits: character 0
}

TEST(Webpage, AnswerFromAPageLongerThanOneReadBuffer) {
    std::string filler(5000, 'x');
    std::string page = "<html>" + filler + "TRANSLATED_TEXT='See,Fluss klein,Wald\\x3d1';var y;" +
                       filler + "</html>";
    EXPECT_EQ(answer_from_page(page), "See,Fluss klein,Wald=1");
}

} // namespace lex
