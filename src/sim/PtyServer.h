// A SimRadio on a pseudo-terminal, in real time: the line that qm570-sim
// serves, and that the serial-link tests reach through a real port.
//
// The server owns the terminal and the timing of the bytes on it. Every byte
// the programmer writes goes to the radio; its echo and the radio's answer go
// back on the terminal. Paced at a line rate, the bytes of one burst (the
// echo of what arrived, then the answer) leave at absolute deadlines: byte k
// of a burst that began at t is due at t + k x byte time (the answer's bytes
// after the radio's reply delay), so a late wake-up of this process delays
// one byte and never the bytes after it. The echo never waits for a late
// answer: bytes leave in the order of their deadlines. A frame left
// unfinished for kFrameTimeoutMs is forgotten.
#pragma once

#include "sim/SimRadio.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <utility>

namespace qmsim {

class PtyServer {
public:
    explicit PtyServer(SimRadio& radio);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Paces the bytes at this line rate, 10 bits a byte (0: no pacing).
    void setPaceBaud(long baud);
    // Called on the serving thread for every byte received, with the radio's
    // step for it; may call finish().
    std::function<void(uint8_t byte, const StepResult&)> onStep;
    // Log lines of the line itself: 1 normal, 2 verbose.
    std::function<void(int level, const std::string&)> log;
    // Also watches this descriptor; when it is readable, the handler runs on
    // the serving thread and the server stops at once if it returns true.
    void watch(int fd, std::function<bool()> onReadable);

    // Creates the terminal. On failure returns false with the reason.
    bool open(std::string* error);
    // The device path for the programmer, such as /dev/pts/3.
    const std::string& devicePath() const { return devicePath_; }

    // Serves until stop() or finish(); returns false when the terminal failed.
    bool run();
    // From any thread: ends run() at once; bytes not yet sent are dropped.
    void stop();
    // From the serving thread: ends run() once every queued byte is out.
    void finish() { finishing_ = true; }

    // Held while the radio is fed. Another thread locks it to look at or
    // change the radio (its memory, its faults) while the server runs.
    std::mutex& mutex() { return mutex_; }

    // How late this process put the last byte of each paced burst on the
    // line, against its deadline: the share of the transfer time that is
    // the simulator's, not the programmer's. Counted since the last call.
    struct Lateness {
        long bursts = 0;
        int64_t totalNs = 0;
        int64_t maxNs = 0;
    };
    Lateness takeLateness() { return std::exchange(lateness_, {}); }

private:
    struct Pending {
        uint8_t byte;
        int64_t due; // CLOCK_MONOTONIC ns
        bool lastOfBurst;
    };
    void onInput(const uint8_t* data, std::size_t n);
    int64_t queue(uint8_t byte, int64_t due);
    void sendDue();
    void readInput();
    void say(int level, const std::string& text) const
    {
        if (log)
            log(level, text);
    }

    SimRadio& radio_;
    std::mutex mutex_;
    int64_t byteNs_ = 0;      // line time of one byte (0 without pacing)
    int64_t echoStart_ = 0;   // when the current run of received bytes began
    int64_t echoBytes_ = 0;   // bytes of that run so far
    int64_t echoFree_ = 0;    // when its last byte ends
    int64_t answerStart_ = 0; // when the last answer queued begins
    int64_t answerFree_ = 0;  // when it ends
    int64_t lastInput_ = 0;
    std::deque<Pending> out_;
    int master_ = -1;
    int slave_ = -1;
    int stopFd_ = -1;
    int watchedFd_ = -1;
    std::function<bool()> onWatched_;
    std::string devicePath_;
    bool finishing_ = false;
    Lateness lateness_;
};

} // namespace qmsim
