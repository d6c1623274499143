// An in-memory line to a SimRadio: the program's CommLink on a virtual
// clock (microseconds), for the interpreter and transfer tests and the
// benchmark. Waits move the clock instead of sleeping, so a reply time-out
// costs no real time. The radio decides the echo, the answer and how late it
// comes (its RadioFaults); the link adds what only a port can do: fail to
// open, fail a write (a hook that throws), hand back a reply of the caller's
// choosing in place of the radio's, and, when paced, deliver every byte at
// its line time, with a pause in the middle of an answer if asked.
#pragma once

#include "comm/CommLink.h"
#include "sim/SimRadio.h"

#include <QByteArray>
#include <QList>

#include <functional>
#include <vector>

namespace qmsim {

class SimLink : public qm::CommLink {
public:
    explicit SimLink(std::vector<uint8_t> memory = {}, RadioFaults faults = {});

    // The radio at the other end of the line.
    SimRadio radio;

    // Faults of the port itself.
    bool failOpen = false;         // open() fails with error 53
    std::function<void()> onWrite; // runs before every write; may throw (a port error)
    // Replaces the radio's answer to a write: called with the number of the
    // write (from 0), the frame and the radio's answer (empty when it stayed
    // silent); what it returns arrives instead, after the radio's reply delay.
    std::function<QByteArray(int writeNo, const QByteArray& frame, const QByteArray& answer)> replyOverride;
    // How late the override's answer starts after the frame's last byte
    // (-1: the radio's reply delay, which it has only when it answered).
    int overrideDelayMs = -1;
    // Line rate in baud (10 bits a byte; 0: every byte is there at once).
    // Paced, the echo of byte k of a frame arrives (k + 1) byte times after
    // the write, and the answer's bytes follow the frame's last byte one
    // after the other, after the radio's reply delay.
    long paceBaud = 0;
    // Paced or not, the line falls quiet for stallMs after the first
    // stallAfter bytes of every answer (-1: never).
    int stallAfter = -1;
    int stallMs = 0;

    // What the computer's side did.
    QList<QByteArray> writes;      // every frame written
    int opens = 0;
    int closes = 0;
    int clears = 0;
    std::vector<int> sleeps;       // the argument of every waitMs
    qint64 waitedForBytesMs = 0;   // virtual time spent in waitForBytes and sleepUs
    int byteWaits = 0;             // calls of waitForBytes and sleepUs (wake-ups while awaiting a reply)
    // Number of frames written that start with the byte `first`.
    int countWrites(uint8_t first) const;

    bool open(qm::Error* error) override;
    void close() override;
    bool isOpen() const override { return open_; }
    void clearBuffers() override;
    void write(const QByteArray& bytes) override;
    qint64 bytesAvailable() override;
    QByteArray readAll() override;
    void waitMs(int ms) override;
    void waitForBytes(int ms) override;
    void sleepUs(qint64 us) override;
    qint64 nowMs() override { return now_ / 1000; }
    qint64 nowUs() override { return now_; }

private:
    struct InFlight {
        qint64 at; // virtual us at which the bytes reach the input buffer
        QByteArray bytes;
    };
    void send(qint64 at, QByteArray bytes);
    void deliver();
    void waited(qint64 us);

    bool open_ = false;
    qint64 now_ = 0;        // virtual clock, us
    qint64 waitedUs_ = 0;
    qint64 lastByteMs_ = 0; // when the radio last heard a byte
    QByteArray input_;
    std::vector<InFlight> inFlight_;
};

} // namespace qmsim
