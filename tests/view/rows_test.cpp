#include "support/fixtures.h"
#include "translate/languages.h"
#include "view/language.h"
#include "view/panes.h"
#include "view/rows.h"

namespace lex {

using namespace lex::test;

namespace {

// The label search written the plain way: past the last "Type=0xLL," line, the key in any case;
// for the source, when asked, the 0x00 label past the first "Type=0x00,"; up to CR LF, without
// bars and line breaks. The one-pass search must agree with it on any block.
std::string plain_find_label(const std::string& block, const std::string& code, char side,
                             bool zero) {
    std::string lower = block, key = "=0x" + code + ",";
    for (std::string* s : {&lower, &key})
        for (char& c : *s) c = char(std::tolower(static_cast<unsigned char>(c)));
    const std::string type = "ype=0x" + code + ",";
    std::size_t p = 0;
    for (auto i = block.find(type); i != std::string::npos; i = block.find(type, p)) p = i + 5;
    std::size_t j = lower.find(key, p);
    if (j == std::string::npos && zero && side == 'S') {
        if (auto i = block.find("ype=0x00,"); i != std::string::npos) p = i + 5;
        j = block.find("=0x00,", p);
    }
    const std::size_t end = j == std::string::npos ? j : block.find("\r\n", j);
    std::string out;
    if (end != std::string::npos)
        for (char c : block.substr(j, end - j))
            if (c != '|' && c != '\r' && c != '\n') out += c;
    return out;
}

} // namespace

TEST(FindLabel, AgreesWithThePlainSearchOnRandomBlocks) {
    const auto parts = cells("Type=0x04,;Type=0x1c,;ype=0x;=0x04,;=0X04,;=0x1C,;=0x1c,;=0x00,;"
                             "String1;Lake;\r\n;|;Type=0x00,;=0x0;x04,;=;0x04;,;"
                             "=0x04,A|B\r\n;      ;\n",
                             ';');
    unsigned s = 12345;
    auto next = [&] { return (s = s * 1103515245u + 12345u) >> 16; };
    for (int n = 0; n < 20000; ++n) {
        std::string block;
        for (int k = int(next() % 14); k > 0; --k) block += parts[next() % parts.size()];
        for (const char* code : {"04", "1c", "1C", "00"})
            for (bool zero : {false, true})
                for (char side : {'S', 'T'})
                    ASSERT_EQ(find_label(block, code, side, zero),
                              plain_find_label(block, code, side, zero))
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

class Rows : public DocTest {
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
    EXPECT_EQ(captions(st, kPolygons), "Lake| Pond |");
    EXPECT_EQ(texts(st, kPolygons), "See||Leer");
    EXPECT_EQ(st.row(0, 0).tag, "=0x04,Lake");
    EXPECT_EQ(captions(st, kLines), "Road");
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
    EXPECT_EQ(captions(st, kPolygons) + "=" + texts(st, kPolygons), "Bosque=Wald");
    st.tolang2 = "01"; // the target side never falls back
    build(body);
    EXPECT_EQ(texts(st, kPolygons), "");
}

TEST_F(Rows, AnElementEndsAtItsOwnEnd) {
    // The polygon has no English label; the line after it does. Text after the polygon's
    // "[end]" belongs to the line, not to the polygon.
    build(polygon("0x02,Wald") + typ_element("[_line]", {"Type=0x01", "String1=0x04,Road"}) +
          polygon("0x04,Lake"));
    EXPECT_EQ(captions(st, kPolygons), "Lake");
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
    EXPECT_EQ(target_codepage(st) + st.curcp, 1251 + 1251);
}

TEST(Languages, TableListsAndCodes) {
    for (const auto& e : kLanguages) { // the service key is the item's first three letters
        std::string key(e.item, 3);
        for (char& c : key) c = char(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(key, e.key) << e.item;
    }
    State st;
    for (int r = 0; r < 24; ++r) EXPECT_EQ(get_from(st, get_lang(st, r)), r) << r;
    st.toindex = 24;
    EXPECT_EQ(get_from(st, "00"), 24);
    EXPECT_EQ(get_from(st, "0F") + list_size(0) + list_size(1), 0 + 13 + 24);
    EXPECT_EQ(chklcode(st, "por"), "pt-PT");
}

class Language : public DocTest {
protected:
    const std::string warning =
        "Can only use 0x00 for this language. This may clash with language used for 0x00.";
    void SetUp() override {
        DocTest::SetUp();
        open("map.txt",
             typ_header() +
                 typ_element("[_polygon]",
                             {"Type=0x01", "String1=0x04,Lake", "String2=0x02,See",
                              "String3=0x19,\xCE\xE7\xE5\xF0\xEE", "String4=0x00,Agam"}) +
                 typ_element("[_polygon]", {"String1=0x02,Wald", "String2=0x00,Yaar"}));
    }
    void pick(int list, int index) {
        st.win.list4[std::size_t(list)] = index;
        List4_MouseDown(st, ui, list);
    }
};

TEST_F(Language, PickingALanguageStoresItAndRebuilds) {
    st.win.list4_visible = {false, true};
    pick(1, 16); // Russian
    EXPECT_EQ(st.tolang + st.tolang2, "1919");
    EXPECT_EQ(st.tocp, 1251);
    EXPECT_EQ(st.toindex, 16);
    EXPECT_EQ(st.win.label4[1], "Russian ");
    EXPECT_EQ(st.win.label5, "1251");
    EXPECT_FALSE(st.win.list4_visible[1]);
    EXPECT_EQ(texts(st, kPolygons), "\xCE\xE7\xE5\xF0\xEE");
    EXPECT_TRUE(ui.messages.empty() && ui.questions.empty());

    pick(0, 2); // German source; the target is untouched
    EXPECT_EQ(st.fromlang + st.tolang, "0219");
    EXPECT_EQ(st.fromcp, 1252);
    EXPECT_EQ(st.win.label4[0], "German ");
    EXPECT_EQ(captions(st, kPolygons), "See|Wald");

    // No entry, or one past the source list, changes nothing.
    st.win.list4_visible = {true, false};
    pick(0, -1);
    pick(0, 13);
    EXPECT_EQ(st.fromlang, "02");
    EXPECT_FALSE(st.win.list4_visible[0]);
}

TEST_F(Language, UnsavedChangesAskFirst) {
    st.changed = true;
    ui.answers = {true, false}; // Yes: save first, nothing changes; No: edits are dropped
    st.row(0, 0).text = "typed";
    pick(1, 16);
    EXPECT_EQ(ui.questions, Strings{"Changes not saved. Save Changes?"});
    EXPECT_EQ(st.tolang, "02");
    EXPECT_TRUE(st.changed);
    pick(1, 16);
    EXPECT_EQ(st.tolang, "19");
    EXPECT_FALSE(st.changed);
    EXPECT_EQ(st.row(0, 0).text, "\xCE\xE7\xE5\xF0\xEE");
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 map");
}

TEST_F(Language, HebrewAndCustomWarnAndStillApply) {
    pick(1, 23);
    EXPECT_EQ(st.tolang, "00");
    EXPECT_EQ(st.tocp, 1255);
    EXPECT_EQ(st.row(0, 0).text, "Agam");
    st.custcode = "2c";
    st.custcp = 1251;
    pick(1, 24);
    EXPECT_EQ(ui.messages, (Strings{warning, warning}));
    EXPECT_EQ(st.tolang, "2c");
    EXPECT_EQ(st.toindex, 24);
    EXPECT_EQ(st.tocp, 1251);
    EXPECT_EQ(st.win.label4[1] + st.win.label5, "Custom1251");
}

TEST_F(Language, ZeroSwitchNeedsASavedDocument) {
    st.changed = true;
    Check3_MouseUp(st, ui, true);
    EXPECT_FALSE(st.win.check3);
    EXPECT_EQ(ui.messages, Strings{"Please save first"});
    st.changed = false;
    Check3_MouseUp(st, ui, true);
    EXPECT_EQ(captions(st, kPolygons), "Lake|Yaar"); // the German-only polygon's 0x00 label
}

TEST_F(Language, DropButtonsToggleOneListAtATime) {
    for (auto [list, shown] : {std::pair{0, std::array{true, false}},
                               {1, std::array{false, true}},
                               {1, std::array{false, false}}}) {
        p4_MouseDown(st, list);
        EXPECT_EQ(st.win.list4_visible, shown);
    }
}

namespace {

// Pane `kind` of a fresh state with `rows` rows against a viewport of `viewport` twips.
State with_rows(int kind, int viewport, int rows) {
    State st;
    st.pane(kind).viewport = viewport;
    st.count(kind) = rows;
    scrollbars(st);
    VS_Change(st, kind, 0);
    return st;
}

} // namespace

TEST(Panes, PanelHeightAndScrollArithmetic) {
    // Room for 15 rows more than there are, at least each row at its pitch; a panel within a
    // row of the viewport takes the viewport's height and does not move.
    for (auto [viewport, rows, panel] : {std::tuple{20000, 0, 7560},
                                         {7000, 40, 27720},
                                         {7000, 10000, 514 * 10000},
                                         {7860, 0, 7860},
                                         {7560 + 504, 0, 7560}})
        EXPECT_EQ(with_rows(0, viewport, rows).pane(0).panel, panel) << viewport << " " << rows;
    EXPECT_EQ(panel_top(7860, 7860, kScrollMax), 0);

    State st = with_rows(0, 7000, 40);
    VS_Change(st, 0, 1600);
    EXPECT_EQ(st.pane(0).top, -(27720 - 7000) / 2);
    VS_Change(st, 0, 99999);
    EXPECT_EQ(st.pane(0).scroll, kScrollMax);
    EXPECT_EQ(st.pane(0).top, -(27720 - 7000));
    // Halves round to even; a panel shorter than its viewport moves by the difference too.
    for (auto [v, top] : {std::pair{2, 0}, {6, -2}, {10, -2}, {14, -4}})
        EXPECT_EQ(panel_top(0, 800, v), top) << v;
    EXPECT_EQ(panel_top(10000, 7560, kScrollMax), -2440);

    // A rebuild keeps the scroll position.
    FakeUi ui;
    st.alltext = "[_polygon]\r\nString1=0x04,Road\r\n[end]\r\n";
    refresh_labels(st, ui);
    EXPECT_EQ(st.npoly, 1);
    EXPECT_EQ(st.pane(0).scroll, kScrollMax);
    EXPECT_EQ(st.pane(0).panel, 504 * 16);
}

TEST(Panes, EveryRowCanBeScrolledIntoView) {
    // 21 blank rows in a panel of 15 rows' height: the rows below the panel are not shown.
    EXPECT_EQ(visible_rows(with_rows(2, 20000, 0).pane(2), 21).last, (7560 - 1) / 514 + 1);
    for (int rows : {1, 21, 40, 757, 758, 2000, 10000, 30000}) {
        State st = with_rows(0, 8000, rows);
        const Pane& p = st.pane(0);
        EXPECT_EQ(visible_rows(p, rows).first, 0) << rows;
        EXPECT_EQ(visible_rows(p, rows).last, std::min(rows, 8000 / 514 + 1)) << rows;
        VS_Change(st, 0, kScrollMax);
        EXPECT_EQ(visible_rows(p, rows).last, rows) << rows;
        const long long lastTop = (long long)p.top + (long long)(rows - 1) * kRowPitch;
        EXPECT_TRUE(lastTop >= 0 && lastTop + kRowHeight <= p.viewport) << rows; // all of it
        for (int row : {rows - 1, 0, 1, rows / 3, rows / 2 + 7, rows - 2, 5}) {
            if (row < 0) continue;
            const int v = value_to_show_row(p, row);
            VS_Change(st, 0, v);
            const long long rowTop = (long long)p.top + (long long)row * kRowPitch;
            EXPECT_TRUE(rowTop >= 0 && rowTop + kRowHeight <= p.viewport) << rows << " " << row;
            EXPECT_EQ(value_to_show_row(p, row), v); // a row in view does not move the pane
        }
    }
}

} // namespace lex
