#include "document/elements.h"

#include <gtest/gtest.h>

#include <cctype>

namespace lex {

namespace {

// The label search written the plain way: skip past the last "Type=0xLL," line, then look for
// the key case-insensitively. The one-pass search must agree with it on any block.
std::string reference_find_label(std::string_view block, const std::string& code, char side,
                                 bool zero) {
    auto lower = [](std::string s) {
        for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    std::size_t p = 0;
    const std::string typeKey = "ype=0x" + code + ",";
    for (std::size_t i = block.find(typeKey); i != std::string_view::npos;
         i = block.find(typeKey, p))
        p = i + 5;
    std::size_t j = lower(std::string(block)).find("=0x" + lower(code) + ",", p);
    if (j == std::string::npos) {
        if (!zero || side != 'S') return {};
        std::size_t i = block.find("ype=0x00,");
        if (i != std::string_view::npos) p = i + 5;
        j = block.find("=0x00,", p);
        if (j == std::string_view::npos) return {};
    }
    std::size_t end = block.find("\r\n", j);
    if (end == std::string_view::npos) return {};
    std::string out;
    for (char c : block.substr(j, end - j))
        if (c != '|' && c != '\r' && c != '\n') out += c;
    return out;
}

std::string label_or_none(std::string_view block, std::size_t at) {
    std::string out;
    if (at != std::string_view::npos) label_at(block, at, out);
    return out;
}

} // namespace

TEST(FindLabel, AgreesWithThePlainSearchOnRandomBlocks) {
    const char* parts[] = {"Type=0x04,", "Type=0x1c,", "ype=0x", "=0x04,",       "=0X04,",
                           "=0x1C,",     "=0x1c,",     "=0x00,", "String1",      "Lake",
                           "\r\n",       "|",          "=0x0",   "Type=0x00,",   "x04,",
                           "=",          "0x04",       ",",      "=0x04,A|B\r\n"};
    unsigned s = 12345;
    auto next = [&] {
        s = s * 1103515245u + 12345u;
        return s >> 16;
    };
    for (int n = 0; n < 20000; ++n) {
        std::string block;
        const int len = int(next() % 14);
        for (int k = 0; k < len; ++k) block += parts[next() % std::size(parts)];
        for (const char* code : {"04", "1c", "1C", "00"}) {
            for (bool zero : {false, true})
                for (char side : {'S', 'T'})
                    ASSERT_EQ(find_label(block, code, side, zero),
                              reference_find_label(block, code, side, zero))
                        << "block: " << block << " code " << code;
            // The rows find the source and the target key in one pass over the block.
            const LabelKeys keys = find_label_keys(block, "04", code);
            ASSERT_EQ(label_or_none(block, keys.source),
                      reference_find_label(block, "04", 'T', false));
            ASSERT_EQ(label_or_none(block, keys.target),
                      reference_find_label(block, code, 'T', false));
        }
    }
}

} // namespace lex
