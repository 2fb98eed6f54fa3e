// The window's side of the translation checks: Tools -> "Check Translations" opens the list of
// findings, an entry goes to its row, and the choice of checks is kept.

#include "commands/checks.h"
#include "gui/check_dialog.h"
#include "gui/main_window.h"
#include "gui/pane_view.h"

namespace lex {

void MainWindow::checkTranslations() {
    if (!checkDialog_) {
        checkDialog_ = new CheckDialog(this);
        checkDialog_->setSettings(load_check_settings(st_));
        connect(checkDialog_, &CheckDialog::rowChosen, this,
                [this](int kind, int row) { goToFinding(kind, row); });
        connect(checkDialog_, &CheckDialog::checkAgain, this, [this](bool settingsChanged) {
            if (settingsChanged)
                act([&] { keep_check_settings(st_, *ui_, checkDialog_->settings()); });
            runChecks();
        });
    }
    runChecks();
    checkDialog_->show();
    checkDialog_->raise();
    checkDialog_->activateWindow();
}

void MainWindow::runChecks() {
    std::vector<Finding> findings;
    act([&] { findings = check_translations(st_, *ui_, checkDialog_->settings()); });
    checkDialog_->showFindings(st_, findings);
}

void MainWindow::goToFinding(int kind, int row) {
    const std::optional<Kind> k = kind_from_int(kind);
    if (!k || row < 0 || row >= st_.row_count(*k)) return;
    // The keyboard goes from the list to the row's box in the main window.
    activateWindow();
    raise();
    if (panes_[std::size_t(*k)]->focusRow(row)) current_ = RowPlace{kind, row};
}

} // namespace lex
