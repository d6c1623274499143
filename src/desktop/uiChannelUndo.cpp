#include "desktop/uiChannelUndo.h"

#include <QUndoStack>

namespace qm {

ChannelCommand::ChannelCommand(ChannelContext ctx, Document& doc, ChannelChange change, const QString& text,
                               std::function<void(int, int)> cursor)
    : QUndoCommand(text), ctx_(ctx), doc_(doc), change_(std::move(change)), cursor_(std::move(cursor))
{
}

void ChannelCommand::undo()
{
    restoreChannels(ctx_, change_, ChangeSide::Before);
    applied(ChangeSide::Before);
}

void ChannelCommand::redo()
{
    if (done_) {
        done_ = false;
    } else {
        restoreChannels(ctx_, change_, ChangeSide::After);
    }
    applied(ChangeSide::After);
}

void ChannelCommand::applied(ChangeSide side)
{
    if (!change_.rows.empty())
        ctx_.grid.notifyRows(change_.firstRow(), change_.lastRow());
    doc_.notify(Document::Change::Channels);
    if (change_.changesBytes())
        doc_.notify(Document::Change::Bytes);
    if (cursor_) {
        const bool after = side == ChangeSide::After;
        cursor_(after ? change_.curRowAfter : change_.curRowBefore, after ? change_.curColAfter : change_.curColBefore);
    }
}

ChannelChange runChannelCommand(QUndoStack& stack, ChannelContext ctx, Document& doc, const QString& text,
                                const std::function<void()>& op, std::function<void(int, int)> cursor)
{
    const ChannelSnapshot before = captureChannels(ctx);
    op();
    ChannelChange change = diffChannels(before, captureChannels(ctx));
    if (change.empty()) {
        // Nothing to undo; the current cell may still have moved.
        if (cursor)
            cursor(ctx.grid.curRow, ctx.grid.curCol);
        return {};
    }
    ChannelChange copy = change;
    stack.push(new ChannelCommand(ctx, doc, std::move(change), text, std::move(cursor)));
    return copy;
}

} // namespace qm
