#include "document/lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace lex;

TEST(Lines, SplitsOnCrLfAndLfAndKeepsTheLastUnterminatedLine) {
    std::vector<std::string> seen;
    for_each_line("a\r\nb\n\r\nlast", [&](std::string_view line, std::size_t offset) {
        seen.push_back(std::string(line) + "@" + std::to_string(offset));
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"a@0", "b@3", "@5", "last@7"}));
    EXPECT_EQ(line_at("x\r\nyz\r\n", 3), "yz");
}

// Comments and markers are whole lines; a label line is read only in its language position.
TEST(Lines, CommentsMarkersAndLabelLines) {
    for (const char* comment : {";[_point]", "  \t;String1=0x04,Old"})
        EXPECT_TRUE(is_comment_line(comment));
    for (const char* line : {"String1=0x04,a;b", ""}) EXPECT_FALSE(is_comment_line(line));
    for (const char* end : {"[end]", "  [End] "}) EXPECT_TRUE(is_marker_line(end, "[end]"));
    for (const char* line : {";[end]", "String1=0x04,Back [end] erei", "[end]x"})
        EXPECT_FALSE(is_marker_line(line, "[end]")) << line;

    auto label = parse_label_line("  string12=0x0A,Lake =0x04, Shore");
    ASSERT_TRUE(label);
    EXPECT_EQ(std::string(label->code) + "|" + std::string(label->text), "0A|Lake =0x04, Shore");
    EXPECT_EQ(label_language("String=0x04,") + label_language("String1=0x0a,x"), 4 + 10);
    for (const char* no : {"Type=0x04,", ";String1=0x04,x", "String1=0x,x", "String1=0x04",
                           "String1=04,x", "SubType=0x04,", "Strings=0x04,x"})
        EXPECT_FALSE(parse_label_line(no)) << no;
}
