// The two file writers a save can use: the standard one and the one on QSaveFile. Both must
// replace a file only as a whole and leave it alone when anything fails.

#include "document/save.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace lex {

using test::TempDir;
namespace fs = std::filesystem;

class Writer : public ::testing::TestWithParam<SaveIo& (*)()> {
protected:
    TempDir dir;
    std::string why;
    bool replace(const std::string& path, std::string_view bytes) {
        why.clear();
        return GetParam()().replace_file(path, bytes, why);
    }
    long entries(const std::string& folder) const {
        return long(std::distance(fs::directory_iterator(folder), {}));
    }
};

TEST_P(Writer, ReplacesWholeFilesKeepingPermissionsAndLinks) {
    const std::string path = dir.file("map.txt");
    for (std::string bytes : {std::string("a\0b\r\n", 5), std::string("short"), std::string()}) {
        ASSERT_TRUE(replace(path, bytes)) << why;
        EXPECT_EQ(TempDir::read(path), bytes);
    }
    EXPECT_EQ(entries(dir.str()), 1); // no temporary file left behind

    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(path, perms);
    fs::create_symlink(path, dir.file("link.txt"));
    ASSERT_TRUE(replace(dir.file("link.txt"), "through the link")) << why;
    EXPECT_TRUE(fs::is_symlink(dir.file("link.txt")));
    EXPECT_EQ(TempDir::read(path), "through the link");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, perms);
}

TEST_P(Writer, RefusesWithAReasonAndTouchesNothing) {
    EXPECT_FALSE(replace(dir.file("gone/map.txt"), "x"));
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(fs::exists(dir.file("gone")));

    fs::create_directory(dir.file("folder.txt"));
    EXPECT_FALSE(replace(dir.file("folder.txt"), "x"));
    EXPECT_NE(why.find("folder"), std::string::npos) << why;

    // Refused even for an administrator, whom the system would let write.
    const std::string ro = dir.write("ro.txt", "keep");
    fs::permissions(ro, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_FALSE(replace(ro, "x"));
    EXPECT_EQ(why, "the file is read-only");
    EXPECT_EQ(TempDir::read(ro), "keep");
    EXPECT_EQ(entries(dir.str()), 2);

#ifndef _WIN32 // folder permissions stop writes, except for the superuser
    if (::geteuid() == 0) return;
    fs::create_directory(dir.file("locked"));
    const std::string path = dir.write("locked/map.txt", "keep");
    fs::permissions(dir.file("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(replace(path, "x"));
    EXPECT_FALSE(why.empty());
    fs::permissions(dir.file("locked"), fs::perms::owner_all);
    EXPECT_EQ(TempDir::read(path), "keep");
    EXPECT_EQ(entries(dir.file("locked")), 1);
#endif
}

INSTANTIATE_TEST_SUITE_P(Both, Writer, ::testing::Values(&standard_save_io, &qt_save_io),
                         [](const auto& param) {
                             return std::string(param.index == 0 ? "Standard" : "QSaveFile");
                         });

} // namespace lex
