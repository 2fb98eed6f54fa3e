// The recovery file: written while rows are unsaved, removed when they are saved or another
// document is open, and at the next start put back when the document still gives the same
// rows, or offered as a list when it does not.

#include "commands/language_choice.h"
#include "commands/recovery.h"
#include "commands/review.h"
#include "commands/save_document.h"
#include "document/files.h"
#include "support/fixtures.h"
#include "translate/languages.h"
#include "view/rows.h"

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
    for (int k = 0; k < kKinds; ++k) out += texts(st, k) + "/" + colours(st, k) + " ";
    return out;
}

} // namespace

class Recovery : public DocTest {
protected:
    RecoveryKeeper keeper;
    // Opens the map from English into French with "0x00" ticked and types two rows.
    void type_into_map() {
        ASSERT_TRUE(open("map.txt", kMap));
        select_language(st, kSourceList, language_row_of(st, "04"));
        select_language(st, kTargetList, language_row_of(st, "01"));
        st.win.zero_fallback = true;
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
    const std::string file = recovery_path(st, st.document_path);
    ASSERT_EQ(keeper.file(), file);
    EXPECT_EQ(TempDir::read(file),
              "[document]" + st.document_path + "\r\n[zero]\r\n[lang]English ,French \r\n" +
                  "[polygons]\r\nLake#Lac\r\nForest#For\xEAt\r\n\r\n[lines]\r\nRoad#\r\n\r\n" +
                  "[pois]\r\nNul#?Nul\r\n\r\n");
    EXPECT_EQ(recovery_files(st), Strings{file});
    // Another folder's map.txt has its own file.
    EXPECT_NE(recovery_path(st, dir.file("other/map.txt")), file);

    // A file removed behind the window's back is written again.
    std::filesystem::remove(file);
    keeper.update(st, ui);
    EXPECT_TRUE(file_exists(file));

    std::string path = st.document_path;
    ASSERT_TRUE(save_document(st, ui, path));
    keeper.update(st, ui);
    EXPECT_FALSE(file_exists(file));
    EXPECT_TRUE(keeper.file().empty());

    // Another document opened: the old one's file goes.
    type_into_map();
    keeper.update(st, ui);
    ASSERT_TRUE(file_exists(file));
    ASSERT_TRUE(open("other.txt", kMap));
    keeper.update(st, ui);
    EXPECT_FALSE(file_exists(file));
    EXPECT_TRUE(recovery_files(st).empty());

    // A folder that cannot be written is reported once, not every 30 seconds.
    st.changed = true;
    std::filesystem::remove_all(dir.file("recovery"));
    dir.write("recovery", "a file where the folder should be");
    keeper.update(st, ui);
    keeper.update(st, ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].rfind("Could not keep the unsaved rows in " +
                                       recovery_path(st, st.document_path) + ": ",
                                   0),
              0u);
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
    EXPECT_TRUE(again.win.zero_fallback && again.changed &&
                again.pane(kPoints).check_errors_visible);
    EXPECT_EQ(steps, 1);
    EXPECT_FALSE(file_exists(file));
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
        keeper = RecoveryKeeper();
    }
}

} // namespace lex
