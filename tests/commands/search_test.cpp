#include "commands/search.h"
#include "support/fixtures.h"

namespace lex {

using namespace lex::test;

namespace {

// The rows of a pane marked as search hits (shown magenta), as "1" and "0".
std::string marked(const State& st, Kind kind) {
    std::string out;
    for (int r = 0; r < st.row_count(kind); ++r)
        out += st.rows(kind)[std::size_t(r)].marks.search_hit ? '1' : '0';
    return out;
}

} // namespace

TEST_F(DocTest, SearchMarksMatchingSourceLabelsInEveryPaneAndCountsThem) {
    fill_pane(st, kPolygons, "Groot huis=huis|Lake=Groot huis|Huisberg");
    fill_pane(st, kPoints, "Huis|Inn|Het Huis|Bar");
    st.win.search_text = "HUIS";
    search_labels(st, ui);
    // Source labels only, in any letter case; the target texts are not searched.
    EXPECT_EQ(marked(st, kPolygons) + "|" + marked(st, kPoints), "101|1010");
    EXPECT_EQ(ui.messages, Strings{"Found:\r\n\r\nPolygons:2\r\nLines:0\r\nPois:2"});
    EXPECT_EQ(st.win.focus_point_row, 2); // the last matching point row

    // The next search starts from black; a leading blank is part of the text.
    st.win.search_text = " huis";
    search_labels(st, ui);
    EXPECT_EQ(marked(st, kPolygons) + "|" + marked(st, kPoints), "100|0010");

    // Blanks only: the keyboard goes to the search box, nothing else happens; nor does a
    // search while a translation run owns the rows.
    st.win.search_text = "  ";
    search_labels(st, ui);
    EXPECT_TRUE(st.win.focus_search_box);
    st.win.search_text = "bar";
    st.win.running = true;
    search_labels(st, ui);
    EXPECT_EQ(marked(st, kPolygons) + "|" + marked(st, kPoints), "100|0010");
    EXPECT_EQ(ui.messages.size(), 2u);
}

TEST_F(DocTest, SearchIgnoresLetterCaseInTheSourceCodePage) {
    struct Case {
        const char* code;
        std::string rows, text, expected;
    };
    const Case cases[] = {
        {"04", "\xD6l|Oel|\xF6lig", "\xD6L", "101"}, // 1252: ÖL finds öl; 1251: ВОДА вода
        {"19", "\xE2\xEE\xE4\xE0|\xC2\xCE\xC4\xC0 x|\xEC\xEE\xF0\xE5", "\xC2\xCE\xC4\xC0", "110"},
        // Ё, whose bytes are no letters in 1252: the source code page decides.
        {"19", "\xB8\xEB\xEA\xE0|\xA8\xCB\xCA\xC0", "\xA8\xCB\xCA\xC0", "11"},
        // Shift_JIS: the second byte of a character ("\x83\x41") is no letter "A".
        {"25", "\x83\x41|\x83\x61|a", "A", "001"},
        // Big5, GBK and Korean alike: a second byte that reads as "H" ("\xA4\x48") or "h" is no
        // letter; a letter after a double-byte character is one.
        {"27", "\xA4\x48|\xA4\x68|\xA4\x48h", "h", "001"},
        {"26", "\x81\x48|\x81\x68|\xB0\x48H", "H", "001"},
        {"24", "\x81\x41|\x81\x61|\x81\x41\x81\x61\x41", "a", "001"}, // \x41: "A"
    };
    for (const Case& c : cases) {
        st.source_code = c.code;
        fill_pane(st, kPolygons, c.rows);
        st.win.search_text = c.text;
        search_labels(st, ui);
        EXPECT_EQ(marked(st, kPolygons), c.expected) << c.code;
    }
}

} // namespace lex
