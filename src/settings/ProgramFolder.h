// The program folder: where the programs find the settings file
// "Uninstall.exe", the template image "Kelvex.exe" and the data folder "Data".
//
// A copy unpacked anywhere (and the build tree's bin/) keeps them beside the
// executables, as the radio's original software did. An installed copy keeps
// the delivered files read-only in <prefix>/share/qm570 and gives each user a
// folder of their own, <data home>/qm570 (~/.local/share/qm570), where the
// desktop program keeps its settings.
#pragma once

#include <QString>

#include <optional>

namespace qm {

// What a program does with its folder.
enum class FolderAccess {
    ReadWrite, // the desktop program: writes the settings file, makes Data/
    ReadOnly,  // the command-line tool and the simulator: only read
};

// Where the chosen folder came from.
enum class FolderOrigin {
    HomeOption,       // --home DIR
    ExecutableFolder, // beside the executable (portable copy, build tree)
    UserFolder,       // the per-user folder of an installed program
    SharedData,       // <prefix>/share/qm570 of an installed program (read only)
};

// The places a program folder can be.
struct ProgramFolderPlaces {
    QString executableDir; // folder of the running executable
    QString userDir;       // the per-user folder; empty when the user has no data home
};

struct ProgramFolder {
    QString path; // absolute
    FolderOrigin origin = FolderOrigin::ExecutableFolder;
};

// The delivered data of an installed program: <executableDir>/../share/qm570.
QString sharedDataDir(const QString& executableDir);

// The per-user folder: <generic data location>/qm570, ~/.local/share/qm570 on
// Linux; empty when the system names no such location.
QString userProgramDir();

// The places for a program running from executableDir.
ProgramFolderPlaces systemProgramFolderPlaces(const QString& executableDir);

// Chooses the program folder; creates and copies nothing.
//  1. homeOption (--home DIR) when it is not empty;
//  2. the executable's folder when it holds "Uninstall.exe";
//  3. an installed program: ReadWrite takes the per-user folder when it or the
//     shared data holds a settings file; ReadOnly takes the per-user folder when
//     it holds a settings file, else the shared data when that does;
//  4. else the executable's folder (a lone executable starts as it always did).
ProgramFolder chooseProgramFolder(const QString& homeOption, const ProgramFolderPlaces& places, FolderAccess access);

// chooseProgramFolder, and for ReadWrite use of the per-user folder also
// prepares it: creates it and copies in the delivered "Kelvex.exe" and
// "Uninstall.exe" that it lacks, each through a temporary file, and never
// over a file the user already has. Returns nothing, with one line naming the
// folder or file and the reason in *error, when that fails.
std::optional<ProgramFolder> resolveProgramFolder(const QString& homeOption, const ProgramFolderPlaces& places,
                                                  FolderAccess access, QString* error);

} // namespace qm
