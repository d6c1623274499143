#include "channels/modChMem.h"

#include "channels/modChFre.h"
#include "channels/modChGrid.h"
#include "channels/modCtdcs.h"
#include "options/modOptView.h"
#include "options/modSysSet.h"
#include "shell/VbConv.h"

#include <algorithm>

namespace qm {

namespace {

const QString kSection = QStringLiteral("ChInfo");
const QString kEndOfItem = QStringLiteral("*EndOfThisItem*");
constexpr int kMaxDataCols = kChFields - 1; // ChData fields 1..20 back the data columns

// Option bits of record byte 12.
constexpr uint8_t kBitF5 = 0x80, kBitUnused = 0x40, kBitF6 = 0x20, kBitF8High = 0x10, kBitF8Low = 0x08,
                  kBitF7 = 0x04, kBitF10 = 0x02, kBitF9 = 0x01;

// A count read from the settings file that the tables cannot hold is cut to
// what they can hold and reported; the rest of the definition is still read.
int16_t clampCount(AppState& s, int16_t v, int16_t hi)
{
    if (v >= 0 && v <= hi)
        return v;
    s.errors.AddErrInfo(QStringLiteral("modChMem->ReadChInfo"), 380);
    return v < 0 ? int16_t(0) : hi;
}

} // namespace

int ChInfoKeyBase(AppState& s)
{
    return normaliseLanguage(s) == 1 ? 1000 : 3000;
}

void ReadChInfo(AppState& s)
{
    guarded(s.errors, QStringLiteral("modChMem->ReadChInfo"), [&] {
        const int base = ChInfoKeyBase(s);
        auto read = [&](int key, const QString& def, int bufSize) {
            return s.profile.read(kSection, QString::number(key), def, bufSize);
        };
        s.ChNum = clampCount(s, toInt16(read(base, QStringLiteral("16"), 5)), kMaxChannels);
        s.ChRowHeight = toInt16(read(base + 1, QStringLiteral("240"), 5));
        s.ChColNum = clampCount(s, toInt16(read(base + 2, QStringLiteral("9"), 5)), kMaxDataCols);
        s.ChHeaderFormat = read(base + 3, QStringLiteral("0|0|0|0|0|0|0|0|0|0"), 200);

        const int lastWidth = std::min<int>(s.ChColNum, static_cast<int>(s.grid.colWidthTwips.size()) - 1);
        for (int c = 0; c <= lastWidth; ++c)
            s.grid.colWidthTwips[static_cast<size_t>(c)] = toInt16(read(base + 100 + c, QStringLiteral("1000"), 10));

        for (auto& col : s.ColInfo)
            col.fill(QString());
        for (int c = 1; c <= s.ChColNum; ++c) {
            for (int k = 0; k <= kColInfoEntries; ++k) {
                const QString v = read(base + 200 + (c - 1) * 50 + k, QStringLiteral("0"), 100);
                if (v == kEndOfItem)
                    break;
                // A list must end within its 50 entries.
                checkIndex(k, 0, kColInfoEntries - 1);
                s.ColInfo[static_cast<size_t>(c)][static_cast<size_t>(k)] = v;
            }
        }
    });
}

void InitChTable(AppState& s)
{
    guarded(s.errors, QStringLiteral("modChMem->InitChTable"), [&] {
        for (int n = 1; n <= s.ChNum; ++n)
            DelOneChannel(s, n);
    });
}

void DelOneChannel(AppState& s, int n)
{
    guarded(s.errors, QStringLiteral("modChMem->DelOneChannel"), [&] {
        checkChannel(n);
        const long long addr = chRecordAddr(n);
        s.img(addr);
        s.img(addr + 15);
        s.ChData[n][0] = 1;
        s.ChData[n][1] = -1;
        s.ChData[n][2] = -1;
        // Only the channel's own record is erased. Its name bytes at 0x660
        // are rewritten from ChNameCode by the next encode; no other area of
        // the image belongs to the channel.
        std::fill_n(s.IicDat.begin() + addr, 16, uint8_t(0xFF));
        for (int c = 1; c <= s.ChColNum; ++c) {
            checkColumn(c);
            s.grid.curRow = n;
            s.grid.curCol = c;
            s.grid.text[n][c].clear();
            s.grid.color[n][c] = s.settings.DefColor;
        }
    });
}

void ChInfoSaveSol(AppState& s, int16_t mode)
{
    guarded(s.errors, QStringLiteral("modChMem->ChInfoSaveSol"), [&] {
        if (mode == 1)
            IicDatToChInfo(s);
        else if (mode == 0)
            ChInfoToIicDat(s);
    });
}

void IicDatToChInfo(AppState& s)
{
    guarded(s.errors, QStringLiteral("modChMem->IicDatToChInfo"), [&] {
        for (int n = 1; n <= s.ChNum; ++n) {
            checkChannel(n);
            if (freqPresentByte(s.img(chRecordAddr(n) + 3))) {
                IcChParaSol(s, n);
                IcRxFreSol(s, n);
                IcTxFreSol(s, n);
                IcCtdcsDecSol(s, n);
                IcCtdcsEncSol(s, n);
            } else {
                // An empty channel takes the column defaults; its edit mark
                // and name codes stay as they are.
                s.ChData[n][1] = -1;
                s.ChData[n][2] = -1;
                s.ChData[n][3] = 0;
                s.ChData[n][4] = 0;
                for (int f = 5; f <= s.ChColNum; ++f) {
                    checkColumn(f);
                    s.ChData[n][f] = toInt32(s.ColInfo[static_cast<size_t>(f)][2]);
                }
            }
        }
    });
}

void ChInfoToIicDat(AppState& s)
{
    guarded(s.errors, QStringLiteral("modChMem->ChInfoToIicDat"), [&] {
        for (int n = 1; n <= s.ChNum; ++n) {
            checkChannel(n);
            if (s.ChData[n][0] == -1)
                continue;
            CiChParaSol(s, n);
            CiRxFreSol(s, n);
            CiTxFreSol(s, n);
            CiCtdcsDecSol(s, n);
            CiCtdcsEncSol(s, n);
        }
    });
}

void IcChParaSol(AppState& s, int n)
{
    guarded(s.errors, QStringLiteral("modChMem->IcChParaSol"), [&] {
        checkChannel(n);
        const long long rec = chRecordAddr(n);
        const long long names = chNameAddr(n);
        s.img(rec + 15);
        s.img(names + 3);
        const uint8_t b = s.img(rec + 12);
        auto& ch = s.ChData[n];
        ch[5] = (b & kBitF5) ? 1 : 0;
        ch[6] = (b & kBitF6) ? 1 : 0;
        ch[7] = (b & kBitF7) ? 1 : 0;
        const uint8_t f8 = b & (kBitF8High | kBitF8Low);
        ch[8] = (f8 == kBitF8Low) ? 1 : (f8 == kBitF8High) ? 2 : 0;
        ch[9] = (b & kBitF9) ? 1 : 0;
        ch[10] = (b & kBitF10) ? 1 : 0;
        // Copied as they are, codes above 40 included.
        s.ChNameCode[n][1] = s.img(rec + 14);
        s.ChNameCode[n][2] = s.img(rec + 15);
        for (int i = 0; i < 4; ++i)
            s.ChNameCode[n][3 + i] = s.img(names + i);
    });
}

void CiChParaSol(AppState& s, int n)
{
    guarded(s.errors, QStringLiteral("modChMem->CiChParaSol"), [&] {
        checkChannel(n);
        const long long rec = chRecordAddr(n);
        const long long names = chNameAddr(n);
        s.img(rec + 15);
        s.img(names + 3);
        const auto& ch = s.ChData[n];
        uint8_t b = s.img(rec + 12);
        b &= static_cast<uint8_t>(~(kBitF5 | kBitF6 | kBitF7 | kBitF8High | kBitF8Low | kBitF9 | kBitF10 | kBitUnused));
        if (ch[5] == 1)
            b |= kBitF5;
        if (ch[6] == 1)
            b |= kBitF6;
        if (ch[7] == 1)
            b |= kBitF7;
        if (ch[8] == 1)
            b |= kBitF8Low;
        else if (ch[8] == 2)
            b |= kBitF8High;
        if (ch[9] == 1)
            b |= kBitF9;
        if (ch[10] == 1)
            b |= kBitF10;
        s.img(rec + 12) = b;
        s.img(rec + 14) = s.ChNameCode[n][1];
        s.img(rec + 15) = s.ChNameCode[n][2];
        for (int i = 0; i < 4; ++i)
            s.img(names + i) = s.ChNameCode[n][3 + i];
    });
}

void InitChMem(AppState& s)
{
    guarded(s.errors, QStringLiteral("frmChMem->InitChMem"), [&] {
        for (auto& codes : s.ChNameCode)
            std::fill(codes.begin() + 1, codes.end(), uint8_t(kNoChar)); // positions 1..6: no name
        ChInfoInitFace(s);
        GenCtdcsList(s);
        ReadChInfo(s);
        SetChGrid(s);
        InitChTable(s);
    });
}

void SoftDisplay(AppState& s)
{
    guarded(s.errors, QStringLiteral("modChMem->SoftDisplay"), [&] {
        ChInfoSaveSol(s, 1);
        ShowChTblGrid(s);
        OptSelSaveSol(s, 1);
        InitOpt(s);
        if (s.hooks.channelGridChanged)
            s.hooks.channelGridChanged();
    });
}

} // namespace qm
