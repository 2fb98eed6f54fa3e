// An installed program: what it writes goes to the user's folder, what it ships is only read.
// (The start itself, installed, is checked by the install test.)

#include "commands/actions.h"
#include "commands/startup.h"
#include "support/fixtures.h"

namespace lex {

using namespace lex::test;
namespace fs = std::filesystem;

// "Edit Dictionary" gives the user an own copy of the shipped dictionary and opens that; from
// then on the own copy is read, and a later edit never overwrites it.
TEST(InstalledFolders, EditingTheDictionaryWorksOnTheUsersOwnCopy) {
    TempDir dir;
    fs::create_directories(dir.file("share/dictionaries"));
    fs::create_directories(dir.file("home"));
    const std::string own_dic = dir.file("home/dictionaries/EN.dic");
    const std::string shipped_dic = dir.write("share/dictionaries/EN.dic", "lake\r\nroad\r\n");
    State st;
    FakeUi ui;
    auto start = [&] { startup(st, ui, Folders(dir.file("home"), dir.file("share")), ""); };
    start();
    run_action(st, ui, ActionId::kEditDictionary);
    EXPECT_EQ(ui.viewed, Strings{own_dic});
    EXPECT_EQ(TempDir::read(own_dic), "lake\r\nroad\r\n");
    dir.write("home/dictionaries/EN.dic", "lake\r\nriver\r\n"); // the user edits the copy
    run_action(st, ui, ActionId::kEditDictionary);              // which a later edit keeps
    run_action(st, ui, ActionId::kReloadDictionary);            // Reload Dictionary
    EXPECT_EQ(st.dictionary, "lake\r\nriver\r\n");
    start(); // the next start reads the own copy too
    EXPECT_EQ(st.dictionary, "lake\r\nriver\r\n");
    EXPECT_TRUE(ui.messages.empty());
    // A copy that cannot be written (a file where the folder goes, a folder where the file goes)
    // is reported and nothing opens.
    fs::remove(own_dic);
    fs::create_directories(own_dic);
    ui.viewed.clear();
    run_action(st, ui, ActionId::kEditDictionary);
    fs::remove_all(dir.file("home/dictionaries"));
    dir.write("home/dictionaries", "a file where the folder goes");
    run_action(st, ui, ActionId::kEditDictionary);
    EXPECT_EQ(ui.messages, (Strings{"Cannot write " + own_dic, "Cannot write " + own_dic}));
    EXPECT_TRUE(ui.viewed.empty());
    EXPECT_EQ(TempDir::read(shipped_dic), "lake\r\nroad\r\n");
}

} // namespace lex
