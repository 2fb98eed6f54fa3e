#include "gui/main_window.h"
#include "gui/pane_view.h"
#include "support/fixtures.h"

#include <QtWidgets>

#include <cstdlib>

namespace lex {

using namespace lex::test;

// The Edit Strings menu in the window: enabled, captions naming the languages in use once it
// opens, and its items running on the document.
TEST(EditStringsMenu, CaptionsFollowTheLanguagesAndItemsRewriteTheDocument) {
    TempDir home;
    FakeUi dialogs;
    setenv("LEXMARIN_HOME", home.str().c_str(), 1);
    std::filesystem::create_directories(home.file("dictionaries"));
    home.write("dictionaries/EN.dic", "lake\r\n");
    const std::string path = home.write(
        "m.txt",
        typ_header() + typ_element("[_polygon]", {"Type=0x01", "String1=0x12,Dum",
                                                  "String2=0x04,House", "String3=0x02,Haus"}));
    auto w = std::make_unique<MainWindow>(home.str(), path, &dialogs);
    w->show();
    QMenu* menu = nullptr;
    for (QAction* a : w->menuBar()->actions())
        if (a->text() == QStringLiteral("Edit Strings")) menu = a->menu();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(menu->menuAction()->isEnabled());
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 6);
    EXPECT_EQ(items[0]->text(), QStringLiteral("Replace 0x00 with 0xXX"));

    menu->popup(QPoint(0, 0));
    QApplication::processEvents();
    menu->hide();
    EXPECT_EQ(items[0]->text() + "|" + items[1]->text(),
              QStringLiteral("Change all 0x00 to 0x04|Replace 0x04  with 0x02"));

    for (QAction* a : items) EXPECT_TRUE(a->isSeparator() || a->isEnabled());
    items[5]->trigger(); // Sort Languages
    EXPECT_EQ(dialogs.messages, Strings{"Sorted  1 elements.Please save. "});
    EXPECT_NE(
        w->state().document.find("String1=0x02,Haus\r\nString2=0x04,House\r\nString3=0x12,Dum\r\n"),
        std::string::npos);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Lexmarin :  1.22 m+"));
    EXPECT_EQ(w->pane(0)->shownRows()[0].text, QStringLiteral("Haus"));
    EXPECT_FALSE(w->locked());
    EXPECT_TRUE(menu->menuAction()->isEnabled());
    w.reset();
    unsetenv("LEXMARIN_HOME");
}

} // namespace lex
