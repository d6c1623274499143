// The simulated radio's faults through the in-memory link and the program's
// own transfer driver: each fault ends the way a real line with that fault
// would end a transfer, and every failed script counts towards the seven
// failures that abandon it, over the whole transfer.
#include "shell/RadioTransfer.h"
#include "sim/SimLink.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace qm;
using qmsim::BlockFault;
using qmsim::SimLink;

// Answered frames of a read of 0100-013F: 1 PROGRAM, 2 the 02, 3 the 06,
// 4 to 7 the blocks 0100, 0110, 0120, 0130.
// Why a single exchange fails (a late answer, no echo, a wrong reply byte):
// comm/modCommun_test.cpp; here how the failures of a whole transfer add up.
TEST(SimLink, EachRadioFaultEndsTheTransferAsOnARealLine)
{
    const auto R = TransferDirection::Read, W = TransferDirection::Write;
    const auto ok = TransferResult::Success, aborted = TransferResult::Aborted;
    const struct {
        const char* name;
        TransferDirection direction;
        std::function<void(SimLink&)> fault;
        TransferResult result;
        int failTimes;
        int wrongAt; // the one address where image and radio differ afterwards (-1: none)
    } cases[] = {
        {"clean write", W, [](SimLink&) {}, ok, 0, -1},
        {"deaf for three frames", R, [](SimLink& l) { l.radio.faults().failFirst = 3; }, ok, 3, -1},
        {"deaf for seven frames", R, [](SimLink& l) { l.radio.faults().failFirst = 7; }, aborted, 7, -1},
        {"one block unanswered", R, [](SimLink& l) { l.radio.faults().silentFrames = {5}; }, ok, 1, -1},
        {"every second frame unanswered", W, [](SimLink& l) { l.radio.faults().silentEvery = 2; }, aborted, 7, -1},
        {"wrong length byte once", R, [](SimLink& l) { l.radio.faults().corruptLength = BlockFault{0x0110, 1}; }, ok, 1, -1},
        {"wrong length byte always", R, [](SimLink& l) { l.radio.faults().corruptLength = BlockFault{0x0110}; }, aborted, 7, -1},
        {"write refused twice", W, [](SimLink& l) { l.radio.faults().refuseBlock = BlockFault{0x0120, 2}; }, ok, 2, -1},
        {"weak cell at 0125", W, [](SimLink& l) { l.radio.faults().corruptStore = 0x0125; }, ok, 0, 0x0125},
        {"port errors", R, [](SimLink& l) { l.onWrite = [] { throw QmError(75); }; }, aborted, 7, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AppState s;
        s.doc.IicDat.assign(0x2000, 0xFF);
        s.settings.SoftFaceStr[70] = QStringLiteral("Notice");
        s.settings.SoftFaceStr[79] = kText79;
        s.settings.ReadStartAddr = s.settings.WriteStartAddr = 0x0100;
        s.settings.ReadEndAddr = s.settings.WriteEndAddr = 0x013F;
        std::vector<uint8_t> memory(qmsim::kRadioMemorySize);
        for (size_t a = 0; a < memory.size(); ++a)
            memory[a] = static_cast<uint8_t>(a * 7 + (a >> 8));
        SimLink link(memory);
        c.fault(link);
        qmtest::ScriptedUi ui;

        const TransferOutcome o = runTransfer(s, c.direction, link, &ui);
        ASSERT_EQ(o.result, c.result) << o.message.toStdString();
        EXPECT_EQ(s.xfer.ComFailTimes, c.failTimes);
        EXPECT_EQ(std::count(link.sleeps.begin(), link.sleeps.end(), kRetryPauseMs), std::min(c.failTimes, 6));
        EXPECT_FALSE(link.isOpen());
        if (c.result == aborted) {
            ASSERT_EQ(ui.shown.size(), 1u);
            EXPECT_EQ(ui.shown[0].prompt, kText79);
            EXPECT_EQ(ui.shown[0].title, QStringLiteral("Notice"));
            EXPECT_EQ(ui.shown[0].icon, MsgIcon::Exclamation);
            EXPECT_EQ(link.radio.endFrames(), 0);
            if (c.direction == R) { // port errors are listed (two lines each); a silent radio is no error
                EXPECT_EQ(s.errors.lines().size(), c.name == std::string("port errors") ? 14 : 0);
                EXPECT_EQ(s.doc.IicDat, std::vector<uint8_t>(0x2000, 0xFF)) << "a failed read changes no byte";
            }
            continue;
        }
        EXPECT_TRUE(ui.shown.empty());
        EXPECT_EQ(link.radio.endFrames(), 1);
        for (int a = 0; a < 0x2000; ++a) { // only the range is read or written
            const auto image = s.doc.IicDat[size_t(a)], radio = link.radio.memory()[size_t(a)];
            if (a >= 0x0100 && a <= 0x013F)
                EXPECT_EQ(image != radio, a == c.wrongAt) << "address " << a;
            else
                EXPECT_TRUE(c.direction == R ? image == 0xFF : radio == memory[size_t(a)]) << "address " << a;
        }
    }
}
