// The interpreter and transfer tests talk to the simulated radio through the
// in-memory link of the simulator library.
#pragma once

#include "sim/SimLink.h"

namespace qmtest {
using FakeLink = qmsim::SimLink;
} // namespace qmtest
