#include "commands/actions.h"
#include "commands/save_document.h"
#include "commands/string_tools.h"
#include "support/fixtures.h"

namespace lex {

using namespace lex::test;

namespace {

// Elements as a save writes them, so that a save after an operation changes nothing but what
// the operation changed.
std::string polygon(const std::string& lines) {
    std::string out = "[_polygon]\r\n";
    for (const std::string& l : cells(lines)) out += l + "\r\n";
    return out + "[end]\r\n\r\n";
}

const std::string kRest = polygon("Type=0x02|String1=0x00,Nul|String2=0x04,Both") +
                          polygon("Type=0x03|String1=0x09,Huis|String2=0x04,House|String3=0x02,");
const std::string kDoc = typ_header() + polygon("Type=0x01|String1=0x00,Zero") + kRest;

} // namespace

class StringTools : public DocTest {
protected:
    void SetUp() override {
        DocTest::SetUp();
        ASSERT_TRUE(open("map.txt", kDoc));
    }
    std::string report() const { return TempDir::read(dir.file("tmp_.txt")); }
};

TEST_F(StringTools, EachOperationAsksRewritesRebuildsAndReports) {
    ui.answers = {true};
    run_action(st, ui, ActionId::kReplaceZero);
    EXPECT_EQ(ui.questions, Strings{"Found: 1\r\n\r\nChange ALL 0x00 to 0x04?"});
    const std::string zero = typ_header() + polygon("Type=0x01|String1=0x04,Zero") + kRest;
    EXPECT_EQ(st.document, zero);
    EXPECT_EQ(captions(st, kPolygons) + st.win.title, "Zero|Both|HouseLexmarin :  1.22 map+");
    EXPECT_EQ(report(), "Replaced   1\r\nNot replaced:\r\n[_polygon] Type=0x02\r\n\r\n");
    EXPECT_EQ(ui.viewed, Strings{dir.file("tmp_.txt")});
    EXPECT_FALSE(st.win.running || st.win.busy || ui.busyNow || !ui.messages.empty());
    // A save writes what the operation changed and nothing else.
    std::string path = st.document_path;
    ASSERT_TRUE(save_document(st, ui, path));
    EXPECT_EQ(TempDir::read(path), zero);

    ui.answers = {true};
    run_action(st, ui, ActionId::kDeleteEmpty);
    EXPECT_EQ(ui.questions.back(), "Remove  1 empty strings ie 'String1=, ' ?");
    EXPECT_EQ(report(), "Replaced   1\r\n[_polygon] Type=0x03 String3=0x02,\r\n\r\n");
    run_action(st, ui, ActionId::kSortLanguages); // "No" to saving first
    EXPECT_NE(st.document.find("String1=0x04,House\r\nString2=0x09,Huis\r\n"), std::string::npos);
    for (ActionId item : {ActionId::kReplaceZero, ActionId::kDeleteEmpty, ActionId::kSortLanguages})
        run_action(st, ui, item);
    EXPECT_EQ(ui.messages, (Strings{"Sorted  1 elements.Please save. ", "Found none  ",
                                    "Found none  ", "No need to sort"}));
}

TEST_F(StringTools, NoAnswerOrSavingFirstLeavesEverythingAsItWas) {
    st.row(kPolygons, 0).text = "typed";
    st.changed = true;
    for (ActionId item : {ActionId::kReplaceZero, ActionId::kReplaceSource, ActionId::kDeleteEmpty,
                          ActionId::kSortLanguages}) {
        ui.answers = {true}; // save first
        run_action(st, ui, item);
    }
    EXPECT_EQ(ui.questions, Strings(4, "Changes not saved. Save Changes?"));
    for (ActionId item : {ActionId::kReplaceZero, ActionId::kReplaceSource, ActionId::kDeleteEmpty})
        run_action(st, ui, item); // No to everything
    EXPECT_EQ(ui.questions.size(), 10u);
    EXPECT_EQ(ui.questions[7], "Change ALL 0x04 into 0x02?");
    EXPECT_EQ(st.document + texts(st, kPolygons), kDoc + "typed|");
    EXPECT_TRUE(st.changed && ui.viewed.empty() && ui.messages.empty());
    // The silent sort neither asks nor drops the rows.
    EXPECT_EQ(sort_languages(st, ui, SortMode::kSilent).count, 1);
    EXPECT_EQ(sort_languages(st, ui, SortMode::kSilent).count, 0);
    EXPECT_EQ(ui.questions.size() + ui.messages.size(), 10u);
    EXPECT_NE(st.document.find("String1=0x02,\r\nString2=0x04,House"), std::string::npos);
    EXPECT_EQ(texts(st, kPolygons) + st.win.title, "typed|Lexmarin :  1.22 map+");
}

TEST_F(StringTools, ReplaceSourceWithTargetMakesTheTargetTheSource) {
    // Russian (target row 16) is no source language: the source list's first one is used.
    for (auto [row, code, shown] : {std::tuple{3, "03", "03Dutch 3"}, {16, "19", "04English 0"}}) {
        st.target_index = st.win.language_row[kTargetList] = row;
        st.target_code = st.row_target_code = code;
        st.source_code = "04";
        const std::string t = code;
        ASSERT_TRUE(open("t.txt", typ_header() + polygon("Type=0x01|String1=0x04,House") +
                                      polygon("Type=0x02|String1=0x04,A|String2=0x" + t + ",B")));
        ui.answers = {true};
        run_action(st, ui, ActionId::kReplaceSource);
        EXPECT_EQ(ui.questions.back(), "Change ALL 0x04 into 0x" + t + "?");
        EXPECT_EQ(st.document, typ_header() + polygon("Type=0x01|String1=0x" + t + ",House") +
                                   polygon("Type=0x02|String1=0x04,A|String2=0x" + t + ",B"));
        EXPECT_EQ(st.source_code + st.win.language_caption[kSourceList] +
                      std::to_string(st.win.language_row[kSourceList]),
                  shown);
        EXPECT_TRUE(st.changed);
        EXPECT_EQ(report(), "Replaced   1\r\nNot replaced:\r\n[_polygon] Type=0x02\r\n\r\n");
    }
    EXPECT_EQ(captions(st, kPolygons) + "=" + texts(st, kPolygons), "A=B");
    st.source_code = "19";
    run_action(st, ui, ActionId::kReplaceSource);
    EXPECT_EQ(ui.messages, Strings{"Source and Target languages are the same."});
}

// A link planted where the report goes is replaced by the report, never written through.
TEST_F(StringTools, TheReportIsANewPrivateFileNeverWrittenThroughALink) {
    const std::string victim = dir.write("victim.txt", "another file");
    std::filesystem::create_symlink(victim, dir.file("tmp_.txt"));
    ui.answers = {true};
    run_action(st, ui, ActionId::kReplaceZero);
    EXPECT_EQ(TempDir::read(victim), "another file");
    EXPECT_FALSE(std::filesystem::is_symlink(dir.file("tmp_.txt")));
    EXPECT_EQ(report(), "Replaced   1\r\nNot replaced:\r\n[_polygon] Type=0x02\r\n\r\n");
    EXPECT_EQ(std::filesystem::status(dir.file("tmp_.txt")).permissions() &
                  std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(StringTools, AReportThatCannotBeWrittenOrShownIsSaidOnceAndTheChangeStays) {
    std::filesystem::create_directory(dir.file("tmp_.txt")); // no file can be written there
    ui.answers = {true};
    run_action(st, ui, ActionId::kReplaceZero);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].rfind("Cannot write " + dir.file("tmp_.txt") + ": ", 0), 0u);
    EXPECT_TRUE(ui.viewed.empty() && st.changed && st.document != kDoc);
    std::filesystem::remove(dir.file("tmp_.txt"));
    ui.noViewer = true;
    ui.answers = {false, true}; // not saving first, then Yes
    run_action(st, ui, ActionId::kDeleteEmpty);
    EXPECT_EQ(ui.messages, (Strings{ui.messages[0],
                                    "No text viewer could be started. The report was written to " +
                                        dir.file("tmp_.txt")}));
}

} // namespace lex
