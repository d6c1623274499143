// Start-up and exit of the program, as procedures that run without a screen.
// The main window runs RunStartup when it loads and ExitQuery when it is
// closed; the window-only steps reach the window through StartupEnv callbacks.
#pragma once

#include "comm/PortProber.h"
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

// Fills the UI text table for s.settings.Language (InitSoftFaceStr).
using TextTableFiller = void (*)(AppState&);
// The filler every start-up uses unless told otherwise.
TextTableFiller defaultTextTableFiller();

// What the start-up needs from its surroundings.
struct StartupEnv {
    QString home;                        // program folder
    int systemLocale = kLocaleEnglishUs; // used once, by the language detection
    PortProber* prober = nullptr;        // no prober: the port steps are skipped
    std::function<void(AppState&)> initSoftFaceStr = defaultTextTableFiller();

    // Window-only steps; each is optional.
    std::function<void(int language)> checkLanguageMenu; // step 4: tick the item of the language
    std::function<void()> dockNavigator;                 // step 10, after the option defaults are loaded
    std::function<void()> applyCaptions;                 // step 14 (SetSoftFace)
    std::function<void()> buildChildWindows;             // step 15: memory table and channel window
    std::function<void()> showRadioInfo;                 // step 18
};

enum class StartupOutcome {
    Running,   // the window comes up
    QuietExit, // first run: the settings file was created, the program ends unseen
    Failed,    // stopped at an error listed as "mdifrmMain->Form_Load"; the window stays
};

// The start-up sequence of the main window (steps 1 to 18): first-run check,
// language detection, settings, image, scripts, data folder, channel table,
// template. Any error of its own stops it and is listed as
// "mdifrmMain->Form_Load"; it never throws.
StartupOutcome RunStartup(AppState& s, StartupEnv& env);

// The language detection of the second start (GetSysLang): when FirRun is not
// 0, writes FirRun = 0 and Language (1 for 2052, else 3) and runs the automatic
// port choice. Returns the language it chose, 0 when it did nothing.
int16_t GetSysLang(AppState& s, StartupEnv& env);

// The state the command-line tool and the simulator start from: the program's
// state after its normal start-up (settings read, template loaded and decoded,
// option selections = their defaults), but the settings file is only read,
// never written: no first-run handling, no language detection, no port probe.
// Returns false (with a one-line reason in *error) when the start-up failed.
bool startupForTool(AppState& s, const QString& home, QString* error);

// The exit query: Yes when QuietExit is set, else text 73 is asked (title text
// 70, Yes/No, question icon). Yes sets AppExiting to 1 and returns true; No
// returns false and changes nothing.
bool ExitQuery(AppState& s, UserInteraction& ui);

} // namespace qm
