#include "shell/modStartup.h"
#include "shell/AppState.h"
#include "shell/modDataFile.h"
#include "shell/RadioTransfer.h"
#include "support/FakeLink.h"

#include "support/ChInfoFixture.h"
#include "support/ScriptedUi.h"
#include "support/TestHome.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace qm;
using namespace qmtest;

namespace {

class StartupTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    RecordingProber prober;
    StartupEnv env{dir.path(), StartupMode::Desktop, kLocaleEnglishUs, &prober, fillShellTexts, {}, {}, {}, {}, {}};
    std::unique_ptr<AppState> s = std::make_unique<AppState>();

    QString file(const char* name) const { return dir.filePath(QLatin1String(name)); }
    QString setting(const char* key) const { return ProfileFile(file("Uninstall.exe")).read("Setting", key, "", 15); }
    void setSettings(const QByteArray& text) { ASSERT_TRUE(writeFile(file("Uninstall.exe"), text)); }
    // One start of the program in a fresh state.
    StartupOutcome start(int locale = kLocaleEnglishUs)
    {
        s = std::make_unique<AppState>();
        env.systemLocale = locale;
        return RunStartup(*s, env);
    }
    bool listed(const char* label) const
    {
        return s->errors.lines().join(QLatin1Char('\n')).contains(QStringLiteral(" %1 ").arg(QLatin1String(label)));
    }
    std::string errors() const { return s->errors.lines().join(QLatin1Char('\n')).toStdString(); }
};

} // namespace

TEST_F(StartupTest, FirstStartEndsQuietlySecondDetectsLanguageAndPortThirdDoesNeither)
{
    struct Case { int locale; int16_t language; const char* font; };
    const Case cases[] = {{kLocaleChinesePrc, 1, "宋体"}, {kLocaleChineseTaiwan, 3, "Times New Roman"},
                          {kLocaleEnglishUs, 3, "Times New Roman"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        QFile::remove(file("Uninstall.exe"));
        QDir(file("Data")).removeRecursively();
        prober.probed.clear();
        prober.usable = {2};
        EXPECT_EQ(start(c.locale), StartupOutcome::QuietExit);
        EXPECT_EQ(readFile(file("Uninstall.exe")), QByteArray("[Setting]\nFirRun=1\n"));
        EXPECT_TRUE(s->view.QuietExit && prober.probed.empty() && !QFile::exists(file("Data")));

        // Every port probed in order, the first usable one taken.
        EXPECT_EQ(start(c.locale), StartupOutcome::Running);
        EXPECT_EQ((QStringList{setting("FirRun"), setting("Language"), setting("COM"), s->settings.UiFont}),
                  (QStringList{"0", QString::number(c.language), "2", QString::fromUtf8(c.font)}));
        EXPECT_EQ((std::array<int, 2>{s->settings.Language, s->settings.COM}), (std::array<int, 2>{c.language, 2}));
        ASSERT_GE(prober.probed.size(), 16u);
        EXPECT_EQ(std::vector<int>(prober.probed.begin(), prober.probed.begin() + 16),
                  (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));

        // The user chose English and port 1: the third start keeps both.
        ASSERT_TRUE(ProfileFile(file("Uninstall.exe")).write("Setting", "Language", "3"));
        ASSERT_TRUE(ProfileFile(file("Uninstall.exe")).write("Setting", "COM", "1"));
        prober.probed.clear();
        prober.usable = {1, 2};
        EXPECT_EQ(start(c.locale), StartupOutcome::Running);
        EXPECT_EQ(setting("Language"), QStringLiteral("3"));
        EXPECT_EQ((std::array<int, 2>{s->settings.Language, s->settings.COM}), (std::array<int, 2>{3, 1}));
        EXPECT_LE(prober.probed.size(), 1u);
    }
}

// Language 7 runs in English without rewriting the file; the address keys
// missing from the file take their defaults and are written back.
TEST_F(StartupTest, FullStartRunsWindowStepsInOrderWithDefaultsAndLoadsTemplate)
{
    setSettings("[Setting]\nFirRun=0\nLanguage=7\nDatNum=8191\nCOM=4\nOverColor=65280\nDefColor=16711680\n");
    ASSERT_TRUE(writeChInfoSection(file("Uninstall.exe")));
    const QByteArray tmpl = deliveredTemplate();
    ASSERT_TRUE(writeFile(file("Kelvex.exe"), tmpl));
    s->doc.ChNameCode[20][3] = 12; // names left from before: cleared
    s->doc.ChNameCode[150][1] = 7;
    QStringList steps;
    prober.usable = {4};
    env.checkLanguageMenu = [&](int l) { steps << QString::number(l); };
    env.dockNavigator = [&] { steps << QStringLiteral("navigator"); };
    env.applyCaptions = [&] { steps << s->view.statusPanel[3]; };
    env.buildChildWindows = [&] { steps << QStringLiteral("windows"); };
    env.showRadioInfo = [&] { steps << QStringLiteral("radio info"); };
    ASSERT_EQ(RunStartup(*s, env), StartupOutcome::Running);

    const QString path = file("Data/Untitled.dat");
    EXPECT_EQ(steps, (QStringList{"3", "navigator", "File Name:" + path, "windows", "radio info"}));
    EXPECT_TRUE(QFileInfo(file("Data")).isDir());
    const Settings& st = s->settings;
    EXPECT_EQ((QStringList{s->view.defaultPath, s->view.statusPanel[2], st.UiFont, st.TableMaxAddrText}),
              (QStringList{path, "COM4", "Times New Roman", "1FFF"}));
    EXPECT_EQ((std::array<int, 4>{st.Language, st.TableMaxAddr, st.PartFillEnd, st.ReadEndAddr}), (std::array<int, 4>{3, 8191, 8191, 0x1FFF}));
    EXPECT_EQ((std::array<uint32_t, 2>{st.OverColor, st.DefColor}), (std::array<uint32_t, 2>{0x00FF00u, 0xFF0000u}));
    EXPECT_EQ((QStringList{setting("Language"), setting("TableMaxAddr"), setting("WriteStartAddr")}), (QStringList{"7", "1FFF", "0000"}));
    EXPECT_EQ(imageBytes(*s), tmpl);
    EXPECT_EQ(s->doc.ChNameCode[1][1], 12); // "C", from the template
    EXPECT_EQ(s->doc.ChNameCode[20][3], kNoChar);
    EXPECT_EQ(s->doc.ChNameCode[150][1], kNoChar);
    EXPECT_TRUE(s->errors.lines().isEmpty()) << errors();
}

TEST_F(StartupTest, BadAddressTextIsListedByItsBoxAndStartupGoesOn)
{
    setSettings(settingsText("ReadEndAddr=1G00\nTableMaxAddr=10000\nCOM=20\n"));
    prober.usable = {3};
    EXPECT_EQ(start(), StartupOutcome::Running);
    EXPECT_TRUE(listed("frmCommun->txtReadEndAddr_Change") && listed("frmCommun->txtMaxAddr_Change"));
    EXPECT_FALSE(listed("mdifrmMain->Form_Load"));
    EXPECT_EQ(s->settings.ReadEndAddr, 0x1FFF); // kept its previous value
    // The text stays as typed; port 20 does not exist: unusable, never probed.
    EXPECT_EQ((QStringList{s->settings.ReadEndAddrText, setting("ReadEndAddr"), setting("COM")}), (QStringList{"1G00", "1G00", "3"}));
    EXPECT_EQ(prober.probed.size(), 16u);
    EXPECT_TRUE(std::all_of(prober.probed.begin(), prober.probed.end(), [](int p) { return p >= 1 && p <= 16; }));
}

// A folder that cannot be written must not end every start unseen.
TEST_F(StartupTest, UnwritableFolderStillComesUpWithTheDetectedLanguage)
{
    ASSERT_TRUE(writeFile(file("plain"), "x"));
    env.home = file("plain");
    EXPECT_EQ(start(kLocaleChinesePrc), StartupOutcome::Running);
    EXPECT_TRUE(!s->view.QuietExit && s->settings.Language == 1);
    EXPECT_TRUE(listed("mdifrmMain->Form_Load") && listed("mdifrmMain->GenerateDatFolder"));
    EXPECT_EQ(s->view.currentPath, file("plain/Data/Untitled.dat"));
}

TEST(SystemLocale, ChineseChinaOrSimplifiedIsPrcTaiwanIs1028OthersEnglish)
{
    using L = QLocale;
    const std::tuple<L::Language, L::Territory, L::Script, int> cases[] = {
        {L::Chinese, L::China, L::SimplifiedChineseScript, 2052}, {L::Chinese, L::Singapore, L::SimplifiedChineseScript, 2052},
        {L::Chinese, L::Taiwan, L::TraditionalChineseScript, 1028}, {L::Chinese, L::HongKong, L::TraditionalChineseScript, 1033},
        {L::German, L::Germany, L::LatinScript, 1033}};
    for (auto [l, t, sc, want] : cases)
        EXPECT_EQ(localeNumberFor(l, t, sc), want) << l << " " << t;
}

// A settings file that cannot hold stops the start before anything is
// written: a message box names the file, the key and the value; no window
// comes up and the image stays empty, so no data file and no radio can get an
// image of that size.
TEST_F(StartupTest, SettingsThatCannotHoldStopTheStartAndNothingIsWritten)
{
    ASSERT_TRUE(writeFile(file("Kelvex.exe"), deliveredTemplate()));
    const QByteArray first = "[Setting]\nFirRun=1\n", later = "[Setting]\nFirRun=0\nLanguage=3\n";
    // sized: the image was sized before the key was read (no radio or file
    // sees it: the program ends), and missing keys may have been written back.
    const struct { QByteArray settings; const char* says; bool sized = false; } cases[] = {
        {first + "DatNum=100\n", "DatNum of %1: \"100\" is not 8191"},
        {first + "DatNum=8192\n", "DatNum of %1: \"8192\" is not 8191"},
        {first + "DatNum=99999\n", "DatNum of %1: \"99999\" is not a 16-bit number"},
        {later + "DatNum=abc\n", "DatNum of %1: \"abc\" is not a 16-bit number"},
        {later + "DatNum=-2\n", "DatNum of %1: \"-2\""},
        {later + "COM=x1\n", "COM of %1: \"x1\""},
        {later + "CtcDcsMax=99999\n", "CtcDcsMax of %1: \"99999\"", true},
        {later + "OverColor=red\n", "OverColor of %1: \"red\"", true},
        {first + "DatNum=8191\n" + QByteArray(int(kMaxSettingsBytes), ';'), "%1: it is larger than 1024 KiB"},
        {QByteArray(), "%1: it is a folder"}, // the settings "file" is a folder
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        QDir(file("Uninstall.exe")).removeRecursively();
        QFile::remove(file("Uninstall.exe"));
        if (c.settings.isEmpty())
            ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Uninstall.exe")));
        else
            setSettings(c.settings);
        ScriptedUi ui;
        env.ui = &ui;
        bool shown = false;
        env.showRadioInfo = [&] { shown = true; };
        prober.usable = {3};
        EXPECT_EQ(start(), StartupOutcome::Failed);
        ASSERT_EQ(ui.shown.size(), 1u);
        const QString says = QString::fromUtf8(c.says).arg(file("Uninstall.exe"));
        EXPECT_TRUE(ui.shown[0].prompt.contains(says)) << ui.shown[0].prompt.toStdString();
        EXPECT_EQ(ui.shown[0].icon, MsgIcon::Critical);
        EXPECT_TRUE(listed("mdifrmMain->Form_Load"));
        // Stopped before the windows and the data folder step: not the
        // language, not the port, not the folder written.
        EXPECT_TRUE(!shown && s->view.currentPath.isEmpty() && !QFile::exists(file("Data")));
        if (c.sized)
            continue;
        if (!c.settings.isEmpty()) {
            EXPECT_EQ(readFile(file("Uninstall.exe")), c.settings);
        }
        EXPECT_TRUE(s->doc.IicDat.empty());
        Error why;
        EXPECT_FALSE(SaveDataFileTo(*s, file("out.dat"), &why));
        EXPECT_EQ(why.number, 380);
        EXPECT_FALSE(QFile::exists(file("out.dat")));
        for (auto d : {TransferDirection::Read, TransferDirection::Write}) {
            FakeLink link;
            EXPECT_EQ(runTransfer(*s, d, link, nullptr).result, TransferResult::Refused);
            EXPECT_EQ(link.opens, 0);
        }
    }
}

// The template is read as far as it goes; another size is listed (no
// message box) and the start goes on with the bytes it has. The tool's start
// reads the settings file but never writes it, nor makes the data folder.
TEST_F(StartupTest, TemplateOfAnotherSizeIsListedAndTheStartGoesOn)
{
    // size: -1 when there is no template (the size warnings are Open's: modDataFile_test.cpp)
    const struct { int size; StartupMode mode; int number; const char* says; } cases[] = {
        {-1, StartupMode::Desktop, 53, "no such file"}, {100, StartupMode::Tool, 62, "it holds 100 bytes, not 8192"},
        {9000, StartupMode::Desktop, 59, "it holds more than 8192 bytes"}};
    const QByteArray toolSettings = "[Setting]\nFirRun=1\nLanguage=1\nCOM=5\nDatNum=8191\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        const bool tool = c.mode == StartupMode::Tool;
        setSettings(tool ? toolSettings : settingsText());
        QDir(file("Data")).removeRecursively();
        QFile::remove(file("Kelvex.exe"));
        if (c.size >= 0) {
            ASSERT_TRUE(writeFile(file("Kelvex.exe"), patternBytes(c.size)));
        }
        ScriptedUi ui;
        env.ui = &ui;
        env.mode = c.mode;
        EXPECT_EQ(start(), StartupOutcome::Running);
        EXPECT_TRUE(ui.shown.empty());
        const auto listed = listedUnder(*s, QStringLiteral("mdifrmMain->InitTempArray"));
        ASSERT_EQ(listed.size(), 1u);
        EXPECT_TRUE(listed[0].number == c.number && listed[0].object == file("Kelvex.exe") && listed[0].reason.contains(QLatin1String(c.says)))
            << listed[0].text().toStdString();
        const int supplied = std::clamp(c.size, 0, 8192);
        EXPECT_EQ(imageBytes(*s), patternBytes(supplied) + QByteArray(8192 - supplied, '\xFF')); // the rest erased memory
        EXPECT_EQ(QFile::exists(file("Kelvex.exe")), c.size >= 0); // never created
        EXPECT_EQ(s->view.currentPath, file("Data/Untitled.dat"));
        EXPECT_EQ(QFile::exists(file("Data")), !tool);
        if (tool) {
            EXPECT_EQ(readFile(file("Uninstall.exe")), toolSettings);
            EXPECT_EQ(s->settings.Language, 1);
            EXPECT_EQ(s->doc.OptSel, s->settings.OptDef);
        }
    }

    // The tool refuses a missing settings file with a reason, and does not
    // create it. (Settings that cannot hold: cli/qm570cli_test.cpp.)
    ASSERT_TRUE(QFile::remove(file("Uninstall.exe")));
    QString err;
    EXPECT_FALSE(qmtest::startTool(*s, dir.path(), &err));
    EXPECT_TRUE(err.contains(QStringLiteral("Uninstall.exe"))) << err.toStdString();
    EXPECT_FALSE(QFile::exists(file("Uninstall.exe")));
}
