#include "commands/export_editor.h"
#include "commands/help.h"
#include "support/fixtures.h"

namespace lex {

using namespace lex::test;
namespace fs = std::filesystem;

namespace {

void make_program(const std::string& path, bool executable) {
    std::ofstream(path) << "#!/bin/sh\n";
    fs::permissions(path, executable ? fs::perms::owner_all : fs::perms::owner_read,
                    fs::perm_options::replace);
}

// Labels in the order English (04), German (02): a sort puts them in code order, 02 first.
const std::string kUnsorted =
    typ_header() +
    typ_element("[_polygon]", {"Type=0x01", "String1=0x04,Lake", "String2=0x02,See"});
const std::string kSorted =
    typ_header() +
    typ_element("[_polygon]", {"Type=0x01", "String1=0x02,See", "String2=0x04,Lake"});

} // namespace

TEST(EditorLaunch, TheEditorItselfOrThroughWineOrNothing) {
    TempDir dir;
    fs::create_directories(dir.file("bin1"));
    fs::create_directories(dir.file("bin2"));
    const std::string editor = dir.file("stl5.exe"), doc = "/maps/my city.txt";
    const std::string path = "::" + dir.file("bin1") + ":" + dir.file("bin2");
    EXPECT_FALSE(editor_launch(editor, doc, path)) << "no editor";
    make_program(editor, true);
    auto direct = editor_launch(editor, doc, path);
    ASSERT_TRUE(direct);
    EXPECT_EQ(direct->arguments, Strings{doc}); // one argument, blanks and all
#ifndef _WIN32
    make_program(editor, false);
    EXPECT_FALSE(editor_launch(editor, doc, path)) << "cannot run, no wine";
    make_program(dir.file("bin1/wine"), false); // not a program: passed over
    make_program(dir.file("bin2/wine"), true);
    auto wine = editor_launch(editor, doc, path);
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
    void run(std::deque<bool> answers) {
        ui = FakeUi{};
        ui.answers = std::move(answers);
        export_to_editor(st, ui);
    }
};

TEST_F(Export, StartsTheEditorWithTheDocumentOnDiskOrSaysWhyNot) {
    run({});
    EXPECT_EQ(ui.messages, Strings{"No data."});
    fill_pane(st, kPolygons, "Lake=See"); // rows of a list, no document
    run({});
    EXPECT_EQ(ui.messages,
              Strings{"No TYP text file is open: open one before exporting it to Stylora5."});

    ASSERT_TRUE(open("my map.txt", kSorted));
    const std::vector<Strings> started{{editor, st.document_path}};
    st.changed = true;
    run({true}); // save first: the export ends there
    EXPECT_EQ(ui.questions, Strings{"Changes not saved. Save Changes?"});
    EXPECT_TRUE(ui.started.empty() && st.changed);
    run({false, false}); // no save, no sort: the editor starts at once
    EXPECT_EQ(ui.questions, (Strings{"Changes not saved. Save Changes?", "Sort Languages?"}));
    EXPECT_EQ(ui.started, started);
    st.changed = false;
    run({true}); // sort a document already in order: no save, no message
    EXPECT_EQ(ui.questions, Strings{"Sort Languages?"});
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.started, started);
    EXPECT_EQ(TempDir::read(st.document_path), kSorted);
    fs::remove(editor);
    run({false});
    EXPECT_EQ(ui.messages, Strings{"Cannot find Stylora5"});
    EXPECT_TRUE(ui.started.empty());
}

TEST_F(Export, ASortedDocumentIsSavedFirstAndOnlyASavedOneIsAnnounced) {
    FullDisk full;
    for (FileWriter* writer : std::initializer_list<FileWriter*>{&full, nullptr}) {
        ASSERT_TRUE(open("map.txt", kUnsorted));
        st.file_writer = writer;
        run({true});
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].starts_with("Could not"), writer != nullptr) << ui.messages[0];
        EXPECT_EQ(ui.messages[0] == "Languages sorted and saved.", writer == nullptr);
        EXPECT_EQ(ui.started.size(), writer ? 0u : 1u);
        EXPECT_EQ(TempDir::read(st.document_path) == kUnsorted, writer != nullptr);
    }
}

TEST(Help, CheckOnlineOpensTheReadmeShippedWithTheProgram) {
    EXPECT_EQ(file_address("/home/a b/Maps #1/100%.md"),
              "file:///home/a%20b/Maps%20%231/100%25.md");
    EXPECT_EQ(file_address("/tmp/Caf\xC3\xA9?x=1"), "file:///tmp/Caf%C3%A9%3Fx%3D1");
    State st;
    set_defaults(st, "/home/u/.local/share/Lexmarin");
    st.data_dir = "/opt/lex marin/share/lexmarin"; // installed: the README ships with the program
    FakeUi ui;
    check_online(st, ui);
    EXPECT_EQ(ui.urls, Strings{"file:///opt/lex%20marin/share/lexmarin/README.md"});
}

} // namespace lex
