// The simulated radio's frame parser and answers, byte by byte.
#include "sim/SimRadio.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace qmsim;

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kProgram = {0x50, 0x52, 0x4F, 0x47, 0x52, 0x41, 0x4D};
const Bytes kEnd = {0x45, 0x5A, 0xA5, 0x32, 0x23, 0x45, 0xF2};
const Bytes kIdent(kIdentBytes.begin(), kIdentBytes.end());

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Memory whose byte at address a is (a * 7 + a / 256) & 0xFF.
Bytes patternMemory()
{
    Bytes m(kRadioMemorySize);
    for (std::size_t a = 0; a < m.size(); ++a)
        m[a] = uint8_t(a * 7 + a / 256);
    return m;
}

// What the computer hears on the line: echoes and answers in order.
struct Heard {
    Bytes echo;  // echoed bytes only
    Bytes reply; // answers only
    Bytes line;  // both, as they come
};

Heard feed(SimRadio& radio, const Bytes& in)
{
    Heard h;
    for (uint8_t b : in) {
        const StepResult r = radio.receive(b);
        if (r.echo) {
            h.echo.push_back(b);
            h.line.push_back(b);
        }
        h.reply.insert(h.reply.end(), r.reply.begin(), r.reply.end());
        h.line.insert(h.line.end(), r.reply.begin(), r.reply.end());
    }
    return h;
}

Bytes readCmd(uint16_t addr, uint8_t len) { return {0x52, uint8_t(addr >> 8), uint8_t(addr), len}; }

Bytes readReply(const Bytes& mem, uint16_t addr, uint8_t len)
{
    Bytes r = {0x57, uint8_t(addr >> 8), uint8_t(addr), len};
    r.insert(r.end(), mem.begin() + addr, mem.begin() + addr + len);
    return r;
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

TEST(SimRadio, EachFrameIsEchoedAndAnswered)
{
    const Bytes mem = patternMemory();
    const Bytes data16 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    struct Case {
        const char* name;
        Bytes in;
        Bytes reply;
    };
    const Case cases[] = {
        {"handshake", kProgram, {0x06}},
        {"ident", {0x02}, kIdent},
        {"ack", {0x06}, {0x06}},
        {"read 1230", readCmd(0x1230, 16), readReply(mem, 0x1230, 16)},
        {"read 6 bytes", readCmd(0x0000, 6), readReply(mem, 0x0000, 6)},
        {"read last block", readCmd(0x1FF0, 16), readReply(mem, 0x1FF0, 16)},
        {"read empty block", readCmd(0x0100, 0), {0x57, 0x01, 0x00, 0x00}},
        {"write 0E70", writeCmd(0x0E70, data16), {0x06}},
        {"set time", {0x55, 0x79, 0x97, 0xA5, 0x57, 0x23, 0x59, 0x59}, {0x06}},
        {"end", kEnd, {}},
    };
    for (const auto& c : cases) {
        SimRadio radio = radioInSession();
        const Heard h = feed(radio, c.in);
        EXPECT_EQ(h.echo, c.in) << c.name;
        EXPECT_EQ(h.reply, c.reply) << c.name;
        EXPECT_EQ(h.line, cat({c.in, c.reply})) << c.name << ": the answer follows the whole echo";
    }
}

TEST(SimRadio, AnswersOnlyOnceTheLastByteOfAFrameHasArrived)
{
    SimRadio radio = radioInSession();
    const Bytes frames = cat({readCmd(0x0040, 16), writeCmd(0x0050, {0xAA, 0xBB}), {0x02}, kProgram});
    const std::size_t lastByte[] = {3, 3 + 6, 3 + 6 + 1, 3 + 6 + 1 + 7};
    std::size_t next = 0;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const StepResult r = radio.receive(frames[i]);
        if (next < 4 && i == lastByte[next]) {
            EXPECT_FALSE(r.reply.empty()) << "byte " << i;
            EXPECT_FALSE(radio.midFrame());
            ++next;
        } else {
            EXPECT_TRUE(r.reply.empty()) << "byte " << i;
            EXPECT_TRUE(radio.midFrame()) << "byte " << i;
        }
    }
    EXPECT_EQ(radio.memory()[0x0050], 0xAA);
    EXPECT_EQ(radio.memory()[0x0051], 0xBB);
}

TEST(SimRadio, AWriteChangesOnlyItsBlockAndIsReadBack)
{
    SimRadio radio = radioInSession();
    const Bytes before = radio.memory();
    Bytes data(16);
    std::iota(data.begin(), data.end(), uint8_t(0xE0));
    EXPECT_EQ(feed(radio, writeCmd(0x0E70, data)).reply, Bytes{0x06});

    Bytes expected = before;
    std::copy(data.begin(), data.end(), expected.begin() + 0x0E70);
    EXPECT_EQ(radio.memory(), expected);
    EXPECT_EQ(feed(radio, readCmd(0x0E70, 16)).reply, readReply(expected, 0x0E70, 16));
    EXPECT_EQ(radio.blocksWrittenInSession(), 1);
    EXPECT_EQ(radio.blocksReadInSession(), 1);
}

TEST(SimRadio, UnknownAndOutOfSessionBytesAreEchoedButDropped)
{
    SimRadio radio(patternMemory());
    // Before the handshake a block command means nothing.
    Heard h = feed(radio, cat({readCmd(0x0000, 16), {0x02, 0x06, 0xFF}}));
    EXPECT_TRUE(h.reply.empty());
    EXPECT_EQ(h.echo.size(), 7u);
    EXPECT_FALSE(radio.midFrame());

    // A broken-off PROGRAM is dropped; the byte that broke it starts the next one.
    h = feed(radio, cat({{0x50, 0x52, 0x4F}, kProgram}));
    EXPECT_EQ(h.reply, Bytes{0x06});
    EXPECT_TRUE(radio.inSession());

    // Stray bytes in a session do not disturb the next frame.
    h = feed(radio, cat({{0xFF, 0x00, 0x45, 0x5A, 0x99}, readCmd(0x0010, 2)}));
    EXPECT_EQ(h.reply, readReply(radio.memory(), 0x0010, 2));
    EXPECT_TRUE(radio.inSession()) << "a broken end frame does not end the session";
}

TEST(SimRadio, FailFirstSwallowsTheFirstFramesThatNeedAnAnswer)
{
    SimRadio radio(patternMemory(), RadioFaults{3, std::nullopt, true});
    // Deaf radio: no echo, no answer, no session; an end frame is not counted.
    for (int i = 0; i < 2; ++i) {
        const Heard h = feed(radio, kProgram);
        EXPECT_TRUE(h.line.empty()) << i;
    }
    EXPECT_TRUE(feed(radio, kEnd).line.empty());
    EXPECT_EQ(radio.failuresLeft(), 1);
    EXPECT_FALSE(radio.inSession());
    EXPECT_TRUE(feed(radio, {0x55, 0x79, 0x97, 0xA5, 0x57, 0x01, 0x02, 0x03}).line.empty());
    EXPECT_FALSE(radio.clock().has_value()) << "a swallowed frame has no effect";
    EXPECT_EQ(radio.failuresLeft(), 0);

    // From now on everything is heard.
    const Heard h = feed(radio, kProgram);
    EXPECT_EQ(h.line, cat({kProgram, {0x06}}));
}

TEST(SimRadio, CorruptBlockAnswersWithAWrongLengthEveryTime)
{
    RadioFaults faults;
    faults.corruptBlock = 0x0020;
    SimRadio radio = radioInSession(faults);
    for (int i = 0; i < 3; ++i) {
        const Bytes reply = feed(radio, readCmd(0x0020, 16)).reply;
        ASSERT_EQ(reply.size(), 20u);
        EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 3), (Bytes{0x57, 0x00, 0x20}));
        EXPECT_NE(reply[3], 0x10);
        EXPECT_EQ(Bytes(reply.begin() + 4, reply.end()), Bytes(radio.memory().begin() + 0x20, radio.memory().begin() + 0x30));
    }
    EXPECT_EQ(feed(radio, readCmd(0x0030, 16)).reply, readReply(radio.memory(), 0x0030, 16));
    EXPECT_EQ(feed(radio, readCmd(0x0021, 15)).reply, readReply(radio.memory(), 0x0021, 15));
}

TEST(SimRadio, NoEchoStillAnswers)
{
    RadioFaults faults;
    faults.echo = false;
    SimRadio radio(patternMemory(), faults);
    EXPECT_EQ(feed(radio, kProgram).line, Bytes{0x06});
    EXPECT_EQ(feed(radio, readCmd(0x0100, 4)).line, readReply(radio.memory(), 0x0100, 4));
}

TEST(SimRadio, BlocksBeyondTheMemoryGetNoAnswer)
{
    SimRadio radio = radioInSession();
    const Bytes before = radio.memory();
    struct Case {
        const char* name;
        Bytes in;
    };
    const Case cases[] = {
        {"read past the end", readCmd(0x1FF8, 16)},
        {"read at 2000", readCmd(0x2000, 1)},
        {"read at FFFF", readCmd(0xFFFF, 0)},
        {"write past the end", writeCmd(0x1FFF, {1, 2})},
        {"write at 8000", writeCmd(0x8000, {1})},
    };
    for (const auto& c : cases) {
        const Heard h = feed(radio, c.in);
        EXPECT_EQ(h.echo, c.in) << c.name;
        EXPECT_TRUE(h.reply.empty()) << c.name;
        EXPECT_FALSE(radio.midFrame()) << c.name << ": the whole frame was consumed";
    }
    EXPECT_EQ(radio.memory(), before);
    EXPECT_EQ(feed(radio, readCmd(0x1FFF, 1)).reply, readReply(before, 0x1FFF, 1));
}

TEST(SimRadio, EndFrameClosesTheSessionAndAHandshakeOpensAnother)
{
    SimRadio radio = radioInSession();
    feed(radio, writeCmd(0x0000, {0x11}));

    StepResult last;
    for (uint8_t b : kEnd)
        last = radio.receive(b);
    EXPECT_EQ(last.frame, FrameKind::End);
    EXPECT_TRUE(last.sessionWrote);
    EXPECT_EQ(last.sessionBlocksWritten, 1);
    EXPECT_EQ(last.sessionBlocksRead, 0);
    EXPECT_TRUE(last.reply.empty());
    EXPECT_FALSE(radio.inSession());
    EXPECT_EQ(radio.endFrames(), 1);

    EXPECT_TRUE(feed(radio, readCmd(0x0000, 1)).reply.empty()) << "no blocks outside a session";
    EXPECT_EQ(feed(radio, kProgram).reply, Bytes{0x06});
    EXPECT_EQ(feed(radio, readCmd(0x0000, 1)).reply, (Bytes{0x57, 0x00, 0x00, 0x01, 0x11}));
    for (uint8_t b : kEnd)
        last = radio.receive(b);
    EXPECT_FALSE(last.sessionWrote) << "the second session only read";
    EXPECT_EQ(radio.endFrames(), 2);
}

TEST(SimRadio, SetTimeIsHeardOutsideASessionAndKept)
{
    SimRadio radio(patternMemory());
    const Heard h = feed(radio, {0x55, 0x79, 0x97, 0xA5, 0x57, 0x09, 0x05, 0x07});
    EXPECT_EQ(h.reply, Bytes{0x06});
    ASSERT_TRUE(radio.clock().has_value());
    EXPECT_EQ(*radio.clock(), (std::array<uint8_t, 3>{0x09, 0x05, 0x07}));
    EXPECT_FALSE(radio.inSession());
}

TEST(SimRadio, AnAbandonedFrameDoesNotSwallowTheNextOne)
{
    SimRadio radio = radioInSession();
    // A write that stops after two of its sixteen data bytes.
    feed(radio, {0x57, 0x00, 0x00, 0x10, 0xAA, 0xBB});
    ASSERT_TRUE(radio.midFrame());
    EXPECT_TRUE(radio.abandonFrame());
    EXPECT_EQ(radio.memory()[0], patternMemory()[0]);
    EXPECT_EQ(feed(radio, kProgram).reply, Bytes{0x06});
    EXPECT_FALSE(radio.abandonFrame());
}

TEST(SimRadio, MemoryIsPaddedWithFFOrCut)
{
    EXPECT_EQ(SimRadio(Bytes(100, 0x00)).memory().size(), kRadioMemorySize);
    EXPECT_EQ(SimRadio(Bytes(100, 0x00)).memory()[100], 0xFF);
    EXPECT_EQ(SimRadio(Bytes(9000, 0x00)).memory().size(), kRadioMemorySize);
}
