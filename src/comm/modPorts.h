// Port numbers, port probing and the automatic port choice.
//
// Port table (numbers 1..16 -> device), overridable per number by the key
// "Port<n>" of section "Setting" (for example Port3=/dev/ttyACM0):
//   Linux and other Unix systems
//     1..8   /dev/ttyUSB0 .. /dev/ttyUSB7   USB-serial programming cables
//                                           (FTDI, PL2303, CH340, CP210x)
//     9..12  /dev/ttyACM0 .. /dev/ttyACM3   USB CDC-ACM cables
//     13..16 /dev/ttyS0   .. /dev/ttyS3     built-in RS-232 ports
//   Windows
//     n      COMn
#pragma once

#include "comm/CommLink.h"
#include "comm/PortProber.h"
#include "comm/CommContext.h"

#include <memory>

namespace qm {

constexpr int kPortCount = 16;

// The device of port number n from the built-in table ("" outside 1..16).
QString DefaultPortDevice(int port);
// The device of port number n: the "Port<n>" override of the settings file,
// else the built-in table ("" outside 1..16).
QString PortDevicePath(const Settings& s, int port);

// Probes one port and records the outcome in PortAvail (1 usable, -1 not).
void VerdictCom(CommContext s, PortProber& prober, int port);
// Probes ports 1..16 in ascending order.
void EnableCOM(CommContext s, PortProber& prober);
// Probes ports 1..16 and takes the first usable one (writes key COM).
void AutoSetPort(CommContext s, PortProber& prober);
// Start-up check: probes the configured port COM and, when it cannot be
// used, chooses one automatically.
void CheckStartupPort(CommContext s, PortProber& prober);

} // namespace qm
