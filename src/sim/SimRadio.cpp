#include "sim/SimRadio.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

namespace qmsim {

namespace {

constexpr uint8_t kProgram[] = {0x50, 0x52, 0x4F, 0x47, 0x52, 0x41, 0x4D};
constexpr uint8_t kSetTimePrefix[] = {0x55, 0x79, 0x97, 0xA5, 0x57};
constexpr uint8_t kEnd[] = {0x45, 0x5A, 0xA5, 0x32, 0x23, 0x45, 0xF2};

constexpr uint8_t kAck = 0x06;
constexpr uint8_t kIdentRequest = 0x02;
constexpr uint8_t kReadCmd = 0x52;
constexpr uint8_t kWriteCmd = 0x57;

std::string hex(const std::vector<uint8_t>& bytes, std::size_t max = 8)
{
    std::string s;
    char buf[4];
    for (std::size_t i = 0; i < bytes.size() && i < max; ++i) {
        std::snprintf(buf, sizeof buf, "%02X ", bytes[i]);
        s += buf;
    }
    if (bytes.size() > max)
        s += "...";
    else if (!s.empty())
        s.pop_back();
    return s;
}

} // namespace

SimRadio::SimRadio(std::vector<uint8_t> memory, RadioFaults faults)
    : memory_(std::move(memory))
    , faults_(std::move(faults))
{
    memory_.resize(kRadioMemorySize, 0xFF);
}

bool SimRadio::abandonFrame()
{
    const bool had = state_ != State::Idle;
    state_ = State::Idle;
    frame_ = FrameKind::None;
    pos_ = 0;
    data_.clear();
    return had;
}

bool SimRadio::blockFits(uint16_t address, uint8_t length) const
{
    return address < memory_.size() && std::size_t(address) + length <= memory_.size();
}

StepResult SimRadio::receive(uint8_t byte)
{
    // The echo is the line itself, so it does not depend on the frame; only a
    // radio that plays deaf (or a cable without echo) stays quiet.
    const bool echo = faults_.echo && answeredFrames_ >= faults_.failFirst;
    StepResult r;

    switch (state_) {
    case State::Idle:
        r = startFrame(byte);
        break;

    case State::Sequence:
        if (byte == sequence_[pos_]) {
            if (++pos_ == sequenceLen_) {
                if (frame_ == FrameKind::SetTime) {
                    state_ = State::TimeBytes;
                    pos_ = 0;
                } else {
                    r = finish();
                }
            }
        } else {
            // The sequence broke off: drop what came so far and look at this
            // byte as the start of a new frame.
            abandonFrame();
            r = startFrame(byte);
            r.dropped = true;
        }
        break;

    case State::BlockHeader:
        header_[pos_++] = byte;
        if (pos_ == 3) {
            if (frame_ == FrameKind::WriteBlock && header_[2] > 0) {
                state_ = State::WriteData;
                data_.clear();
            } else {
                r = finish();
            }
        }
        break;

    case State::WriteData:
        data_.push_back(byte);
        if (data_.size() == header_[2])
            r = finish();
        break;

    case State::TimeBytes:
        header_[pos_++] = byte;
        if (pos_ == 3)
            r = finish();
        break;
    }

    r.echo = echo;
    return r;
}

StepResult SimRadio::startFrame(uint8_t byte)
{
    StepResult r;
    pos_ = 1;
    // Frames made of fixed bytes: recognised by their first byte, matched to the end.
    struct Fixed {
        const uint8_t* bytes;
        std::size_t len;
        FrameKind kind;
    };
    static constexpr Fixed kFixed[] = {
        {kProgram, sizeof kProgram, FrameKind::Handshake},
        {kSetTimePrefix, sizeof kSetTimePrefix, FrameKind::SetTime},
        {kEnd, sizeof kEnd, FrameKind::End},
    };
    for (const Fixed& f : kFixed) {
        if (byte == f.bytes[0]) {
            state_ = State::Sequence;
            frame_ = f.kind;
            sequence_ = f.bytes;
            sequenceLen_ = f.len;
            return r;
        }
    }

    // The remaining commands mean something only after the handshake.
    if (inSession_) {
        switch (byte) {
        case kIdentRequest:
            frame_ = FrameKind::Ident;
            return finish();
        case kAck:
            frame_ = FrameKind::Ack;
            return finish();
        case kReadCmd:
        case kWriteCmd:
            state_ = State::BlockHeader;
            frame_ = byte == kReadCmd ? FrameKind::ReadBlock : FrameKind::WriteBlock;
            pos_ = 0;
            return r;
        default:
            break;
        }
    }
    pos_ = 0;
    r.dropped = true;
    return r;
}

namespace {

// True (and counted) when the fault is set for this block and has strikes left.
bool strikes(std::optional<BlockFault>& fault, uint16_t address)
{
    if (!fault || fault->address != address || (fault->times > 0 && fault->hits >= fault->times))
        return false;
    ++fault->hits;
    return true;
}

} // namespace

bool SimRadio::silenced(int frameNumber) const
{
    if (faults_.silentEvery > 0 && frameNumber % faults_.silentEvery == 0)
        return true;
    return std::find(faults_.silentFrames.begin(), faults_.silentFrames.end(), frameNumber)
           != faults_.silentFrames.end();
}

// A whole frame (frame_) has arrived: answer it.
StepResult SimRadio::finish()
{
    StepResult r;
    r.frame = frame_;
    const uint16_t address = uint16_t(header_[0] << 8 | header_[1]);
    const uint8_t length = header_[2];
    if (r.frame == FrameKind::ReadBlock || r.frame == FrameKind::WriteBlock) {
        r.address = address;
        r.length = length;
    }
    state_ = State::Idle;
    frame_ = FrameKind::None;
    pos_ = 0;

    if (r.frame == FrameKind::End) {
        // Nothing is awaited after the end frame, so it is heard even by a
        // radio that plays deaf, and it is not counted as an answered frame.
        r.sessionWrote = sessionWrote_;
        r.sessionBlocksRead = blocksRead_;
        r.sessionBlocksWritten = blocksWritten_;
        inSession_ = false;
        sessionWrote_ = false;
        blocksRead_ = 0;
        blocksWritten_ = 0;
        ++endFrames_;
        data_.clear();
        return r;
    }

    r.frameNumber = ++answeredFrames_;
    if (r.frameNumber <= faults_.failFirst || silenced(r.frameNumber)) {
        r.ignored = true;
        r.fault = r.frameNumber <= faults_.failFirst ? "deaf" : "silent";
        data_.clear();
        return r;
    }

    switch (r.frame) {
    case FrameKind::Handshake:
        inSession_ = true;
        r.reply = {kAck};
        break;
    case FrameKind::Ident:
        r.reply.assign(kIdentBytes.begin(), kIdentBytes.end());
        break;
    case FrameKind::Ack:
        r.reply = {kAck};
        break;
    case FrameKind::SetTime:
        clock_ = header_;
        r.reply = {kAck};
        break;
    case FrameKind::ReadBlock:
        answerRead(r, address, length);
        break;
    case FrameKind::WriteBlock:
        answerWrite(r, address, length);
        break;
    case FrameKind::None:
    case FrameKind::End:
        break;
    }
    if (!r.reply.empty())
        r.replyDelayMs = std::max(faults_.replyDelayMs, 0);
    data_.clear();
    return r;
}

// A block outside the memory gets no answer; a refused one gets the refusal
// byte. Either way the block is not read or written.
bool SimRadio::turnedAway(StepResult& r, uint16_t address, uint8_t length)
{
    if (!blockFits(address, length)) {
        r.ignored = true;
        r.fault = "outside the memory";
        return true;
    }
    if (strikes(faults_.refuseBlock, address)) {
        r.reply = {kRefuseByte};
        r.fault = "refused";
        return true;
    }
    return false;
}

void SimRadio::answerRead(StepResult& r, uint16_t address, uint8_t length)
{
    if (turnedAway(r, address, length))
        return;
    r.reply = {kWriteCmd, header_[0], header_[1], length};
    r.reply.insert(r.reply.end(), memory_.begin() + address, memory_.begin() + address + length);
    if (strikes(faults_.corruptLength, address)) {
        r.reply[3] = uint8_t(length ^ 0xFF);
        r.fault = "wrong length byte";
    }
    if (length > 0 && strikes(faults_.corruptData, address)) {
        r.reply[4] ^= 0xFF;
        r.fault += r.fault.empty() ? "wrong data" : ", wrong data";
    }
    ++blocksRead_;
    ++totalBlocksRead_;
}

void SimRadio::answerWrite(StepResult& r, uint16_t address, uint8_t length)
{
    if (turnedAway(r, address, length))
        return;
    std::copy(data_.begin(), data_.end(), memory_.begin() + address);
    if (const auto weak = faults_.corruptStore; weak && *weak >= address && *weak < address + length) {
        memory_[*weak] = uint8_t(data_[*weak - address] ^ 0xFF);
        char buf[48];
        std::snprintf(buf, sizeof buf, "wrong value stored at %04X", unsigned(*weak));
        r.fault = buf;
    }
    sessionWrote_ = true;
    ++blocksWritten_;
    ++totalBlocksWritten_;
    r.reply = {kAck};
}

std::string SimRadio::describe(const StepResult& r)
{
    char buf[96];
    std::string what;
    switch (r.frame) {
    case FrameKind::None:
        return {};
    case FrameKind::Handshake:
        what = "handshake PROGRAM";
        break;
    case FrameKind::Ident:
        what = "identification request 02";
        break;
    case FrameKind::Ack:
        what = "acknowledge 06";
        break;
    case FrameKind::ReadBlock:
    case FrameKind::WriteBlock:
        std::snprintf(buf, sizeof buf, "%s block %04X, %u bytes",
                      r.frame == FrameKind::ReadBlock ? "read" : "write", r.address, unsigned(r.length));
        what = buf;
        break;
    case FrameKind::SetTime:
        what = "set time";
        break;
    case FrameKind::End:
        what = "end frame";
        break;
    }
    if (r.frame == FrameKind::End)
        return what;
    const std::string fault = r.fault.empty() ? std::string() : " (" + r.fault + ")";
    if (r.ignored)
        return what + ": no answer" + fault;
    std::string delay;
    if (r.replyDelayMs > 0)
        delay = " after " + std::to_string(r.replyDelayMs) + " ms";
    return what + " ->" + delay + " " + hex(r.reply) + fault;
}

bool parseBlockFault(const std::string& text, BlockFault& out)
{
    std::string addr = text, times;
    if (const auto colon = text.find(':'); colon != std::string::npos) {
        addr = text.substr(0, colon);
        times = text.substr(colon + 1);
        if (times.empty())
            return false;
    }
    if (addr.size() > 2 && addr[0] == '0' && (addr[1] == 'x' || addr[1] == 'X'))
        addr = addr.substr(2);
    if (addr.empty() || addr.size() > 4 || !std::all_of(addr.begin(), addr.end(), [](unsigned char c) { return std::isxdigit(c) != 0; }))
        return false;
    if (!times.empty() && (times.size() > 6 || !std::all_of(times.begin(), times.end(), [](unsigned char c) { return std::isdigit(c) != 0; })))
        return false;
    BlockFault f;
    f.address = uint16_t(std::stoul(addr, nullptr, 16));
    f.times = times.empty() ? 0 : std::stoi(times);
    if (!times.empty() && f.times < 1)
        return false;
    out = f;
    return true;
}

} // namespace qmsim
