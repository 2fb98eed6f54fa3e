#include "gui/main_window.h"
#include "gui/pane_view.h"
#include "support/fixtures.h"

#include <QtWidgets>

namespace lex {

using namespace lex::test;

// The Edit Strings menu: its captions name the languages in use once it opens, and its items
// rewrite the document and redraw the window.
TEST(EditStringsMenu, CaptionsFollowTheLanguagesAndItemsRewriteTheDocument) {
    TempDir home;
    FakeUi dialogs;
    const std::string path = home.write(
        "m.txt", typ_header() + typ_element("[_polygon]", {"String1=0x12,Dum", "String2=0x04,House",
                                                           "String3=0x02,Haus"}));
    MainWindow w(home.str(), path, &dialogs);
    w.show();
    QMenu* menu = w.menuBar()->actions()[3]->menu(); // File, Edit, Clear, Edit Strings
    ASSERT_EQ(menu->title(), QStringLiteral("Edit Strings"));
    const QList<QAction*> items = menu->actions();
    menu->popup(QPoint(0, 0));
    menu->hide();
    EXPECT_EQ(items[0]->text() + "|" + items[1]->text(),
              QStringLiteral("Change all 0x00 to 0x04|Replace 0x04  with 0x02"));
    ASSERT_TRUE(menu->menuAction()->isEnabled() && items[5]->isEnabled());
    dialogs.messages.clear();
    items[5]->trigger(); // Sort Languages
    EXPECT_EQ(dialogs.messages, Strings{"Sorted  1 elements.Please save. "});
    EXPECT_NE(w.state().document.find("String1=0x02,Haus\r\nString2=0x04,House\r\nString3=0x12"),
              std::string::npos);
    EXPECT_EQ(w.windowTitle() + w.pane(0)->shownRows()[0].text,
              QStringLiteral("Lexmarin :  1.22 m+Haus"));
    EXPECT_FALSE(w.locked());
}

} // namespace lex
