// One undo step of the channel grid: the rows (and column defaults) a grid
// command changed, before and after it. Pushing it does not run anything
// again (the command has already run); undo and redo put one side back and
// tell the grid which rows to repaint and the document what changed.
#pragma once

#include "channels/ChannelSnapshot.h"
#include "image/Document.h"

#include <QUndoCommand>

#include <functional>

namespace qm {

class ChannelCommand : public QUndoCommand {
public:
    // cursor(row, col) is called after every undo and redo with the current
    // cell of that side (and after the push, with the cell the command left).
    ChannelCommand(ChannelContext ctx, Document& doc, ChannelChange change, const QString& text,
                   std::function<void(int, int)> cursor);

    void undo() override;
    void redo() override;

    const ChannelChange& change() const { return change_; }

private:
    void applied(ChangeSide side);

    ChannelContext ctx_;
    Document& doc_;
    ChannelChange change_;
    std::function<void(int, int)> cursor_;
    bool done_ = true; // the first redo() (the push) finds the change already made
};

// Runs op on the channel state and, when it changed more than the edit
// marks, pushes it on the stack as one undo step named text. Returns the
// change (empty when nothing was pushed).
ChannelChange runChannelCommand(QUndoStack& stack, ChannelContext ctx, Document& doc, const QString& text,
                                const std::function<void()>& op, std::function<void(int, int)> cursor);

} // namespace qm
