// The value side of the optional-features window: what showing OptSel in the
// window's lists and boxes does to OptSel (out-of-range values replaced by
// their defaults and reported), kept in AppState::optView.
#pragma once

#include "shell/AppState.h"

namespace qm {

// Fills every list and shows OptSel (the window's InitOpt).
void InitOpt(AppState& s);

} // namespace qm
