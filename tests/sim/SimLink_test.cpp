// The simulated radio's faults through the in-memory link and the program's
// own transfer driver: each fault ends the way a real line with that fault
// would end a transfer.
#include "shell/RadioTransfer.h"
#include "sim/SimLink.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace qm;
using qmsim::BlockFault;
using qmsim::RadioFaults;
using qmsim::SimLink;

namespace {

constexpr int kFirst = 0x0100, kLast = 0x013F; // four blocks


std::vector<uint8_t> patternMemory()
{
    std::vector<uint8_t> m(qmsim::kRadioMemorySize);
    for (size_t a = 0; a < m.size(); ++a)
        m[a] = static_cast<uint8_t>(a * 7 + (a >> 8));
    return m;
}

} // namespace

// Answered frames of a read of 0100-013F: 1 PROGRAM, 2 the 02, 3 the 06,
// 4 to 7 the blocks 0100, 0110, 0120, 0130.
TEST(SimLink, EachRadioFaultEndsTheTransferAsOnARealLine)
{
    const auto R = TransferDirection::Read, W = TransferDirection::Write;
    const auto ok = TransferResult::Success, aborted = TransferResult::Aborted;
    const struct {
        const char* name;
        TransferDirection direction;
        std::function<void(RadioFaults&)> fault;
        TransferResult result;
        int failTimes;
        int wrongAt; // the one address where image and radio differ afterwards (-1: none)
    } cases[] = {
        {"clean read", R, [](RadioFaults&) {}, ok, 0, -1},
        {"clean write", W, [](RadioFaults&) {}, ok, 0, -1},
        {"deaf for three frames", R, [](RadioFaults& f) { f.failFirst = 3; }, ok, 3, -1},
        {"deaf for seven frames", R, [](RadioFaults& f) { f.failFirst = 7; }, aborted, 7, -1},
        {"one block unanswered", R, [](RadioFaults& f) { f.silentFrames = {5}; }, ok, 1, -1},
        {"every second frame unanswered", W, [](RadioFaults& f) { f.silentEvery = 2; }, aborted, 7, -1},
        {"wrong length byte once", R, [](RadioFaults& f) { f.corruptLength = BlockFault{0x0110, 1}; }, ok, 1, -1},
        {"wrong length byte always", R, [](RadioFaults& f) { f.corruptLength = BlockFault{0x0110}; }, aborted, 7, -1},
        {"wrong data goes unnoticed", R, [](RadioFaults& f) { f.corruptData = BlockFault{0x0110}; }, ok, 0, 0x0110},
        {"write refused twice", W, [](RadioFaults& f) { f.refuseBlock = BlockFault{0x0120, 2}; }, ok, 2, -1},
        {"read refused once", R, [](RadioFaults& f) { f.refuseBlock = BlockFault{0x0120, 1}; }, ok, 1, -1},
        {"write always refused", W, [](RadioFaults& f) { f.refuseBlock = BlockFault{0x0120}; }, aborted, 7, -1},
        {"answers 150 ms late", R, [](RadioFaults& f) { f.replyDelayMs = 150; }, ok, 0, -1},
        {"answers 200 ms late", R, [](RadioFaults& f) { f.replyDelayMs = 200; }, aborted, 7, -1},
        {"weak cell at 0125", W, [](RadioFaults& f) { f.corruptStore = 0x0125; }, ok, 0, 0x0125},
        {"no echo", R, [](RadioFaults& f) { f.echo = false; }, aborted, 7, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AppState s;
        s.doc.IicDat.assign(0x2000, 0xFF);
        s.settings.SoftFaceStr[70] = QStringLiteral("Notice");
        s.settings.SoftFaceStr[79] = kText79;
        s.settings.ReadStartAddr = s.settings.WriteStartAddr = kFirst;
        s.settings.ReadEndAddr = s.settings.WriteEndAddr = kLast;
        RadioFaults faults;
        c.fault(faults);
        SimLink link(patternMemory(), faults);
        qmtest::ScriptedUi ui;

        const TransferOutcome o = runTransfer(s, c.direction, link, &ui);
        ASSERT_EQ(o.result, c.result) << o.message.toStdString();
        EXPECT_EQ(s.xfer.ComFailTimes, c.failTimes);
        EXPECT_EQ(std::count(link.sleeps.begin(), link.sleeps.end(), kRetryPauseMs), std::min(c.failTimes, 6));
        EXPECT_FALSE(link.isOpen());
        const auto& radio = link.radio.memory();
        if (c.result == aborted) {
            ASSERT_EQ(ui.shown.size(), 1u);
            EXPECT_EQ(ui.shown[0].prompt, kText79);
            EXPECT_EQ(link.radio.endFrames(), 0);
            if (c.direction == R) {
                EXPECT_EQ(s.doc.IicDat, std::vector<uint8_t>(0x2000, 0xFF)) << "a failed read changes no byte";
            }
            continue;
        }
        EXPECT_TRUE(ui.shown.empty());
        EXPECT_EQ(link.radio.endFrames(), 1);
        for (int a = kFirst; a <= kLast; ++a)
            EXPECT_EQ(s.doc.IicDat[size_t(a)] != radio[size_t(a)], a == c.wrongAt) << "address " << a;
    }
}
