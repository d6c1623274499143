// TEMPORARY stand-in for the data file commands (naive bodies).
#include "image/modDataFile.h"

#include "channels/modChMem.h"
#include "image/SafeFile.h"
#include "options/modOptView.h"
#include "options/modSysSet.h"

#include <QByteArray>
#include <algorithm>

namespace qm {

bool OpenDataFile(AppState& s, const QString& path, QString* err)
{
    try {
        const QByteArray data = readWholeFile(path);
        const size_t n = std::min(static_cast<size_t>(data.size()), s.IicDat.size());
        std::copy_n(reinterpret_cast<const uint8_t*>(data.constData()), n, s.IicDat.begin());
        SoftDisplay(s);
        s.currentPath = path;
        return true;
    } catch (const QmError& e) {
        if (err)
            *err = QStringLiteral("error %1").arg(e.number());
        return false;
    }
}

bool SaveDataFileTo(AppState& s, const QString& path, QString* err)
{
    ChInfoSaveSol(s, 0);
    OptSelSaveSol(s, 0);
    const QByteArray data(reinterpret_cast<const char*>(s.IicDat.data()), static_cast<qsizetype>(s.IicDat.size()));
    return writeFileAtomically(path, data, err);
}

void NewFileSol(AppState& s)
{
    ChInfoSaveSol(s, 1);
    ShowChTblGrid(s);
    OptNowDefSol(s, 2);
    InitOpt(s);
}

} // namespace qm
