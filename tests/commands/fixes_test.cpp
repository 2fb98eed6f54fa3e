#include "commands/language_choice.h"
#include "commands/open_document.h"
#include "commands/startup.h"
#include "document/state.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"
#include "support/typ.h"

#include <gtest/gtest.h>

#include <filesystem>

#ifdef __linux__
#include <sys/fsuid.h>
#include <unistd.h>
#endif

namespace lex {

using test::crlf;
using test::FakeUi;
using test::TempDir;

namespace {

// File permissions hold for this thread while it lives, also for root: as root the file
// system user becomes "nobody", which takes the permission-override capabilities away.
class Unprivileged {
public:
    Unprivileged() {
#ifdef __linux__
        if (geteuid() == 0) setfsuid(65534);
#endif
    }
    ~Unprivileged() {
#ifdef __linux__
        if (geteuid() == 0) setfsuid(0);
#endif
    }
};

std::string polygon_doc(const std::string& label) {
    return test::typ_header() +
           test::typ_element("[_polygon]", crlf({"Type=0x01", "String1=0x04," + label,
                                                 "String2=0x02,See", "String3=0x19,Ozero"}));
}

} // namespace

TEST(LanguageChoice, SavingFirstKeepsTheListOnTheLanguageInUse) {
    State st;
    FakeUi ui;
    set_defaults(st, "/opt/lexmarin");
    st.row_target_code = "02";
    st.document = polygon_doc("Lake");
    st.changed = true;
    ui.answers = {true}; // "Changes not saved. Save Changes?" Yes
    choose_language(st, ui, kTargetList, 16);
    EXPECT_EQ(ui.questions, std::vector<std::string>{"Changes not saved. Save Changes?"});
    EXPECT_EQ(st.win.language_row[kTargetList], 2);
    EXPECT_EQ(st.target_code, "02");
    EXPECT_TRUE(st.changed);
    ui.answers = {false}; // No: the unsaved work is dropped and Russian applies
    choose_language(st, ui, kTargetList, 16);
    EXPECT_EQ(st.win.language_row[kTargetList], 16);
    EXPECT_EQ(st.target_code, "19");
    EXPECT_FALSE(st.changed);
}

TEST(Startup, ASavedSourceTheSourceListLacksGivesWayToTheDefault) {
    TempDir home;
    // Russian (19) as source, which only the target list offers; Spanish (08) as target.
    home.write("tr.dat", crlf({" ", "", "", "", "", "", "", "08", "19", " 5 ", " 0 ", "", "", "",
                               "00", " 0 ", " 0 "}));
    State st;
    FakeUi ui;
    startup(st, ui, home.str(), "");
    EXPECT_EQ(st.source_code, "04");
    EXPECT_EQ(st.source_codepage, 1252);
    EXPECT_EQ(st.win.language_row, (std::array<int, 2>{0, 5}));
    EXPECT_EQ(st.win.language_caption[kSourceList], "English ");
    EXPECT_EQ(st.target_code, "08");
    EXPECT_EQ(st.win.language_caption[kTargetList], "Spanish");
}

TEST(OpenDocument, AFileThatCannotBeReadSaysWhy) {
    TempDir dir;
    State st;
    FakeUi ui;
    set_defaults(st, dir.str());
    std::string first = dir.write("first.txt", polygon_doc("Lake"));
    ASSERT_TRUE(open_document(st, ui, first));
    const std::string locked = dir.write("locked.txt", polygon_doc("Pond"));
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    std::string path = locked;
    bool opened;
    {
        Unprivileged as_user;
        opened = open_document(st, ui, path);
    }
    EXPECT_FALSE(opened);
    EXPECT_EQ(ui.messages,
              std::vector<std::string>{"Could not read " + locked + ": Permission denied"});
    EXPECT_EQ(st.document_path, first);
    EXPECT_EQ(st.row(kPolygons, 0).caption, "Lake");
}

} // namespace lex
