// qm570-cli read and write end to end: the real programs over a real
// pseudo-terminal, against qm570-sim with the delivered data in build/bin and
// against an in-process radio whose memory the test can inspect.
#include "support/DeliveredHome.h"
#include "support/SimProcess.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include "support/PtyRadio.h"
#endif

using namespace qmtest;

namespace {

constexpr int kRadioMemory = 8192;
const QString kBin = QStringLiteral(QM570_BIN_DIR);
const QString kTemplate = kBin + QStringLiteral("/Kelvex.exe");
const QByteArray kText79 = "Communication failed,please check commuication port!";

// A transfer is some 520 exchanges of a few milliseconds.
RunResult cli(QStringList args) { return runProgram(binPath("qm570-cli"), args << "--home" << kBin, 60000); }

// A radio memory that differs from its neighbours at almost every address.
QByteArray pattern(int factor, int offset)
{
    QByteArray m(kRadioMemory, '\0');
    for (int i = 0; i < m.size(); ++i)
        m[i] = char(i * factor + offset);
    return m;
}

} // namespace

// A read against qm570-sim over the real line with its fault options (how
// each fault ends a transfer: sim/SimLink_test.cpp). Late answers, a refused
// block and a lost frame are retried and the read succeeds; a wrong data byte
// passes the protocol unnoticed and shows in the file. A radio that never
// answers the handshake fails the read with text 79 and leaves no file.
TEST(E2eTransfer, SimulatorFaultsOverThePseudoTerminal)
{
    QTemporaryDir dir;
    const QString image = dir.filePath("image.dat"), out = dir.filePath("read.dat");
    const QByteArray memory = pattern(5, 1);
    ASSERT_TRUE(writeFile(image, memory));
    for (bool fails : {true, false}) {
        SCOPED_TRACE(fails);
        SimProcess sim(QStringList{"--image", image, "--sessions", "1", "--quiet"} +
                       (fails ? QStringList{"--fail-first", "7"}
                              : QStringList{"--delay-ms", "60", "--refuse-block", "1F10:2", "--silent-frames", "5",
                                            "--corrupt-data", "1F20"}));
        ASSERT_FALSE(sim.device().isEmpty());
        const RunResult r = cli({"read", "-o", out, "--device", sim.device(), "--start", "1F00", "--end", "1F3F"});
        if (fails) {
            EXPECT_TRUE(r.finished && r.exitCode != 0);
            EXPECT_TRUE(r.err.contains(kText79)) << r.err.toStdString();
            EXPECT_FALSE(QFile::exists(out));
            continue;
        }
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        ASSERT_TRUE(sim.process().waitForFinished(5000)) << "the transfer ends with an end frame";
        const QByteArray read = readFile(out);
        ASSERT_EQ(read.size(), kRadioMemory);
        for (int a = 0x1F00; a <= 0x1F3F; ++a)
            ASSERT_EQ(read[a] != memory[a], a == 0x1F20) << "address " << std::hex << a;
    }
}

#ifdef Q_OS_UNIX
// The read names its device relative to the current folder, as any file name
// on the command line (not a name under /dev). The write sets the clock
// first and sends a cut image with --force as Open reads it (FF past its
// end); the range lies where no codec re-encodes the bytes, so they reach the
// radio as they are.
TEST(E2eTransfer, AddressRangeTraceClockAndForcedWrite)
{
    const QByteArray memory = pattern(11, 3);
    PtyRadio pty(std::vector<uint8_t>(memory.begin(), memory.end()));
    ASSERT_TRUE(pty.ok());
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("cable") && QFile::link(pty.path(), dir.filePath("cable/radio")));
    RunResult r = runProgram(binPath("qm570-cli"), {"read", "-o", "read.dat", "--device", "cable/radio", "--start", "0100", "--end",
                                                   "013F", "--trace", "--home", kBin}, 60000, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Tx: 52 01 00 10 \nRx: 57 01 00 10 \n       ")); // the trace's layout: comm/modCommun_test.cpp
    const QByteArray img = readFile(dir.filePath("read.dat"));
    ASSERT_EQ(img.size(), kRadioMemory);
    EXPECT_EQ(img.mid(0x100, 0x40), memory.mid(0x100, 0x40));

    const QString cut = dir.filePath("cut.dat");
    ASSERT_TRUE(writeFile(cut, readFile(kTemplate).left(4000)));
    r = cli({"write", cut, "--force", "--set-time", "--device", pty.path(), "--start", "1F00", "--end", "1F3F", "--no-backup"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith("qm570-cli: write: warning: open data file " + cut.toUtf8() + ": it holds 4000 bytes, not 8192"))
        << r.err.toStdString();
    std::lock_guard<std::mutex> g(pty.lock());
    const auto& radio = pty.radio();
    EXPECT_TRUE(radio.clock().has_value());
    const QByteArray after(reinterpret_cast<const char*>(radio.memory().data()), kRadioMemory);
    EXPECT_EQ(after.mid(0x1F00, 0x40), QByteArray(0x40, '\xFF'));
    EXPECT_EQ(after.left(0x1F00), memory.left(0x1F00));
    EXPECT_EQ(after.mid(0x1F40), memory.mid(0x1F40));
    EXPECT_EQ(radio.endFrames(), 2);
}
#endif

// write sends radio images only: a CSV, an empty file, a cut image and a text
// of exactly the image's size are refused before the port is opened, so the
// radio hears nothing and keeps its memory (--force: AddressRangeTraceClockAndForcedWrite).
TEST(E2eTransfer, WriteRefusesWhatIsNoRadioImageAndTheRadioHearsNothing)
{
    QTemporaryDir dir;
    const QString start = dir.filePath("start.dat"), radio = dir.filePath("radio.dat");
    const QByteArray memory = pattern(13, 5);
    ASSERT_TRUE(writeFile(start, memory));
    ASSERT_EQ(cli({"export-csv", kTemplate, "-o", dir.filePath("t.csv")}).exitCode, 0);
    const QByteArray csv = readFile(dir.filePath("t.csv"));
    const struct { const char* name; QByteArray bytes; const char* says; } cases[] = {
        {"t.csv", csv, "it holds %1 bytes, not the 8192 of a radio image"},
        {"empty.dat", QByteArray(), "it holds 0 bytes, not the 8192 of a radio image"},
        {"cut.dat", readFile(kTemplate).left(4000), "it holds 4000 bytes, not the 8192 of a radio image"},
        {"long.dat", readFile(kTemplate) + "x", "it holds more than the 8192 bytes of a radio image"},
        {"text.csv", csv.repeated(kRadioMemory / csv.size() + 1).left(kRadioMemory), "it is text"},
    };
    SimProcess sim({"--image", start, "--save", radio});
    ASSERT_FALSE(sim.device().isEmpty());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(c.name);
        ASSERT_TRUE(writeFile(path, c.bytes));
        const RunResult r = cli({"write", path, "--device", sim.device()});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err.count('\n'), 1);
        EXPECT_TRUE(r.err.startsWith("qm570-cli: write: write " + path.toUtf8() + ": " +
                                     QString::fromLatin1(c.says).replace(QLatin1String("%1"), QString::number(c.bytes.size())).toUtf8()))
            << r.err.toStdString();
        EXPECT_TRUE(r.err.endsWith("; nothing was sent (--force sends it all the same)\n"));
    }
    sim.process().terminate(); // the simulator saves its memory as it ends
    ASSERT_TRUE(sim.process().waitForFinished(5000));
    EXPECT_FALSE(sim.process().readAllStandardError().contains("handshake")) << "the radio was spoken to";
    EXPECT_EQ(readFile(radio), memory);
}

// write backs the radio up first (into --backup-dir), prints the changes and
// verifies; a weak memory cell fails the verify with exit 1 and one line (the
// flow's every ending: shell/SafeWrite_test.cpp). With --no-backup no block is
// read, and the radio, which starts blank, ends with the image as the tool
// would save it, apart from the date stamp of today.
TEST(E2eTransfer, WriteWithBackupPreviewAndVerify)
{
    QTemporaryDir dir;
    DeliveredHome home;
    QString why;
    ASSERT_TRUE(home.create(&why)) << why.toStdString();
    // The radio holds the template; the file to write moves channel 5 to
    // 462.575 MHz (BCD 46 25 75 00, least significant byte first), the step
    // to 20K and one byte no codec owns.
    const QByteArray radioStart = readFile(kTemplate);
    QByteArray image = radioStart;
    image.replace(0x10 + 4 * 16, 4, QByteArray::fromHex("00752546"));
    image[0x0E00] = 5;
    image[0x1F05] = char(0xA5);
    const QString in = dir.filePath("in.dat"), start = dir.filePath("start.dat"), radio = dir.filePath("radio.dat");
    const QString blank = dir.filePath("blank.dat"), resaved = dir.filePath("resaved.dat"), backups = dir.filePath("own/bk");
    ASSERT_TRUE(writeFile(in, image) && writeFile(start, radioStart) && writeFile(blank, QByteArray(kRadioMemory, '\0')));
    ASSERT_EQ(cli({"resave", in, "-o", resaved}).exitCode, 0);

    for (bool backup : {true, false}) {
        SCOPED_TRACE(backup);
        QFile::remove(radio);
        SimProcess sim(QStringList{"--image", backup ? start : blank, "--save", radio, "--quiet"} +
                       (backup ? QStringList{"--corrupt-store", "1F05"} : QStringList{}));
        ASSERT_FALSE(sim.device().isEmpty());
        const QStringList options = backup ? QStringList{"--backup-dir", backups, "--preview", "--verify"}
                                           : QStringList{"--no-backup", "--trace"};
        const RunResult r = runProgram(binPath("qm570-cli"),
                                       QStringList{"write", in, "--device", sim.device(), "--home", home.path()} + options, 60000);
        sim.process().terminate(); // saves the radio's memory as it ends
        ASSERT_TRUE(sim.process().waitForFinished(5000));
        ASSERT_TRUE(r.finished);
        const QByteArray after = readFile(radio);
        ASSERT_EQ(after.size(), kRadioMemory);
        EXPECT_EQ(after.mid(0x10 + 4 * 16, 4), image.mid(0x10 + 4 * 16, 4));
        EXPECT_EQ(QDir(home.file("Data/backups")).entryList(QDir::Files).size(), 0);
        if (!backup) {
            EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
            EXPECT_FALSE(r.err.contains("Tx: 52 ")) << "a block was read";
            // The stamp at 0E70..0E72 (year mod 100, month, day) and 0E78..0E79 (hour, minute in BCD).
            QByteArray expected = readFile(resaved);
            for (int a : {0x0E70, 0x0E71, 0x0E72, 0x0E78, 0x0E79})
                expected[a] = after[a];
            EXPECT_EQ(after, expected.left(kRadioMemory));
            const QDate today = QDate::currentDate();
            EXPECT_EQ(after.mid(0x0E70, 3), QByteArray() + char(today.year() % 100) + char(today.month()) + char(today.day()));
            for (int a : {0x0E78, 0x0E79})
                EXPECT_TRUE((uint8_t(after[a]) & 0x0F) < 10 && (uint8_t(after[a]) >> 4) < 6) << std::hex << a;
            continue;
        }
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err.trimmed().split('\n').last(),
                  "qm570-cli: write: verify " + sim.device().toUtf8() + ": first difference at 0x1F05 (1 byte differs)");
        // The backup: the radio before the write, told on stderr.
        const QStringList files = QDir(backups).entryList(QDir::Files);
        ASSERT_EQ(files.size(), 1);
        EXPECT_TRUE(QRegularExpression("^\\d{8}-\\d{6}\\.dat$").match(files[0]).hasMatch()) << files[0].toStdString();
        EXPECT_EQ(readFile(backups + "/" + files[0]), radioStart);
        EXPECT_TRUE(r.err.contains(("saved as " + backups + "/" + files[0] + "\n").toUtf8()));
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        ASSERT_EQ(lines.size(), 5) << r.out.toStdString();
        EXPECT_EQ(lines[0], "CH 5: RX Freq 462.5625 \u2192 462.575");
        EXPECT_TRUE(lines[3].startsWith("0E78-0E79 write-date stamp: FF FF \u2192 "));
        EXPECT_EQ(lines[4], "1F05: FF \u2192 A5");
    }

    // diff prints the same list for two files; nothing for equal ones.
    RunResult d = cli({"diff", start, in});
    EXPECT_EQ(d.exitCode, 0) << d.err.toStdString();
    EXPECT_EQ(d.out, "CH 5: RX Freq 462.5625 \u2192 462.575\nStep: 12.5K \u2192 20K\n1F05: FF \u2192 A5\n");
    d = cli({"diff", in, in});
    EXPECT_TRUE(d.exitCode == 0 && d.out.isEmpty() && d.err.isEmpty());
    d = cli({"write", in, "--device", "/dev/null", "--no-backup", "--preview"});
    EXPECT_EQ(d.exitCode, 2);
    EXPECT_TRUE(d.err.startsWith("qm570-cli: write: --preview compares with the backup")) << d.err.toStdString();
}
