// Port probing and the automatic port choice.
#pragma once

#include "comm/PortProber.h"
#include "shell/AppState.h"

namespace qm {

// Probes one port and records the outcome in PortAvail (1 usable, -1 not).
void VerdictCom(AppState& s, PortProber& prober, int port);
// Probes ports 1..16 and takes the first usable one (writes key COM).
void AutoSetPort(AppState& s, PortProber& prober);

} // namespace qm
