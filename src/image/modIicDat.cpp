#include "image/modIicDat.h"

#include "channels/modChMem.h"
#include "image/SafeFile.h"
#include "options/modSysSet.h"

#include <QFileInfo>

#include <algorithm>

namespace qm {

QString templatePath(const AppState& s)
{
    return s.home + QStringLiteral("/Kelvex.exe");
}

std::vector<uint8_t> imageFromBytes(const AppState& s, const QByteArray& data)
{
    std::vector<uint8_t> image(s.IicDat.size(), 0xFF);
    const size_t n = std::min(image.size(), static_cast<size_t>(data.size()));
    std::copy_n(reinterpret_cast<const uint8_t*>(data.constData()), n, image.begin());
    return image;
}

void InitTempArray(AppState& s)
{
    guarded(s.errors, QStringLiteral("mdifrmMain->InitTempArray"), [&] {
        const QString path = templatePath(s);
        if (!QFileInfo::exists(path)) {
            // Start from an erased radio rather than from whatever the image held.
            s.IicDat = imageFromBytes(s, QByteArray());
            throw QmError(53, path);
        }
        s.IicDat = imageFromBytes(s, readWholeFile(path));
    });
}

bool SetConvIicDat(AppState& s)
{
    return guarded(s.errors, QStringLiteral("mdifrmMain->SetConvIicDat"), [&] {
        ChInfoSaveSol(s, 0);
        OptSelSaveSol(s, 0);
    });
}

} // namespace qm
