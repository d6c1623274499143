#include "comm/TransferWorker.h"
#include "comm/modTransfer.h"
#include "shell/AppState.h"
#include "shell/RadioTransfer.h"
#include "support/CoreApp.h"
#include "support/DeliveredHome.h"
#include "support/FakeLink.h"
#include "support/ScriptedUi.h"
#include "support/TestHome.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <map>

#include <gtest/gtest.h>

using namespace qm;
using qmtest::FakeLink;
using qmtest::ScriptedUi;

namespace {

// Both ranges start..end over an erased image.
std::unique_ptr<AppState> transferState(int start = 0, int end = 0x1FFF)
{
    auto s = std::make_unique<AppState>();
    s->doc.IicDat.assign(0x2000, 0xFF);
    s->settings.SoftFaceStr[70] = QStringLiteral("Notice");
    s->settings.SoftFaceStr[79] = kText79;
    s->settings.ReadStartAddr = s->settings.WriteStartAddr = static_cast<int16_t>(start);
    s->settings.ReadEndAddr = s->settings.WriteEndAddr = static_cast<int16_t>(end);
    return s;
}

std::unique_ptr<FakeLink> patternRadio()
{
    auto link = std::make_unique<FakeLink>();
    for (size_t i = 0; i < link->radio.memory().size(); ++i)
        link->radio.at(i) = static_cast<uint8_t>(i * 7 + (i >> 8));
    return link;
}

QDateTime clock20100913() { return QDateTime(QDate(2010, 9, 13), QTime(14, 7, 31)); }

} // namespace

// A program as a write finds it: started on the delivered data, channel 2
// edited to receive on 440.125 MHz (in the channel table only, not yet in the
// image). A write that cannot open the port changes no byte; one that fails
// later leaves the program with the stamped image it began to send; a
// complete one stamps the date and sends the encoded image.
TEST(WriteTransfer, FailedAndCompleteWritesOfAnEditedProgram)
{
    qmtest::DeliveredHome home;
    AppState s;
    QString why;
    ASSERT_TRUE(home.create(&why) && qmtest::startTool(s, home.path(), &why)) << why.toStdString();
    s.doc.ChData[2][1] = 44012500;
    const auto before = s.doc.IicDat;
    ScriptedUi ui;

    FakeLink closed;
    closed.failOpen = true;
    EXPECT_EQ(runTransfer(s, TransferDirection::Write, closed, &ui, {}, clock20100913).result, TransferResult::PortOpenFailed);
    EXPECT_TRUE(closed.writes.isEmpty());
    EXPECT_EQ(s.doc.IicDat, before);
    EXPECT_EQ(s.doc.ChData[2][1], 44012500);
    ASSERT_EQ(s.errors.lines().size(), 2);
    EXPECT_TRUE(s.errors.lines()[1].contains(QStringLiteral("modCommun->OpenCom")));
    EXPECT_TRUE(s.errors.lines()[1].contains(QStringLiteral("出错号:   53")));
    EXPECT_TRUE(ui.shown.empty());

    // The radio stops answering at the fourth block, after channels 1 and 2 reached it.
    FakeLink broken;
    broken.replyOverride = [](int, const QByteArray& frame, const QByteArray& answer) {
        return frame.startsWith(QByteArray::fromHex("57003010")) ? QByteArray() : answer;
    };
    EXPECT_EQ(runTransfer(s, TransferDirection::Write, broken, &ui, {}, clock20100913).result, TransferResult::Aborted);
    EXPECT_TRUE(std::equal(s.doc.IicDat.begin(), s.doc.IicDat.begin() + 0x30, broken.radio.memory().begin()));
    EXPECT_EQ(broken.radio.memory()[0x23], 0x44);
    EXPECT_EQ(s.doc.IicDat[0x0E79], 0x07); // stamped, as the image sent was
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].prompt, kText79);

    s.optView.chkSetTime = true;
    FakeLink link;
    ASSERT_EQ(runTransfer(s, TransferDirection::Write, link, &ui, {}, clock20100913).result, TransferResult::Success);
    // 2010-09-13 as plain numbers, 14:07 as BCD; the edit of channel 2 at 0x20..0x23.
    // Every other byte is the template's: the delivered template is already
    // what the encoders write.
    const std::map<int, uint8_t> changed = {{0x0E70, 0x0A}, {0x0E71, 0x09}, {0x0E72, 0x0D}, {0x0E78, 0x14}, {0x0E79, 0x07},
                                            {0x20, 0x00}, {0x21, 0x25}, {0x22, 0x01}, {0x23, 0x44}};
    for (int a = 0; a < 0x2000; ++a) {
        const auto c = changed.find(a);
        ASSERT_EQ(s.doc.IicDat[a], c != changed.end() ? c->second : before[a]) << "address " << a;
    }
    EXPECT_EQ(link.radio.memory(), s.doc.IicDat);
    EXPECT_EQ(link.radio.blocksWritten(), 512);
    EXPECT_EQ(link.radio.clock(), (std::array<uint8_t, 3>{0x14, 0x07, 0x31})); // 14:07:31 in BCD
    EXPECT_EQ(link.closes, 1);
    EXPECT_EQ(s.errors.lines().size(), 2) << "nothing more listed";
    EXPECT_EQ(ui.shown.size(), 1u);
}

// Failed scripts, their retries and the seventh failure that abandons a
// transfer: sim/SimLink_test.cpp, with the radio's faults.

TEST(Transfer, RangesThatCannotBeTransferredAreRefusedBeforeOpening)
{
    const struct { int start, end, size; const char* words; } cases[] = {
        {0x0000, 519 * 16 - 1, 0x4000, "519 blocks"},
        {0x1000, 0x2000, 0x2000, "past the memory image"},
        {0x0200, 0x01FF, 0x2000, "above"},
        {-32768, 0x0010, 0x2000, "past the memory image"},
    };
    for (const auto& k : cases) {
        for (auto d : {TransferDirection::Read, TransferDirection::Write}) {
            SCOPED_TRACE(k.words);
            auto s = transferState(k.start, k.end);
            s->doc.IicDat.assign(static_cast<size_t>(k.size), 0xFF);
            s->xfer.listRtData << QStringLiteral("earlier trace");
            FakeLink link;
            ScriptedUi ui;
            const auto o = runTransfer(*s, d, link, &ui);
            EXPECT_EQ(o.result, TransferResult::Refused);
            EXPECT_TRUE(o.message.contains(QLatin1String(k.words))) << o.message.toStdString();
            EXPECT_EQ(link.opens, 0);
            EXPECT_EQ(s->doc.IicDat, std::vector<uint8_t>(static_cast<size_t>(k.size), 0xFF));
            ASSERT_EQ(ui.shown.size(), 1u);
            EXPECT_EQ(ui.shown[0].prompt, o.message);
            EXPECT_EQ(s->xfer.listRtData, QStringList{QStringLiteral("earlier trace")});
        }
    }
    auto s = transferState(0, 518 * 16 - 1);
    s->doc.IicDat.assign(0x4000, 0);
    EXPECT_TRUE(TransferRangeProblem(*s, TransferDirection::Read).isEmpty());
}

TEST(Transfer, UnexpectedErrorOrStopClosesThePortAndLeavesTheImage)
{
    auto s = transferState(0, 0x3F);
    auto link = patternRadio();
    TransferCallbacks cb;
    cb.progress = [](int p) {
        if (p > 50)
            throw QmError(6, QStringLiteral("show progress"), QStringLiteral("bar"), QStringLiteral("display overflow"));
    };
    const auto o = runTransfer(*s, TransferDirection::Read, *link, nullptr, cb);
    EXPECT_EQ(o.result, TransferResult::Error);
    EXPECT_TRUE(o.message.contains(QStringLiteral("display overflow")));
    EXPECT_EQ(link->closes, 1);
    EXPECT_EQ(s->doc.IicDat, std::vector<uint8_t>(0x2000, 0xFF));
    ASSERT_EQ(s->errors.lines().size(), 2);
    EXPECT_TRUE(s->errors.lines()[1].contains(QStringLiteral("frmCommun->cmdRead_Click")));
    EXPECT_TRUE(s->errors.lines()[1].contains(QStringLiteral("出错号:   6")));

    auto driver = prepareTransfer(*s, TransferDirection::Read);
    cb.progress = [&](int p) {
        if (p >= 50)
            driver->requestStop();
    };
    driver->setCallbacks(cb);
    const auto stopped = driver->run(*link);
    finishTransfer(*s, stopped, nullptr);
    EXPECT_EQ(stopped.result, TransferResult::Stopped);
    EXPECT_EQ(s->xfer.ComPercent, 50); // the script that reached 50 % was the last
    EXPECT_EQ(link->opens, 2);
    EXPECT_EQ(link->closes, 2);
    EXPECT_EQ(s->doc.IicDat, std::vector<uint8_t>(0x2000, 0xFF));
}

namespace {

// Runs a read on a worker with the given link factory to its end and returns
// what it reported; progress notes each percentage and the thread it arrived on.
TransferOutcome runWorker(AppState& s, TransferWorker::LinkFactory makeLink,
                          std::vector<std::pair<int, QThread*>>* progress = nullptr)
{
    qmtest::ensureCoreApp();
    auto* worker = new TransferWorker(prepareTransfer(s, TransferDirection::Read), std::move(makeLink));
    TransferOutcome outcome;
    QEventLoop loop;
    QObject context;
    QObject::connect(worker, &TransferWorker::progress, &context, [&](int p) {
        if (progress)
            progress->push_back({p, QThread::currentThread()});
    });
    QObject::connect(worker, &TransferWorker::traceLine, &context,
                     [&](int index, const QString& line, bool reset) { applyTraceLine(s, index, line, reset); });
    QObject::connect(worker, &TransferWorker::finished, &context, [&](const TransferOutcome& o) {
        outcome = o;
        loop.quit();
    });
    QThread* thread = startTransferThread(worker);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    thread->wait(5000);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return outcome;
}

} // namespace

// A complete read on the worker thread: every progress step and trace line
// reaches the caller's thread, and the read replaces the image. A link that
// cannot even be made ends the transfer with its reason, in the message and
// in the error list.
TEST(TransferWorker, CompleteReadOnAThreadAndALinkThatCannotBeMade)
{
    auto s = transferState();
    std::vector<std::pair<int, QThread*>> progress;
    const TransferOutcome outcome = runWorker(*s, [] { return patternRadio(); }, &progress);
    EXPECT_EQ(outcome.result, TransferResult::Success);
    ASSERT_EQ(progress.size(), 514u);
    EXPECT_EQ(progress[512].first, 97);
    EXPECT_EQ(progress.back().first, 100);
    EXPECT_TRUE(std::all_of(progress.begin(), progress.end(), [](const auto& p) { return p.second == QThread::currentThread(); }));
    EXPECT_EQ(s->xfer.listRtData, outcome.trace); // the live mirror matches the final list
    EXPECT_EQ(s->xfer.listRtData.first(), QStringLiteral("Tx: 50 52 4F 47 "));
    EXPECT_EQ(s->xfer.listRtData.last(), QStringLiteral("    23 45 F2 "));
    finishTransfer(*s, outcome, nullptr);
    EXPECT_EQ(s->doc.IicDat, patternRadio()->radio.memory());

    const auto image = s->doc.IicDat;
    const size_t listed = s->errors.entries().size();
    const TransferOutcome o = runWorker(*s, []() -> std::unique_ptr<CommLink> { throw std::runtime_error("no driver"); });
    EXPECT_EQ(o.result, TransferResult::PortOpenFailed);
    EXPECT_EQ(o.message, QStringLiteral("no driver"));
    finishTransfer(*s, o, nullptr);
    ASSERT_EQ(s->errors.entries().size(), listed + 1);
    EXPECT_EQ(s->errors.entries().back().label, QStringLiteral("modCommun->OpenCom"));
    EXPECT_EQ(s->errors.entries().back().detail(), QStringLiteral("no driver"));
    EXPECT_EQ(s->doc.IicDat, image);
}
