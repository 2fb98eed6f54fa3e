#include "gui/undo_commands.h"

#include <utility>

namespace lex {

StepCommand::StepCommand(const QString& text, Step step, State& st, Ui& ui, StepApplied applied)
    : QUndoCommand(text), step_(std::move(step)), st_(st), ui_(ui), applied_(std::move(applied)) {}

void StepCommand::undo() {
    undo_step(st_, ui_, step_, true);
    done_ = false;
    if (applied_) applied_(step_, true);
}

void StepCommand::redo() {
    if (std::exchange(done_, true)) return;
    redo_step(st_, ui_, step_, true);
    if (applied_) applied_(step_, false);
}

TypingCommand::TypingCommand(const QString& text, Step step, State& st, Ui& ui, StepApplied applied,
                             int visit)
    : StepCommand(text, std::move(step), st, ui, std::move(applied)), visit_(visit) {}

bool TypingCommand::mergeWith(const QUndoCommand* other) {
    const auto* typed = static_cast<const TypingCommand*>(other);
    const RowChange& mine = step_.rows.front();
    const RowChange& theirs = typed->step().rows.front();
    if (typed->visit_ != visit_ || mine.kind != theirs.kind || mine.row != theirs.row) return false;
    Step later = typed->step();
    merge_steps(step_, std::move(later));
    // Typed back to where it started: the step goes away.
    setObsolete(step_.empty());
    return true;
}

} // namespace lex
