// Start-up and exit of the program, as procedures that run without a screen.
#pragma once

#include "shell/AppState.h"

namespace qm {

// The state the command-line tool and the simulator start from: the program's
// state after its normal start-up (settings read, template loaded and decoded,
// option selections = their defaults), but the settings file is only read,
// never written: no first-run handling, no language detection, no port probe.
// Returns false (with a one-line reason in *error) when the start-up failed.
bool startupForTool(AppState& s, const QString& home, QString* error);

} // namespace qm
