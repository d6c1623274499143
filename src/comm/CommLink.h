// The byte link between the protocol interpreter and the radio: a serial
// port in the program, an in-memory radio in the tests. The interpreter only
// ever empties the buffers, writes one frame, counts and reads the bytes that
// came back and waits; everything else about the port lives behind this.
#pragma once

#include "diag/QmError.h"

#include <QByteArray>
#include <QString>

namespace qm {

class CommLink {
public:
    virtual ~CommLink() = default;

    // Opens the link at 9600 baud, 8 data bits, no parity, 1 stop bit, no
    // handshaking. On failure returns false with the error (53 device
    // missing, 75 access/busy; action "open port", the device, the system's
    // reason) in *error.
    virtual bool open(Error* error) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Discards bytes not yet sent and bytes received but not yet read.
    virtual void clearBuffers() = 0;
    // Queues the whole frame for sending in one write. Throws QmError on a
    // port error.
    virtual void write(const QByteArray& bytes) = 0;
    // Number of received bytes waiting to be read.
    virtual qint64 bytesAvailable() = 0;
    // Every waiting byte, removed from the input.
    virtual QByteArray readAll() = 0;

    // Waits ms milliseconds (the gap before an exchange, the pause before a
    // retry). Never returns early, never burns a core.
    virtual void waitMs(int ms) = 0;
    // Waits at most ms milliseconds for received bytes; returns as soon as
    // new bytes are there. Throws QmError when the port has gone away.
    virtual void waitForBytes(int ms) = 0;
    // Sleeps us microseconds without looking at the line: bytes that arrive
    // meanwhile wait in the input buffer. The interpreter sleeps through the
    // line time of a reply that is on its way instead of waking for each of
    // its bytes.
    virtual void sleepUs(qint64 us) { waitMs(static_cast<int>((us + 999) / 1000)); }
    // The pause of ms milliseconds before an exchange. sinceUs (on nowUs) is
    // when the line last fell quiet, the moment the previous reply was all
    // in, or -1 when that is not known: a link on a real line then waits
    // until ms after that moment, so the work done since the reply is not
    // added to the pause; the radio still hears nothing for ms after its
    // reply. The in-memory link waits the whole pause.
    virtual void waitGapMs(int ms, qint64 sinceUs)
    {
        (void)sinceUs;
        waitMs(ms);
    }
    // A monotonic millisecond clock (the reply time-outs are measured on it).
    virtual qint64 nowMs() = 0;
    // The same clock in microseconds (how fast the bytes of a reply come in).
    virtual qint64 nowUs() { return nowMs() * 1000; }
};

} // namespace qm
