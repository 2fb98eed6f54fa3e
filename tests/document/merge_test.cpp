#include "document/elements.h"
#include "document/merge.h"
#include "support/fixtures.h"

namespace lex {

using namespace lex::test;

namespace {

// A polygon from its lines joined by "/"; `after` its merged form, followed by an empty line.
std::string polygon(const std::string& lines, const char* after = "") {
    std::string out = "[_polygon]\r\n";
    for (const auto& l : cells(lines, '/')) out += l + "\r\n";
    return out + "[end]\r\n" + after;
}
std::string merged(const std::string& lines) {
    return polygon(lines, "\r\n");
}

// Merges `text` for one kind with the rows "source#target;..." (a field after a second "#" is
// left out), changed since built, or with the rows `setup` makes; source 0x04 and target 0x09
// unless `setup` says otherwise.
std::string run(Kind kind, const std::string& text, const std::string& pairs,
                const std::function<void(State&)>& setup = {}) {
    State st;
    st.source_code = "04";
    st.target_code = "09";
    if (setup) setup(st);
    const std::vector<Row>& built = st.rows(kind);
    std::vector<Row> rows(built.begin(),
                          built.begin() +
                              std::min<std::ptrdiff_t>(std::ssize(built), st.row_count(kind)));
    if (rows.empty()) {
        for (const auto& pair : cells(pairs, ';')) {
            if (pair.empty()) continue;
            const Strings fields = cells(pair, '#');
            Row& row = rows.emplace_back();
            row.caption = fields[0];
            row.text = fields.size() > 1 ? fields[1] : "";
            row.marked_changed = true;
        }
    }
    std::string out;
    merge_kind(st, kind, rows, text, out);
    // Elements already written as the merge writes them are copied the quick way; with every
    // line taken as loose, each goes the long way round, which must come to the same bytes.
    std::vector<std::size_t> everyLine;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        everyLine.push_back(at);
    std::string longWay;
    merge_kind(st, kind, rows, text, read_outline(text), everyLine, longWay);
    EXPECT_EQ(out, longWay) << text;
    return out;
}

} // namespace

TEST(Merge, RowTextsGoIntoTheElements) {
    struct Case {
        const char* what;
        std::string text, pairs, expected;
        std::function<void(State&)> setup = {};
    };
    const std::string house = polygon("Type=0x01/String1=0x04,House/String2=0x09,Hus");
    const std::string bars = polygon("Type=0x01/String1=0x04,House/String2=0x09,Hu|s");
    auto with = [](const std::string& target) {
        return merged("Type=0x01/String1=0x04,House/String2=0x09," + target);
    };
    std::string all47 = "Type=0x01";
    for (int n = 1; n <= 47; ++n)
        all47 += "/String" + std::to_string(n) + (n == 1 ? "=0x04,x" : "=0x01,x");
    // clang-format off
    const Case cases[] = {
        {"a new target line takes the first free number", polygon("Type=0x01/String1=0x04,House"),
         "House#Huis", merged("Type=0x01/String1=0x04,House/String2=0x09,Huis")},
        {"... filling a gap, still written last", polygon("Type=0x01/String1=0x04,House/String3=0x01,M"),
         "House#  Huis ", merged("Type=0x01/String1=0x04,House/String3=0x01,M/String2=0x09,  Huis ")},
        {"an existing target line gets the row text", house, "House#Huis", with("Huis")},
        {"only the row's own line, the first of the target language, gets the text",
         polygon("Type=0x01/String1=0x04,Lake/String2=0x09,/String3=0x09,Lago azul"), "Lake#Lago",
         merged("Type=0x01/String1=0x04,Lake/String2=0x09,Lago/String3=0x09,Lago azul")},
        {"... wherever it stands", polygon("Type=0x01/String3=0x09,Alt/String1=0x04,Lake/string2=0X09,Zwei"),
         "Lake#Neu", merged("Type=0x01/String3=0x09,Neu/String1=0x04,Lake/string2=0X09,Zwei")},
        {"... and a commented-out label line is none",
         polygon("Type=0x01/String1=0x04,Lake/;String2=0x09,x/ String3=0x09,y"), "Lake#z",
         merged("Type=0x01/String1=0x04,Lake/ String3=0x09,z/;String2=0x09,x")},
        {"a blank target empties the line, which stays", house, "House#", with("")},
        {"equal apart from outer blanks keeps the old text",
         polygon("Type=0x01/String1=0x04,House/String2=0x09, Hus "), "House#Hus", with(" Hus ")},
        {"unchanged, a label keeps its bars", bars, "House#Hus", with("Hu|s")},
        {"language codes match in either case", polygon("Type=0x01/String1=0x0A,Casa/String2=0x1B,old"),
         "Casa#new", merged("Type=0x01/String1=0x0A,Casa/String2=0x1B,new"),
         [](State& st) { st.source_code = "0a"; st.target_code = "1b"; }},
        {"String lines move below Type and empty lines go",
         polygon("/String1=0x04,Lake/Xpm=1/Type=0x3c//String2=0x01,Lac/FontStyle=Small/"), "Lake#Meer",
         merged("Xpm=1/Type=0x3c/String1=0x04,Lake/String2=0x01,Lac/String3=0x09,Meer/FontStyle=Small")},
        {"without a Type line labels stay where they stood", polygon("Color=1/String1=0x04,Lake/Width=2"),
         "Lake#Meer", merged("Color=1/String1=0x04,Lake/String2=0x09,Meer/Width=2")},
        {"only the first Type line gets the labels", polygon("Type=0x01/TypeExtra=1/String1=0x04,A"),
         "A#B", merged("Type=0x01/String1=0x04,A/String2=0x09,B/TypeExtra=1")},
        {"an element without String lines is written as it is",
         polygon("Type=0x01//Xpm=0/") + polygon("Type=0x02/String1=0x04,B"), "B#Bee",
         merged("Type=0x01//Xpm=0/") + merged("Type=0x02/String1=0x04,B/String2=0x09,Bee")},
        {"rows pair with the elements that have a source label",
         polygon("Type=0x01/String1=0x04,A") + polygon("Type=0x02/String1=0x01,Fr/String2=0x09,B") +
             polygon("Type=0x03/String1=0x04,C"), "A#Ay;C#Cee",
         merged("Type=0x01/String1=0x04,A/String2=0x09,Ay") +
             merged("Type=0x02/String1=0x01,Fr/String2=0x09,B") +
             merged("Type=0x03/String1=0x04,C/String2=0x09,Cee")},
        {"with 0x00 ticked an element with only a 0x00 label has a row too",
         polygon("Type=0x01/String1=0x00,Zed") + polygon("Type=0x02/String1=0x04,B"), "Zed#Zet;B#Bee",
         merged("Type=0x01/String1=0x00,Zed/String2=0x09,Zet") +
             merged("Type=0x02/String1=0x04,B/String2=0x09,Bee"),
         [](State& st) { st.zero_fallback = true; }},
        {"an element beyond the last row is written as it is",
         polygon("Type=0x01/String1=0x04,A") + polygon("/String1=0x04,B/Type=0x02/"), "A#Ay",
         merged("Type=0x01/String1=0x04,A/String2=0x09,Ay") + merged("/String1=0x04,B/Type=0x02/")},
        {"no pair list: nothing merged, nothing lost", polygon("/String1=0x04,B/Type=0x02"), "",
         merged("/String1=0x04,B/Type=0x02")},
        {"a list that is not the rows' own is read field by field", polygon("Type=0x01/String1=0x04,G"),
         "G#Tor#junk", merged("Type=0x01/String1=0x04,G/String2=0x09,Tor")},
        {"texts with hash signs survive when the list comes from the rows",
         polygon("Type=0x01/String1=0x04,Gate #3"), "Gate #3#Tor #3",
         merged("Type=0x01/String1=0x04,Gate #3/String2=0x09,Tor #3"),
         [](State& st) { st.row_count(kPolygons) = 1; st.row(kPolygons, 0).caption = "Gate #3"; st.row(kPolygons, 0).text = "Tor #3"; }},
        {"all 47 numbers taken", polygon(all47), "x#y", merged(all47 + "/Stringxx=0x09,y")},
        {"the last element without an end is closed", "[_polygon]\r\nType=0x01\r\nString1=0x04,A\r\n",
         "A#B", merged("Type=0x01/String1=0x04,A/String2=0x09,B")},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(run(kPolygons, c.text, c.pairs, c.setup), c.expected) << c.what;
    // Elements the quick way copies as they stand, and their near misses.
    const std::string typ = "Type=0x01/";
    const Case quick[] = {
        {"a changed own line", polygon(typ + "String1=0x04,A/String2=0x09,B/Xpm=0"), "A#Bee",
         merged(typ + "String1=0x04,A/String2=0x09,Bee/Xpm=0")},
        {"a new line after the last label", polygon(typ + "String1=0x04,A/String3=0x01,C/Xpm=0"),
         "A#Bee", merged(typ + "String1=0x04,A/String3=0x01,C/String2=0x09,Bee/Xpm=0")},
        {"labels together below a SubType line move up",
         polygon(typ + "SubType=0x02/Color=1/String1=0x04,A/String2=0x09,B/Xpm=0"), "A#Bee",
         merged(typ + "String1=0x04,A/String2=0x09,Bee/SubType=0x02/Color=1/Xpm=0")},
        {"... unchanged too", polygon(typ + "SubType=0x02/String1=0x04,A/Xpm=0"), "A#",
         merged(typ + "String1=0x04,A/SubType=0x02/Xpm=0")},
        {"... with a new line", polygon(typ + "SubType=0x02/String1=0x04,A"), "A#Bee",
         merged(typ + "String1=0x04,A/String2=0x09,Bee/SubType=0x02")},
        {"no Type line above the labels", polygon("Color=1/String1=0x04,A/Type=0x01"), "A#B",
         merged("Color=1/Type=0x01/String1=0x04,A/String2=0x09,B")},
        {"labels apart", polygon(typ + "String1=0x04,A/Xpm=0/String2=0x09,B"), "A#Bee",
         merged(typ + "String1=0x04,A/String2=0x09,Bee/Xpm=0")},
        {"a second Type line above the first label", polygon("Type=0x01/TypeX=2/String1=0x04,A"),
         "A#B", merged("Type=0x01/String1=0x04,A/String2=0x09,B/TypeX=2")},
        {"a blank before a label", polygon(typ + " String1=0x04,A/String2=0x09,B"), "A#C",
         merged(typ + " String1=0x04,A/String2=0x09,C")},
        {"an LF line end", "[_polygon]\r\nType=0x01\nString1=0x04,A\r\n[end]\r\n", "A#B",
         merged(typ + "String1=0x04,A/String2=0x09,B")},
        {"an LF after the header", "[_polygon]\nType=0x01\r\nString1=0x04,A\r\n[end]\r\n", "A#B",
         merged(typ + "String1=0x04,A/String2=0x09,B")},
        {"an end line with LF", "[_polygon]\r\nType=0x01\r\nString1=0x04,A\r\n[End]\n", "A#",
         "[_polygon]\r\nType=0x01\r\nString1=0x04,A\r\n[End]\r\n\r\n"},
        {"an empty line inside", polygon(typ + "String1=0x04,A/String2=0x09,B//Xpm=0"), "A#B",
         merged(typ + "String1=0x04,A/String2=0x09,B/Xpm=0")},
        {"a CR inside a line", polygon(typ + "String1=0x04,A\rB/String2=0x09,B"), "A\rB#C",
         merged(typ + "String1=0x04,A\rB/String2=0x09,C")},
    };
    for (const Case& c : quick)
        EXPECT_EQ(run(kPolygons, c.text, c.pairs, c.setup), c.expected) << c.what;
    // Points (and lines) take their own elements only.
    EXPECT_EQ(run(kPoints, polygon("String1=0x04,A") + "[_point]\r\nString1=0x04,Well\r\n[end]\r\n",
                  "Well#Put"),
              "[_point]\r\nString1=0x04,Well\r\nString2=0x09,Put\r\n[end]\r\n\r\n");
}

} // namespace lex
