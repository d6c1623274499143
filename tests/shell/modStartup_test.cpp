#include "shell/modStartup.h"

#include "channels/modChFre.h"

#include "support/ChInfoFixture.h"
#include "support/ScriptedUi.h"
#include "support/TestHome.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace qm;
using namespace qmtest;

namespace {

class StartupTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    RecordingProber prober;

    QString home() const { return dir.path(); }
    QString settingsPath() const { return dir.filePath(QStringLiteral("Uninstall.exe")); }
    ProfileFile profile() const { return ProfileFile(settingsPath()); }

    StartupEnv env(int locale = kLocaleEnglishUs)
    {
        StartupEnv e;
        e.home = home();
        e.systemLocale = locale;
        e.prober = &prober;
        e.initSoftFaceStr = fillShellTexts;
        return e;
    }

    // One start of the program in a fresh state.
    std::unique_ptr<AppState> start(StartupOutcome expected, int locale = kLocaleEnglishUs)
    {
        auto s = std::make_unique<AppState>();
        StartupEnv e = env(locale);
        EXPECT_EQ(RunStartup(*s, e), expected);
        return s;
    }

    bool listed(const AppState& s, const QString& label) const
    {
        for (const QString& l : s.errors.lines())
            if (l.contains(QStringLiteral(" ") + label + QStringLiteral(" ")))
                return true;
        return false;
    }
};

} // namespace

TEST_F(StartupTest, FirstStartCreatesSettingsFileAndEndsQuietly)
{
    auto s = start(StartupOutcome::QuietExit);
    EXPECT_EQ(readFile(settingsPath()), QByteArray("[Setting]\nFirRun=1\n"));
    EXPECT_TRUE(s->QuietExit);
    EXPECT_TRUE(prober.probed.empty());
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("Data"))).exists());
    EXPECT_TRUE(s->errors.lines().isEmpty());

    // The exit query then asks nothing.
    ScriptedUi ui;
    EXPECT_TRUE(ExitQuery(*s, ui));
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(s->AppExiting, 1);
}

TEST_F(StartupTest, SecondStartDetectsLanguageAndChoosesPortThirdStartDoesNeither)
{
    struct Case { int locale; const char* language; int16_t inMemory; };
    const Case cases[] = {{kLocaleChinesePrc, "1", 1}, {kLocaleChineseTaiwan, "3", 3}, {kLocaleEnglishUs, "3", 3}};
    const bool ports = portProbingLinked();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        QFile::remove(settingsPath());
        prober.probed.clear();
        prober.usable = {2};
        start(StartupOutcome::QuietExit, c.locale);

        auto second = start(StartupOutcome::Running, c.locale);
        EXPECT_EQ(profile().read("Setting", "FirRun", "", 3), QStringLiteral("0"));
        EXPECT_EQ(profile().read("Setting", "Language", "", 10), QString::fromLatin1(c.language));
        EXPECT_EQ(second->settings.Language, c.inMemory);
        EXPECT_FALSE(second->QuietExit);
        if (ports) {
            // The automatic choice probed every port and took the first usable one.
            ASSERT_GE(prober.probed.size(), 16u);
            for (int p = 1; p <= 16; ++p)
                EXPECT_EQ(prober.probed[static_cast<size_t>(p - 1)], p);
            EXPECT_EQ(profile().read("Setting", "COM", "", 10), QStringLiteral("2"));
        }

        // The user switches to English; the third start keeps that choice and
        // probes only the configured port.
        ASSERT_TRUE(profile().write("Setting", "Language", "3"));
        prober.probed.clear();
        prober.usable = {1, 2};
        ASSERT_TRUE(profile().write("Setting", "COM", "1"));
        auto third = start(StartupOutcome::Running, c.locale);
        EXPECT_EQ(profile().read("Setting", "Language", "", 10), QStringLiteral("3"));
        EXPECT_EQ(third->settings.Language, 3);
        EXPECT_LE(prober.probed.size(), 1u);
        EXPECT_EQ(third->settings.COM, 1);
    }
}

TEST_F(StartupTest, UnknownLanguageRunsInEnglishAndFileKeepsIt)
{
    ASSERT_TRUE(writeFile(settingsPath(), "[Setting]\nFirRun=0\nLanguage=7\nDatNum=8191\n"));
    auto s = start(StartupOutcome::Running);
    EXPECT_EQ(s->settings.Language, 3);
    EXPECT_EQ(profile().read("Setting", "Language", "", 10), QStringLiteral("7"));
    EXPECT_EQ(s->settings.UiFont, QStringLiteral("Times New Roman"));
}

TEST_F(StartupTest, SettingsAreReadWithTheirDefaults)
{
    ASSERT_TRUE(writeFile(settingsPath(), "[Setting]\nFirRun=0\nLanguage=1\nDatNum=8191\nChsFont=Noto Sans CJK SC\n"));
    ASSERT_TRUE(writeChInfoSection(settingsPath()));
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("Kelvex.exe")), deliveredTemplate()));
    auto s = start(StartupOutcome::Running);
    const Settings& st = s->settings;
    EXPECT_EQ(s->IicDat.size(), 8192u);
    EXPECT_EQ(st.UiFont, QStringLiteral("Noto Sans CJK SC"));
    EXPECT_EQ(st.EngFont, QStringLiteral("Times New Roman"));
    EXPECT_NE(st.OverColor, st.DefColor);
    EXPECT_EQ(st.CtcDcsMax, 260);
    // Every address box got its default text, its value, and wrote its key back.
    EXPECT_EQ(st.TableMaxAddrText, QStringLiteral("1FFF"));
    EXPECT_EQ(st.TableMaxAddr, 8191);
    EXPECT_EQ(st.ReadStartAddrText, QStringLiteral("0000"));
    EXPECT_EQ(st.ReadEndAddr, 0x1FFF);
    EXPECT_EQ(st.WriteStartAddr, 0);
    EXPECT_EQ(st.WriteEndAddr, 0x1FFF);
    EXPECT_EQ(st.PartFillStart, 0);
    EXPECT_EQ(st.PartFillEnd, 8191);
    EXPECT_EQ(profile().read("Setting", "TableMaxAddr", "", 15), QStringLiteral("1FFF"));
    EXPECT_EQ(profile().read("Setting", "WriteStartAddr", "", 15), QStringLiteral("0000"));
    EXPECT_TRUE(s->errors.lines().isEmpty()) << s->errors.lines().join(QLatin1Char('\n')).toStdString();
}

TEST_F(StartupTest, FullStartLoadsTemplateAndShowsPathsInOrder)
{
    ASSERT_TRUE(writeFile(settingsPath(), "[Setting]\nFirRun=0\nLanguage=3\nCOM=4\nDatNum=8191\n"
                                          "OverColor=65280\nDefColor=16711680\n"));
    ASSERT_TRUE(writeChInfoSection(settingsPath()));
    const QByteArray tmpl = deliveredTemplate();
    ASSERT_EQ(tmpl.size(), 8192);
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("Kelvex.exe")), tmpl));

    // Names left from before the start: on a channel the template leaves
    // empty, and on one beyond the channels in use.
    auto s = std::make_unique<AppState>();
    s->ChNameCode[20][3] = 12;
    s->ChNameCode[150][1] = 7;
    QStringList steps;
    StartupEnv e = env();
    prober.usable = {4};
    e.checkLanguageMenu = [&](int l) { steps << QStringLiteral("language %1").arg(l); };
    e.dockNavigator = [&] { steps << QStringLiteral("navigator"); };
    e.applyCaptions = [&] { steps << QStringLiteral("captions ") + s->statusPanel[3]; };
    e.buildChildWindows = [&] { steps << QStringLiteral("windows"); };
    e.showRadioInfo = [&] { steps << QStringLiteral("radio info"); };
    ASSERT_EQ(RunStartup(*s, e), StartupOutcome::Running);

    const QString path = home() + QStringLiteral("/Data/Untitled.dat");
    EXPECT_EQ(steps, (QStringList{QStringLiteral("language 3"), QStringLiteral("navigator"),
                                  QStringLiteral("captions File Name:") + path, QStringLiteral("windows"),
                                  QStringLiteral("radio info")}));
    EXPECT_TRUE(QFileInfo(home() + QStringLiteral("/Data")).isDir());
    EXPECT_EQ(s->currentPath, path);
    EXPECT_EQ(s->defaultPath, path);
    EXPECT_EQ(s->statusPanel[1], QStringLiteral("Ready"));
    EXPECT_EQ(s->statusPanel[2], QStringLiteral("COM4"));
    EXPECT_EQ(s->statusPanel[3], QStringLiteral("File Name:") + path);
    EXPECT_EQ(s->settings.OverColor, 0x00FF00u);
    EXPECT_EQ(s->settings.DefColor, 0xFF0000u);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(s->IicDat.data()), 8192), tmpl);
    // The names start cleared; decoding the template then copies the name
    // bytes of the channels it holds, and only of those.
    ASSERT_EQ(s->ChNum, 100);
    int named = 0;
    for (int n = 1; n <= kMaxChannels; ++n) {
        const int rec = static_cast<int>(chRecordAddr(n));
        const bool holdsChannel = n <= s->ChNum && freqPresentByte(static_cast<uint8_t>(tmpl[rec + 3]));
        for (int p = 1; p <= 6; ++p) {
            const int at = p <= 2 ? rec + 13 + p : static_cast<int>(chNameAddr(n)) + p - 3;
            const uint8_t want = holdsChannel ? static_cast<uint8_t>(tmpl[at]) : uint8_t(kNoChar);
            ASSERT_EQ(s->ChNameCode[static_cast<size_t>(n)][static_cast<size_t>(p)], want) << n << "/" << p;
        }
        named += holdsChannel ? 1 : 0;
    }
    EXPECT_GT(named, 0);
    EXPECT_EQ(s->ChNameCode[20][3], kNoChar);
    EXPECT_EQ(s->ChNameCode[150][1], kNoChar);
    EXPECT_TRUE(s->errors.lines().isEmpty()) << s->errors.lines().join(QLatin1Char('\n')).toStdString();
}

TEST_F(StartupTest, NumericKeyThatIsNoNumberStopsStartupWithoutCrash)
{
    struct Case { const char* lines; };
    const Case cases[] = {{"DatNum=abc\n"}, {"COM=x1\n"}, {"CtcDcsMax=99999\n"}, {"OverColor=red\n"}, {"DatNum=-2\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        ASSERT_TRUE(writeFile(settingsPath(), QByteArray("[Setting]\nFirRun=0\nLanguage=3\n") + c.lines));
        bool shown = false;
        auto s = std::make_unique<AppState>();
        StartupEnv e = env();
        e.showRadioInfo = [&] { shown = true; };
        EXPECT_EQ(RunStartup(*s, e), StartupOutcome::Failed);
        EXPECT_TRUE(listed(*s, QStringLiteral("mdifrmMain->Form_Load")));
        EXPECT_FALSE(shown);
        EXPECT_TRUE(s->currentPath.isEmpty()); // stopped before the data folder step
    }
}

TEST_F(StartupTest, BadAddressTextIsListedByItsBoxAndStartupGoesOn)
{
    ASSERT_TRUE(writeFile(settingsPath(), settingsText("ReadEndAddr=1G00\nTableMaxAddr=10000\n")));
    auto s = start(StartupOutcome::Running);
    EXPECT_TRUE(listed(*s, QStringLiteral("frmCommun->txtReadEndAddr_Change")));
    EXPECT_TRUE(listed(*s, QStringLiteral("frmCommun->txtMaxAddr_Change")));
    EXPECT_FALSE(listed(*s, QStringLiteral("mdifrmMain->Form_Load")));
    EXPECT_EQ(s->settings.ReadEndAddrText, QStringLiteral("1G00"));
    EXPECT_EQ(s->settings.ReadEndAddr, 0x1FFF); // kept its previous value
    EXPECT_EQ(s->settings.TableMaxAddr, 0x1FFF);
    EXPECT_EQ(profile().read("Setting", "ReadEndAddr", "", 15), QStringLiteral("1G00"));
}

TEST_F(StartupTest, PortOutsideOneToSixteenIsTreatedAsUnusable)
{
    ASSERT_TRUE(writeFile(settingsPath(), settingsText("COM=20\n")));
    prober.usable = {3};
    auto s = start(StartupOutcome::Running);
    if (portProbingLinked()) {
        EXPECT_EQ(s->settings.COM, 3);
        EXPECT_EQ(profile().read("Setting", "COM", "", 10), QStringLiteral("3"));
    }
    for (int p : prober.probed)
        EXPECT_TRUE(p >= 1 && p <= 16) << p;
}

TEST_F(StartupTest, FolderThatCannotBeWrittenDoesNotEndEveryStartUnseen)
{
    // A "program folder" below a plain file: nothing can be created there.
    const QString file = dir.filePath(QStringLiteral("plain"));
    ASSERT_TRUE(writeFile(file, "x"));
    auto s = std::make_unique<AppState>();
    StartupEnv e = env(kLocaleChinesePrc);
    e.home = file;
    EXPECT_EQ(RunStartup(*s, e), StartupOutcome::Running);
    EXPECT_FALSE(s->QuietExit);
    EXPECT_EQ(s->settings.Language, 1); // the detected language holds for this run
    EXPECT_TRUE(listed(*s, QStringLiteral("mdifrmMain->Form_Load")));
    EXPECT_TRUE(listed(*s, QStringLiteral("mdifrmMain->GenerateDatFolder")));
    EXPECT_EQ(s->currentPath, file + QStringLiteral("/Data/Untitled.dat"));
}

TEST_F(StartupTest, ToolStartReadsButNeverWritesTheSettingsFile)
{
    const QByteArray settings = "[Setting]\nFirRun=1\nLanguage=1\nCOM=5\nDatNum=8191\n";
    ASSERT_TRUE(writeFile(settingsPath(), settings));
    const QByteArray tmpl = patternBytes(100);
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("Kelvex.exe")), tmpl));
    auto s = std::make_unique<AppState>();
    QString err;
    ASSERT_TRUE(startupForTool(*s, home(), &err)) << err.toStdString();
    EXPECT_EQ(readFile(settingsPath()), settings);
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("Data"))).exists());
    EXPECT_EQ(s->settings.Language, 1);
    EXPECT_EQ(s->settings.COM, 5);
    EXPECT_EQ(s->settings.ReadEndAddrText, QStringLiteral("1FFF"));
    EXPECT_EQ(s->settings.ReadEndAddr, 0x1FFF);
    EXPECT_EQ(s->currentPath, home() + QStringLiteral("/Data/Untitled.dat"));
    ASSERT_EQ(s->IicDat.size(), 8192u);
    EXPECT_EQ(s->IicDat[99], static_cast<uint8_t>(tmpl[99]));
    EXPECT_EQ(s->IicDat[100], 0xFF); // beyond the short template: erased memory
    EXPECT_EQ(s->OptSel, s->OptDef);
    EXPECT_EQ(s->ChNameCode[260][6], kNoChar);
}

TEST_F(StartupTest, ToolStartRefusesMissingFolderMissingFileAndBadNumbers)
{
    auto s = std::make_unique<AppState>();
    QString err;
    EXPECT_FALSE(startupForTool(*s, dir.filePath(QStringLiteral("nowhere")), &err));
    EXPECT_TRUE(err.contains(QStringLiteral("nowhere"))) << err.toStdString();
    EXPECT_FALSE(err.contains(QLatin1Char('\n')));

    EXPECT_FALSE(startupForTool(*s, home(), &err));
    EXPECT_TRUE(err.contains(QStringLiteral("Uninstall.exe"))) << err.toStdString();
    EXPECT_FALSE(QFile::exists(settingsPath()));

    ASSERT_TRUE(writeFile(settingsPath(), "[Setting]\nDatNum=abc\n"));
    EXPECT_FALSE(startupForTool(*s, home(), &err));
    EXPECT_TRUE(err.contains(QStringLiteral("DatNum"))) << err.toStdString();
    EXPECT_TRUE(listed(*s, QStringLiteral("mdifrmMain->Form_Load")));
}

TEST_F(StartupTest, ExitQueryAsksAndOnlyYesExits)
{
    auto s = std::make_unique<AppState>();
    fillShellTexts(*s);
    ScriptedUi ui;
    ui.answers = {MsgAnswer::No, MsgAnswer::Yes};
    EXPECT_FALSE(ExitQuery(*s, ui));
    EXPECT_EQ(s->AppExiting, 0);
    EXPECT_TRUE(ExitQuery(*s, ui));
    EXPECT_EQ(s->AppExiting, 1);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0].prompt, QStringLiteral("Are you sure want to exit?"));
    EXPECT_EQ(ui.shown[0].title, QStringLiteral("Notice"));
    EXPECT_EQ(ui.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(ui.shown[0].icon, MsgIcon::Question);
}

TEST(SystemLocale, ChineseChinaOrSimplifiedIsPrcTaiwanIs1028OthersEnglish)
{
    struct Case { QLocale::Language l; QLocale::Territory t; QLocale::Script sc; int want; };
    const Case cases[] = {
        {QLocale::Chinese, QLocale::China, QLocale::SimplifiedChineseScript, 2052},
        {QLocale::Chinese, QLocale::Singapore, QLocale::SimplifiedChineseScript, 2052},
        {QLocale::Chinese, QLocale::Taiwan, QLocale::TraditionalChineseScript, 1028},
        {QLocale::Chinese, QLocale::HongKong, QLocale::TraditionalChineseScript, 1033},
        {QLocale::English, QLocale::UnitedStates, QLocale::LatinScript, 1033},
        {QLocale::German, QLocale::Germany, QLocale::LatinScript, 1033},
        {QLocale::C, QLocale::AnyTerritory, QLocale::AnyScript, 1033},
    };
    for (const auto& c : cases)
        EXPECT_EQ(localeNumberFor(c.l, c.t, c.sc), c.want) << c.l << " " << c.t;
}
