// Protocol scripts and their interpreter.
#pragma once

#include "shell/AppState.h"

namespace qm {

// Rebuilds the read and write script lists from the address ranges.
void InitProtocol(AppState& s);

} // namespace qm
