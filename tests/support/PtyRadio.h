// The simulated radio on a pseudo-terminal, served on a thread of the test,
// for the serial-link and end-to-end tests that need to look at (or change)
// the radio while the programmer talks to it through a real port. Lock
// lock() around every look at radio(). Unix only.
#pragma once

#include "sim/PtyServer.h"
#include "sim/SimRadio.h"

#include <QString>

#include <mutex>
#include <thread>

namespace qmtest {

class PtyRadio {
public:
    explicit PtyRadio(std::vector<uint8_t> memory = {}) : radio_(std::move(memory)), server_(radio_)
    {
        if (server_.open(nullptr))
            thread_ = std::thread([this] { server_.run(); });
    }
    ~PtyRadio()
    {
        server_.stop();
        if (thread_.joinable())
            thread_.join();
    }
    bool ok() const { return thread_.joinable(); }
    QString path() const { return QString::fromStdString(server_.devicePath()); }
    std::mutex& lock() { return server_.mutex(); }
    qmsim::SimRadio& radio() { return radio_; }

private:
    qmsim::SimRadio radio_;
    qmsim::PtyServer server_;
    std::thread thread_;
};

} // namespace qmtest
