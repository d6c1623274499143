// Start-up and exit of the program, as procedures that run without a screen.
// The main window runs RunStartup when it loads and ExitQuery when it is
// closed; the window-only steps reach the window through StartupEnv callbacks.
// The command-line tool runs the same start-up in StartupMode::Tool.
#pragma once

#include "comm/PortProber.h"
#include "settings/SoftFaceTexts.h"
#include "shell/AppState.h"
#include "shell/UserInteraction.h"

#include <QLocale>
#include <functional>

namespace qm {

// Locale numbers the language detection knows: 2052 Chinese (PRC),
// 1028 Chinese (Taiwan), 1033 English (United States).
constexpr int kLocaleChinesePrc = 2052;
constexpr int kLocaleChineseTaiwan = 1028;
constexpr int kLocaleEnglishUs = 1033;

// Locale number for a language, territory and script: Chinese in China or in
// Simplified script -> 2052, Chinese in Taiwan -> 1028, anything else -> 1033.
int localeNumberFor(QLocale::Language language, QLocale::Territory territory, QLocale::Script script);
// The same for this computer's system locale.
int systemLocaleNumber();

// Fills the UI text table for Language (InitSoftFaceStr).
using TextTableFiller = void (*)(Settings&);
// The filler every start-up uses unless told otherwise.
TextTableFiller defaultTextTableFiller();

// What a start-up may do to its surroundings.
enum class StartupMode {
    // The desktop program: first-run handling and language detection (which
    // write the settings file), the port probe and automatic port choice,
    // the address keys written back, the data folder created, the option
    // selections of File > New stored in the settings file.
    Desktop,
    // The command-line tool: the settings file must exist and is only read;
    // no port is probed, no folder created, nothing shown. The state ends up
    // as after the desktop start-up (template loaded and decoded, option
    // selections = their defaults).
    Tool,
};

// What the start-up needs from its surroundings.
struct StartupEnv {
    QString home;                        // program folder
    StartupMode mode = StartupMode::Desktop;
    int systemLocale = kLocaleEnglishUs; // used once, by the language detection
    PortProber* prober = nullptr;        // no prober: the port steps are skipped
    std::function<void(Settings&)> initSoftFaceStr = defaultTextTableFiller();

    // Window-only steps; each is optional.
    std::function<void(int language)> checkLanguageMenu; // step 4: tick the item of the language
    std::function<void()> dockNavigator;                 // step 10, after the option defaults are loaded
    std::function<void()> applyCaptions;                 // step 14 (SetSoftFace)
    std::function<void()> buildChildWindows;             // step 15: memory table and channel window
    std::function<void()> showRadioInfo;                 // step 18

    // Shows a start-up that failed (a settings file that cannot hold, such
    // as a DatNum other than 8191) in a message box; none without it.
    UserInteraction* ui = nullptr;
};

enum class StartupOutcome {
    Running,   // the window comes up
    QuietExit, // first run: the settings file was created, the program ends unseen
    Failed,    // stopped at an error listed as "mdifrmMain->Form_Load" (the last
               // entry of the error list); the window stays
};

// The start-up sequence (steps 1 to 18): first-run check, language
// detection, settings, image, scripts, data folder, channel table, template,
// each as env.mode allows. Any error of its own stops it and is listed as
// "mdifrmMain->Form_Load"; it never throws. In Tool mode a program folder
// without a settings file fails (error 53) before anything is read. A
// settings file that cannot be read or whose DatNum is not 8191 fails it
// before anything is written; with env.ui the failure is also shown.
StartupOutcome RunStartup(AppState& s, StartupEnv& env);

// The language detection of the second start (GetSysLang): when FirRun is not
// 0, writes FirRun = 0 and Language (1 for 2052, else 3) and runs the automatic
// port choice. Returns the language it chose, 0 when it did nothing.
int16_t GetSysLang(AppState& s, StartupEnv& env);

// The exit query: Yes when QuietExit is set, else text 73 is asked (title text
// 70, Yes/No, question icon). Yes sets AppExiting to 1 and returns true; No
// returns false and changes nothing.
bool ExitQuery(AppState& s, UserInteraction& ui);

} // namespace qm
