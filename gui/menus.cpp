// The menu bar and the running of the user's actions: the menus are built from the table of
// actions (commands/actions.h), and every menu item and button runs its action by id.

#include "commands/actions.h"
#include "commands/help.h"
#include "commands/string_tools.h"
#include "document/codec_qt.h"
#include "gui/about_dialog.h"
#include "gui/main_window.h"
#include "view/steps.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QUndoStack>

namespace lex {

namespace {

// A menu caption shows "&" as itself.
QString menuText(const std::string& s) {
    return QString::fromStdString(s).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// The pane's name in the captions of undo steps.
QString paneName(std::optional<Kind> kind) {
    static constexpr std::array<const char*, kKinds> kNames{"polygons", "lines", "points"};
    return kind ? QString::fromLatin1(kNames[std::size_t(*kind)]) : QString();
}

} // namespace

void MainWindow::buildMenus() {
    for (std::size_t m = 0; m < menus_.size(); ++m)
        menus_[m] = menuBar()->addMenu(QString::fromLatin1(menu_title(Place(m))));
    for (const Action& a : lex::actions()) {
        if (a.place > Place::kHelp) continue; // a button
        QMenu* menu = menus_[std::size_t(a.place)];
        if (a.separator_before) menu->addSeparator();
        if (a.id == ActionId::kOpenRecent) {
            // Shown with their paths once the list has them.
            for (std::size_t i = 0; i < recentItems_.size(); ++i) {
                QAction* item = menu->addAction(QString());
                item->setVisible(false);
                connect(item, &QAction::triggered, this,
                        [this, i] { trigger(ActionId::kOpenRecent, int(i)); });
                recentItems_[i] = item;
            }
            continue;
        }
        QAction* item = menu->addAction(QString::fromLatin1(a.caption));
        item->setObjectName(QString::fromLatin1(a.name));
        item->setCheckable(a.when == When::kSwitch);
        if (a.keys[0] != '\0')
            item->setShortcuts(QKeySequence::listFromString(QString::fromLatin1(a.keys),
                                                            QKeySequence::PortableText));
        connect(item, &QAction::triggered, this, [this, id = a.id] { trigger(id); });
        items_[std::size_t(a.id)] = item;
    }

    // The first two Edit Strings captions name the languages in use, so they are set each time
    // it opens.
    connect(menus_[std::size_t(Place::kEditStrings)], &QMenu::aboutToShow, this, [this] {
        const auto captions = edit_strings_captions(st_);
        for (std::size_t i = 0; i < captions.size(); ++i)
            items_[std::size_t(i == 0 ? ActionId::kReplaceZero : ActionId::kReplaceSource)]
                ->setText(menuText(captions[i]));
    });
    // Opening any menu but Clear closes an open language list.
    for (QMenu* m : menus_)
        if (m != menus_[std::size_t(Place::kClear)])
            connect(m, &QMenu::aboutToShow, this, [this] { hideLanguageLists(); });
}

bool MainWindow::allowed(ActionId id, bool free) const {
    switch (action(id).when) {
    case When::kMenuOpen:
    case When::kAlways:
    case When::kSwitch:
        return true;
    case When::kFree:
        return free;
    case When::kCanUndo:
        return free && undoStack_ && undoStack_->canUndo();
    case When::kCanRedo:
        return free && undoStack_ && undoStack_->canRedo();
    case When::kRecentFile:
        break;
    }
    return false;
}

void MainWindow::showMenus(bool free) {
    const WindowModel& w = st_.win;
    // The menu titles but Help's follow the lock, the items their own rule.
    for (std::size_t m = 0; m < menus_.size(); ++m)
        if (Place(m) != Place::kHelp) menus_[m]->menuAction()->setEnabled(free);
    for (const Action& a : lex::actions())
        if (QAction* item = items_[std::size_t(a.id)]) item->setEnabled(allowed(a.id, free));
    items_[std::size_t(ActionId::kNightPictures)]->setChecked(w.night_pictures);
    items_[std::size_t(ActionId::kKeepLayout)]->setChecked(st_.kept.keep_layout);
    for (std::size_t i = 0; i < recentItems_.size(); ++i) {
        QAction* a = recentItems_[i];
        const std::string& path = w.recent[i];
        a->setText(menuText(path));
        a->setVisible(!path.empty());
        a->setEnabled(w.recent_enabled[i]);
    }
}

void MainWindow::trigger(ActionId id, int index) {
    const Action& a = action(id);
    if (a.when == When::kAlways) {
        // It ends what owns the document, so it runs at once, outside the lock.
        run_action(st_, *ui_, id, {.pane = kind_from_int(index)});
        showState();
        return;
    }
    if (a.when != When::kMenuOpen && a.when != When::kRecentFile && a.when != When::kSwitch &&
        !allowed(id, !locked()))
        return;
    switch (id) {
    case ActionId::kUndo:
        act([&] { undoStack_->undo(); });
        return;
    case ActionId::kRedo:
        act([&] { undoStack_->redo(); });
        return;
    case ActionId::kNextSuspect:
        goToRow(RowFilter::kSuspect, 1);
        return;
    case ActionId::kPreviousSuspect:
        goToRow(RowFilter::kSuspect, -1);
        return;
    case ActionId::kNextEmpty:
        goToRow(RowFilter::kEmpty, 1);
        return;
    case ActionId::kCopySource:
        copySourceToTarget();
        return;
    case ActionId::kTranslationService:
        act([&] { chooseService(); });
        return;
    case ActionId::kCheckTranslations:
        checkTranslations();
        return;
    case ActionId::kAbout:
        act([&] { AboutDialog(about_version(st_), home_page(st_), *ui_, this).exec(); });
        return;
    case ActionId::kSearch:
        search();
        return;
    default:
        runCommand(id, index);
    }
}

void MainWindow::runCommand(ActionId id, int index) {
    const Action& a = action(id);
    const bool onPane = a.place == Place::kPaneButton;
    const ActionArgs args{.pane = onPane ? kind_from_int(index) : std::nullopt,
                          .recent = id == ActionId::kOpenRecent ? index : -1,
                          .dictionaries = spelling_.get(),
                          .translator = translator_.get(),
                          .decode = utf8_text,
                          .codec = &qt_label_codec(),
                          .memory = memory_.get()};
    bool close = false;
    auto run = [&] { close = run_action(st_, *ui_, id, args); };
    const std::optional<Kind> pane = a.pane ? a.pane : args.pane;
    const StepScope paneScope = pane ? StepScope::pane(*pane) : StepScope{};
    // What it changed becomes one undo step, captioned as its table row says or as its item
    // reads.
    QString caption;
    if (a.step)
        caption = QString::fromLatin1(a.step).replace(QStringLiteral("%1"), paneName(pane));
    else if (QAction* item = items_[std::size_t(id)])
        caption = item->text().replace(QStringLiteral("&&"), QStringLiteral("&"));
    switch (a.kept) {
    case Kept::kNot:
        act(run);
        break;
    case Kept::kRun:
        record(StepKind::kRun, caption, paneScope, run);
        break;
    case Kept::kRows:
        record(StepKind::kRows, caption, paneScope, run);
        break;
    case Kept::kDocument:
        record(StepKind::kDocument, caption, StepScope::everything(), run);
        break;
    case Kept::kList:
        record(StepKind::kList, caption, StepScope::everything(), run);
        break;
    }
    if (close) this->close();
}

} // namespace lex
