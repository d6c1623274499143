// Channel memory module: channel table <-> image, grid definition, grid texts.
#pragma once

#include "shell/AppState.h"

namespace qm {

// Radio alphabet (codes 0..40), built once at start-up.
void GetValidCharTbl(AppState& s);

// Builds the channel window's content: ChInfoInitFace, GenCtdcsList,
// ReadChInfo, SetChGrid, InitChTable, in this order.
void InitChMem(AppState& s);

// 1 = decode the image into ChData/ChNameCode, 0 = encode them into the image.
void ChInfoSaveSol(AppState& s, int16_t mode);

// Writes the whole channel table into the grid texts.
void ShowChTblGrid(AppState& s);

// Refreshes every view from the image: channels, grid, options, options view.
void SoftDisplay(AppState& s);

} // namespace qm
