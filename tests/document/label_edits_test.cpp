#include "document/label_edits.h"
#include "document/lines.h"
#include "document/text.h"
#include "support/fixtures.h"

#include <algorithm>
#include <random>

namespace lex {

using namespace lex::test;

namespace {

// One element section with its lines, CR LF ended.
std::string element(std::initializer_list<std::string> lines, const char* marker = "[_polygon]") {
    return typ_element(marker, lines);
}

const std::string kDrawOrder =
    "[_drawOrder]\r\nType=0x01,1\r\nString1=0x00,kept\r\nString2=0x09,b\r\nString3=0x04,a\r\n"
    "String4=0x0a,\r\n[end]\r\n";

struct Case {
    const char* what;
    std::string in;
    std::string out; // "" when nothing changes
    int count;
    std::string report;
};

void expect_case(const Case& c, const LabelEdit& edit) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(edit.count, c.count);
    EXPECT_EQ(edit.text, c.out);
    EXPECT_EQ(edit.report, c.report);
}

} // namespace

TEST(LabelEdits, ReplaceCodesTouchOnlyTheLanguageOfLabelLines) {
    const Case cases[] = {
        {"0x00 label becomes the source, Type and SubType lines and texts keep their tokens",
         element({"Type=0x00,", "SubType=0x04,", "String1=0x00,see 0x00, here"}),
         element({"Type=0x00,", "SubType=0x04,", "String1=0x04,see 0x00, here"}), 1, ""},
        {"an element with a source label stays and is named in the report",
         element({"Type=0x01", "String1=0x00,Name", "String2=0x04,Naam"}), "", 0,
         "[_polygon] Type=0x01\r\n"},
        {"a Type line or a comment in the source language is no source label",
         element({"Type=0x04,", ";String2=0x04,old", "String1=0x00,Name"}),
         element({"Type=0x04,", ";String2=0x04,old", "String1=0x04,Name"}), 1, ""},
        {"commented 0x00 labels and the draw-order section stay",
         kDrawOrder + element({";String1=0x00,Name"}), "", 0, ""},
        {"every 0x00 label of an element changes, the element counts once; LF ends stay",
         "[_line]\nType=0x02\nString1=0x00,A\nString2=0x00,B\n[End]\n" +
             element({"String1=0x00,C"}, "[_point]"),
         "[_line]\nType=0x02\nString1=0x04,A\nString2=0x04,B\n[End]\n" +
             element({"String1=0x04,C"}, "[_point]"),
         2, ""},
        {"an element without [end] ends at the next header",
         "[_polygon]\r\nString1=0x04,A\r\n" + element({"String1=0x00,B"}),
         "[_polygon]\r\nString1=0x04,A\r\n" + element({"String1=0x04,B"}), 1, ""},
        {"\"0X\" is read too", element({"String1=0X00,A"}), element({"String1=0X04,A"}), 1, ""},
    };
    for (const Case& c : cases) expect_case(c, relabel_language(c.in, "00", "04"));

    // Source to target: the target code is written, the source code matched in either case.
    EXPECT_EQ(relabel_language(element({"String1=0x0F,Hus"}), "0f", "09").text,
              element({"String1=0x09,Hus"}));
}

TEST(LabelEdits, RemovesEmptyLabelLinesWholeAndNothingElse) {
    const Case cases[] = {
        {"empty and blank labels go with their line ends; text with a comma stays",
         element({"Type=0x01", "String1=0x04,", "String2=0x02,   ", "String3=0x03,Name,",
                  "String4=0x09,\t"}),
         element({"Type=0x01", "String3=0x03,Name,"}), 3,
         "[_polygon] Type=0x01 String1=0x04,\r\n[_polygon] Type=0x01 String2=0x02,\r\n"
         "[_polygon] Type=0x01 String4=0x09,\r\n"},
        {"a label holding the text of an empty line is not cut",
         element({"Type=0x02", "String1=0x04,Say String2=0x02,", "String2=0x02,"}, "[_line]"),
         element({"Type=0x02", "String1=0x04,Say String2=0x02,"}, "[_line]"), 1,
         "[_line] Type=0x02 String2=0x02,\r\n"},
        {"lines that are no labels stay: comments, no code, the draw order",
         kDrawOrder + element({";String1=0x04,", "String1=,", "String2=0x,"}), "", 0, ""},
        {"the last line without a line end", "[_point]\r\nType=0x2f\r\nString1=0x04,",
         "[_point]\r\nType=0x2f\r\n", 1, "[_point] Type=0x2f String1=0x04,\r\n"},
    };
    for (const Case& c : cases) expect_case(c, remove_empty_labels(c.in));
}

TEST(LabelEdits, SortsLabelsByCodeIntoTheirPlaces) {
    const Case cases[] = {
        {"two labels swap and are renumbered",
         element({"Type=0x01", "String1=0x09,Huis", "String2=0x04,House"}),
         element({"Type=0x01", "String1=0x04,House", "String2=0x09,Huis"}), 1, ""},
        {"a gap alone is no reason to sort", element({"String1=0x04,A", "String3=0x09,B"}), "", 0,
         ""},
        {"equal codes keep their order; other lines keep their places",
         element({"String1=0x09,B1", "Color=1", "String2=0x04,A", "String3=0x09,B2"}),
         element({"String1=0x04,A", "Color=1", "String2=0x09,B1", "String3=0x09,B2"}), 1, ""},
        {"codes compare as numbers: 0x1A after 0x09 and 0x0b",
         element({"String1=0x1A,c", "String2=0x0b,b", "String3=0x09,a"}),
         element({"String1=0x09,a", "String2=0x0b,b", "String3=0x1A,c"}), 1, ""},
        {"unreadable String lines stay and keep their numbers",
         element({"String1=0x09,B", "String2=junk", "String3=0x12345,long", "String4=0x04,A",
                  ";String1=0x00,off"}),
         element({"String1=0x04,A", "String2=junk", "String3=0x12345,long", "String4=0x09,B",
                  ";String1=0x00,off"}),
         1, ""},
        {"the draw order is never sorted", kDrawOrder + "[_line]\nString1=0x02,b\n", "", 0, ""},
        {"LF ends stay", "[_line]\nString1=0x02,b\nString2=0x01,a\n[end]\n",
         "[_line]\nString1=0x01,a\nString2=0x02,b\n[end]\n", 1, ""},
    };
    for (const Case& c : cases) expect_case(c, sort_labels(c.in));

    // String10 and above are numbered like the others.
    std::vector<std::string> reversed, sorted;
    for (int i = 1; i <= 12; ++i) {
        char code[3];
        std::snprintf(code, sizeof code, "%02x", 13 - i);
        reversed.push_back("String" + std::to_string(i) + "=0x" + code + ",t" + code);
        std::snprintf(code, sizeof code, "%02x", i);
        sorted.push_back("String" + std::to_string(i) + "=0x" + code + ",t" + code);
    }
    std::string in = "[_point]\r\n", out = in;
    for (std::size_t i = 0; i < reversed.size(); ++i) {
        in += reversed[i] + "\r\n";
        out += sorted[i] + "\r\n";
    }
    EXPECT_EQ(sort_labels(in).text, out);
}

// Random documents against a plain reference that works on a vector of lines.
namespace {

struct Line {
    std::string text, end;
};

std::vector<Line> lines_of(const std::string& doc) {
    std::vector<Line> out;
    for_each_line(doc, [&](std::string_view line, std::size_t at) {
        std::size_t e = at + line.size();
        std::string end;
        if (e < doc.size() && doc[e] == '\r') end += '\r';
        if (e + end.size() < doc.size() && doc[e + end.size()] == '\n') end += '\n';
        out.push_back({std::string(line), end});
    });
    return out;
}

std::string join(const std::vector<Line>& lines) {
    std::string out;
    for (const Line& l : lines) out += l.text + l.end;
    return out;
}

std::string first_word(const std::string& s) {
    const std::size_t b = s.find_first_not_of(" \t");
    return b == std::string::npos ? "" : s.substr(b);
}

// Element number of every line: a header line starts a new element unless the open one has
// none yet; an [end] line closes the open one.
std::vector<int> element_of(const std::vector<Line>& lines, std::vector<bool>& draw_order) {
    std::vector<int> out;
    int current = 0;
    bool has_header = false;
    draw_order.assign(1, false);
    for (const Line& l : lines) {
        const std::string w = first_word(l.text);
        const bool code = !w.empty() && w[0] != ';';
        if (code && is_marker_line(l.text, "[end]")) {
            out.push_back(current++);
            draw_order.push_back(false);
            has_header = false;
            continue;
        }
        if (code && w[0] == '[') {
            if (has_header) {
                ++current;
                draw_order.push_back(false);
            }
            has_header = true;
            draw_order.back() = to_lower(w).find("_draworder") != std::string::npos;
        }
        out.push_back(current);
    }
    return out;
}

int value(std::string_view code) {
    return code.size() > 4 ? -1 : int(std::stol(std::string(code), nullptr, 16));
}

std::string reference(const std::string& doc, char op) {
    std::vector<Line> lines = lines_of(doc);
    std::vector<bool> draw;
    const std::vector<int> el = element_of(lines, draw);
    const int elements = el.empty() ? 0 : el.back() + 1;
    std::vector<bool> drop(lines.size(), false);
    for (int e = 0; e < elements; ++e) {
        if (draw[std::size_t(e)]) continue;
        std::vector<std::size_t> labels;
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (el[i] == e && parse_label_line(lines[i].text)) labels.push_back(i);
        auto code = [&](std::size_t i) { return to_lower(parse_label_line(lines[i].text)->code); };
        if (op == 'z') {
            bool zero = false, source = false;
            for (auto i : labels) zero |= code(i) == "00", source |= code(i) == "04";
            if (!zero || source) continue;
            for (auto i : labels)
                if (code(i) == "00")
                    lines[i].text.replace(parse_label_line(lines[i].text)->code_at, 2, "04");
        } else if (op == 'd') {
            for (auto i : labels)
                drop[i] = parse_label_line(lines[i].text)->text.find_first_not_of(" \t") ==
                          std::string::npos;
        } else {
            std::vector<std::size_t> readable;
            std::vector<std::string> kept;
            for (auto i : labels)
                if (value(parse_label_line(lines[i].text)->code) >= 0) readable.push_back(i);
            for (std::size_t i = 0; i < lines.size(); ++i) {
                const std::string w = first_word(lines[i].text);
                if (el[i] == e && w.size() > 7 && to_lower(w.substr(0, 6)) == "string" &&
                    std::find(readable.begin(), readable.end(), i) == readable.end())
                    kept.push_back(w.substr(6, w.find('=') - 6));
            }
            std::vector<std::string> texts;
            for (auto i : readable) texts.push_back(lines[i].text);
            std::vector<std::string> order = texts;
            std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
                return value(parse_label_line(a)->code) < value(parse_label_line(b)->code);
            });
            if (order == texts) continue;
            int n = 0;
            for (std::size_t k = 0; k < readable.size(); ++k) {
                do ++n;
                while (std::find(kept.begin(), kept.end(), std::to_string(n)) != kept.end());
                auto p = parse_label_line(order[k]);
                lines[readable[k]].text = "String" + std::to_string(n) + "=0x" +
                                          std::string(p->code) + "," + std::string(p->text);
            }
        }
    }
    std::vector<Line> kept;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (!drop[i]) kept.push_back(lines[i]);
    return join(kept);
}

std::string random_document(std::mt19937& rng) {
    auto pick = [&](std::initializer_list<const char*> from) {
        return std::string(*(from.begin() + rng() % from.size()));
    };
    const std::string end = rng() % 4 ? "\r\n" : "\n";
    std::string doc = typ_header() + "[_drawOrder]" + end + "Type=0x01,1" + end +
                      "String1=0x00,in draw order" + end + "[end]" + end;
    const int elements = int(rng() % 12);
    for (int e = 0; e < elements; ++e) {
        doc += pick({"[_polygon]", "[_line]", "[_point]", "  [_point] "}) + end;
        const int lines = int(rng() % 9);
        for (int l = 0; l < lines; ++l) {
            switch (rng() % 7) {
            case 0:
                doc += pick({"Type=0x00,", "Type=0x04", "SubType=0x00,", "Xpm=\"0 0 0 0\"", ""});
                break;
            case 1:
                doc += pick({";String1=0x00,off", "String2=junk", "String3=0x12345,x", "; [end]",
                             "String=0x04,", "Key=1 String1=0x00,x"});
                break;
            default:
                doc +=
                    pick({"String", "string", " String"}) + std::to_string(rng() % 12 + 1) + "=0x" +
                    pick({"00", "04", "02", "09", "0A", "0a", "1", "19"}) + "," +
                    pick({"", " ", "Lake", "0x00,", "String1=0x04,", "Weg \t", "[end]", "=0x09,"});
            }
            doc += end;
        }
        if (rng() % 8) doc += pick({"[end]", "[End]", " [END]"}) + end;
    }
    if (rng() % 2) doc += "String1=0x00,tail"; // text after the last element, no line end
    return doc;
}

// The lines that are not labels, in order.
std::vector<std::string> other_lines(const std::string& doc) {
    std::vector<std::string> out;
    for (const Line& l : lines_of(doc))
        if (!parse_label_line(l.text)) out.push_back(l.text + l.end);
    return out;
}

} // namespace

TEST(LabelEdits, RandomDocumentsMatchThePlainReference) {
    std::mt19937 rng(20260512);
    std::map<char, int> changed; // documents each operation changed
    for (int round = 0; round < 400; ++round) {
        const std::string doc = random_document(rng);
        SCOPED_TRACE(doc);
        for (char op : {'z', 'd', 's'}) {
            SCOPED_TRACE(op);
            const LabelEdit edit = op == 'z'   ? relabel_language(doc, "00", "04")
                                   : op == 'd' ? remove_empty_labels(doc)
                                               : sort_labels(doc);
            const std::string out = edit.count ? edit.text : doc;
            changed[op] += edit.count > 0;
            ASSERT_EQ(out, reference(doc, op));
            // Every other line, draw order and Type lines included, is still there unchanged;
            // only the removal loses label lines.
            EXPECT_EQ(other_lines(out), other_lines(doc));
            if (op != 'd') {
                EXPECT_EQ(lines_of(out).size(), lines_of(doc).size());
            }
            EXPECT_NE(out.find("String1=0x00,in draw order"), std::string::npos);
        }
    }
    for (char op : {'z', 'd', 's'}) EXPECT_GT(changed[op], 100) << op;
}

} // namespace lex
