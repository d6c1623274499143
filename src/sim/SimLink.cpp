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
    const qint64 nowMs = now_ / 1000;
    if (radio.midFrame() && nowMs - lastByteMs_ >= kFrameTimeoutMs)
        radio.abandonFrame();
    lastByteMs_ = nowMs;

    const qint64 byteUs = paceBaud > 0 ? 10'000'000 / paceBaud : 0;
    QByteArray answer;
    int delayMs = 0;
    qint64 k = 0;
    for (const char c : bytes) {
        const StepResult r = radio.receive(static_cast<uint8_t>(c));
        ++k;
        if (r.echo) {
            if (byteUs > 0)
                send(now_ + k * byteUs, QByteArray(1, c));
            else
                input_ += c;
        }
        if (!r.reply.empty()) {
            answer.append(reinterpret_cast<const char*>(r.reply.data()), static_cast<qsizetype>(r.reply.size()));
            delayMs = std::max(delayMs, r.replyDelayMs);
        }
    }
    if (replyOverride) {
        answer = replyOverride(writeNo, bytes, answer);
        if (overrideDelayMs >= 0)
            delayMs = overrideDelayMs;
    }
    // The answer follows the frame's last byte on the line.
    qint64 at = now_ + k * byteUs + qint64(delayMs) * 1000;
    for (qsizetype j = 0; j < answer.size();) {
        if (j == stallAfter)
            at += qint64(stallMs) * 1000;
        // Unpaced, the bytes up to the pause (or the end) arrive together.
        const qsizetype piece = byteUs > 0 ? 1 : (j < stallAfter ? stallAfter - j : answer.size() - j);
        at += byteUs;
        send(at, answer.mid(j, piece));
        j += piece;
    }
    deliver();
}

// Puts bytes on their way, arriving at `at`; bytes due at the same time keep
// the order in which they were sent.
void SimLink::send(qint64 at, QByteArray bytes)
{
    const auto pos = std::upper_bound(inFlight_.begin(), inFlight_.end(), at,
                                      [](qint64 t, const InFlight& f) { return t < f.at; });
    inFlight_.insert(pos, {at, std::move(bytes)});
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
    now_ += qint64(std::max(ms, 0)) * 1000;
    deliver();
}

void SimLink::waitForBytes(int ms)
{
    qint64 until = now_ + qint64(std::max(ms, 0)) * 1000;
    if (!inFlight_.empty())
        until = std::min(until, std::max(inFlight_.front().at, now_));
    waited(until - now_);
}

void SimLink::sleepUs(qint64 us)
{
    waited(std::max<qint64>(us, 0));
}

void SimLink::waited(qint64 us)
{
    ++byteWaits;
    waitedUs_ += us;
    waitedForBytesMs = waitedUs_ / 1000;
    now_ += us;
    deliver();
}

void SimLink::deliver()
{
    // In the order of their arrival times: an answer never overtakes an
    // earlier one.
    auto it = inFlight_.begin();
    for (; it != inFlight_.end() && it->at <= now_; ++it)
        input_ += it->bytes;
    inFlight_.erase(inFlight_.begin(), it);
}

} // namespace qmsim
