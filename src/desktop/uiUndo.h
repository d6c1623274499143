// Undo steps of the windows. A window first makes its change through the
// model (which checks it and may refuse it), then records the change here:
// pushing does not apply it again, and Ctrl+Z / Ctrl+Y later run the two
// functions, which put the before or after state back and tell the views.
#pragma once

#include <QUndoCommand>

#include <functional>
#include <utility>

namespace qm {

class DoneCommand : public QUndoCommand {
public:
    DoneCommand(const QString& text, std::function<void()> undo, std::function<void()> redo)
        : QUndoCommand(text), undo_(std::move(undo)), redo_(std::move(redo))
    {
    }
    void undo() override { undo_(); }
    void redo() override
    {
        // QUndoStack::push() calls redo() once: the change has already been made.
        if (!applied_) {
            applied_ = true;
            return;
        }
        redo_();
    }

private:
    std::function<void()> undo_, redo_;
    bool applied_ = false;
};

} // namespace qm
