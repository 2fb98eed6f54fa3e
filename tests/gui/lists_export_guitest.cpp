#include "commands/help.h"
#include "gui/about_dialog.h"
#include "gui/main_window.h"
#include "support/fixtures.h"

#include <QtWidgets>

namespace lex {

using namespace lex::test;
namespace fs = std::filesystem;

// The real window with scripted dialogs; programs it starts really start.
TEST(ListsExportWindow, ExportStartsTheEditorWithThePathAsOneArgumentAndHelpOpensTheHomePage) {
    struct StartingUi : FakeUi {
        void start_program(const std::string& program, const Strings& arguments) override {
            FakeUi::start_program(program, arguments);
            QtUi(nullptr).start_program(program, arguments);
        }
    } dialogs;
    TempDir home;
    fs::create_directories(home.file("dictionaries"));
    home.write("dictionaries/EN.dic", "lake\r\n");
    fs::create_directories(home.file("my maps"));
    const std::string doc = home.write(
        "my maps/city map.txt", typ_header() + typ_element("[_polygon]", {"String1=0x04,Lake"}));
    MainWindow w(home.str(), doc, &dialogs);
    w.show();
    QApplication::processEvents();

    // A stand-in editor that records how many arguments it got, and each on its own line.
    const std::string record = home.file("editor.txt");
    std::ofstream(home.file("stl5.exe"))
        << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" << record << "'\n";
    fs::permissions(home.file("stl5.exe"), fs::perms::owner_all, fs::perm_options::replace);
    dialogs.answers = {false}; // "Sort Languages?"
    auto* exportButton = w.findChild<QPushButton*>(QStringLiteral("export"));
    ASSERT_TRUE(exportButton && exportButton->isEnabled());
    exportButton->click();
    EXPECT_EQ(dialogs.questions, Strings{"Sort Languages?"});
    for (int i = 0; i < 500 && !fs::exists(record); ++i) QThread::msleep(10);
    QThread::msleep(50);
    EXPECT_EQ(TempDir::read(record), "1\n" + doc + "\n");

    // Help: Check Online opens the home page; About shows the version and the address, a click
    // on the address opens it, OK closes the box.
    const std::string url = home_page(w.state());
    auto item = [&](const char* text) {
        for (QAction* a : w.findChildren<QAction*>())
            if (a->text() == QLatin1String(text) && a->isEnabled()) return a;
        return static_cast<QAction*>(nullptr);
    };
    ASSERT_TRUE(item("Check Online") && item("About"));
    item("Check Online")->trigger();
    QString seen;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
        if (!box) return;
        for (const char* name : {"version", "address"})
            seen += box->findChild<QLabel*>(QLatin1String(name))->text() + "|";
        QMouseEvent click(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                          Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(box->addressLabel(), &click);
        box->findChild<QPushButton*>()->click();
    });
    item("About")->trigger();
    EXPECT_EQ(seen, QString::fromStdString("Version 1.22|" + url + "|"));
    EXPECT_EQ(dialogs.urls, (Strings{url, url}));
    EXPECT_FALSE(w.locked());
}

} // namespace lex
