// The rules of editing the channel grid, as model operations that the channel
// window and the CSV import both use. Rows are channels 1..N, columns 1..C.
#pragma once

#include "shell/AppState.h"

namespace qm {

// Whether a cell may be edited now (the before-edit rules: lock, empty
// channel only in column 1, column 4 only with a transmit frequency...).
bool GridCanEdit(AppState& s, int row, int col);

// The choices of a list column ("|"-separated), empty for free-text columns.
QString GridColumnList(AppState& s, int col);

// Applies the text the user typed (or picked from the column's list) into
// cell (row, col): the after-edit rules (snapping, limits, colours, filling a
// new channel with defaults, name normalisation, list index).
void GridAfterEdit(AppState& s, int row, int col, const QString& text);

} // namespace qm
