#include "channels/modChGrid.h"

#include "channels/modChFre.h"
#include "channels/modChMem.h"
#include "channels/modChName.h"
#include "channels/modCtdcs.h"

namespace qm {

void ChInfoInitFace(AppState& s)
{
    guarded(s.errors, QStringLiteral("modChMem->ChInfoInitFace"), [&] {
        s.BandLower = 40000000;   // 400 MHz
        s.BandUpper = 47000000;   // 470 MHz
        s.EntryLower = 10000000;  // 100 MHz
        s.EntryUpper = 99900000;  // 999 MHz
    });
}

QString chRowLabel(int r)
{
    if (r >= 1 && r <= 99)
        return QString::number(r);
    if (r == 100)
        return QStringLiteral("VFO");
    return QString();
}

void SetChGrid(AppState& s)
{
    guarded(s.errors, QStringLiteral("modChMem->SetChGrid"), [&] {
        ChannelGrid& g = s.grid;
        const int rows = s.ChNum + 1;
        const int cols = s.ChColNum + 1;
        checkIndex(rows, 1, static_cast<long long>(g.text.size()));
        checkIndex(cols, 1, static_cast<long long>(g.text[0].size()));
        for (size_t r = 0; r < g.text.size(); ++r) {
            for (size_t c = 0; c < g.text[r].size(); ++c) {
                g.text[r][c].clear();
                g.color[r][c] = s.settings.DefColor;
            }
        }
        g.format.fill(QString());

        // Captions: one per column from column 0, separated by "|".
        const QStringList captions = s.ChHeaderFormat.split(QLatin1Char('|'));
        for (int c = 0; c < cols; ++c)
            g.text[0][c] = c < captions.size() ? captions[c] : QString();
        g.cols = cols;
        g.rowHeightTwips = s.ChRowHeight;
        for (int r = 1; r < rows; ++r)
            g.text[r][0] = chRowLabel(r);
        g.rows = rows;

        for (int c = 1; c < cols; ++c) {
            const QString& key = s.ColInfo[static_cast<size_t>(c)][0];
            if (key == QLatin1String("RxFre") || key == QLatin1String("TxFre"))
                g.format[c] = QStringLiteral("###.#####");
            else if (key == QLatin1String("OFFSET"))
                g.format[c] = QStringLiteral("#0.00000");
            else if (key == QLatin1String("CHNAME"))
                g.format[c] = QStringLiteral("00000");
        }
        g.curRow = 1;
        g.curCol = 1;
    });
}

const QString& optionText(const AppState& s, int c, long long v)
{
    checkIndex(c, 1, static_cast<long long>(s.ColInfo.size()) - 1);
    checkIndex(v + 3, 0, kColInfoEntries - 1);
    return s.ColInfo[static_cast<size_t>(c)][static_cast<size_t>(v + 3)];
}

void ChParaShow(AppState& s, int n)
{
    guarded(s.errors, QStringLiteral("modChMem->ChParaShow"), [&] {
        checkChannel(n);
        for (int f = 5; f <= s.ChColNum; ++f) {
            checkColumn(f);
            if (f == 11)
                ChNameCharShow(s, n);
            else
                s.grid.text[n][f] = optionText(s, f, s.ChData[n][f]);
        }
    });
}

void ShowChTblGrid(AppState& s)
{
    guarded(s.errors, QStringLiteral("modChMem->ShowChTblGrid"), [&] {
        for (int n = 1; n <= s.ChNum; ++n) {
            checkChannel(n);
            if (s.ChData[n][1] == -1) {
                for (int c = 1; c <= s.ChColNum; ++c) {
                    checkColumn(c);
                    s.grid.text[n][c].clear();
                }
                continue;
            }
            ChParaShow(s, n);
            RxFreShow(s, n);
            TxFreShow(s, n);
            CtdcsDecShow(s, n);
            CtdcsEncShow(s, n);
        }
    });
}

} // namespace qm
