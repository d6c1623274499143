// The write with backup, preview and verify (shell/SafeWrite.h) against the
// in-memory radio: which sessions reach the radio, what it holds afterwards,
// where the backup goes, and what the user is told and asked.
#include "shell/SafeWrite.h"

#include "settings/SafeFile.h"
#include "shell/AppState.h"
#include "support/DeliveredHome.h"
#include "support/FakeLink.h"
#include "support/ScriptedUi.h"
#include "support/TestHome.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace qm;
using namespace qmtest;

namespace {

QDateTime clock20100913()
{
    return QDateTime(QDate(2010, 9, 13), QTime(14, 7, 31));
}

std::vector<uint8_t> bytesOf(const QByteArray& b)
{
    return std::vector<uint8_t>(b.begin(), b.end());
}

} // namespace

TEST(SafeWrite, SessionsBackupPreviewAndVerify)
{
    // FolderIsAFile: a file stands where the backup folder goes; RangeRefused:
    // the write start lies above the write end.
    enum Twist { None, FolderIsAFile, StopInPreview, RangeRefused };
    const auto W = SafeWriteEnd::Written, V = SafeWriteEnd::Verified, C = SafeWriteEnd::Cancelled,
               B = SafeWriteEnd::BackupFailed, M = SafeWriteEnd::VerifyMismatch, S = SafeWriteEnd::Stopped;
    const struct {
        const char* name;
        SafeWriteOptions options;
        std::function<void(qmsim::RadioFaults&)> fault;
        std::vector<bool> previewAnswers; // true: write
        std::deque<MsgAnswer> questions;  // answers to "write again?"
        Twist twist;
        SafeWriteEnd end;
        int readBlocks, writeSessions, backups;
        bool radioWritten;
        QString told; // part of the one message shown ("" none)
    } cases[] = {
        {"plain", {false, false, false, {}}, {}, {}, {}, None, W, 0, 1, 0, true, ""},
        {"backup, preview, verify", {true, true, true, {}}, {}, {true}, {}, None, V, 512 + 512, 1, 1, true, ""},
        {"preview cancelled", {true, true, true, {}}, {}, {false}, {}, None, C, 512, 0, 1, false, ""},
        {"backup read fails", {true, true, true, {}}, [](qmsim::RadioFaults& f) { f.failFirst = 7; }, {}, {}, None, B, 0, 0,
         0, false, "nothing was written to it"},
        {"backup cannot be saved", {true, false, false, {}}, {}, {}, {}, FolderIsAFile, B, 0, 0, 0, false,
         "The backup of the radio could not be saved"},
        {"weak cell, written again, then given up", {true, true, false, {}},
         [](qmsim::RadioFaults& f) { f.corruptStore = 0x1F05; }, {}, {MsgAnswer::Yes, MsgAnswer::No}, None, M,
         512 + 512 + 512, 2, 1, true, "first difference at 0x1F05 (1 byte differs)"},
        {"stopped after the preview", {true, true, true, {}}, {}, {true}, {}, StopInPreview, S, 512, 0, 1, false, ""},
        // Refused before the radio hears a byte: no backup read is wasted on it.
        {"range refused", {true, true, true, {}}, {}, {}, {}, RangeRefused, SafeWriteEnd::Refused, 0, 0, 0, false,
         "above the write end address"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeliveredHome home;
        AppState s;
        QString err;
        ASSERT_TRUE(home.create(&err) && startTool(s, home.path(), &err)) << err.toStdString();
        // The radio holds the template with one byte no codec owns cleared;
        // the program the template with channel 5 moved.
        qmsim::SimLink link(bytesOf(deliveredTemplate()));
        link.radio.at(0x1F05) = 0x00;
        const std::vector<uint8_t> radioBefore = link.radio.memory();
        if (c.fault)
            c.fault(link.radio.faults());
        s.doc.ChData[5][1] = 46257500;
        s.optView.chkSetTime = true;
        const QString folder = home.file(QStringLiteral("Data/backups"));
        if (c.twist == FolderIsAFile) {
            ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("Data")));
            ASSERT_TRUE(writeFile(folder, "not a folder"));
        }
        if (c.twist == RangeRefused) {
            s.settings.WriteStartAddr = 0x100;
            s.settings.WriteEndAddr = 0x0FF;
        }
        ScriptedUi ui;
        ui.answers = c.questions;
        std::vector<ImageChanges> previews;
        SafeWriteFlow* running = nullptr;
        SafeWriteFlow flow(s, c.options, &ui,
                           [&](const ImageChanges& ch) {
                               previews.push_back(ch);
                               if (c.twist == StopInPreview)
                                   running->requestStop();
                               return previews.size() <= c.previewAnswers.size() && c.previewAnswers[previews.size() - 1];
                           },
                           clock20100913);
        running = &flow;
        EXPECT_EQ(runSafeWrite(flow, link), c.end);
        if (c.twist == RangeRefused) {
            EXPECT_EQ(link.opens, 0);
        }
        EXPECT_EQ(link.countWrites(0x52), c.readBlocks) << "read blocks";
        EXPECT_EQ(flow.writeSessions(), c.writeSessions);
        // The clock is set by each write session only, as its first frame.
        EXPECT_EQ(link.countWrites(0x55), c.writeSessions);
        EXPECT_EQ(!link.writes.isEmpty() && uint8_t(link.writes[0][0]) == 0x55, !c.options.backup && c.writeSessions > 0);
        const QStringList backups = QDir(folder).entryList(QDir::Files);
        EXPECT_EQ(backups.size(), c.backups);
        if (c.backups == 1) {
            EXPECT_EQ(backups[0], QStringLiteral("20100913-140731.dat"));
            EXPECT_EQ(bytesOf(readFile(flow.backupPath())), radioBefore) << "the radio as it was before the write";
        }
        // Channel 5's receive frequency is where the program's image differs.
        EXPECT_EQ(link.radio.memory()[0x10 + 4 * 16 + 1] == 0x75, c.radioWritten);
        if (!c.radioWritten) {
            EXPECT_EQ(link.radio.memory(), radioBefore);
        }
        if (c.end == V) {
            EXPECT_EQ(link.radio.memory(), s.doc.IicDat) << "the radio holds what the program sent";
        }
        EXPECT_EQ(previews.size(), c.previewAnswers.size());
        if (!previews.empty()) {
            // The edit, the stamp of the write's clock, and the byte the
            // radio had of its own.
            EXPECT_EQ(changeLines(previews[0], s.settings),
                      QStringList({QStringLiteral("CH 5: RX Freq 462.5625 \u2192 462.575"),
                                   QStringLiteral("0E70-0E72 write-date stamp: FF FF FF \u2192 0A 09 0D"),
                                   QStringLiteral("0E78-0E79 write-date stamp: FF FF \u2192 14 07"),
                                   QStringLiteral("1F05: 00 \u2192 FF")}));
        }
        if (QString(c.told).isEmpty()) {
            EXPECT_TRUE(ui.shown.empty()) << ui.shown.front().prompt.toStdString();
        } else {
            ASSERT_EQ(ui.shown.size(), c.end == M ? 2u : 1u) << "asked after each write";
            EXPECT_TRUE(ui.shown.back().prompt.contains(c.told)) << ui.shown.back().prompt.toStdString();
        }
        if (c.end == M) {
            EXPECT_EQ(ui.shown[0].buttons, MsgButtons::YesNo);
            EXPECT_EQ(flow.failure().text(), QStringLiteral("verify: first difference at 0x1F05 (1 byte differs)"));
        } else if (c.end == B && c.fault) { // what qm570-cli prints, after the device
            EXPECT_EQ(flow.failure().text(), QStringLiteral("back up radio at: ") + kText79);
        }
    }
}

// Backups of the same second take numbered names; no file is ever replaced,
// not even one that appears between the look and the save.
TEST(SafeWrite, BackupNamesNeverReplaceAFile)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("new/backups"));
    const std::vector<uint8_t> image(8192, 0x5A);
    const QDateTime when = clock20100913();
    EXPECT_EQ(saveBackup(folder, image, when), folder + QStringLiteral("/20100913-140731.dat"));
    EXPECT_EQ(saveBackup(folder, image, when), folder + QStringLiteral("/20100913-140731-2.dat"));
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/20100913-140731-3.dat"), "mine"));
    EXPECT_EQ(saveBackup(folder, image, when), folder + QStringLiteral("/20100913-140731-4.dat"));
    EXPECT_EQ(readFile(folder + QStringLiteral("/20100913-140731-3.dat")), QByteArray("mine"));
    EXPECT_EQ(readFile(folder + QStringLiteral("/20100913-140731-4.dat")), QByteArray(8192, 0x5A));

    // The name taken at the very last moment (the rename step).
    const QString raced = dir.filePath(QStringLiteral("raced.dat"));
    setSaveFaultForTesting([&](SaveStep step, const QString&) {
        if (step == SaveStep::Rename)
            writeFile(raced, "theirs");
        return 0;
    });
    try {
        saveFile(raced, "ours", QStringLiteral("save backup file"), SaveMode::NewFileOnly);
        ADD_FAILURE() << "replaced a file";
    } catch (const QmError& e) {
        EXPECT_EQ(e.number(), 58);
    }
    setSaveFaultForTesting({});
    EXPECT_EQ(readFile(raced), QByteArray("theirs"));
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden).size(), 0)
        << "no temporary file left";
    EXPECT_THROW(saveBackup(folder, std::vector<uint8_t>(100), when), QmError);
}

TEST(SafeWrite, VerifyComparesTheWriteRangeOnly)
{
    std::vector<uint8_t> sent(0x2000, 0x11), back = sent;
    back[0x0FF] = 0; // outside the range
    back[0x105] = 0;
    back[0x1FF] = 0;
    EXPECT_EQ(compareWritten(sent, back, {0x100, 0x1FE}).text(), QStringLiteral("first difference at 0x0105 (1 byte differs)"));
    const VerifyResult r = compareWritten(sent, back, {0x000, 0x1FFF});
    EXPECT_EQ(r.firstDifference, 0x0FF);
    EXPECT_EQ(r.differing, 3);
    EXPECT_TRUE(compareWritten(sent, back, {0x200, 0x1FFF}).ok());
    // Bytes the read did not bring back never pass.
    EXPECT_EQ(compareWritten(sent, std::vector<uint8_t>(0x1000, 0x11), {0x0F00, 0x10FF}).firstDifference, 0x1000);
}
