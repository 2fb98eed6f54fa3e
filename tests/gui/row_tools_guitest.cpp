// The row tools through the real widgets: the survey button, "Clr" and the Clear menu, the
// "Edit Label" dialog, the search box, and typing into a target box.

#include "gui/edit_label_dialog.h"
#include "gui/main_window.h"
#include "gui/pane_view.h"
#include "support/fixtures.h"

#include <QtWidgets>

#include <cstdlib>

namespace lex {

using namespace lex::test;
namespace fs = std::filesystem;

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

void type(QWidget* target, const QString& text) {
    for (QChar c : text) key(target, 0, QString(c));
}

// Czech source labels (code page 1250), German targets.
const std::string kDocument =
    typ_header() +
    typ_element("[_polygon]", {"Type=0x01", "String1=0x12,\xD8\x65ka", "String2=0x02,Fluss"}) +
    typ_element("[_polygon]", {"Type=0x02", "String1=0x12,Les", "String2=0x02,Wald"}) +
    typ_element("[_line]", {"Type=0x01", "String1=0x12,Cesta", "String2=0x02,Weg"}) +
    typ_element("[_point]", {"Type=0x01", "String1=0x12,Hospoda u lesa"}) +
    typ_element("[_point]", {"Type=0x02", "String1=0x12,LES"}) +
    typ_element("[_point]", {"Type=0x03", "String1=0x12,Most"});

} // namespace

class RowToolsWindow : public ::testing::Test {
protected:
    TempDir home;
    FakeUi dialogs;
    std::unique_ptr<MainWindow> w;
    std::string path;
    void SetUp() override {
        setenv("LEXMARIN_HOME", home.str().c_str(), 1);
        fs::create_directories(home.file("dictionaries"));
        home.write("dictionaries/EN.dic", "lake\r\n");
        home.write("tr.dat", crlf({" ", "", "", "", "", "", "", "02", "12", " 2 "}));
        path = home.write("brno.txt", kDocument);
        w = std::make_unique<MainWindow>(home.str(), path, &dialogs);
        w->resize(960, 720);
        w->show();
        pump();
    }
    void TearDown() override {
        w.reset();
        unsetenv("LEXMARIN_HOME");
    }
    State& st() { return w->state(); }
    template <class T> T* child(const char* name) { return w->findChild<T*>(QLatin1String(name)); }
    QLabel* sourceCell(int kind, const QString& caption) {
        for (QLabel* l : w->pane(kind)->findChildren<QLabel*>())
            if (l->isVisible() && l->text() == caption) return l;
        return nullptr;
    }
    // Double-clicks a source cell; `inDialog` works the dialog while it is open. Returns
    // whether a dialog opened.
    bool doubleClick(QLabel* cell, const std::function<void(EditLabelDialog&)>& inDialog) {
        bool opened = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<EditLabelDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            opened = true;
            inDialog(*dialog);
        });
        const QPoint at = cell->rect().center();
        QMouseEvent event(QEvent::MouseButtonDblClick, at, cell->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(cell, &event);
        pump();
        return opened;
    }
};

TEST_F(RowToolsWindow, SurveyClearAndSearch) {
    QPushButton* survey = child<QPushButton>("survey");
    ASSERT_TRUE(survey->isEnabled());
    survey->click();
    EXPECT_EQ(dialogs.messages, Strings{"Languages found:\r\n\r\n\r\nGerman,Czech,"});

    // "Clr" asks and empties its own pane; the Clear menu's items do the same.
    dialogs.answers = {true};
    child<QPushButton>("clear0")->click();
    EXPECT_EQ(dialogs.questions, Strings{"Clear current Polygons translations?"});
    EXPECT_EQ(w->pane(0)->shownRows()[0].text, QString());
    EXPECT_EQ(w->pane(1)->shownRows()[0].text, QStringLiteral("Weg"));
    QAction* clearLines = nullptr;
    for (QAction* a : w->menuBar()->findChildren<QAction*>())
        if (a->text() == QStringLiteral("Clear Current Line Translations")) clearLines = a;
    ASSERT_TRUE(clearLines && clearLines->isEnabled());
    dialogs.answers = {true};
    clearLines->trigger();
    EXPECT_EQ(texts(st(), kLines), "");

    // Enter in the search box: matches in every pane, any letter case of the code page.
    QLineEdit* box = child<QLineEdit>("searchText");
    dialogs.messages.clear();
    box->setFocus();
    type(box, QStringLiteral("LES"));
    key(box, Qt::Key_Return);
    EXPECT_EQ(dialogs.messages, Strings{"Found:\r\n\r\nPolygons:1\r\nLines:0\r\nPois:2"});
    const auto points = w->pane(2)->shownRows();
    EXPECT_EQ(points[0].labelFore.name() + points[1].labelFore.name() + points[2].labelFore.name(),
              QStringLiteral("#ff00ff#ff00ff#000000"));
    EXPECT_EQ(QApplication::focusWidget(), w->pane(2)->editorForRow(1)); // the last match
    // Blanks only: the keyboard stays in the box, and nothing is said.
    box->setText(QStringLiteral("  "));
    child<QPushButton>("search")->click();
    EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), "searchText");
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(RowToolsWindow, EditLabelDialogWorksInTheSourceCodePage) {
    QLabel* cell = sourceCell(0, QString::fromUtf8("\u0158eka"));
    ASSERT_NE(cell, nullptr);
    QString shown;
    const bool opened = doubleClick(cell, [&](EditLabelDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Edit Label"));
        EXPECT_EQ(d.applyButton()->text() + d.cancelButton()->text(),
                  QStringLiteral("Apply ChangesCancel"));
        shown = d.textBox()->text();
        d.textBox()->setText(QStringLiteral("   "));
        d.applyButton()->click(); // refused: the dialog stays
        EXPECT_TRUE(d.isVisible());
        d.textBox()->setText(QString::fromUtf8("\u0158\u00ed\u010dka"));
        d.applyButton()->click();
    });
    ASSERT_TRUE(opened);
    EXPECT_EQ(shown, QString::fromUtf8("\u0158eka"));
    EXPECT_EQ(dialogs.messages, Strings{"Please enter some text"});
    EXPECT_NE(st().document.find("String1=0x12,\xD8\xED\xE8ka\r\n"), std::string::npos);
    EXPECT_EQ(w->pane(0)->shownRows()[0].caption, QString::fromUtf8("\u0158\u00ed\u010dka"));
    EXPECT_EQ(w->pane(0)->shownRows()[0].text, QStringLiteral("?Fluss"));
    EXPECT_TRUE(w->checkErrorsButton(0)->isVisibleTo(w.get()));
    EXPECT_TRUE(w->windowTitle().endsWith(QLatin1Char('+')));

    // Cancel changes nothing.
    const std::string document = st().document;
    EXPECT_TRUE(doubleClick(sourceCell(0, QStringLiteral("Les")),
                            [](EditLabelDialog& d) { d.cancelButton()->click(); }));
    EXPECT_EQ(st().document, document);

    // While a run owns the document no dialog opens, and the row tools are disabled.
    st().win.running = true;
    w->refreshModel(-2);
    EXPECT_FALSE(doubleClick(sourceCell(0, QStringLiteral("Les")),
                             [](EditLabelDialog& d) { d.cancelButton()->click(); }));
    for (const char* name : {"survey", "search", "clear0", "clear2"})
        EXPECT_FALSE(child<QPushButton>(name)->isEnabled()) << name;
    st().win.running = false;
    w->refreshModel(-2);
}

TEST_F(RowToolsWindow, TypingIntoATargetBoxMarksTheDocumentChanged) {
    EXPECT_FALSE(w->windowTitle().endsWith(QLatin1Char('+')));
    QLineEdit* box = w->pane(1)->editorForRow(0);
    ASSERT_NE(box, nullptr);
    box->setFocus();
    key(box, Qt::Key_End);
    type(box, QStringLiteral("e"));
    EXPECT_EQ(st().row(kLines, 0).text, "Wege");
    EXPECT_TRUE(st().changed);
    EXPECT_TRUE(w->windowTitle().endsWith(QLatin1Char('+')));
}

} // namespace lex
