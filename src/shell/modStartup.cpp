#include "shell/modStartup.h"

#include "channels/modChMem.h"
#include "comm/modAddrBoxes.h"
#include "comm/modCommun.h"
#include "comm/modPorts.h"
#include "image/modDataFile.h"
#include "image/modIicDat.h"
#include "options/modOptView.h"
#include "options/modSysSet.h"
#include "shell/mdimoduMain.h"
#include "shell/VbConv.h"

#include <QFileInfo>

namespace qm {

namespace {

const QString kSetting = QStringLiteral("Setting");
const QString kFormLoad = QStringLiteral("mdifrmMain->Form_Load");

// Step 5 fills the UI text table for the chosen language.
constexpr TextTableFiller kTextTableFiller = &InitSoftFaceStr;

QString readKey(const AppState& s, const QString& key, const QString& def, int buf)
{
    return s.profile.read(kSetting, key, def, buf);
}

// A numeric key as a 16-bit integer. A text that is not a number (or does not
// fit) raises the conversion error, with the key named for the tool's message.
int16_t readInt16(const AppState& s, const QString& key, const QString& def, int buf)
{
    const QString text = readKey(s, key, def, buf);
    try {
        return toInt16(text);
    } catch (const QmError& e) {
        throw QmError(e.number(), QStringLiteral("settings key %1=\"%2\" is not a 16-bit number").arg(key, text));
    }
}

uint32_t readColour(const AppState& s, const QString& key, const QString& def)
{
    const QString text = readKey(s, key, def, 30);
    try {
        return static_cast<uint32_t>(toInt32(text));
    } catch (const QmError& e) {
        throw QmError(e.number(), QStringLiteral("settings key %1=\"%2\" is not a colour number").arg(key, text));
    }
}

// Step 4 without the menu: Language as read, anything but 1..3 becomes 3.
void readLanguage(AppState& s, int16_t detected)
{
    // When the detection could not store its choice (a folder that cannot be
    // written), its choice still holds for this run.
    if (detected != 0 && !s.profile.contains(kSetting, QStringLiteral("Language")))
        s.settings.Language = detected;
    else
        s.settings.Language = readInt16(s, QStringLiteral("Language"), QStringLiteral("2"), 10);
    normaliseLanguage(s);
}

// Step 7: the image, zero-filled, addresses 0..DatNum.
void sizeImage(AppState& s)
{
    s.settings.DatNum = readInt16(s, QStringLiteral("DatNum"), QStringLiteral("0"), 10);
    if (s.settings.DatNum < 0)
        throw QmError(9, QStringLiteral("settings key DatNum=%1 is negative").arg(s.settings.DatNum));
    s.IicDat.assign(static_cast<size_t>(s.settings.DatNum) + 1, 0);
}

// Step 8: fonts, grid colours, highest signalling index.
void readLook(AppState& s)
{
    s.settings.EngFont = readKey(s, QStringLiteral("EngFont"), QStringLiteral("Times New Roman"), 30);
    s.settings.ChsFont = readKey(s, QStringLiteral("ChsFont"), QStringLiteral("宋体"), 30);
    s.settings.UiFont = s.settings.Language == 1 ? s.settings.ChsFont : s.settings.EngFont;
    // Red for an out-of-band frequency, black for a normal cell (0x00BBGGRR).
    s.settings.OverColorText = readKey(s, QStringLiteral("OverColor"), QStringLiteral("255"), 30);
    s.settings.OverColor = readColour(s, QStringLiteral("OverColor"), QStringLiteral("255"));
    s.settings.DefColorText = readKey(s, QStringLiteral("DefColor"), QStringLiteral("0"), 30);
    s.settings.DefColor = readColour(s, QStringLiteral("DefColor"), QStringLiteral("0"));
    s.settings.CtcDcsMax = readInt16(s, QStringLiteral("CtcDcsMax"), QStringLiteral("260"), 30);
}

// Step 9: the five address keys into their boxes, then the part-fill range.
void readAddresses(AppState& s, bool writeBack)
{
    for (AddrBox b : {AddrBox::TableMax, AddrBox::ReadStart, AddrBox::ReadEnd, AddrBox::WriteStart, AddrBox::WriteEnd}) {
        const QString text = readKey(s, addrBoxKey(b), addrBoxDefault(b), 15);
        if (writeBack)
            SetAddrBoxText(s, b, text);
        else
            LoadAddrBoxText(s, b, text);
    }
    s.settings.PartFillStart = 0;
    s.settings.PartFillEnd = s.settings.TableMaxAddr;
}

void clearNameCodes(AppState& s)
{
    for (int n = 1; n <= kMaxChannels; ++n)
        for (int p = 1; p <= 6; ++p)
            s.ChNameCode[static_cast<size_t>(n)][static_cast<size_t>(p)] = kNoChar;
}

void showStatusPanels(AppState& s)
{
    s.setStatus(1, s.text(94));
    s.setStatus(2, QStringLiteral("COM") + QString::number(s.settings.COM));
    s.setStatus(3, s.text(85) + s.currentPath);
}

void fillTextTable(AppState& s, const std::function<void(AppState&)>& filler)
{
    if (filler)
        filler(s);
}

} // namespace

int localeNumberFor(QLocale::Language language, QLocale::Territory territory, QLocale::Script script)
{
    if (language != QLocale::Chinese)
        return kLocaleEnglishUs;
    if (territory == QLocale::Taiwan)
        return kLocaleChineseTaiwan;
    if (territory == QLocale::China)
        return kLocaleChinesePrc;
    if (script == QLocale::SimplifiedChineseScript && territory != QLocale::HongKong && territory != QLocale::Macao)
        return kLocaleChinesePrc;
    return kLocaleEnglishUs;
}

int systemLocaleNumber()
{
    const QLocale sys = QLocale::system();
    return localeNumberFor(sys.language(), sys.territory(), sys.script());
}

TextTableFiller defaultTextTableFiller()
{
    return kTextTableFiller;
}

int16_t GetSysLang(AppState& s, StartupEnv& env)
{
    if (readInt16(s, QStringLiteral("FirRun"), QStringLiteral("1"), 3) == 0)
        return 0;
    s.profile.write(kSetting, QStringLiteral("FirRun"), QStringLiteral("0"));
    const int16_t lang = env.systemLocale == kLocaleChinesePrc ? 1 : 3;
    s.profile.write(kSetting, QStringLiteral("Language"), QString::number(lang));
    if (env.prober)
        AutoSetPort(s, *env.prober);
    return lang;
}

StartupOutcome RunStartup(AppState& s, StartupEnv& env)
{
    StartupOutcome outcome = StartupOutcome::Running;
    const bool ok = guarded(s.errors, kFormLoad, [&] {
        // 1. The settings file beside the program.
        s.home = env.home;
        s.profile.setPath(s.home + QStringLiteral("/Uninstall.exe"));

        // 2. First run: create the settings file and end without a window.
        if (readInt16(s, QStringLiteral("FirRun"), QStringLiteral("2"), 3) == 2) {
            if (s.profile.write(kSetting, QStringLiteral("FirRun"), QStringLiteral("1"))) {
                s.QuietExit = true;
                outcome = StartupOutcome::QuietExit;
                return;
            }
            // A folder that cannot be written would end every start here:
            // list the problem and come up with the defaults instead.
            s.errors.AddErrInfo(kFormLoad, 75);
        }

        // 3. Language detection on the first start after installation.
        const int16_t detected = GetSysLang(s, env);

        // 4. Language in force for this run.
        readLanguage(s, detected);
        if (env.checkLanguageMenu)
            env.checkLanguageMenu(s.settings.Language);

        // 5. Radio alphabet, UI text table.
        GetValidCharTbl(s);
        fillTextTable(s, env.initSoftFaceStr);

        // 6. Serial port: probe the configured one, choose another when unusable.
        s.settings.COM = readInt16(s, QStringLiteral("COM"), QStringLiteral("1"), 10);
        if (env.prober) {
            const int com = s.settings.COM;
            const bool inRange = com >= 1 && com <= 16;
            if (inRange)
                VerdictCom(s, *env.prober, com);
            if (!inRange || s.comm.PortAvail[static_cast<size_t>(com)] == -1)
                AutoSetPort(s, *env.prober);
        }

        // 7.-9. Image, fonts, colours, address ranges.
        sizeImage(s);
        readLook(s);
        readAddresses(s, true);

        // 10. Navigator: its load reads the option defaults and selections.
        OptNowDefSol(s, 0);
        if (env.dockNavigator)
            env.dockNavigator();

        // 11.-13. File name panel, protocol scripts, data folder and paths.
        s.setStatus(3, s.text(85) + s.currentPath);
        InitProtocol(s);
        GenerateDatFolder(s);

        // 14. Captions of the main window.
        showStatusPanels(s);
        if (env.applyCaptions)
            env.applyCaptions();

        // 15. Channel window (and memory table).
        InitChMem(s);
        if (env.buildChildWindows)
            env.buildChildWindows();

        // 16.-17. No names, then the template image.
        clearNameCodes(s);
        NewFileSol(s);

        // 18. Radio information window.
        if (env.showRadioInfo)
            env.showRadioInfo();
    });
    return ok ? outcome : StartupOutcome::Failed;
}

bool startupForTool(AppState& s, const QString& home, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const QFileInfo dir(home);
    if (!dir.exists() || !dir.isDir())
        return fail(QStringLiteral("program folder %1 does not exist").arg(home));
    const QString settingsPath = dir.absoluteFilePath() + QStringLiteral("/Uninstall.exe");
    if (!QFileInfo(settingsPath).isFile())
        return fail(QStringLiteral("no settings file %1").arg(settingsPath));

    s.home = dir.absoluteFilePath();
    s.profile.setPath(settingsPath);
    try {
        readLanguage(s, 0);
        GetValidCharTbl(s);
        fillTextTable(s, defaultTextTableFiller());
        s.settings.COM = readInt16(s, QStringLiteral("COM"), QStringLiteral("1"), 10);
        sizeImage(s);
        readLook(s);
        readAddresses(s, false);
        OptNowDefSol(s, 0);
        InitProtocol(s);
        // The paths only: the tool does not create the data folder.
        s.defaultPath = defaultDataPath(s);
        s.currentPath = s.defaultPath;
        showStatusPanels(s);
        InitChMem(s);
        clearNameCodes(s);
        // The new-file work, with the option defaults copied in memory only.
        InitTempArray(s);
        ChInfoSaveSol(s, 1);
        ShowChTblGrid(s);
        s.OptSel = s.OptDef;
        InitOpt(s);
    } catch (const QmError& e) {
        s.errors.AddErrInfo(kFormLoad, e.number());
        return fail(QStringLiteral("start-up failed: %1")
                        .arg(e.detail().isEmpty() ? QStringLiteral("error %1").arg(e.number()) : e.detail()));
    } catch (const std::exception& e) {
        s.errors.AddErrInfo(kFormLoad, 5);
        return fail(QStringLiteral("start-up failed: %1").arg(QString::fromLocal8Bit(e.what())));
    }
    return true;
}

bool ExitQuery(AppState& s, UserInteraction& ui)
{
    if (!s.QuietExit &&
        ui.message(s.text(73), s.text(70), MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes)
        return false;
    s.AppExiting = 1;
    return true;
}

} // namespace qm
