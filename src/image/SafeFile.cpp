#include "image/SafeFile.h"

#include "diag/QmError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace qm {

bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    if (f.write(data) != data.size()) {
        if (error)
            *error = f.errorString();
        f.cancelWriting();
        return false;
    }
    if (!f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

QByteArray readWholeFile(const QString& path)
{
    QFileInfo info(path);
    if (!info.exists())
        throw QmError(53, path);
    if (info.isDir())
        throw QmError(75, path);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw QmError(75, path);
    QByteArray data = f.readAll();
    if (f.error() != QFile::NoError)
        throw QmError(75, path);
    return data;
}

} // namespace qm
