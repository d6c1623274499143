// The simulated radio's frame parser and answers, byte by byte.
#include "sim/SimRadio.h"

#include <gtest/gtest.h>

using namespace qmsim;

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kProgram = {0x50, 0x52, 0x4F, 0x47, 0x52, 0x41, 0x4D};
const Bytes kEnd = {0x45, 0x5A, 0xA5, 0x32, 0x23, 0x45, 0xF2};
const Bytes kSetTime = {0x55, 0x79, 0x97, 0xA5, 0x57, 0x09, 0x05, 0x07};

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes patternMemory()
{
    Bytes m(kRadioMemorySize);
    for (std::size_t a = 0; a < m.size(); ++a)
        m[a] = uint8_t(a * 7 + a / 256);
    return m;
}

// The radio's answers to the bytes, or (line) everything heard: echoes and answers in order.
Bytes feed(SimRadio& radio, const Bytes& in, bool line = false)
{
    Bytes out;
    for (uint8_t b : in) {
        const StepResult r = radio.receive(b);
        if (line && r.echo)
            out.push_back(b);
        out.insert(out.end(), r.reply.begin(), r.reply.end());
    }
    return out;
}

Bytes readCmd(uint16_t addr, uint8_t len) { return {0x52, uint8_t(addr >> 8), uint8_t(addr), len}; }

Bytes readReply(const Bytes& mem, uint16_t addr, uint8_t len)
{
    return cat({{0x57, uint8_t(addr >> 8), uint8_t(addr), len}, Bytes(mem.begin() + addr, mem.begin() + addr + len)});
}

Bytes writeCmd(uint16_t addr, const Bytes& data)
{
    return cat({{0x57, uint8_t(addr >> 8), uint8_t(addr), uint8_t(data.size())}, data});
}

SimRadio radioInSession(RadioFaults faults = {})
{
    SimRadio radio(patternMemory(), faults);
    feed(radio, kProgram);
    return radio;
}

} // namespace

// Blocks beyond the memory are consumed and echoed but get no answer.
TEST(SimRadio, EachFrameIsEchoedAndAnswered)
{
    const Bytes mem = patternMemory();
    const struct { const char* name; Bytes in, reply; } cases[] = {
        {"handshake", kProgram, {0x06}},
        {"ident", {0x02}, Bytes(kIdentBytes.begin(), kIdentBytes.end())},
        {"ack", {0x06}, {0x06}},
        {"read 1230", readCmd(0x1230, 16), readReply(mem, 0x1230, 16)},
        {"read 6 bytes", readCmd(0x0000, 6), readReply(mem, 0x0000, 6)},
        {"read empty block", readCmd(0x0100, 0), {0x57, 0x01, 0x00, 0x00}},
        {"read last byte", readCmd(0x1FFF, 1), readReply(mem, 0x1FFF, 1)},
        {"read past the end", readCmd(0x1FF8, 16), {}},
        {"read far past the end", readCmd(0xFFFF, 0), {}},
        {"write", writeCmd(0x0E70, Bytes(16, 0xAB)), {0x06}},
        {"write past the end", writeCmd(0x1FFF, {1, 2}), {}},
        {"write far past the end", writeCmd(0x8000, {1}), {}},
        {"set time", kSetTime, {0x06}},
        {"end", kEnd, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimRadio radio = radioInSession();
        EXPECT_EQ(feed(radio, c.in, true), cat({c.in, c.reply})) << "the answer follows the whole echo";
        EXPECT_FALSE(radio.midFrame()); // the whole frame was consumed
        EXPECT_EQ(radio.memory() != mem, c.in[0] == 0x57 && !c.reply.empty()) << "only a write in range stores";
    }
    EXPECT_EQ(SimRadio(Bytes(100, 0x00)).memory()[100], 0xFF); // short memory is padded
}

TEST(SimRadio, SplitFramesAreAnsweredAtTheirLastByte)
{
    SimRadio radio = radioInSession();
    const Bytes frames = cat({readCmd(0x0040, 16), writeCmd(0x0050, {0xAA, 0xBB}), {0x02}, kProgram});
    const std::size_t lastBytes[] = {3, 9, 10, 17};
    const std::size_t* next = lastBytes;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const bool last = i == *next;
        EXPECT_EQ(radio.receive(frames[i]).reply.empty(), !last) << "byte " << i;
        EXPECT_EQ(radio.midFrame(), !last) << "byte " << i;
        next += last;
    }
    Bytes expected = patternMemory(); // the write changed only its own bytes
    expected[0x50] = 0xAA;
    expected[0x51] = 0xBB;
    EXPECT_EQ(radio.memory(), expected);

    // A write broken off after two of its sixteen data bytes is abandoned
    // (the line went quiet) and does not swallow the next frame.
    feed(radio, {0x57, 0x00, 0x00, 0x10, 0xAA, 0xBB});
    EXPECT_TRUE(radio.abandonFrame());
    EXPECT_EQ(radio.memory(), expected);
    EXPECT_EQ(feed(radio, kProgram), Bytes{0x06});
    EXPECT_FALSE(radio.abandonFrame());
}

// Block commands count only between a handshake and an end frame; bytes that
// start no frame, and broken-off sequences, are dropped.
TEST(SimRadio, SessionsAndStrayBytes)
{
    SimRadio radio(patternMemory());
    const Bytes outside = cat({readCmd(0x0000, 16), {0x02, 0x06, 0xFF}});
    EXPECT_EQ(feed(radio, outside, true), outside);
    EXPECT_FALSE(radio.midFrame());
    EXPECT_EQ(feed(radio, kSetTime), Bytes{0x06}); // the clock is set outside a session too
    EXPECT_EQ(radio.clock(), (std::array<uint8_t, 3>{0x09, 0x05, 0x07}));
    EXPECT_EQ(feed(radio, cat({{0x50, 0x52, 0x4F}, kProgram})), Bytes{0x06}); // the breaking byte starts anew
    EXPECT_EQ(feed(radio, cat({{0xFF, 0x00, 0x45, 0x5A, 0x99}, writeCmd(0x0000, {0x11})})), Bytes{0x06});
    EXPECT_TRUE(radio.inSession()); // a broken end frame does not end it

    StepResult last;
    for (uint8_t b : kEnd)
        last = radio.receive(b);
    EXPECT_EQ(last.frame, FrameKind::End);
    EXPECT_TRUE(last.sessionWrote);
    EXPECT_EQ(last.sessionBlocksWritten, 1);
    EXPECT_FALSE(radio.inSession());
    EXPECT_TRUE(feed(radio, readCmd(0x0000, 1)).empty());
    EXPECT_EQ(feed(radio, kProgram), Bytes{0x06});
    EXPECT_EQ(feed(radio, readCmd(0x0000, 1)), (Bytes{0x57, 0x00, 0x00, 0x01, 0x11}));
    for (uint8_t b : kEnd)
        last = radio.receive(b);
    EXPECT_FALSE(last.sessionWrote); // the second session only read
    EXPECT_EQ(last.sessionBlocksRead, 1);
    EXPECT_EQ(radio.endFrames(), 2);
}

// Faults at the byte level that the transfers cannot tell apart (how each
// fault ends a transfer: SimLink_test.cpp): what the programmer hears (echoes
// and answers in order) and what the memory holds.
TEST(SimRadio, FaultsShapeTheAnswers)
{
    const Bytes mem = patternMemory();
    const Bytes write20 = writeCmd(0x0020, {0x01, 0x02});
    auto faults = [](auto set) {
        RadioFaults f;
        set(f);
        return f;
    };
    const struct { const char* name; RadioFaults faults; Bytes in, heard; } cases[] = {
        {"deaf for two frames: no echo, no effect", faults([](RadioFaults& f) { f.failFirst = 2; }),
         cat({kProgram, kSetTime, kProgram}), cat({kProgram, {0x06}})},
        {"frame 2 silent, echoed", faults([](RadioFaults& f) { f.silentFrames = {2}; }),
         cat({kProgram, {0x02}, {0x06}}), cat({kProgram, {0x06}, {0x02}, {0x06, 0x06}})},
        {"refused write stores nothing", faults([](RadioFaults& f) { f.refuseBlock = BlockFault{0x0020}; }),
         cat({kProgram, write20, readCmd(0x0020, 2)}), cat({kProgram, {0x06}, write20, {0x15}, readCmd(0x0020, 2), {0x15}})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimRadio radio(mem, c.faults);
        EXPECT_EQ(feed(radio, c.in, true), c.heard);
        EXPECT_EQ(radio.memory(), mem);
        EXPECT_FALSE(radio.clock().has_value()); // a set-time frame nobody heard sets nothing
    }
}
