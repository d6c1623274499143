#include "comm/SerialLink.h"
#include "comm/modCommun.h"
#include "comm/modTransfer.h"
#include "support/CoreApp.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include "support/PtyRadio.h"

using namespace qm;

namespace {

std::unique_ptr<AppState> linkState(int start, int end)
{
    auto s = std::make_unique<AppState>();
    s->IicDat.assign(0x2000, 0xFF);
    s->settings.ReadStartAddr = static_cast<int16_t>(start);
    s->settings.ReadEndAddr = static_cast<int16_t>(end);
    s->settings.WriteStartAddr = static_cast<int16_t>(start);
    s->settings.WriteEndAddr = static_cast<int16_t>(end);
    return s;
}

} // namespace

TEST(SerialLink, OpensAPseudoTerminalAndExchangesFrames)
{
    qmtest::ensureCoreApp();
    qmtest::PtyRadio pty;
    ASSERT_TRUE(pty.ok());
    SerialLink link(pty.path());
    QString reason;
    int number = 0;
    ASSERT_TRUE(link.open(&reason, &number)) << reason.toStdString();
    EXPECT_TRUE(link.isOpen());
    link.clearBuffers();
    link.write(QByteArray("PROGRAM"));
    const qint64 deadline = link.nowMs() + 2000;
    while (link.bytesAvailable() < 8 && link.nowMs() < deadline)
        link.waitForBytes(50);
    EXPECT_EQ(link.readAll(), QByteArray("PROGRAM\x06"));
    link.close();
    EXPECT_FALSE(link.isOpen());
}

TEST(SerialLink, ReadAndWriteTransfersOverAPseudoTerminal)
{
    qmtest::ensureCoreApp();
    qmtest::PtyRadio pty;
    ASSERT_TRUE(pty.ok());
    for (size_t i = 0; i < pty.radio.mem.size(); ++i)
        pty.radio.mem[i] = static_cast<uint8_t>(i * 13);
    auto s = linkState(0, 0xFF);
    SerialLink link(pty.path());
    auto o = runTransfer(*s, TransferDirection::Read, link, nullptr);
    ASSERT_EQ(o.result, TransferResult::Success) << o.message.toStdString();
    EXPECT_FALSE(link.isOpen());
    {
        std::lock_guard<std::mutex> g(pty.lock());
        EXPECT_TRUE(std::equal(s->IicDat.begin(), s->IicDat.begin() + 0x100, pty.radio.mem.begin()));
    }

    for (int i = 0; i < 0x100; ++i)
        s->IicDat[static_cast<size_t>(i)] = static_cast<uint8_t>(0xFF - i);
    o = runTransfer(*s, TransferDirection::Write, link, nullptr);
    ASSERT_EQ(o.result, TransferResult::Success) << o.message.toStdString();
    std::lock_guard<std::mutex> g(pty.lock());
    EXPECT_TRUE(std::equal(s->IicDat.begin(), s->IicDat.begin() + 0x100, pty.radio.mem.begin()));
    EXPECT_EQ(pty.radio.endFrames, 2);
}

TEST(SerialLink, SilentRadioTimesOutAfterAbout151Ms)
{
    qmtest::ensureCoreApp();
    qmtest::PtyRadio pty;
    ASSERT_TRUE(pty.ok());
    pty.silent = true;
    auto s = linkState(0, 0xF);
    s->comm.RxWaitMs = 1;
    s->comm.RxWaitTimes = 150;
    SerialLink link(pty.path());
    QString reason;
    int number = 0;
    ASSERT_TRUE(link.open(&reason, &number));
    ASSERT_TRUE(ConvComCode(*s, QStringLiteral("TX06RX06EN")));
    QElapsedTimer t;
    t.start();
    ProtocolCom(*s, link);
    const auto ms = t.elapsed();
    EXPECT_EQ(s->comm.ComErr, -1);
    EXPECT_GE(ms, 151);
    EXPECT_LT(ms, 1000);
}

TEST(SerialLink, MissingDeviceFailsToOpen)
{
    qmtest::ensureCoreApp();
    QTemporaryDir dir;
    SerialLink link(dir.filePath(QStringLiteral("no-such-tty")));
    QString reason;
    int number = 0;
    EXPECT_FALSE(link.open(&reason, &number));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_FALSE(link.isOpen());
    SerialLink none{QString()};
    EXPECT_FALSE(none.open(&reason, &number));
    EXPECT_EQ(number, 53);
}
#endif
