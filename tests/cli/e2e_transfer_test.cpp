// qm570-cli read and write against the simulated radio, end to end: the real
// programs, a real pseudo-terminal and the delivered data in build/bin.
#include "support/SimProcess.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace qmtest;

namespace {

// A whole transfer is about 520 exchanges of a few milliseconds; a failing
// one gives up after seven short time-outs.
constexpr int kTransferBudgetMs = 60000;
constexpr int kRadioMemory = 8192;

const QString kBin = QStringLiteral(QM570_BIN_DIR);
const QByteArray kText79 = "Communication failed,please check commuication port!";

// The transfers exist once the command-line tool has its read command.
bool cliHasTransfers(QString* why)
{
    const RunResult r = runProgram(binPath("qm570-cli"), {QStringLiteral("read"), QStringLiteral("--help")}, 10000);
    if (r.err.contains("unknown command")) {
        *why = QStringLiteral("qm570-cli has no read command yet: ") + QString::fromLocal8Bit(r.err).trimmed();
        return false;
    }
    return true;
}

#define SKIP_WITHOUT_TRANSFERS()                                                                                       \
    do {                                                                                                               \
        QString why;                                                                                                   \
        if (!cliHasTransfers(&why))                                                                                    \
            GTEST_SKIP() << why.toStdString();                                                                         \
    } while (0)

QString templateImage() { return kBin + QStringLiteral("/Kelvex.exe"); }

RunResult cliRead(const QString& device, const QString& out)
{
    return runProgram(binPath("qm570-cli"),
                      {QStringLiteral("read"), QStringLiteral("--device"), device, QStringLiteral("-o"), out,
                       QStringLiteral("--home"), kBin},
                      kTransferBudgetMs);
}

std::string describe(const RunResult& r)
{
    return "exit " + std::to_string(r.exitCode) + (r.finished ? "" : " (timed out)") + ", stderr: " + r.err.toStdString();
}

// The date stamp a write puts into the image: 0x0E70..0x0E72 and 0x0E78..0x0E79.
bool isStampByte(int addr) { return (addr >= 0x0E70 && addr <= 0x0E72) || addr == 0x0E78 || addr == 0x0E79; }

} // namespace

TEST(E2eTransfer, ReadGivesTheRadioMemory)
{
    SKIP_WITHOUT_TRANSFERS();
    ASSERT_TRUE(QFileInfo::exists(templateImage()));
    QTemporaryDir dir;
    const QString radio = dir.filePath(QStringLiteral("radio.dat"));
    const QString out = dir.filePath(QStringLiteral("read.dat"));

    // With a few deaf frames first, the retries still bring the whole read home.
    for (const char* failFirst : {"0", "3"}) {
        SCOPED_TRACE(std::string("--fail-first ") + failFirst);
        QFile::remove(out);
        SimProcess sim({QStringLiteral("--image"), templateImage(), QStringLiteral("--save"), radio,
                        QStringLiteral("--sessions"), QStringLiteral("1"), QStringLiteral("--fail-first"),
                        QLatin1String(failFirst), QStringLiteral("--quiet")});
        ASSERT_FALSE(sim.device().isEmpty());

        const RunResult r = cliRead(sim.device(), out);
        ASSERT_EQ(r.exitCode, 0) << describe(r);
        ASSERT_TRUE(sim.process().waitForFinished(5000)) << "the read ends with an end frame";
        const QByteArray memory = readFile(radio);
        ASSERT_EQ(memory.size(), kRadioMemory);
        EXPECT_EQ(readFile(out).left(kRadioMemory), memory);
    }
}

TEST(E2eTransfer, WriteLeavesTheEncodedImageWithItsDateStamp)
{
    SKIP_WITHOUT_TRANSFERS();
    ASSERT_TRUE(QFileInfo::exists(templateImage()));
    QTemporaryDir dir;
    // The radio starts out blank, so every byte it ends with came from the write.
    const QString blank = dir.filePath(QStringLiteral("blank.dat"));
    const QString radio = dir.filePath(QStringLiteral("radio.dat"));
    const QString expectedPath = dir.filePath(QStringLiteral("resaved.dat"));
    ASSERT_TRUE(writeFile(blank, QByteArray(kRadioMemory, '\0')));

    SimProcess sim({QStringLiteral("--image"), blank, QStringLiteral("--save"), radio, QStringLiteral("--sessions"),
                    QStringLiteral("1"), QStringLiteral("--quiet")});
    ASSERT_FALSE(sim.device().isEmpty());
    const RunResult w = runProgram(binPath("qm570-cli"),
                                   {QStringLiteral("write"), templateImage(), QStringLiteral("--device"), sim.device(),
                                    QStringLiteral("--home"), kBin},
                                   kTransferBudgetMs);
    ASSERT_EQ(w.exitCode, 0) << describe(w);
    ASSERT_TRUE(sim.process().waitForFinished(5000)) << "the write ends with an end frame";

    // The tool writes the image as it would save it: compare with its own re-save.
    const RunResult s = runProgram(binPath("qm570-cli"),
                                   {QStringLiteral("resave"), templateImage(), QStringLiteral("-o"), expectedPath,
                                    QStringLiteral("--home"), kBin},
                                   kTransferBudgetMs);
    ASSERT_EQ(s.exitCode, 0) << describe(s);
    const QByteArray written = readFile(radio);
    const QByteArray expected = readFile(expectedPath);
    ASSERT_EQ(written.size(), kRadioMemory);
    ASSERT_GE(expected.size(), kRadioMemory);
    int differences = 0;
    for (int a = 0; a < kRadioMemory; ++a) {
        if (!isStampByte(a) && written[a] != expected[a] && ++differences <= 5)
            ADD_FAILURE() << "byte " << std::hex << a << ": radio holds " << int(uint8_t(written[a])) << ", expected "
                          << int(uint8_t(expected[a]));
    }
    EXPECT_EQ(differences, 0);

    // The stamp: year mod 100, month and day as numbers; hour and minute in BCD.
    const QDate today = QDate::currentDate();
    EXPECT_EQ(uint8_t(written[0x0E70]), today.year() % 100);
    EXPECT_EQ(uint8_t(written[0x0E71]), today.month());
    EXPECT_EQ(uint8_t(written[0x0E72]), today.day());
    for (int a : {0x0E78, 0x0E79})
        EXPECT_TRUE((uint8_t(written[a]) & 0x0F) < 10 && (uint8_t(written[a]) >> 4) < 6) << std::hex << a;
}

TEST(E2eTransfer, AReadThatKeepsFailingGivesUpWithoutAFile)
{
    SKIP_WITHOUT_TRANSFERS();
    ASSERT_TRUE(QFileInfo::exists(templateImage()));
    const QStringList faults[] = {
        {QStringLiteral("--fail-first"), QStringLiteral("7")}, // the handshake never answered
        {QStringLiteral("--no-echo")},                          // a cable that does not echo
        {QStringLiteral("--corrupt-block"), QStringLiteral("0100")}, // one block always wrong
    };
    for (const QStringList& fault : faults) {
        SCOPED_TRACE(fault.join(' ').toStdString());
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("read.dat"));
        SimProcess sim(QStringList{QStringLiteral("--image"), templateImage(), QStringLiteral("--quiet")} + fault);
        ASSERT_FALSE(sim.device().isEmpty());

        const RunResult r = cliRead(sim.device(), out);
        EXPECT_TRUE(r.finished);
        EXPECT_NE(r.exitCode, 0);
        EXPECT_TRUE(r.err.contains(kText79)) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out)) << "a failed read leaves no file";
    }
}
