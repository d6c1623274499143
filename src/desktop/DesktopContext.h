// What every window of the desktop program works with: the program state, the
// user-interaction interface (message boxes and file dialogs, scripted in
// tests), the one undo stack of the document, the port prober, the link
// factory of the transfers, and the other windows.
//
// The main window creates the context and every child window once, in the
// order of the start-up, and they live until the exit; a closed child window
// is only hidden. Windows reach each other only through `w`, and each calls
// only the public methods of the others.
#pragma once

#include "comm/CommLink.h"
#include "comm/PortProber.h"
#include "shell/AppState.h"
#include "shell/UserInteraction.h"

#include <QUndoStack>

#include <functional>
#include <memory>

class QWidget;

namespace qm {

class mdifrmMain;
class frmAboutSoft;
class frmChMem;
class frmCommun;
class frmMemDat;
class frmPartFill;
class frmRadioInfo;
class frmShowErr;
class frmSysSet;
class frmToolCom;
class frmTreeView;

// The child windows; null until the main window's start-up has created them.
struct DesktopWindows {
    frmTreeView* treeView = nullptr;   // navigator (docked)
    frmSysSet* sysSet = nullptr;       // optional features (MDI child)
    frmRadioInfo* radioInfo = nullptr; // radio information (MDI child)
    frmChMem* chMem = nullptr;         // channel grid (MDI child)
    frmAboutSoft* aboutSoft = nullptr; // about box (modal)
    frmCommun* commun = nullptr;       // read/write dialog (modal)
    frmToolCom* toolCom = nullptr;     // port dialog (modal)
    frmShowErr* showErr = nullptr;     // error list (docked)
    frmPartFill* partFill = nullptr;   // part fill (modal)
    frmMemDat* memDat = nullptr;       // memory data table (MDI child)
};

struct DesktopContext {
    DesktopContext(AppState& state, UserInteraction& interaction) : s(state), ui(interaction) {}
    DesktopContext(const DesktopContext&) = delete;
    DesktopContext& operator=(const DesktopContext&) = delete;

    AppState& s;
    UserInteraction& ui;

    // Every change a window makes to the document is one command here
    // (Ctrl+Z / Ctrl+Y); a new image (New, Open, Read) clears it.
    QUndoStack undo;

    // Probes the numbered serial ports (port dialog, start-up). Null: no probing.
    PortProber* prober = nullptr;

    // Makes the link of a transfer to the configured port; called on the
    // transfer's worker thread. Tests point it at a simulated radio.
    std::function<std::unique_ptr<CommLink>()> makeLink;

    mdifrmMain* main = nullptr; // owner of the modal dialogs
    DesktopWindows w;

    // The main window's channel-lock command (mnuChLock_Click); the channel
    // grid's popup entry mnuPopChLock runs it.
    std::function<void()> lockCommand;
    // True while the main window's lock command mnuChLock is visible (the
    // popup then shows its own lock entry).
    std::function<bool()> lockCommandVisible;

    // Shows a child window of the MDI area, maximised, creating nothing.
    std::function<void(QWidget*)> showChild;
};

} // namespace qm
