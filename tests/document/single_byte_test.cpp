#include "document/codec_qt.h"
#include "document/codepage.h"
#include "document/single_byte.h"

#include <gtest/gtest.h>

namespace lex {

// The tables say of every byte what Qt's converters say, a byte they decode to a C1 control or a
// private-use stand-in being one the code page does not define; UTF-8 text of every defined
// character comes back as its byte.
TEST(SingleByte, TablesAgreeWithTheConvertersAndUtf8ComesBackAsTheirBytes) {
    for (int cp : {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258}) {
        ASSERT_TRUE(has_byte_table(cp));
        for (int b = 0x80; b < 256; ++b) {
            const std::string byte(1, char(b));
            const QString shown = decode(byte, cp);
            const char32_t c = shown.size() == 1 ? shown[0].unicode() : 0;
            const bool undefined =
                c == 0 || (c >= 0x80 && c < 0xA0) || (c >= 0xE000 && c < 0xF900) || c == 0xFFFD;
            EXPECT_EQ(single_byte_char(cp, static_cast<unsigned char>(b)), undefined ? 0 : c)
                << cp << " byte " << b;
            EXPECT_EQ(defines_every_byte("a" + byte, cp), !undefined) << cp << " byte " << b;
            if (undefined) continue;
            const QByteArray utf8 = (QString("x") + shown).toUtf8();
            EXPECT_EQ(utf8_to_single_byte(utf8.toStdString(), cp), "x" + byte) << cp << " " << b;
        }
    }
    // Characters without a byte, broken UTF-8 and code pages without a table give nothing.
    EXPECT_EQ(utf8_to_single_byte("Ő", 1252), std::nullopt);
    EXPECT_EQ(utf8_to_single_byte("\xC3", 1252), std::nullopt);
    EXPECT_EQ(utf8_to_single_byte("abc", 936), std::nullopt);
    EXPECT_TRUE(defines_every_byte("\x81", 936));
}

} // namespace lex
