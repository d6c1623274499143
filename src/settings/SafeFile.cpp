#include "settings/SafeFile.h"

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
    const QString action = QStringLiteral("read file");
    QFileInfo info(path);
    if (!info.exists())
        throw QmError(53, action, path, QStringLiteral("no such file"));
    if (info.isDir())
        throw QmError(75, action, path, QStringLiteral("it is a folder"));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw QmError(75, action, path, f.errorString());
    QByteArray data = f.readAll();
    if (f.error() != QFile::NoError)
        throw QmError(75, action, path, f.errorString());
    return data;
}

} // namespace qm
