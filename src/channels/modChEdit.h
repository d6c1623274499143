// The rules of editing the channel grid, as model operations that the channel
// window and the CSV import both use. Rows are channels 1..N, columns 1..C:
// 1 receive and 2 transmit frequency, 3 decode and 4 encode signalling, 5..10
// option columns, 11 the name. Row 100 is the VFO row. While
// s.ChLockState is "ShowLock" nothing here changes anything.
#pragma once

#include "channels/ChannelContext.h"

namespace qm {

// True while the channel interface is locked.
bool ChannelLocked(const ChannelContext& s);

// How a column is edited: free text with keyboard and mouse (1, 2, 11) or a
// list driven by the keyboard only (every other column).
enum class GridEditMode { None, Keyboard, KeyboardAndMouse };
GridEditMode GridEditModeFor(const ChannelContext& s, int col);

// Whether a cell may be edited now (the before-edit rules: lock, empty
// channel only in column 1, column 4 only with a transmit frequency...).
bool GridCanEdit(ChannelContext s, int row, int col);

// The choices of a list column ("|"-separated), empty for free-text columns.
QString GridColumnList(ChannelContext s, int col);

// Applies the text the user typed (or picked from the column's list) into
// cell (row, col): the after-edit rules (snapping, limits, colours, filling a
// new channel with defaults, name normalisation, list index).
void GridAfterEdit(ChannelContext s, int row, int col, const QString& text);

// Stores the name typed in cell (n, 11) as channel n's six name codes and
// rewrites the cell in its normalised form (empty, or row 100: no name).
void ChNameEdit(ChannelContext s, int n);

// A click on cell (r, c): true when the row is an empty channel, in which
// case the current cell moves to (r, 1) and the window opens the receive
// frequency entry there.
bool GridClickOpensEntry(ChannelContext s, int r, int c);

// Double-click on cell (r, c): copy the receive side to the transmit side
// (column 2), copy signalling across (3, 4), propose a name (11), or step an
// option column to its next value.
void GridDoubleClick(ChannelContext s, int r, int c);

// The name a double-click on cell (r, c) proposes: " CH-07" for the empty
// name cell of an existing channel 7 (the codes are stored when the edit of
// the cell completes, GridAfterEdit); "" when the double-click proposes
// nothing there (locked, not the name column, empty row, a name present).
QString GridNameProposal(const ChannelContext& s, int r, int c);

// Erases cell (r, c) as the Delete key does: a free-text cell (frequency,
// name) takes the empty text through GridAfterEdit, so an erased receive
// frequency empties the row. List cells have no empty choice and are left
// alone, as is every cell the before-edit rules refuse. True when the cell
// was erased.
bool GridEraseCell(ChannelContext s, int r, int c);

// The channel popup menu for a right-click on cell (row, col).
struct ChannelPopup {
    bool show = false;               // false on row 0, column 0 or outside the channels
    QString openCaption;             // "Open channel 5"
    bool openEnabled = false;
    QString saveDefCaption;          // "Save as default"
    bool saveDefEnabled = false;
    QString delOneCaption;           // "Delete channel 5"
    bool delOneEnabled = false;
    QString delAllCaption;           // "Delete all channels"
    bool delAllEnabled = false;
    bool lockVisible = false;        // the lock entry and its separator
    QString lockCaption;             // "&Lock Channel Interface"
    bool lockChecked = false;
};
ChannelPopup ChannelPopupFor(const ChannelContext& s, int row, int col, bool lockCommandVisible);

// Popup commands; each does nothing where its menu entry would be disabled.
// Gives empty row n the default channel of the column definition.
void OpenChannel(ChannelContext s, int n);
// Stores channel n's fields as the column defaults, in memory and in the
// settings file (section "ChInfo", key base + 200 + (c-1)*50 + 2).
void SaveAsDefault(ChannelContext s, int n);
// Deletes channel n; the VFO row (100) is never deleted.
void DeleteChannel(ChannelContext s, int n);
// Deletes every channel except the VFO row.
void DeleteAllChannels(ChannelContext s);

} // namespace qm
