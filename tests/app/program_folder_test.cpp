#include "app/program_folder.h"
#include "support/fixtures.h"

namespace lex {

using namespace lex::test;

// Which folders a run uses, from LEXMARIN_HOME, the executable's folder and the per-user folder.
TEST(ProgramFolders, ChosenFromTheHomeVariableTheInstalledDataAndTheExecutablesFolder) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("usr/bin"));
    std::filesystem::create_directories(dir.file("usr/share/lexmarin"));
    std::filesystem::create_directories(dir.file("build"));
    const std::string per_user = dir.file("per-user");
    struct Case {
        const char* what;
        std::string home, exe;
        std::string user, shipped;
    };
    const Case cases[] = {
        {"LEXMARIN_HOME holds everything, even installed", dir.file("home/"), dir.file("usr/bin"),
         dir.file("home"), dir.file("home")},
        {"installed: per-user folder, installed data", "", dir.file("usr/bin"), per_user,
         dir.file("usr/share/lexmarin")},
        {"a build folder holds everything", "", dir.file("build"), dir.file("build"),
         dir.file("build")},
        {"a folder the program cannot write", "", dir.file("gone"), per_user, dir.file("gone")},
    };
    for (const Case& c : cases) {
        const Folders f = choose_folders(c.home, c.exe, per_user);
        EXPECT_EQ(f.user, c.user) << c.what;
        EXPECT_EQ(f.shipped, c.shipped) << c.what;
    }
}

} // namespace lex
