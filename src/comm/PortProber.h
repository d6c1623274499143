// Opens and closes one numbered serial port to see whether it can be used.
#pragma once

#include <memory>

namespace qm {

struct Settings;

class PortProber {
public:
    virtual ~PortProber() = default;
    // True when port (1..16) opened and closed without error.
    virtual bool probe(int port) = 0;
};

// The prober for this computer's real serial ports (numbers mapped to device
// paths by the port table, with per-number overrides in the settings file,
// which must outlive the prober).
std::unique_ptr<PortProber> makeSystemPortProber(const Settings& s);

} // namespace qm
