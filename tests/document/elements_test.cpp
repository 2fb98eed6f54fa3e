#include "document/elements.h"
#include "document/lines.h"
#include "support/fixtures.h"

namespace lex {

using namespace lex::test;

// A label is a line "StringN=0xLL,text": the key found elsewhere (a Type line, another label's
// text, a comment) is no label.
TEST(FindLabel, OnlyLabelLinesOfTheLanguageCount) {
    struct Case {
        const char* body;
        const char* code;
        const char* source; // find_label for the source, 0x00 fallback off and on
        const char* fallback;
    };
    // clang-format off
    const Case cases[] = {
        {"Type=0x04,\r\nString1=0x04,Name\r\n", "04", "=0x04,Name", "=0x04,Name"},
        {"String1=0x04,Before\r\nType=0x04,1\r\n", "04", "=0x04,Before", "=0x04,Before"},
        {";String1=0x04,Old\r\nString2=0x04,New\r\n", "04", "=0x04,New", "=0x04,New"},
        {"  ; String1=0x04,Old\r\n", "04", "", ""},
        {"String1=0x01,Lac =0x04,x\r\nSubType=0x04,\r\nLabel=0x04,y\r\n", "04", "", ""},
        {"String1=0x0A,Lago\r\n", "0a", "=0x0A,Lago", "=0x0A,Lago"},
        {"STRING1=0X04,Up\r\n", "04", "=0X04,Up", "=0X04,Up"},
        {"  String12=0x04,A|B|\r\n", "04", "=0x04,AB", "=0x04,AB"},
        {"String1=0x004,x\r\nString2=0x4,y\r\n", "04", "", ""},
        {"String1=0x\x10" "4,x\r\nString2=0x04,Lake\r\n", "04", "=0x04,Lake", "=0x04,Lake"},
        {"String1=0x04,First\r\nString2=0x04,Second", "04", "=0x04,First", "=0x04,First"},
        {"String1=0x04,Last line", "04", "=0x04,Last line", "=0x04,Last line"},
        {"String1=0x01,Fr\r\n;String2=0x00,No\r\nString3=0x00,Zed\r\n", "04", "", "=0x00,Zed"},
        {"String1=0x00,Zed\r\nString2=0x04,Own\r\n", "04", "=0x04,Own", "=0x04,Own"},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(find_label(c.body, c.code, 'S', false), c.source) << c.body;
        EXPECT_EQ(find_label(c.body, c.code, 'S', true), c.fallback) << c.body;
        EXPECT_EQ(find_label(c.body, c.code, 'T', true), c.source)
            << c.body; // targets never fall back
        // The rows find the source and the target label in one pass.
        const LabelKeys keys = find_label_keys(c.body, "01", c.code);
        std::string target;
        if (keys.target != std::string_view::npos) label_at(c.body, keys.target, target);
        EXPECT_EQ(target, c.source) << c.body;
    }
}

// The one-pass search of the rows finds the lines that reading the body line by line finds.
TEST(FindLabel, OnePassSearchAgreesWithReadingLineByLine) {
    const char* parts[] = {"String1=0x04,A",
                           "string=0X0a,",
                           ";String2=0x04,x",
                           "  String3=0x0A,",
                           "Type=0x04,",
                           "=0x04,",
                           "String1=",
                           "x",
                           "\r\n",
                           "\n",
                           " ",
                           "String1=0x1,=0x04,String1=0x0a,b"};
    constexpr std::size_t npos = std::string_view::npos;
    unsigned s = 99;
    auto next = [&] { return (s = s * 1103515245u + 12345u) >> 16; };
    for (int n = 0; n < 5000; ++n) {
        std::string body;
        for (unsigned k = next() % 12; k > 0; --k) body += parts[next() % std::size(parts)];
        LabelKeys plain;
        for_each_line(body, [&](std::string_view line, std::size_t at) {
            const auto label = parse_label_line(line);
            if (label && plain.source == npos && label_code_is(*label, "04")) plain.source = at;
            if (label && plain.target == npos && label_code_is(*label, "0a")) plain.target = at;
        });
        const LabelKeys keys = find_label_keys(body, "04", "0a");
        ASSERT_EQ(keys.source, plain.source) << body;
        ASSERT_EQ(keys.target, plain.target) << body;
    }
}

} // namespace lex
