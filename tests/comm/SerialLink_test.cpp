#include "comm/SerialLink.h"
#include "shell/AppState.h"
#include "shell/RadioTransfer.h"
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
    s.doc.IicDat.assign(0x2000, 0xFF);
    s.settings.ReadEndAddr = s.settings.WriteEndAddr = 0xFF;
    SerialLink link(pty.path());
    for (auto d : {TransferDirection::Read, TransferDirection::Write}) {
        const auto o = runTransfer(s, d, link, nullptr);
        ASSERT_EQ(o.result, TransferResult::Success) << o.message.toStdString();
        EXPECT_FALSE(link.isOpen());
        std::lock_guard<std::mutex> g(pty.lock());
        EXPECT_TRUE(std::equal(s.doc.IicDat.begin(), s.doc.IicDat.begin() + 0x100, pty.radio().memory().begin()));
        for (int i = 0; i < 0x100; ++i) // to be written back
            s.doc.IicDat[static_cast<size_t>(i)] = static_cast<uint8_t>(0xFF - i);
    }

    {
        std::lock_guard<std::mutex> g(pty.lock());
        pty.radio().faults().silentEvery = 1; // no answer to anything from now on
    }
    Error error;
    ASSERT_TRUE(link.open(&error)) << error.text().toStdString();
    ProtocolInterpreter interp(s.xfer, link, s.errors);
    ASSERT_TRUE(interp.ConvComCode(QStringLiteral("TX06RX06EN")));
    QElapsedTimer t;
    t.start();
    interp.ProtocolCom();
    EXPECT_EQ(s.xfer.ComErr, -1);
    EXPECT_GE(t.elapsed(), 151);
    link.close();

    QTemporaryDir dir;
    SerialLink missing(dir.filePath(QStringLiteral("no-such-tty")));
    EXPECT_FALSE(missing.open(&error));
    EXPECT_EQ(error.object, dir.filePath(QStringLiteral("no-such-tty"))); // the device and the system's reason
    EXPECT_FALSE(error.reason.isEmpty());
    EXPECT_FALSE(missing.isOpen());
    EXPECT_FALSE(SerialLink(QString()).open(&error));
    EXPECT_EQ(error.number, 53);
}
#endif
