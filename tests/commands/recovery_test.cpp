// The recovery file: written while rows are unsaved, removed when they are saved or another
// document is open, and at the next start put back when the document still gives the same
// rows, or offered as a list when it does not.

#include "commands/language_choice.h"
#include "commands/open_document.h"
#include "commands/recovery.h"
#include "commands/review.h"
#include "commands/save_document.h"
#include "document/file_lock.h"
#include "document/files.h"
#include "support/fixtures.h"
#include "translate/languages.h"
#include "view/rows.h"

#include <regex>

#ifdef __unix__
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace lex {

using namespace lex::test;

namespace {

// English and French labels; a point with only a 0x00 label, shown while "0x00" is ticked.
const std::string kMap =
    typ_header() + typ_element("[_polygon]", {"String1=0x04,Lake", "String2=0x01,Lac"}) +
    typ_element("[_polygon]", {"String1=0x04,Forest"}) +
    typ_element("[_line]", {"String1=0x04,Road"}) + typ_element("[_point]", {"String1=0x00,Nul"});

std::string rows_text(const State& st) {
    std::string out;
    for (const Kind k : kAllKinds) out += texts(st, k) + "/" + statuses(st, k) + " ";
    return out;
}

} // namespace

class Recovery : public DocTest {
protected:
    RecoveryKeeper keeper{qt_file_locks()};
    // Opens the map from English into French with "0x00" ticked and types two rows.
    void type_into_map() {
        ASSERT_TRUE(open("map.txt", kMap));
        select_language(st, kSourceList, language_row_of(st, "04"));
        select_language(st, kTargetList, language_row_of(st, "01"));
        st.zero_fallback = true;
        rebuild_rows(st, ui);
        ASSERT_EQ(st.row_count(kPoints), 1);
        st.row(kPolygons, 1).text = "For\xEAt";
        target_row_typed(st, ui, kPolygons, 1);
        st.row(kPoints, 0).text = "?Nul";
        target_row_typed(st, ui, kPoints, 0);
    }
    // A fresh start of the program in the same folder.
    State next_start() {
        State fresh;
        set_defaults(fresh, dir.str());
        fresh.row_target_code = fresh.target_code;
        return fresh;
    }
};

TEST_F(Recovery, TheFileIsKeptWhileRowsAreUnsavedAndGoesWithThem) {
    ASSERT_TRUE(open("map.txt", kMap));
    keeper.update(st, ui);
    EXPECT_TRUE(keeper.file().empty()); // nothing unsaved

    type_into_map();
    keeper.update(st, ui);
    const std::string file = keeper.file();
    EXPECT_TRUE(std::regex_match(
        file, std::regex(dir.file("recovery/") + "map-[0-9a-f]{16}-[0-9a-f]{8}\\.rec")))
        << file;
    EXPECT_EQ(TempDir::read(file),
              "[recovery]\r\n[document]" + st.document_path +
                  "\r\n[zero]\r\n[lang]English ,French \r\n[polygons]\r\nLake#Lac\r\n" +
                  "Forest#For\xEAt\r\n\r\n[lines]\r\nRoad#\r\n\r\n[pois]\r\nNul#?Nul\r\n\r\n");
    namespace fs = std::filesystem;
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(dir.file("recovery")).permissions() & fs::perms::all,
              fs::perms::owner_all);
    EXPECT_EQ(recovery_files(st), Strings{file});

    // A file removed behind the window's back is written again; a link planted in its place
    // is replaced, and what it points to is left alone.
    fs::remove(file);
    keeper.update(st, ui);
    EXPECT_TRUE(file_exists(file));
    const std::string victim = dir.write("victim.txt", "mine");
    fs::remove(file);
    fs::create_symlink(victim, file);
    st.row(kPolygons, 0).text = "Lac bleu";
    keeper.update(st, ui);
    EXPECT_EQ(TempDir::read(victim), "mine");
    EXPECT_FALSE(fs::is_symlink(file));
    EXPECT_NE(TempDir::read(file).find("Lake#Lac bleu\r\n"), std::string::npos);

    std::string path = st.document_path;
    ASSERT_TRUE(save_document(st, ui, path));
    keeper.update(st, ui);
    EXPECT_FALSE(file_exists(file));
    EXPECT_TRUE(keeper.file().empty());
    EXPECT_TRUE(recovery_files(st).empty());

    // Another document opened: the old one's file goes.
    type_into_map();
    keeper.update(st, ui);
    ASSERT_TRUE(file_exists(keeper.file()));
    const std::string before = keeper.file();
    ASSERT_TRUE(open("other.txt", kMap));
    keeper.update(st, ui);
    EXPECT_FALSE(file_exists(before));
    EXPECT_TRUE(recovery_files(st).empty());

    // A folder that cannot be written is reported once, not every 30 seconds.
    st.changed = true;
    fs::remove_all(dir.file("recovery"));
    dir.write("recovery", "a file where the folder should be");
    keeper.update(st, ui);
    keeper.update(st, ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].rfind(
                  "Could not keep the unsaved rows in " + dir.file("recovery/other-"), 0),
              0u)
        << ui.messages[0];
}

TEST_F(Recovery, TheNextStartPutsTheRowsBackAsTheyWere) {
    type_into_map();
    keeper.update(st, ui);
    const std::string before = rows_text(st);

    State again = next_start();
    FakeUi ui2;
    ui2.answers = {true};
    int steps = 0;
    const std::string file = recovery_files(again).at(0);
    EXPECT_EQ(offer_recovery(again, ui2, file,
                             [&](const std::function<void()>& change) {
                                 ++steps;
                                 change();
                             }),
              Recovered::kRestored);
    EXPECT_EQ(ui2.questions, Strings{"Lexmarin ended without saving the rows of " +
                                     st.document_path + ". Put them back? (No deletes them.)"});
    EXPECT_EQ(rows_text(again), before);
    EXPECT_EQ(again.target_code + again.document_path, "01" + st.document_path);
    EXPECT_TRUE(again.zero_fallback && again.changed && again.pane(kPoints).check_errors_visible);
    EXPECT_EQ(steps, 1);
    EXPECT_FALSE(file_exists(file));
}

// Whatever a label, the typed text or the document's name holds comes back as it was: the
// document still gives the same rows, so they are put back, not offered as a list.
TEST_F(Recovery, AnyTextComesBackByteForByte) {
    std::string every_byte, label_bytes; // a label line holds every byte but the line ends
    for (int c = 1; c < 256; ++c) {
        every_byte += char(c);
        if (c != '\r' && c != '\n') label_bytes += char(c);
    }
    struct Case {
        const char* what;
        std::string source, typed;
        const char* codepage = "1252";
    };
    const Case cases[] = {
        {"a hash typed", "Door", "Puerta #3"},
        {"a hash on both sides", "Lake #2", "Lago #2"},
        {"line ends and tabs", "Lake\tblue", "a\r\nb\rc\nd\te#"},
        {"blanks around, commas, what looks like an escape", "Lake, \\23", "  \\23\\ %23 ,  "},
        {"UTF-8", "Lake \xC3\x81", "\xD0\x9E\xD0\xB7\xD0\xB5\xD1\x80\xD0\xBE \xE6\xB9\x96",
         "65001"},
        {"every byte", label_bytes, every_byte},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        std::string header = typ_header();
        header.replace(header.find("1252"), 4, c.codepage);
        ASSERT_TRUE(
            open("m#p, 1\tb.txt", header + typ_element("[_polygon]", {"String1=0x04," + c.source}) +
                                      typ_element("[_line]", {"String1=0x04,Road"})));
        ASSERT_EQ(st.row_count(kPolygons), 1);
        const std::string source = st.row(kPolygons, 0).caption;
        st.row(kPolygons, 0).text = c.typed;
        target_row_typed(st, ui, kPolygons, 0);
        keeper.update(st, ui);
        ASSERT_FALSE(keeper.file().empty());

        State again = next_start();
        FakeUi ui2;
        ui2.answers = {true};
        EXPECT_EQ(
            offer_recovery(again, ui2, keeper.file(), [](const std::function<void()>& f) { f(); }),
            Recovered::kRestored);
        EXPECT_EQ(ui2.questions.size(), 1u);
        ASSERT_EQ(again.row_count(kPolygons), 1);
        EXPECT_EQ(again.row(kPolygons, 0).caption, source);
        EXPECT_EQ(again.row(kPolygons, 0).text, c.typed);
        EXPECT_EQ(texts(again, kLines), "");
        EXPECT_EQ(again.document_path, st.document_path);
        keeper = RecoveryKeeper(qt_file_locks());
    }
}

TEST_F(Recovery, RowsThatNoLongerMatchAreOnlyOpenedAsAListWhenAsked) {
    struct Case {
        const char* what;
        std::deque<bool> answers;
        Recovered result;
        const char* polygons; // the polygon rows' texts afterwards
    };
    const Case cases[] = {
        {"declined", {false}, Recovered::kDeclined, ""},
        {"not as a list", {true, false}, Recovered::kNotOpened, "|Lac|"},
        // Open List then asks about the row counts that differ.
        {"as a list", {true, true, true}, Recovered::kOpenedAsList, "Lac|For\xEAt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        type_into_map();
        keeper.update(st, ui);
        const std::string file = keeper.file();
        // The map gained a polygon in front since: the kept rows would land on wrong elements.
        dir.write("map.txt", typ_header() + typ_element("[_polygon]", {"String1=0x04,Pond"}) +
                                 kMap.substr(typ_header().size()));
        State again = next_start();
        FakeUi ui2;
        ui2.answers = c.answers;
        EXPECT_EQ(offer_recovery(again, ui2, file, [](const std::function<void()>& f) { f(); }),
                  c.result);
        EXPECT_EQ(texts(again, kPolygons), c.polygons);
        EXPECT_FALSE(file_exists(file));
        keeper = RecoveryKeeper(qt_file_locks());
    }
}

// Two windows on one document: each keeps its own file, one's close leaves the other's, and a
// start meanwhile offers only the files whose windows are gone.
TEST_F(Recovery, TwoWindowsOnOneDocumentKeepTheirOwnFiles) {
    type_into_map();
    keeper.update(st, ui);
    const std::string mine = TempDir::read(keeper.file());

    State other = next_start();
    FakeUi ui2;
    std::string path = st.document_path;
    ASSERT_TRUE(open_document(other, ui2, path));
    other.row(kPolygons, 0).text = "Etang";
    target_row_typed(other, ui2, kPolygons, 0);
    RecoveryKeeper theirs(qt_file_locks());
    theirs.update(other, ui2);
    ASSERT_FALSE(theirs.file().empty());
    EXPECT_NE(theirs.file(), keeper.file());
    EXPECT_EQ(TempDir::read(keeper.file()), mine);
    EXPECT_EQ(recovery_files(st).size(), 2u);

    theirs.remove();
    EXPECT_EQ(TempDir::read(keeper.file()), mine);
    EXPECT_EQ(recovery_files(st), Strings{keeper.file()});

    const auto as_step = [](const std::function<void()>& f) { f(); };
    State next = next_start();
    FakeUi ui3;
    ui3.answers = {true};
    EXPECT_EQ(offer_recovery_files(next, ui3, qt_file_locks(), as_step), 0);
    EXPECT_TRUE(ui3.questions.empty());
    EXPECT_EQ(TempDir::read(keeper.file()), mine);

#ifdef __unix__
    // A window of another process that ends without a word leaves its file under a stale lock.
    const pid_t child = fork();
    if (child == 0) {
        RecoveryKeeper crashing(qt_file_locks());
        crashing.update(other, ui2);
        std::_Exit(crashing.file().empty() ? 1 : 0);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(recovery_files(st).size(), 2u);
    EXPECT_EQ(offer_recovery_files(next, ui3, qt_file_locks(), as_step), 1);
    EXPECT_EQ(ui3.questions.size(), 1u);
    EXPECT_EQ(texts(next, kPolygons), "Etang|");
    EXPECT_EQ(recovery_files(st), Strings{keeper.file()});
    EXPECT_EQ(TempDir::read(keeper.file()), mine);
#endif

    // Gone without closing, as in a crash: the lock goes, the file stays for the next start.
    const std::string file = keeper.file();
    keeper = RecoveryKeeper(qt_file_locks());
    State last = next_start();
    FakeUi ui4;
    ui4.answers = {true};
    EXPECT_EQ(offer_recovery_files(last, ui4, qt_file_locks(), as_step), 1);
    EXPECT_EQ(texts(last, kPolygons), "Lac|For\xEAt");
    EXPECT_FALSE(file_exists(file));
}

// A file an earlier version left, a translation list under the document's path, is offered and
// read as it always was.
TEST_F(Recovery, AFileOfAnEarlierVersionIsStillPutBack) {
    ASSERT_TRUE(open("map.txt", kMap));
    std::filesystem::create_directories(dir.file("recovery"));
    const std::string file = dir.write(
        "recovery/map-0123456789abcdef.lst",
        "[document]" + st.document_path +
            "\r\n[zero]\r\n[lang]English ,French \r\n[polygons]\r\nLake#Lac\r\n" +
            "Forest#  For\xEAt \r\n\r\n[lines]\r\nRoad#\r\n\r\n[pois]\r\nNul#?Nul\r\n\r\n");
    State again = next_start();
    FakeUi ui2;
    ui2.answers = {true};
    EXPECT_EQ(offer_recovery_files(again, ui2, qt_file_locks(),
                                   [](const std::function<void()>& f) { f(); }),
              1);
    EXPECT_EQ(ui2.questions.size(), 1u);
    EXPECT_EQ(texts(again, kPolygons) + " " + texts(again, kPoints), "Lac|For\xEAt ?Nul");
    EXPECT_TRUE(again.zero_fallback);
    EXPECT_FALSE(file_exists(file));
}

} // namespace lex
