#include "document/label_edits.h"
#include "document/text.h"
#include "support/fixtures.h"

#include <algorithm>

namespace lex {

using namespace lex::test;

namespace {

// "[_polygon]" and the lines given as "a|b|c", closed by "[end]".
std::string el(const std::string& lines, const char* marker = "[_polygon]") {
    std::string out = std::string(marker) + "\r\n";
    for (const std::string& l : cells(lines)) out += l + "\r\n";
    return out + "[end]\r\n";
}

LabelEdit run(char op, std::string_view text) {
    return op == 'z'   ? relabel_language(text, "00", "04")
           : op == 'd' ? remove_empty_labels(text)
                       : sort_labels(text);
}

const std::string kDrawOrder =
    el("Type=0x01,1|String1=0x00,x|String2=0x09,b|String3=0x04,", "[_drawOrder]");

// Label lines outside every element: an element commented out but for its Type and label lines,
// and labels before an "[end]" that closes nothing.
const std::string kStray =
    ";[_point]\r\nType=0x2f\r\nString1=0x04,Old tower\r\nString2=0x00,\r\n;[end]\r\n";
const std::string kStrayEnd = "String1=0x00,Oude toren\r\n[end]\r\n";

} // namespace

TEST(LabelEdits, OnlyTheLabelLinesChange) {
    struct Case {
        char op;             // z: 0x00 to 0x04, d: remove empty labels, s: sort
        std::string in, out; // out "": nothing changes
        int count;
        std::string report;
    } const cases[] = {
        {'z', el("Type=0x00,|SubType=0x04,|;String2=0x04,off|String1=0X00,see 0x00, here"),
         el("Type=0x00,|SubType=0x04,|;String2=0x04,off|String1=0X04,see 0x00, here"), 1, ""},
        {'z', el("Type=0x01|String1=0x00,Name|String2=0x04,Naam") + kDrawOrder, "", 0,
         "[_polygon] Type=0x01\r\n"},
        {'d', el("Type=0x02|String1=0x04,|String2=0x02, \t|String3=0x04,Say String1=0x04,|A=,"),
         el("Type=0x02|String3=0x04,Say String1=0x04,|A=,"), 2,
         "[_polygon] Type=0x02 String1=0x04,\r\n[_polygon] Type=0x02 String2=0x02,\r\n"},
        {'d', kDrawOrder + el(";String1=0x04,|String1=,|String2=0x,|String3=0x04,Name,"), "", 0,
         ""},
        {'d', "[_point]\r\nString1=0x04,", "[_point]\r\n", 1, "[_point] String1=0x04,\r\n"},
        {'s', el("String1=0x09,Huis|Color=1|String2=0x04,House"),
         el("String1=0x04,House|Color=1|String2=0x09,Huis"), 1, ""},
        {'s', el("String1=0x04,A|String3=0x09,B") + kDrawOrder, "", 0, ""}, // a gap is no reason
        {'s', el("String1=0x1A,c|String2=0x09,b1|string3=0x0b,d|String4=0x09,b2"),
         el("String1=0x09,b1|String2=0x09,b2|String3=0x0b,d|String4=0x1A,c"), 1, ""},
        // Lines whose code cannot be read stay, and so do their numbers.
        {'s', el("String1=0x09,B|String2=junk|String3=0x12345,x|String4=0x04,A"),
         el("String1=0x04,A|String2=junk|String3=0x12345,x|String4=0x09,B"), 1, ""},
        // A line that merely starts with "[" is no header: the element goes on past it.
        {'s', el("String1=0x09,B|[0 0] x|String2=0x04,A"),
         el("String1=0x04,A|[0 0] x|String2=0x09,B"), 1, ""},
        // Label lines outside every element belong to none: they stay as they stand.
        {'s', kStray + el("String1=0x02,Kirche|String2=0x04,Church"), "", 0, ""},
        {'z', kStray + el("Type=0x0a|String1=0x00,Mill") + kStrayEnd + kStray,
         kStray + el("Type=0x0a|String1=0x04,Mill") + kStrayEnd + kStray, 1, ""},
        {'z', kStray + el("Type=0x0b|String1=0x00,Mill|String2=0x04,Molen"), "", 0,
         "[_polygon] Type=0x0b\r\n"},
        {'d', kStrayEnd + kStray + el("String1=0x04,|String2=0x02,Kerk"),
         kStrayEnd + kStray + el("String2=0x02,Kerk"), 1, "[_polygon] String1=0x04,\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        const LabelEdit edit = run(c.op, c.in);
        EXPECT_EQ(edit.text + "#" + std::to_string(edit.count) + "#" + edit.report,
                  c.out + "#" + std::to_string(c.count) + "#" + c.report);
    }
    // String10 and on are numbered like the others.
    std::string in = "[_point]\r\n", out = in;
    for (int i = 1; i <= 12; ++i) {
        in += "String" + std::to_string(i) + "=0x" + std::to_string(90 - i) + ",\r\n";
        out += "String" + std::to_string(i) + "=0x" + std::to_string(77 + i) + ",\r\n";
    }
    EXPECT_EQ(sort_labels(in).text, out);
}

// Random documents against a plain model: the generator knows which lines are labels.
TEST(LabelEdits, RandomDocumentsMatchAPlainModel) {
    struct Line {
        std::string text, prefix, code, body; // a label: prefix ("String7=0x"), code, ",", body
        int value() const { return std::stoi(code, nullptr, 16); }
    };
    struct Element {
        std::string header, closing; // closing "": no "[end]"
        std::vector<Line> lines;
        bool stray = false; // header and closing commented out (or an "[end]" that closes
                            // nothing): its lines belong to no element
    };
    std::mt19937 rng(20260512);
    auto pick = [&](std::initializer_list<const char*> from) {
        return std::string(from.begin()[rng() % from.size()]);
    };
    std::map<char, int> changed;
    for (int round = 0; round < 300; ++round) {
        const std::string end = rng() % 4 ? "\r\n" : "\n";
        std::vector<Element> doc{{"[_drawOrder]", "[end]", {{"String1=0x00,d", "S", "00", "d"}}}};
        for (int e = int(rng() % 10); e > 0; --e) {
            // Lines after an element without "[end]" are its own, so stray lines follow a
            // closed one.
            const bool stray = rng() % 5 == 0 && !doc.back().closing.empty();
            if (stray)
                doc.push_back({pick({";[_point]", "; [_polygon]", ""}),
                               pick({";[end]", "[end]", ""}),
                               {},
                               true});
            else
                doc.push_back({pick({"[_polygon]", "[_line]", " [_point] "}),
                               pick({"[end]", "[End]", " [END]", ""}),
                               {}});
            for (int n = int(rng() % 8); n > 0; --n) {
                Line l{pick({"Type=0x00,", "SubType=0x04", "", ";String1=0x00,off", "; [end]",
                             "Key=1 String1=0x00,x", "Xpm=\"[0 0]\""}),
                       "", "", ""};
                if (rng() % 4) {
                    l.prefix = pick({"String", "string", " String"});
                    l.prefix += std::to_string(rng() % 12 + 1) + "=0x";
                    l.code = pick({"00", "04", "02", "0A", "0a", "1", "19"});
                    l.body = pick({"", " ", "Lake", "0x00,", "String1=0x04,", "Weg \t", "[end]"});
                    l.text = l.prefix + l.code + "," + l.body;
                }
                doc.back().lines.push_back(l);
            }
        }
        auto render = [&](const std::vector<Element>& els) {
            std::string out = typ_header();
            for (const Element& e : els) {
                if (!e.header.empty()) out += e.header + end;
                for (const Line& l : e.lines) out += l.text + end;
                if (!e.closing.empty()) out += e.closing + end;
            }
            return out;
        };
        const std::string text = render(doc);
        for (char op : {'z', 'd', 's'}) {
            std::vector<Element> want = doc;
            for (auto e = want.begin() + 1; e != want.end(); ++e) { // the draw order stays
                if (e->stray) continue;
                std::vector<Line*> labels;
                for (Line& l : e->lines)
                    if (!l.code.empty()) labels.push_back(&l);
                auto has = [&](const char* code) {
                    return std::any_of(labels.begin(), labels.end(),
                                       [&](Line* l) { return l->code == code; });
                };
                const bool sorted =
                    std::is_sorted(labels.begin(), labels.end(),
                                   [](Line* a, Line* b) { return a->value() < b->value(); });
                if (op == 'z' && has("00") && !has("04")) {
                    for (Line* l : labels)
                        if (l->code == "00") l->text = l->prefix + "04," + l->body;
                } else if (op == 'd') {
                    std::erase_if(e->lines, [](const Line& l) {
                        return !l.code.empty() && trim(l.body).empty();
                    });
                } else if (op == 's' && !sorted) {
                    std::vector<Line> order;
                    for (Line* l : labels) order.push_back(*l);
                    std::stable_sort(order.begin(), order.end(), [](const Line& a, const Line& b) {
                        return a.value() < b.value();
                    });
                    for (std::size_t k = 0; k < labels.size(); ++k)
                        labels[k]->text = "String" + std::to_string(k + 1) + "=0x" + order[k].code +
                                          "," + order[k].body;
                }
            }
            const LabelEdit edit = run(op, text);
            changed[op] += edit.count > 0;
            ASSERT_EQ(edit.count ? edit.text : text, render(want)) << op << "\n" << text;
        }
    }
    for (char op : {'z', 'd', 's'}) EXPECT_GT(changed[op], 100) << op;
}

} // namespace lex
