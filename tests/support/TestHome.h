// Helpers for tests that start the program in a temporary program folder:
// the English texts the start-up and the file commands show, a port prober
// that records what it was asked, and settings/template files.
#pragma once

#include "comm/PortProber.h"
#include "comm/modPorts.h"
#include "shell/AppState.h"
#include "shell/modStartup.h"
#include "support/DeliveredHome.h"
#include "support/SimProcess.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

// Readable QString values in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace qmtest {

// The entries of the UI text table that the shell's own commands use, in
// their English wording.
inline void fillShellTexts(qm::Settings& s)
{
    const std::pair<int, const char*> texts[] = {
        {16, "QM570 Radio Software"}, {70, "Notice"}, {73, "Are you sure want to exit?"},
        {74, "All data will be cleared,continue?"}, {82, "TempData has changed,Do you want to save it now?"},
        {83, "Wrong file type!"}, {84, "Save file failed!"}, {85, "File Name:"}, {86, "Save file failed!"},
        {94, "Ready"}};
    for (const auto& [n, t] : texts)
        s.SoftFaceStr[static_cast<size_t>(n)] = QString::fromUtf8(t);
}

// The command-line tool's start-up in program folder home: false with the
// failure's text in *error.
inline bool startTool(qm::AppState& s, const QString& home, QString* error)
{
    qm::StartupEnv env;
    env.home = home;
    env.mode = qm::StartupMode::Tool;
    if (qm::RunStartup(s, env) == qm::StartupOutcome::Running)
        return true;
    if (error)
        *error = s.errors.entries().empty() ? QStringLiteral("start-up failed") : s.errors.entries().back().detail();
    return false;
}

// startTool in a new state; a failure fails the test.
inline std::unique_ptr<qm::AppState> startedTool(const QString& home)
{
    auto s = std::make_unique<qm::AppState>();
    QString error;
    EXPECT_TRUE(startTool(*s, home, &error)) << error.toStdString();
    return s;
}

// Tests on the program started (as the command-line tool) in a private copy
// of the delivered program folder.
class DeliveredProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(home.create(&error)) << error.toStdString();
        s = startedTool(home.path());
    }
    DeliveredHome home;
    std::unique_ptr<qm::AppState> s;
};

// A prober that records the ports it was asked about; the listed ports work.
class RecordingProber : public qm::PortProber {
public:
    std::vector<int> usable;
    std::vector<int> probed;
    bool probe(int port) override
    {
        probed.push_back(port);
        for (int p : usable)
            if (p == port)
                return true;
        return false;
    }
};

// A settings file of a program that has run before (FirRun=0) in English with
// an 8 KiB image, plus extra lines for section "Setting" (keys not named
// here take their defaults).
inline QByteArray settingsText(const QByteArray& extraSettingLines = {})
{
    return "[Setting]\nFirRun=0\nLanguage=3\nDatNum=8191\n" + extraSettingLines;
}

// The template image delivered beside the program (build/bin/Kelvex.exe): a
// realistic radio memory whose channels and options decode without a fault.
inline QByteArray deliveredTemplate()
{
    return readFile(QStringLiteral(QM570_BIN_DIR "/Kelvex.exe"));
}

// The settings file delivered beside the program, as kept in the sources
// (build/bin/Uninstall.exe is a copy that a run of the program may change).
// Its channel grid definition is the one the delivered template was made for.
inline QString deliveredSettingsSource()
{
    return QStringLiteral(QM570_SOURCE_DIR "/data/Uninstall.ini");
}

// The errors listed under label, in order.
inline std::vector<qm::Error> listedUnder(const qm::AppState& s, const QString& label)
{
    std::vector<qm::Error> out;
    for (const qm::ErrorEntry& e : s.errors.entries())
        if (e.label == label)
            out.push_back(e.error);
    return out;
}

// The image as bytes, to compare with files.
inline QByteArray imageBytes(const qm::AppState& s)
{
    return QByteArray(reinterpret_cast<const char*>(s.doc.IicDat.data()), qsizetype(s.doc.IicDat.size()));
}

// A recognisable image of n bytes: byte k = (k * 7 + 3) & 0xFF.
inline QByteArray patternBytes(int n, int salt = 0)
{
    QByteArray b(n, '\0');
    for (int k = 0; k < n; ++k)
        b[k] = static_cast<char>((k * 7 + 3 + salt) & 0xFF);
    return b;
}

} // namespace qmtest
