// The radio side of the clone protocol, as a byte-at-a-time state machine.
//
// The programming cable is a single-wire, half-duplex line: every byte the
// computer sends comes straight back to it (the echo), and the radio's answer
// follows once the radio has heard a whole command. This class knows nothing
// about ports or time; it is fed the received bytes one by one and says for
// each whether it is echoed and which answer (if any) follows it, and how
// late. Two lines carry it: PtyServer puts its bytes on a pseudo-terminal in
// real time (the qm570-sim program), SimLink hands them to the interpreter in
// memory on a virtual clock (the unit tests and the benchmark).
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
// possible start of a new frame. A block that does not lie wholly inside the
// memory is not answered.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qmsim {

constexpr std::size_t kRadioMemorySize = 8192;

// A partly received frame is forgotten when the line stays quiet this long.
constexpr int kFrameTimeoutMs = 250;

// The eight bytes that answer the 02 of the handshake. Nothing on the
// computer's side interprets them.
constexpr std::array<uint8_t, 8> kIdentBytes = {'Q', 'M', '5', '7', '0', ' ', ' ', ' '};

// The radio's refusal: sent instead of the acknowledgement 06.
constexpr uint8_t kRefuseByte = 0x15;

// A fault on the block that starts at one address. It strikes every time, or
// only the first `times` times when times > 0; `hits` counts the strikes.
struct BlockFault {
    uint16_t address = 0;
    int times = 0;
    int hits = 0;
};

// Faults the radio shows on request. "Answered frames" are numbered from 1 in
// the order they arrive and are every frame but the end frame (which awaits
// nothing), including frames the radio then leaves unanswered.
struct RadioFaults {
    // Deaf for the first N answered frames: no echo, no answer, no effect (a
    // radio that is switched off or not yet plugged in).
    int failFirst = 0;
    // No answer and no effect for these answered frames, or for every k-th
    // one; the cable still echoes them.
    std::vector<int> silentFrames;
    int silentEvery = 0;
    // Read replies of this block carry a wrong length byte (LL xor FF) ...
    std::optional<BlockFault> corruptLength;
    // ... or a wrong first data byte (xor FF), which the protocol cannot notice.
    std::optional<BlockFault> corruptData;
    // Reads and writes of this block are answered with the refusal byte 15
    // alone; a refused write stores nothing.
    std::optional<BlockFault> refuseBlock;
    // A write block that covers this address stores the wrong value there
    // (the byte sent xor FF) and still acknowledges: a weak memory cell.
    std::optional<uint16_t> corruptStore;
    // Every answer starts this many milliseconds after the frame's last byte.
    int replyDelayMs = 0;
    // false: the cable does not echo (answers still come).
    bool echo = true;
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
    int replyDelayMs = 0;       // ... this late
    FrameKind frame = FrameKind::None;
    int frameNumber = 0;        // answered frame: its number (see RadioFaults)
    bool ignored = false;       // frame complete but not answered (deaf, silent, or outside the memory)
    std::string fault;          // the fault that shaped this answer ("" for none)
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
    explicit SimRadio(std::vector<uint8_t> memory = {}, RadioFaults faults = {});

    // One received byte.
    StepResult receive(uint8_t byte);

    // Puts the radio in programming mode as if it had heard the handshake,
    // for callers that start in the middle of a transfer.
    void beginSession() { inSession_ = true; }

    // True while part of a frame has been received.
    bool midFrame() const { return state_ != State::Idle; }
    // Forgets a partly received frame (the line has gone quiet in the middle
    // of it). Returns true if there was one.
    bool abandonFrame();

    // The EEPROM. Tests may change it between frames; its size stays fixed.
    const std::vector<uint8_t>& memory() const { return memory_; }
    uint8_t& at(std::size_t address) { return memory_.at(address); }

    // The faults may be changed between frames.
    RadioFaults& faults() { return faults_; }
    const RadioFaults& faults() const { return faults_; }

    bool inSession() const { return inSession_; }
    int endFrames() const { return endFrames_; }
    int answeredFrames() const { return answeredFrames_; }
    int blocksReadInSession() const { return blocksRead_; }
    int blocksWrittenInSession() const { return blocksWritten_; }
    int blocksRead() const { return totalBlocksRead_; }       // since the start
    int blocksWritten() const { return totalBlocksWritten_; } // since the start
    // Clock set by the last set-time frame: BCD bytes hh mm ss, as sent.
    std::optional<std::array<uint8_t, 3>> clock() const { return clock_; }

    // One-line description of a step for the log ("" when nothing to say).
    static std::string describe(const StepResult& r);

private:
    enum class State { Idle, Sequence, BlockHeader, WriteData, TimeBytes };

    StepResult startFrame(uint8_t byte);
    StepResult finish();
    bool silenced(int frameNumber) const;
    bool blockFits(uint16_t address, uint8_t length) const;
    bool turnedAway(StepResult& r, uint16_t address, uint8_t length);
    void answerRead(StepResult& r, uint16_t address, uint8_t length);
    void answerWrite(StepResult& r, uint16_t address, uint8_t length);

    std::vector<uint8_t> memory_;
    RadioFaults faults_;

    State state_ = State::Idle;
    FrameKind frame_ = FrameKind::None;   // frame being received
    const uint8_t* sequence_ = nullptr;   // fixed bytes being matched
    std::size_t sequenceLen_ = 0;
    std::size_t pos_ = 0;                 // bytes of the frame received so far
    std::array<uint8_t, 3> header_{};     // AH AL LL, or hh mm ss
    std::vector<uint8_t> data_;           // write block data

    int answeredFrames_ = 0;
    bool inSession_ = false;
    bool sessionWrote_ = false;
    int blocksRead_ = 0;
    int blocksWritten_ = 0;
    int totalBlocksRead_ = 0;
    int totalBlocksWritten_ = 0;
    int endFrames_ = 0;
    std::optional<std::array<uint8_t, 3>> clock_;
};

// Parses a fault's block argument "ADDR" or "ADDR:N" (ADDR hexadecimal, 0 to
// FFFF, with or without 0x; N at least 1). Returns false on anything else.
bool parseBlockFault(const std::string& text, BlockFault& out);

} // namespace qmsim
