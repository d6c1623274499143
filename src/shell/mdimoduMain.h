// The captions the main window takes from the UI text table, and the
// language switch. The table itself is filled by settings/SoftFaceTexts.h.
#pragma once

#include "shell/AppState.h"
#include "shell/UserInteraction.h"

#include <QList>
#include <QPair>
#include <QString>
#include <cstdint>

namespace qm {

// The captions the main window applies, by control name.
struct MainCaptions {
    // Menu name ("mnuFile", "mnuFileNew", ... "mnuAboutSoft") -> caption.
    QList<QPair<QString, QString>> menus;
    // Toolbar button key ("FileNew", "FileOpen", "FileSave", "Read", "Write",
    // "Com", "Print", "Help", "Exit") -> caption.
    QList<QPair<QString, QString>> buttons;
    QString title;

    QString menu(const QString& name) const;
    QString button(const QString& key) const;
};

// Captions of the main window from the text table; also sets the three
// status panels: 1 text 94 "Ready", 2 "COM" + port number, 3 text 85
// "File Name:" + the current data file path. On a failure (reported as
// "mdimoduMain->SetSoftFace") the captions gathered so far are returned.
MainCaptions SetSoftFace(AppState& s);

// The three language items of the Settings > Language menu.
struct LanguageMenuItem {
    const char* name;   // menu control name
    int16_t language;   // Language value the item selects
    int caption;        // text-table entry of its caption
    bool visible;       // Traditional Chinese has no texts: its item is hidden
};
inline constexpr LanguageMenuItem kLanguageMenuItems[3] = {
    {"mnuLangSel0", 1, 34, true},
    {"mnuLangSel1", 2, 57, false},
    {"mnuLangSel2", 3, 35, true},
};

// Name of the language item that is checked for a language (values other
// than 1, 2, 3 count as English, as everywhere else).
QString checkedLanguageItem(int16_t language);

// Click on the item of language L. Nothing happens (false) when L is the
// language in force or not 1..3. Otherwise Language = L in memory and
// SwiLangFace runs; true means the caller must now close the main window,
// which asks the exit question. The text table is not refilled: the new
// language takes effect at the next start.
bool LanguageItemClicked(AppState& s, UserInteraction& ui, int16_t L);

// Writes Language = L into section "Setting" of the settings file and tells
// the user to restart (text 68, title "Message", OK, question icon). Returns
// true when the main window is to be closed. When the settings file cannot
// be written, the failure is reported as "mdifrmMain->SwiLangFace", the
// restart notice is not shown and false is returned.
bool SwiLangFace(AppState& s, UserInteraction& ui, int16_t L);

} // namespace qm
