#include "shell/modStartup.h"

#include "channels/modChMem.h"
#include "comm/modAddrBoxes.h"
#include "comm/modCommun.h"
#include "comm/modPorts.h"
#include "image/modIicDat.h"
#include "options/modSysSet.h"
#include "settings/CharTable.h"
#include "settings/SafeFile.h"
#include "settings/SoftFaceTexts.h"
#include "settings/VbConv.h"
#include "shell/modDataFile.h"

#include <QFileInfo>

namespace qm {

namespace {

const QString kSetting = QStringLiteral("Setting");
const QString kFormLoad = QStringLiteral("mdifrmMain->Form_Load");

// Step 5 fills the UI text table for the chosen language.
constexpr TextTableFiller kTextTableFiller = &InitSoftFaceStr;

QString readKey(const AppState& s, const QString& key, const QString& def, int buf)
{
    return s.settings.profile.read(kSetting, key, def, buf);
}

// A numeric key's text converted by `convert`; a text that is not a number
// (or does not fit) raises the conversion error, naming the key and the file.
template <class Convert>
auto readNumber(const AppState& s, const QString& key, const QString& def, int buf, const char* what, Convert convert)
{
    const QString text = readKey(s, key, def, buf);
    try {
        return convert(text);
    } catch (const QmError& e) {
        throw QmError(e.number(), kReadSettingsKey,
                      QStringLiteral("%1 of %2").arg(key, s.settings.profile.path()),
                      QStringLiteral("\"%1\" is not %2").arg(text, QLatin1String(what)));
    }
}

int16_t readInt16(const AppState& s, const QString& key, const QString& def, int buf)
{
    return readNumber(s, key, def, buf, "a 16-bit number", [](const QString& t) { return toInt16(t); });
}

uint32_t readColour(const AppState& s, const QString& key, const QString& def)
{
    return readNumber(s, key, def, 30, "a colour number", [](const QString& t) { return static_cast<uint32_t>(toInt32(t)); });
}

// Step 4 without the menu: Language as read, anything but 1..3 becomes 3.
void readLanguage(AppState& s, int16_t detected)
{
    // When the detection could not store its choice (a folder that cannot be
    // written), its choice still holds for this run.
    if (detected != 0 && !s.settings.profile.contains(kSetting, QStringLiteral("Language")))
        s.settings.Language = detected;
    else
        s.settings.Language = readInt16(s, QStringLiteral("Language"), QStringLiteral("2"), 10);
    normaliseLanguage(s.settings);
}

// The image size, checked before anything else is read or written: the
// radio has 8 KiB of memory, and an image, a data file or a transfer of any
// other size is wrong. A settings file whose DatNum says otherwise is refused
// (error 380 naming the file, the key and the value). Without the key the
// desktop program takes the radio's size (the settings file its first run
// creates holds no more than FirRun); the tool, which never creates a
// settings file, refuses a file without it.
void readDatNum(AppState& s, bool desktop)
{
    const QString key = QStringLiteral("DatNum");
    const QString object = QStringLiteral("%1 of %2").arg(key, s.settings.profile.path());
    if (!s.settings.profile.contains(kSetting, key)) {
        if (desktop) {
            s.settings.DatNum = kImageDatNum;
            return;
        }
        const bool empty = fileFacts(s.settings.profile.path()).size == 0;
        throw QmError(380, kReadSettingsKey, object,
                      QStringLiteral("%1 (it must be %2, the radio's highest memory address)")
                          .arg(empty ? QStringLiteral("the settings file is empty") : QStringLiteral("the key is missing"))
                          .arg(kImageDatNum));
    }
    const int16_t value = readInt16(s, key, QStringLiteral("0"), 10);
    if (value != kImageDatNum)
        throw QmError(380, kReadSettingsKey, object,
                      QStringLiteral("\"%1\" is not %2, the radio's highest memory address (its memory is %3 bytes)")
                          .arg(readKey(s, key, QString(), 10))
                          .arg(kImageDatNum)
                          .arg(kImageBytes));
    s.settings.DatNum = value;
}

// Step 7: the image, zero-filled, addresses 0..DatNum.
void sizeImage(AppState& s)
{
    s.doc.IicDat.assign(static_cast<size_t>(s.settings.DatNum) + 1, 0);
}

// Step 8: fonts, grid colours, highest signalling index.
void readLook(AppState& s)
{
    Settings& st = s.settings;
    st.EngFont = readKey(s, QStringLiteral("EngFont"), QStringLiteral("Times New Roman"), 30);
    st.ChsFont = readKey(s, QStringLiteral("ChsFont"), QStringLiteral("宋体"), 30);
    st.UiFont = st.Language == 1 ? st.ChsFont : st.EngFont;
    // Red for an out-of-band frequency, black for a normal cell (0x00BBGGRR).
    st.OverColorText = readKey(s, QStringLiteral("OverColor"), QStringLiteral("255"), 30);
    st.OverColor = readColour(s, QStringLiteral("OverColor"), QStringLiteral("255"));
    st.DefColorText = readKey(s, QStringLiteral("DefColor"), QStringLiteral("0"), 30);
    st.DefColor = readColour(s, QStringLiteral("DefColor"), QStringLiteral("0"));
    st.CtcDcsMax = readInt16(s, QStringLiteral("CtcDcsMax"), QStringLiteral("260"), 30);
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
            s.doc.ChNameCode[static_cast<size_t>(n)][static_cast<size_t>(p)] = kNoChar;
}

void showStatusPanels(AppState& s)
{
    s.view.setStatus(1, s.settings.text(94));
    s.view.setStatus(2, QStringLiteral("COM") + QString::number(s.settings.COM));
    s.view.setStatus(3, s.settings.text(85) + s.view.currentPath);
}

void runIf(const std::function<void()>& step)
{
    if (step)
        step();
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
    s.settings.profile.write(kSetting, QStringLiteral("FirRun"), QStringLiteral("0"));
    const int16_t lang = env.systemLocale == kLocaleChinesePrc ? 1 : 3;
    s.settings.profile.write(kSetting, QStringLiteral("Language"), QString::number(lang));
    if (env.prober)
        AutoSetPort(s, *env.prober);
    return lang;
}

StartupOutcome RunStartup(AppState& s, StartupEnv& env)
{
    const bool desktop = env.mode == StartupMode::Desktop;
    StartupOutcome outcome = StartupOutcome::Running;
    const bool ok = guarded(s.errors, kFormLoad, [&] {
        // 1. The settings file beside the program.
        const QFileInfo home(env.home);
        s.settings.home = desktop ? env.home : home.absoluteFilePath();
        s.settings.profile.setPath(s.settings.home + QStringLiteral("/Uninstall.exe"));
        if (!desktop) {
            // The tool never creates a settings file: without one it has
            // nothing to start from.
            if (fileFacts(env.home).kind != FileFacts::Kind::Folder)
                throw QmError(53, QStringLiteral("start up in"), env.home, QStringLiteral("the program folder does not exist"));
            if (!fileFacts(s.settings.profile.path()).exists())
                throw QmError(53, QStringLiteral("start up in"), s.settings.home,
                              QStringLiteral("no settings file %1").arg(s.settings.profile.path()));
        }
        // A settings file that is there but cannot be read (too large, not a
        // regular file) is refused rather than taken for a missing one.
        if (const auto problem = s.settings.profile.problem())
            throw QmError(*problem);

        // 2. First run: create the settings file and end without a window.
        if (desktop && readInt16(s, QStringLiteral("FirRun"), QStringLiteral("2"), 3) == 2) {
            QString why;
            if (s.settings.profile.write(kSetting, QStringLiteral("FirRun"), QStringLiteral("1"), &why)) {
                s.view.QuietExit = true;
                outcome = StartupOutcome::QuietExit;
                return;
            }
            // A folder that cannot be written would end every start here:
            // list the problem and come up with the defaults instead.
            s.errors.AddErrInfo(kFormLoad, Error{75, QStringLiteral("write settings file"), s.settings.profile.path(), why});
        }

        // The image size before anything is written (language, port).
        readDatNum(s, desktop);

        // 3. Language detection on the first start after installation.
        const int16_t detected = desktop ? GetSysLang(s, env) : int16_t(0);

        // 4. Language in force for this run.
        readLanguage(s, detected);
        if (env.checkLanguageMenu)
            env.checkLanguageMenu(s.settings.Language);

        // 5. Radio alphabet, UI text table.
        GetValidCharTbl(s.settings);
        if (env.initSoftFaceStr)
            env.initSoftFaceStr(s.settings);

        // 6. Serial port: probe the configured one, choose another when unusable.
        s.settings.COM = readInt16(s, QStringLiteral("COM"), QStringLiteral("1"), 10);
        if (desktop && env.prober)
            CheckStartupPort(s, *env.prober);

        // 7.-9. Image, fonts, colours, address ranges.
        sizeImage(s);
        readLook(s);
        readAddresses(s, desktop);

        // 10. Navigator: its load reads the option defaults and selections.
        OptNowDefSol(s, 0);
        runIf(env.dockNavigator);

        // 11.-13. File name panel, protocol scripts, data folder and paths.
        s.view.setStatus(3, s.settings.text(85) + s.view.currentPath);
        InitProtocol(s);
        if (desktop) {
            GenerateDatFolder(s);
        } else {
            s.view.defaultPath = defaultDataPath(s.settings);
            s.view.currentPath = s.view.defaultPath;
        }

        // 14. Captions of the main window.
        showStatusPanels(s);
        runIf(env.applyCaptions);

        // 15. Channel window (and memory table).
        InitChMem(s);
        runIf(env.buildChildWindows);

        // 16.-17. No names, then the template image (the tool keeps the
        // option defaults in memory only).
        clearNameCodes(s);
        NewFileSol(s, desktop);

        // 18. Radio information window.
        runIf(env.showRadioInfo);
    });
    if (!ok && env.ui && !s.errors.entries().empty()) {
        // The window comes up without an image; say why at once.
        env.ui->message(s.errors.entries().back().error.text(), SoftFaceText(s.settings, 70), MsgButtons::Ok,
                        MsgIcon::Critical);
    }
    return ok ? outcome : StartupOutcome::Failed;
}

bool ExitQuery(AppState& s, UserInteraction& ui)
{
    if (!s.view.QuietExit &&
        ui.message(s.settings.text(73), s.settings.text(70), MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes)
        return false;
    s.view.AppExiting = 1;
    return true;
}

} // namespace qm
