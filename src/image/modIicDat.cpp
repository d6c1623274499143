#include "image/modIicDat.h"

#include "settings/SafeFile.h"

#include <QFileInfo>

#include <algorithm>

namespace qm {

QString templatePath(const Settings& s)
{
    return s.home + QStringLiteral("/Kelvex.exe");
}

QString dataFolder(const Settings& s)
{
    return s.home + QStringLiteral("/Data");
}

QString defaultDataPath(const Settings& s)
{
    return dataFolder(s) + QStringLiteral("/Untitled.dat");
}

std::vector<uint8_t> imageFromBytes(size_t size, const QByteArray& data)
{
    std::vector<uint8_t> image(size, 0xFF);
    const size_t n = std::min(image.size(), static_cast<size_t>(data.size()));
    std::copy_n(reinterpret_cast<const uint8_t*>(data.constData()), n, image.begin());
    return image;
}

void InitTempArray(ImageContext s)
{
    guarded(s.errors, QStringLiteral("mdifrmMain->InitTempArray"), [&] {
        const QString path = templatePath(s.settings);
        if (!QFileInfo::exists(path)) {
            // Start from an erased radio rather than from whatever the image held.
            s.doc.IicDat = imageFromBytes(s.doc.IicDat.size(), QByteArray());
            throw QmError(53, QStringLiteral("load template"), path, QStringLiteral("no such file"));
        }
        s.doc.IicDat = imageFromBytes(s.doc.IicDat.size(), readWholeFile(path));
    });
}

std::vector<uint8_t> readDataFile(const DocumentData& doc, const QString& path)
{
    try {
        return imageFromBytes(doc.IicDat.size(), readWholeFile(path));
    } catch (const QmError& e) {
        Error err = e.error();
        err.action = QStringLiteral("open data file");
        throw QmError(err);
    }
}

void writeDataFile(const DocumentData& doc, const QString& path)
{
    const QString action = QStringLiteral("save data file");
    if (QFileInfo(path).isDir())
        throw QmError(75, action, path, QStringLiteral("it is a folder"));
    const QByteArray data(reinterpret_cast<const char*>(doc.IicDat.data()), static_cast<qsizetype>(doc.IicDat.size()));
    QString why;
    if (!writeFileAtomically(path, data, &why))
        throw QmError(75, action, path, why);
}

} // namespace qm
