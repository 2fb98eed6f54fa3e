#include "support/doc_fixture.h"
#include "view/rows.h"

namespace lex {

using test::colours;
using test::texts;
using test::typ_element;
using test::typ_header;

namespace {

// The label search written the plain way: skip past the last "Type=0xLL," line, then look for
// the key case-insensitively; for the source, fall back to the 0x00 label when asked; cut at
// CR LF and drop bars. The one-pass search must agree with it on any block.
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
    const char* parts[] = {"Type=0x04,",    "Type=0x1c,", "ype=0x",  "=0x04,", "=0X04,", "=0x1C,",
                           "=0x1c,",        "=0x00,",     "String1", "Lake",   "\r\n",   "|",
                           "Type=0x00,",    "=0x0",       "x04,",    "=",      "0x04",   ",",
                           "=0x04,A|B\r\n", "      ",     "\n"};
    unsigned s = 12345;
    auto next = [&] {
        s = s * 1103515245u + 12345u;
        return s >> 16;
    };
    for (int n = 0; n < 20000; ++n) {
        std::string block;
        for (int k = int(next() % 14); k > 0; --k) block += parts[next() % std::size(parts)];
        for (const char* code : {"04", "1c", "1C", "00"})
            for (bool zero : {false, true})
                for (char side : {'S', 'T'})
                    ASSERT_EQ(find_label(block, code, side, zero),
                              reference_find_label(block, code, side, zero))
                        << "block: " << block << " code " << code;
    }
}

// Interleaved kinds: a polygon's block never reaches into the line element after it, so a
// polygon without a source label cannot borrow the line's label.
TEST(ElementBlocks, ElementsWithoutEndRunToTheNextOfTheirKind) {
    ElementBlocks b =
        element_blocks("[_polygon]\r\nA\r\n[_line]\r\nB\r\n[end]\r\n[_polygon]\r\nC\r\n");
    EXPECT_EQ(b[0], (std::vector<std::string_view>{"\r\nA\r\n[_line]\r\nB\r\n", "\r\nC\r\n"}));
    EXPECT_EQ(b[1], std::vector<std::string_view>{"\r\nB\r\n"});
}

class Rows : public test::DocTest {
protected:
    void build(const std::string& body) {
        st.alltext = typ_header() + body;
        refresh_labels(st, ui);
    }
    static std::string polygon(const std::string& source, const std::string& target = "") {
        return typ_element("[_polygon]", {"Type=0x01", "String1=" + source, "String2=" + target});
    }
};

TEST_F(Rows, RowsShowSourceAndTargetInDocumentOrder) {
    // An element without an English label gets no row; an empty one gets a row. Targets are
    // trimmed, sources not. The last element has no "[end]".
    build(polygon("0x04,Lake", "0x02, See ") + typ_element("[_line]", {"String1=0x04,Road"}) +
          polygon("0x02,Nur Deutsch") + polygon("0x04, Pond ") + polygon("0x04,", "0x02,Leer") +
          "[_point]\r\nType=0x01\r\nString1=0x04,Inn\r\nString2=0x02,Gasthof\r\n");
    EXPECT_EQ(test::captions(st, kPolygons), "Lake| Pond |");
    EXPECT_EQ(texts(st, kPolygons), "See||Leer");
    EXPECT_EQ(st.row(0, 0).tag, "=0x04,Lake");
    EXPECT_EQ(test::captions(st, kLines), "Road");
    EXPECT_EQ(texts(st, kPoints), "Gasthof");
    EXPECT_EQ(st.win.label2[0], "Polygons: 3");
}

TEST_F(Rows, RowStatesFollowTheTargetText) {
    // Equal to the source apart from outer blanks: light blue; "?" wins over equality.
    build(polygon("0x04,Park", "0x02, Park ") + polygon("0x04,Wood", "0x02,?Wald") +
          polygon("0x04,Why?", "0x02,Why?") + polygon("0x04,Sea", "0x02,Meer") +
          polygon("0x04,Bay") + typ_element("[_line]", {"String1=0x04,Road", "String2=0x02,Road"}));
    EXPECT_EQ(colours(st, kPolygons), "BRRWW");
    EXPECT_EQ(colours(st, kLines), "B");
    EXPECT_TRUE(st.pane(0).check_errors_visible);
    EXPECT_FALSE(st.pane(1).check_errors_visible); // only the pane with red rows
}

TEST_F(Rows, ZeroFallbackFollowsTheSwitch) {
    const std::string body = polygon("0x02,Wald", "0x00,Bosque");
    build(body);
    EXPECT_EQ(st.npoly, 0);
    st.win.check3 = true;
    build(body);
    EXPECT_EQ(test::captions(st, kPolygons) + "=" + texts(st, kPolygons), "Bosque=Wald");
    st.tolang2 = "01"; // the target side never falls back
    build(body);
    EXPECT_EQ(texts(st, kPolygons), "");
}

TEST_F(Rows, AnElementEndsAtItsOwnEnd) {
    // The polygon has no English label; the line after it does. Text after the polygon's
    // "[end]" belongs to the line, not to the polygon.
    build(polygon("0x02,Wald") + typ_element("[_line]", {"Type=0x01", "String1=0x04,Road"}) +
          polygon("0x04,Lake"));
    EXPECT_EQ(test::captions(st, kPolygons), "Lake");
    EXPECT_EQ(st.nline, 1);
}

TEST_F(Rows, TwentyOnePermanentRowsAndMoreOnDemand) {
    std::string body;
    for (int i = 0; i < 30; ++i)
        body += typ_element("[_line]", {"String1=0x04,Road " + std::to_string(i),
                                        i == 25 ? "String2=0x02,?" : "String2=0x02,Weg"});
    build(body);
    EXPECT_EQ(st.pane(1).rows.size(), 30u);
    EXPECT_EQ(st.row(1, 21).caption, "Road 21"); // the 22nd element made row 21
    EXPECT_EQ(st.row(1, 25).back, kRed);
    st.row(1, 2).label_back = kYellow;
    st.row(1, 2).label_fore = kMagenta;

    // A smaller document drops the extra rows and blanks the permanent ones it does not use.
    build(typ_element("[_line]", {"String1=0x04,Only"}));
    EXPECT_EQ(st.pane(1).rows.size(), 21u);
    for (int k = 1; k < 21; ++k) {
        const Row& r = st.row(1, k);
        EXPECT_TRUE(r.caption.empty() && r.text.empty() && r.back == kWhite &&
                    r.label_back == kWhite && r.label_fore == kBlack)
            << k;
    }
    EXPECT_FALSE(st.pane(1).check_errors_visible);

    st.alltext.clear(); // an empty document gives empty panes
    st.pane(0).viewport = 20000;
    refresh_labels(st, ui);
    EXPECT_EQ(st.npoly + st.nline + st.npoi, 0);
    EXPECT_EQ(st.row(1, 0).caption, "");
    EXPECT_EQ(st.pane(0).panel, 15 * 504);
}

TEST_F(Rows, CustomTargetUsesTheCustomCodePage) {
    st.custcp = 1251;
    st.win.label4[1] = " Custom ";
    EXPECT_EQ(target_codepage(st), 1251);
    EXPECT_EQ(st.curcp, 1251);
    st.win.label4[1] = "Russian ";
    st.tolang2 = "19";
    st.curcp = 0;
    EXPECT_EQ(target_codepage(st), 1251);
    EXPECT_EQ(st.curcp, 0);
}

} // namespace lex
