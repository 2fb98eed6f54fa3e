#pragma once
// The window's undo steps on Qt's undo stack, one class per kind of change. What a step changed
// is recorded and put back by the core (view/steps.h); these classes only carry it.

#include "view/steps.h"

#include <QUndoCommand>

#include <functional>

namespace lex {

// Called when a step is undone or redone, so that the window decides whether the document
// counts as changed and redraws.
using StepApplied = std::function<void(const Step& step, bool undone)>;

class StepCommand : public QUndoCommand {
public:
    StepCommand(const QString& text, Step step, State& st, Ui& ui, StepApplied applied);
    void undo() override;
    void redo() override;
    const Step& step() const { return step_; }

protected:
    Step step_;

private:
    State& st_;
    Ui& ui_;
    StepApplied applied_;
    bool done_ = true; // pushed after the action ran: the first redo has nothing to do
};

// A translation run or "Check Errors" on one pane.
class RunCommand : public StepCommand {
public:
    using StepCommand::StepCommand;
};

// Clearing a pane, "Mark Light Blue", "Copy Source to Target".
class RowsCommand : public StepCommand {
public:
    using StepCommand::StepCommand;
};

// Editing a source label, an Edit Strings operation, the sort: the document text changes.
class DocumentCommand : public StepCommand {
public:
    using StepCommand::StepCommand;
};

// A language choice or "0x00": the rows are built again for other labels.
class LanguageCommand : public StepCommand {
public:
    using StepCommand::StepCommand;
};

// A translation list opened onto the rows, or the rows put back from a recovery file.
class ListCommand : public StepCommand {
public:
    using StepCommand::StepCommand;
};

// Typing into one target box: the edits of one visit to the box merge into one step.
class TypingCommand : public StepCommand {
public:
    TypingCommand(const QString& text, Step step, State& st, Ui& ui, StepApplied applied,
                  int visit);
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    int visit_; // the visit to the box the edits were made in
};

} // namespace lex
