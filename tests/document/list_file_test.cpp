#include "document/list_file.h"
#include "document/state.h"
#include "support/fixtures.h"

namespace lex {

using namespace lex::test;

namespace {

// What a list text reads as: "P:src=tgt|src=tgt L:... I:..." and the languages when found.
std::string read_as(const std::string& text) {
    const ListContents list = read_list(text);
    std::string out;
    for (int kind = 0; kind < kKinds; ++kind) {
        out += std::string(kind ? " " : "") + "PLI"[kind] + ":";
        for (const ListEntry& e : list.entries[std::size_t(kind)])
            out += std::string(e.source) + "=" + std::string(e.target) + "|";
    }
    if (list.has_languages)
        out += " lang=" + std::string(list.languages[0]) + "," + std::string(list.languages[1]);
    if (!list.has_section) out += " no section";
    return out;
}

} // namespace

TEST(ListFile, TextHoldsTheLanguagesThenEverySectionClosedByAnEmptyLine) {
    State st = english_to_german();
    st.win.language_caption = {"English ", "Dutch "};
    fill_pane(st, kPolygons, "Lake=Meer|Wood=");
    fill_pane(st, kPoints, "Well=Put");
    st.row_count(kLines) = 0;
    EXPECT_EQ(list_text(st), crlf({"[lang]English ,Dutch ", "[polygons]", "Lake#Meer", "Wood#", "",
                                   "[lines]", "", "[pois]", "Well#Put", ""}));
}

TEST(ListFile, ReadsEntriesHeadersAndTheLanguageLine) {
    struct Case {
        const char* name;
        std::string text;
        std::string read;
    };
    const std::string lang = "[lang]English ,Dutch \r\n";
    const Case cases[] = {
        {"entries",
         lang + crlf({"[polygons]", "Huis#House", "Huis#", "Huis#  House  ", "Huis", "a#b#c", "#",
                      "", "[lines]", "", "[pois]", "Put#Well", ""}),
         "P:Huis=House|Huis=|Huis=House|a=b|=| L: I:Put=Well| lang=English ,Dutch "},
        {"source kept as written", crlf({"[pois]", " Oude Kerk #Old Church"}),
         "P: L: I: Oude Kerk =Old Church|"},
        {"LF line ends", "[lang]En,Du\n[polygons]\nA#B\n\n[lines]\nC#D\n[pois]\nE#F",
         "P:A=B| L:C=D| I:E=F| lang=En,Du"},
        {"blanks around headers", crlf({"  [polygons]\t", "A#B", " [pois] "}), "P:A=B| L: I:"},
        {"CR without LF at the end", "[lines]\r\nA#B\r", "P: L:A=B| I:"},
        {"headers are case-sensitive", crlf({"[polygons]", "A#B", "[Lines]", "C#D"}),
         "P:A=B|C=D| L: I:"},
        {"header after header", crlf({"[polygons]", "[lines]", "[pois]", "A#B"}), "P: L: I:A=B|"},
        {"entries before any section", crlf({"A#B", "[lines]", "C#D"}), "P: L:C=D| I:"},
        {"a section again starts over", crlf({"[polygons]", "A#1", "B#2", "[polygons]", "C#3"}),
         "P:C=3|B=2| L: I:"},
        {"lang in any case, third name ignored", crlf({"[LANG]En,Du,Fr", "[pois]"}),
         "P: L: I: lang=En,Du"},
        {"lang without comma", crlf({"[lang]English", "[pois]"}), "P: L: I:"},
        {"lang inside an entry", crlf({"[pois]", "x[lang]a,b#y"}), "P: L: I:x[lang]a,b=y|"},
        {"no section at all", crlf({"[_id]", "\"! c #5A7DB4\"", "[end]"}), "P: L: I: no section"},
        {"empty", "", "P: L: I: no section"},
    };
    for (const Case& c : cases) EXPECT_EQ(read_as(c.text), c.read) << c.name;
}

TEST(ListFile, RowsWithAHashAreFound) {
    State st = english_to_german();
    fill_pane(st, kPolygons, "Lake=Meer|Route #5=Weg");
    fill_pane(st, kPoints, "Well=Nr#1");
    st.row_count(kLines) = 0;
    const auto rows = rows_with_hash(st);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].kind * 100 + rows[0].row, 1);
    EXPECT_EQ(rows[1].kind * 100 + rows[1].row, 200);
}

} // namespace lex
