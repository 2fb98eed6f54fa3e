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
