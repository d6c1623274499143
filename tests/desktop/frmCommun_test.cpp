#include "desktop/WindowsFixture.h"

#include "desktop/frmWritePreview.h"
#include "desktop/uiLook.h"
#include "settings/VbConv.h"
#include "support/SimProcess.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QUndoCommand>

#include <gtest/gtest.h>

#include <optional>

using namespace qm;
using namespace qmtest;

namespace {

void doubleClick(QWidget* w)
{
    const QPointF p(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent e(QEvent::MouseButtonDblClick, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// The radio the simulator starts with: the delivered template with a
// different step, channel 1 on 435.125 MHz and firmware V2.1 of 2010-09-13.
QByteArray radioImage()
{
    QByteArray b = deliveredTemplate();
    b[0x0E00] = 5;
    b.replace(0x0010, 4, QByteArray::fromHex("00255143"));
    b.replace(0x0F30, 3, QByteArray::fromHex("21A90D"));
    return b;
}

std::vector<uint8_t> bytesOf(const QByteArray& b) { return std::vector<uint8_t>(b.begin(), b.end()); }

// The program with its dialog shown, on port 5 (port 6 too): the
// pseudo-terminal of a simulator started on `memory` with `options`, which
// saves its memory to radio() as it ends. Later `keys` win.
struct Session {
    QTemporaryDir dir;
    std::unique_ptr<SimProcess> sim; // outlives the program's windows
    WindowsHarness h;
    std::optional<TransferOutcome> outcome;

    QString radio() const { return dir.filePath(QStringLiteral("radio.dat")); }
    bool start(const QByteArray& memory, const QStringList& options = {}, std::vector<std::pair<QString, QString>> keys = {})
    {
        const QString file = dir.filePath(QStringLiteral("start.dat"));
        if (!writeFile(file, memory))
            return false;
        sim = std::make_unique<SimProcess>(
            QStringList{QStringLiteral("--image"), file, QStringLiteral("--save"), radio(), QStringLiteral("--quiet")} + options);
        h.prober.usable = {5, 6};
        keys.insert(keys.begin(), {{QStringLiteral("COM"), QStringLiteral("5")}, {QStringLiteral("Port5"), sim->device()},
                                   {QStringLiteral("Port6"), sim->device()}});
        QString why;
        if (sim->device().isEmpty() || !h.start(3, keys, &why)) {
            ADD_FAILURE() << "cannot start: " << why.toStdString();
            return false;
        }
        QObject::connect(h.commun, &frmCommun::transferFinished, h.commun, [this](const TransferOutcome& o) { outcome = o; });
        h.commun->show();
        return true;
    }
    // Ends the simulator and returns the memory it saved.
    QByteArray radioAfter()
    {
        sim->process().terminate();
        EXPECT_TRUE(sim->process().state() == QProcess::NotRunning || sim->process().waitForFinished(5000));
        return readFile(radio());
    }
    // Clicks the button of the direction and waits for the outcome.
    bool run(TransferDirection d, int ms = 60000)
    {
        outcome.reset();
        h.commun->setMode(d == TransferDirection::Read ? frmCommun::Mode::Read : frmCommun::Mode::Write);
        child<QPushButton>(h.commun, d == TransferDirection::Read ? "cmdRead" : "cmdWrite")->click();
        return waitUntil([this] { return outcome.has_value(); }, ms);
    }
};

} // namespace

// The dialog as the user meets it: its texts, the buttons of each mode, the
// write's check boxes and the debug panels. A write on port 5, which cannot
// be opened, brings the port dialog, where the user picks port 6. The radio
// there is silent at first: text 79, and the image and the undo history stay.
// Read again, it answers: the new image reaches every view and the memory
// table and starts a new undo history. Then the address boxes, written to the
// settings file, and the progress.
TEST(frmCommun, FromAPortThatCannotOpenToARefreshedImage)
{
    const QByteArray image = radioImage();
    Session t;
    ASSERT_TRUE(t.start(image, {QStringLiteral("--fail-first"), QStringLiteral("7")},
                        {{QStringLiteral("Port5"), QStringLiteral("/dev/qm570-no-such-port")}}));
    WindowsHarness& h = t.h;
    AppState& s = *h.s;
    frmCommun* d = h.commun;
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Communicate"));
    auto* one = child<QGroupBox>(d, "fraOne");
    EXPECT_EQ(one->title(), QStringLiteral("Communication"));
    auto* read = child<QPushButton>(d, "cmdRead");
    auto* write = child<QPushButton>(d, "cmdWrite");
    auto* backup = child<QCheckBox>(d, "chkBackupBeforeWrite");
    auto* verify = child<QCheckBox>(d, "chkVerifyAfterWrite");
    EXPECT_EQ(read->text(), QStringLiteral("&Read"));
    EXPECT_EQ(read->accessibleName(), QStringLiteral("Read"));
    EXPECT_EQ(backup->text(), QStringLiteral("Back up the radio before writing"));
    EXPECT_EQ(verify->text(), QStringLiteral("Verify after writing"));
    // The write's check boxes go with its button; on when the keys are absent.
    d->setMode(frmCommun::Mode::Read);
    EXPECT_TRUE(read->isVisible() && !write->isVisible() && !backup->isVisible());
    d->setMode(frmCommun::Mode::Write);
    EXPECT_TRUE(!read->isVisible() && write->isVisible());
    d->setMode(frmCommun::Mode::Keep);
    EXPECT_TRUE(!read->isVisible() && write->isVisible());
    EXPECT_TRUE(backup->isVisible() && backup->isChecked() && verify->isVisible() && verify->isChecked());
    verify->click();
    EXPECT_EQ(h.profile().read(QStringLiteral("Setting"), QStringLiteral("VerifyAfterWrite"), {}, 20), QStringLiteral("0"));
    auto* status = child<QLabel>(d, "lblComStatus");
    EXPECT_EQ(status->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(status->text().isEmpty());

    // Compact until a double-click on fraOne in debug mode.
    auto* two = child<QGroupBox>(d, "fraTwo");
    auto* rw = child<QGroupBox>(d, "fraRdWrDat");
    const int compact = d->height();
    EXPECT_FALSE(two->isVisible() || rw->isVisible());
    doubleClick(one);
    EXPECT_FALSE(d->expanded()) << "only in debug mode";
    s.view.DebugMode = 1;
    doubleClick(one);
    ASSERT_TRUE(d->expanded());
    EXPECT_TRUE(two->isVisible() && rw->isVisible());
    EXPECT_NEAR(d->height() - compact, twipsToPx(frmCommun::expandedHeightTwips() - frmCommun::compactHeightTwips(), d), 1);
    EXPECT_LE(two->geometry().bottom(), d->height());
    doubleClick(one);
    EXPECT_EQ(d->height(), compact);

    // Port 5 cannot be opened: the port dialog, the error listed, the image kept.
    h.memDat->TableFreDat();
    child<QCheckBox>(d, "chkShowMemDat")->click();
    h.ctx->undo.push(new QUndoCommand(QStringLiteral("an edit of the old image")));
    const auto before = s.doc.IicDat;
    const auto sel = s.doc.OptSel;
    bool portDialog = false;
    whenModal(h.toolCom, [&] {
        portDialog = true;
        h.toolCom->option(5)->click();
        child<QPushButton>(h.toolCom, "cmdOK")->click();
    });
    ASSERT_TRUE(t.run(TransferDirection::Write));
    EXPECT_EQ(t.outcome->result, TransferResult::PortOpenFailed);
    EXPECT_TRUE(portDialog);
    ASSERT_FALSE(s.errors.entries().empty());
    EXPECT_EQ(s.errors.entries().back().label, QStringLiteral("modCommun->OpenCom"));
    EXPECT_EQ(s.view.statusPanel[2], QStringLiteral("COM6"));
    EXPECT_EQ(s.doc.IicDat, before) << "a write that never opened the port changes nothing";
    EXPECT_FALSE(d->transferRunning());

    // The radio on port 6 does not answer.
    ASSERT_TRUE(t.run(TransferDirection::Read));
    EXPECT_EQ(t.outcome->result, TransferResult::Aborted);
    ASSERT_EQ(h.ui.shown.size(), 1u);
    EXPECT_EQ(h.ui.shown[0].prompt, QStringLiteral("Communication failed,please check commuication port!"));
    EXPECT_EQ(s.doc.IicDat, before);
    EXPECT_EQ(s.doc.OptSel, sel);
    EXPECT_EQ(h.ctx->undo.count(), 1);
    EXPECT_TRUE(read->isEnabled());

    // Now it does.
    ASSERT_TRUE(t.run(TransferDirection::Read));
    ASSERT_EQ(t.outcome->result, TransferResult::Success) << t.outcome->message.toStdString();
    EXPECT_EQ(s.doc.IicDat, bytesOf(image));
    EXPECT_EQ(s.doc.OptSel[1], 5);
    EXPECT_EQ(child<QComboBox>(h.sysSet, "cboStep")->currentText(), QStringLiteral("20K"));
    EXPECT_TRUE(s.grid.text[1][1].startsWith(QStringLiteral("435.125"))) << s.grid.text[1][1].toStdString(); // was 435.025
    EXPECT_EQ(s.radioInfo.txtSoftVer, QStringLiteral("V2.1 -- 2010.09.13"));
    EXPECT_TRUE(h.memDat->table().marked(0x0E00) && h.memDat->table().marked(0x0F30));
    EXPECT_EQ(h.memDat->table().text(0x0E00), QStringLiteral("05"));
    EXPECT_EQ(h.ctx->undo.count(), 0) << "a new image";
    EXPECT_EQ(h.ui.shown.size(), 1u);
    EXPECT_EQ(status->text(), QStringLiteral("100 %"));
    auto* bar = child<QProgressBar>(d, "prgCommunicate");
    EXPECT_EQ(bar->value(), 100);
    auto* list = child<QListWidget>(d, "listRtData");
    ASSERT_EQ(list->count(), s.xfer.listRtData.size());
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Tx: 50 52 4F 47 "));
    EXPECT_TRUE(read->font().bold());
    EXPECT_FALSE(child<QLabel>(d, "imgGreen")->isVisible());

    // Address boxes: each box reaches its own setting and key, keystroke by
    // keystroke (the texts refused and listed: comm/modAddrBoxes_test.cpp).
    const struct { const char* box; const char* key; const char* text; int16_t Settings::*value; int expect; } boxes[] = {
        {"txtReadEndAddr", "ReadEndAddr", "1FF", &Settings::ReadEndAddr, 0x01FF},
        {"txtReadStartAddr", "ReadStartAddr", "0100", &Settings::ReadStartAddr, 0x0100},
        {"txtWriteStartAddr", "WriteStartAddr", "10", &Settings::WriteStartAddr, 0x0010},
        // Each keystroke is stored: "1234" was the last good value on the way.
        {"txtWriteEndAddr", "WriteEndAddr", "12345", &Settings::WriteEndAddr, 0x1234},
        {"txtMaxAddr", "TableMaxAddr", "0FF0", &Settings::TableMaxAddr, 0x0FF0},
    };
    for (const auto& b : boxes) {
        SCOPED_TRACE(b.text);
        retype(child<QLineEdit>(d, b.box), QString::fromLatin1(b.text));
        EXPECT_EQ(s.settings.*b.value, b.expect);
        EXPECT_EQ(h.profile().read(QStringLiteral("Setting"), QString::fromLatin1(b.key), {}, 20), QString::fromLatin1(b.text));
    }

    // "Not Show Course" hides the bar and the percentage; closing resets the
    // progress and only hides the dialog.
    child<QCheckBox>(d, "chkNotShowProg")->click();
    EXPECT_FALSE(bar->isVisible() || status->isVisible());
    child<QCheckBox>(d, "chkNotShowProg")->click();
    EXPECT_TRUE(bar->isVisible() && status->isVisible());
    ShowComPercent(s.xfer, 45);
    s.xfer.notifyProgress();
    EXPECT_EQ(status->text(), QStringLiteral("45 %"));
    EXPECT_EQ(bar->value(), 45);
    pressKey(d, Qt::Key_Escape);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(bar->value(), 0);
    EXPECT_TRUE(status->text().isEmpty());
}

// A paced read: the lamp blinks and the window stays live while it runs, with
// no closing and no second transfer; Stop Communication ends it between two
// scripts, keeps the image and closes the port, which the next read opens again.
TEST(frmCommun, PacedReadBlinksStaysLiveAndStopsOnRequest)
{
    Session t;
    ASSERT_TRUE(t.start(radioImage(), {QStringLiteral("--pace-baud"), QStringLiteral("9600")}));
    AppState& s = *t.h.s;
    frmCommun* d = t.h.commun;
    const auto image = s.doc.IicDat;
    auto* stop = child<QCheckBox>(d, "chkStopCom");
    EXPECT_FALSE(stop->isEnabled()) << "a request to a running transfer";
    // The lamp's blinks as a 10 ms timer on the window thread sees them.
    auto* lamp = child<QLabel>(d, "imgGreen");
    int ticks = 0, blinks = 0, progressSeen = 0;
    bool lit = lamp->isVisible();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        ++ticks;
        blinks += lamp->isVisible() != lit;
        lit = lamp->isVisible();
    });
    QObject::connect(&s.xfer, &Transfer::progressChanged, [&] { ++progressSeen; });
    tick.start(10);
    QElapsedTimer clock;
    clock.start();
    d->setMode(frmCommun::Mode::Read);
    child<QPushButton>(d, "cmdRead")->click();
    ASSERT_TRUE(d->transferRunning());

    pressKey(d, Qt::Key_Escape);
    EXPECT_FALSE(d->close());
    EXPECT_TRUE(d->isVisible());
    EXPECT_FALSE(child<QPushButton>(d, "cmdRead")->isEnabled());
    EXPECT_FALSE(child<QLineEdit>(d, "txtReadEndAddr")->isEnabled()) << "the running transfer's range is fixed";
    d->cmdRead_Click();
    ASSERT_TRUE(waitUntil([&] { return s.xfer.ComPercent >= 5; }, 20000));
    const qint64 ms = clock.elapsed();
    tick.stop();
    EXPECT_GT(ms, 250) << "26 blocks at 9600 baud take their line time";
    // The lamp toggles every 100 ms and the test's 10 ms timer keeps firing
    // (with room for a busy machine; a blocked window thread gives neither).
    EXPECT_GE(blinks, std::max(2, static_cast<int>(ms / 100) / 2));
    EXPECT_GE(ticks, static_cast<int>(ms / 10) / 4);
    EXPECT_GE(progressSeen, 5);

    stop->click();
    clock.restart();
    ASSERT_TRUE(waitUntil([&] { return t.outcome.has_value(); }, 5000));
    EXPECT_LT(clock.elapsed(), 2000) << "stopped between two scripts, long before the end of the read";
    EXPECT_EQ(t.outcome->result, TransferResult::Stopped);
    EXPECT_EQ(s.doc.IicDat, image);
    EXPECT_FALSE(stop->isChecked() || stop->isEnabled());
    EXPECT_FALSE(lamp->isVisible());

    ASSERT_TRUE(child<QLineEdit>(d, "txtReadEndAddr")->isEnabled());
    retype(child<QLineEdit>(d, "txtReadEndAddr"), QStringLiteral("001F"));
    ASSERT_TRUE(t.run(TransferDirection::Read));
    EXPECT_EQ(t.outcome->result, TransferResult::Success);
    EXPECT_EQ(s.doc.IicDat[0x0010], 0x00);
    EXPECT_EQ(s.doc.IicDat[0x0013], 0x43);
}

namespace {

// Answers the write preview once it is the active modal window: records what
// it shows, then presses Write or Cancel.
void answerPreview(bool write, QStringList* shown)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, write, shown] {
        auto* preview = qobject_cast<frmWritePreview*>(QApplication::activeModalWidget());
        if (!preview || !preview->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        *shown = preview->shownLines();
        child<QPushButton>(preview, write ? "cmdWrite" : "cmdCancel")->click();
    });
    poll->start(20);
}

} // namespace

// The write from the dialog, its check boxes read from the settings file: a
// backup read saved under Data/backups, the preview of the changes answered
// with its own buttons, the write and the verify, each on the worker thread;
// what the radio holds at the end. A radio that is not backed up starts
// blank, so every byte it ends with came from the write. (Every ending of the
// flow, a failed verify and its question among them: shell/SafeWrite_test.cpp.)
TEST(frmCommun, WriteWithBackupPreviewAndVerify)
{
    const auto V = SafeWriteEnd::Verified, C = SafeWriteEnd::Cancelled, W = SafeWriteEnd::Written, S = SafeWriteEnd::Stopped;
    // backup, verify: BackupBeforeWrite, VerifyAfterWrite in the settings file; preview: -1 none shown, 0 Cancel,
    // 1 Write; stop: Stop Communication while the backup is read (the flow's stop, not the transfer's).
    const struct { const char* name; bool backup, verify; int preview; bool stop; SafeWriteEnd end; const char* status; } cases[] = {
        {"backup, preview, write, verify", true, true, 1, false, V, "Verify 100 %"},
        {"write only", false, false, -1, false, W, "Write 100 %"},
        {"preview cancelled", true, true, 0, false, C, "Backup 100 %"},
        {"stop during the backup", true, true, -1, true, S, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray start = c.backup ? deliveredTemplate() : QByteArray(8192, '\0');
        const auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
        Session t;
        ASSERT_TRUE(t.start(start, c.stop ? QStringList{QStringLiteral("--pace-baud"), QStringLiteral("9600")} : QStringList{},
                            {{QStringLiteral("BackupBeforeWrite"), flag(c.backup)},
                             {QStringLiteral("VerifyAfterWrite"), flag(c.verify)}}));
        AppState& s = *t.h.s;
        frmCommun* d = t.h.commun;
        d->setMode(frmCommun::Mode::Write);
        EXPECT_EQ(child<QCheckBox>(d, "chkBackupBeforeWrite")->isChecked(), c.backup);
        EXPECT_EQ(child<QCheckBox>(d, "chkVerifyAfterWrite")->isChecked(), c.verify);
        child<QCheckBox>(d, "chkShowMemDat")->click();

        // A channel cell, an option in its window and a byte no view shows.
        s.doc.ChData[5][1] = 46257500;
        pressKey(child<QComboBox>(t.h.sysSet, "cboStep"), Qt::Key_Home);
        EXPECT_EQ(s.doc.OptSel[1], 0);
        s.doc.IicDat[0x1F05] = 0xA5;

        QStringList shown;
        if (c.preview >= 0)
            answerPreview(c.preview == 1, &shown);
        if (c.stop) {
            child<QPushButton>(d, "cmdWrite")->click();
            ASSERT_TRUE(waitUntil([&] { return s.xfer.ComPercent >= 5; }, 20000));
            EXPECT_EQ(child<QLabel>(d, "lblComStatus")->text().left(7), QStringLiteral("Backup "));
            EXPECT_FALSE(d->close()) << "the dialog stays while the flow runs";
            child<QCheckBox>(d, "chkStopCom")->click();
            ASSERT_TRUE(waitUntil([&] { return t.outcome.has_value(); }, 10000));
        } else {
            ASSERT_TRUE(t.run(TransferDirection::Write, 90000));
        }
        EXPECT_EQ(d->lastWriteEnd(), c.end);
        EXPECT_EQ(d->lastWriteSessions(), c.end == V || c.end == W ? 1 : 0);
        EXPECT_FALSE(d->transferRunning());
        EXPECT_TRUE(child<QPushButton>(d, "cmdWrite")->font().bold() && !child<QPushButton>(d, "cmdRead")->font().bold());
        EXPECT_TRUE(!c.status || child<QLabel>(d, "lblComStatus")->text() == QLatin1String(c.status));
        EXPECT_TRUE(t.h.ui.shown.empty());

        // The backup: the radio as it was, kept also when the write was cancelled.
        const QStringList backups = QDir(t.h.home() + QStringLiteral("/Data/backups")).entryList(QDir::Files);
        const bool backedUp = c.backup && c.end != S;
        ASSERT_EQ(backups.size(), backedUp ? 1 : 0);
        if (backedUp) {
            EXPECT_EQ(d->lastBackupPath(), t.h.home() + QStringLiteral("/Data/backups/") + backups[0]);
            EXPECT_EQ(readFile(d->lastBackupPath()), start);
        }
        if (c.preview >= 0) {
            ASSERT_GE(shown.size(), 1);
            EXPECT_EQ(shown[0], QStringLiteral("1 channel, 1 option and 3 byte ranges change (9 bytes differ)."));
            // A channel with its fields below it, an option and a byte range (their texts: shell/ImageDiff_test.cpp).
            for (const char* line : {"  CH 5 changed", "    RX Freq 462.5625 \u2192 462.575", "  Step: 12.5K \u2192 5K", "  1F05: FF \u2192 A5"})
                EXPECT_TRUE(shown.contains(QString::fromUtf8(line))) << line;
        }

        // What the radio holds: the program's image after a write, with
        // today's date stamp shown in the memory table; the start otherwise.
        const QByteArray after = t.radioAfter();
        ASSERT_EQ(after.size(), 8192);
        if (c.end == C || c.end == S) {
            EXPECT_EQ(after, start) << "nothing was written";
        } else {
            EXPECT_EQ(bytesOf(after), s.doc.IicDat) << "the radio holds what was sent";
            EXPECT_EQ(static_cast<uint8_t>(after[0x0E00]), 0);
            EXPECT_EQ(static_cast<uint8_t>(after[0x0E2E]), 0x5A);
            EXPECT_EQ(static_cast<uint8_t>(after[0x0E72]), QDate::currentDate().day());
            EXPECT_EQ(t.h.memDat->table().text(0x0E72), FormatByteDat(static_cast<uint8_t>(after[0x0E72])));
        }
    }
}
