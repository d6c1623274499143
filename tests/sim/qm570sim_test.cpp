// The real qm570-sim program on a real pseudo-terminal, driven with plain
// POSIX calls the way a serial port would be.
#include "support/SimProcess.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kProgram = {0x50, 0x52, 0x4F, 0x47, 0x52, 0x41, 0x4D};
const Bytes kEnd = {0x45, 0x5A, 0xA5, 0x32, 0x23, 0x45, 0xF2};

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

QByteArray pattern(int size)
{
    QByteArray a(size, '\0');
    for (int i = 0; i < size; ++i)
        a[i] = char(i * 13 + 5);
    return a;
}

using qmtest::readFile;
using qmtest::writeFile;
using Sim = qmtest::SimProcess;

// The computer's end of the line, opened like a serial port.
class Port {
public:
    explicit Port(const QString& device)
    {
        fd_ = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0)
            return;
        termios tio;
        ::tcgetattr(fd_, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(fd_, TCSANOW, &tio);
        ::tcflush(fd_, TCIOFLUSH);
    }
    ~Port()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool isOpen() const { return fd_ >= 0; }

    // Sends a frame in one write and collects up to n bytes (or what came
    // within the time limit).
    Bytes exchange(const Bytes& out, std::size_t n, int limitMs = 2000)
    {
        if (!out.empty() && ::write(fd_, out.data(), out.size()) != ssize_t(out.size()))
            return {};
        Bytes in;
        QElapsedTimer t;
        t.start();
        while (in.size() < n && t.elapsed() < limitMs) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, int(limitMs - t.elapsed())) <= 0)
                break;
            uint8_t buf[256];
            const ssize_t got = ::read(fd_, buf, sizeof buf);
            if (got > 0)
                in.insert(in.end(), buf, buf + got);
        }
        return in;
    }

private:
    int fd_ = -1;
};

Bytes slice(const QByteArray& a, int from, int n)
{
    return Bytes(a.begin() + from, a.begin() + from + n);
}

} // namespace

TEST(Qm570Sim, ServesHandshakeReadWriteAndSavesAfterTheSession)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray image = pattern(8192);
    const QString imagePath = dir.filePath(QStringLiteral("radio.dat"));
    const QString savePath = dir.filePath(QStringLiteral("saved.dat"));
    ASSERT_TRUE(writeFile(imagePath, image));

    Sim sim({QStringLiteral("--image"), imagePath, QStringLiteral("--save"), savePath, QStringLiteral("--sessions"),
             QStringLiteral("1"), QStringLiteral("--quiet")});
    ASSERT_TRUE(sim.device().startsWith(QStringLiteral("/dev/"))) << sim.device().toStdString();
    Port port(sim.device());
    ASSERT_TRUE(port.isOpen());

    EXPECT_EQ(port.exchange(kProgram, 8), cat({kProgram, {0x06}}));
    const Bytes ident = port.exchange({0x02}, 9);
    ASSERT_EQ(ident.size(), 9u);
    EXPECT_EQ(ident[0], 0x02);
    EXPECT_EQ(port.exchange({0x06}, 2), (Bytes{0x06, 0x06}));

    const Bytes readCmd = {0x52, 0x12, 0x30, 0x10};
    EXPECT_EQ(port.exchange(readCmd, 24), cat({readCmd, {0x57, 0x12, 0x30, 0x10}, slice(image, 0x1230, 16)}));

    Bytes data(16);
    for (int i = 0; i < 16; ++i)
        data[i] = uint8_t(0xA0 + i);
    const Bytes writeCmd = cat({{0x57, 0x01, 0x00, 0x10}, data});
    EXPECT_EQ(port.exchange(writeCmd, 21), cat({writeCmd, {0x06}}));

    EXPECT_EQ(port.exchange(kEnd, 7), kEnd) << "the end frame is echoed and not answered";
    ASSERT_TRUE(sim.process().waitForFinished(5000)) << "--sessions 1 ends the simulator";
    EXPECT_EQ(sim.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.process().exitCode(), 0);

    QByteArray expected = image;
    for (int i = 0; i < 16; ++i)
        expected[0x100 + i] = char(data[i]);
    EXPECT_EQ(readFile(savePath), expected);
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("saved.dat*")}, QDir::Files).size() == 1)
        << "no temporary file is left behind";
}

TEST(Qm570Sim, SurvivesClosedPortsAndBrokenFramesAndSavesOnSigterm)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // The default image is Kelvex.exe in the home folder; a short one reads FF beyond its end.
    const QByteArray image = pattern(0x1000);
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("Kelvex.exe")), image));
    const QString savePath = dir.filePath(QStringLiteral("saved.dat"));

    Sim sim({QStringLiteral("--home"), dir.path(), QStringLiteral("--save"), savePath, QStringLiteral("--quiet")});
    ASSERT_FALSE(sim.device().isEmpty());
    for (int round = 0; round < 2; ++round) {
        Port port(sim.device());
        ASSERT_TRUE(port.isOpen());
        EXPECT_EQ(port.exchange(kProgram, 8), cat({kProgram, {0x06}})) << round;
        const Bytes cmd = {0x52, 0x0F, 0xF8, 0x10};
        Bytes expected = cat({cmd, {0x57, 0x0F, 0xF8, 0x10}, slice(image, 0x0FF8, 8)});
        expected.resize(24, 0xFF);
        EXPECT_EQ(port.exchange(cmd, 24), expected) << round;
        EXPECT_EQ(port.exchange({0x57, 0x00, 0x00, 0x01, uint8_t(0x40 + round)}, 6),
                  (Bytes{0x57, 0x00, 0x00, 0x01, uint8_t(0x40 + round), 0x06}));
        // No end frame: the programmer just closes the port.
    }
    {
        // A frame that breaks off is forgotten once the line has been quiet a while.
        Port port(sim.device());
        EXPECT_EQ(port.exchange({0x57, 0x00, 0x00, 0x10, 0xAA}, 5).size(), 5u);
        ::usleep(400'000);
        EXPECT_EQ(port.exchange(kProgram, 8), cat({kProgram, {0x06}}));
    }

    sim.process().terminate();
    ASSERT_TRUE(sim.process().waitForFinished(5000));
    EXPECT_EQ(sim.process().exitCode(), 0);
    const QByteArray saved = readFile(savePath);
    ASSERT_EQ(saved.size(), 8192);
    EXPECT_EQ(uint8_t(saved[0]), 0x41);
    EXPECT_EQ(saved.mid(1, 0x0FFF), image.mid(1));
    EXPECT_EQ(saved.mid(0x1000), QByteArray(0x1000, char(0xFF)));
}

TEST(Qm570Sim, PacedRepliesTakeTheirLineTime)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString imagePath = dir.filePath(QStringLiteral("radio.dat"));
    ASSERT_TRUE(writeFile(imagePath, pattern(8192)));
    Sim sim({QStringLiteral("--image"), imagePath, QStringLiteral("--pace-baud"), QStringLiteral("1200"),
             QStringLiteral("--quiet")});
    Port port(sim.device());
    ASSERT_TRUE(port.isOpen());
    ASSERT_EQ(port.exchange(kProgram, 8).size(), 8u);

    // 4 bytes out (their echo overlaps them) and 20 back: 24 bytes of 10 bits
    // at 1200 baud can not arrive in less than 200 ms.
    QElapsedTimer t;
    t.start();
    const Bytes got = port.exchange({0x52, 0x00, 0x00, 0x10}, 24);
    const qint64 elapsed = t.elapsed();
    EXPECT_EQ(got.size(), 24u);
    EXPECT_GE(elapsed, 199);
}

TEST(Qm570Sim, RefusesAMissingImageAndUnknownOptions)
{
    QProcess p;
    p.start(QStringLiteral(QM570_BIN_DIR "/qm570-sim"), {QStringLiteral("--image"), QStringLiteral("/nonexistent/x.dat")});
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(p.readAllStandardOutput().isEmpty()) << "no device path when nothing is served";
    EXPECT_TRUE(p.readAllStandardError().contains("/nonexistent/x.dat"));

    for (const QStringList& args : {QStringList{QStringLiteral("--bogus")},
                                    QStringList{QStringLiteral("--corrupt-block"), QStringLiteral("12G4")},
                                    QStringList{QStringLiteral("--pace-baud")}}) {
        p.start(QStringLiteral(QM570_BIN_DIR "/qm570-sim"), args);
        ASSERT_TRUE(p.waitForFinished(5000));
        EXPECT_EQ(p.exitCode(), 2) << args.join(' ').toStdString();
    }
}
