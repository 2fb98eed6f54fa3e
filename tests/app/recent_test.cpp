#include "document/state.h"
#include "support/temp_dir.h"
#include "view/recent_files.h"

#include <gtest/gtest.h>

namespace lex {

using test::TempDir;

class Recent : public ::testing::Test {
protected:
    TempDir dir;
    State st;
    // Files a to h; the list is filled with f, e, d, c, b, a (f most recent).
    std::string f(char c) { return dir.file(std::string(1, c) + ".txt"); }
    void SetUp() override {
        for (char c = 'a'; c <= 'h'; ++c) dir.write(std::string(1, c) + ".txt", "x");
        for (char c = 'a'; c <= 'f'; ++c) remember_recent(st, f(c));
    }
    std::array<std::string, 6> list(const char* chars) {
        std::array<std::string, 6> out;
        for (std::size_t i = 0; i < 6; ++i) out[i] = f(chars[i]);
        return out;
    }
};

TEST_F(Recent, NewFileGoesOnTopAndTheOldestDrops) {
    EXPECT_EQ(st.win.recent, list("fedcba"));
    remember_recent(st, f('g'));
    EXPECT_EQ(st.win.recent, list("gfedcb"));
}

TEST_F(Recent, ListedFileMovesUpAndOnlyTheEntriesAboveItShift) {
    remember_recent(st, f('c')); // entry 13
    EXPECT_EQ(st.win.recent, list("cfedba"));
    remember_recent(st, f('c')); // already on top
    EXPECT_EQ(st.win.recent, list("cfedba"));
    remember_recent(st, f('a')); // the last entry
    EXPECT_EQ(st.win.recent, list("acfedb"));
}

TEST_F(Recent, ComparisonIsExactAndOnlyAbsolutePathsAreRecorded) {
    const std::string upper = dir.file("A.txt");
    remember_recent(st, upper);
    EXPECT_EQ(st.win.recent[0], upper);
    EXPECT_EQ(st.win.recent[1], f('f'));
    const auto before = st.win.recent;
    remember_recent(st, "relative/map.txt");
    remember_recent(st, "");
    EXPECT_EQ(st.win.recent, before);
}

TEST_F(Recent, EntriesAreEnabledByTheExistenceOfTheirFiles) {
    EXPECT_EQ(st.win.recent_enabled, (std::array<bool, 6>{true, true, true, true, true, true}));
    std::filesystem::remove(f('d'));
    std::filesystem::create_directory(f('z')); // a folder is not a file
    remember_recent(st, f('z'));
    EXPECT_EQ(st.win.recent, list("zfedcb"));
    EXPECT_EQ(st.win.recent_enabled, (std::array<bool, 6>{false, true, true, false, true, true}));
    st.win.recent[5].clear();
    refresh_recent(st);
    EXPECT_FALSE(st.win.recent_enabled[5]);
}

} // namespace lex
