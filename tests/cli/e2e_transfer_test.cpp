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

// The simulator's fault options over the real line, on the whole memory or
// on four blocks. A few deaf frames, late answers within the reply time-out,
// a refused block and a lost frame are retried and the transfer succeeds;
// wrong data and a weak memory cell pass the protocol unnoticed and show in
// the bytes. A failed read leaves no file.
TEST(E2eTransfer, SimulatorFaultsOverThePseudoTerminal)
{
    // whole: the whole memory, else 1F00..1F3F; wrongAt: the one address where the tool and the radio disagree afterwards (-1: none)
    const struct { QStringList fault; const char* command; bool whole; bool succeeds; int wrongAt; } cases[] = {
        {{"--fail-first", "3"}, "read", true, true, -1},
        {{"--fail-first", "7"}, "read", true, false, -1}, // the handshake never answered
        {{"--no-echo"}, "read", true, false, -1},         // a cable that does not echo
        {{"--corrupt-block", "0100"}, "read", true, false, -1},
        {{"--delay-ms", "60", "--refuse-block", "1F10:2", "--silent-frames", "5"}, "read", false, true, -1},
        {{"--corrupt-data", "1F20"}, "read", false, true, 0x1F20},
        {{"--refuse-block", "1F10"}, "write", false, false, -1},
        {{"--delay-ms", "200"}, "read", false, false, -1},
        {{"--corrupt-store", "1F05"}, "write", false, true, 0x1F05},
    };
    QTemporaryDir dir;
    const QString radio = dir.filePath("radio.dat"), out = dir.filePath("read.dat"), image = dir.filePath("image.dat");
    const QByteArray pattern = ::pattern(5, 1);
    ASSERT_TRUE(writeFile(image, pattern) && writeFile(dir.filePath("blank.dat"), QByteArray(kRadioMemory, '\0')));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault.join(' ').toStdString());
        QFile::remove(out);
        QFile::remove(radio);
        // The radio holds the pattern for a read and is blank for a write.
        const bool read = c.command == QLatin1String("read");
        SimProcess sim(QStringList{"--image", dir.filePath(read ? "image.dat" : "blank.dat"), "--save", radio, "--sessions",
                                   "1", "--quiet"} +
                       c.fault);
        ASSERT_FALSE(sim.device().isEmpty());
        QStringList range{"--device", sim.device()};
        if (!c.whole)
            range << "--start" << "1F00" << "--end" << "1F3F";
        const RunResult r = read ? cli(QStringList{"read", "-o", out} + range) : cli(QStringList{"write", image, "--no-backup"} + range);
        if (!c.succeeds) {
            EXPECT_TRUE(r.finished && r.exitCode != 0);
            EXPECT_TRUE(r.err.contains(kText79)) << r.err.toStdString();
            EXPECT_FALSE(QFile::exists(out));
            continue;
        }
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        ASSERT_TRUE(sim.process().waitForFinished(5000)) << "the transfer ends with an end frame";
        // The bytes the tool ended up with (read) or sent (write) against the radio's.
        const QByteArray tool = read ? readFile(out) : pattern;
        const QByteArray held = read ? pattern : readFile(radio);
        ASSERT_TRUE(tool.size() >= kRadioMemory && held.size() == kRadioMemory);
        for (int a = c.whole ? 0 : 0x1F00; a <= (c.whole ? kRadioMemory - 1 : 0x1F3F); ++a)
            ASSERT_EQ(tool[a] != held[a], a == c.wrongAt) << "address " << std::hex << a;
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
    EXPECT_TRUE(r.err.contains("Tx: 52 01 00 10 \n"));
    EXPECT_TRUE(r.err.contains("Rx: 57 01 00 10 \n       "));
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

// write backs the radio up first, may print the changes and verify: the
// backup holds the radio as it was, a failed backup read writes nothing,
// --no-backup reads no block, and a weak memory cell fails the verify. A
// radio written without a backup starts blank, so every byte it ends with
// came from the write: the image as the tool would save it, apart from the
// date stamp.
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
    const QString blank = dir.filePath("blank.dat"), resaved = dir.filePath("resaved.dat");
    ASSERT_TRUE(writeFile(in, image) && writeFile(start, radioStart) && writeFile(blank, QByteArray(kRadioMemory, '\0')));
    ASSERT_EQ(cli({"resave", in, "-o", resaved}).exitCode, 0);
    const QString defaultBackups = home.file("Data/backups"), ownBackups = dir.filePath("own/bk");

    // lastLine: of stderr, %1 = device ("" not checked); backups: folder that gets the one backup ("": none anywhere)
    const struct { const char* name; QStringList sim, cli; int exit; QByteArray lastLine; QString backups;
                   bool written, readBlocks; } cases[] = {
        {"backup, preview, verify", {}, {"--preview", "--verify", "--trace"}, 0, "", defaultBackups, true, true},
        {"own backup folder", {}, {"--backup-dir", ownBackups}, 0, "", ownBackups, true, true},
        {"backup read fails", {"--fail-first", "7"}, {}, 1,
         "qm570-cli: write: back up radio at %1: " + kText79 + "; nothing was written", "", false, true},
        {"no backup", {}, {"--no-backup", "--trace"}, 0, "", "", true, false},
        {"weak cell", {"--corrupt-store", "1F05"}, {"--no-backup", "--verify"}, 1,
         "qm570-cli: write: verify %1: first difference at 0x1F05 (1 byte differs)", "", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(defaultBackups).removeRecursively();
        QDir(ownBackups).removeRecursively();
        QFile::remove(radio);
        const bool fromBlank = c.backups.isEmpty() && c.written;
        SimProcess sim(QStringList{"--image", fromBlank ? blank : start, "--save", radio, "--quiet"} + c.sim);
        ASSERT_FALSE(sim.device().isEmpty());
        const RunResult r = runProgram(binPath("qm570-cli"),
                                       QStringList{"write", in, "--device", sim.device(), "--home", home.path()} + c.cli, 60000);
        sim.process().terminate(); // saves the radio's memory as it ends
        ASSERT_TRUE(sim.process().waitForFinished(5000));
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, c.exit) << r.err.toStdString();
        const QList<QByteArray> err = r.err.trimmed().split('\n');
        if (!c.lastLine.isEmpty()) {
            EXPECT_EQ(err.last(), QString::fromUtf8(c.lastLine).arg(sim.device()).toUtf8());
        }

        // The backup: the radio before the write, told on stderr.
        for (const QString& folder : {defaultBackups, ownBackups}) {
            const QStringList files = QDir(folder).entryList(QDir::Files);
            EXPECT_EQ(files.size(), folder == c.backups ? 1 : 0) << folder.toStdString();
            if (folder == c.backups && files.size() == 1) {
                EXPECT_TRUE(QRegularExpression("^\\d{8}-\\d{6}\\.dat$").match(files[0]).hasMatch()) << files[0].toStdString();
                EXPECT_EQ(readFile(folder + "/" + files[0]), radioStart);
                EXPECT_TRUE(r.err.contains(("saved as " + folder + "/" + files[0] + "\n").toUtf8()));
            }
        }
        const QByteArray after = readFile(radio);
        ASSERT_EQ(after.size(), kRadioMemory);
        EXPECT_EQ(after.mid(0x10 + 4 * 16, 4) == image.mid(0x10 + 4 * 16, 4), c.written);
        if (!c.written) {
            EXPECT_EQ(after, radioStart) << "the radio was not written";
        } else if (fromBlank && c.exit == 0) {
            // The stamp at 0E70..0E72 (year mod 100, month, day) and 0E78..0E79 (hour, minute in BCD).
            QByteArray expected = readFile(resaved);
            for (int a : {0x0E70, 0x0E71, 0x0E72, 0x0E78, 0x0E79})
                expected[a] = after[a];
            EXPECT_EQ(after, expected.left(kRadioMemory));
            const QDate today = QDate::currentDate();
            EXPECT_EQ(after.mid(0x0E70, 3), QByteArray() + char(today.year() % 100) + char(today.month()) + char(today.day()));
            for (int a : {0x0E78, 0x0E79})
                EXPECT_TRUE((uint8_t(after[a]) & 0x0F) < 10 && (uint8_t(after[a]) >> 4) < 6) << std::hex << a;
        }
        if (c.cli.contains("--trace")) {
            EXPECT_EQ(r.err.contains("Tx: 52 "), c.readBlocks);
        }
        if (c.cli.contains("--preview")) {
            const QList<QByteArray> lines = r.out.trimmed().split('\n');
            ASSERT_EQ(lines.size(), 5) << r.out.toStdString();
            EXPECT_EQ(lines[0], "CH 5: RX Freq 462.5625 \u2192 462.575");
            EXPECT_EQ(lines[1], "Step: 12.5K \u2192 20K");
            EXPECT_TRUE(lines[2].startsWith("0E70-0E72 write-date stamp: FF FF FF \u2192 "));
            EXPECT_TRUE(lines[3].startsWith("0E78-0E79 write-date stamp: FF FF \u2192 "));
            EXPECT_EQ(lines[4], "1F05: FF \u2192 A5");
        }
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
