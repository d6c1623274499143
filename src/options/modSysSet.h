// Optional-features codec: OptSel <-> image, defaults in the settings file.
#pragma once

#include "shell/AppState.h"

namespace qm {

// 0 = encode OptSel into the image, 1 = decode the image into OptSel.
void OptSelSaveSol(AppState& s, int16_t mode);

// 0 = load OptDef and OptSel from the settings file; 2 = OptSel := OptDef and
// store OptSel in the settings file.
void OptNowDefSol(AppState& s, int16_t mode);

} // namespace qm
