#include "document/list_file.h"
#include "support/fixtures.h"

namespace lex {

using namespace lex::test;

// What a list text reads as: "P:src=tgt| L:... I:..." and the languages when found.
TEST(ListFile, ReadsEntriesHeadersAndTheLanguageLine) {
    auto read_as = [](const std::string& text) {
        const ListContents list = read_list(text);
        std::string out;
        for (const Kind kind : kAllKinds) {
            out += std::string(kind ? " " : "") + "PLI"[kind] + ":";
            for (const ListEntry& e : list.entries[std::size_t(kind)])
                out += std::string(e.source) + "=" + std::string(e.target) + "|";
        }
        if (list.has_languages)
            out += " lang=" + std::string(list.languages[0]) + "," + std::string(list.languages[1]);
        return out + (list.has_section ? "" : " no section");
    };
    const std::pair<std::string, std::string> cases[] = {
        {crlf({"[lang]English ,Dutch ", "[polygons]", "Huis#House", "Huis#", "Huis#  House  ",
               "Huis", "a#b#c", "#", "", "[lines]", "", "[pois]", " Oude Kerk #Put", ""}),
         "P:Huis=House|Huis=|Huis=House|a=b|=| L: I: Oude Kerk =Put| lang=English ,Dutch "},
        // LF line ends, blanks around headers, a lone CR at the end.
        {"[lang]En,Du\n  [polygons]\t\nA#B\n\n [lines] \nC#D\n[pois]\nE#F\r",
         "P:A=B| L:C=D| I:E=F| lang=En,Du"},
        // Headers are case-sensitive; a header right after a header; entries before any header.
        {crlf({"X#Y", "[polygons]", "[lines]", "A#B", "[Pois]", "C#D"}), "P: L:A=B|C=D| I:"},
        // A section that comes again starts over from its first row.
        {crlf({"[polygons]", "A#1", "B#2", "[polygons]", "C#3"}), "P:C=3|B=2| L: I:"},
        // "[lang]" in any case, only at the start, and only with a comma; a third name is ignored.
        {crlf({"[LANG]En,Du,Fr", "[pois]", "x[lang]a,b#y"}), "P: L: I:x[lang]a,b=y| lang=En,Du"},
        {crlf({"[lang]English", "[pois]"}), "P: L: I:"},
        // A row whose source text starts so is a row: it leaves the languages as they are.
        {crlf({"[lang]En,Du", "[pois]", "[LANG]a,b#y", "[lang],#"}),
         "P: L: I:[LANG]a,b=y|[lang],=| lang=En,Du"},
        {crlf({"[_id]", "\"! c #5A7DB4\"", "[end]"}), "P: L: I: no section"},
    };
    for (const auto& [text, read] : cases) EXPECT_EQ(read_as(text), read) << text;
}

} // namespace lex
