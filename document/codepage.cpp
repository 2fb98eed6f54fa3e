#include "document/codepage.h"

namespace lex {

std::uint8_t lang_byte(const std::string& code) {
    unsigned value = 0;
    for (char c : code) {
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = unsigned(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = unsigned(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = unsigned(c - 'A' + 10);
        else
            return 0;
        value = ((value << 4) | digit) & 0xFFu;
    }
    return static_cast<std::uint8_t>(value);
}

int codepage_for_language(std::uint8_t code) {
    switch (code) {
    case 0x00:
        return 1255;
    case 0x11:
    case 0x12:
    case 0x13:
    case 0x14:
    case 0x15:
    case 0x18:
    case 0x1C:
    case 0x1D:
    case 0x1E:
        return 1250;
    case 0x17:
        return 1253;
    case 0x29:
        return 1256;
    case 0x19:
    case 0x20:
    case 0x21:
    case 0x22:
    case 0x2A:
    case 0x2B:
        return 1251;
    case 0x1A:
    case 0x1B:
    case 0x1F:
        return 1257;
    case 0x16:
        return 1254;
    case 0x24:
        return 949;
    case 0x25:
        return 932;
    case 0x26:
        return 936;
    case 0x27:
        return 950;
    case 0x28:
        return 874;
    default:
        return 1252;
    }
}

std::uint8_t charset_for_codepage(int codepage) {
    switch (codepage) {
    case 874:
        return 222;
    case 932:
        return 128;
    case 936:
        return 134;
    case 949:
        return 129;
    case 950:
        return 136;
    case 1250:
        return 238;
    case 1251:
        return 204;
    case 1253:
        return 161;
    case 1254:
        return 162;
    case 1255:
        return 177;
    case 1256:
        return 178;
    case 1257:
        return 186;
    case 1258:
        return 163;
    default:
        return 1;
    }
}

} // namespace lex
