#include "shell/ChannelFiles.h"

#include "channels/modChCsv.h"
#include "channels/modChirpCsv.h"
#include "image/modIicDat.h"
#include "settings/SafeFile.h"

namespace qm {

namespace {

const QString kImportAction = QStringLiteral("import channels");
const QString kExportAction = QStringLiteral("export channels");

bool failed(Error* error, const Error& e)
{
    if (error)
        *error = e;
    return false;
}

} // namespace

bool ImportChannelFile(AppState& s, const QString& path, Error* error, QStringList* warnings, ChannelFileFormat* format)
{
    if (warnings)
        warnings->clear();
    BoundedRead read;
    try {
        read = readFileAtMost(path, kMaxChannelFileBytes, kImportAction);
    } catch (const QmError& e) {
        return failed(error, e.error());
    }
    if (read.longer)
        return failed(
            error,
            Error{
                7, kImportAction, path,
                QStringLiteral("the file is larger than %1 MiB; a channel table is a few KiB").arg(kMaxChannelFileBytes >> 20)});
    const bool chirp = IsChirpCsv(read.data);
    if (format)
        *format = chirp ? ChannelFileFormat::Chirp : ChannelFileFormat::Program;
    QString why;
    const bool ok = chirp ? ImportChirpCsv(s, read.data, &why, warnings) : ImportChannelCsv(s, read.data, &why, warnings);
    if (!ok)
        return failed(error, Error{380, kImportAction, path, why});
    return true;
}

bool ExportChannelFile(AppState& s, const QString& path, ChannelFileFormat format, Error* error)
{
    const FileFacts target = fileFacts(path);
    if (target.exists()) {
        const std::pair<QString, QString> kept[] = {
            {s.settings.profile.path(), QStringLiteral("it is the settings file")},
            {templatePath(s.settings), QStringLiteral("it is the template image")},
            {s.view.currentPath, QStringLiteral("it is the data file being edited")},
        };
        for (const auto& [file, what] : kept) {
            if (!file.isEmpty() && sameFile(target, fileFacts(file)))
                return failed(error, Error{75, kExportAction, path, what + QStringLiteral(", which a CSV file never replaces")});
        }
    }
    try {
        if (format == ChannelFileFormat::Chirp)
            SaveChirpCsv(s, path);
        else
            SaveChannelCsv(s, path);
    } catch (const QmError& e) {
        return failed(error, e.error());
    }
    return true;
}

} // namespace qm
