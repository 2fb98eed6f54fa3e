#include "commands/label_edit.h"
#include "commands/save_document.h"
#include "document/text.h"
#include "support/fixtures.h"
#include "view/rows.h"

namespace lex {

using namespace lex::test;

namespace {

std::size_t count_of(std::string_view text, std::string_view part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

} // namespace

class LabelEdit : public DocTest {
protected:
    Strings shown; // what the dialog was opened with
    // A dialog that applies `typed`, or cancels when it is nothing.
    LabelDialog answer(std::optional<std::string> typed) {
        return [this, typed](const std::string& text) {
            shown.push_back(text);
            return typed;
        };
    }
    void edit(int kind, int row, std::optional<std::string> typed) {
        edit_source_label(st, ui, kind, row, answer(std::move(typed)));
    }
    // Lake as a polygon label and as the label of a line; other labels that look like it.
    // clang-format off
    const std::string doc = typ_header() +
        typ_element("[_polygon]", {"Type=0x01", "String1=0x04,Lake", "String2=0x02,See",
                                   "String3=0x01,Lake"}) +
        typ_element("[_polygon]", {"Type=0x02", "String1=0x04,Lake Shore", ";String2=0x04,Lake",
                                   "String3=0x02,Ufer"}) +
        typ_element("[_polygon]", {"Type=0x03", "String1=0x04,La|ke", "String2=0x04,Lake "}) +
        typ_element("[_line]", {"Type=0x01", "String1=0x04,Lake"});
    // clang-format on
};

TEST_F(LabelEdit, RewritesEveryWholeLabelLineOfTheKeyAndMarksTheRow) {
    ASSERT_TRUE(open("lake.txt", doc));
    ASSERT_EQ(captions(st, kPolygons) + "|" + captions(st, kLines), "Lake|Lake Shore|Lake|Lake");
    edit(kPolygons, 0, "Pond");
    EXPECT_EQ(shown, Strings{"Lake"});
    // Every label line that shows as "=0x04,Lake" (bars left out): not the 0x01 label, not a
    // longer label, not a comment, not one with a trailing blank.
    std::string expected = replace_all(doc, "String1=0x04,Lake\r\n", "String1=0x04,Pond\r\n");
    expected = replace_all(expected, "Pond Shore", "Lake Shore");
    EXPECT_EQ(st.document, replace_all(expected, "=0x04,La|ke", "=0x04,Pond"));
    EXPECT_EQ(texts(st, kPolygons), "?See|Ufer|");
    EXPECT_EQ(captions(st, kPolygons) + "|" + captions(st, kLines), "Pond|Lake Shore|Pond|Pond");
    EXPECT_EQ(texts(st, kLines), ""); // only the edited row is marked
    EXPECT_TRUE(st.pane(kPolygons).check_errors_visible && st.changed);
    EXPECT_FALSE(st.pane(kLines).check_errors_visible);
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 lake+");
    EXPECT_EQ(st.edited_label, "Pond");

    // The row follows its edit: a second edit before any rebuild still reaches the document,
    // and the rebuilt rows show what it holds.
    edit(kPolygons, 0, " Pool\r\nside\t");
    EXPECT_EQ(st.row(kPolygons, 0).source_key, "=0x04, Pool  side ");
    rebuild_rows(st, ui);
    EXPECT_EQ(captions(st, kPolygons) + "|" + captions(st, kLines),
              " Pool  side |Lake Shore| Pool  side | Pool  side ");
    EXPECT_TRUE(ui.messages.empty());

    // Saved, the new label stands in both elements that had the old one, and in no other.
    std::string path = st.document_path;
    ASSERT_TRUE(save_document(st, ui, path));
    const std::string saved = TempDir::read(path);
    EXPECT_EQ(count_of(saved, "String1=0x04, Pool  side \r\n"), 3u);
    EXPECT_EQ(count_of(saved, "Lake"), 4u);
}

TEST_F(LabelEdit, CancelSameTextEmptyLabelsAndARunningTranslationChangeNothing) {
    ASSERT_TRUE(open("lake.txt", doc + typ_element("[_point]", {"String1=0x04,"})));
    edit(kPolygons, 1, std::nullopt); // Cancel
    edit(kPolygons, 1, "Lake Shore"); // the same text applied
    edit(kPoints, 0, "Inn");          // an empty label opens no dialog
    edit(kPoints, 1, "Inn");          // nor does a row beyond the count
    st.win.running = true;
    edit(kPolygons, 0, "Pond");
    EXPECT_EQ(shown, (Strings{"Lake Shore", "Lake Shore"}));
    EXPECT_EQ(texts(st, kPolygons), "See|Ufer|");
    EXPECT_FALSE(st.changed || st.pane(kPolygons).check_errors_visible);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(st.document, doc + typ_element("[_point]", {"String1=0x04,"}));
}

TEST_F(LabelEdit, ARowTheDocumentDoesNotHoldIsReportedAndNothingChanges) {
    ASSERT_TRUE(open("lake.txt", doc));
    const std::string before = st.document;
    // A row loaded from a list, with no label line behind it.
    add_blank_row(st, ui, kLines, 1);
    st.row(kLines, 1).caption = "Road";
    edit(kLines, 1, "Street");
    EXPECT_EQ(ui.messages, Strings{"Label not found in the document"});
    EXPECT_EQ(st.document, before);
    EXPECT_EQ(captions(st, kLines) + texts(st, kLines), "Lake|Road|");
    EXPECT_FALSE(st.changed || st.pane(kLines).check_errors_visible);
}

TEST(LabelText, BlankTextIsRefusedAndControlCharactersBecomeBlanks) {
    FakeUi ui;
    EXPECT_FALSE(label_text_accepted(ui, "   "));
    EXPECT_FALSE(label_text_accepted(ui, "\r\n\t"));
    EXPECT_TRUE(label_text_accepted(ui, " a "));
    EXPECT_EQ(ui.messages, (Strings{"Please enter some text", "Please enter some text"}));
    EXPECT_EQ(label_line_text("A\rB\nC\x7F\xC4"), "A B C \xC4");
}

TEST_F(DocTest, TypingIntoATargetBoxMarksTheDocumentChanged) {
    ASSERT_TRUE(open("m.txt", typ_header() + typ_element("[_polygon]", {"String1=0x04,Lake"})));
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 m");
    target_typed(st, ui);
    EXPECT_TRUE(st.changed);
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 m+");
}

} // namespace lex
