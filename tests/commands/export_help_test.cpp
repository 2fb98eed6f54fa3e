#include "commands/export_editor.h"
#include "commands/help.h"
#include "commands/string_tools.h"
#include "document/file_writer.h"
#include "support/fixtures.h"

#include <cstdlib>

namespace lex {

using namespace lex::test;
namespace fs = std::filesystem;

namespace {

void make_program(const std::string& path, bool executable) {
    std::ofstream(path) << "#!/bin/sh\n";
    fs::permissions(path, executable ? fs::perms::owner_all : fs::perms::owner_read,
                    fs::perm_options::replace);
}

class FullDisk : public FileWriter {
public:
    bool replace_file(const std::string&, std::string_view, std::string& why) override {
        why = "no space left on device";
        return false;
    }
    Date today() override { return {2026, 1, 2}; }
};

// A polygon whose labels stand in the order German, English: a sort puts English first.
const std::string kUnsorted =
    typ_header() +
    typ_element("[_polygon]", {"Type=0x01", "String1=0x02,See", "String2=0x04,Lake"});
const std::string kSorted =
    typ_header() +
    typ_element("[_polygon]", {"Type=0x01", "String1=0x04,Lake", "String2=0x02,See"});

} // namespace

TEST(EditorLaunch, TheEditorItselfOrThroughWineOrNothing) {
    TempDir dir;
    fs::create_directories(dir.file("bin1"));
    fs::create_directories(dir.file("bin2"));
    const std::string editor = dir.file("stl5.exe");
    const std::string doc = "/maps/my city.txt";
    const std::string path = dir.file("bin1") + ":" + dir.file("bin2");

    EXPECT_FALSE(editor_launch(editor, doc, path)) << "no editor";
    make_program(editor, true);
    auto direct = editor_launch(editor, doc, path);
    ASSERT_TRUE(direct);
    EXPECT_EQ(direct->program, editor);
    EXPECT_EQ(direct->arguments, Strings{doc}); // one argument, blanks and all

#ifndef _WIN32
    make_program(editor, false);
    EXPECT_FALSE(editor_launch(editor, doc, path)) << "not executable, no wine";
    make_program(dir.file("bin1/wine"), false); // not a program: passed over
    make_program(dir.file("bin2/wine"), true);
    auto wine = editor_launch(editor, doc, "::" + path);
    ASSERT_TRUE(wine);
    EXPECT_EQ(wine->program, dir.file("bin2/wine"));
    EXPECT_EQ(wine->arguments, (Strings{editor, "Z:\\maps\\my city.txt"}));
#endif
}

class Export : public DocTest {
protected:
    std::string editor;
    void SetUp() override {
        DocTest::SetUp();
        editor = dir.file("stl5.exe");
        make_program(editor, true);
    }
    // The real sort is another command's; until it is built these cases have nothing to run.
    bool sort_is_built() {
        State probe;
        set_defaults(probe, dir.str());
        probe.document = kUnsorted;
        FakeUi quiet;
        return sort_languages(probe, quiet, SortMode::kSilent);
    }
    Strings started_with() const { return Strings{editor, st.document_path}; }
};

TEST_F(Export, StartsTheEditorWithTheSavedDocumentOrSaysWhyNot) {
    // No rows at all.
    export_to_editor(st, ui);
    EXPECT_EQ(ui.messages, Strings{"No data."});

    // Rows from a list, no document.
    fill_pane(st, kPolygons, "Lake=See");
    export_to_editor(st, ui);
    EXPECT_EQ(ui.messages.back(),
              "No TYP text file is open: open one before exporting it to Stylora5.");
    EXPECT_TRUE(ui.started.empty() && ui.questions.empty());

    ASSERT_TRUE(open("my map.txt", kSorted));
    // Unsaved changes, Yes (save first): the export ends with nothing saved or started.
    ui = FakeUi{};
    st.changed = true;
    ui.answers = {true};
    export_to_editor(st, ui);
    EXPECT_EQ(ui.questions, Strings{"Changes not saved. Save Changes?"});
    EXPECT_TRUE(ui.started.empty() && st.changed);

    // No to both questions: the editor starts at once with the document as it is on disk.
    ui = FakeUi{};
    ui.answers = {false, false};
    export_to_editor(st, ui);
    EXPECT_EQ(ui.questions, (Strings{"Changes not saved. Save Changes?", "Sort Languages?"}));
    EXPECT_EQ(ui.started, std::vector<Strings>{started_with()});
    EXPECT_TRUE(ui.messages.empty());

    // Yes to the sort of a document already in order: no save, no message.
    ui = FakeUi{};
    st.changed = false;
    ui.answers = {true};
    export_to_editor(st, ui);
    EXPECT_EQ(ui.questions, Strings{"Sort Languages?"});
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.started.size(), 1u);
    EXPECT_EQ(TempDir::read(st.document_path), kSorted);

    // No editor in the program folder.
    fs::remove(editor);
    ui = FakeUi{};
    export_to_editor(st, ui);
    EXPECT_EQ(ui.messages, Strings{"Cannot find Stylora5"});
    EXPECT_TRUE(ui.started.empty());
}

TEST_F(Export, ASortedDocumentIsSavedBeforeTheEditorStartsAndOnlyASavedOneIsAnnounced) {
    if (!sort_is_built()) GTEST_SKIP() << "the sort of the string tools is not built yet";
    FullDisk full;
    for (bool diskFull : {true, false}) {
        SCOPED_TRACE(diskFull ? "disk full" : "saved");
        ui = FakeUi{};
        ASSERT_TRUE(open("map.txt", kUnsorted));
        st.file_writer = diskFull ? &full : nullptr;
        ui.answers = {true};
        export_to_editor(st, ui);
        if (diskFull) {
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_TRUE(ui.messages[0].starts_with("Could not save")) << ui.messages[0];
            EXPECT_TRUE(ui.started.empty());
            EXPECT_EQ(TempDir::read(st.document_path), kUnsorted);
        } else {
            EXPECT_EQ(ui.messages, Strings{"Languages sorted and saved."});
            EXPECT_EQ(ui.started, std::vector<Strings>{started_with()});
            EXPECT_NE(TempDir::read(st.document_path).find("String1=0x04,Lake"), std::string::npos);
        }
    }
}

TEST(Help, CheckOnlineAndTheAboutBoxShowTheReadmeAsTheHomePage) {
    struct Case {
        std::string path, address;
    };
    const Case cases[] = {
        {"/opt/lexmarin/README.md", "file:///opt/lexmarin/README.md"},
        {"/home/a b/Maps #1/100%.md", "file:///home/a%20b/Maps%20%231/100%25.md"},
        {"/tmp/Caf\xC3\xA9?x=1", "file:///tmp/Caf%C3%A9%3Fx%3D1"},
    };
    for (const Case& c : cases) EXPECT_EQ(file_address(c.path), c.address);

    State st;
    set_defaults(st, "/opt/lex marin");
    FakeUi ui;
    check_online(st, ui);
    EXPECT_EQ(ui.urls, Strings{"file:///opt/lex%20marin/README.md"});
    EXPECT_EQ(home_page(st), ui.urls[0]);
    EXPECT_EQ(about_version(st), "Version 1.22");
}

} // namespace lex
