#include "document/state.h"
#include "gui/main_window.h"
#include "gui/pane_view.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"
#include "support/typ.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace lex {

using test::crlf;
using test::FakeUi;
using test::TempDir;
using test::typ_element;
using test::typ_header;

namespace {

std::string settings(const std::string& target_code, int target_index,
                     const std::string& source_code = "04") {
    return crlf({" ", "", "", "", "", "", "", target_code, source_code,
                 " " + std::to_string(target_index) + " ", " 0 ", "", "", "", "00", " 0 ", " 0 "});
}

std::string polygon(const std::string& type, std::initializer_list<std::string> labels) {
    std::string body = "Type=0x" + type + "\r\n";
    for (const auto& l : labels) body += l + "\r\n";
    return typ_element("[_polygon]", body);
}

void pump() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

void key(QWidget* target, int k, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

} // namespace

class MainWindowTest : public ::testing::Test {
protected:
    TempDir home;
    FakeUi dialogs;
    std::unique_ptr<MainWindow> w;

    void SetUp() override {
        setenv("LEXMARIN_HOME", home.str().c_str(), 1);
        std::filesystem::create_directories(home.file("dictionaries"));
        home.write("dictionaries/EN.dic", "lake\r\n");
    }
    void TearDown() override {
        w.reset();
        unsetenv("LEXMARIN_HOME");
    }
    void open(const std::string& commandLine) {
        w = std::make_unique<MainWindow>(home.str(), commandLine, &dialogs);
        w->resize(960, 720);
        w->show();
        pump();
    }
    State& st() { return w->state(); }
};

TEST_F(MainWindowTest, ShowsTheCommandLineDocumentInItsCodePages) {
    home.write("tr.dat", settings("19", 16, "12"));
    const std::string path = home.write(
        "city map.txt",
        typ_header() + polygon("01", {"String1=0x12,\xD8\x65ka", "String2=0x19,\xD0\xE5\xEA\xE0"}) +
            polygon("02", {"String1=0x12,Park", "String2=0x19,Park"}) +
            polygon("03", {"String1=0x12,Les", "String2=0x19,?"}) +
            polygon("04", {"String1=0x04,Only English"}));
    open(path);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Lexmarin :  1.22 city map"));
    EXPECT_EQ(w->countCaption(0)->text(), QStringLiteral("Polygons: 3"));
    EXPECT_EQ(w->languageCaption(0)->text(), QStringLiteral("Czech "));
    EXPECT_EQ(w->languageCaption(1)->text(), QStringLiteral("Russian "));

    auto rows = w->pane(0)->shownRows();
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[0].caption, QString::fromUtf8("\u0158eka"));
    EXPECT_EQ(rows[0].text, QString::fromUtf8("\u0420\u0435\u043a\u0430"));
    EXPECT_EQ(rows[0].back, QColor(255, 255, 255));
    EXPECT_EQ(rows[1].back, QColor(230, 250, 255));
    EXPECT_EQ(rows[2].back, QColor(255, 0, 0));
    EXPECT_TRUE(rows[0].editable);
    // The permanent blank rows below are shown but take no typing.
    EXPECT_EQ(rows[3].caption, QString());
    EXPECT_FALSE(rows[3].editable);
    EXPECT_TRUE(w->checkErrorsButton(0)->isVisibleTo(w.get()));
    EXPECT_FALSE(w->checkErrorsButton(1)->isVisibleTo(w.get()));
}

TEST_F(MainWindowTest, ScrollingToTheEndShowsTheLastRow) {
    std::string body;
    for (int i = 0; i < 2000; ++i) body += polygon("01", {"String1=0x04,Row " + std::to_string(i)});
    open(home.write("long.txt", typ_header() + body));
    ASSERT_EQ(st().row_count(kPolygons), 2000);
    PaneView* pane = w->pane(0);
    EXPECT_EQ(pane->scrollBar()->maximum(), 3200);
    EXPECT_EQ(pane->shownRows().front().caption, QStringLiteral("Row 0"));
    // Only the rows in view have widgets.
    EXPECT_LT(pane->findChildren<QLineEdit*>().size(), 60);

    pane->scrollBar()->setValue(3200);
    auto rows = pane->shownRows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back().row, 1999);
    EXPECT_EQ(rows.back().caption, QStringLiteral("Row 1999"));
    EXPECT_LE(rows.back().top + pane->editorForRow(1999)->height(), pane->height());

    pane->scrollBar()->setValue(1600);
    rows = pane->shownRows();
    EXPECT_GT(rows.front().row, 800);
    EXPECT_LT(rows.back().row, 1200);
}

TEST_F(MainWindowTest, ChoosingATargetLanguageRebuildsTheRows) {
    open(home.write("m.txt", typ_header() + polygon("01", {"String1=0x04,Lake", "String2=0x02,See",
                                                           "String3=0x19,\xCE\xE7\xE5\xF0\xEE"})));
    EXPECT_EQ(w->pane(0)->shownRows()[0].text, QStringLiteral("See"));
    QListWidget* list = w->languageList(1);
    EXPECT_FALSE(list->isVisibleTo(w.get()));
    w->dropButton(1)->click();
    ASSERT_TRUE(list->isVisibleTo(w.get()));
    const QPoint at = list->visualItemRect(list->item(16)).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, list->viewport()->mapToGlobal(at),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &press);
    pump();
    EXPECT_FALSE(list->isVisibleTo(w.get()));
    EXPECT_EQ(st().target_code, "19");
    EXPECT_EQ(w->languageCaption(1)->text(), QStringLiteral("Russian "));
    EXPECT_EQ(w->pane(0)->shownRows()[0].text, QString::fromUtf8("\u041e\u0437\u0435\u0440\u043e"));
}

TEST_F(MainWindowTest, ZeroSwitchWithUnsavedChangesAsksToSaveFirst) {
    open(home.write("m.txt", typ_header() + polygon("01", {"String1=0x00,Zero"})));
    EXPECT_EQ(st().row_count(kPolygons), 0);
    st().changed = true;
    w->zeroBox()->click();
    pump();
    EXPECT_EQ(dialogs.messages.back(), "Please save first");
    EXPECT_FALSE(w->zeroBox()->isChecked());
    EXPECT_FALSE(st().win.zero_fallback);

    st().changed = false;
    w->zeroBox()->click();
    pump();
    EXPECT_TRUE(w->zeroBox()->isChecked());
    ASSERT_EQ(st().row_count(kPolygons), 1);
    EXPECT_EQ(w->pane(0)->shownRows()[0].caption, QStringLiteral("Zero"));
}

TEST_F(MainWindowTest, ClosingWritesTheSettingsTheNextStartReads) {
    open("");
    st().target_code = "15";
    st().target_index = 6;
    ASSERT_TRUE(w->close());
    const std::string text = TempDir::read(home.file("tr.dat"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 17);
    EXPECT_NE(text.find("\r\n15\r\n04\r\n 6 \r\n"), std::string::npos);

    open("");
    EXPECT_EQ(st().target_code, "15");
    EXPECT_EQ(w->languageCaption(1)->text(), QStringLiteral("Polish "));
}

TEST_F(MainWindowTest, ClosingWithUnsavedChangesCanBeRefused) {
    open("");
    st().changed = true;
    dialogs.answers = {true}; // save first
    EXPECT_FALSE(w->close());
    EXPECT_EQ(dialogs.questions.back(), "Changes not saved. Save Changes?");
    EXPECT_FALSE(std::filesystem::exists(home.file("tr.dat")));
    dialogs.answers = {false};
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(std::filesystem::exists(home.file("tr.dat")));
}

TEST_F(MainWindowTest, ASettingsFileThatCannotBeWrittenIsReportedAndTheWindowCloses) {
    open("");
    std::filesystem::create_directories(home.file("tr.dat"));
    EXPECT_TRUE(w->close());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(MainWindowTest, KeyboardMovesBetweenTargetBoxesAndScrolls) {
    std::string body;
    for (int i = 0; i < 300; ++i) body += polygon("01", {"String1=0x04,Row " + std::to_string(i)});
    open(home.write("long.txt", typ_header() + body));
    QApplication::setActiveWindow(w.get());
    PaneView* pane = w->pane(0);
    ASSERT_TRUE(pane->focusRow(0));
    for (int i = 0; i < 40; ++i) key(QApplication::focusWidget(), Qt::Key_Down);
    key(QApplication::focusWidget(), Qt::Key_Tab);
    QLineEdit* editor = pane->editorForRow(41);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(QApplication::focusWidget(), editor);
    EXPECT_GT(pane->scrollBar()->value(), 0);
    key(editor, Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), pane->editorForRow(40));

    // Typing writes into the row, in the target language's code page; "?" flags the pane.
    QWidget* focus = QApplication::focusWidget();
    key(focus, Qt::Key_W, QStringLiteral("W"));
    key(focus, Qt::Key_unknown, QString::fromUtf8("\u00e4"));
    EXPECT_EQ(st().row(0, 40).text, "W\xE4");
    EXPECT_FALSE(w->checkErrorsButton(0)->isVisibleTo(w.get()));
    key(focus, Qt::Key_Question, QStringLiteral("?"));
    EXPECT_EQ(st().row(0, 40).text, "W\xE4?");
    EXPECT_TRUE(w->checkErrorsButton(0)->isVisibleTo(w.get()));
    // A character the code page lacks is stored, and shown, as "?".
    key(focus, Qt::Key_unknown, QString::fromUtf8("\u0416"));
    EXPECT_EQ(st().row(0, 40).text, "W\xE4??");
    EXPECT_EQ(static_cast<QLineEdit*>(focus)->text(), QString::fromUtf8("W\u00e4??"));
}

TEST_F(MainWindowTest, ALongOperationLocksTheWindowAndDefersTheClose) {
    open(home.write("m.txt", typ_header() + polygon("01", {"String1=0x04,Lake"})));
    st().win.running = true;
    st().pane(1).stop_visible = true;
    w->refreshModel(-2);
    EXPECT_TRUE(w->locked());
    EXPECT_FALSE(w->fileMenu()->menuAction()->isEnabled());
    EXPECT_FALSE(w->zeroBox()->isEnabled());
    EXPECT_FALSE(w->dropButton(0)->isEnabled());
    EXPECT_FALSE(w->translateButton(0)->isEnabled());
    EXPECT_TRUE(w->stopButton(1)->isVisibleTo(w.get()));
    EXPECT_TRUE(w->stopButton(1)->isEnabled());
    EXPECT_TRUE(w->pane(0)->shownRows()[0].editable == false);

    EXPECT_FALSE(w->close());
    EXPECT_TRUE(st().stop_requested);
    EXPECT_TRUE(w->isVisible());

    st().win.running = false;
    st().pane(1).stop_visible = false;
    w->refreshModel(-2);
    pump();
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(std::filesystem::exists(home.file("tr.dat")));
}

TEST_F(MainWindowTest, MenusHoldEveryItem) {
    open("");
    QStringList file;
    for (QAction* a : w->fileMenu()->actions())
        if (!a->isSeparator() && a->isVisible()) file << a->text();
    EXPECT_EQ(file,
              (QStringList{"Open TXT", "Open List", "Save ", "Save As", "Save List", "Exit"}));
    EXPECT_TRUE(w->fileItem(0)->isEnabled());
    EXPECT_EQ(w->fileItem(4)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    QStringList menus;
    for (QAction* a : w->menuBar()->actions()) menus << a->text();
    EXPECT_EQ(menus, (QStringList{"File", "Clear", "Edit Strings", "Tools", "Help"}));
}

} // namespace lex
