// Smoke test of the real program on a real X server (Xvfb): it starts in a
// program folder, shows its main window, captures it and ends through
// File > Exit answered Yes, which stores the window layout.
#include "support/window/ShellWindow.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace qmtest;

TEST(DesktopSmoke, StartsShowsItsWindowAndExitsThroughFileExit)
{
    const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    if (xvfbRun.isEmpty())
        GTEST_SKIP() << "xvfb-run is not installed (scripts/setup.sh installs it)";
    ProgramFolder home;
    QString why;
    ASSERT_TRUE(home.create(3, &why)) << why.toStdString();
    const QString shot = home.file(QStringLiteral("main.png"));

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the X server, not offscreen
    program.setProcessEnvironment(env);
    program.start(xvfbRun, {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1280x800x24"),
                            QStringLiteral(QM570_BIN_DIR "/qm570"), QStringLiteral("--home"), home.path(),
                            QStringLiteral("--screenshot"), shot});
    ASSERT_TRUE(program.waitForStarted(10000)) << program.errorString().toStdString();
    if (!program.waitForFinished(90000)) {
        program.kill();
        program.waitForFinished();
        FAIL() << "qm570 did not end: " << program.readAllStandardError().toStdString();
    }
    const QString err = QString::fromLocal8Bit(program.readAllStandardError());
    ASSERT_EQ(program.exitStatus(), QProcess::NormalExit) << err.toStdString();
    EXPECT_EQ(program.exitCode(), 0) << err.toStdString();

    const QImage image(shot);
    ASSERT_FALSE(image.isNull()) << err.toStdString();
    EXPECT_GE(image.width(), 600);
    EXPECT_GE(image.height(), 400);
    // The exit ran: the layout is stored, the image was not saved.
    EXPECT_NE(home.setting(QStringLiteral("Geometry"), QStringLiteral("Desktop")), QStringLiteral("<absent>"));
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("Data/Untitled.dat"))));
}
