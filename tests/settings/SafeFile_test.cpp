// The one save and the bounded reads under failure: every failed step keeps
// the old file byte for byte and leaves no temporary file; no input can make
// a read hang or grow without bound; names that are not UTF-8 keep their bytes.
#include "settings/ProfileFile.h"
#include "settings/SafeFile.h"

#include "support/TestHome.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <functional>

#include <sys/stat.h>

using namespace qm;
using namespace qmtest;

namespace {

// Every name in a folder, hidden ones included.
QStringList entries(const QString& folder)
{
    QStringList e = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    e.sort();
    return e;
}

// Turns the save seam off when the test ends, however it ends.
struct FaultGuard {
    ~FaultGuard() { setSaveFaultForTesting({}); }
};

// The error f throws (number 0 when it throws none).
Error thrown(const std::function<void()>& f)
{
    try {
        f();
    } catch (const QmError& e) {
        return e.error();
    }
    return Error{0, {}, {}, {}};
}

mode_t modeOf(const QString& path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace

TEST(SaveFile, EveryFailedStepKeepsTheOldFileAndLeavesNoTemporaryFile)
{
    FaultGuard guard;
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("radio.dat"));
    const QByteArray before = patternBytes(8192, 1), after = patternBytes(8192, 2);
    const struct { SaveStep step; int err, number; } cases[] = {
        {SaveStep::Create, EACCES, 75}, {SaveStep::Write, ENOSPC, 61}, {SaveStep::Write, EIO, 75},
        {SaveStep::Sync, EIO, 75},      {SaveStep::Close, EDQUOT, 61}, {SaveStep::Rename, EXDEV, 75},
    };
    for (bool existed : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(int(c.step)) + (existed ? " over a file" : " new file"));
            QFile::remove(target);
            if (existed) {
                ASSERT_TRUE(writeFile(target, before));
            }
            QString tempSeen;
            setSaveFaultForTesting([&](SaveStep step, const QString& temp) {
                if (!temp.isEmpty())
                    tempSeen = temp;
                return step == c.step ? c.err : 0;
            });
            const Error e = thrown([&] { saveFile(target, after, QStringLiteral("save data file")); });
            EXPECT_EQ(e.number, c.number);
            EXPECT_EQ((QStringList{e.action, e.object, e.reason}), (QStringList{"save data file", target, qt_error_string(c.err)}));
            EXPECT_EQ(entries(dir.path()), existed ? QStringList{QStringLiteral("radio.dat")} : QStringList());
            if (existed) {
                EXPECT_EQ(readFile(target), before);
            }
            // The temporary file lay beside the target.
            if (c.step != SaveStep::Create) {
                EXPECT_EQ(QFileInfo(tempSeen).absolutePath(), QFileInfo(target).absolutePath());
            }
        }
    }
    // Without a fault the same save replaces the file and keeps its mode.
    setSaveFaultForTesting({});
    ASSERT_TRUE(writeFile(target, before));
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    saveFile(target, after, QStringLiteral("save data file"));
    EXPECT_EQ(readFile(target), after);
    EXPECT_EQ(modeOf(target), mode_t(0640));
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("radio.dat")});

    // Through a symbolic link the file behind it is replaced; the link stays.
    const QString link = dir.filePath(QStringLiteral("link.dat"));
    ASSERT_TRUE(QFile::link(target, link));
    saveFile(link, before, QStringLiteral("save data file"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readFile(target), before);
}

// Folders, devices and pipes as targets, and a real full disk: the file
// commands (shell/modDataFile_test.cpp) and the tool (cli/qm570cli_test.cpp).

TEST(SaveFile, SettingsWriteThatFailsKeepsTheFileAndOneTooLargeIsNeverRead)
{
    FaultGuard guard;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Uninstall.exe"));
    const QByteArray text = "; mine\r\n[Setting]\r\nCOM=2\r\n";
    ASSERT_TRUE(writeFile(path, text));
    ProfileFile profile(path);
    setSaveFaultForTesting([](SaveStep s, const QString&) { return s == SaveStep::Sync ? EIO : 0; });
    QString why;
    EXPECT_FALSE(profile.write(QStringLiteral("Setting"), QStringLiteral("COM"), QStringLiteral("3"), &why));
    EXPECT_EQ(why, qt_error_string(EIO));
    EXPECT_EQ(readFile(path), text);
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("Uninstall.exe")});
    setSaveFaultForTesting({});

    // Past 1 MiB it is no settings file: every key reads its default, the
    // file is never rewritten, and the start-up can say why.
    QByteArray huge = "[Setting]\nCOM=5\n";
    huge += QByteArray(int(kMaxSettingsBytes), ';');
    ASSERT_TRUE(writeFile(path, huge));
    EXPECT_EQ(profile.read(QStringLiteral("Setting"), QStringLiteral("COM"), QStringLiteral("1"), 10), QStringLiteral("1"));
    EXPECT_FALSE(profile.write(QStringLiteral("Setting"), QStringLiteral("COM"), QStringLiteral("3")));
    EXPECT_TRUE(profile.problem().has_value()); // its text: shell/modStartup_test.cpp
    EXPECT_EQ(readFile(path).size(), huge.size());
}

TEST(ReadFileAtMost, TakesAtMostTheLimitFromFilesAndPipesAndRefusesTheRest)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("f"));
    const QString fifo = dir.filePath(QStringLiteral("p"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString action = QStringLiteral("open data file");

    // Regular files: exactly, short of and past the limit.
    for (int size : {0, 99, 100, 101, 100000}) {
        SCOPED_TRACE(size);
        ASSERT_TRUE(writeFile(file, patternBytes(size)));
        const BoundedRead r = readFileAtMost(file, 100, action);
        EXPECT_EQ(r.data, patternBytes(size).left(100));
        EXPECT_EQ(r.longer, size > 100);
    }

    const struct { QString path; ReadSource source; int number; const char* reason; } refused[] = {
        {dir.filePath(QStringLiteral("missing")), ReadSource::FileOrPipe, 53, "no such file"},
        {dir.path(), ReadSource::FileOrPipe, 75, "it is a folder"},
        {QStringLiteral("/dev/zero"), ReadSource::FileOrPipe, 75, "not a regular file"},
        {QStringLiteral("/dev/null"), ReadSource::FileOrPipe, 75, "not a regular file"},
        {fifo, ReadSource::RegularFile, 75, "it is a pipe"},
        // Nobody writes into the pipe: given up after the wait, not hung.
        {fifo, ReadSource::FileOrPipe, 75, "the pipe sent nothing"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.path.toStdString());
        const Error e = thrown([&] { readFileAtMost(c.path, 100, action, c.source, 200); });
        EXPECT_EQ(e.number, c.number);
        EXPECT_TRUE(e.action == action && e.object == c.path && e.reason.contains(QLatin1String(c.reason))) << e.text().toStdString();
    }

    // A pipe that never ends: cli/qm570cli_test.cpp (InputsAreBounded).
}

TEST(FileNames, BytesThatAreNotUtf8SurviveAndShowEscaped)
{
    const struct { QByteArray bytes; const char* shown; } cases[] = {
        {"plain.dat", "plain.dat"},
        {"\xC3\xA9t\xC3\xA9.dat", "\xC3\xA9t\xC3\xA9.dat"}, // été: UTF-8 stays as it is
        {"\xF0\x9F\x93\xBB", "\xF0\x9F\x93\xBB"},             // a character outside the BMP
        {"a\xFF" "b", "a\\xFFb"},
        {"\xE9t\xE9", "\\xE9t\\xE9"},                        // Latin-1
        {"cut\xC3", "cut\\xC3"},                             // a character cut short
        {"\xC0\xAF", "\\xC0\\xAF"},                          // an overlong "/"
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},                 // an encoded surrogate
        {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},        // past U+10FFFF
        {"line\nbreak\x1B[2J", "line\\x0Abreak\\x1B[2J"},    // control characters
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        const QString name = pathFromNative(c.bytes);
        EXPECT_EQ(nativePath(name), c.bytes);
        EXPECT_EQ(printable(name), QString::fromUtf8(c.shown));
    }

    // Saved, read and named under its own bytes: cli/qm570cli_test.cpp.
}

// Stopped by SIGTERM in the middle of a save: the temporary file goes, the
// old file stays, and the signal still ends the process.
TEST(SaveFileDeathTest, TemporaryFileIsRemovedWhenTheProgramIsStopped)
{
    GTEST_FLAG_SET(death_test_style, "fast"); // the child saves into this test's folder
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("out.dat"));
    ASSERT_TRUE(writeFile(target, "old"));
    for (int sig : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(sig);
        EXPECT_EXIT(
            {
                removeTemporaryFilesOnSignals();
                setSaveFaultForTesting([sig](SaveStep step, const QString&) {
                    if (step == SaveStep::Rename)
                        std::raise(sig);
                    return 0;
                });
                saveFile(target, patternBytes(8192), QStringLiteral("save data file"));
                std::_Exit(0);
            },
            ::testing::KilledBySignal(sig), "");
        EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("out.dat")});
        EXPECT_EQ(readFile(target), QByteArray("old"));
    }
}
