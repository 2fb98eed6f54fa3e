#include "document/codec_qt.h"
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

} // namespace lex
