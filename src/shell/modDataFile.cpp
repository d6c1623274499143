#include "shell/modDataFile.h"

#include "channels/modChGrid.h"
#include "channels/modChMem.h"
#include "image/modIicDat.h"
#include "options/modOptView.h"
#include "options/modSysSet.h"
#include "shell/DocumentViews.h"

#include "settings/SafeFile.h"

#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace qm {

namespace {

// Loads bytes read from path; returns the warning for a file of another size.
std::optional<Error> openBytes(AppState& s, const QString& path, const BoundedRead& read)
{
    std::optional<Error> warning = sizeWarning(QStringLiteral("open data file"), path, read, s.doc.IicDat.size());
    std::vector<uint8_t> image = imageFromBytes(s.doc.IicDat.size(), read.data);
    s.doc.IicDat.swap(image);
    SoftDisplay(s);
    setCurrentPath(s, path);
    return warning;
}

// Loads the file; returns the warning for a file of another size.
std::optional<Error> openInto(AppState& s, const QString& path)
{
    return openBytes(s, path, readFileAtMost(path, static_cast<int64_t>(s.doc.IicDat.size()), QStringLiteral("open data file")));
}

// The program's own files are never replaced by a data file: the settings
// file would be lost, and the template is only ever read.
void refuseProgramFiles(const AppState& s, const QString& path, const QString& action)
{
    const FileFacts target = fileFacts(path);
    if (!target.exists())
        return;
    if (sameFile(target, fileFacts(s.settings.profile.path())))
        throw QmError(75, action, path, QStringLiteral("it is the settings file, which a data file never replaces"));
    if (sameFile(target, fileFacts(templatePath(s.settings))))
        throw QmError(75, action, path, QStringLiteral("it is the template image, which is only ever read"));
}

// Writes the assembled image; throws QmError 61 / 75 / 380 with the reason.
void writeImage(AppState& s, const QString& path)
{
    const QString action = QStringLiteral("save data file");
    refuseProgramFiles(s, path, action);
    requireRadioImageSize(s.doc, action, path);
    SetConvIicDat(s);
    writeDataFile(s.doc, path);
    setCurrentPath(s, path);
}

// Runs one file operation for a caller without an error list (the
// command-line tool): a failure becomes an error value.
template <class Body>
bool withError(Error* error, Body&& body)
{
    ErrorList local;
    if (guarded(local, QString(), std::forward<Body>(body)))
        return true;
    if (error)
        *error = local.entries().back().error;
    return false;
}

} // namespace

void setCurrentPath(AppState& s, const QString& path)
{
    s.view.currentPath = path;
    s.view.setStatus(3, s.settings.text(85) + path);
}

void GenerateDatFolder(AppState& s)
{
    guarded(s.errors, QStringLiteral("mdifrmMain->GenerateDatFolder"), [&] {
        const QString folder = dataFolder(s.settings);
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(folder.toStdU16String()), ec);
        const bool made = !ec && QFileInfo(folder).isDir();
        s.view.defaultPath = defaultDataPath(s.settings);
        setCurrentPath(s, s.view.defaultPath);
        if (!made)
            throw QmError(75, QStringLiteral("create data folder"), folder,
                          ec ? QString::fromLocal8Bit(ec.message().c_str()) : QStringLiteral("not a folder"));
    });
}

bool NewFile(AppState& s, UserInteraction& ui)
{
    bool done = false;
    guarded(s.errors, QStringLiteral("mdifrmMain->NewFile"), [&] {
        if (ui.message(s.settings.text(74), s.settings.text(70), MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes)
            return;
        setCurrentPath(s, s.view.defaultPath);
        NewFileSol(s);
        done = true;
    });
    return done;
}

void NewFileSol(AppState& s, bool storeDefaults)
{
    guarded(s.errors, QStringLiteral("mdifrmMain->NewFileSol"), [&] {
        InitTempArray(s);
        ChInfoSaveSol(s, 1);
        ShowChTblGrid(s);
        // The options start from their stored defaults, not from the template.
        if (storeDefaults)
            OptNowDefSol(s, 2);
        else
            s.doc.OptSel = s.settings.OptDef;
        InitOpt(s);
        s.grid.notify();
    });
    s.doc.notify(Document::Change::Replaced);
}

bool OpenDataFile(AppState& s, const QString& path, Error* error, std::optional<Error>* warning)
{
    return withError(error, [&] {
        std::optional<Error> w = openInto(s, path);
        if (warning)
            *warning = std::move(w);
    });
}

bool OpenDataBytes(AppState& s, const QString& path, const BoundedRead& read, Error* error, std::optional<Error>* warning)
{
    return withError(error, [&] {
        std::optional<Error> w = openBytes(s, path, read);
        if (warning)
            *warning = std::move(w);
    });
}

bool OpenFile(AppState& s, UserInteraction& ui)
{
    const QString name = ui.openFileName(s.view.currentPath, kDatFilter);
    if (name.isEmpty())
        return false;
    return OpenFileNamed(s, ui, name);
}

bool OpenFileNamed(AppState& s, UserInteraction& ui, const QString& name)
{
    const QString label = QStringLiteral("mdifrmMain->OpenFile");
    std::optional<Error> warning;
    const bool ok = guarded(s.errors, label, [&] { warning = openInto(s, name); });
    if (!ok)
        ui.message(s.settings.text(83), s.settings.text(70), MsgButtons::Ok, MsgIcon::Critical);
    else if (warning)
        s.errors.AddErrInfo(label, *warning); // opened all the same: listed, no message box
    return ok;
}

bool SaveFile(AppState& s, UserInteraction& ui)
{
    bool saved = false;
    const bool ok = guarded(s.errors, QStringLiteral("mdifrmMain->SaveFile"), [&] {
        if (ui.message(s.settings.text(82), s.settings.text(70), MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes)
            saved = SaveAsFile(s, ui);
    });
    if (!ok)
        ui.message(s.settings.text(84), s.settings.text(70), MsgButtons::Ok, MsgIcon::Critical);
    return ok && saved;
}

bool SaveAsFile(AppState& s, UserInteraction& ui)
{
    SaveDialogResult r;
    const bool ok = guarded(s.errors, QStringLiteral("mdifrmMain->SaveAsFile"), [&] {
        r = ui.saveFileName(s.view.currentPath, kDatFilter, kDatExt);
        if (r.fileName.isEmpty())
            return;
        // A folder can never be replaced by a data file.
        if (r.refused || QFileInfo(r.fileName).isDir())
            throw QmError(75, QStringLiteral("save data file"), r.fileName, QStringLiteral("the name cannot be used"));
    });
    if (!ok) {
        ui.message(s.settings.text(86), s.settings.text(70), MsgButtons::Ok, MsgIcon::Critical);
        return false;
    }
    return !r.fileName.isEmpty() && SaveDatFile(s, ui, r.fileName);
}

bool SaveDataFileTo(AppState& s, const QString& path, Error* error)
{
    return withError(error, [&] { writeImage(s, path); });
}

bool SaveDatFile(AppState& s, UserInteraction& ui, const QString& path)
{
    const QString target = path.isEmpty() ? s.view.currentPath : path;
    const bool ok = guarded(s.errors, QStringLiteral("mdifrmMain->SaveDatFile"), [&] { writeImage(s, target); });
    if (!ok)
        ui.message(s.settings.text(84), s.settings.text(70), MsgButtons::Ok, MsgIcon::Critical);
    return ok;
}

} // namespace qm
