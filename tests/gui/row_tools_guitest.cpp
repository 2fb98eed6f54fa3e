// The row tools through the real widgets: the survey button, "Clr" and the Clear menu, the
// search box, the "Edit Label" dialog, typing into a target box and the Edit Strings menu.

#include "gui/edit_label_dialog.h"
#include "gui/main_window.h"
#include "gui/pane_view.h"
#include "support/fixtures.h"

#include <QtWidgets>

namespace lex {

using namespace lex::test;

namespace {

void pump() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

void key(QWidget* target, int k, const QString& text = {}) {
    for (auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, k, Qt::NoModifier, text);
        QApplication::sendEvent(target, &event);
    }
}

// Double-clicks a source cell; `inDialog` works the dialog while it is open. True if one opened.
bool doubleClick(QLabel* cell, const std::function<void(EditLabelDialog&)>& inDialog) {
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (auto* d = qobject_cast<EditLabelDialog*>(QApplication::activeModalWidget())) {
            opened = true;
            inDialog(*d);
        }
    });
    const QPoint at = cell->rect().center();
    QMouseEvent event(QEvent::MouseButtonDblClick, at, cell->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(cell, &event);
    pump();
    return opened;
}

} // namespace

TEST(RowToolsWindow, SurveyClearSearchEditTypingAndEditStrings) {
    TempDir home;
    std::filesystem::create_directories(home.file("dictionaries"));
    home.write("dictionaries/EN.dic", "lake\r\n");
    home.write("tr.dat", crlf({" ", "", "", "", "", "", "", "02", "12", " 2 "})); // Czech, German
    const std::string path = home.write(
        "brno.txt",
        typ_header() +
            typ_element("[_polygon]", {"String1=0x12,\xD8\x65ka", "String2=0x02,Fluss"}) +
            typ_element("[_line]", {"String1=0x12,Cesta", "String2=0x02,Weg"}) +
            typ_element("[_point]", {"String1=0x12,Hospoda u lesa"}) +
            typ_element("[_point]", {"String1=0x12,LES"}) +
            typ_element("[_point]", {"String1=0x12,Most"}));
    FakeUi dialogs;
    MainWindow w(home.str(), path, &dialogs);
    w.resize(960, 720);
    w.show();
    pump();
    auto button = [&](const char* name) { return w.findChild<QPushButton*>(QLatin1String(name)); };

    button("survey")->click();
    EXPECT_EQ(dialogs.messages, Strings{"Languages found:\r\n\r\n\r\nGerman,Czech,"});

    // Typing marks the document changed.
    QLineEdit* weg = w.pane(kLines)->editorForRow(0);
    key(weg, Qt::Key_End);
    key(weg, 0, QStringLiteral("e"));
    EXPECT_EQ(w.state().row(kLines, 0).text, "Wege");
    EXPECT_TRUE(w.windowTitle().endsWith(QLatin1Char('+')));

    // "Clr" and the Clear menu ask, then empty their own pane.
    dialogs.answers = {true, true};
    button("clear1")->click();
    EXPECT_EQ(texts(w.state(), kLines) + texts(w.state(), kPolygons), "Fluss");
    for (QAction* a : w.menuBar()->findChildren<QAction*>())
        if (a->text() == QStringLiteral("Clear Current Polygon Translations")) a->trigger();
    EXPECT_EQ(dialogs.questions, (Strings{"Clear current Lines translations?",
                                          "Clear current Polygons translations?"}));
    EXPECT_EQ(texts(w.state(), kPolygons), "");

    // Enter in the search box: matches in any letter case, the keyboard on the last point hit.
    QLineEdit* box = w.findChild<QLineEdit*>(QStringLiteral("searchText"));
    box->setFocus();
    for (QChar c : QStringLiteral("LES")) key(box, 0, QString(c));
    key(box, Qt::Key_Return);
    EXPECT_EQ(dialogs.messages.back(), "Found:\r\n\r\nPolygons:0\r\nLines:0\r\nPois:2");
    EXPECT_EQ(w.pane(kPoints)->shownRows()[1].labelFore.name() +
                  w.pane(kPoints)->shownRows()[2].labelFore.name(),
              QStringLiteral("#ff00ff#000000"));
    EXPECT_EQ(QApplication::focusWidget(), w.pane(kPoints)->editorForRow(1));

    // The dialog shows and takes the label in the source code page and refuses blanks.
    QLabel* cell = nullptr;
    for (QLabel* l : w.pane(kPolygons)->findChildren<QLabel*>())
        if (l->isVisible() && l->text() == QString::fromUtf8("\u0158eka")) cell = l;
    ASSERT_NE(cell, nullptr);
    QString shown;
    EXPECT_TRUE(doubleClick(cell, [&](EditLabelDialog& d) {
        shown = d.textBox()->text();
        d.textBox()->setText(QStringLiteral("   "));
        d.applyButton()->click();
        d.textBox()->setText(QString::fromUtf8("\u0158\u00ed\u010dka"));
        d.applyButton()->click();
    }));
    EXPECT_EQ(shown, QString::fromUtf8("\u0158eka"));
    EXPECT_EQ(dialogs.messages.back(), "Please enter some text");
    EXPECT_NE(w.state().document.find("String1=0x12,\xD8\xED\xE8ka\r\n"), std::string::npos);
    EXPECT_EQ(w.pane(kPolygons)->shownRows()[0].text, QStringLiteral("?"));
    EXPECT_TRUE(w.checkErrorsButton(kPolygons)->isVisibleTo(&w));

    // Edit Strings names the languages in use once it opens; Sort Languages rewrites the
    // document and redraws the window from it.
    QMenu* strings = w.menuBar()->actions()[4]->menu(); // File, Edit, View, Clear, Edit Strings
    strings->popup(QPoint(0, 0));
    strings->hide();
    const QList<QAction*> items = strings->actions();
    EXPECT_EQ(items[0]->text() + "|" + items[1]->text(),
              QStringLiteral("Change all 0x00 to 0x12|Replace 0x12  with 0x02"));
    items[5]->trigger(); // "No" to saving first
    EXPECT_EQ(dialogs.messages.back(), "Sorted  2 elements.Please save. ");
    EXPECT_NE(w.state().document.find("String1=0x02,Fluss\r\nString2=0x12,"), std::string::npos);
    EXPECT_EQ(w.pane(kPolygons)->shownRows()[0].text, QStringLiteral("Fluss"));
    EXPECT_FALSE(w.locked());

    // While a run owns the document no dialog opens and the row tools are disabled.
    w.state().win.running = true;
    w.refreshModel(RefreshTarget::window());
    EXPECT_FALSE(doubleClick(cell, [](EditLabelDialog& d) { d.reject(); }));
    for (const char* name : {"survey", "search", "clear0"}) EXPECT_FALSE(button(name)->isEnabled());
    w.state().win.running = false;
}

} // namespace lex
