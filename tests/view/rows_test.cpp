#include "document/state.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"
#include "support/typ.h"
#include "view/rows.h"

#include <gtest/gtest.h>

namespace lex {

using test::crlf;
using test::FakeUi;
using test::typ_element;
using test::typ_header;

TEST(FindLabel, SkipsTheTypeLineAndFindsTheStringAfterIt) {
    const std::string block = crlf({"Type=0x04,1", "String1=0x04,Name"});
    EXPECT_EQ(find_label(block, "04", 'S', false), "=0x04,Name");
    // A Type line alone is no label.
    EXPECT_EQ(find_label(crlf({"Type=0x04,3", "String1=0x02,Hallo"}), "04", 'S', false), "");
    // Only labels after the last Type line count.
    EXPECT_EQ(find_label(crlf({"String1=0x04,Before", "Type=0x04,1"}), "04", 'S', false), "");
}

TEST(FindLabel, CodesMatchInEitherCase) {
    const std::string block = crlf({"Type=0x01", "String1=0x0A,Upper", "String2=0x1c,Lower"});
    EXPECT_EQ(find_label(block, "0a", 'S', false), "=0x0A,Upper");
    EXPECT_EQ(find_label(block, "0A", 'T', false), "=0x0A,Upper");
    EXPECT_EQ(find_label(block, "1C", 'T', false), "=0x1c,Lower");
}

TEST(FindLabel, FallsBackToZeroOnlyForTheSourceWhenAsked) {
    const std::string block = crlf({"Type=0x01", "String1=0x02,Wald", "String2=0x00,Bosque"});
    EXPECT_EQ(find_label(block, "04", 'S', true), "=0x00,Bosque");
    EXPECT_EQ(find_label(block, "04", 'S', false), "");
    EXPECT_EQ(find_label(block, "04", 'T', true), "");
    // A real label wins over the fallback.
    EXPECT_EQ(find_label(block + "String3=0x04,Wood\r\n", "04", 'S', true), "=0x04,Wood");
    // The fallback skips a "Type=0x00," line too.
    EXPECT_EQ(find_label(crlf({"Type=0x00,5", "String1=0x00,Zero"}), "04", 'S', true),
              "=0x00,Zero");
    EXPECT_EQ(find_label(crlf({"Type=0x00,5"}), "04", 'S', true), "");
}

TEST(FindLabel, CutsAtTheLineEndAndDropsBars) {
    EXPECT_EQ(find_label(crlf({"String1=0x04,A|B||C"}), "04", 'S', false), "=0x04,ABC");
    EXPECT_EQ(find_label(crlf({"String1=0x04,"}), "04", 'S', false), "=0x04,");
    // A label on the block's last line without a line end is not found.
    EXPECT_EQ(find_label("String1=0x04,Tail", "04", 'S', false), "");
    // A lone LF inside the line is dropped, the line runs to CR LF.
    EXPECT_EQ(find_label("String1=0x04,a\nb\r\n", "04", 'S', false), "=0x04,ab");
}

class Rows : public ::testing::Test {
protected:
    State st;
    FakeUi ui;
    void SetUp() override {
        set_defaults(st, "/opt/lexmarin");
        st.row_target_code = "02";
    }
    static std::string element(const char* marker, std::initializer_list<std::string> lines) {
        return typ_element(marker, crlf(lines));
    }
    void build(const std::string& body) {
        st.document = typ_header() + body;
        rebuild_rows(st, ui);
    }
};

TEST_F(Rows, RowsShowSourceAndTargetInDocumentOrder) {
    build(element("[_polygon]", {"Type=0x01", "String1=0x04,Lake", "String2=0x02, See "}) +
          element("[_line]", {"Type=0x01", "String1=0x04,Road"}) +
          element("[_polygon]", {"Type=0x02", "String1=0x02,Nur Deutsch"}) +
          element("[_polygon]", {"Type=0x03", "String1=0x04, Pond "}) +
          element("[_point]", {"Type=0x01", "String1=0x04,Inn", "String2=0x02,Gasthof"}));
    EXPECT_EQ(st.row_count(kPolygons), 2); // the element without an English label gets no row
    EXPECT_EQ(st.row_count(kLines), 1);
    EXPECT_EQ(st.row_count(kPoints), 1);
    EXPECT_EQ(st.row(0, 0).caption, "Lake");
    EXPECT_EQ(st.row(0, 0).source_key, "=0x04,Lake");
    EXPECT_EQ(st.row(0, 0).text, "See");       // target trimmed
    EXPECT_EQ(st.row(0, 1).caption, " Pond "); // source not trimmed
    EXPECT_EQ(st.row(0, 1).text, "");
    EXPECT_EQ(st.row(1, 0).caption, "Road");
    EXPECT_EQ(st.row(2, 0).text, "Gasthof");
    EXPECT_EQ(st.win.count_caption[0], "Polygons: 2");
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 untitled");
}

TEST_F(Rows, RowStatesFollowTheTargetText) {
    build(element("[_polygon]", {"Type=0x01", "String1=0x04,Park", "String2=0x02, Park "}) +
          element("[_polygon]", {"Type=0x02", "String1=0x04,Wood", "String2=0x02,?Wald"}) +
          element("[_polygon]", {"Type=0x03", "String1=0x04,Why?", "String2=0x02,Why?"}) +
          element("[_polygon]", {"Type=0x04", "String1=0x04,Sea", "String2=0x02,Meer"}) +
          element("[_polygon]", {"Type=0x05", "String1=0x04,Bay"}) +
          element("[_line]", {"Type=0x01", "String1=0x04,Road", "String2=0x02,Road"}));
    EXPECT_EQ(st.row(0, 0).back, st.highlight); // equal to the source apart from outer blanks
    EXPECT_EQ(st.row(0, 1).back, kRed);
    EXPECT_EQ(st.row(0, 2).back, kRed); // "?" wins over equality
    EXPECT_EQ(st.row(0, 3).back, kWhite);
    EXPECT_EQ(st.row(0, 4).back, kWhite);
    EXPECT_TRUE(st.pane(0).check_errors_visible);
    EXPECT_FALSE(st.pane(1).check_errors_visible); // only the pane with red rows
    EXPECT_EQ(st.row(1, 0).back, st.highlight);
    EXPECT_TRUE(st.pane(2).translate_visible);
}

TEST_F(Rows, ZeroFallbackFollowsTheSwitch) {
    const std::string body =
        element("[_polygon]", {"Type=0x01", "String1=0x02,Wald", "String2=0x00,Bosque"});
    build(body);
    EXPECT_EQ(st.row_count(kPolygons), 0);
    st.win.zero_fallback = true;
    build(body);
    ASSERT_EQ(st.row_count(kPolygons), 1);
    EXPECT_EQ(st.row(0, 0).caption, "Bosque");
    EXPECT_EQ(st.row(0, 0).text, "Wald");
    // The target side never falls back: target 0x01 is absent, so the box stays empty.
    st.row_target_code = "01";
    build(body);
    EXPECT_EQ(st.row(0, 0).text, "");
}

TEST_F(Rows, EmptySourceLabelStillGetsARow) {
    build(element("[_point]", {"Type=0x01", "String1=0x04,", "String2=0x02,Leer"}));
    ASSERT_EQ(st.row_count(kPoints), 1);
    EXPECT_EQ(st.row(2, 0).caption, "");
    EXPECT_EQ(st.row(2, 0).text, "Leer");
}

TEST_F(Rows, AnElementEndsAtItsOwnEnd) {
    // The polygon has no English label; the line after it does. Text after the polygon's
    // "[end]" belongs to the line, not to the polygon.
    build(element("[_polygon]", {"Type=0x01", "String1=0x02,Wald"}) +
          element("[_line]", {"Type=0x01", "String1=0x04,Road"}) +
          element("[_polygon]", {"Type=0x02", "String1=0x04,Lake"}));
    EXPECT_EQ(st.row_count(kPolygons), 1);
    EXPECT_EQ(st.row(0, 0).caption, "Lake");
    EXPECT_EQ(st.row_count(kLines), 1);
}

TEST_F(Rows, LastElementWithoutEndStaysWhole) {
    st.document = typ_header() + "[_point]\r\nType=0x01\r\nString1=0x04,Inn\r\n"
                                 "String2=0x02,Gasthof\r\n";
    rebuild_rows(st, ui);
    ASSERT_EQ(st.row_count(kPoints), 1);
    EXPECT_EQ(st.row(2, 0).text, "Gasthof");
}

TEST_F(Rows, TwentyOnePermanentRowsAndMoreOnDemand) {
    std::string body;
    for (int i = 0; i < 30; ++i)
        body += element("[_line]", {"Type=0x01", "String1=0x04,Road " + std::to_string(i),
                                    i == 25 ? "String2=0x02,?" : "String2=0x02,Weg"});
    build(body);
    EXPECT_EQ(st.row_count(kLines), 30);
    EXPECT_EQ(st.pane(1).rows.size(), 30u);
    EXPECT_EQ(st.row(1, 21).caption, "Road 21"); // the 22nd element made row 21
    EXPECT_EQ(st.row(1, 25).back, kRed);

    // A smaller document drops the extra rows and blanks the permanent ones it does not use.
    build(element("[_line]", {"Type=0x01", "String1=0x04,Only"}));
    EXPECT_EQ(st.row_count(kLines), 1);
    EXPECT_EQ(st.pane(1).rows.size(), 21u);
    EXPECT_EQ(st.row(1, 0).caption, "Only");
    for (int k = 1; k < 21; ++k) {
        EXPECT_EQ(st.row(1, k).caption, "") << k;
        EXPECT_EQ(st.row(1, k).text, "") << k;
        EXPECT_EQ(st.row(1, k).back, kWhite) << k;
    }
    EXPECT_FALSE(st.pane(1).check_errors_visible);
}

TEST_F(Rows, UnloadBlanksColoursAndResetsCounts) {
    build(element("[_polygon]", {"Type=0x01", "String1=0x04,Lake", "String2=0x02,?"}));
    st.row(0, 0).label_back = kYellow;
    st.row(0, 0).label_fore = kMagenta;
    clear_rows(st);
    EXPECT_EQ(st.row_count(kPolygons), 0);
    const Row& r = st.row(0, 0);
    EXPECT_EQ(r.caption, "");
    EXPECT_EQ(r.text, "");
    EXPECT_EQ(r.back, kWhite);
    EXPECT_EQ(r.label_back, kWhite);
    EXPECT_EQ(r.label_fore, kBlack);
}

TEST_F(Rows, EmptyDocumentGivesEmptyPanes) {
    build(element("[_polygon]", {"Type=0x01", "String1=0x04,Lake"}));
    st.document.clear();
    st.pane(0).viewport = 20000;
    rebuild_rows(st, ui);
    EXPECT_EQ(st.row_count(kPolygons) + st.row_count(kLines) + st.row_count(kPoints), 0);
    EXPECT_EQ(st.row(0, 0).caption, "");
    EXPECT_EQ(st.pane(0).panel, 15 * 504);
}

TEST_F(Rows, LoadElementMakesBlankRowsAndSetsTheCount) {
    st.row_target_code.clear();
    st.row(1, 5).text = "stale";
    add_blank_row(st, ui, 1, 5);
    EXPECT_EQ(st.row_count(kLines), 6);
    EXPECT_EQ(st.row_target_code, st.target_code);
    EXPECT_EQ(st.row(1, 5).text, "");
    add_blank_row(st, ui, 1, 40);
    EXPECT_EQ(st.row_count(kLines), 41);
    EXPECT_EQ(st.pane(1).rows.size(), 41u);
    clear_rows(st);
    EXPECT_EQ(st.pane(1).rows.size(), 21u);
}

TEST_F(Rows, CustomTargetUsesTheCustomCodePage) {
    st.custom_codepage = 1251;
    st.win.language_caption[1] = " Custom ";
    st.row_target_code = "02";
    EXPECT_EQ(target_cell_codepage(st), 1251);
    EXPECT_EQ(st.font_codepage, 1251);
    st.win.language_caption[1] = "Russian ";
    st.row_target_code = "19";
    st.font_codepage = 0;
    EXPECT_EQ(target_cell_codepage(st), 1251);
    EXPECT_EQ(st.font_codepage, 0);
}

} // namespace lex
