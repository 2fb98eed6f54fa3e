// Tools -> "Check Translations" through the real window: the list of findings, an entry that
// goes to its row, the row fixed by typing and checked again, and the choice of checks kept.

#include "commands/actions.h"
#include "gui/check_dialog.h"
#include "gui/main_window.h"
#include "gui/pane_view.h"
#include "support/fixtures.h"

#include <QtWidgets>

#include <cstdlib>

namespace lex {

using namespace lex::test;

namespace {

void pump() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

void type(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    for (QChar c : text)
        for (auto kind : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(kind, 0, {}, QString(c));
            QApplication::sendEvent(box, &event);
        }
}

// The list's rows as "check|pane|row|source|target".
QStringList entries(const CheckDialog& d) {
    QStringList out;
    for (int i = 0; i < d.list()->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = d.list()->topLevelItem(i);
        QStringList cells;
        for (int c = 0; c < 5; ++c) cells << item->text(c);
        out << cells.join('|');
    }
    return out;
}

} // namespace

TEST(CheckTranslationsWindow, TheListGoesToARowThatIsFixedAndTheChoiceIsKept) {
    TempDir home;
    setenv("LEXMARIN_HOME", home.str().c_str(), 1);
    // Translations would go to a page: German stays the target whatever this machine's offline
    // engine reaches.
    setenv("LEXMARIN_TRANSLATE_URL", "http://127.0.0.1:9/t", 1);
    const std::string doc =
        typ_header() +
        typ_element("[_polygon]", {"Type=0x01", "String1=0x04,Lake", "String2=0x02,See"}) +
        typ_element("[_polygon]",
                    {"Type=0x02", "String1=0x04,Route 66", "String2=0x02,Strasse 67"}) +
        typ_element("[_point]",
                    {"Type=0x03", "String1=0x04,Restaurant", "String2=0x02,Restaurant"});
    const std::string path = home.write("city.txt", doc);
    FakeUi dialogs;
    auto w = std::make_unique<MainWindow>(home.str(), path, &dialogs);
    w->resize(1200, 720);
    w->show();
    pump();

    w->item(ActionId::kCheckTranslations)->trigger();
    pump();
    CheckDialog* d = w->checkDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(entries(*d), (QStringList{"Numbers|Polygons|2|Route 66|Strasse 67",
                                        "Unchanged|Points|1|Restaurant|Restaurant"}));
    // The rows with findings are marked: their source cells are no longer white.
    EXPECT_NE(w->pane(kPolygons)->shownRows()[1].labelBack, QColor(Qt::white));
    EXPECT_EQ(w->pane(kPolygons)->shownRows()[0].labelBack, QColor(Qt::white));

    // Choosing the first entry goes to its row, where the fault is typed away.
    QTreeWidgetItem* first = d->list()->topLevelItem(0);
    emit d->list()->itemActivated(first, 0);
    pump();
    QLineEdit* box = w->pane(kPolygons)->editorForRow(1);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->hasFocus());
    type(box, QStringLiteral("Strasse 66"));
    EXPECT_EQ(w->state().row(kPolygons, 1).text, "Strasse 66");
    d->againButton()->click();
    pump();
    EXPECT_EQ(entries(*d), QStringList{"Unchanged|Points|1|Restaurant|Restaurant"});
    EXPECT_EQ(w->pane(kPolygons)->shownRows()[1].labelBack, QColor(Qt::white));

    // "Unchanged" switched off: the list is clean, and the choice is there in the next window.
    d->checkBox(CheckId::kUnchanged)->setChecked(false);
    pump();
    EXPECT_TRUE(entries(*d).isEmpty());
    EXPECT_EQ(d->summary()->text(), QStringLiteral("No findings."));
    dialogs.answers = {false}; // do not save the typed row
    w->close();
    w.reset();

    FakeUi again;
    auto next = std::make_unique<MainWindow>(home.str(), path, &again);
    next->show();
    next->item(ActionId::kCheckTranslations)->trigger();
    pump();
    ASSERT_NE(next->checkDialog(), nullptr);
    EXPECT_FALSE(next->checkDialog()->checkBox(CheckId::kUnchanged)->isChecked());
    EXPECT_TRUE(next->checkDialog()->checkBox(CheckId::kNumbers)->isChecked());
    // The typed row was not saved.
    EXPECT_EQ(entries(*next->checkDialog()), QStringList{"Numbers|Polygons|2|Route 66|Strasse 67"});
    unsetenv("LEXMARIN_TRANSLATE_URL");
}

} // namespace lex
