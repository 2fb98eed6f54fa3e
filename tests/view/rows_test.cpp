#include "commands/language_choice.h"
#include "support/fixtures.h"
#include "translate/languages.h"
#include "view/panes.h"
#include "view/review.h"
#include "view/rows.h"

namespace lex {

using namespace lex::test;

class Rows : public DocTest {
protected:
    void build(const std::string& body) {
        st.document = typ_header() + body;
        rebuild_rows(st, ui);
        // The counts a read-only command takes from the text match the built rows'.
        const std::array<PaneCounts, kKinds> counts = count_document_rows(st);
        for (const Kind kind : kAllKinds)
            EXPECT_EQ(counts[std::size_t(kind)], count_rows(st, kind)) << kind;
    }
    static std::string polygon(const std::string& source, const std::string& target = "") {
        return typ_element("[_polygon]", {"Type=0x01", "String1=" + source, "String2=" + target});
    }
};

TEST_F(Rows, RowsShowSourceAndTargetInDocumentOrderAndTheirState) {
    // No row without an English label (none borrowed from the next line), one for an empty one;
    // labels in any case, no bars; targets trimmed; no "[end]" at the end; comments are no rows.
    build(polygon("0x04,Lake", "0x02, See ") + polygon("0x02,Nur Deutsch") +
          typ_element("[_line]", {"String1=0x04,Road"}) + polygon("0X04, P|o|nd ") +
          polygon("0x04,", "0x02,Leer") + ";[_polygon]\r\n;String1=0x04,Ghost\r\n;[end]\r\n" +
          "[_point]\r\nType=0x01\r\nString1=0x04,Inn\r\nString2=0x02,Gasthof\r\n");
    EXPECT_EQ(captions(st, kPolygons), "Lake| Pond |");
    EXPECT_EQ(texts(st, kPolygons), "See||Leer");
    EXPECT_EQ(captions(st, kLines) + texts(st, kPoints), "RoadGasthof");
    EXPECT_EQ(st.win.count_caption[0], "Polygons: 3");
    // An element without "[end]" ends at the next header.
    ElementBlocks b = element_blocks("[_polygon]\r\nA\r\n[_line]\r\nB\r\n[end]\r\n[_polygon]\r\nC");
    EXPECT_EQ(b[0], (std::vector<std::string_view>{"A\r\n", "C"}));
    // Row statuses: the same as the source but for outer blanks, suspect with a "?".
    build(polygon("0x04,Park", "0x02, Park ") + polygon("0x04,Wood", "0x02,?Wald") +
          polygon("0x04,Why?", "0x02,Why?") + polygon("0x04,Sea", "0x02,Meer") +
          polygon("0x04,Bay") + typ_element("[_line]", {"String1=0x04,Road", "String2=0x02,Road"}));
    EXPECT_EQ(statuses(st, kPolygons) + statuses(st, kLines), "BRRWWB");
    EXPECT_TRUE(st.pane(kPolygons).check_errors_visible);
    EXPECT_FALSE(st.pane(kLines).check_errors_visible); // only the pane with suspect rows
}

TEST_F(Rows, TwentyOnePermanentRowsAndMoreOnDemand) {
    auto lines = [&](int n, const std::string& name, bool translated) {
        std::string body;
        for (int i = 0; i < n; ++i) {
            body += "[_line]\r\nString1=0x04," + name + std::to_string(i) + "\r\n";
            if (translated) body += i == 25 ? "String2=0x02,?\r\n" : "String2=0x02,Weg\r\n";
            body += "[end]\r\n";
        }
        build(body);
    };
    auto mark = [&](int k) {
        RowMarks& m = st.row(kLines, k).marks;
        m.source_doubt = m.search_hit = m.target_doubt = true;
    };
    lines(30, "Road ", true);
    EXPECT_EQ(st.rows(kLines).size(), 30u);
    EXPECT_EQ(st.row(kLines, 21).caption, "Road 21"); // the 22nd element made row 21
    EXPECT_EQ(st.row(kLines, 25).status, RowStatus::kSuspect);
    // A rebuild starts every row afresh, past the permanent ones too: no mark, text or status
    // of the row that stood there before. A smaller document drops the extra rows and blanks the
    // permanent ones it does not use.
    for (auto [n, left] : {std::pair{27, 27u}, {1, 21u}}) {
        mark(2);
        mark(std::min(25, n));
        lines(n, "Way ", false);
        EXPECT_EQ(st.rows(kLines).size(), left);
        for (int k = 1; k < int(left); ++k) {
            const Row& r = st.row(kLines, k);
            EXPECT_EQ(r.caption, k < n ? "Way " + std::to_string(k) : "") << k;
            EXPECT_TRUE(r.text.empty() && r.status == RowStatus::kNormal && r.marks == RowMarks{})
                << k;
        }
    }
    EXPECT_FALSE(st.pane(kLines).check_errors_visible);
}

class Language : public DocTest {
protected:
    void SetUp() override {
        DocTest::SetUp();
        open("map.txt", typ_header() +
                            typ_element("[_polygon]", {"String1=0x04,Lake", "String2=0x02,See",
                                                       "String3=0x19,\xCE\xE7\xE5\xF0\xEE",
                                                       "String4=0x00,Agam"}) +
                            typ_element("[_polygon]", {"String1=0x02,Wald", "String2=0x00,Yaar"}));
    }
    void pick(int list, int index) { choose_language(st, ui, list, index); }
};

TEST_F(Language, UnsavedChangesAskFirstThenPickingStoresTheLanguageAndRebuilds) {
    st.changed = true;
    st.row(kPolygons, 0).text = "typed";
    st.win.language_list_open = {false, true};
    ui.answers = {true, false}; // Yes: save first, nothing changes; No: edits are dropped
    pick(1, 16);                // Russian
    EXPECT_EQ(ui.questions, Strings{"Changes not saved. Save Changes?"});
    EXPECT_EQ(st.target_code, "02");
    EXPECT_EQ(st.win.language_row[kTargetList], 2); // the list stays on the language in use
    EXPECT_TRUE(st.changed);
    pick(1, 16);
    EXPECT_EQ(st.target_code + st.row_target_code + st.win.language_caption[1] +
                  st.win.codepage_caption,
              "1919Russian 1251");
    EXPECT_EQ(st.target_codepage + st.target_index + st.win.language_row[kTargetList],
              1251 + 16 + 16);
    EXPECT_FALSE(st.changed || st.win.language_list_open[1]);
    EXPECT_EQ(texts(st, kPolygons), "\xCE\xE7\xE5\xF0\xEE");
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 map");
    pick(0, 2); // German source; the target is untouched
    EXPECT_EQ(st.source_code + st.target_code + st.win.language_caption[0], "0219German ");
    EXPECT_EQ(st.source_codepage, 1252);
    EXPECT_EQ(captions(st, kPolygons), "See|Wald");
    pick(0, -1); // no entry, or one past the source list, changes nothing
    pick(0, 13);
    EXPECT_EQ(st.source_code, "02");
    EXPECT_TRUE(ui.messages.empty() && ui.questions.size() == 2);
}

TEST_F(Language, HebrewAndCustomWarnAndStillApply) {
    pick(1, 23);
    EXPECT_EQ(st.target_code + st.row(kPolygons, 0).text, "00Agam");
    EXPECT_EQ(st.target_codepage, 1255);
    st.kept.custom_code = "2c";
    st.kept.custom_codepage = 1251;
    pick(1, 24);
    EXPECT_EQ(ui.messages, Strings(2, "Can only use 0x00 for this language. This may clash with "
                                      "language used for 0x00."));
    EXPECT_EQ(st.target_code + st.win.language_caption[1] + st.win.codepage_caption,
              "2cCustom1251");
    EXPECT_EQ(st.target_codepage + st.target_index, 1251 + 24);
}

TEST_F(Language, ZeroSwitchNeedsASavedDocument) {
    st.changed = true;
    set_zero_fallback(st, ui, true);
    EXPECT_FALSE(st.zero_fallback);
    EXPECT_EQ(ui.messages, Strings{"Please save first"});
    st.changed = false;
    set_zero_fallback(st, ui, true);
    EXPECT_EQ(captions(st, kPolygons), "Lake|Yaar"); // the German-only polygon's 0x00 label
    EXPECT_EQ(texts(st, kPolygons), "See|Wald");
    pick(1, 12); // Finnish: the target side never falls back to 0x00
    EXPECT_EQ(texts(st, kPolygons), "|");
}

// Pane `kind` of a fresh state with `rows` rows against a viewport of `viewport` twips.
State with_rows(Kind kind, int viewport, int rows) {
    State st;
    st.pane(kind).viewport = viewport;
    st.row_count(kind) = rows;
    size_panes(st);
    scroll_pane(st, kind, 0);
    return st;
}

TEST(Panes, EveryRowCanBeScrolledIntoViewAndARebuildKeepsTheScrollPosition) {
    // The panel's top moves in proportion to the scroll value, halves to even.
    for (auto [v, top] : {std::pair{2, 0}, {6, -2}, {10, -2}, {14, -4}})
        EXPECT_EQ(panel_top(0, 800, v), top) << v;
    // Within a row: no scrolling.
    EXPECT_EQ(with_rows(kPolygons, 7860, 0).pane(kPolygons).panel, 7860);
    // A pane shorter than its viewport (no rows, a few rows) fills it and does not scroll:
    // every blank row is shown, none is scrolled away.
    for (const int rows : {0, 3}) {
        State st = with_rows(kPoints, 20000, rows);
        EXPECT_EQ(st.pane(kPoints).panel, 20000) << rows;
        EXPECT_EQ(visible_rows(st.pane(kPoints), 21).last, 21) << rows;
        scroll_pane(st, kPoints, kScrollMax);
        EXPECT_EQ(st.pane(kPoints).top, 0) << rows;
    }
    // Exact edges: a row that starts at the viewport's bottom is not shown; a row that ends
    // there is in view and does not move the pane.
    EXPECT_EQ(visible_rows(with_rows(kPolygons, 3 * kRowPitch, 10).pane(kPolygons), 10).last, 3);
    Pane edge;
    edge.viewport = 2 * kRowPitch + kRowHeight;
    edge.panel = 20000;
    edge.scroll = 100;
    edge.top = -kRowPitch; // rows 1 to 3 in view, row 3 ending on the bottom edge
    EXPECT_EQ(value_to_show_row(edge, 3), 100);
    for (int rows : {1, 21, 40, 757, 758, 2000, 10000, 30000}) {
        State st = with_rows(kPolygons, 8000, rows);
        const Pane& p = st.pane(kPolygons);
        EXPECT_EQ(visible_rows(p, rows).first, 0) << rows;
        EXPECT_EQ(visible_rows(p, rows).last, std::min(rows, 8000 / 514 + 1)) << rows;
        scroll_pane(st, kPolygons, kScrollMax); // the last row, all of it, at the end
        EXPECT_EQ(visible_rows(p, rows).last, rows) << rows;
        const long long lastTop = (long long)p.top + (long long)(rows - 1) * kRowPitch;
        EXPECT_TRUE(lastTop >= 0 && lastTop + kRowHeight <= p.viewport) << rows;
        for (int row : {0, 1, rows / 3, rows / 2 + 7, rows - 2, 5}) {
            if (row < 0 || row >= rows) continue;
            const int v = value_to_show_row(p, row);
            scroll_pane(st, kPolygons, v);
            const long long rowTop = (long long)p.top + (long long)row * kRowPitch;
            EXPECT_TRUE(rowTop >= 0 && rowTop + kRowHeight <= p.viewport) << rows << " " << row;
            EXPECT_EQ(value_to_show_row(p, row), v); // a row in view does not move the pane
        }
    }
    State st = with_rows(kPolygons, 7000, 40);
    scroll_pane(st, kPolygons, kScrollMax);
    FakeUi ui;
    st.document = "[_polygon]\r\nString1=0x04,Road\r\n[end]\r\n";
    rebuild_rows(st, ui);
    EXPECT_EQ(st.pane(kPolygons).scroll, kScrollMax);
    EXPECT_EQ(st.pane(kPolygons).panel, 504 * 16);
}

} // namespace lex
