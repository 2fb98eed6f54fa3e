#include "document/lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace lex;

TEST(Lines, SplitsOnCrLfAndLfAndKeepsTheLastUnterminatedLine) {
    std::vector<std::string> seen;
    std::vector<std::size_t> at;
    for_each_line("a\r\nb\n\r\nlast", [&](std::string_view line, std::size_t offset) {
        seen.emplace_back(line);
        at.push_back(offset);
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "", "last"}));
    EXPECT_EQ(at, (std::vector<std::size_t>{0, 3, 5, 7}));
    EXPECT_EQ(line_at("x\r\nyz\r\n", 3), "yz");
}

TEST(Lines, CommentsAndMarkersAreWholeLines) {
    EXPECT_TRUE(is_comment_line(";[_point]"));
    EXPECT_TRUE(is_comment_line("  \t;String1=0x04,Old"));
    EXPECT_FALSE(is_comment_line("String1=0x04,a;b"));
    EXPECT_FALSE(is_comment_line(""));

    EXPECT_TRUE(is_marker_line("[end]", "[end]"));
    EXPECT_TRUE(is_marker_line("  [End] ", "[end]"));
    EXPECT_FALSE(is_marker_line(";[end]", "[end]"));
    EXPECT_FALSE(is_marker_line("String1=0x04,Back [end] erei", "[end]"));
    EXPECT_FALSE(is_marker_line("[end]x", "[end]"));
}

TEST(Lines, LabelLinesAreReadOnlyInTheirLanguagePosition) {
    auto label = parse_label_line("  string12=0x0A,Lake =0x04, Shore");
    ASSERT_TRUE(label);
    EXPECT_EQ(label->code, "0A");
    EXPECT_EQ(label->text, "Lake =0x04, Shore");
    EXPECT_EQ(label_language("String=0x04,"), 4);
    EXPECT_EQ(label_language("String1=0x0a,x"), 10);

    for (const char* no : {"Type=0x04,", ";String1=0x04,x", "String1=0x,x", "String1=0x04",
                           "String1=04,x", "SubType=0x04,", "Strings=0x04,x"})
        EXPECT_FALSE(parse_label_line(no)) << no;
}
