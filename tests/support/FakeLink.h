// An in-memory link with a radio behind it, for the interpreter and transfer
// tests. The radio answers the clone protocol from its own 8 KiB memory; the
// link echoes every frame (unless told not to) and runs on a virtual clock,
// so time-outs cost no real time. Faults are scripted with `tamper`.
#pragma once

#include "comm/CommLink.h"

#include <QByteArray>
#include <QList>
#include <algorithm>
#include <functional>
#include <stdexcept>
#include <vector>

namespace qmtest {

// The radio's side of the protocol.
struct FakeRadio {
    std::vector<uint8_t> mem = std::vector<uint8_t>(0x2000, 0x00);
    QByteArray ident = QByteArray::fromHex("5155353730000102"); // answer to 02
    QList<QByteArray> frames;    // every frame received
    QByteArray setTime;          // hh mm ss of the last set-time frame
    int endFrames = 0;
    int blockReads = 0, blockWrites = 0;

    static const QByteArray& programWord()
    {
        static const QByteArray w("PROGRAM");
        return w;
    }
    static const QByteArray& endFrame()
    {
        static const QByteArray e = QByteArray::fromHex("455AA5322345F2");
        return e;
    }

    // The answer to one whole frame (empty = the radio stays silent).
    QByteArray respond(const QByteArray& f)
    {
        frames << f;
        const auto u = [&](int i) { return static_cast<uint8_t>(f[i]); };
        if (f == programWord())
            return QByteArray(1, 0x06);
        if (f.size() == 1 && u(0) == 0x02)
            return ident;
        if (f.size() == 1 && u(0) == 0x06)
            return QByteArray(1, 0x06);
        if (f.size() == 8 && f.startsWith(QByteArray::fromHex("557997A557"))) {
            setTime = f.mid(5);
            return QByteArray(1, 0x06);
        }
        if (f == endFrame()) {
            ++endFrames;
            return {};
        }
        if (f.size() == 4 && u(0) == 0x52) {
            const int addr = (u(1) << 8) | u(2), n = u(3);
            QByteArray r = f;
            r[0] = 0x57;
            for (int i = 0; i < n; ++i)
                r.append(static_cast<char>(mem[static_cast<size_t>((addr + i) % static_cast<int>(mem.size()))]));
            ++blockReads;
            return r;
        }
        if (f.size() >= 4 && u(0) == 0x57 && f.size() == 4 + u(3)) {
            const int addr = (u(1) << 8) | u(2), n = u(3);
            for (int i = 0; i < n; ++i)
                mem[static_cast<size_t>((addr + i) % static_cast<int>(mem.size()))] = u(4 + i);
            ++blockWrites;
            return QByteArray(1, 0x06);
        }
        return {};
    }

    // Length of the frame at the start of a byte stream (0 = need more
    // bytes, -1 = not a frame start: drop one byte).
    static int frameLength(const QByteArray& b)
    {
        if (b.isEmpty())
            return 0;
        const auto u0 = static_cast<uint8_t>(b[0]);
        int len = -1;
        switch (u0) {
        case 0x50: len = 7; break;
        case 0x02:
        case 0x06: len = 1; break;
        case 0x52: len = 4; break;
        case 0x55: len = 8; break;
        case 0x45: len = 7; break;
        case 0x57:
            if (b.size() < 4)
                return 0;
            len = 4 + static_cast<uint8_t>(b[3]);
            break;
        default: return -1;
        }
        return b.size() >= len ? len : 0;
    }
};

class FakeLink : public qm::CommLink {
public:
    FakeRadio radio;
    bool echo = true;
    bool failOpen = false;
    int replyDelayMs = 0;  // the answer arrives this long after the frame
    // Called with the number of the write (0-based), the frame and the
    // radio's answer; returns what is really sent back.
    std::function<QByteArray(int writeNo, const QByteArray& frame, const QByteArray& answer)> tamper;
    std::function<void()> onWrite; // may throw to simulate a port error

    // Observations.
    QList<QByteArray> writes;
    int opens = 0, closes = 0, clears = 0;
    bool open_ = false;
    qint64 now = 0;
    std::vector<int> sleeps;         // waitMs calls
    qint64 waitedForBytesMs = 0;

    bool open(qm::Error* error) override
    {
        ++opens;
        if (failOpen) {
            if (error)
                *error = qm::Error{53, QStringLiteral("open port"), QStringLiteral("fake"), QStringLiteral("no such port")};
            return false;
        }
        open_ = true;
        return true;
    }
    void close() override
    {
        if (open_)
            ++closes;
        open_ = false;
    }
    bool isOpen() const override { return open_; }
    void clearBuffers() override
    {
        ++clears;
        input_.clear();
        pending_.clear();
    }
    void write(const QByteArray& bytes) override
    {
        if (!open_)
            throw std::runtime_error("fake link not open");
        if (onWrite)
            onWrite();
        const int no = static_cast<int>(writes.size());
        writes << bytes;
        if (echo)
            input_ += bytes;
        QByteArray answer = radio.respond(bytes);
        if (tamper)
            answer = tamper(no, bytes, answer);
        if (!answer.isEmpty())
            pending_.push_back({now + replyDelayMs, answer});
        deliver();
    }
    qint64 bytesAvailable() override
    {
        deliver();
        return input_.size();
    }
    QByteArray readAll() override
    {
        deliver();
        QByteArray r = input_;
        input_.clear();
        return r;
    }
    void waitMs(int ms) override
    {
        sleeps.push_back(ms);
        now += std::max(ms, 0);
        deliver();
    }
    void waitForBytes(int ms) override
    {
        qint64 until = now + std::max(ms, 0);
        for (const auto& p : pending_)
            until = std::min(until, std::max(p.at, now));
        waitedForBytesMs += until - now;
        now = until;
        deliver();
    }
    qint64 nowMs() override { return now; }

    // Frames of the given first byte that were sent.
    int countWrites(uint8_t first) const
    {
        return static_cast<int>(std::count_if(writes.begin(), writes.end(), [&](const QByteArray& w) {
            return !w.isEmpty() && static_cast<uint8_t>(w[0]) == first;
        }));
    }

private:
    struct Pending {
        qint64 at;
        QByteArray bytes;
    };
    void deliver()
    {
        for (auto it = pending_.begin(); it != pending_.end();) {
            if (it->at <= now) {
                input_ += it->bytes;
                it = pending_.erase(it);
            } else {
                ++it;
            }
        }
    }
    QByteArray input_;
    std::vector<Pending> pending_;
};

} // namespace qmtest
