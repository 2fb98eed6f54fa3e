#include "commands/actions.h"
#include "commands/memory.h"
#include "gui/main_window.h"
#include "gui/pane_view.h"
#include "support/fixtures.h"
#include "support/http_server.h"

#include <QtWidgets>

#include <sqlite3.h>

#include <cstdlib>

namespace lex {

using namespace lex::test;
namespace fs = std::filesystem;

namespace {

std::string polygon(std::initializer_list<std::string> labels) {
    return typ_element("[_polygon]", labels);
}

void pump() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

void key(QWidget* target, int k, const QString& text = {}) {
    for (auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, k, Qt::NoModifier, text);
        QApplication::sendEvent(target, &event);
    }
}

} // namespace

class MainWindowTest : public ::testing::Test {
protected:
    TempDir home;
    FakeUi dialogs;
    HttpServer server;
    std::unique_ptr<MainWindow> w;
    void SetUp() override {
        setenv("LEXMARIN_HOME", home.str().c_str(), 1);
        setenv("LEXMARIN_TRANSLATE_URL", server.url().c_str(), 1);
        fs::create_directories(home.file("dictionaries"));
        home.write("dictionaries/EN.dic", "lake\r\n");
    }
    void TearDown() override {
        w.reset();
        unsetenv("LEXMARIN_HOME");
        unsetenv("LEXMARIN_TRANSLATE_URL");
    }
    void open(const std::string& commandLine) {
        w = std::make_unique<MainWindow>(home.str(), commandLine, &dialogs);
        w->resize(960, 720);
        w->show();
        pump();
    }
    State& st() { return w->state(); }
    bool shown(QWidget* widget) { return widget->isVisibleTo(w.get()); }
};

TEST_F(MainWindowTest, ShowsTheCommandLineDocumentInItsCodePagesAndChangesLanguage) {
    home.write("tr.dat", crlf({" ", "", "", "", "", "", "", "19", "12", " 16 "}));
    open(home.write("city map.txt",
                    typ_header() +
                        polygon({"String1=0x12,\xD8\x65ka", "String2=0x19,\xD0\xE5\xEA\xE0",
                                 "String3=0x02,Fluss"}) +
                        polygon({"String1=0x12,Park", "String2=0x19,Park"}) +
                        polygon({"String1=0x12,Les", "String2=0x19,?"}) +
                        polygon({"String1=0x04,Only English"})));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Lexmarin :  1.22 city map"));
    EXPECT_EQ(w->countCaption(kPolygons)->text() + w->languageCaption(0)->text() +
                  w->languageCaption(1)->text(),
              QStringLiteral("Polygons: 3Czech Russian "));
    auto rows = w->pane(kPolygons)->shownRows();
    ASSERT_GE(rows.size(), 4u);
    EXPECT_EQ(rows[0].caption, QString::fromUtf8("\u0158eka"));
    EXPECT_EQ(rows[0].text, QString::fromUtf8("\u0420\u0435\u043a\u0430"));
    EXPECT_EQ(rows[0].back.name() + rows[1].back.name() + rows[2].back.name(),
              QStringLiteral("#ffffff#e6faff#ff0000"));
    // The permanent blank rows below are shown but take no typing.
    EXPECT_TRUE(rows[0].editable && rows[3].caption.isEmpty() && !rows[3].editable);
    EXPECT_TRUE(shown(w->checkErrorsButton(kPolygons)) && !shown(w->checkErrorsButton(kLines)));
    // Choosing German from the target list rebuilds the rows.
    QListWidget* list = w->languageList(1);
    EXPECT_FALSE(shown(list));
    auto pickGerman = [&] {
        w->dropButton(1)->click();
        ASSERT_TRUE(shown(list));
        const QPoint at = list->visualItemRect(list->item(2)).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, list->viewport()->mapToGlobal(at),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &press);
        pump();
        EXPECT_FALSE(shown(list));
    };
    // With unsaved changes, Yes (save first) leaves the list on the language in use.
    st().changed = true;
    dialogs.answers = {true};
    pickGerman();
    EXPECT_EQ(dialogs.questions, Strings{"Changes not saved. Save Changes?"});
    EXPECT_EQ(list->currentRow(), 16);
    EXPECT_EQ(st().target_code, "19");
    st().changed = false;
    pickGerman();
    EXPECT_EQ(list->currentRow(), 2);
    EXPECT_EQ(st().target_code, "02");
    EXPECT_EQ(w->languageCaption(1)->text(), QStringLiteral("German "));
    EXPECT_EQ(w->pane(kPolygons)->shownRows()[0].text, QStringLiteral("Fluss"));
}

TEST_F(MainWindowTest, KeyboardMovesBetweenTargetBoxesAndScrolls) {
    std::string doc = typ_header();
    for (int i = 0; i < 2000; ++i) doc += polygon({"String1=0x04,Row " + std::to_string(i)});
    open(home.write("long.txt", doc));
    QApplication::setActiveWindow(w.get());
    PaneView* pane = w->pane(kPolygons);
    EXPECT_EQ(pane->scrollBar()->maximum(), 3200);
    EXPECT_LT(pane->findChildren<QLineEdit*>().size(), 60); // only the rows in view
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
    EXPECT_EQ(st().row(kPolygons, 40).text, "W\xE4");
    EXPECT_FALSE(shown(w->checkErrorsButton(kPolygons)));
    key(focus, Qt::Key_Question, QStringLiteral("?"));
    EXPECT_TRUE(shown(w->checkErrorsButton(kPolygons)));
    // A character the code page lacks is stored, and shown, as "?".
    key(focus, Qt::Key_unknown, QString::fromUtf8("\u0416"));
    EXPECT_EQ(st().row(kPolygons, 40).text, "W\xE4??");
    EXPECT_EQ(static_cast<QLineEdit*>(focus)->text(), QString::fromUtf8("W\u00e4??"));
}

// Closing asks about unsaved changes and waits for a long operation, which locks the window.
TEST_F(MainWindowTest, ClosingAndTheLockDuringALongOperation) {
    open(home.write("m.txt", typ_header() + polygon({"String1=0x04,Lake"})));
    st().changed = true;
    dialogs.answers = {true, false}; // save first; then close without saving
    EXPECT_FALSE(w->close());
    EXPECT_EQ(dialogs.questions, Strings{"Changes not saved. Save Changes?"});
    EXPECT_FALSE(fs::exists(home.file("tr.dat")));
    st().win.running = true;
    st().pane(kLines).stop_visible = true;
    w->refreshModel(RefreshTarget::window());
    EXPECT_TRUE(w->locked());
    for (QWidget* control : std::initializer_list<QWidget*>{w->zeroBox(), w->dropButton(0),
                                                            w->translateButton(kPolygons)})
        EXPECT_FALSE(control->isEnabled());
    EXPECT_FALSE(w->fileMenu()->menuAction()->isEnabled());
    EXPECT_TRUE(shown(w->stopButton(kLines)) && w->stopButton(kLines)->isEnabled());
    EXPECT_FALSE(w->pane(kPolygons)->shownRows()[0].editable);
    EXPECT_FALSE(w->close());
    EXPECT_TRUE(st().stop_requested && w->isVisible());
    st().win.running = false;
    st().pane(kLines).stop_visible = false;
    w->refreshModel(RefreshTarget::window());
    pump();
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(fs::exists(home.file("tr.dat")));
    open("");
    fs::remove(home.file("tr.dat"));
    fs::create_directories(home.file("tr.dat"));
    EXPECT_TRUE(w->close());
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_FALSE(w->isVisible());
}

// Open, translate against the local page, type, save, start again and reopen from the list.
TEST_F(MainWindowTest, TranslateEditSaveAndReopenFromTheRecentList) {
    std::string doc = typ_header();
    for (std::string name : {"Lake", "Forest", "Park", "Marsh"})
        doc += polygon({"String1=0x04," + name});
    doc += typ_element("[_line]", {"Type=0x02", "String1=0x04,Road", "String2=0x02,Strasse"});
    const std::string path = home.write("city.txt", doc);
    open(path);
    ASSERT_EQ(st().row_count(kPolygons), 4);
    server.canned = {{"Lake,Forest,Park", "Der Lake, Der Forest,Der Park"}, {"Marsh", "Der Marsh"}};
    w->translateButton(kPolygons)->click(); // two batches of at most three labels
    EXPECT_FALSE(w->locked());
    ASSERT_EQ(server.requests.size(), 2u);
    EXPECT_EQ(server.requests[0].text, "Lake,Forest,Park");
    EXPECT_EQ(server.requests[0].langpair, "en|de");
    EXPECT_EQ(texts(st(), kPolygons), "Der Lake|Der Forest|Der Park|Der Marsh");
    EXPECT_TRUE(st().changed);
    QLineEdit* box = w->pane(kPolygons)->editorForRow(1);
    ASSERT_NE(box, nullptr);
    box->setFocus();
    box->selectAll();
    for (QChar c : QStringLiteral("Wald")) key(box, 0, QString(c));
    EXPECT_EQ(st().row(kPolygons, 1).text, "Wald");
    w->item(ActionId::kSave)->trigger();
    // The document came from the command line: the editor that started us must reload it.
    EXPECT_EQ(dialogs.messages, Strings{"File has to be reloaded in Stylora5"});
    EXPECT_FALSE(st().changed);
    const std::string saved = TempDir::read(path);
    EXPECT_NE(saved.find("String1=0x04,Lake\r\nString2=0x02,Der Lake\r\n"), std::string::npos);
    EXPECT_NE(saved.find("String1=0x04,Forest\r\nString2=0x02,Wald\r\n"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(home.file("system")), {}), 1); // the backup
    w->close();
    // Start again without a file and pick it from the recent list.
    open("");
    ASSERT_TRUE(w->recentItem(0)->isEnabled());
    w->recentItem(0)->trigger();
    EXPECT_EQ(texts(st(), kPolygons) + "|" + texts(st(), kLines),
              "Der Lake|Wald|Der Park|Der Marsh|Strasse");
    // The window learnt the style it opened and, at the save, the translations typed and
    // translated: another style gets them from the memory, and the page is asked for nothing.
    w->close();
    open(home.write("other.txt", typ_header() + polygon({"String1=0x04,Forest"}) +
                                     polygon({"String1=0x04,Road"})));
    server.requests.clear();
    w->translateButton(kPolygons)->click();
    EXPECT_TRUE(server.requests.empty());
    EXPECT_EQ(texts(st(), kPolygons), "Wald|Strasse");
    EXPECT_EQ(st().row(kPolygons, 1).tip, "Memory 100 %: city.txt");
}

// A style opened is learnt beside the window: the window opens while another program holds
// the memory, closing waits for the learning, and a window destroyed while one waits stops it,
// leaving the memory as it was.
TEST_F(MainWindowTest, LearningAnOpenedStyleRunsBesideTheWindow) {
    const std::string memory = home.file("memory.sqlite");
    std::string why;
    ASSERT_TRUE(TranslationMemory::open(memory, why)) << why;
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(memory.c_str(), &other), SQLITE_OK);
    auto hold = [&](const char* sql) {
        EXPECT_EQ(sqlite3_exec(other, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    };
    auto pairs = [&] { return TranslationMemory::open(memory, why)->pair_count(); };
    hold("BEGIN IMMEDIATE;");
    QElapsedTimer clock;
    clock.start();
    open(home.write("a.txt", typ_header() + polygon({"String1=0x04,Lake", "String2=0x02,See"})));
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(w->memory().background().busy());
    EXPECT_EQ(st().row_count(kPolygons), 1);
    hold("ROLLBACK;");
    EXPECT_TRUE(w->close());
    EXPECT_EQ(pairs(), 1);

    hold("BEGIN IMMEDIATE;");
    open(home.write("b.txt", typ_header() + polygon({"String1=0x04,Road", "String2=0x02,Weg"})));
    clock.restart();
    w.reset();
    EXPECT_LT(clock.elapsed(), 1000);
    hold("ROLLBACK;");
    sqlite3_close(other);
    EXPECT_EQ(pairs(), 1);
    EXPECT_EQ(dialogs.messages, Strings{});
}

// A new user (no settings) whose offline engine cannot translate into German gets a target it
// can translate into, and the first Translate succeeds offline.
TEST_F(MainWindowTest, AFirstStartTranslatesOfflineAtOnce) {
    unsetenv("LEXMARIN_TRANSLATE_URL");
    fs::create_directories(home.file("bin"));
    home.write("bin/apertium", "#!/bin/sh\n"
                               "if [ \"$1\" = -l ]; then printf '  eng-spa\\n  spa-eng\\n'; "
                               "else sed 's/Lake/Lago/'; fi\n");
    fs::permissions(home.file("bin/apertium"), fs::perms::owner_exec, fs::perm_options::add);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (home.file("bin") + ":" + path).c_str(), 1);
    open(home.write("lake.txt", typ_header() + polygon({"String1=0x04,Lake"})));
    EXPECT_EQ(st().win.language_caption[1], "Spanish");
    w->translateButton(kPolygons)->click();
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(texts(st(), kPolygons), "Lago");
    EXPECT_EQ(dialogs.messages, Strings{});
    EXPECT_TRUE(server.requests.empty());
}

TEST_F(MainWindowTest, TargetSpellingMarksTheDoubtedTextsFromTheToolsMenu) {
    open(home.write("de.txt", typ_header() + polygon({"String1=0x04,Lake", "String2=0x02,Seee"}) +
                                  polygon({"String1=0x04,Forest", "String2=0x02,Wald"})));
    w->item(ActionId::kSpellingTarget)->trigger(); // the menu's captions: the test below
    pump();
    EXPECT_EQ(dialogs.viewed, Strings{home.file("tmp_.txt")});
    const auto rows = w->pane(kPolygons)->shownRows();
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[0].fore.name() + rows[1].fore.name(), QStringLiteral("#cc5500#000000"));
}

// Every menu of the menu bar, in order: its title, then each item as "caption [keys]", "-" for a
// separator; the recent files are hidden until the list has them.
TEST_F(MainWindowTest, TheMenusAndButtonsKeepTheirCaptionsOrderAndKeys) {
    open("");
    QStringList menus;
    for (QAction* title : w->menuBar()->actions()) {
        QStringList items{title->text() + (title->isEnabled() ? "" : " (off)")};
        for (QAction* a : title->menu()->actions()) {
            QStringList keys;
            for (const QKeySequence& k : a->shortcuts())
                keys << k.toString(QKeySequence::PortableText);
            if (a->isSeparator() || a->isVisible())
                items << (a->isSeparator() ? "-" : a->text()) +
                             (keys.isEmpty() ? "" : " [" + keys.join(", ") + "]") +
                             (a->isEnabled() ? "" : " (off)");
        }
        menus << items.join('|');
    }
    EXPECT_EQ(menus.join('\n').toStdString(),
              "File|Open TXT|-|Open List|-|Save  [Ctrl+S]|Save As|-|Save List|Save Legend...|-|"
              "Export PO...|Import PO...|Export XLIFF...|Import XLIFF...|-|"
              "Keep Layout When Saving|-|Exit\n"
              "Edit|Undo [Ctrl+Z] (off)|Redo [Ctrl+Shift+Z, Ctrl+Y] (off)|-|Next Suspect [F8]|"
              "Previous Suspect [Shift+F8]|Next Empty [Ctrl+F8]|-|"
              "Copy Source to Target [Ctrl+B]\n"
              "View|Night Pictures\n"
              "Clear|Clear Current Polygon Translations|Clear Current Line Translations|"
              "Clear Current POIsTranslations\n"
              "Edit Strings|Replace 0x00 with 0xXX|Replace Source with Target|-|"
              "Delete Empty Strings|-|Sort Languages\n"
              "Tools|Spelling|Spelling (target language)|-|Edit Dictionary|"
              "Edit Dictionary (target language)|Reload Dictionary|-|"
              "Mark  Light Blue Polygons for checking|Mark Light Blue Lines for checking|"
              "Mark Light Blue POIs for checking|-|Add Custom  Language|-|"
              "Translation Service...|-|Check Translations|-|Import TMX...|Export TMX...\n"
              "Help|Check Online|-|About");
    QStringList buttons;
    for (const char* name : {"survey", "search", "export", "translate0", "stop0", "checkErrors0",
                             "clear0", "translate2", "clear2"})
        buttons << w->findChild<QPushButton*>(QLatin1String(name))->text();
    EXPECT_EQ(buttons.join('|').toStdString(),
              "Check Which Languages|Search|Export to Stylora5|Translate|STOP|Check Errors|Clr|"
              "Translate|Clr");

    // "Keep Layout When Saving" shows the setting with its check mark.
    QAction* keep = w->findChild<QAction*>(QStringLiteral("keep-layout"));
    ASSERT_NE(keep, nullptr);
    EXPECT_TRUE(keep->isCheckable());
    EXPECT_FALSE(keep->isChecked());
    keep->trigger();
    EXPECT_TRUE(st().kept.keep_layout);
    EXPECT_TRUE(keep->isChecked());
    keep->trigger();
    EXPECT_FALSE(st().kept.keep_layout);
    EXPECT_FALSE(keep->isChecked());
}

} // namespace lex
