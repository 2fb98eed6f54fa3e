#pragma once
// The main window: menus, language choice, the three panes and the controls above them.
// It shows the window model of State and writes the user's input back into it; every
// behaviour lives in the commands that it calls.
//
// main_window.cpp   start, the lock during long operations, redrawing, closing
// menus.cpp         the menu bar from the table of actions; running an action by its id
// controls.cpp      the language bar, the search row and the pane headers
// service_window.cpp the translation service: its dialog and the status bar
// review_window.cpp  undo and redo, the review keys, the status bar's counts, recovery

#include "commands/actions.h"
#include "commands/memory.h"
#include "commands/recovery.h"
#include "document/file_lock.h"
#include "document/folders.h"
#include "gui/qt_ui.h"
#include "translate/services.h"
#include "view/review.h"
#include "view/state.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QStackedWidget;
class QToolButton;
class QUndoStack;
class QVBoxLayout;

namespace lex {

class CheckDialog;
class PaneView;
class ProgressBar;
class SpellingDictionaries;
class Translator;
struct DocumentVersion;
struct Step;
struct StepScope;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Runs the start-up sequence for the program's `folders` and `commandLine` (a document
    // path, taken whole). `dialogs`, when given, answers every message box and file dialog.
    MainWindow(const Folders& folders, const std::string& commandLine, Ui* dialogs = nullptr,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    State& state() { return st_; }
    Ui& ui() { return *ui_; }

    // Re-reads the model: the title, captions, buttons and progress, and the rows `target`
    // names.
    void refreshModel(RefreshTarget target);
    void showState();

    // True while an action or a long operation (st.win.running) owns the document: the
    // menus, the language choice, "0x00" and the panes' buttons except "STOP" are disabled,
    // and closing the window waits for the operation to end.
    bool locked() const;

    // For tests.
    PaneView* pane(Kind kind) const { return panes_[std::size_t(kind)]; }
    QListWidget* languageList(int list) const { return languageLists_[std::size_t(list)]; }
    QToolButton* dropButton(int list) const { return dropButtons_[std::size_t(list)]; }
    QCheckBox* zeroBox() const { return zeroBox_; }
    QLabel* languageCaption(int list) const { return languageCaptions_[std::size_t(list)]; }
    QPushButton* translateButton(Kind kind) const { return translateButtons_[std::size_t(kind)]; }
    QPushButton* stopButton(Kind kind) const { return stopButtons_[std::size_t(kind)]; }
    QPushButton* checkErrorsButton(Kind kind) const {
        return checkErrorsButtons_[std::size_t(kind)];
    }
    QLabel* countCaption(Kind kind) const { return countCaptions_[std::size_t(kind)]; }
    // The menu item of action `id` (none for a button or a recent file).
    QAction* item(ActionId id) const { return items_[std::size_t(id)]; }
    QAction* recentItem(int entry) const { return recentItems_[std::size_t(entry)]; }
    QMenu* fileMenu() const { return menus_[std::size_t(Place::kFile)]; }
    QMenu* toolsMenu() const { return menus_[std::size_t(Place::kTools)]; }
    QAction* serviceItem() const { return item(ActionId::kTranslationService); }
    QLabel* serviceCaption() const { return serviceCaption_; }
    QMenu* editMenu() const { return menus_[std::size_t(Place::kEdit)]; }
    QUndoStack* undoStack() const { return undoStack_; }
    MemoryKeeper& memory() { return *memory_; }
    QLabel* statistics(int item) const { return statistics_[std::size_t(item)]; }
    CheckDialog* checkDialog() const { return checkDialog_; } // after "Check Translations"

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // menus.cpp
    void buildMenus();
    void showMenus(bool free);
    // Whether the user may choose action `id` now, `free` when nothing owns the document.
    bool allowed(ActionId id, bool free) const;
    // Runs action `id` as the user chose it; `index` is the pane of a pane's button or the entry
    // of a recent file.
    void trigger(ActionId id, int index = -1);
    // Runs the command of action `id` under the lock, kept in the undo history as its table row
    // says.
    void runCommand(ActionId id, int index = -1);

    // controls.cpp
    void buildControls();
    void buildLanguageBar(QVBoxLayout* outer);
    void buildSearchRow(QVBoxLayout* outer);
    void buildPanes(QVBoxLayout* outer);
    void showControls(bool free);
    void placeLists();
    void onLanguagePressed(int list, int row);
    void hideLanguageLists();
    void search(); // "Search" and Enter in the search box

    // service_window.cpp: the translation service in use and its dialog.
    void useServices(const ServiceSettings& settings);
    void chooseService();
    // check_window.cpp: Tools, "Check Translations" and its list of findings.
    void checkTranslations();
    void runChecks();
    void goToFinding(int kind, int row);

    // review_window.cpp: the Edit menu, the status bar's counts, the recovery file.
    enum class StepKind { kRun, kRows, kDocument, kLanguage, kList };
    void buildReview();
    void showReview();
    // Runs `action` as act() does and keeps what it changed in `scope` as one undo step.
    void record(StepKind kind, const QString& caption, const StepScope& scope,
                const std::function<void()>& action);
    void afterStep(bool undone);
    void onTargetRowEdited(Kind kind, int row, const Row& before);
    void goToRow(RowFilter filter, int step);
    void copySourceToTarget();
    // After every action: a document opened anew clears the history, a save marks it clean.
    void followDocument();
    // Brings the recovery file in line with the unsaved rows (every 30 seconds, after a run).
    void keepRecovery();
    // At start: offers the recovery files no running window keeps.
    void offerRecovery();
    void pushStep(StepKind kind, const QString& caption, Step step);

    // Runs one user action with the document locked against re-entry from nested event
    // loops; ignored while another action runs.
    void act(const std::function<void()>& action);
    void closeWhenIdle();

    State st_;
    std::unique_ptr<QtUi> ui_;
    std::unique_ptr<Translator> translator_;
    std::unique_ptr<SpellingDictionaries> spelling_; // loaded once, kept for the session
    std::unique_ptr<MemoryKeeper> memory_;           // the translation memory, opened on first use
    ServiceSettings services_;
    int acting_ = 0;
    bool closePending_ = false;

    // The menus, indexed by Place; the menu items by ActionId; one item per recent file.
    std::array<QMenu*, std::size_t(Place::kHelp) + 1> menus_{};
    std::array<QAction*, kActionCount> items_{};
    std::array<QAction*, std::tuple_size_v<decltype(WindowModel::recent)>> recentItems_{};

    // Controls above the panes; language controls are indexed source, target.
    QWidget* central_ = nullptr;
    std::array<QLabel*, 2> languageCaptions_{};
    std::array<QToolButton*, 2> dropButtons_{};
    std::array<QListWidget*, 2> languageLists_{};
    QLabel* codepageCaption_ = nullptr;
    QCheckBox* zeroBox_ = nullptr;
    QCheckBox* singleWordsBox_ = nullptr;
    QPushButton* surveyButton_ = nullptr;
    QLineEdit* searchBox_ = nullptr;
    QPushButton* searchButton_ = nullptr;
    QPushButton* exportButton_ = nullptr;
    ProgressBar* progress_ = nullptr;
    QLabel* serviceCaption_ = nullptr;   // the status bar's translation service
    CheckDialog* checkDialog_ = nullptr; // the findings of the translation checks

    // Undo, the review and the status bar's counts (review_window.cpp).
    QUndoStack* undoStack_ = nullptr;
    std::array<QLabel*, 5> statistics_{}; // three panes, the code page, the unsaved mark
    std::shared_ptr<const DocumentVersion> knownDocument_; // shared by steps that keep the text
    RowPlace current_;           // the row whose box had the keyboard last
    int visit_ = 0;              // counts the visits to the target boxes
    bool cleanIsOpened_ = true;  // the clean state of the history is the document as opened
    int opened_ = 0, saved_ = 0; // st_.documents_opened and documents_saved last seen
    RecoveryKeeper recovery_{qt_file_locks()}; // this window's file, locked while it runs

    // Per pane.
    std::array<PaneView*, 3> panes_{};
    std::array<QLabel*, 3> countCaptions_{};
    std::array<QStackedWidget*, 3> translateStop_{}; // "Translate", or "STOP" during a run
    std::array<QPushButton*, 3> translateButtons_{};
    std::array<QPushButton*, 3> stopButtons_{};
    std::array<QPushButton*, 3> checkErrorsButtons_{};
    std::array<QPushButton*, 3> clearButtons_{};
};

} // namespace lex
