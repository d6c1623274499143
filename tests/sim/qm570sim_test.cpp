// The real qm570-sim program on its pseudo-terminal, driven through the
// program's own serial link.
#include "comm/SerialLink.h"
#include "support/CoreApp.h"
#include "support/SimProcess.h"

#include <QDir>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

// Sends a frame and collects up to n bytes (or what came within two seconds).
QByteArray exchange(qm::SerialLink& link, const QByteArray& frame, int n)
{
    link.write(frame);
    for (const qint64 deadline = link.nowMs() + 2000; link.bytesAvailable() < n && link.nowMs() < deadline;)
        link.waitForBytes(50);
    return link.readAll();
}

QByteArray hex(const char* h) { return QByteArray::fromHex(h); }

} // namespace

TEST(Qm570Sim, ServesHandshakeReadWriteAndSavesAfterTheSession)
{
    qmtest::ensureCoreApp();
    QTemporaryDir dir;
    QByteArray image(8192, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(i * 13 + 5);
    const QString imagePath = dir.filePath(QStringLiteral("radio.dat")), savePath = dir.filePath(QStringLiteral("saved.dat"));
    ASSERT_TRUE(qmtest::writeFile(imagePath, image));
    qmtest::SimProcess sim({QStringLiteral("--image"), imagePath, QStringLiteral("--save"), savePath,
                            QStringLiteral("--sessions"), QStringLiteral("1"), QStringLiteral("--quiet")});
    qm::SerialLink link(sim.device());
    qm::Error error;
    ASSERT_TRUE(link.open(&error)) << error.text().toStdString();

    EXPECT_EQ(exchange(link, "PROGRAM", 8), QByteArray("PROGRAM\x06"));
    EXPECT_EQ(exchange(link, hex("02"), 9).size(), 9);
    EXPECT_EQ(exchange(link, hex("06"), 2), hex("0606"));
    EXPECT_EQ(exchange(link, hex("52123010"), 24), hex("5212301057123010") + image.mid(0x1230, 16));
    const QByteArray write = hex("57010010A0A1A2A3A4A5A6A7A8A9AAABACADAEAF");
    EXPECT_EQ(exchange(link, write, 21), write + '\x06');
    link.write(hex("455AA5322345F2")); // the end frame awaits nothing
    link.close();

    ASSERT_TRUE(sim.process().waitForFinished(5000)) << "--sessions 1 ends the simulator";
    EXPECT_EQ(sim.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.process().exitCode(), 0);
    image.replace(0x100, 16, write.mid(4));
    EXPECT_EQ(qmtest::readFile(savePath), image);
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("saved.dat*")}, QDir::Files).size(), 1); // no temporary left
}

TEST(Qm570Sim, FaultOptionsAreCheckedAndDocumented)
{
    const struct {
        QStringList args;
        const char* says;
    } bad[] = {
        {{"--refuse-block", "12345"}, "--refuse-block needs a hexadecimal address"},
        {{"--corrupt-block", "0100:0"}, "--corrupt-block needs"},
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
    const struct {
        QStringList args;
        const char* says;
    } refused[] = {
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
