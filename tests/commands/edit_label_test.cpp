#include "commands/edit_label.h"
#include "document/text.h"
#include "support/fixtures.h"
#include "view/rows.h"

namespace lex {

using namespace lex::test;

class EditLabel : public DocTest {
protected:
    Strings shown; // what the dialog was opened with
    // Edits with a dialog that applies `typed`, or cancels when it is nothing.
    void edit(Kind kind, int row, std::optional<std::string> typed) {
        edit_source_label(st, ui, kind, row, [&](const std::string& text) {
            shown.push_back(text);
            return typed;
        });
    }
    // Lake as a polygon label and as a line label, and labels that only look like it.
    // clang-format off
    const std::string doc = typ_header() +
        typ_element("[_polygon]", {"String1=0x04,Lake", "String2=0x02,See", "String3=0x01,Lake"}) +
        typ_element("[_polygon]", {"String1=0x04,Lake Shore", ";String2=0x04,Lake"}) +
        typ_element("[_polygon]", {"String1=0x04,La|ke", "String2=0x04,Lake "}) +
        typ_element("[_line]", {"String1=0x04,Lake"}) +
        typ_element("[_point]", {"String1=0x04,"});
    // clang-format on
};

TEST_F(EditLabel, RewritesEveryWholeLabelLineOfTheKeyAndMarksTheRow) {
    ASSERT_TRUE(open("lake.txt", doc));
    edit(kPolygons, 0, "Pond");
    EXPECT_EQ(shown, Strings{"Lake"});
    // Each label line that shows as "=0x04,Lake" (bars left out); not the 0x01 label, not a
    // longer label, not a comment, not one with a trailing blank.
    std::string expected = replace_all(doc, "String1=0x04,Lake\r\n", "String1=0x04,Pond\r\n");
    expected = replace_all(expected, "Pond Shore", "Lake Shore");
    EXPECT_EQ(st.document, replace_all(expected, "=0x04,La|ke", "=0x04,Pond"));
    EXPECT_EQ(captions(st, kPolygons) + "|" + captions(st, kLines), "Pond|Lake Shore|Pond|Pond");
    EXPECT_EQ(texts(st, kPolygons) + "|" + texts(st, kLines), "?See|||"); // the edited row only
    EXPECT_TRUE(st.pane(kPolygons).check_errors_visible && st.changed);
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 lake+");

    // The row follows its edit: a second edit before any rebuild still reaches the document.
    // Line breaks and control characters become blanks; outer blanks stay.
    edit(kPolygons, 0, " Pool\r\nside\t");
    rebuild_rows(st, ui);
    EXPECT_EQ(captions(st, kPolygons) + "|" + captions(st, kLines),
              " Pool  side |Lake Shore| Pool  side | Pool  side ");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(EditLabel, NothingChangesOnCancelOrWithoutALabelLineOrDuringARunAndBlanksAreRefused) {
    ASSERT_TRUE(open("lake.txt", doc));
    edit(kPolygons, 1, std::nullopt); // Cancel
    edit(kPolygons, 1, "Lake Shore"); // the same text
    edit(kPoints, 0, "Inn");          // an empty label opens no dialog
    // A row loaded from a list has no label line behind it.
    add_blank_row(st, ui, kLines, 1);
    st.row(kLines, 1).caption = "Road";
    edit(kLines, 1, "Street");
    st.win.running = true;
    edit(kPolygons, 0, "Pond");
    EXPECT_EQ(shown, (Strings{"Lake Shore", "Lake Shore", "Road"}));
    EXPECT_EQ(ui.messages, Strings{"Label not found in the document"});
    EXPECT_EQ(st.document, doc);
    EXPECT_EQ(captions(st, kLines) + texts(st, kPolygons), "Lake|RoadSee||");
    EXPECT_FALSE(st.changed || st.pane(kPolygons).check_errors_visible ||
                 st.pane(kLines).check_errors_visible);
    // Blank text is refused; typing into a target box marks the document changed.
    EXPECT_FALSE(label_text_accepted(ui, "   ") || label_text_accepted(ui, "\r\n\t"));
    EXPECT_TRUE(label_text_accepted(ui, " a "));
    EXPECT_EQ(ui.messages, (Strings{"Label not found in the document", "Please enter some text",
                                    "Please enter some text"}));
    st.win.running = false;
    target_typed(st, ui);
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 lake+");
}

TEST(EditLabelLines, KeysOfOtherLengthsMoveTheRestOfTheDocumentIntact) {
    const std::string doc = crlf({"String1=0x04,La||ke", "x", "String1=0x04,Lake", "y"});
    for (const std::string to : {"=0x04,L", "=0x04,Lakes", "=0x04,Lake Lake Lake"}) {
        std::string edited = doc;
        EXPECT_EQ(replace_label_lines(edited, "=0x04,Lake", to), 2u);
        const std::string line = "String1" + to;
        EXPECT_EQ(edited, crlf({line, "x", line, "y"}));
    }
}

} // namespace lex
