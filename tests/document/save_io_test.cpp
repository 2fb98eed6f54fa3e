// The two file writers a save can use: the standard one and the one on QSaveFile. Both must
// replace a file only as a whole and leave it alone when anything fails.

#include "commands/save_document.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace lex {

using test::TempDir;
namespace fs = std::filesystem;

class Writer : public ::testing::TestWithParam<FileWriter& (*)()> {
protected:
    TempDir dir;
    FileWriter& io() { return GetParam()(); }
    std::size_t entries() const {
        return std::size_t(std::distance(fs::directory_iterator(dir.str()), {}));
    }
};

TEST_P(Writer, WritesAndReplacesWholeFiles) {
    const std::string path = dir.file("map.txt");
    std::string why;
    ASSERT_TRUE(io().replace_file(path, std::string("a\0b\r\n", 5), why)) << why;
    EXPECT_EQ(TempDir::read(path), std::string("a\0b\r\n", 5));
    ASSERT_TRUE(io().replace_file(path, "short", why)) << why;
    EXPECT_EQ(TempDir::read(path), "short");
    ASSERT_TRUE(io().replace_file(path, "", why)) << why;
    EXPECT_EQ(TempDir::read(path), "");
    EXPECT_EQ(entries(), 1u); // no temporary file left behind
}

TEST_P(Writer, KeepsPermissionsAndLinks) {
    const std::string path = dir.write("map.txt", "old");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    std::string why;
    ASSERT_TRUE(io().replace_file(path, "new", why)) << why;
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    const std::string link = dir.file("link.txt");
    fs::create_symlink(path, link);
    ASSERT_TRUE(io().replace_file(link, "through the link", why)) << why;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(TempDir::read(path), "through the link");
}

TEST_P(Writer, RefusesWithAReasonAndTouchesNothing) {
    std::string why;
    EXPECT_FALSE(io().replace_file(dir.file("gone/map.txt"), "x", why));
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(fs::exists(dir.file("gone")));

    fs::create_directory(dir.file("folder.txt"));
    why.clear();
    EXPECT_FALSE(io().replace_file(dir.file("folder.txt"), "x", why));
    EXPECT_NE(why.find("folder"), std::string::npos) << why;
    EXPECT_TRUE(fs::is_directory(dir.file("folder.txt")));

    // Refused even for an administrator, whom the system would let write.
    const std::string ro = dir.write("ro.txt", "keep");
    fs::permissions(ro, fs::perms::owner_read | fs::perms::group_read);
    why.clear();
    EXPECT_FALSE(io().replace_file(ro, "x", why));
    EXPECT_EQ(why, "the file is read-only");
    EXPECT_EQ(TempDir::read(ro), "keep");
    EXPECT_EQ(entries(), 2u);
}

TEST_P(Writer, ReadOnlyFolder) {
#ifdef _WIN32
    GTEST_SKIP() << "folder permissions do not stop writes on Windows";
#else
    if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not stop the superuser";
    const std::string sub = dir.file("locked");
    fs::create_directory(sub);
    const std::string path = dir.write("locked/map.txt", "keep");
    fs::permissions(sub, fs::perms::owner_read | fs::perms::owner_exec);
    std::string why;
    EXPECT_FALSE(io().replace_file(path, "x", why));
    EXPECT_FALSE(why.empty());
    fs::permissions(sub, fs::perms::owner_all);
    EXPECT_EQ(TempDir::read(path), "keep");
    EXPECT_EQ(std::distance(fs::directory_iterator(sub), {}), 1);
#endif
}

INSTANTIATE_TEST_SUITE_P(Both, Writer, ::testing::Values(&standard_file_writer, &qt_file_writer),
                         [](const auto& param) {
                             return std::string(param.index == 0 ? "Standard" : "QSaveFile");
                         });

} // namespace lex
