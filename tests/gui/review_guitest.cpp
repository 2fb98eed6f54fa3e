// The review flow through the real window: a run, a mistaken "Clr" and its undo, F8 through the
// red rows, fixing rows by typing, Enter and Ctrl+B, the status bar, and the history across
// saving and opening.

#include "commands/actions.h"
#include "commands/recovery.h"
#include "gui/main_window.h"
#include "gui/pane_view.h"
#include "support/fixtures.h"
#include "support/http_server.h"

#include <QtWidgets>

#include <cstdlib>

namespace lex {

using namespace lex::test;

namespace {

void pump() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

void key(QWidget* target, int k, const QString& text = {}, Qt::KeyboardModifiers mods = {}) {
    for (auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, k, mods, text);
        QApplication::sendEvent(target, &event);
    }
}

} // namespace

TEST(ReviewWindow, UndoAWrongClearWalkTheRedRowsAndFixThem) {
    TempDir home;
    HttpServer server;
    setenv("LEXMARIN_HOME", home.str().c_str(), 1);
    setenv("LEXMARIN_TRANSLATE_URL", server.url().c_str(), 1);
    std::string doc = typ_header();
    for (const char* name : {"Lake", "Forest", "Park", "Marsh"})
        doc += typ_element("[_polygon]", {std::string("String1=0x04,") + name});
    doc += typ_element("[_line]", {"String1=0x04,Road", "String2=0x02,?Strasse"});
    doc += typ_element("[_point]", {"String1=0x04,Town"});
    const std::string path = home.write("city.txt", doc);
    FakeUi dialogs;
    auto w = std::make_unique<MainWindow>(home.str(), path, &dialogs);
    w->resize(1200, 720);
    w->show();
    pump();
    State& st = w->state();
    QAction* undo = w->item(ActionId::kUndo);
    QAction* redo = w->item(ActionId::kRedo);
    EXPECT_EQ(w->statistics(3)->text() + w->statistics(4)->text(),
              QStringLiteral("Code page 1252"));
    EXPECT_FALSE(undo->isEnabled());

    // A run whose first answer does not match: three red rows and one translated.
    server.canned = {{"Lake,Forest,Park", "See,Wald"}, {"Marsh", "Sumpf"}};
    w->translateButton(kPolygons)->click();
    const std::string translated = texts(st, kPolygons) + statuses(st, kPolygons);
    EXPECT_EQ(translated, "?See|?Wald|??|SumpfRRRW");
    EXPECT_EQ(undo->text(), QStringLiteral("Undo Translate polygons"));
    EXPECT_TRUE(w->statistics(0)->toolTip().startsWith("Polygons 4: 1 translated, 3 suspect"));
    EXPECT_EQ(w->statistics(4)->text(), QStringLiteral("Unsaved changes"));

    // "Clr" by mistake, then undo: the rows come back with their colours.
    dialogs.answers = {true};
    w->findChild<QPushButton*>(QStringLiteral("clear0"))->click();
    EXPECT_EQ(texts(st, kPolygons), "|||");
    undo->trigger();
    EXPECT_EQ(texts(st, kPolygons) + statuses(st, kPolygons), translated);
    EXPECT_EQ(w->pane(kPolygons)->shownRows()[1].back, QColor(255, 0, 0));
    EXPECT_TRUE(w->checkErrorsButton(kPolygons)->isVisibleTo(w.get()));
    EXPECT_EQ(redo->text(), QStringLiteral("Redo Clear polygons"));

    // F8 and Shift+F8 go to the red rows, Ctrl+F8 to the empty one.
    auto focused = [&] {
        for (const Kind k : kAllKinds)
            for (int r = 0; r < st.row_count(k); ++r)
                if (QLineEdit* e = w->pane(k)->editorForRow(r); e && e->hasFocus())
                    return std::to_string(k) + ":" + std::to_string(r);
        return std::string("none");
    };
    std::string walk;
    for (ActionId item :
         {ActionId::kNextSuspect, ActionId::kNextSuspect, ActionId::kPreviousSuspect,
          ActionId::kPreviousSuspect, ActionId::kNextEmpty}) {
        w->item(item)->trigger();
        walk += focused() + " ";
    }
    EXPECT_EQ(walk, "0:0 0:1 0:0 1:0 2:0 ");

    // Fixing a row by typing turns it white and the counts fall; Enter goes to the next row.
    QLineEdit* box = w->pane(kPolygons)->editorForRow(0);
    box->setFocus();
    box->selectAll();
    for (QChar c : QStringLiteral("See")) key(box, 0, QString(c));
    EXPECT_EQ(texts(st, kPolygons) + statuses(st, kPolygons), "See|?Wald|??|SumpfWRRW");
    EXPECT_TRUE(w->statistics(0)->toolTip().startsWith("Polygons 4: 2 translated, 2 suspect"));
    EXPECT_EQ(undo->text(), QStringLiteral("Undo Typing"));
    key(box, Qt::Key_Return);
    EXPECT_EQ(focused(), "0:1");
    w->item(ActionId::kCopySource)->trigger(); // Ctrl+B
    EXPECT_EQ(texts(st, kPolygons) + statuses(st, kPolygons), "See|Forest|??|SumpfWBRW");
    undo->trigger();
    undo->trigger(); // the three letters typed are one step
    EXPECT_EQ(texts(st, kPolygons) + statuses(st, kPolygons), translated);
    EXPECT_EQ(w->pane(kPolygons)->editorForRow(0)->text(), QStringLiteral("?See"));

    // Ctrl+Z in a target box is the window's undo, not the box's own.
    QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_Z, Qt::ControlModifier);
    override.ignore();
    QApplication::sendEvent(box, &override);
    EXPECT_FALSE(override.isAccepted());

    // After a save an undo leaves unsaved changes again; opening a document clears the history.
    w->item(ActionId::kSave)->trigger();
    EXPECT_FALSE(st.changed);
    EXPECT_TRUE(undo->isEnabled());
    undo->trigger();
    EXPECT_TRUE(st.changed);
    EXPECT_TRUE(w->windowTitle().endsWith(QLatin1Char('+')));
    redo->trigger();
    dialogs.answers = {false}; // do not save first
    dialogs.files = {path};
    w->item(ActionId::kOpenTxt)->trigger();
    EXPECT_FALSE(undo->isEnabled() || redo->isEnabled());
    EXPECT_FALSE(st.changed);
    w.reset();
    unsetenv("LEXMARIN_HOME");
    unsetenv("LEXMARIN_TRANSLATE_URL");
}

// A window killed after typing: a second window on the same document keeps its own file and
// its clean close leaves the first one's alone, the next start after the first ended offers its
// typed rows as they were typed, and a clean close leaves nothing behind.
TEST(ReviewWindow, RowsTypedBeforeACrashComeBackAtTheNextStart) {
    TempDir home;
    setenv("LEXMARIN_HOME", home.str().c_str(), 1);
    const std::string path =
        home.write("m.txt", typ_header() + typ_element("[_polygon]", {"String1=0x04,Lake"}) +
                                typ_element("[_polygon]", {"String1=0x04,Forest"}));
    FakeUi first, second, third;
    auto type = [](MainWindow& w, int row, const QString& text) {
        QLineEdit* box = w.pane(kPolygons)->editorForRow(row);
        box->setFocus();
        for (QChar c : text) key(box, 0, QString(c));
        w.findChild<QTimer*>(QStringLiteral("recoveryTimer"))->start(0); // 30 seconds on
        pump();
    };
    auto crashing = std::make_unique<MainWindow>(home.str(), path, &first);
    crashing->show();
    pump();
    type(*crashing, 1, QStringLiteral("Wald #2"));
    State probe;
    set_defaults(probe, home.str());
    ASSERT_EQ(recovery_files(probe).size(), 1u);

    auto meanwhile = std::make_unique<MainWindow>(home.str(), path, &second);
    meanwhile->show();
    pump();
    EXPECT_TRUE(second.questions.empty());
    type(*meanwhile, 0, QStringLiteral("See"));
    EXPECT_EQ(recovery_files(probe).size(), 2u);
    second.answers = {false}; // "Changes not saved. Save Changes?": No, close
    meanwhile->close();
    meanwhile.reset();
    EXPECT_EQ(recovery_files(probe).size(), 1u);
    crashing.reset(); // gone without closing

    third.answers = {true};
    MainWindow next(home.str(), "", &third);
    ASSERT_EQ(third.questions.size(), 1u);
    EXPECT_EQ(next.state().document_path, path);
    EXPECT_EQ(texts(next.state(), kPolygons), "|Wald #2");
    EXPECT_EQ(next.item(ActionId::kUndo)->text(), QStringLiteral("Undo Put Back Unsaved Rows"));
    EXPECT_TRUE(next.windowTitle().endsWith(QLatin1Char('+')));
    third.answers = {false}; // "Changes not saved. Save Changes?": No, close
    next.close();
    EXPECT_TRUE(recovery_files(probe).empty());
    unsetenv("LEXMARIN_HOME");
}

} // namespace lex
