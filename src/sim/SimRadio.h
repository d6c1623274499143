// The radio side of the clone protocol, as a byte-at-a-time state machine.
//
// The programming cable is a single-wire, half-duplex line: every byte the
// computer sends comes straight back to it (the echo), and the radio's answer
// follows once the radio has heard a whole command. This class knows nothing
// about ports or time; it is fed the received bytes one by one and says for
// each whether it is echoed and which answer (if any) follows it. The
// simulator's main loop (main.cpp) puts those bytes on the pseudo-terminal and
// paces them; the tests drive the class directly.
//
// Frames the radio understands (hexadecimal bytes):
//   50 52 4F 47 52 41 4D  ("PROGRAM")   -> 06, starts a session
//   02                                  -> 8 identification bytes   (in a session)
//   06                                  -> 06                        (in a session)
//   52 AH AL LL                         -> 57 AH AL LL D1..DLL       (in a session)
//   57 AH AL LL D1..DLL                 -> 06, memory updated        (in a session)
//   55 79 97 A5 57 hh mm ss             -> 06, the clock is set
//   45 5A A5 32 23 45 F2                -> no answer, the session ends
// A byte that cannot start a frame is dropped. A fixed byte sequence that
// breaks off is dropped and the breaking byte is looked at afresh as the
// possible start of a new frame.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qmsim {

constexpr std::size_t kRadioMemorySize = 8192;

// The eight bytes that answer the 02 of the handshake. Nothing on the
// computer's side interprets them.
constexpr std::array<uint8_t, 8> kIdentBytes = {'Q', 'M', '5', '7', '0', ' ', ' ', ' '};

struct RadioFaults {
    int failFirst = 0;                    // stay deaf to this many frames that need an answer
    std::optional<uint16_t> corruptBlock; // read replies for this start address carry a wrong length byte
    bool echo = true;                     // false: answer, but never echo
};

// What happened when a frame was completed (or abandoned).
enum class FrameKind {
    None,       // no frame finished at this byte
    Handshake,  // PROGRAM
    Ident,      // 02
    Ack,        // 06
    ReadBlock,  // 52 ...
    WriteBlock, // 57 ...
    SetTime,    // 55 79 97 A5 57 ...
    End,        // 45 5A A5 32 23 45 F2
};

struct StepResult {
    bool echo = false;          // send the received byte back at once
    std::vector<uint8_t> reply; // the radio's answer, sent after the echo
    FrameKind frame = FrameKind::None;
    bool ignored = false;       // frame complete but not answered (deaf, or outside the memory)
    bool dropped = false;       // this byte (or a broken-off sequence ending here) was dropped
    uint16_t address = 0;       // read/write block: start address
    uint8_t length = 0;         // read/write block: LL
    bool sessionWrote = false;  // End: the session that just ended wrote at least one block
    int sessionBlocksRead = 0;  // End: blocks the ended session read
    int sessionBlocksWritten = 0; // End: blocks the ended session wrote
};

class SimRadio {
public:
    // memory is padded with 0xFF or cut to kRadioMemorySize bytes.
    explicit SimRadio(std::vector<uint8_t> memory, RadioFaults faults = {});

    // One received byte.
    StepResult receive(uint8_t byte);

    // True while part of a frame has been received.
    bool midFrame() const { return state_ != State::Idle; }
    // Forgets a partly received frame (the line has gone quiet in the middle
    // of it). Returns true if there was one.
    bool abandonFrame();

    const std::vector<uint8_t>& memory() const { return memory_; }
    bool inSession() const { return inSession_; }
    int endFrames() const { return endFrames_; }
    int failuresLeft() const { return failuresLeft_; }
    int blocksReadInSession() const { return blocksRead_; }
    int blocksWrittenInSession() const { return blocksWritten_; }
    // Clock set by the last set-time frame: BCD bytes hh mm ss, as sent.
    std::optional<std::array<uint8_t, 3>> clock() const { return clock_; }

    // One-line description of a step for the log ("" when nothing to say).
    static std::string describe(const StepResult& r);

private:
    enum class State { Idle, Sequence, BlockHeader, WriteData, TimeBytes };

    StepResult startFrame(uint8_t byte);
    StepResult finish(StepResult r);
    bool blockFits(uint16_t address, uint8_t length) const;

    std::vector<uint8_t> memory_;
    RadioFaults faults_;
    int failuresLeft_ = 0;

    State state_ = State::Idle;
    FrameKind frame_ = FrameKind::None;   // frame being received
    const uint8_t* sequence_ = nullptr;   // fixed bytes being matched
    std::size_t sequenceLen_ = 0;
    std::size_t pos_ = 0;                 // bytes of the frame received so far
    std::array<uint8_t, 3> header_{};     // AH AL LL, or hh mm ss
    std::vector<uint8_t> data_;           // write block data

    bool inSession_ = false;
    bool sessionWrote_ = false;
    int blocksRead_ = 0;
    int blocksWritten_ = 0;
    int endFrames_ = 0;
    std::optional<std::array<uint8_t, 3>> clock_;
};

} // namespace qmsim
