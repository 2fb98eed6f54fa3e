#include "document/codec.h"
#include "document/codepage.h"
#include "document/letter_case.h"

#include <gtest/gtest.h>

namespace lex {

// Each byte of every single-byte code page lowers as the code page's own Unicode mapping says.
TEST(LetterCase, SingleByteCodePagesLowerAsTheirUnicodeMappings) {
    for (int cp : kCodePages) {
        if (cp == 932 || cp == 936 || cp == 949 || cp == 950) continue;
        for (int b = 1; b < 256; ++b) {
            const std::string byte(1, char(b));
            const QString lower = decode(byte, cp).toLower();
            std::string expected = encode(lower, cp);
            if (expected.size() != 1 || (expected == "?" && b != '?')) expected = byte;
            if (cp == 1254 && b == 0xDD) expected = "i"; // dotted capital I
            EXPECT_EQ(lower_case(byte, cp), expected) << cp << " byte " << b;
        }
    }
}

TEST(LetterCase, DoubleByteCharactersStayWholeWhenLoweredAndSearched) {
    // 0x83 0x41 and 0x83 0x61 are single characters in Shift_JIS; 0x81 0x41 in GBK, Big5, 949.
    EXPECT_EQ(lower_case("AB\x83\x41Z\x83", 932), "ab\x83\x41z\x83");
    for (int cp : {936, 949, 950}) EXPECT_EQ(lower_case("\x81\x41\x41", cp), "\x81\x41\x61");
    EXPECT_EQ(find_characters("\x83\x61\x61", "a", 932), 2u);
    EXPECT_EQ(find_characters("\x83\x61", "a", 932), std::string_view::npos);
    EXPECT_EQ(find_characters("\x83\x61", "a", 1252), 1u);
}

} // namespace lex
