#include "channels/modChMem.h"
#include "comm/TransferWorker.h"
#include "comm/modCommun.h"
#include "comm/modTransfer.h"
#include "support/ChInfoFixture.h"
#include "support/FakeLink.h"
#include "support/CoreApp.h"
#include "support/ScriptedUi.h"
#include "support/TestHome.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <map>

#include <gtest/gtest.h>

using namespace qm;
using qmtest::FakeLink;
using qmtest::ScriptedUi;

namespace {

const QString kText79 = QStringLiteral("Communication failed,please check commuication port!");

void setUpTransfer(AppState& s, int start, int end)
{
    s.settings.DatNum = 0x1FFF;
    s.IicDat.assign(0x2000, 0xFF);
    s.SoftFaceStr[70] = QStringLiteral("Notice");
    s.SoftFaceStr[79] = kText79;
    s.SoftFaceStr[175] = QStringLiteral("Rx\uFF1ACommunication failed! No receive Data!");
    s.settings.ReadStartAddr = static_cast<int16_t>(start);
    s.settings.ReadEndAddr = static_cast<int16_t>(end);
    s.settings.WriteStartAddr = static_cast<int16_t>(start);
    s.settings.WriteEndAddr = static_cast<int16_t>(end);
    s.errors.now = [] { return QStringLiteral("T"); };
}

std::unique_ptr<AppState> transferState(int start = 0, int end = 0x1FFF)
{
    auto s = std::make_unique<AppState>();
    setUpTransfer(*s, start, end);
    return s;
}

// A program as a write finds it: started over the delivered settings file,
// the delivered template loaded and decoded into the channel table and the
// options.
class ProgramState : public qmtest::ChInfoFixture {
public:
    explicit ProgramState(int start = 0, int end = 0x1FFF) : ChInfoFixture(false)
    {
        AppState& st = s();
        EXPECT_TRUE(QFile::copy(qmtest::deliveredSettingsSource(), st.profile.path()));
        setUpTransfer(st, start, end);
        GetValidCharTbl(st);
        InitChMem(st);
        const QByteArray tmpl = qmtest::deliveredTemplate();
        st.IicDat.assign(tmpl.begin(), tmpl.end());
        SoftDisplay(st);
    }
};

// Channel 2 edited in the grid to receive on 440.125 MHz: in the channel
// table only, not yet in the image.
void editChannel2(AppState& s)
{
    s.ChData[2][1] = 44012500;
}

bool holdsEditOfChannel2(const std::vector<uint8_t>& image)
{
    return image[0x20] == 0x00 && image[0x21] == 0x25 && image[0x22] == 0x01 && image[0x23] == 0x44;
}

bool isStampByte(int a)
{
    return (a >= 0x0E70 && a <= 0x0E72) || a == 0x0E78 || a == 0x0E79;
}

void fillPattern(FakeLink& link)
{
    for (size_t i = 0; i < link.radio.mem.size(); ++i)
        link.radio.mem[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
}

// A tamper that leaves the first n answers to the given frames unanswered.
auto silenceFrames(std::map<QByteArray, int> times)
{
    return [times](int, const QByteArray& frame, const QByteArray& answer) mutable {
        auto it = times.find(frame);
        if (it != times.end() && it->second > 0) {
            --it->second;
            return QByteArray();
        }
        return answer;
    };
}

QDateTime clock20100913()
{
    return QDateTime(QDate(2010, 9, 13), QTime(14, 7, 31));
}

} // namespace

TEST(ReadTransfer, CompleteReadReplacesTheImage)
{
    auto s = transferState();
    FakeLink link;
    fillPattern(link);
    ScriptedUi ui;
    std::vector<int> progress;
    int traceLines = 0;
    TransferCallbacks cb;
    cb.progress = [&](int p) { progress.push_back(p); };
    cb.traceLine = [&](int, const QString&, bool) { ++traceLines; };
    const auto o = runTransfer(*s, TransferDirection::Read, link, &ui, cb);

    EXPECT_EQ(o.result, TransferResult::Success);
    EXPECT_EQ(s->IicDat, link.radio.mem);
    EXPECT_EQ(s->comm.ComFailTimes, 0);
    EXPECT_EQ(s->comm.ComPercent, 100);
    EXPECT_EQ(s->comm.ComStatusText, QStringLiteral("100 %"));
    ASSERT_EQ(progress.size(), 514u);
    EXPECT_EQ(progress[512], 97);
    EXPECT_EQ(progress[513], 100);
    EXPECT_EQ(link.radio.blockReads, 512);
    EXPECT_EQ(link.radio.endFrames, 1);
    EXPECT_EQ(link.opens, 1);
    EXPECT_EQ(link.closes, 1);
    EXPECT_FALSE(link.isOpen());
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(traceLines, s->comm.listRtData.size());
    EXPECT_EQ(s->comm.listRtData.first(), QStringLiteral("Tx: 50 52 4F 47 "));
    EXPECT_EQ(s->comm.listRtData.last(), QStringLiteral("    23 45 F2 "));
    // No pause before a script's closing "EN": one 5 ms gap per exchange.
    EXPECT_EQ(static_cast<int>(link.sleeps.size()), 3 + 512 + 1);
}

TEST(ReadTransfer, PartialRangeChangesOnlyThoseBytes)
{
    auto s = transferState(0x0100, 0x010F);
    FakeLink link;
    fillPattern(link);
    runTransfer(*s, TransferDirection::Read, link, nullptr);
    for (int a = 0; a < 0x2000; ++a) {
        const uint8_t expected = (a >= 0x100 && a <= 0x10F) ? link.radio.mem[static_cast<size_t>(a)] : 0xFF;
        ASSERT_EQ(s->IicDat[static_cast<size_t>(a)], expected) << a;
    }
}

TEST(ReadTransfer, FailuresAreCountedOverTheWholeTransfer)
{
    const QByteArray hs2 = QByteArray::fromHex("02"), hs3 = QByteArray::fromHex("06");
    const QByteArray b1 = QByteArray::fromHex("52001010"), b2 = QByteArray::fromHex("52002010");
    struct Case {
        std::map<QByteArray, int> silent; // frames whose first answers are lost
        TransferResult result;
        int failTimes;
    };
    const Case cases[] = {
        {{{b1, 1}}, TransferResult::Success, 1},                                   // one flaky block
        {{{hs2, 1}, {b1, 2}, {b2, 3}}, TransferResult::Success, 6},               // six over several scripts
        {{{hs2, 1}, {hs3, 1}, {b1, 2}, {b2, 3}}, TransferResult::Aborted, 7},    // the seventh aborts
    };
    for (const auto& k : cases) {
        auto s = transferState(0, 0x3F);
        const auto before = s->IicDat;
        FakeLink link;
        fillPattern(link);
        link.tamper = silenceFrames(k.silent);
        ScriptedUi ui;
        const auto o = runTransfer(*s, TransferDirection::Read, link, &ui);
        EXPECT_EQ(o.result, k.result);
        EXPECT_EQ(s->comm.ComFailTimes, k.failTimes);
        EXPECT_EQ(std::count(link.sleeps.begin(), link.sleeps.end(), 30), k.failTimes == 7 ? 6 : k.failTimes);
        EXPECT_FALSE(link.isOpen());
        if (k.result == TransferResult::Success) {
            EXPECT_TRUE(std::equal(link.radio.mem.begin(), link.radio.mem.begin() + 0x40, s->IicDat.begin()));
            EXPECT_TRUE(ui.shown.empty());
        } else {
            // Blocks had been read before the failure; the image keeps its old bytes.
            EXPECT_GT(link.radio.blockReads, 0);
            EXPECT_EQ(s->IicDat, before);
            EXPECT_EQ(link.radio.endFrames, 0);
            ASSERT_EQ(ui.shown.size(), 1u);
            EXPECT_EQ(ui.shown[0].prompt, kText79);
            EXPECT_EQ(ui.shown[0].title, QStringLiteral("Notice"));
            EXPECT_EQ(ui.shown[0].icon, MsgIcon::Exclamation);
        }
    }
}

TEST(ReadTransfer, NoRadioAbortsAfterSevenHandshakes)
{
    auto s = transferState();
    const auto before = s->IicDat;
    FakeLink link;
    link.echo = false;
    ScriptedUi ui;
    const auto o = runTransfer(*s, TransferDirection::Read, link, &ui);
    EXPECT_EQ(o.result, TransferResult::Aborted);
    EXPECT_EQ(link.writes.size(), 7);
    for (const auto& w : link.writes)
        EXPECT_EQ(w, QByteArray("PROGRAM"));
    EXPECT_EQ(s->IicDat, before);
    EXPECT_EQ(link.closes, 1);
    EXPECT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(s->comm.listRtData.count(s->SoftFaceStr[175]), 7);
}

TEST(WriteTransfer, StampsTheDateAndSendsTheImage)
{
    ProgramState p;
    AppState& s = p.s();
    ASSERT_EQ(s.IicDat.size(), 0x2000u);
    ASSERT_TRUE(s.errors.lines().isEmpty()) << s.errors.lines().join(QLatin1Char('\n')).toStdString();
    const auto before = s.IicDat;
    editChannel2(s);
    s.optView.chkSetTime = true;
    FakeLink link;
    ScriptedUi ui;
    const auto o = runTransfer(s, TransferDirection::Write, link, &ui, {}, clock20100913);
    ASSERT_EQ(o.result, TransferResult::Success);
    const uint8_t stamp[] = {0x0A, 0x09, 0x0D};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(s.IicDat[0x0E70 + i], stamp[i]);
    EXPECT_EQ(s.IicDat[0x0E78], 0x14);
    EXPECT_EQ(s.IicDat[0x0E79], 0x07);
    // The edit was assembled into the image; apart from it and the stamp the
    // image is the one loaded (0x0E73 and 0x0E76..0x0E77 lie between the
    // stamp bytes).
    EXPECT_TRUE(holdsEditOfChannel2(s.IicDat));
    for (int a = 0; a < 0x2000; ++a) {
        if (!isStampByte(a) && !(a >= 0x20 && a <= 0x23)) {
            ASSERT_EQ(s.IicDat[static_cast<size_t>(a)], before[static_cast<size_t>(a)]) << "address " << a;
        }
    }
    // The radio got the stamped image, block by block, then the end frame.
    EXPECT_EQ(link.radio.mem, s.IicDat);
    EXPECT_EQ(link.radio.blockWrites, 512);
    EXPECT_EQ(link.radio.endFrames, 1);
    EXPECT_EQ(link.writes.first(), QByteArray::fromHex("557997A557140731"));
    // Frames 1-3 are the handshake; frame 5 is the second block.
    EXPECT_EQ(link.writes[5],
              QByteArray::fromHex("57001010") + QByteArray(reinterpret_cast<const char*>(&s.IicDat[0x10]), 16));
    EXPECT_EQ(link.closes, 1);
    EXPECT_TRUE(s.errors.lines().isEmpty()) << s.errors.lines().join(QLatin1Char('\n')).toStdString();
}

TEST(WriteTransfer, PortThatCannotOpenSendsNothing)
{
    ProgramState p;
    AppState& s = p.s();
    ASSERT_TRUE(s.errors.lines().isEmpty());
    editChannel2(s);
    const auto before = s.IicDat;
    FakeLink link;
    link.failOpen = true;
    ScriptedUi ui;
    const auto o = runTransfer(s, TransferDirection::Write, link, &ui, {}, clock20100913);
    EXPECT_EQ(o.result, TransferResult::PortOpenFailed);
    EXPECT_EQ(s.comm.ComOpenErr, -1);
    EXPECT_TRUE(link.writes.isEmpty());
    // Neither assembled nor stamped: a write that never happened changes nothing.
    EXPECT_EQ(s.IicDat, before);
    EXPECT_EQ(s.ChData[2][1], 44012500); // the edit waits in the table
    ASSERT_EQ(s.errors.lines().size(), 2);
    EXPECT_TRUE(s.errors.lines()[1].contains(QStringLiteral("modCommun->OpenCom")));
    EXPECT_TRUE(s.errors.lines()[1].contains(QStringLiteral("出错号:   53")));
    EXPECT_TRUE(ui.shown.empty());
}

TEST(WriteTransfer, WriteThatFailsAfterOpeningKeepsTheImageItBeganToSend)
{
    // The radio stops answering at the fourth block: the first three (with
    // channels 1 and 2) have reached it, so the program's image must hold
    // what they carried.
    const QByteArray block4 = QByteArray::fromHex("57003010");
    ProgramState p;
    AppState& s = p.s();
    editChannel2(s);
    FakeLink link;
    link.tamper = [block4](int, const QByteArray& frame, const QByteArray& answer) {
        return frame.startsWith(block4) ? QByteArray() : answer;
    };
    ScriptedUi ui;
    const auto o = runTransfer(s, TransferDirection::Write, link, &ui, {}, clock20100913);
    EXPECT_EQ(o.result, TransferResult::Aborted);
    EXPECT_EQ(link.radio.endFrames, 0);
    ASSERT_GE(link.radio.blockWrites, 3);
    EXPECT_TRUE(holdsEditOfChannel2(link.radio.mem));
    EXPECT_TRUE(holdsEditOfChannel2(s.IicDat));
    EXPECT_TRUE(std::equal(s.IicDat.begin(), s.IicDat.begin() + 0x30, link.radio.mem.begin()));
    EXPECT_EQ(s.IicDat[0x0E70], 0x0A); // stamped, as the image sent was
    EXPECT_EQ(s.IicDat[0x0E79], 0x07);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].prompt, kText79);
}

TEST(Transfer, RangesThatCannotBeTransferredAreRefusedBeforeOpening)
{
    struct Case {
        int start, end, datNum;
        const char* words;
    } cases[] = {
        {0x0000, 0x2FFF, 0x3FFF, "768 blocks"},
        {0x0000, 0x205F + 0x10, 0x3FFF, "519 blocks"},
        {0x1000, 0x2000, 0x1FFF, "past the memory image"},
        {0x0200, 0x01FF, 0x1FFF, "above"},
        {-32768, 0x0010, 0x1FFF, "past the memory image"},
    };
    for (const auto& k : cases) {
        for (auto d : {TransferDirection::Read, TransferDirection::Write}) {
            auto s = transferState(k.start, k.end);
            s->IicDat.assign(static_cast<size_t>(k.datNum) + 1, 0xFF);
            const auto before = s->IicDat;
            s->comm.listRtData << QStringLiteral("earlier trace");
            FakeLink link;
            ScriptedUi ui;
            const auto o = runTransfer(*s, d, link, &ui);
            EXPECT_EQ(o.result, TransferResult::Refused) << k.words;
            EXPECT_TRUE(o.message.contains(QLatin1String(k.words))) << o.message.toStdString();
            EXPECT_EQ(link.opens, 0);
            EXPECT_EQ(s->IicDat, before);
            ASSERT_EQ(ui.shown.size(), 1u);
            EXPECT_EQ(ui.shown[0].prompt, o.message);
            EXPECT_EQ(s->comm.listRtData, QStringList{QStringLiteral("earlier trace")});
        }
    }
    // 518 blocks are fine.
    auto s = transferState(0, 518 * 16 - 1);
    s->IicDat.assign(0x4000, 0);
    EXPECT_TRUE(TransferRangeProblem(*s, TransferDirection::Read).isEmpty());
}

TEST(Transfer, UnexpectedErrorClosesThePortAndTheNextTransferOpensIt)
{
    auto s = transferState(0, 0x3F);
    const auto before = s->IicDat;
    FakeLink link;
    fillPattern(link);
    TransferCallbacks cb;
    cb.progress = [](int p) {
        if (p > 50)
            throw QmError(6, QStringLiteral("display overflow"));
    };
    ScriptedUi ui;
    const auto o = runTransfer(*s, TransferDirection::Read, link, &ui, cb);
    EXPECT_EQ(o.result, TransferResult::Error);
    EXPECT_TRUE(o.message.contains(QStringLiteral("display overflow")));
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(link.closes, 1);
    EXPECT_EQ(s->IicDat, before);
    ASSERT_EQ(s->errors.lines().size(), 2);
    EXPECT_TRUE(s->errors.lines()[1].contains(QStringLiteral("frmCommun->cmdRead_Click")));
    EXPECT_TRUE(s->errors.lines()[1].contains(QStringLiteral("出错号:   6")));

    const auto again = runTransfer(*s, TransferDirection::Read, link, &ui);
    EXPECT_EQ(again.result, TransferResult::Success);
    EXPECT_EQ(link.opens, 2);
    EXPECT_EQ(link.closes, 2);
}

TEST(Transfer, PortErrorsCountAsFailuresAndCloseThePort)
{
    ProgramState p(0, 0x3F);
    AppState& s = p.s();
    FakeLink link;
    link.onWrite = [] { throw QmError(75, QStringLiteral("unplugged")); };
    ScriptedUi ui;
    const auto o = runTransfer(s, TransferDirection::Write, link, &ui, {}, clock20100913);
    EXPECT_EQ(o.result, TransferResult::Aborted);
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(s.errors.lines().size(), 14) << s.errors.lines().join(QLatin1Char('\n')).toStdString(); // seven listed port errors
    EXPECT_EQ(ui.shown.size(), 1u);
}

TEST(Transfer, StopBetweenScriptsLeavesTheImage)
{
    auto s = transferState();
    const auto before = s->IicDat;
    FakeLink link;
    fillPattern(link);
    TransferDriver driver(*s, TransferDirection::Read);
    TransferCallbacks cb;
    cb.progress = [&](int p) {
        if (p >= 10)
            driver.requestStop();
    };
    driver.setCallbacks(cb);
    const auto o = driver.run(link);
    finishTransfer(*s, o, nullptr);
    EXPECT_EQ(o.result, TransferResult::Stopped);
    EXPECT_EQ(s->IicDat, before);
    EXPECT_FALSE(link.isOpen());
    EXPECT_LT(link.radio.blockReads, 512);
}

TEST(Transfer, ErrorLinesOfTheWorkerReachTheProgramsList)
{
    AppState a, b;
    a.errors.now = [] { return QStringLiteral("A"); };
    a.errors.AddErrInfo(QStringLiteral("modCommun->RxComDat"), 9);
    a.errors.AddErrInfo(QStringLiteral("x->y"), -5, QStringLiteral("src"));
    b.errors.now = a.errors.now;
    replayErrorLines(b, a.errors.lines());
    EXPECT_EQ(b.errors.lines(), a.errors.lines());
}

TEST(TransferWorker, RunsOnAThreadAndReportsThroughSignals)
{
    qmtest::ensureCoreApp();

    auto s = transferState(0, 0xFF);
    auto driver = std::make_unique<TransferDriver>(*s, TransferDirection::Read);
    std::vector<uint8_t> radioMem;
    auto* worker = new TransferWorker(std::move(driver), [&radioMem] {
        auto link = std::make_unique<FakeLink>();
        fillPattern(*link);
        radioMem = link->radio.mem;
        return link;
    });
    std::vector<int> progress;
    int lines = 0;
    QThread* seenOn = nullptr;
    TransferOutcome outcome;
    QEventLoop loop;
    QObject context;
    QObject::connect(worker, &TransferWorker::progress, &context, [&](int p) {
        progress.push_back(p);
        seenOn = QThread::currentThread();
    });
    QObject::connect(worker, &TransferWorker::traceLine, &context, [&](int index, const QString& line, bool reset) {
        ++lines;
        applyTraceLine(*s, index, line, reset);
    });
    QObject::connect(worker, &TransferWorker::finished, &context, [&](const TransferOutcome& o) {
        outcome = o;
        loop.quit();
    });
    QThread* thread = startTransferThread(worker);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    thread->wait(5000);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_EQ(outcome.result, TransferResult::Success);
    EXPECT_EQ(seenOn, QThread::currentThread());
    ASSERT_EQ(progress.size(), 16u + 2u);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_EQ(lines, outcome.trace.size());
    EXPECT_EQ(s->comm.listRtData, outcome.trace); // the live mirror matches the final list
    finishTransfer(*s, outcome, nullptr);
    EXPECT_TRUE(std::equal(radioMem.begin(), radioMem.begin() + 0x100, s->IicDat.begin()));
    EXPECT_EQ(s->IicDat[0x100], 0xFF);
}
