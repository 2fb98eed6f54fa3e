// PO and XLIFF: the files written, read back, and the rows an import changes.

#include "commands/edit_label.h"
#include "commands/interchange.h"
#include "commands/language_choice.h"
#include "commands/save_document.h"
#include "commands/string_tools.h"
#include "document/codec_qt.h"
#include "document/codepage.h"
#include "document/label_codec.h"
#include "document/po_file.h"
#include "document/text.h"
#include "document/xliff_file.h"
#include "support/fixtures.h"
#include "translate/languages.h"
#include "view/rows.h"
#include "view/steps.h"

#include <algorithm>
#include <filesystem>

namespace lex {

using namespace lex::test;

namespace {

std::string polygon(std::initializer_list<std::string> lines) {
    return typ_element("[_polygon]", lines);
}

std::string header(int codepage) {
    return replace_all(typ_header(), "CodePage=1252", "CodePage=" + std::to_string(codepage));
}

// The labels a PO or XLIFF file must carry as they are.
const std::vector<std::string> kAwkwardLabels{
    "Lake \"Blue\"",  "C:\\maps\\x", "a\tb",         "  blanks around  ",    "",
    "Straße → Ñandú", "#1; 100%",    "<b>&amp;</b>", "\x01\x1f\x7f control",
};

} // namespace

TEST(ExchangeFormats, EveryLabelComesBackAsItWentOutInPoAndXliff) {
    ExchangeFile file;
    file.source_language = "en";
    file.target_language = "ru";
    file.original = "a \"b\".txt";
    for (std::size_t i = 0; i < kAwkwardLabels.size(); ++i)
        file.entries.push_back({"polygon Type=0x0" + std::to_string(i), kAwkwardLabels[i],
                                kAwkwardLabels[kAwkwardLabels.size() - 1 - i],
                                "French: x\nGerman: \"y\"", i % 2 == 1, 0});
    for (const bool xliff : {false, true}) {
        SCOPED_TRACE(xliff ? "XLIFF" : "PO");
        const std::string text = xliff ? xliff_text(file) : po_text(file);
        ExchangeFile back;
        std::string error;
        ASSERT_TRUE(xliff ? read_xliff(text, back, error) : read_po(text, back, error)) << error;
        EXPECT_EQ(back.target_language, "ru");
        EXPECT_EQ(back.source_language, "en");
        ASSERT_EQ(back.entries.size(), file.entries.size());
        for (std::size_t i = 0; i < file.entries.size(); ++i) {
            const ExchangeEntry& e = file.entries[i];
            const ExchangeEntry& b = back.entries[i];
            EXPECT_EQ(b.context, e.context);
            // XML cannot hold control characters: only PO keeps them.
            if (!xliff || e.source.find('\x01') == std::string::npos) {
                EXPECT_EQ(b.source, e.source);
            }
            if (!xliff || e.target.find('\x01') == std::string::npos) {
                EXPECT_EQ(b.target, e.target);
            }
            // No target, no fuzzy flag: gettext counts such an entry untranslated.
            EXPECT_EQ(b.review, e.review && !e.target.empty()) << i;
            EXPECT_EQ(b.comment, e.comment);
        }
    }
}

TEST(ExchangeFormats, PoAsEditorsWriteItReads) {
    // Wrapped strings, CR LF, flags among others, obsolete and plural entries, previous msgids.
    const std::string po =
        "# translator\r\nmsgid \"\"\r\nmsgstr \"\"\r\n\"Language: de_AT\\n\"\r\n"
        "\"Content-Type: text/plain; charset=utf-8\\n\"\r\n\r\n"
        "#, c-format, fuzzy\r\n#| msgid \"Old\"\r\nmsgctxt \"point\"\r\n"
        "msgid \"\"\r\n\"Long \"\r\n\"label\"\r\nmsgstr \"\"\r\n\"Lang\\x41\\101\"\r\n"
        "msgctxt \"line\"\nmsgid \"a\"\nmsgid_plural \"as\"\nmsgstr[0] \"b\"\n"
        "msgstr[1] \"bs\"\n\n#~ msgid \"gone\"\n#~ msgstr \"weg\"\n";
    ExchangeFile file;
    std::string error;
    ASSERT_TRUE(read_po(po, file, error)) << error;
    EXPECT_EQ(file.target_language, "de_AT");
    ASSERT_EQ(file.entries.size(), 2u);
    EXPECT_EQ(file.entries[0].source, "Long label");
    EXPECT_EQ(file.entries[0].target, "LangAA");
    EXPECT_TRUE(file.entries[0].review);
    EXPECT_EQ(file.entries[1].context, "line");
    EXPECT_EQ(file.entries[1].target, "b");
    EXPECT_FALSE(file.entries[1].review);
}

TEST(ExchangeFormats, PoEntriesReadTheSameHoweverTheirLinesAreSpacedAndEnded) {
    // The same entry as editors and hands may write it: the reader takes its usual shape
    // quickly and must take every other shape as it did.
    const std::vector<std::string> spellings{
        "msgctxt \"point #2\"\nmsgid \"Inn\"\nmsgstr \"Gasthaus\"",
        "msgctxt \"point #2\"   \nmsgid \"Inn\"  \nmsgstr \"Gasthaus\" ",
        "  msgctxt \"point #2\"\n   msgid \"Inn\"\n msgstr \"Gasthaus\"",
        "msgctxt  \"point #2\"\nmsgid   \"Inn\"\nmsgstr  \"Gasthaus\"",
        "msgctxt \"point \"\n\"#2\"\nmsgid \"\"\n\"Inn\"\nmsgstr \"Gast\"\n\"haus\"",
        "#. French: Auberge\n#.\tItalian: Osteria \nmsgctxt \"point #2\"\nmsgid "
        "\"Inn\"\nmsgstr \"Gasthaus\"",
        "msgctxt \"point #2\"\nmsgid \"Inn\"\nmsgstr[0] \"Gasthaus\"",
        // Tabs wherever a blank may stand: before a keyword, after it, after a string, around a
        // continued string and a comment, on a line of its own.
        "\tmsgctxt \"point #2\"\n \tmsgid \"Inn\"\n\tmsgstr \"Gasthaus\"",
        "msgctxt\t\"point #2\"\nmsgid \t\"Inn\"\nmsgstr\t \"Gasthaus\"",
        "msgctxt \"point #2\"\t\nmsgid \"Inn\" \t \nmsgstr \"Gasthaus\"\t",
        "\t \nmsgctxt \"point \"\n\t\"#2\"\t\nmsgid \"\"\n \t\"Inn\"\nmsgstr \"Gast\"\n\t\"haus\" ",
        "\t#. French: Auberge\n #.\tItalian: Osteria \nmsgctxt \"point #2\"\nmsgid "
        "\"Inn\"\nmsgstr \"Gasthaus\"",
        "msgctxt \"point #2\"\nmsgid\t\"Inn\"\nmsgid_plural\t\"Inns\"\nmsgstr[0]\t\"Gasthaus\"\n"
        "\tmsgstr[1]\t\"Gasthäuser\"",
        // Flags split at blanks as well as commas.
        "#,\tfuzzy\t\nmsgctxt \"point #2\"\nmsgid \"Inn\"\nmsgstr \"Gasthaus\"",
        "\t#, c-format fuzzy\nmsgctxt \"point #2\"\nmsgid \"Inn\"\nmsgstr \"Gasthaus\"",
    };
    for (const std::string& spelling : spellings)
        for (const std::string_view end : {"\n", "\r\n"})
            for (const bool final_end : {true, false}) {
                std::string po = "msgid \"\"\nmsgstr \"Language: de\\n\"\n\n" + spelling;
                if (final_end) po += '\n';
                po = replace_all(po, "\n", std::string(end));
                ExchangeFile file;
                std::string error;
                ASSERT_TRUE(read_po(po, file, error)) << error << "\n" << po;
                ASSERT_EQ(file.entries.size(), 1u) << po;
                const ExchangeEntry& e = file.entries[0];
                EXPECT_EQ(e.context + "|" + e.source + "|" + e.target, "point #2|Inn|Gasthaus")
                    << po;
                if (spelling.find("#.") != std::string::npos) {
                    EXPECT_EQ(e.comment, "French: Auberge\n\tItalian: Osteria") << po;
                }
                EXPECT_EQ(e.review, spelling.find("fuzzy") != std::string::npos) << po;
            }

    // An escape at every place of strings of 1 to 40 bytes, each string the last bytes of the
    // text or followed by its line end; and such a string left open at the text's end.
    for (std::size_t size = 1; size <= 40; ++size)
        for (std::size_t at = 0; at < size; ++at)
            for (const bool final_end : {true, false}) {
                std::string label(size, 'x');
                label[at] = '"';
                std::string escaped = replace_all(label, "\"", "\\\"");
                std::string po = "msgid \"\"\nmsgstr \"\"\n\nmsgid \"" + escaped + "\"\nmsgstr \"" +
                                 escaped + "\"" + (final_end ? "\n" : "");
                ExchangeFile file;
                std::string error;
                ASSERT_TRUE(read_po(po, file, error)) << error << "\n" << po;
                ASSERT_EQ(file.entries.size(), 1u);
                EXPECT_EQ(file.entries[0].target, label) << po;
                po.resize(po.size() - (final_end ? 2 : 1));
                EXPECT_FALSE(read_po(po, file, error)) << po;
                EXPECT_EQ(error, "line 5: a string without its closing quote") << po;
            }
}

TEST(ExchangeFormats, BrokenFilesSayWhereAndWhy) {
    struct Case {
        bool xliff;
        std::string text;
        std::string why; // a part of the error
    };
    const std::string head = "msgid \"\"\nmsgstr \"Language: ru\\n\"\n\n";
    const std::string xlf = "<?xml version=\"1.0\"?>\n<xliff version=\"1.2\"><file><body>";
    const std::vector<Case> cases{
        {false, "", "no header"},
        {false, head + "msgid \"a\nmsgstr \"b\"\n", "line 4: a string without its closing quote"},
        {false, head + "msgstr \"b\"\n", "line 4: msgstr without msgid"},
        {false, head + "msgid \"a\"\n", "an entry without msgstr"},
        {false, head + "msgid \"a\\q\"\nmsgstr \"\"\n", "unknown escape"},
        {false, head + "hello\n", "no PO keyword"},
        {false, head + "msg\tid \"a\"\n", "\"msg\" is no PO keyword"},
        {false, head + "msgid\t\"a\"\t\nmsgstr\t\"b\t\n",
         "line 5: a string without its closing quote"},
        {false, head + "msgid \"a\"\nmsgstr\t\t\n", "line 5: a keyword without its quoted string"},
        {false, "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n",
         "not UTF-8"},
        {false, "\x89PNG\r\n\x1a\n\0\0\0", "no PO keyword"},
        {true, "", "no <xliff> element"},
        {true, xlf + "<trans-unit id=\"a\"><source>x</source></body></file></xliff>",
         "</body> closes <trans-unit>"},
        {true, xlf + "<trans-unit id=\"a\"><source>&ent;</source>", "&ent;"},
        {true, "<!DOCTYPE x [<!ENTITY a \"aaaa\">]><xliff version=\"1.2\"/>", "DOCTYPE"},
        {true, "<xliff version=\"2.0\"/>", "XLIFF 2.0"},
        {true, "<po/>", "root element is not <xliff>"},
        {true, xlf + "<trans-unit id=\"a\"><source>x</source>", "is not closed"},
    };
    for (const Case& c : cases) {
        ExchangeFile file;
        std::string error;
        const bool read = c.xliff ? read_xliff(c.text, file, error) : read_po(c.text, file, error);
        EXPECT_FALSE(read) << c.text;
        EXPECT_NE(error.find(c.why), std::string::npos) << error;
    }
}

TEST(ExchangeFormats, XliffReadsTheSameInOurOwnLayoutAndInAnyOther) {
    // Our own layout is read in one go, any other by the general reading: both give the same
    // entries, and the same message for a fault.
    ExchangeFile file;
    file.target_language = "de";
    for (std::size_t i = 0; i < kAwkwardLabels.size(); ++i) {
        const std::string& label = kAwkwardLabels[i];
        if (label.find_first_of("\x01\x1f") != std::string::npos) continue; // not in XML
        file.entries.push_back({"point Type=0x" + std::to_string(i) + (i % 3 ? "" : " \"&\""),
                                label, i % 4 == 1 ? "" : label + " de", i % 2 ? "" : "a\r\nb",
                                i % 3 == 2, 0});
    }
    const std::string ours = xliff_text(file);
    // Read for pairing too, which leaves comments and lines out but must take and refuse what
    // the whole reading takes and refuses, with the same message.
    auto read = [](const std::string& text, std::string& error) {
        ExchangeFile back, paired;
        error.clear();
        read_xliff(text, back, error);
        std::vector<ExchangeEntry> handed;
        std::string paired_error;
        read_xliff(
            text, paired, paired_error, [&](const ExchangeEntry& e) { handed.push_back(e); },
            EntryDetails::kForPairing);
        EXPECT_EQ(paired_error, error);
        std::string entries, pairing;
        for (const ExchangeEntry& e : back.entries) {
            entries += e.context + "|" + e.source + "|" + e.target + "|" + e.comment + "|" +
                       (e.review ? "review|" : "|") + std::to_string(e.line) + "\x02";
            pairing += e.context + "|" + e.source + "|" + e.target + (e.review ? "|r" : "|");
        }
        std::string handed_on;
        for (const ExchangeEntry& e : handed) {
            EXPECT_EQ(e.comment, "");
            EXPECT_EQ(e.line, 0);
            handed_on += e.context + "|" + e.source + "|" + e.target + (e.review ? "|r" : "|");
        }
        EXPECT_EQ(handed_on, pairing);
        return entries;
    };
    std::string error;
    const std::string expected = read(ours, error);
    ASSERT_EQ(error, "");
    ASSERT_EQ(std::count(expected.begin(), expected.end(), '\x02'),
              std::ptrdiff_t(file.entries.size()));
    const std::vector<std::pair<std::string, std::string>> layouts{
        {"\n", "\r\n"},
        {"        <", "\t<"},
        {" xml:space=\"preserve\">", " xml:space='preserve' >"},
        {"</source>\n", "</source><!-- seen -->\n"},
        {"<note from=\"Lexmarin\">", "<note>"},
        {"state=\"translated\"", "state=\"final\""},
    };
    for (const auto& [from, to] : layouts) {
        EXPECT_EQ(read(replace_all(ours, from, to), error), expected) << to;
        EXPECT_EQ(error, "") << to;
    }

    // A fault inside a unit of our own layout: said where it stands, as in any other layout; in
    // a note too, which a reading for pairing does not keep, after or before the line end our
    // writer puts between its lines.
    for (const auto& [fault, why] : std::vector<std::pair<std::string, std::string>>{
             {"&bogus;", "the entity &bogus; which XLIFF does not define"},
             {"&#0;", "a broken character reference"}}) {
        for (const int layout : {0, 1, 2}) {
            for (const char* where : {"<source>", "<note from=\"Lexmarin\">"}) {
                for (const bool first : {true, false}) {
                    const bool own = layout != 1;
                    std::string text = own ? ours : replace_all(ours, "\n", "\r\n");
                    if (layout == 2) // lines counted in long strides
                        text.insert(text.find("<trans-unit"), "<!--" + std::string(70000, ' ') +
                                                                  "\n" + std::string(20000, '\n') +
                                                                  "-->\n      ");
                    const std::string tag = where;
                    const std::size_t at = text.find(tag, text.find(tag) + 1) + tag.size();
                    text.insert(at, first ? fault + "a&#10;" : "b&#10;" + fault);
                    const auto line =
                        1 + std::count(text.begin(), text.begin() + std::ptrdiff_t(at), '\n');
                    read(text, error);
                    EXPECT_EQ(error, "line " + std::to_string(line) + ": " + why)
                        << own << where << first;
                }
            }
        }
    }
    std::string text = ours;
    const std::size_t unit = text.find("<trans-unit id=\"");
    text.insert(unit + 16, "&lt;");
    read(text, error);
    EXPECT_EQ(error, "line " +
                         std::to_string(1 + std::count(text.begin(),
                                                       text.begin() + std::ptrdiff_t(unit), '\n')) +
                         ": a \"<\" in an attribute value");
}

TEST(LabelCodecs, EveryByteOfEverySingleByteCodePageComesBack) {
    std::string all;
    for (int b = 0x20; b < 0x100; ++b) all.push_back(char(b));
    for (const int cp : {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258}) {
        // The tables and the converter read every byte alike, undefined ones too.
        EXPECT_EQ(table_label_codec().to_utf8(all, cp), qt_label_codec().to_utf8(all, cp)) << cp;
        for (const LabelCodec* codec : {&table_label_codec(), &qt_label_codec()}) {
            const std::string utf8 = codec->to_utf8(all, cp);
            const auto back = codec->from_utf8(utf8, cp);
            ASSERT_TRUE(back.has_value()) << cp;
            EXPECT_EQ(*back, all) << cp;
        }
    }
    EXPECT_EQ(table_label_codec().to_utf8("\xCE\xE7\xE5\xF0\xEE", 1251), "Озеро");
    EXPECT_FALSE(table_label_codec().from_utf8("Озеро", 1252).has_value());
    // Printable ASCII is its own UTF-8 under every code page, and the passes over every row
    // take such labels as they are; a control or a byte above 0x7F anywhere in the eight-byte
    // words goes through the codec (Shift_JIS reads 0x1A, 0x1C and 0x7F as other controls).
    std::string printable;
    for (int b = 0x20; b < 0x7F; ++b) printable.push_back(char(b));
    for (const int cp : {874, 932, 936, 949, 950, 1250, 1252, 1258, kUtf8CodePage})
        EXPECT_EQ(qt_label_codec().to_utf8(printable, cp), printable) << cp;
    for (std::size_t size = 1; size <= 17; ++size) {
        for (std::size_t at = 0; at < size; ++at) {
            for (const char odd : {'\x1A', '\x1F', '\x7F', '\x80', '\xE9', '\t', '\0'}) {
                std::string label(size, 'a');
                label[at] = odd;
                for (const int cp : {932, 1252}) {
                    std::string buffer;
                    EXPECT_EQ(utf8_view(qt_label_codec(), label, cp, buffer),
                              qt_label_codec().to_utf8(label, cp))
                        << size << " " << at << " " << int(odd) << " " << cp;
                }
            }
        }
        EXPECT_TRUE(plain_ascii(std::string(size, '~') + std::string(size, ' ')));
    }
    EXPECT_EQ(qt_label_codec().from_utf8("東京", 932),
              std::optional<std::string>("\x93\x8c\x8b\x9e"));
    EXPECT_FALSE(qt_label_codec().from_utf8("ทะเลสาบ", 932).has_value());
}

// Values that differ in one byte anywhere, or only in length, are counted apart, however many
// there are; values that differ only in the letter case of A to Z are counted together.
TEST(ElementCounters, CountEachPairOfValuesApart) {
    std::vector<std::string> values;
    for (std::size_t size = 1; size <= 24; ++size) {
        const std::string base(size, 'p');
        values.push_back(base);
        for (std::size_t at = 0; at < size; ++at) {
            std::string one = base;
            one[at] = char(0xD0); // a byte the case folding must leave alone
            values.push_back(one);
            one[at] = '@'; // one below 'A'
            values.push_back(one);
        }
    }
    for (int i = 0; i < 3000; ++i) values.push_back("0x" + std::to_string(i));
    ElementCounter counter;
    for (const int round : {1, 2, 3}) {
        ASSERT_EQ(counter.add("", ""), round);
        for (const std::string& value : values) {
            // Two values, not one text: "a" and "" is not "" and "a".
            ASSERT_EQ(counter.add(value, ""), round) << value;
            ASSERT_EQ(counter.add("", value), round) << value;
        }
    }
    const std::string upper = "0X1F TYPE";
    EXPECT_EQ(counter.add(upper, upper), 1);
    EXPECT_EQ(counter.add("0x1f type", "0x1F Type"), 2);
    EXPECT_EQ(counter.add("0x1[", "x"), 1); // '[' is no capital of '{'
    EXPECT_EQ(counter.add("0x1{", "x"), 1);
}

class Interchange : public DocTest {
protected:
    // English to the target language of TYP code `code`.
    void target(const std::string& code) {
        select_language(st, kTargetList, language_row_of(st, code));
        st.row_target_code = st.target_code;
        st.win.language_caption[kTargetList] =
            language_list_item(kTargetList, language_row_of(st, code));
    }
    ExchangeOptions to(const std::string& path) {
        ExchangeOptions o;
        o.path = path;
        return o;
    }
    // Exports to a file, lets `edit` change its text, imports it.
    Outcome round_trip(ExchangeFormat format, const std::function<void(std::string&)>& edit) {
        const std::string path = dir.file(format == ExchangeFormat::kPo ? "out.po" : "out.xlf");
        EXPECT_TRUE(export_exchange(st, ui, format, to(path)).ok());
        std::string text = TempDir::read(path);
        edit(text);
        dir.write("in", text);
        return import_exchange(st, ui, format, to(dir.file("in")));
    }
    // Saves over the document (keeping its layout when asked) and gives the file's bytes.
    std::string saved(bool keep_layout) {
        st.kept.keep_layout = keep_layout;
        std::string path = st.document_path;
        EXPECT_TRUE(save_document(st, ui, path).ok());
        return TempDir::read(path);
    }
};

TEST_F(Interchange, ExportedThenImportedUnchangedChangesNothingAndOneEditOneLabel) {
    struct Case {
        std::string code; // the target language
        int codepage;     // the document's CodePage line
        std::string target_label;
        std::string edited; // UTF-8
        std::string written;
    };
    const std::vector<Case> cases{
        {"19", 1251, "\xCB\xE5\xF1", "Озеро «Синее»",
         "\xCE\xE7\xE5\xF0\xEE \xAB\xD1\xE8\xED\xE5\xE5\xBB"},
        {"12", 1250, "Les", "Jezero \"Modré\"", "Jezero \"Modr\xE9\""},
        {"17", 1253, "\xC4\xDC\xF3\xEF\xF2", "Λίμνη", "\xCB\xDF\xEC\xED\xE7"},
        {"19", 65001, "Лес", "Озеро\\Пруд", "Озеро\\Пруд"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code + " " + std::to_string(c.codepage));
        for (const ExchangeFormat format : {ExchangeFormat::kPo, ExchangeFormat::kXliff}) {
            target(c.code);
            const std::string text =
                header(c.codepage) +
                polygon({"Type=0x01", "String1=0x04,Forest",
                         "String2=0x" + c.code + "," + c.target_label}) +
                polygon({"Type=0x02", "String1=0x04,Lake", "String2=0x01,Lac"}) +
                polygon({"Type=0x03", "String1=0x04,Forest"});
            ASSERT_TRUE(open("style.txt", text));
            ASSERT_EQ(st.row_count(kPolygons), 3);
            // Unchanged: no row changes and the save writes the file as it was.
            Outcome same = round_trip(format, [](std::string&) {});
            EXPECT_TRUE(same.ok());
            EXPECT_EQ(same.count, 0);
            EXPECT_FALSE(st.changed);
            // One target given to the Lake.
            const bool po = format == ExchangeFormat::kPo;
            std::string po_edit = c.edited;
            if (po)
                for (std::size_t at = 0;
                     (at = po_edit.find_first_of("\"\\", at)) != std::string::npos; at += 2)
                    po_edit.insert(at, "\\");
            Outcome one = round_trip(format, [&](std::string& t) {
                const std::string from =
                    po ? "msgid \"Lake\"\nmsgstr \"\"" : "<source>Lake</source>";
                const std::string into = po ? "msgid \"Lake\"\nmsgstr \"" + po_edit + "\""
                                            : "<source>Lake</source><target>" +
                                                  replace_all(c.edited, "\"", "&quot;") +
                                                  "</target>";
                ASSERT_NE(t.find(from), std::string::npos);
                t.replace(t.find(from), from.size(), into);
            });
            ASSERT_TRUE(one.ok());
            EXPECT_EQ(one.count, 1);
            EXPECT_EQ(st.rows(kPolygons)[1].text, c.written);
            EXPECT_TRUE(st.changed);
            std::string expected = text;
            const std::string lac = "String2=0x01,Lac\r\n";
            expected.insert(expected.find(lac) + lac.size(),
                            "String3=0x" + c.code + "," + c.written + "\r\n");
            EXPECT_EQ(saved(true), expected);
        }
    }
}

TEST_F(Interchange, EntriesCarryContextCommentAndStatusAsTheRowsHaveThem) {
    target("02");
    ASSERT_TRUE(
        open("style.txt",
             header(1252) +
                 polygon({"Type=0x01", "String1=0x04,Forest", "String2=0x02,?Wald",
                          "String3=0x01,For\xEAt", "String4=0x12,"}) +
                 polygon({"type=0x01", "String1=0x04,Forest", "String2=0x02,Forst"}) +
                 typ_element("[_point]", {"Type=0x2F", "SubType=0x04", "String1=0x04,Forest"}) +
                 polygon({"Type=0x05", "String1=0x02,Nur deutsch"})));
    st.rows(kPolygons)[1].status = RowStatus::kToReview;
    const ExchangeFile file = exchange_file(st, table_label_codec());
    ASSERT_EQ(file.entries.size(), 3u);
    EXPECT_EQ(file.source_language, "en");
    EXPECT_EQ(file.target_language, "de");
    EXPECT_EQ(file.entries[0].context, "polygon Type=0x01");
    EXPECT_EQ(file.entries[1].context, "polygon Type=0x01 #2");
    EXPECT_EQ(file.entries[2].context, "point Type=0x2f SubType=0x04");
    EXPECT_EQ(file.entries[0].comment, "French: Forêt"); // empty labels say nothing
    EXPECT_EQ(file.entries[1].comment, "");
    EXPECT_TRUE(file.entries[0].review);  // suspect
    EXPECT_TRUE(file.entries[1].review);  // to review
    EXPECT_FALSE(file.entries[2].review); // empty
    EXPECT_EQ(file.entries[2].target, "");
}

// What names an element and what the translator is told, however its lines are written.
TEST_F(Interchange, ContextAndCommentReadEveryWayALineIsWritten) {
    target("02");
    struct Case {
        std::vector<std::string> lines; // the body, after "Type" lines and labels of its own
        std::string contexts;           // of every entry, joined by "|"
        std::string comment;            // of the first entry
    };
    const std::vector<Case> cases{
        {{"Type=0x01", "String1=0x04,Forest", "String2=0x01,For=et"},
         "polygon Type=0x01",
         "French: For=et"},
        // Blanks around the line and the value, any letter case; a later Type line is ignored.
        {{"  TYPE= 0x0A ", "String1=0x04,Lake", "Type=0x0b"}, "polygon Type=0x0a", ""},
        // A label line after a tab and after the SubType; the SubType after the labels.
        {{"Type=0x02", "\tString1=0x04,Marsh", "String3=0x03,Moeras", "subtype=0x1F"},
         "polygon Type=0x02 SubType=0x1f",
         "Dutch: Moeras"},
        // "Type =" is no Type line, a comment is none, an empty value names nothing.
        {{"Type =0x05", ";Type=0x06", "String1=0x04,Dam", "SubType="}, "polygon", ""},
        // "=" in a label's text and on lines that are neither.
        {{"Type=0x07", "FontStyle=SmallFont", "String1=0x04,a=b", "String2=0x19,c=d=e"},
         "polygon Type=0x07",
         "Russian: c=d=e"},
        // A label key without a number or in capitals; lines that only look like labels.
        {{"Type=0x08", "String=0x03,Zonder", "STRING12=0X04,Upper", "String2=0x03", "String3=0x,x",
          "String4=0x1g,y", "Strings5=0x03,z", " \t String6=0x0A,Lago"},
         "polygon Type=0x08",
         "Dutch: Zonder\n0x0a: Lago"},
        // An element without a label of the source language makes no entry.
        {{"Type=0x0c", "String1=0x004,Three digits", "[end]", "[_polygon]", "Type=0x0d",
          "String1=0x04,English"},
         "polygon Type=0x0d",
         ""},
        // The lines after an element's "[end]" are none of its own, however close.
        {{"String1=0x04,A", "[end]", "Type=0x0f", "[_polygon]", "String1=0x04,B=", "[end]",
          "SubType=0x01"},
         "polygon|polygon #2",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.contexts);
        std::string body;
        for (const std::string& line : c.lines) body += line + "\r\n";
        ASSERT_TRUE(open("style.txt", header(1252) + "[_polygon]\r\n" + body + "[end]\r\n"));
        const ExchangeFile file = exchange_file(st, table_label_codec());
        ASSERT_FALSE(file.entries.empty());
        std::string contexts;
        for (const ExchangeEntry& e : file.entries)
            contexts += (contexts.empty() ? "" : "|") + e.context;
        EXPECT_EQ(contexts, c.contexts);
        EXPECT_EQ(file.entries[0].comment, c.comment);
    }
    // The last element, its "[end]" the text's last bytes.
    ASSERT_TRUE(open("style.txt", header(1252) + "[_polygon]\r\nType=0x10\r\nString1=0x04,A\r\n"
                                                 "String2=0x03,B=C\r\n[end]"));
    const ExchangeFile file = exchange_file(st, table_label_codec());
    ASSERT_EQ(file.entries.size(), 1u);
    EXPECT_EQ(file.entries[0].context, "polygon Type=0x10");
    EXPECT_EQ(file.entries[0].comment, "Dutch: B=C");
}

// Many elements sharing a few Type codes: each context is numbered on, and the file comes
// back whole in any order of its entries.
TEST_F(Interchange, ManySharedContextsAndEntriesInAnyOrderImport) {
    target("02");
    std::string text = header(1252);
    for (int i = 0; i < 300; ++i)
        text += polygon(
            {"Type=0x0" + std::to_string(i % 7), "String1=0x04,Label " + std::to_string(i)});
    ASSERT_TRUE(open("style.txt", text));
    ASSERT_EQ(st.row_count(kPolygons), 300);
    const ExchangeFile file = exchange_file(st, table_label_codec());
    ASSERT_EQ(file.entries.size(), 300u);
    EXPECT_EQ(file.entries[0].context, "polygon Type=0x00");
    EXPECT_EQ(file.entries[7].context, "polygon Type=0x00 #2");
    EXPECT_EQ(file.entries[299].context, "polygon Type=0x05 #43");

    // Every third entry translated, the entries written back to front.
    ExchangeFile back = file;
    for (std::size_t i = 0; i < back.entries.size(); i += 3)
        back.entries[i].target = "Ziel " + std::to_string(i);
    std::reverse(back.entries.begin(), back.entries.end());
    for (const ExchangeFormat format : {ExchangeFormat::kPo, ExchangeFormat::kXliff}) {
        for (int r = 0; r < 300; ++r) st.rows(kPolygons)[std::size_t(r)].text.clear();
        const std::string written =
            format == ExchangeFormat::kPo ? po_text(back) : xliff_text(back);
        const Outcome done = import_exchange_text(st, ui, format, written, "x", {});
        ASSERT_TRUE(done.ok());
        EXPECT_EQ(done.count, 100);
        EXPECT_EQ(done.doubtful, 0);
        for (int r = 0; r < 300; ++r)
            EXPECT_EQ(st.rows(kPolygons)[std::size_t(r)].text,
                      r % 3 ? "" : "Ziel " + std::to_string(r));
    }
}

// A file that breaks after entries that would change rows changes none of them.
TEST_F(Interchange, AFileBrokenAfterGoodEntriesChangesNothing) {
    target("02");
    ASSERT_TRUE(open("style.txt", header(1252) + polygon({"Type=0x01", "String1=0x04,Forest"}) +
                                      polygon({"Type=0x02", "String1=0x04,Lake"})));
    ExchangeFile file = exchange_file(st, table_label_codec());
    file.entries[0].target = "Wald";
    const std::string po = po_text(file) + "\nmsgid \"broken\n";
    EXPECT_FALSE(import_exchange_text(st, ui, ExchangeFormat::kPo, po, "x.po", {}).ok());
    EXPECT_EQ(ui.messageIds.back(), MessageId::kNotExchangeFile);
    std::string xliff = xliff_text(file);
    xliff.insert(xliff.rfind("</body>"), "<trans-unit id=\"x\"><source>a</sourc></trans-unit>");
    EXPECT_FALSE(import_exchange_text(st, ui, ExchangeFormat::kXliff, xliff, "x.xlf", {}).ok());
    EXPECT_EQ(ui.messageIds.back(), MessageId::kNotExchangeFile);
    EXPECT_EQ(texts(st, kPolygons), "|");
    EXPECT_FALSE(st.changed);
}

TEST_F(Interchange, ImportSaysWhatItLeavesOutAndChangesOnlyWhatFits) {
    target("02");
    ASSERT_TRUE(open("style.txt", header(1252) + polygon({"Type=0x01", "String1=0x04,Forest"}) +
                                      polygon({"Type=0x02", "String1=0x04,Lake"}) +
                                      polygon({"Type=0x03", "String1=0x04,Road"})));
    ExchangeFile file;
    file.target_language = "de_DE";
    file.entries = {{"polygon Type=0x01", "Forest", "Wald", "", true, 1},
                    {"polygon Type=0x02", "Lake", "Озеро", "", false, 2},     // no 1252 bytes
                    {"polygon Type=0x03", "Street", "Strasse", "", false, 3}, // other source
                    {"point Type=0x09", "Well", "Brunnen", "", false, 4}};    // no such element
    const Outcome done = import_exchange_file(st, ui, file, "x.po", {});
    ASSERT_TRUE(done.ok());
    EXPECT_EQ(done.count, 1);
    EXPECT_EQ(done.doubtful, 3);
    EXPECT_EQ(texts(st, kPolygons), "Wald||");
    EXPECT_EQ(st.rows(kPolygons)[0].status, RowStatus::kToReview); // it came fuzzy
    ASSERT_EQ(ui.messageIds.size(), 3u);
    EXPECT_EQ(ui.messageIds[0], MessageId::kLabelsDoNotFit);
    EXPECT_NE(ui.messages[0].find("Озеро"), std::string::npos);
    EXPECT_EQ(ui.messageIds[1], MessageId::kEntriesUnmatched);
    EXPECT_NE(ui.messages[1].find("2 entries match no row"), std::string::npos);

    // Another target language is refused unless it was chosen for the file.
    ui.messageIds.clear();
    file.target_language = "fr";
    file.entries = {{"polygon Type=0x02", "Lake", "See", "", false, 1}};
    EXPECT_FALSE(import_exchange_file(st, ui, file, "x.po", {}).ok());
    EXPECT_EQ(ui.messageIds.back(), MessageId::kExchangeLanguage);
    EXPECT_EQ(texts(st, kPolygons), "Wald||");
    ExchangeOptions given;
    given.language_given = true;
    EXPECT_TRUE(import_exchange_file(st, ui, file, "x.po", given).ok());
    EXPECT_EQ(texts(st, kPolygons), "Wald|See|");

    // A file of another document changes nothing.
    file.entries = {{"line Type=0x01", "River", "Fluss", "", false, 1}};
    EXPECT_FALSE(import_exchange_file(st, ui, file, "x.po", given).ok());
    EXPECT_EQ(ui.messageIds.back(), MessageId::kEntriesUnmatched);
    EXPECT_EQ(texts(st, kPolygons), "Wald|See|");
}

// A translation that differs from the row only by outer blanks or line breaks changes nothing.
TEST_F(Interchange, ImportComparesTargetsAsTheSaveWritesThem) {
    target("02");
    ASSERT_TRUE(open("style.txt", header(1252) + polygon({"Type=0x01", "String1=0x04,Forest",
                                                          "String2=0x02,Gr\xFCner Wald"})));
    struct Case {
        std::string target; // UTF-8, as the file holds it
        int changed;
    };
    const std::vector<Case> cases{
        {"Grüner Wald", 0},     {"  Grüner Wald ", 0}, {"Grüner\r\n Wald", 0},
        {"\nGrüner Wald\n", 0}, {"Grüner  Wald", 1},   {"Grüner Forst", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        st.rows(kPolygons)[0].text = "Gr\xFCner Wald";
        ExchangeFile file;
        file.entries = {{"polygon Type=0x01", "Forest", c.target, "", false, 1}};
        const Outcome done = import_exchange_file(st, ui, file, "x.po", {});
        ASSERT_TRUE(done.ok());
        EXPECT_EQ(done.count, c.changed);
    }
}

TEST_F(Interchange, BrokenOrHugeFilesWriteNothing) {
    target("02");
    const std::string text = header(1252) + polygon({"Type=0x01", "String1=0x04,Forest"});
    ASSERT_TRUE(open("style.txt", text));
    const std::string broken = dir.write("broken.po", "msgid \"\"\nmsgstr \"\"\nmsgid \"Forest\n");
    EXPECT_FALSE(import_exchange(st, ui, ExchangeFormat::kPo, to(broken)).ok());
    EXPECT_EQ(ui.messageIds.back(), MessageId::kNotExchangeFile);
    EXPECT_NE(ui.messages.back().find("line 3"), std::string::npos);
    // Larger than any style's translations: refused before it is parsed.
    const std::string huge = dir.write("huge.xlf", "<xliff version=\"1.2\">");
    std::filesystem::resize_file(huge, kMaxExchangeBytes + 100);
    EXPECT_FALSE(import_exchange(st, ui, ExchangeFormat::kXliff, to(huge)).ok());
    EXPECT_NE(ui.messages.back().find("larger than 64 MB"), std::string::npos);
    EXPECT_EQ(texts(st, kPolygons), "");
    EXPECT_FALSE(st.changed);
    EXPECT_EQ(TempDir::read(st.document_path), text);
}

// Export and import read the elements from records kept in the document: whatever changes the
// text afterwards, an export gives what a fresh reading of the text gives.
TEST_F(Interchange, AnExportAfterTheTextChangedReadsTheTextAsItIsNow) {
    target("02");
    // Labels out of language order (a sort moves them); two elements share Type 0x01.
    const std::string text =
        header(1252) +
        polygon({"Type=0x01", "String1=0x12,Les", "String2=0x04,Forest", "String3=0x01,For\xEAt"}) +
        polygon({"Type=0x01", "String1=0x04,Lake", "String2=0x19,\xCE\xE7\xE5\xF0\xEE"}) +
        polygon({"Type=0x03", "String1=0x01,Marais", "String2=0x04,Marsh"});
    // Where the second element's Type code stands: a change in place keeps the text's size.
    const std::size_t second_type = text.find("Type=0x01", text.find("Type=0x01") + 1) + 8;
    auto change_second_type = [&] { st.document[second_type] = '2'; };
    const LabelDialog wood = [](const std::string&) { return std::optional<std::string>("Wood"); };
    struct Case {
        const char* what;
        std::function<void()> change;
    };
    const std::vector<Case> cases{
        {"Type changed in place, rows rebuilt",
         [&] {
             change_second_type();
             rebuild_rows(st, ui);
         }},
        {"labels sorted, rows kept", [&] { sort_languages(st, ui, SortMode::kSilent); }},
        {"source label edited shorter", [&] { edit_source_label(st, ui, kPolygons, 0, wood); }},
        {"undo of a change in place",
         [&] {
             StepRecorder recorder(st, StepScope::everything());
             change_second_type();
             rebuild_rows(st, ui);
             const Step step = recorder.finish(st);
             // The records are made from the changed text before the undo puts it back.
             exchange_text(st, table_label_codec(), ExchangeFormat::kPo, "");
             undo_step(st, ui, step, false);
         }},
        {"undo of a source label edit",
         [&] {
             StepRecorder recorder(st, StepScope::everything());
             edit_source_label(st, ui, kPolygons, 0, wood);
             const Step step = recorder.finish(st);
             exchange_text(st, table_label_codec(), ExchangeFormat::kXliff, "");
             undo_step(st, ui, step, false);
         }},
    };
    // The change comes after an export, or straight after the open, before any records were
    // made.
    for (const Case& c : cases)
        for (const bool exported_first : {true, false})
            for (const ExchangeFormat format : {ExchangeFormat::kPo, ExchangeFormat::kXliff}) {
                SCOPED_TRACE(std::string(c.what) + (exported_first ? ", after an export" : ""));
                ASSERT_TRUE(open("style.txt", text));
                const std::string before =
                    exported_first ? exchange_text(st, table_label_codec(), format, "") : "";
                c.change();
                const std::string now = exchange_text(st, table_label_codec(), format, "");
                st.element_records = {}; // made again from the text as it is
                EXPECT_EQ(now, exchange_text(st, table_label_codec(), format, ""));
                // An import of what was exported now pairs every entry with its row again.
                const Outcome same = import_exchange_text(st, ui, format, now, "now", {});
                EXPECT_TRUE(same.ok());
                EXPECT_EQ(same.doubtful, 0);
                if (exported_first && format == ExchangeFormat::kPo &&
                    std::string(c.what).find("undo") == 0) {
                    EXPECT_EQ(now, before);
                }
            }
}

// The writers size their buffer once and write through a cursor: every byte that needs an escape
// is escaped wherever it stands in a label, and a text that grows past the first size comes out
// as the entry-by-entry writing gives it.
TEST_F(Interchange, EscapesStandWhereverTheByteStandsAndTheBufferGrowsAsNeeded) {
    // Each byte that PO or XML writes otherwise, at every place of labels of 1 to 40 bytes: the
    // writers take sixteen bytes at a time, and the last 4 to 15 in two pieces.
    const std::string special{'"', '\\', '\t', '\n', '\r', '\x01', '\x1f', '\x7f', '&', '<', '>'};
    ExchangeFile file;
    for (const std::size_t size : {1, 3, 4, 7, 8, 14, 15, 16, 21, 27, 40})
        for (std::size_t at = 0; at < size; ++at)
            for (const char c : special) {
                std::string label(size, 'a');
                label[at] = c;
                // Bytes of UTF-8 around it, which need no escape (and are no controls).
                if (at + 2 < size) label.replace(at + 1, 2, "\xC3\xA9");
                file.entries.push_back({"polygon #" + std::to_string(file.entries.size()), label,
                                        label + label, "French: " + label, false, 0});
            }
    for (const bool xliff : {false, true}) {
        SCOPED_TRACE(xliff ? "XLIFF" : "PO");
        std::string whole;
        if (xliff)
            xliff_begin(whole, file);
        else
            po_begin(whole, file);
        for (const ExchangeEntry& e : file.entries) {
            // The cursor writing against the plain one of the text functions.
            std::string plain;
            if (xliff) {
                plain = "      <trans-unit id=\"";
                append_xml_text(plain, e.context);
            }
            std::string written;
            if (xliff)
                xliff_append_entry(written, e);
            else
                po_append_entry(written, e);
            if (xliff) {
                std::string source = "<source>";
                append_xml_text(source, e.source);
                EXPECT_NE(written.find(source + "</source>"), std::string::npos) << e.context;
                std::string note;
                append_xml_text(note, e.comment);
                EXPECT_NE(written.find(note + "</note>"), std::string::npos) << e.context;
            }
            whole += written;
        }
        if (xliff) xliff_end(whole);
        ExchangeFile back;
        std::string error;
        ASSERT_TRUE(xliff ? read_xliff(whole, back, error) : read_po(whole, back, error)) << error;
        ASSERT_EQ(back.entries.size(), file.entries.size());
        for (std::size_t i = 0; i < file.entries.size(); ++i) {
            const ExchangeEntry& e = file.entries[i];
            const ExchangeEntry& b = back.entries[i];
            // XML holds no control characters but tab, line end and carriage return.
            const bool control = e.source.find_first_of("\x01\x1f") != std::string::npos;
            if (xliff && control) continue;
            EXPECT_EQ(b.source, e.source) << i;
            EXPECT_EQ(b.target, e.target) << i;
        }
    }

    // A document whose labels are all quotes: its PO text is larger than the half of the
    // document that the export sizes its buffer by, and larger again than that.
    target("02");
    std::string text = header(1252);
    for (int i = 0; i < 300; ++i)
        text += polygon({"Type=0x01", "String1=0x04," + std::string(60, '"'),
                         "String2=0x02," + std::string(60, '\x01'),
                         "String3=0x01," + std::string(60, '\\')});
    ASSERT_TRUE(open("style.txt", text));
    for (const ExchangeFormat format : {ExchangeFormat::kPo, ExchangeFormat::kXliff}) {
        ExchangeFile whole = exchange_file(st, table_label_codec());
        whole.date = "2026-01-02";
        const std::string written = exchange_text(st, table_label_codec(), format, whole.date);
        EXPECT_GT(written.size(), text.size() / 2);
        EXPECT_EQ(written, format == ExchangeFormat::kPo ? po_text(whole) : xliff_text(whole));
    }
}

} // namespace lex
