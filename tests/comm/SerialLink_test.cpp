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

// A radio behind a pseudo-terminal: read and write transfers, then the reply
// time-out on the real clock once the radio falls silent.
TEST(SerialLink, TransfersAndTimesOutOverAPseudoTerminal)
{
    qmtest::ensureCoreApp();
    std::vector<uint8_t> memory(0x2000);
    for (size_t i = 0; i < memory.size(); ++i)
        memory[i] = static_cast<uint8_t>(i * 13);
    qmtest::PtyRadio pty(memory);
    ASSERT_TRUE(pty.ok());
    AppState s;
    s.IicDat.assign(0x2000, 0xFF);
    s.settings.ReadEndAddr = s.settings.WriteEndAddr = 0xFF;
    SerialLink link(pty.path());
    for (auto d : {TransferDirection::Read, TransferDirection::Write}) {
        const auto o = runTransfer(s, d, link, nullptr);
        ASSERT_EQ(o.result, TransferResult::Success) << o.message.toStdString();
        EXPECT_FALSE(link.isOpen());
        std::lock_guard<std::mutex> g(pty.lock());
        EXPECT_TRUE(std::equal(s.IicDat.begin(), s.IicDat.begin() + 0x100, pty.radio().memory().begin()));
        for (int i = 0; i < 0x100; ++i) // to be written back
            s.IicDat[static_cast<size_t>(i)] = static_cast<uint8_t>(0xFF - i);
    }

    {
        std::lock_guard<std::mutex> g(pty.lock());
        pty.radio().faults().silentEvery = 1; // no answer to anything from now on
    }
    QString reason;
    int number = 0;
    ASSERT_TRUE(link.open(&reason, &number)) << reason.toStdString();
    ASSERT_TRUE(ConvComCode(s, QStringLiteral("TX06RX06EN")));
    QElapsedTimer t;
    t.start();
    ProtocolCom(s, link);
    EXPECT_EQ(s.comm.ComErr, -1);
    EXPECT_GE(t.elapsed(), 151);
    link.close();

    QTemporaryDir dir;
    SerialLink missing(dir.filePath(QStringLiteral("no-such-tty")));
    EXPECT_FALSE(missing.open(&reason, &number));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_FALSE(missing.isOpen());
    EXPECT_FALSE(SerialLink(QString()).open(&reason, &number));
    EXPECT_EQ(number, 53);
}
#endif
