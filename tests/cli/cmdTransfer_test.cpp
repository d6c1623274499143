// End-to-end: the real qm570-cli against a radio on a pseudo-terminal.
#include "support/CoreApp.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include "support/PtyRadio.h"

namespace {

struct CliRun {
    int code = -1;
    QString out, err;
};

CliRun runCli(const QStringList& args)
{
    qmtest::ensureCoreApp();
    QProcess p;
    p.start(QStringLiteral(QM570_BIN_DIR "/qm570-cli"), args);
    CliRun r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitCode();
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

QString home()
{
    return QStringLiteral(QM570_BIN_DIR);
}

// The tool needs the program's start-up (settings file and template image).
bool startupAvailable(const QString& device)
{
    const CliRun r = runCli({QStringLiteral("read"), QStringLiteral("-o"), QDir::temp().filePath(QStringLiteral("qm570-probe.dat")),
                             QStringLiteral("--device"), device, QStringLiteral("--start"), QStringLiteral("0000"),
                             QStringLiteral("--end"), QStringLiteral("0000"), QStringLiteral("--home"), home()});
    QFile::remove(QDir::temp().filePath(QStringLiteral("qm570-probe.dat")));
    return !r.err.contains(QStringLiteral("start-up failed"));
}

} // namespace

TEST(CliTransfer, HelpAndBadArguments)
{
    for (const char* cmd : {"read", "write"}) {
        const CliRun h = runCli({QLatin1String(cmd), QStringLiteral("--help")});
        EXPECT_EQ(h.code, 0);
        EXPECT_TRUE(h.out.startsWith(QStringLiteral("usage: qm570-cli ") + QLatin1String(cmd)));
    }
    EXPECT_EQ(runCli({QStringLiteral("read")}).code, 2);
    EXPECT_EQ(runCli({QStringLiteral("write")}).code, 2);
    EXPECT_EQ(runCli({QStringLiteral("read"), QStringLiteral("-o"), QStringLiteral("x"), QStringLiteral("--port"), QStringLiteral("17")}).code, 2);
    EXPECT_EQ(runCli({QStringLiteral("read"), QStringLiteral("-o"), QStringLiteral("x"), QStringLiteral("--start"), QStringLiteral("G0")}).code, 2);
    EXPECT_EQ(runCli({QStringLiteral("read"), QStringLiteral("-o"), QStringLiteral("x"), QStringLiteral("--bogus")}).code, 2);
}

TEST(CliTransfer, ReadWriteAndFailureOverAPseudoTerminal)
{
    qmtest::PtyRadio pty;
    ASSERT_TRUE(pty.ok());
    if (!startupAvailable(pty.path()))
        GTEST_SKIP() << "the tool's start-up is not available in this build";
    for (size_t i = 0; i < pty.radio.mem.size(); ++i)
        pty.radio.mem[i] = static_cast<uint8_t>(i * 11 + 3);

    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("read.dat"));
    CliRun r = runCli({QStringLiteral("read"), QStringLiteral("-o"), out, QStringLiteral("--device"), pty.path(),
                       QStringLiteral("--start"), QStringLiteral("0100"), QStringLiteral("--end"), QStringLiteral("013F"),
                       QStringLiteral("--trace"), QStringLiteral("--home"), home()});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Tx: 52 01 00 10 \n")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("Rx: 57 01 00 10 \n       ")));
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray img = f.readAll();
    f.close();
    ASSERT_GE(img.size(), 0x140);
    for (int a = 0x100; a < 0x140; ++a)
        EXPECT_EQ(static_cast<uint8_t>(img[a]), pty.radio.mem[static_cast<size_t>(a)]) << a;

    // Write an image back, with the clock set first. The range lies where no
    // codec re-encodes the bytes, so they reach the radio as they are.
    ASSERT_GE(img.size(), 0x2000);
    QByteArray changed = img;
    for (int a = 0x1F00; a < 0x1F40; ++a)
        changed[a] = static_cast<char>(0xA5);
    const QString in = dir.filePath(QStringLiteral("in.dat"));
    QFile w(in);
    ASSERT_TRUE(w.open(QIODevice::WriteOnly));
    w.write(changed);
    w.close();
    r = runCli({QStringLiteral("write"), in, QStringLiteral("--set-time"), QStringLiteral("--device"), pty.path(),
                QStringLiteral("--start"), QStringLiteral("1F00"), QStringLiteral("--end"), QStringLiteral("1F3F"),
                QStringLiteral("--home"), home()});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    {
        std::lock_guard<std::mutex> g(pty.lock());
        EXPECT_EQ(pty.radio.setTime.size(), 3);
        EXPECT_EQ(pty.radio.mem[0x1F00], 0xA5);
        EXPECT_EQ(pty.radio.mem[0x1F3F], 0xA5);
        EXPECT_EQ(pty.radio.mem[0x1F40], static_cast<uint8_t>(0x1F40 * 11 + 3));
        EXPECT_EQ(pty.radio.endFrames, 3);
    }

    // A radio that does not answer: text 79, non-zero status, no file.
    pty.silent = true;
    const QString none = dir.filePath(QStringLiteral("none.dat"));
    r = runCli({QStringLiteral("read"), QStringLiteral("-o"), none, QStringLiteral("--device"), pty.path(),
                QStringLiteral("--home"), home()});
    EXPECT_NE(r.code, 0);
    EXPECT_FALSE(r.err.trimmed().isEmpty());
    EXPECT_FALSE(QFile::exists(none));

    // A range past the image is refused before the port is opened.
    r = runCli({QStringLiteral("read"), QStringLiteral("-o"), none, QStringLiteral("--device"), pty.path(),
                QStringLiteral("--start"), QStringLiteral("0000"), QStringLiteral("--end"), QStringLiteral("7FFF"),
                QStringLiteral("--home"), home()});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("past the memory image")));
    EXPECT_FALSE(QFile::exists(none));
}
#endif
