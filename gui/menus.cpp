// The menu bar: File, Clear, Edit Strings, Tools and Help. A menu item only calls its command;
// items whose command is not built yet stay disabled (gui/built_features.h).

#include "commands/clear_translations.h"
#include "commands/file_menu.h"
#include "commands/help.h"
#include "commands/string_tools.h"
#include "commands/tools_menu.h"
#include "gui/about_dialog.h"
#include "gui/built_features.h"
#include "gui/main_window.h"
#include "view/steps.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace lex {

namespace {

// A menu caption shows "&" as itself.
QString menuText(const std::string& s) {
    return QString::fromStdString(s).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// Adds `captions` to `menu`, "-" as a separator, and returns every entry in order. `onItem`,
// when given, is called with the entry's index when it is chosen.
template <std::size_t N>
std::array<QAction*, N> addItems(QMenu* menu, const std::array<const char*, N>& captions,
                                 const std::function<void(int)>& onItem) {
    std::array<QAction*, N> items{};
    for (std::size_t i = 0; i < N; ++i) {
        if (captions[i][0] == '-') {
            items[i] = menu->addSeparator();
            continue;
        }
        items[i] = menu->addAction(QString::fromLatin1(captions[i]));
        if (onItem)
            QObject::connect(items[i], &QAction::triggered, menu, [onItem, i] { onItem(int(i)); });
    }
    return items;
}

} // namespace

void MainWindow::buildMenus() {
    fileMenu_ = menuBar()->addMenu(QStringLiteral("File"));
    const auto files = addItems<10>(
        fileMenu_,
        {"Open TXT", "-", "Open List", "-", "Save ", "Save As", "-", "Save List", "-", "Exit"},
        [this](int i) { onFileItem(i); });
    std::copy(files.begin(), files.end(), fileItems_.begin());
    fileItems_[kSave]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    for (int i = kRecentFirst; i <= kRecentLast; ++i) {
        QAction* a = fileMenu_->addAction(QString());
        a->setVisible(false);
        connect(a, &QAction::triggered, this, [this, i] { onFileItem(i); });
        fileItems_[std::size_t(i)] = a;
    }

    clearMenu_ = menuBar()->addMenu(QStringLiteral("Clear"));
    clearItems_ = addItems<3>(clearMenu_,
                              {"Clear Current Polygon Translations",
                               "Clear Current Line Translations", "Clear Current POIsTranslations"},
                              [this](int i) { clearPane(i); });

    editStringsMenu_ = menuBar()->addMenu(QStringLiteral("Edit Strings"));
    editStringItems_ =
        addItems<6>(editStringsMenu_,
                    {"Replace 0x00 with 0xXX", "Replace Source with Target", "-",
                     "Delete Empty Strings", "-", "Sort Languages"},
                    [this](int i) {
                        record(StepKind::kDocument,
                               editStringItems_[std::size_t(i)]->text().replace(
                                   QStringLiteral("&&"), QStringLiteral("&")),
                               StepScope::everything(), [&] { edit_strings_item(st_, *ui_, i); });
                    });
    // The first two captions name the languages in use, so they are set each time it opens.
    connect(editStringsMenu_, &QMenu::aboutToShow, this, [this] {
        const auto captions = edit_strings_captions(st_);
        for (std::size_t i = 0; i < captions.size(); ++i)
            editStringItems_[i]->setText(menuText(captions[i]));
    });

    toolsMenu_ = menuBar()->addMenu(QStringLiteral("Tools"));
    auto onTool = [this](int i) {
        auto run = [&] { tools_menu_item(st_, *ui_, i, spelling_.get()); };
        // Marking light-blue rows changes the rows of one pane.
        if (i >= 5 && i <= 7)
            record(StepKind::kRows, toolItems_[std::size_t(i)]->text().simplified(),
                   StepScope::pane(i - 5), run);
        else
            act(run);
    };
    toolItems_ = addItems<10>(toolsMenu_,
                              {"Spelling", "-", "Edit Dictionary", "Reload Dictionary", "-",
                               "Mark  Light Blue Polygons for checking",
                               "Mark Light Blue Lines for checking",
                               "Mark Light Blue POIs for checking", "-", "Add Custom  Language"},
                              onTool);
    // The target language's spelling and own word list, each below its source counterpart.
    const std::array<std::pair<const char*, int>, 2> targetItems{
        {{"Spelling (target language)", kSpellTargetItem},
         {"Edit Dictionary (target language)", kEditTargetListItem}}};
    for (std::size_t k = 0; k < targetItems.size(); ++k) {
        auto [caption, item] = targetItems[k];
        QAction* a = new QAction(QString::fromLatin1(caption), toolsMenu_);
        toolsMenu_->insertAction(toolItems_[k == 0 ? 1 : 3], a);
        connect(a, &QAction::triggered, this, [onTool, item] { onTool(item); });
        toolTargetItems_[k] = a;
    }

    toolsMenu_->addSeparator();
    serviceItem_ = toolsMenu_->addAction(QStringLiteral("Translation Service..."));
    connect(serviceItem_, &QAction::triggered, this, [this] { act([&] { chooseService(); }); });

    helpMenu_ = menuBar()->addMenu(QStringLiteral("Help"));
    helpItems_ = addItems<3>(helpMenu_, {"Check Online", "-", "About"}, [this](int i) {
        if (i == kCheckOnline) act([&] { check_online(st_, *ui_); });
        if (i == kAbout)
            act([&] { AboutDialog(about_version(st_), home_page(st_), *ui_, this).exec(); });
    });

    // Opening the File, Edit Strings, Tools or Help menu closes an open language list.
    for (QMenu* m : {fileMenu_, editStringsMenu_, toolsMenu_, helpMenu_})
        connect(m, &QMenu::aboutToShow, this, [this] { hideLanguageLists(); });
}

void MainWindow::showMenus(bool free) {
    const Window& w = st_.win;
    // The menu titles follow the lock, the items what is built.
    fileMenu_->menuAction()->setEnabled(free);
    editStringsMenu_->menuAction()->setEnabled(free);
    clearMenu_->menuAction()->setEnabled(free);
    toolsMenu_->menuAction()->setEnabled(free);
    fileItems_[kOpenList]->setEnabled(built::kOpenList);
    fileItems_[kSave]->setEnabled(built::kSave);
    fileItems_[kSaveAs]->setEnabled(built::kSave);
    fileItems_[kSaveList]->setEnabled(built::kSaveList);
    for (int i = 0; i < 6; ++i) {
        QAction* a = fileItems_[std::size_t(kRecentFirst + i)];
        const std::string& path = w.recent[std::size_t(i)];
        a->setText(menuText(path));
        a->setVisible(!path.empty());
        a->setEnabled(w.recent_enabled[std::size_t(i)]);
    }
    for (QAction* a : clearItems_) a->setEnabled(built::kClear);
    for (QAction* a : editStringItems_) a->setEnabled(built::kEditStrings);
    for (QAction* a : toolItems_) a->setEnabled(built::kTools);
    for (QAction* a : toolTargetItems_) a->setEnabled(built::kTools);
    for (QAction* a : helpItems_) a->setEnabled(built::kHelp);
}

void MainWindow::onFileItem(int item) {
    bool exit = false;
    auto run = [&] { exit = file_menu_item(st_, *ui_, item); };
    // A list opened onto the rows can be taken back.
    if (item == kOpenList)
        record(StepKind::kList, QStringLiteral("Open List"), StepScope::everything(), run);
    else
        act(run);
    if (exit) close();
}

} // namespace lex
