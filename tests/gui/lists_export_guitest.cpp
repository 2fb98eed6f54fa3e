#include "commands/file_menu.h"
#include "commands/help.h"
#include "gui/about_dialog.h"
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

// The scripted dialogs, but programs really start.
class StartingUi : public FakeUi {
public:
    void start_program(const std::string& program, const Strings& arguments) override {
        FakeUi::start_program(program, arguments);
        QtUi(nullptr).start_program(program, arguments);
    }
};

// Waits up to five seconds for a file a started program writes.
std::string wait_for(const std::string& path) {
    for (int i = 0; i < 500 && !fs::exists(path); ++i) QThread::msleep(10);
    QThread::msleep(50); // the writer may still be writing
    return TempDir::read(path);
}

// A shell script that records how many arguments it got and each one on its own line.
void recorder(const std::string& path, const std::string& record) {
    std::ofstream(path) << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" << record << "'\n";
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::replace);
}

} // namespace

class ListsExportWindow : public ::testing::Test {
protected:
    TempDir home;
    StartingUi dialogs;
    std::unique_ptr<MainWindow> w;
    void SetUp() override {
        setenv("LEXMARIN_HOME", home.str().c_str(), 1);
        fs::create_directories(home.file("dictionaries"));
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
    QAction* action(const QString& text) {
        for (QAction* a : w->findChildren<QAction*>())
            if (a->text() == text) return a;
        return nullptr;
    }
};

TEST_F(ListsExportWindow, OpenListWithoutDocumentShowsTheListsRowsAndName) {
    open("");
    ASSERT_TRUE(w->fileItem(kSaveList)->isEnabled() && w->fileItem(kOpenList)->isEnabled());
    dialogs.files = {
        home.write("city_En-Ge.lst", crlf({"[lang]English,German ", "[polygons]", "Lake#See",
                                           "[lines]", "Road#Stra\xDF\x65?"}))};
    w->fileItem(kOpenList)->trigger();
    EXPECT_EQ(w->windowTitle() + w->countCaption(1)->text() + w->languageCaption(1)->text(),
              QStringLiteral("Lexmarin :  1.22 city_En-GeLines: 1German "));
    const auto row = w->pane(1)->shownRows().at(0);
    EXPECT_EQ(row.text + row.back.name(), QString::fromUtf8("Stra\u00dfe?#ff0000"));
    EXPECT_TRUE(w->checkErrorsButton(1)->isVisibleTo(w.get()));
    EXPECT_FALSE(w->checkErrorsButton(0)->isVisibleTo(w.get()));
}

TEST_F(ListsExportWindow, ExportStartsTheEditorWithThePathAsOneArgument) {
    fs::create_directories(home.file("my maps"));
    const std::string doc =
        home.write("my maps/city map.txt",
                   typ_header() + typ_element("[_polygon]", {"Type=0x01", "String1=0x04,Lake"}));
    open(doc);
    recorder(home.file("stl5.exe"), home.file("editor.txt"));
    dialogs.answers = {false}; // "Sort Languages?"
    QPushButton* exportButton = w->findChild<QPushButton*>(QStringLiteral("export"));
    ASSERT_TRUE(exportButton && exportButton->isEnabled());
    exportButton->click();
    EXPECT_EQ(dialogs.questions, Strings{"Sort Languages?"});
    EXPECT_EQ(wait_for(home.file("editor.txt")), "1\n" + doc + "\n");

    // An editor that cannot run by itself goes through wine from the PATH.
    fs::permissions(home.file("stl5.exe"), fs::perms::owner_read, fs::perm_options::replace);
    fs::create_directories(home.file("bin"));
    recorder(home.file("bin/wine"), home.file("wine.txt"));
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (home.file("bin") + ":" + oldPath).c_str(), 1);
    dialogs.answers = {false};
    exportButton->click();
    setenv("PATH", oldPath.c_str(), 1);
    std::string wanted = "Z:" + doc;
    std::replace(wanted.begin(), wanted.end(), '/', '\\');
    EXPECT_EQ(wait_for(home.file("wine.txt")),
              "2\n" + home.file("stl5.exe") + "\n" + wanted + "\n");
}

TEST_F(ListsExportWindow, HelpOpensTheHomePageAndAboutShowsTheVersion) {
    open("");
    QAction* online = action(QStringLiteral("Check Online"));
    QAction* about = action(QStringLiteral("About"));
    ASSERT_TRUE(online && about && online->isEnabled() && about->isEnabled());
    online->trigger();
    EXPECT_EQ(dialogs.urls, Strings{home_page(st())});
    EXPECT_TRUE(home_page(st()).starts_with("file://"));

    QString seen;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
        if (!box) return;
        seen = box->windowTitle();
        for (const char* name : {"title", "version", "address"})
            seen += "|" + box->findChild<QLabel*>(QLatin1String(name))->text();
        const QColor shape =
            box->findChild<QFrame*>(QStringLiteral("shape"))->palette().color(QPalette::Window);
        seen += "|" + shape.name();
        QLabel* address = box->addressLabel();
        QMouseEvent click(QEvent::MouseButtonRelease, QPointF(2, 2),
                          address->mapToGlobal(QPointF(2, 2)), Qt::LeftButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(address, &click);
        for (QPushButton* b : box->findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("OK")) b->click();
    });
    about->trigger();
    EXPECT_EQ(seen, QString::fromStdString("Information|STL5 Translator|Version 1.22|" +
                                           home_page(st()) + "|#160672"));
    EXPECT_EQ(dialogs.urls, (Strings{home_page(st()), home_page(st())}));
    EXPECT_FALSE(w->locked());
}

} // namespace lex
