// The file commands New, Open, Save and Save As, the data folder and the
// current path. The raw bytes of data files are read and written by
// image/modIicDat.h; these commands decode and assemble around them.
#pragma once

#include "shell/AppState.h"
#include "settings/SafeFile.h"
#include "shell/UserInteraction.h"

#include <optional>

namespace qm {

// Filter and default extension of the file dialogs.
inline const QString kDatFilter = QStringLiteral("Data File(*.dat)|*.dat");
inline const QString kDatExt = QStringLiteral("dat");

// Sets the current path and shows it in status panel 3 (text 85 + path).
void setCurrentPath(AppState& s, const QString& path);

// Creates the data folder when missing and sets the default and current path
// ("mdifrmMain->GenerateDatFolder"). The paths are set even when the folder
// cannot be created (the failure is listed with its reason).
void GenerateDatFolder(AppState& s);

// File > New: asks text 74; Yes resets the path and runs NewFileSol. True
// when the new image is in place.
bool NewFile(AppState& s, UserInteraction& ui);
// The new-file work: template into the image, channels decoded and shown,
// options := their defaults and shown. With storeDefaults the option
// selections are also stored in the settings file (the desktop program);
// the command-line tool never writes it.
void NewFileSol(AppState& s, bool storeDefaults = true);

// File > Open: chooses a file and loads it (OpenFileNamed). True when a file
// was opened.
bool OpenFile(AppState& s, UserInteraction& ui);
// File > Open without the dialog, for a file named otherwise (the recent
// files, the command line, a drop): a file that cannot be opened or read
// leaves image, views and path unchanged and shows text 83. A file of another
// size than the image is opened (a short one padded with 0xFF, a long one
// cut) and listed under "mdifrmMain->OpenFile" without a message box.
bool OpenFileNamed(AppState& s, UserInteraction& ui, const QString& name);
// File > Save: asks text 82; Yes runs SaveAsFile. True when the file was written.
bool SaveFile(AppState& s, UserInteraction& ui);
// File > Save As: chooses a name (a folder is refused with text 86), then
// SaveDatFile to that name. True when the file was written.
bool SaveAsFile(AppState& s, UserInteraction& ui);
// Encodes and writes the image to path (the current path when empty). The
// current path becomes path only when the write succeeded; a failed write is
// listed and shown as text 84. The settings file and the template are never
// written over, nor is an image of another size than the radio's saved.
// True when the file was written.
bool SaveDatFile(AppState& s, UserInteraction& ui, const QString& path = QString());

// The load part of Open without dialogs: reads the whole file, replaces the
// image in one step, redisplays it and makes it the current path. On failure
// nothing changes and *error holds the failure. *warning tells of a file of
// another size than the image.
bool OpenDataFile(AppState& s, const QString& path, Error* error = nullptr, std::optional<Error>* warning = nullptr);
// The same for bytes already read from path (readFileAtMost with the image's
// size as limit), for a caller that had to look at them first.
bool OpenDataBytes(AppState& s, const QString& path, const BoundedRead& read, Error* error = nullptr,
                   std::optional<Error>* warning = nullptr);

// The write part of Save without dialogs: SetConvIicDat, then the image is
// written through a temporary file and a rename, then path becomes current.
// On failure the target is untouched and *error holds the failure.
bool SaveDataFileTo(AppState& s, const QString& path, Error* error = nullptr);

} // namespace qm
