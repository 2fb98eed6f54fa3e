// Undo steps on the model: every kind of change, done, undone and redone, leaves the rows, the
// document text and the languages byte for byte as they were.

#include "commands/actions.h"
#include "commands/clear_translations.h"
#include "commands/edit_label.h"
#include "commands/language_choice.h"
#include "commands/lists.h"
#include "commands/review.h"
#include "commands/string_tools.h"
#include "commands/tools_menu.h"
#include "generator.h"
#include "support/fixtures.h"
#include "view/rows.h"
#include "view/steps.h"

#include <sstream>

namespace lex {

using namespace lex::test;

namespace {

// 23 polygons (two rows past the permanent ones; rows 3 and 21 have empty source labels), a line
// with a suspect target and one whose target is its source, and points with a 0x00 label.
std::string review_document() {
    std::string doc = typ_header();
    for (int i = 0; i < 23; ++i) {
        const std::string n = std::to_string(i), name = i == 3 || i == 21 ? "" : "Lake " + n;
        doc += "[_polygon]\r\n" +
               crlf({"Type=0x0" + std::to_string(i % 8), "String1=0x04," + name}) +
               (i % 2 ? crlf({"String2=0x02,See " + n}) : "") + "[end]\r\n";
    }
    doc += typ_element("[_line]", {"Type=0x01", "String1=0x04,Road", "String2=0x02,?Strasse"});
    doc += typ_element("[_line]", {"Type=0x02", "String1=0x04,Park", "String2=0x02,Park"});
    doc += typ_element("[_point]", {"Type=0x03", "String1=0x00,Nul", "String2=0x02,Null"});
    doc += typ_element("[_point]", {"Type=0x04", "String2=0x04,Town", "String1=0x02,Stadt"});
    return doc;
}

// Everything a step may change, as text: the document, the languages and every row shown.
std::string dump(const State& st) {
    std::ostringstream o;
    o << st.document << '\0' << st.source_code << st.target_code << st.row_target_code
      << st.target_index << st.source_codepage << st.target_codepage << st.font_codepage
      << st.win.language_caption[0] << st.win.language_caption[1] << st.win.language_row[0]
      << st.win.language_row[1] << st.win.codepage_caption << st.zero_fallback << st.list_loaded
      << st.document_path << '\0';
    for (const Kind k : kAllKinds) {
        const Pane& pane = st.pane(k);
        o << st.row_count(k) << pane.check_errors_visible << pane.panel << '\n';
        for (std::size_t r = 0;
             r < st.rows(k).size() && r < std::size_t(std::max(st.row_count(k), 21)); ++r) {
            const Row& row = st.rows(k)[r];
            o << row.caption << '|' << row.source_key << '|' << row.text << '|' << int(row.status)
              << ',' << row.marks.source_doubt << ',' << row.marks.search_hit << ','
              << row.marks.target_doubt << '\n';
        }
    }
    return o.str();
}

class UndoSteps : public DocTest {
protected:
    ScriptedTranslator tr;
    void SetUp() override {
        DocTest::SetUp();
        ASSERT_TRUE(open("map.txt", review_document()));
        ASSERT_EQ(st.row_count(kPolygons), 23);
        tr.answer = [](const TranslationRequest&, const std::string& request) {
            std::string out = request;
            for (char& c : out) c = char(std::toupper(static_cast<unsigned char>(c)));
            return out;
        };
    }
    void type(Kind kind, int row, const std::string& text) {
        st.row(kind, row).text = text;
        target_row_typed(st, ui, kind, row);
    }
};

} // namespace

TEST_F(UndoSteps, EveryKindOfChangeIsTakenBackAndDoneAgainByteForByte) {
    struct Case {
        const char* what;
        StepScope scope;
        bool typed_first; // an unsaved typed row that a rebuild drops and undo must bring back
        std::deque<bool> answers;
        std::function<void()> act;
    };
    const StepScope all = StepScope::everything(), polygons = StepScope::pane(kPolygons);
    auto action = [&](ActionId id) { return [&, id] { run_action(st, ui, id); }; };
    auto newName = [](const std::string&) { return std::optional<std::string>("Pond"); };
    const std::string list = "[lang]English ,French \r\n[lines]\r\nRoad#Route\r\n";
    // clang-format off
    const Case cases[] = {
        {"typing", StepScope::row(kLines, 1), false, {}, [&] { type(kLines, 1, "Parc?"); }},
        {"copy source to target", StepScope::row(kPolygons, 0), false, {},
         [&] { copy_source_to_target(st, ui, {kPolygons, 0}, " Lake 0 "); }},
        {"translate", polygons, true, {}, [&] { translate_pane(st, ui, tr, kPolygons, kNoPause); }},
        {"check errors", StepScope::pane(kLines), false, {},
         [&] { check_errors(st, ui, tr, kLines, kNoPause); }},
        {"clear", polygons, true, {true}, [&] { clear_translations(st, ui, kPolygons); }},
        {"mark light blue", StepScope::pane(kLines), false, {},
         [&] { mark_same_as_source_suspect(st, ui, kLines); }},
        {"edit label", all, true, {}, [&] { edit_source_label(st, ui, kPolygons, 1, newName); }},
        {"replace 0x00", all, true, {false, true}, action(ActionId::kReplaceZero)},
        {"replace source with target", all, true, {false, true}, action(ActionId::kReplaceSource)},
        {"delete empty strings", all, true, {false, true}, action(ActionId::kDeleteEmpty)},
        {"sort", all, true, {false}, action(ActionId::kSortLanguages)},
        {"language", all, true, {false}, [&] { choose_language(st, ui, kTargetList, 1); }},
        {"0x00", all, false, {}, [&] { set_zero_fallback(st, ui, true); }},
        {"open list", all, true, {true}, // "Open the list anyway?"
         [&] { ui.files = {dir.write("l.lst", list)}; open_list(st, ui); }},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        if (c.typed_first) type(kPolygons, 2, "Getippt");
        ui.answers = c.answers;
        const std::string before = dump(st);
        StepRecorder recorder(st, c.scope);
        c.act();
        const std::string after = dump(st);
        const Step step = recorder.finish(st);
        ASSERT_NE(before, after);
        ASSERT_FALSE(step.empty());
        undo_step(st, ui, step, true);
        EXPECT_EQ(dump(st), before);
        EXPECT_EQ(st.win.title.back(), '+');
        redo_step(st, ui, step, false);
        EXPECT_EQ(dump(st), after);
        EXPECT_EQ(st.win.title.back(), 'p'); // "... map", not changed
        undo_step(st, ui, step, true);
        EXPECT_EQ(dump(st), before);
    }
}

TEST_F(UndoSteps, ARunKeepsOnlyTheRowsItWroteAndANoOpKeepsNothing) {
    StepRecorder run(st, StepScope::pane(kPolygons));
    translate_pane(st, ui, tr, kPolygons, kNoPause);
    // The twelve even polygons had no target.
    EXPECT_EQ(run.finish(st).rows.size(), 12u);

    StepRecorder cancelled(st, StepScope::everything());
    ui.answers = {false};
    clear_translations(st, ui, kPolygons);
    EXPECT_TRUE(cancelled.finish(st).empty());
}

TEST_F(UndoSteps, TypingIntoOneBoxMergesAndTypingItBackLeavesNoStep) {
    const Row start = st.row(kLines, 1);
    Step typed;
    for (const char* text : {"P", "P?", "Park"}) {
        const Row before = st.row(kLines, 1);
        type(kLines, 1, text);
        merge_steps(typed, row_step(st, kLines, 1, before, false));
        if (text[1] == '?') { // one step from the first letter on, suspect since the "?"
            EXPECT_TRUE(typed.rows.size() == 1 && typed.rows[0].before == start &&
                        typed.rows[0].after.status == RowStatus::kSuspect);
        }
    }
    EXPECT_TRUE(typed.empty());
}

TEST_F(UndoSteps, DocumentStepsKeepOnlyThePiecesTheyChanged) {
    // A label edit in a 2 MB document keeps a few pieces beside those it shares.
    bench::GenOptions options;
    options.elements_per_kind = bench::elements_for_size(2 << 20, options);
    st.document = bench::generate_typ(options);
    rebuild_rows(st, ui);
    // The first and last rows too: the pieces before an edit, after it and the last one.
    for (const int row : {100, 0, st.row_count(kPoints) - 1}) {
        SCOPED_TRACE(row);
        const std::string before = st.document;
        StepRecorder edit(st, StepScope::everything());
        edit_source_label(st, ui, row == 100 ? kLines : kPoints, row, [](const std::string& old) {
            return std::optional<std::string>(old.size() > 3 ? "R" : "Renamed at length");
        });
        const Step step = edit.finish(st);
        ASSERT_TRUE(step.document_after);
        EXPECT_EQ(step.document_after->text(), st.document);
        EXPECT_EQ(step.document_before->text(), before);
        std::size_t own = 0;
        for (const auto& piece : step.document_after->pieces)
            if (std::find(step.document_before->pieces.begin(), step.document_before->pieces.end(),
                          piece) == step.document_before->pieces.end())
                own += piece->size();
        EXPECT_LT(own, st.document.size() / 50);
    }
    // Nothing changed: no document step.
    StepRecorder none(st, StepScope::everything());
    EXPECT_FALSE(none.finish(st).document_after);
}

} // namespace lex
