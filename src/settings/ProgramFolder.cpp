#include "settings/ProgramFolder.h"

#include "settings/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace qm {

namespace {

const QString kSettingsName = QStringLiteral("Uninstall.exe");
const QString kTemplateName = QStringLiteral("Kelvex.exe");

// The delivered files are a few kilobytes; anything far larger is not one.
constexpr qint64 kMaxDeliveredBytes = 4 * 1024 * 1024;

bool holdsSettings(const QString& dir)
{
    return !dir.isEmpty() && QFileInfo(QDir(dir).filePath(kSettingsName)).isFile();
}

QString absolute(const QString& dir)
{
    return QDir::cleanPath(QDir(dir).absolutePath());
}

// Copies one delivered file into the user's folder unless the user already
// has a file of that name. A missing delivered file is no failure: the
// start-up then finds the folder as it would find any folder without it.
bool copyDelivered(const QString& name, const QString& fromDir, const QString& toDir, QString* error)
{
    const QString target = QDir(toDir).filePath(name);
    if (QFileInfo::exists(target))
        return true;
    const QString source = QDir(fromDir).filePath(name);
    const QFileInfo info(source);
    if (!info.isFile())
        return true;
    if (info.size() > kMaxDeliveredBytes) {
        *error = QStringLiteral("the delivered file \"%1\" is too large (%2 bytes)").arg(source).arg(info.size());
        return false;
    }
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the delivered file \"%1\": %2").arg(source, in.errorString());
        return false;
    }
    const QByteArray data = in.read(kMaxDeliveredBytes + 1);
    if (in.error() != QFile::NoError || data.size() > kMaxDeliveredBytes) {
        *error = QStringLiteral("cannot read the delivered file \"%1\": %2")
                     .arg(source, in.error() != QFile::NoError ? in.errorString() : QStringLiteral("too large"));
        return false;
    }
    // A fresh file of the user's own, writable whatever the installed file's mode.
    QString reason;
    if (!writeFileAtomically(target, data, &reason)) {
        *error = QStringLiteral("cannot copy \"%1\" to \"%2\": %3").arg(source, target, reason);
        return false;
    }
    return true;
}

} // namespace

QString sharedDataDir(const QString& executableDir)
{
    return QDir::cleanPath(absolute(executableDir) + QStringLiteral("/../share/qm570"));
}

QString userProgramDir()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return base.isEmpty() ? QString() : QDir::cleanPath(base + QStringLiteral("/qm570"));
}

ProgramFolderPlaces systemProgramFolderPlaces(const QString& executableDir)
{
    return {executableDir, userProgramDir()};
}

ProgramFolder chooseProgramFolder(const QString& homeOption, const ProgramFolderPlaces& places, FolderAccess access)
{
    if (!homeOption.isEmpty())
        return {absolute(homeOption), FolderOrigin::HomeOption};
    const QString exe = absolute(places.executableDir);
    if (holdsSettings(exe))
        return {exe, FolderOrigin::ExecutableFolder};

    const QString shared = sharedDataDir(exe);
    const QString user = places.userDir.isEmpty() ? QString() : absolute(places.userDir);
    if (access == FolderAccess::ReadWrite) {
        if (holdsSettings(user) || holdsSettings(shared))
            return {user, FolderOrigin::UserFolder}; // empty path when there is no user folder
    } else {
        if (holdsSettings(user))
            return {user, FolderOrigin::UserFolder};
        if (holdsSettings(shared))
            return {shared, FolderOrigin::SharedData};
    }
    return {exe, FolderOrigin::ExecutableFolder};
}

std::optional<ProgramFolder> resolveProgramFolder(const QString& homeOption, const ProgramFolderPlaces& places,
                                                  FolderAccess access, QString* error)
{
    QString scratch;
    QString& why = error ? *error : scratch;
    const ProgramFolder folder = chooseProgramFolder(homeOption, places, access);
    if (access != FolderAccess::ReadWrite || folder.origin != FolderOrigin::UserFolder)
        return folder;

    if (folder.path.isEmpty()) {
        why = QStringLiteral("no folder for this user's settings: the system names no data folder (is HOME set?)");
        return std::nullopt;
    }
    const QFileInfo info(folder.path);
    if (info.exists() && !info.isDir()) {
        why = QStringLiteral("cannot use the program folder \"%1\": it is a file").arg(folder.path);
        return std::nullopt;
    }
    if (!QDir().mkpath(folder.path)) {
        why = QStringLiteral("cannot create the program folder \"%1\"").arg(folder.path);
        return std::nullopt;
    }
    // The template first: a folder that holds the settings always has its
    // template too, even when a copy fails half way.
    const QString shared = sharedDataDir(places.executableDir);
    for (const QString& name : {kTemplateName, kSettingsName}) {
        if (!copyDelivered(name, shared, folder.path, &why))
            return std::nullopt;
    }
    return folder;
}

} // namespace qm
