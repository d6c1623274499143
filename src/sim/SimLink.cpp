#include "sim/SimLink.h"

#include "diag/QmError.h"

#include <algorithm>

namespace qmsim {

SimLink::SimLink(std::vector<uint8_t> memory, RadioFaults faults) : radio(std::move(memory), std::move(faults)) {}

int SimLink::countWrites(uint8_t first) const
{
    return static_cast<int>(std::count_if(writes.begin(), writes.end(), [&](const QByteArray& w) {
        return !w.isEmpty() && static_cast<uint8_t>(w[0]) == first;
    }));
}

bool SimLink::open(qm::Error* error)
{
    ++opens;
    if (failOpen) {
        if (error)
            *error = qm::Error{53, QStringLiteral("open port"), QStringLiteral("simulated port"),
                               QStringLiteral("no such device")};
        return false;
    }
    open_ = true;
    return true;
}

void SimLink::close()
{
    if (open_)
        ++closes;
    open_ = false;
}

// Empties the computer's input buffer. Bytes still on their way (a late
// answer) are not stopped by that: they arrive when they are due, as on a
// real line.
void SimLink::clearBuffers()
{
    ++clears;
    deliver();
    input_.clear();
}

void SimLink::write(const QByteArray& bytes)
{
    if (!open_)
        throw qm::QmError(5, QStringLiteral("send to port"), QStringLiteral("simulated port"), QStringLiteral("the port is not open"));
    if (onWrite)
        onWrite();
    const int writeNo = static_cast<int>(writes.size());
    writes << bytes;

    // A frame that broke off earlier is forgotten once the line has been
    // quiet long enough, as the radio does.
    if (radio.midFrame() && now_ - lastByteMs_ >= kFrameTimeoutMs)
        radio.abandonFrame();
    lastByteMs_ = now_;

    QByteArray answer;
    int delayMs = 0;
    for (const char c : bytes) {
        const StepResult r = radio.receive(static_cast<uint8_t>(c));
        if (r.echo)
            input_ += c;
        if (!r.reply.empty()) {
            answer.append(reinterpret_cast<const char*>(r.reply.data()), static_cast<qsizetype>(r.reply.size()));
            delayMs = std::max(delayMs, r.replyDelayMs);
        }
    }
    if (replyOverride)
        answer = replyOverride(writeNo, bytes, answer);
    if (!answer.isEmpty())
        inFlight_.push_back({now_ + delayMs, answer});
    deliver();
}

qint64 SimLink::bytesAvailable()
{
    deliver();
    return input_.size();
}

QByteArray SimLink::readAll()
{
    deliver();
    QByteArray r;
    r.swap(input_);
    return r;
}

void SimLink::waitMs(int ms)
{
    sleeps.push_back(ms);
    now_ += std::max(ms, 0);
    deliver();
}

void SimLink::waitForBytes(int ms)
{
    qint64 until = now_ + std::max(ms, 0);
    if (!inFlight_.empty())
        until = std::min(until, std::max(inFlight_.front().at, now_));
    waitedForBytesMs += until - now_;
    now_ = until;
    deliver();
}

void SimLink::deliver()
{
    // In the order they were sent: an answer never overtakes an earlier one.
    auto it = inFlight_.begin();
    for (; it != inFlight_.end() && it->at <= now_; ++it)
        input_ += it->bytes;
    inFlight_.erase(inFlight_.begin(), it);
}

} // namespace qmsim
