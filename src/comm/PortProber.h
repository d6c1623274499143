// Opens and closes one numbered serial port to see whether it can be used.
#pragma once

namespace qm {

class PortProber {
public:
    virtual ~PortProber() = default;
    // True when port (1..16) opened and closed without error.
    virtual bool probe(int port) = 0;
};

} // namespace qm
