// The qm570-sim program around the simulated radio: its arguments and its
// memory file. Its transfers over the pseudo-terminal, --save and --sessions
// are driven by the command-line tool in cli/e2e_transfer_test.cpp.
#include "support/SimProcess.h"

#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

TEST(Qm570Sim, FaultOptionsAreCheckedAndDocumented)
{
    const struct { QStringList args; const char* says; } bad[] = {
        {{"--refuse-block", "12345"}, "--refuse-block needs a hexadecimal address"},
        {{"--corrupt-block", "0100:0"}, "--corrupt-block needs"},
        {{"--corrupt-block", "0100:"}, "--corrupt-block needs"},
        {{"--refuse-block", "01G0:-1"}, "--refuse-block needs"},
        {{"--corrupt-data"}, "--corrupt-data needs"},
        {{"--corrupt-store", "G0"}, "--corrupt-store needs"},
        {{"--delay-ms", "60001"}, "--delay-ms needs"},
        {{"--silent-frames", "3,,4"}, "--silent-frames needs"},
        {{"--silent-every", "0"}, "--silent-every needs"},
    };
    for (const auto& c : bad) {
        const auto r = qmtest::runProgram(qmtest::binPath("qm570-sim"), c.args, 5000);
        EXPECT_EQ(r.exitCode, 2) << c.says;
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << "no device is offered";
    }
    const auto help = qmtest::runProgram(qmtest::binPath("qm570-sim"), {QStringLiteral("--help")}, 5000);
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--fail-first", "--silent-frames", "--silent-every", "--corrupt-block", "--corrupt-data",
                               "--refuse-block", "--corrupt-store", "--delay-ms", "--no-echo", "--pace-baud"})
        EXPECT_TRUE(help.out.contains(option)) << option;
}

// The memory file may be the image the radio started from (saving the radio
// over it is what the simulator is for), never a folder, device or pipe; an
// image is read with a bound, so a device cannot fill the memory.
TEST(Qm570Sim, MemoryFileMayBeTheImageButNoDeviceFolderOrPipe)
{
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("radio.dat")), fifo = dir.filePath(QStringLiteral("pipe"));
    ASSERT_TRUE(qmtest::writeFile(image, QByteArray(8192, '\x42')));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct { QStringList args; const char* says; } refused[] = {
        {{"--image", image, "--save", "/dev/full"}, "save the memory to /dev/full: it is a device, pipe or socket"},
        {{"--image", image, "--save", fifo}, "it is a device, pipe or socket"},
        {{"--image", image, "--save", dir.path()}, "it is a folder"},
        {{"--image", "/dev/zero"}, "read the image /dev/zero: it is a device or socket, not a regular file"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const qmtest::RunResult r = qmtest::runProgram(qmtest::binPath("qm570-sim"), c.args, 20000);
        EXPECT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.out.isEmpty()) << "no terminal was opened";
        EXPECT_TRUE(r.err.startsWith(QByteArray("qm570-sim: ")) && r.err.contains(c.says)) << r.err.toStdString();
    }

    // --save over its own --image: the memory goes back into the same file.
    qmtest::SimProcess sim({QStringLiteral("--image"), image, QStringLiteral("--save"), image, QStringLiteral("--quiet")});
    ASSERT_FALSE(sim.device().isEmpty());
    ASSERT_TRUE(qmtest::writeFile(image, "changed meanwhile"));
    sim.process().terminate();
    ASSERT_TRUE(sim.process().waitForFinished(5000));
    EXPECT_EQ(qmtest::readFile(image), QByteArray(8192, '\x42'));
}
