#include "commands/save_document.h"
#include "commands/string_tools.h"
#include "document/file_writer.h"
#include "support/fixtures.h"

namespace lex {

using namespace lex::test;

namespace {

// Elements with String lines right below Type and no empty lines, as a save writes them, so a
// save after an operation changes nothing but what the operation changed.
std::string polygon(std::initializer_list<std::string> lines) {
    return typ_element("[_polygon]", lines) + "\r\n";
}

const std::string kDoc =
    typ_header() + polygon({"Type=0x01", "String1=0x00,Zero only", "Xpm=\"0 0 0 0\""}) +
    polygon({"Type=0x02", "String1=0x00,Nul", "String2=0x04,Both"}) +
    polygon({"Type=0x03", "String1=0x09,Huis", "String2=0x04,House", "String3=0x02,"}) +
    polygon({"Type=0x04", "String1=0x04,Lake", "String2=0x02,See"});

class FailingWriter : public FileWriter {
public:
    bool replace_file(const std::string&, std::string_view, std::string& why) override {
        why = "disk full";
        return false;
    }
    Date today() override { return {2026, 5, 12}; }
};

} // namespace

class StringTools : public DocTest {
protected:
    void SetUp() override {
        DocTest::SetUp();
        ASSERT_TRUE(open("map.txt", kDoc));
        ui.messages.clear();
    }
    std::string report() const { return TempDir::read(dir.file("tmp_.txt")); }
    // The document with `from` replaced by `to` (each must occur once).
    static std::string doc_with(std::initializer_list<std::pair<std::string, std::string>> edits) {
        std::string out = kDoc;
        for (const auto& [from, to] : edits) {
            const std::size_t at = out.find(from);
            EXPECT_NE(at, std::string::npos) << from;
            if (at != std::string::npos) out.replace(at, from.size(), to);
        }
        return out;
    }
};

TEST_F(StringTools, ReplaceZeroAsksWithTheCountThenRewritesRebuildsAndReports) {
    EXPECT_EQ(captions(st, kPolygons), "Both|House|Lake");
    ui.answers = {true};
    edit_strings_item(st, ui, 0);
    EXPECT_EQ(ui.questions, Strings{"Found: 1\r\n\r\nChange ALL 0x00 to 0x04?"});
    EXPECT_EQ(st.document, doc_with({{"String1=0x00,Zero", "String1=0x04,Zero"}}));
    EXPECT_EQ(captions(st, kPolygons), "Zero only|Both|House|Lake");
    EXPECT_TRUE(st.changed);
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 map+");
    EXPECT_EQ(report(), "Replaced   1\r\nNot replaced:\r\n[_polygon] Type=0x02\r\n\r\n");
    EXPECT_EQ(ui.viewed, Strings{dir.file("tmp_.txt")});
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(st.win.running || st.win.busy || ui.busyNow);

    // Saving writes what the operation changed and nothing else.
    std::string path = st.document_path;
    ASSERT_TRUE(save_document(st, ui, path));
    EXPECT_EQ(TempDir::read(path), doc_with({{"String1=0x00,Zero", "String1=0x04,Zero"}}));

    // Nothing left to replace.
    edit_strings_item(st, ui, 0);
    EXPECT_EQ(ui.messages, Strings{"Found none  "});
}

TEST_F(StringTools, NoAnswerOrSavingFirstLeavesEverythingAsItWas) {
    st.row(kPolygons, 0).text = "typed";
    st.changed = true;
    // Yes to "Save Changes?" ends every operation before it asks anything else.
    for (int item : {0, 1, 3, 5}) {
        ui.answers = {true};
        edit_strings_item(st, ui, item);
    }
    EXPECT_EQ(ui.questions, Strings(4, "Changes not saved. Save Changes?"));
    // No to the operation's own question.
    ui.questions.clear();
    ui.answers = {false, false, false, false, false, false};
    for (int item : {0, 1, 3}) edit_strings_item(st, ui, item);
    EXPECT_EQ(ui.questions.size(), 6u);
    EXPECT_EQ(ui.questions[3], "Change ALL 0x04 into 0x02?");
    EXPECT_EQ(st.document, kDoc);
    EXPECT_TRUE(st.changed);
    EXPECT_EQ(texts(st, kPolygons), "typed||See");
    EXPECT_TRUE(ui.viewed.empty());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(StringTools, ReplaceSourceWithTargetMakesTheTargetTheSource) {
    st.target_index = st.win.language_row[kTargetList] = 3; // Dutch, a source language too
    st.target_code = st.row_target_code = "03";
    // An element with both languages stays and is reported.
    ASSERT_TRUE(open("nl.txt", typ_header() + polygon({"Type=0x01", "String1=0x04,House"}) +
                                   polygon({"Type=0x02", "String1=0x04,A", "String2=0x03,B"})));
    ui.answers = {true};
    edit_strings_item(st, ui, 1);
    EXPECT_EQ(ui.questions, Strings{"Change ALL 0x04 into 0x03?"});
    EXPECT_EQ(st.document, typ_header() + polygon({"Type=0x01", "String1=0x03,House"}) +
                               polygon({"Type=0x02", "String1=0x04,A", "String2=0x03,B"}));
    EXPECT_EQ(st.source_code + st.win.language_caption[kSourceList], "03Dutch ");
    EXPECT_EQ(st.win.language_row[kSourceList], 3);
    EXPECT_EQ(captions(st, kPolygons), "House|B");
    EXPECT_TRUE(st.changed);
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 nl+");
    EXPECT_EQ(report(), "Replaced   1\r\nNot replaced:\r\n[_polygon] Type=0x02\r\n\r\n");
    // Now source and target are the same.
    edit_strings_item(st, ui, 1);
    EXPECT_EQ(ui.messages, Strings{"Source and Target languages are the same."});
}

TEST_F(StringTools, ReplacingIntoALanguageTheSourceListLacksFallsBackToItsFirst) {
    st.target_index = st.win.language_row[kTargetList] = 16; // Russian
    st.target_code = st.row_target_code = "19";
    st.source_code = "02";
    ASSERT_TRUE(open("ru.txt", typ_header() + polygon({"Type=0x01", "String1=0x02,Haus",
                                                       "String2=0x04,House"})));
    ui.answers = {true};
    edit_strings_item(st, ui, 1);
    EXPECT_EQ(st.document,
              typ_header() + polygon({"Type=0x01", "String1=0x19,Haus", "String2=0x04,House"}));
    // The source list has no Russian: its first language is shown and used, as at start-up.
    EXPECT_EQ(st.source_code + st.win.language_caption[kSourceList], "04English ");
    EXPECT_EQ(st.win.language_row[kSourceList], 0);
    EXPECT_EQ(st.target_code + st.win.language_caption[kTargetList], "19Russian ");
    EXPECT_EQ(captions(st, kPolygons) + "=" + texts(st, kPolygons), "House=Haus");
    EXPECT_TRUE(st.changed);
}

TEST_F(StringTools, DeleteEmptyStringsCountsLines) {
    ASSERT_TRUE(open("e.txt", typ_header() + polygon({"Type=0x01", "String1=0x04,A",
                                                      "String2=0x02,", "String3=0x09,  "})));
    ui.answers = {true};
    edit_strings_item(st, ui, 3);
    EXPECT_EQ(ui.questions, Strings{"Remove  2 empty strings ie 'String1=, ' ?"});
    EXPECT_EQ(st.document, typ_header() + polygon({"Type=0x01", "String1=0x04,A"}));
    EXPECT_EQ(report(), "Replaced   2\r\n[_polygon] Type=0x01 String2=0x02,\r\n"
                        "[_polygon] Type=0x01 String3=0x09,\r\n\r\n");
    edit_strings_item(st, ui, 3);
    EXPECT_EQ(ui.messages, Strings{"Found none  "});
}

TEST_F(StringTools, SortLanguagesAsksOnlyAboutUnsavedWorkAndSaysWhatItDid) {
    edit_strings_item(st, ui, 5);
    EXPECT_TRUE(ui.questions.empty());
    const std::string sorted = doc_with(
        {{"String1=0x09,Huis\r\nString2=0x04,House\r\nString3=0x02,",
          "String1=0x02,\r\nString2=0x04,House\r\nString3=0x09,Huis"},
         {"String1=0x04,Lake\r\nString2=0x02,See", "String1=0x02,See\r\nString2=0x04,Lake"}});
    EXPECT_EQ(st.document, sorted);
    EXPECT_EQ(ui.messages, Strings{"Sorted  2 elements.Please save. "});
    EXPECT_TRUE(st.changed);
    EXPECT_TRUE(ui.viewed.empty());
    edit_strings_item(st, ui, 5);
    EXPECT_EQ(ui.messages.back(), "No need to sort");
}

TEST_F(StringTools, SilentSortKeepsTheRowsAndNeverAsks) {
    st.row(kPolygons, 1).text = "typed";
    st.changed = true;
    EXPECT_TRUE(sort_languages(st, ui, SortMode::kSilent));
    EXPECT_TRUE(ui.questions.empty() && ui.messages.empty());
    EXPECT_NE(st.document, kDoc);
    EXPECT_EQ(texts(st, kPolygons), "|typed|See");
    EXPECT_EQ(st.win.title, "Lexmarin :  1.22 map+");
    EXPECT_FALSE(sort_languages(st, ui, SortMode::kSilent));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(StringTools, AReportThatCannotBeWrittenOrShownIsSaidOnceAndTheChangeStays) {
    FailingWriter failing;
    st.file_writer = &failing;
    ui.answers = {true};
    edit_strings_item(st, ui, 0);
    EXPECT_EQ(ui.messages, Strings{"Cannot write " + dir.file("tmp_.txt") + ": disk full"});
    EXPECT_TRUE(ui.viewed.empty());
    EXPECT_TRUE(st.changed);
    EXPECT_NE(st.document, kDoc);

    st.file_writer = nullptr;
    ui.messages.clear();
    ui.viewerFails = true;
    ui.answers = {false, true}; // not saving first, then Yes
    edit_strings_item(st, ui, 3);
    EXPECT_EQ(ui.messages, Strings{"Cannot open " + dir.file("tmp_.txt")});
    EXPECT_EQ(st.document.find("String3=0x02,\r\n"), std::string::npos);
}

TEST_F(StringTools, MenuCaptionsNameTheLanguagesAndABusyDocumentIsLeftAlone) {
    EXPECT_EQ(edit_strings_captions(st),
              (std::array<std::string, 2>{"Change all 0x00 to 0x04", "Replace 0x04  with 0x02"}));
    st.win.running = true;
    for (int item = 0; item < 6; ++item) edit_strings_item(st, ui, item);
    EXPECT_TRUE(ui.questions.empty() && ui.messages.empty());
    EXPECT_EQ(st.document, kDoc);
}

} // namespace lex
