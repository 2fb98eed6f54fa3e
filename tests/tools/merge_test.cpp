#include "document/merge.h"
#include "document/state.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace lex {

using test::crlf;

// Merges `text` for one kind with the given pair list (no rows behind it: the target texts are
// read from the list alone).
class Merge : public ::testing::Test {
protected:
    State st;
    void SetUp() override {
        st.source_code = "04";
        st.target_code = "09";
    }
    std::string run(int kind, const std::string& text, const std::string& pairs = {}) {
        st.pane(kind).pair_list = pairs;
        std::string out;
        merge_kind(st, kind, text, out);
        return out;
    }
    static std::string polygon(std::initializer_list<std::string> lines) {
        return "[_polygon]" + crlf({""}) + crlf(lines) + "[end]\r\n";
    }
};

TEST_F(Merge, NewTargetLineTakesTheFirstFreeNumber) {
    EXPECT_EQ(
        run(0, polygon({"Type=0x01", "String1=0x04,House"}), "House#Huis\r\n"),
        crlf({"[_polygon]", "Type=0x01", "String1=0x04,House", "String2=0x09,Huis", "[end]", ""}));
    EXPECT_EQ(run(0, polygon({"Type=0x01", "String1=0x04,House", "String2=0x01,Maison"}),
                  "House#Huis\r\n"),
              crlf({"[_polygon]", "Type=0x01", "String1=0x04,House", "String2=0x01,Maison",
                    "String3=0x09,Huis", "[end]", ""}));
    // A gap is filled; the new line still comes last.
    EXPECT_EQ(run(0, polygon({"Type=0x01", "String1=0x04,House", "String3=0x01,Maison"}),
                  "House#  Huis \r\n"),
              crlf({"[_polygon]", "Type=0x01", "String1=0x04,House", "String3=0x01,Maison",
                    "String2=0x09,  Huis ", "[end]", ""}));
}

TEST_F(Merge, ExistingTargetLineGetsTheRowText) {
    const std::string el = polygon({"Type=0x01", "String1=0x04,House", "String2=0x09,Hus"});
    auto with = [](const std::string& target) {
        return crlf({"[_polygon]", "Type=0x01", "String1=0x04,House", "String2=0x09," + target,
                     "[end]", ""});
    };
    EXPECT_EQ(run(0, el, "House#Huis\r\n"), with("Huis"));
    // A blank target empties the line, which stays.
    EXPECT_EQ(run(0, el, "House#\r\n"), with(""));
    EXPECT_EQ(run(0, el, "House#   \r\n"), with("   "));
    // Equal apart from outer blanks: the old text is kept as it was.
    EXPECT_EQ(
        run(0, polygon({"Type=0x01", "String1=0x04,House", "String2=0x09, Hus "}), "House#Hus\r\n"),
        with(" Hus "));
    // The row shows a label without its "|"; unchanged, the label keeps them.
    const std::string bars = polygon({"Type=0x01", "String1=0x04,House", "String2=0x09,Hu|s"});
    EXPECT_EQ(run(0, bars, "House#Hus\r\n"), with("Hu|s"));
    EXPECT_EQ(run(0, bars, "House#Huis\r\n"), with("Huis"));
}

TEST_F(Merge, LanguageCodesMatchInEitherCase) {
    // The rows find labels whatever the case of the code; the merge must agree, or the target
    // would be added a second time and the old one would still be the one shown.
    st.source_code = "0a";
    st.target_code = "1b";
    EXPECT_EQ(
        run(0, polygon({"Type=0x01", "String1=0x0A,Casa", "String2=0x1B,old"}), "Casa#new\r\n"),
        crlf({"[_polygon]", "Type=0x01", "String1=0x0A,Casa", "String2=0x1B,new", "[end]", ""}));
}

TEST_F(Merge, StringLinesMoveBelowTypeAndEmptyLinesGo) {
    EXPECT_EQ(run(0,
                  polygon({"", "String1=0x04,Lake", "Xpm=\"1 1 1 1\"", "", "Type=0x3c",
                           "String2=0x01,Lac", "FontStyle=Small", ""}),
                  "Lake#Meer\r\n"),
              crlf({"[_polygon]", "Xpm=\"1 1 1 1\"", "Type=0x3c", "String1=0x04,Lake",
                    "String2=0x01,Lac", "String3=0x09,Meer", "FontStyle=Small", "[end]", ""}));
}

TEST_F(Merge, LabelsOfAnElementWithoutTypeLineStayWhereTheyStood) {
    EXPECT_EQ(run(0, polygon({"Color=1", "String1=0x04,Lake", "Width=2"}), "Lake#Meer\r\n"),
              crlf({"[_polygon]", "Color=1", "String1=0x04,Lake", "String2=0x09,Meer", "Width=2",
                    "[end]", ""}));
}

TEST_F(Merge, OnlyTheFirstTypeLineGetsTheLabels) {
    EXPECT_EQ(run(0, polygon({"Type=0x01", "TypeExtra=1", "String1=0x04,A"}), "A#B\r\n"),
              crlf({"[_polygon]", "Type=0x01", "String1=0x04,A", "String2=0x09,B", "TypeExtra=1",
                    "[end]", ""}));
}

TEST_F(Merge, ElementWithoutStringLinesIsWrittenAsItIs) {
    const std::string plain = polygon({"Type=0x01", "", "Xpm=\"0 0 0 0\"", ""});
    EXPECT_EQ(run(0, plain + polygon({"Type=0x02", "String1=0x04,B"}), "B#Bee\r\n"),
              crlf({"[_polygon]", "Type=0x01", "", "Xpm=\"0 0 0 0\"", "", "[end]", "", "[_polygon]",
                    "Type=0x02", "String1=0x04,B", "String2=0x09,Bee", "[end]", ""}));
}

TEST_F(Merge, RowsPairWithTheElementsThatHaveASourceLabel) {
    const std::string text = polygon({"Type=0x01", "String1=0x04,A"}) +
                             polygon({"Type=0x02", "String1=0x01,French only"}) +
                             polygon({"Type=0x03", "String1=0x04,C"});
    const std::string out = run(0, text, "A#Ay\r\nC#Cee\r\n");
    EXPECT_NE(out.find("String1=0x04,A\r\nString2=0x09,Ay\r\n"), std::string::npos);
    EXPECT_NE(out.find("Type=0x02\r\nString1=0x01,French only\r\n[end]"), std::string::npos);
    EXPECT_NE(out.find("String1=0x04,C\r\nString2=0x09,Cee\r\n"), std::string::npos);

    // With "0x00" ticked an element with only a 0x00 label has a row too.
    st.win.zero_fallback = true;
    const std::string zero =
        polygon({"Type=0x01", "String1=0x00,Zed"}) + polygon({"Type=0x02", "String1=0x04,B"});
    const std::string out0 = run(0, zero, "Zed#Zet\r\nB#Bee\r\n");
    EXPECT_NE(out0.find("String1=0x00,Zed\r\nString2=0x09,Zet\r\n"), std::string::npos);
    EXPECT_NE(out0.find("String1=0x04,B\r\nString2=0x09,Bee\r\n"), std::string::npos);
}

TEST_F(Merge, ElementBeyondTheLastRowIsWrittenAsItIs) {
    const std::string second = polygon({"", "String1=0x04,B", "Type=0x02", ""});
    const std::string out = run(0, polygon({"Type=0x01", "String1=0x04,A"}) + second, "A#Ay\r\n");
    EXPECT_EQ(out, crlf({"[_polygon]", "Type=0x01", "String1=0x04,A", "String2=0x09,Ay", "[end]",
                         "", "[_polygon]", "", "String1=0x04,B", "Type=0x02", "", "[end]", ""}));
    // No pair list at all: nothing is merged and nothing is lost.
    EXPECT_EQ(run(0, second),
              crlf({"[_polygon]", "", "String1=0x04,B", "Type=0x02", "", "[end]", ""}));
}

TEST_F(Merge, TextsWithHashSignsSurviveWhenTheListComesFromTheRows) {
    st.row_count(kPolygons) = 1;
    st.row(0, 0).caption = "Gate #3";
    st.row(0, 0).text = "Tor #3";
    EXPECT_NE(run(0, polygon({"Type=0x01", "String1=0x04,Gate #3"}), "Gate #3#Tor #3\r\n")
                  .find("String2=0x09,Tor #3\r\n"),
              std::string::npos);
    // A list that is not the rows' own is read field by field.
    EXPECT_NE(run(0, polygon({"Type=0x01", "String1=0x04,Gate"}), "Gate#Tor#junk\r\n")
                  .find("String2=0x09,Tor\r\n"),
              std::string::npos);
}

TEST_F(Merge, AllFortySevenNumbersTaken) {
    std::vector<std::string> lines{"Type=0x01"};
    for (int n = 1; n <= 47; ++n)
        lines.push_back("String" + std::to_string(n) + "=0x" + (n == 1 ? "04" : "01") + ",x");
    std::string el = "[_polygon]\r\n";
    for (const auto& l : lines) el += l + "\r\n";
    el += "[end]\r\n";
    EXPECT_NE(run(0, el, "x#y\r\n").find("String47=0x01,x\r\nStringxx=0x09,y\r\n[end]"),
              std::string::npos);
}

TEST_F(Merge, LastElementWithoutEndIsClosed) {
    EXPECT_EQ(run(0, "[_polygon]\r\nType=0x01\r\nString1=0x04,A\r\n", "A#B\r\n"),
              crlf({"[_polygon]", "Type=0x01", "String1=0x04,A", "String2=0x09,B", "[end]", ""}));
}

TEST_F(Merge, KindZeroWritesTheOtherSectionsFirstAndOnce) {
    const std::string other = crlf({";generated by Stylora", "[_id]", "CodePage=1252", "[end]", "",
                                    "[_drawOrder]", "Type=0x01,1", "[end]"});
    const std::string line = "[_line]\r\nType=0x01\r\nString1=0x04,Road\r\n[end]\r\n";
    const std::string point = "[_point]\r\nType=0x01\r\nString1=0x04,Well\r\n[end]\r\n";
    const std::string text = other + polygon({"Type=0x01"}) + line + point;
    EXPECT_EQ(run(0, text), other + "\r\n" + "[_polygon]\r\nType=0x01\r\n[end]\r\n\r\n");
    EXPECT_EQ(run(1, text, "Road#Weg\r\n"),
              "[_line]\r\nType=0x01\r\nString1=0x04,Road\r\nString2=0x09,Weg\r\n[end]\r\n\r\n");
    EXPECT_EQ(run(2, text), point + "\r\n");

    // Without polygons the other sections are what comes before the first line or point.
    EXPECT_EQ(run(0, other + point + line), other + "\r\n");
    EXPECT_EQ(run(0, other + point), other + "\r\n");
    EXPECT_EQ(run(1, other + point), "");
}

TEST_F(Merge, CommentBeforeTheFirstElementOfAKindIsKept) {
    const std::string text = crlf({"[_id]", "CodePage=1252", "[end]", "", "[_polygon]", "Type=0x01",
                                   "[end]", "", ";the lines", "[_line]", "Type=0x02", "[end]"});
    EXPECT_EQ(run(1, text), crlf({";the lines", "[_line]", "Type=0x02", "[end]", ""}));
}

} // namespace lex
