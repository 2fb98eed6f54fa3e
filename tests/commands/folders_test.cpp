// An installed program: what it writes goes to the user's folder, what it ships is only read.

#include "commands/startup.h"
#include "commands/tools_menu.h"
#include "support/fixtures.h"

namespace lex {

using namespace lex::test;
namespace fs = std::filesystem;

class InstalledFolders : public ::testing::Test {
protected:
    TempDir dir;
    const std::string user = dir.file("home");
    const std::string shipped = dir.file("share");
    const std::string own_dic = dir.file("home/dictionaries/EN.dic");
    const std::string shipped_dic = dir.file("share/dictionaries/EN.dic");
    State st;
    FakeUi ui;
    void SetUp() override {
        fs::create_directories(dir.file("share/dictionaries"));
        dir.write("share/dictionaries/EN.dic", "lake\r\nroad\r\n");
        fs::create_directories(user);
    }
    void start() { startup(st, ui, Folders(user, shipped), ""); }
    // Every file and folder of the shipped data with its bytes.
    std::string shipped_tree() const {
        std::string out;
        for (const auto& e : fs::recursive_directory_iterator(shipped))
            out += e.path().string() + "=" +
                   (e.is_regular_file() ? TempDir::read(e.path().string()) : "") + ";";
        return out;
    }
};

TEST_F(InstalledFolders, StartReadsTheShippedDictionaryAndWritesOnlyToTheUserFolder) {
    const std::string before = shipped_tree();
    start();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(st.dictionary, "lake\r\nroad\r\n");
    EXPECT_TRUE(fs::is_directory(dir.file("home/system")));
    ASSERT_TRUE(write_settings(st, ui));
    EXPECT_TRUE(fs::exists(dir.file("home/tr.dat")));
    EXPECT_FALSE(fs::exists(own_dic)); // read where it is, not copied
    EXPECT_EQ(st.document_path, dir.file("home/untitled.txt"));
    EXPECT_EQ(shipped_tree(), before);
    // Neither dictionary: the message names the shipped one, the start goes on.
    fs::remove(shipped_dic);
    start();
    EXPECT_EQ(ui.messages, Strings{shipped_dic + " doesn't exist"});
}

// "Edit Dictionary" gives the user an own copy of the shipped dictionary and opens that; from
// then on the own copy is read, and a later edit never overwrites it.
TEST_F(InstalledFolders, EditingTheDictionaryWorksOnTheUsersOwnCopy) {
    start();
    tools_menu_item(st, ui, 2);
    EXPECT_EQ(ui.viewed, Strings{own_dic});
    EXPECT_EQ(TempDir::read(own_dic), "lake\r\nroad\r\n");
    dir.write("home/dictionaries/EN.dic", "lake\r\nriver\r\n"); // the user edits the copy
    tools_menu_item(st, ui, 2);                                 // which a later edit keeps
    tools_menu_item(st, ui, 3);                                 // Reload Dictionary
    EXPECT_EQ(st.dictionary, "lake\r\nriver\r\n");
    start(); // the next start reads the own copy too
    EXPECT_EQ(st.dictionary, "lake\r\nriver\r\n");
    EXPECT_TRUE(ui.messages.empty());
    // A copy that cannot be written (a file where the folder goes, a folder where the file goes)
    // is reported and nothing opens.
    fs::remove(own_dic);
    fs::create_directories(own_dic);
    ui.viewed.clear();
    tools_menu_item(st, ui, 2);
    fs::remove_all(dir.file("home/dictionaries"));
    dir.write("home/dictionaries", "a file where the folder goes");
    tools_menu_item(st, ui, 2);
    EXPECT_EQ(ui.messages, (Strings{"Cannot write " + own_dic, "Cannot write " + own_dic}));
    EXPECT_TRUE(ui.viewed.empty());
    EXPECT_EQ(TempDir::read(shipped_dic), "lake\r\nroad\r\n");
}

} // namespace lex
