#include "image/modDataFile.h"

#include "channels/modChMem.h"
#include "image/SafeFile.h"
#include "image/modIicDat.h"
#include "options/modOptView.h"
#include "options/modSysSet.h"

#include <QDir>
#include <QFileInfo>

namespace qm {

namespace {

// Reads the file completely and builds the new image; throws QmError 53 / 75.
std::vector<uint8_t> loadImage(const AppState& s, const QString& path)
{
    return imageFromBytes(s, readWholeFile(path));
}

void openInto(AppState& s, const QString& path)
{
    std::vector<uint8_t> image = loadImage(s, path);
    s.IicDat.swap(image);
    SoftDisplay(s);
    setCurrentPath(s, path);
}

// Writes the assembled image; throws QmError 75 with the reason.
void writeImage(AppState& s, const QString& path)
{
    SetConvIicDat(s);
    if (QFileInfo(path).isDir())
        throw QmError(75, QStringLiteral("%1 is a folder").arg(path));
    const QByteArray data(reinterpret_cast<const char*>(s.IicDat.data()), static_cast<qsizetype>(s.IicDat.size()));
    QString why;
    if (!writeFileAtomically(path, data, &why))
        throw QmError(75, QStringLiteral("cannot write %1: %2").arg(path, why));
    setCurrentPath(s, path);
}

QString reasonOf(const QmError& e, const QString& path)
{
    if (!e.detail().isEmpty() && e.detail() != path)
        return e.detail();
    switch (e.number()) {
    case 53: return QStringLiteral("%1: file not found").arg(path);
    case 75: return QStringLiteral("%1: cannot be read").arg(path);
    default: return QStringLiteral("%1: error %2").arg(path).arg(e.number());
    }
}

} // namespace

QString dataFolder(const AppState& s)
{
    return s.home + QStringLiteral("/Data");
}

QString defaultDataPath(const AppState& s)
{
    return dataFolder(s) + QStringLiteral("/Untitled.dat");
}

void setCurrentPath(AppState& s, const QString& path)
{
    s.currentPath = path;
    s.setStatus(3, s.text(85) + path);
}

void GenerateDatFolder(AppState& s)
{
    guarded(s.errors, QStringLiteral("mdifrmMain->GenerateDatFolder"), [&] {
        const bool made = QDir().mkpath(dataFolder(s));
        s.defaultPath = defaultDataPath(s);
        setCurrentPath(s, s.defaultPath);
        if (!made)
            throw QmError(75, dataFolder(s));
    });
}

void NewFile(AppState& s, UserInteraction& ui)
{
    guarded(s.errors, QStringLiteral("mdifrmMain->NewFile"), [&] {
        if (ui.message(s.text(74), s.text(70), MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes)
            return;
        setCurrentPath(s, s.defaultPath);
        NewFileSol(s);
    });
}

void NewFileSol(AppState& s)
{
    guarded(s.errors, QStringLiteral("mdifrmMain->NewFileSol"), [&] {
        InitTempArray(s);
        ChInfoSaveSol(s, 1);
        ShowChTblGrid(s);
        // The options start from their stored defaults, not from the template.
        OptNowDefSol(s, 2);
        InitOpt(s);
    });
}

// Runs one file operation for a caller without an error list (the
// command-line tool): a failure becomes a one-line reason.
template <class Body>
bool withReason(const QString& path, QString* error, Body&& body)
{
    try {
        body();
        return true;
    } catch (const QmError& e) {
        if (error)
            *error = reasonOf(e, path);
    } catch (const std::exception& e) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(e.what()));
    }
    return false;
}

bool OpenDataFile(AppState& s, const QString& path, QString* error)
{
    return withReason(path, error, [&] { openInto(s, path); });
}

void OpenFile(AppState& s, UserInteraction& ui)
{
    const QString name = ui.openFileName(s.currentPath, kDatFilter);
    if (name.isEmpty())
        return;
    const bool ok = guarded(s.errors, QStringLiteral("mdifrmMain->OpenFile"), [&] { openInto(s, name); });
    if (!ok)
        ui.message(s.text(83), s.text(70), MsgButtons::Ok, MsgIcon::Critical);
}

void SaveFile(AppState& s, UserInteraction& ui)
{
    const bool ok = guarded(s.errors, QStringLiteral("mdifrmMain->SaveFile"), [&] {
        if (ui.message(s.text(82), s.text(70), MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes)
            SaveAsFile(s, ui);
    });
    if (!ok)
        ui.message(s.text(84), s.text(70), MsgButtons::Ok, MsgIcon::Critical);
}

void SaveAsFile(AppState& s, UserInteraction& ui)
{
    SaveDialogResult r;
    const bool ok = guarded(s.errors, QStringLiteral("mdifrmMain->SaveAsFile"), [&] {
        r = ui.saveFileName(s.currentPath, kDatFilter, kDatExt);
        if (r.fileName.isEmpty())
            return;
        // A folder can never be replaced by a data file.
        if (r.refused || QFileInfo(r.fileName).isDir())
            throw QmError(75, r.fileName);
    });
    if (!ok) {
        ui.message(s.text(86), s.text(70), MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    if (!r.fileName.isEmpty())
        SaveDatFile(s, ui, r.fileName);
}

bool SaveDataFileTo(AppState& s, const QString& path, QString* error)
{
    return withReason(path, error, [&] { writeImage(s, path); });
}

void SaveDatFile(AppState& s, UserInteraction& ui, const QString& path)
{
    const QString target = path.isEmpty() ? s.currentPath : path;
    const bool ok = guarded(s.errors, QStringLiteral("mdifrmMain->SaveDatFile"), [&] { writeImage(s, target); });
    if (!ok)
        ui.message(s.text(84), s.text(70), MsgButtons::Ok, MsgIcon::Critical);
}

} // namespace qm
