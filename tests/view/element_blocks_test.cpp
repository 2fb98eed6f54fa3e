#include "view/rows.h"

#include <gtest/gtest.h>

namespace lex {

TEST(ElementBlocks, EachBlockEndsAtItsOwnEnd) {
    const std::string text = "[_id]\r\n[end]\r\n"
                             "[_polygon]\r\nA\r\n[end]\r\n"
                             "[_line]\r\nB\r\n[end]\r\n"
                             "[_polygon]\r\nC\r\n[end]\r\n"
                             "[_point]\r\nD\r\n[end]\r\ntail";
    ElementBlocks b = element_blocks(text);
    ASSERT_EQ(b[0].size(), 2u);
    EXPECT_EQ(b[0][0], "\r\nA\r\n");
    EXPECT_EQ(b[0][1], "\r\nC\r\n");
    ASSERT_EQ(b[1].size(), 1u);
    EXPECT_EQ(b[1][0], "\r\nB\r\n");
    ASSERT_EQ(b[2].size(), 1u);
    EXPECT_EQ(b[2][0], "\r\nD\r\n");
}

// Interleaved kinds: a polygon's block never reaches into the line element after it, so a
// polygon without a source label cannot borrow the line's label.
TEST(ElementBlocks, ElementsWithoutEndRunToTheNextOfTheirKind) {
    const std::string text = "[_polygon]\r\nA\r\n[_line]\r\nB\r\n[end]\r\n[_polygon]\r\nC\r\n";
    ElementBlocks b = element_blocks(text);
    ASSERT_EQ(b[0].size(), 2u);
    EXPECT_EQ(b[0][0], "\r\nA\r\n[_line]\r\nB\r\n");
    EXPECT_EQ(b[0][1], "\r\nC\r\n");
    ASSERT_EQ(b[1].size(), 1u);
    EXPECT_EQ(b[1][0], "\r\nB\r\n");
    EXPECT_TRUE(element_blocks("").at(0).empty());
    EXPECT_TRUE(element_blocks("[end][_point").at(2).empty());
}

} // namespace lex

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

} // namespace

TEST(FindLabel, AgreesWithThePlainSearchOnRandomBlocks) {
    const char* parts[] = {"Type=0x04,",    "Type=0x1c,",   "ype=0x",  "=0x04,", "=0X04,", "=0x1C,",
                           "=0x1c,",        "=0x00,",       "String1", "Lake",   "\r\n",   "|",
                           "Type=0x00,",    "=0x0",         "x04,",    "=",      "0x04",   ",",
                           "=0x04,A|B\r\n", "            ", "\n"};
    unsigned s = 12345;
    auto next = [&] {
        s = s * 1103515245u + 12345u;
        return s >> 16;
    };
    for (int n = 0; n < 20000; ++n) {
        std::string block;
        const int len = int(next() % 14);
        for (int k = 0; k < len; ++k) block += parts[next() % std::size(parts)];
        for (const char* code : {"04", "1c", "1C", "00"})
            for (bool zero : {false, true})
                for (char side : {'S', 'T'})
                    ASSERT_EQ(find_label(block, code, side, zero),
                              reference_find_label(block, code, side, zero))
                        << "block: " << block << " code " << code;
    }
}

} // namespace lex
