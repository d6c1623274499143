#include "sim/SimRadio.h"

#include <algorithm>
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
    , faults_(faults)
    , failuresLeft_(faults.failFirst > 0 ? faults.failFirst : 0)
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
    const bool echo = faults_.echo && failuresLeft_ == 0;
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
                    r.frame = frame_;
                    r = finish(r);
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
                r.frame = frame_;
                r = finish(r);
            }
        }
        break;

    case State::WriteData:
        data_.push_back(byte);
        if (data_.size() == header_[2]) {
            r.frame = frame_;
            r = finish(r);
        }
        break;

    case State::TimeBytes:
        header_[pos_++] = byte;
        if (pos_ == 3) {
            r.frame = frame_;
            r = finish(r);
        }
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
            r.frame = frame_;
            return finish(r);
        case kAck:
            frame_ = FrameKind::Ack;
            r.frame = frame_;
            return finish(r);
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

// A whole frame has arrived: answer it.
StepResult SimRadio::finish(StepResult r)
{
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
        // radio that plays deaf.
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

    if (failuresLeft_ > 0) {
        --failuresLeft_;
        r.ignored = true;
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
        if (!blockFits(address, length)) {
            r.ignored = true;
            break;
        }
        r.reply = {kWriteCmd, header_[0], header_[1], length};
        if (faults_.corruptBlock && *faults_.corruptBlock == address)
            r.reply[3] = uint8_t(length ^ 0xFF);
        r.reply.insert(r.reply.end(), memory_.begin() + address, memory_.begin() + address + length);
        ++blocksRead_;
        break;
    case FrameKind::WriteBlock:
        if (!blockFits(address, length)) {
            r.ignored = true;
            break;
        }
        std::copy(data_.begin(), data_.end(), memory_.begin() + address);
        sessionWrote_ = true;
        ++blocksWritten_;
        r.reply = {kAck};
        break;
    case FrameKind::None:
    case FrameKind::End:
        break;
    }
    data_.clear();
    return r;
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
        std::snprintf(buf, sizeof buf, "read block %04X, %u bytes", r.address, unsigned(r.length));
        what = buf;
        break;
    case FrameKind::WriteBlock:
        std::snprintf(buf, sizeof buf, "write block %04X, %u bytes", r.address, unsigned(r.length));
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
    if (r.ignored)
        return what + ": no answer";
    return what + " -> " + hex(r.reply);
}

} // namespace qmsim
