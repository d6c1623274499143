#include "channels/modChGrid.h"

#include "channels/modChFre.h"
#include "channels/modChMem.h"
#include "channels/modChName.h"
#include "channels/modCtdcs.h"

namespace qm {

void ChInfoInitFace(ChannelContext s)
{
    guarded(s.errors, QStringLiteral("modChMem->ChInfoInitFace"), [&] {
        s.settings.BandLower = 40000000;   // 400 MHz
        s.settings.BandUpper = 47000000;   // 470 MHz
        s.settings.EntryLower = 10000000;  // 100 MHz
        s.settings.EntryUpper = 99900000;  // 999 MHz
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

void SetChGrid(ChannelContext s)
{
    guarded(s.errors, QStringLiteral("modChMem->SetChGrid"), [&] {
        ChannelGrid& g = s.grid;
        const int rows = s.settings.ChNum + 1;
        const int cols = s.settings.ChColNum + 1;
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
        const QStringList captions = s.settings.ChHeaderFormat.split(QLatin1Char('|'));
        for (int c = 0; c < cols; ++c)
            g.text[0][c] = c < captions.size() ? captions[c] : QString();
        g.cols = cols;
        g.rowHeightTwips = s.settings.ChRowHeight;
        for (int r = 1; r < rows; ++r)
            g.text[r][0] = chRowLabel(r);
        g.rows = rows;

        for (int c = 1; c < cols; ++c) {
            const QString& key = s.settings.ColInfo[static_cast<size_t>(c)][0];
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

const QString& optionText(const ChannelContext& s, int c, long long v)
{
    checkIndex(c, 1, static_cast<long long>(s.settings.ColInfo.size()) - 1);
    checkIndex(v + 3, 0, kColInfoEntries - 1);
    return s.settings.ColInfo[static_cast<size_t>(c)][static_cast<size_t>(v + 3)];
}

void ChParaShow(ChannelContext s, int n)
{
    guarded(s.errors, QStringLiteral("modChMem->ChParaShow"), [&] {
        checkChannel(n);
        for (int f = 5; f <= s.settings.ChColNum; ++f) {
            checkColumn(f);
            if (f == 11)
                ChNameCharShow(s, n);
            else
                s.grid.text[n][f] = optionText(s, f, s.doc.ChData[n][f]);
        }
    });
}

void ShowChTblGrid(ChannelContext s)
{
    guarded(s.errors, QStringLiteral("modChMem->ShowChTblGrid"), [&] {
        for (int n = 1; n <= s.settings.ChNum; ++n) {
            checkChannel(n);
            if (s.doc.ChData[n][1] == -1) {
                for (int c = 1; c <= s.settings.ChColNum; ++c) {
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
