// The review flow of the window: undo and redo over Qt's undo stack, the Edit menu's captions,
// walking the suspect and empty rows, "Copy Source to Target", the counts in the status bar and
// the recovery file kept while rows are unsaved.

#include "commands/recovery.h"
#include "commands/review.h"
#include "document/codec_qt.h"
#include "gui/main_window.h"
#include "gui/pane_view.h"
#include "gui/undo_commands.h"
#include "view/rows.h"
#include "view/steps.h"
#include "view/window_state.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QUndoStack>

namespace lex {

void MainWindow::buildReview() {
    undoStack_ = new QUndoStack(this);
    for (std::size_t i = 0; i < statistics_.size(); ++i) {
        statistics_[i] = new QLabel(this);
        statistics_[i]->setObjectName(QStringLiteral("statistics%1").arg(i));
        statistics_[i]->setContentsMargins(4, 0, 12, 0);
        if (i + 1 < statistics_.size())
            statusBar()->addWidget(statistics_[i]);
        else
            statusBar()->addPermanentWidget(statistics_[i]);
    }

    // The unsaved rows are written every 30 seconds; a run in progress is written as it goes,
    // any other operation that owns the document first ends.
    auto* recoveryTimer = new QTimer(this);
    recoveryTimer->setObjectName(QStringLiteral("recoveryTimer"));
    recoveryTimer->setInterval(30000);
    connect(recoveryTimer, &QTimer::timeout, this, [this] {
        const bool running = std::any_of(st_.win.panes.begin(), st_.win.panes.end(),
                                         [](const Pane& p) { return p.stop_visible; });
        if (!locked() || running) keepRecovery();
    });
    recoveryTimer->start();

    for (PaneView* pane : panes_) {
        connect(pane, &PaneView::rowFocused, this, [this](Kind kind, int row) {
            current_ = {kind, row};
            ++visit_;
        });
        connect(pane, &PaneView::targetRowEdited, this, &MainWindow::onTargetRowEdited);
    }
}

void MainWindow::showReview() {
    if (!undoStack_) return;
    statistics_[3]->setText(QString::fromStdString(codepage_statistics(st_)));
    statistics_[4]->setText(st_.changed ? QStringLiteral("Unsaved changes") : QString());
    // The counts in full where the status bar has room for them, else the suspect and empty
    // ones only; the full counts stay in the tool tip.
    std::array<QString, kKinds> full;
    std::array<PaneCounts, kKinds> counts;
    const QFontMetrics metrics(statistics_[0]->font());
    int room = statusBar()->width() - 40 * int(statistics_.size());
    for (QLabel* other : {statistics_[3], statistics_[4], serviceCaption_})
        if (other) room -= metrics.horizontalAdvance(other->text());
    for (const Kind k : kAllKinds) {
        counts[std::size_t(k)] = count_rows(st_, k);
        full[std::size_t(k)] = QString::fromStdString(pane_statistics(counts[std::size_t(k)], k));
        room -= metrics.horizontalAdvance(full[std::size_t(k)]);
    }
    for (const Kind k : kAllKinds) {
        QLabel* label = statistics_[std::size_t(k)];
        label->setText(
            room >= 0 ? full[std::size_t(k)]
                      : QString::fromStdString(pane_statistics(counts[std::size_t(k)], k, true)));
        label->setToolTip(full[std::size_t(k)]);
    }
    // "Undo" and "Redo" name the step they take back or do again.
    for (auto [id, step] : {std::pair{ActionId::kUndo, undoStack_->undoText()},
                            std::pair{ActionId::kRedo, undoStack_->redoText()}}) {
        const QString caption = QString::fromLatin1(action(id).caption);
        items_[std::size_t(id)]->setText(step.isEmpty() ? caption : caption + " " + step);
    }
}

void MainWindow::record(StepKind kind, const QString& caption, const StepScope& scope,
                        const std::function<void()>& action) {
    if (locked()) return;
    StepRecorder recorder(st_, scope, knownDocument_);
    act(action);
    pushStep(kind, caption, recorder.finish(st_));
}

void MainWindow::pushStep(StepKind kind, const QString& caption, Step step) {
    if (step.empty()) return;
    if (step.document_after) knownDocument_ = step.document_after;
    auto applied = [this](const Step&, bool undone) { afterStep(undone); };
    QUndoCommand* command = nullptr;
    switch (kind) {
    case StepKind::kRun:
        command = new RunCommand(caption, std::move(step), st_, *ui_, applied);
        break;
    case StepKind::kRows:
        command = new RowsCommand(caption, std::move(step), st_, *ui_, applied);
        break;
    case StepKind::kDocument:
        command = new DocumentCommand(caption, std::move(step), st_, *ui_, applied);
        break;
    case StepKind::kLanguage:
        command = new LanguageCommand(caption, std::move(step), st_, *ui_, applied);
        break;
    case StepKind::kList:
        command = new ListCommand(caption, std::move(step), st_, *ui_, applied);
        break;
    }
    undoStack_->push(command);
    if (kind == StepKind::kRun) keepRecovery();
    showState();
}

void MainWindow::afterStep(bool undone) {
    // Back at the document as it was opened nothing is unsaved; anywhere else something is.
    const int to = undoStack_->index() + (undone ? -1 : 1);
    st_.changed = !(cleanIsOpened_ && to == undoStack_->cleanIndex());
    update_title(st_, *ui_, st_.document_path);
}

void MainWindow::onTargetRowEdited(Kind kind, int row, const Row& before) {
    const bool checkErrors = st_.pane(kind).check_errors_visible;
    target_row_typed(st_, *ui_, kind, row);
    Step step = row_step(st_, kind, row, before, checkErrors);
    if (step.empty()) return;
    auto applied = [this](const Step&, bool undone) { afterStep(undone); };
    undoStack_->push(
        new TypingCommand(QStringLiteral("Typing"), std::move(step), st_, *ui_, applied, visit_));
    panes_[std::size_t(kind)]->rebind();
    showState();
}

void MainWindow::goToRow(RowFilter filter, int step) {
    std::optional<RowPlace> next;
    act([&] { next = next_row_to_review(st_, *ui_, current_, step, filter); });
    if (next && panes_[std::size_t(next->kind)]->focusRow(next->row)) current_ = *next;
}

void MainWindow::copySourceToTarget() {
    const RowPlace at = current_;
    const std::optional<Kind> kind = kind_from_int(at.kind);
    if (!kind || at.row < 0 || at.row >= st_.row_count(*kind)) return;
    const std::string source = st_.row(*kind, at.row).caption;
    const std::string text =
        encode(decode(source, source_cell_codepage(st_)), target_cell_codepage(st_));
    record(StepKind::kRows, QStringLiteral("Copy Source to Target"), StepScope::row(*kind, at.row),
           [&] { copy_source_to_target(st_, *ui_, at, text); });
}

void MainWindow::followDocument() {
    if (!undoStack_) return;
    if (st_.documents_saved != saved_) {
        // The rows now come from the file: stepping away from here leaves unsaved changes.
        undoStack_->setClean();
        cleanIsOpened_ = false;
    } else if (st_.documents_opened != opened_) {
        undoStack_->clear();
        // A file repaired while it was opened (its labels converted) is unsaved from the start.
        cleanIsOpened_ = !st_.changed;
        knownDocument_.reset();
        current_ = {};
        // A style opened teaches the memory its pairs of languages, beside the window; a
        // failure is said once it has ended.
        if (memory_)
            learn_in_background(st_, *memory_, [this] {
                QMetaObject::invokeMethod(
                    this, [this] { report_learnings(*memory_, *ui_); }, Qt::QueuedConnection);
            });
    }
    const bool moved = opened_ != st_.documents_opened || saved_ != st_.documents_saved;
    opened_ = st_.documents_opened;
    saved_ = st_.documents_saved;
    if (moved) keepRecovery();
}

void MainWindow::keepRecovery() {
    recovery_.update(st_, *ui_);
}

void MainWindow::offerRecovery() {
    act([&] {
        offer_recovery_files(st_, *ui_, qt_file_locks(), [&](const std::function<void()>& change) {
            followDocument(); // the document just opened starts the history
            StepRecorder recorder(st_, StepScope::everything(), knownDocument_);
            change();
            pushStep(StepKind::kList, QStringLiteral("Put Back Unsaved Rows"),
                     recorder.finish(st_));
        });
    });
    keepRecovery();
}

} // namespace lex
