// Copy and paste in the channel grid, and setting one value on many cells:
// the grid's cells as tab-separated text (what spreadsheets put on the
// clipboard and take from it), and pasted text applied cell by cell through
// the grid's own entry rules (GridAfterEdit), as if each cell were typed.
#pragma once

#include "channels/ChannelContext.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace qm {

// A grid cell: channel row 1..N, data column 1..C.
struct GridCell {
    int row = 0;
    int col = 0;
    bool operator==(const GridCell&) const = default;
};

// The cell texts as the grid shows them, as tab-separated lines (no line
// break after the last): the rectangle spanned by cells, a cell of the
// rectangle that is not among cells giving an empty text.
QString GridCopyText(const ChannelContext& s, const std::vector<GridCell>& cells);

// Tab-separated text as rows of cells. Lines end with CRLF, LF or CR; one
// line break at the very end does not start another row. A cell in double
// quotes may hold tabs, line breaks and "" for a quote (spreadsheets quote
// such cells); a quote elsewhere is text.
std::vector<QStringList> ParseTabText(const QString& text);

// One pasted text and the cell it goes to.
struct PasteCell {
    GridCell at;
    QString text;
};

// Where pasted rows go: a single value goes into every selected cell (or the
// current cell without a selection); a block starts at the top-left
// selected cell (or the current cell) and is cut at the grid's last row and
// column. Sorted by row, then column, so that a receive frequency makes its
// channel before the row's other cells are entered.
std::vector<PasteCell> PastePlan(const std::vector<QStringList>& rows, const std::vector<GridCell>& selection, GridCell current,
                                 int lastRow, int lastCol);

// What a paste did: how many cells changed and why the others were refused
// ("RX Freq 5: "abc" is not a frequency").
struct PasteOutcome {
    int changed = 0;
    QStringList refused;
};

// Enters one text into cell (r, c) as if typed: a text the cell already
// shows changes nothing; in a frequency or name cell the text goes to
// GridAfterEdit (an empty one erases, as the Delete key does); in a list
// column the text must be one of the column's choices (the same text in
// other letter case, or the same number, counts), an empty one changes
// nothing. A cell the before-edit rules refuse (locked, an empty row beyond
// its receive frequency, encode signalling without a transmit frequency)
// is not changed. Returns the reason when the text was not taken, else "".
QString GridEnterText(ChannelContext s, int r, int c, const QString& text);

// Enters every planned text, in the plan's order.
PasteOutcome GridPaste(ChannelContext s, const std::vector<PasteCell>& plan);

} // namespace qm
