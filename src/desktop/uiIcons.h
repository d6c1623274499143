// The toolbar's icons, drawn by the program itself (no icon files, no theme):
// a new document, an open folder, a disk, radio-to-PC and PC-to-radio arrows,
// a serial plug, a printer, a question mark and an exit door. Each is drawn
// on a 32 x 32 grid and rendered sharp at every size the toolbar asks for.
#pragma once

#include <QIcon>
#include <QString>

namespace qm {

// The icon of a toolbar button key ("FileNew", "FileOpen", "FileSave",
// "Read", "Write", "Com", "Print", "Help", "Exit"); a null icon for any
// other key.
QIcon toolbarIcon(const QString& key);

// The program's own icon (window frames, the task bar): a handheld radio.
QIcon programIcon();

} // namespace qm
