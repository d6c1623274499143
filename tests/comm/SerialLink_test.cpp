#include "comm/SerialLink.h"
#include "shell/AppState.h"
#include "comm/modCommun.h"
#include "support/CoreApp.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include "support/PtyRadio.h"

using namespace qm;

// Transfers over a pseudo-terminal run end to end in cli/e2e_transfer_test.cpp;
// here the reply time-out on the real clock once the radio falls silent, and
// a device that cannot be opened.
TEST(SerialLink, TimesOutOnTheRealClockAndNamesADeviceItCannotOpen)
{
    qmtest::ensureCoreApp();
    qmtest::PtyRadio pty;
    ASSERT_TRUE(pty.ok());
    {
        std::lock_guard<std::mutex> g(pty.lock());
        pty.radio().faults().silentEvery = 1; // no answer to anything
    }
    AppState s;
    SerialLink link(pty.path());
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
