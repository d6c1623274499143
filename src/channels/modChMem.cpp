#include "channels/modChMem.h"

#include "channels/modChFre.h"
#include "channels/modChGrid.h"
#include "channels/modCtdcs.h"
#include "settings/VbConv.h"

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
int16_t clampCount(ChannelContext s, int16_t v, int16_t hi)
{
    if (v >= 0 && v <= hi)
        return v;
    s.errors.AddErrInfo(QStringLiteral("modChMem->ReadChInfo"), 380);
    return v < 0 ? int16_t(0) : hi;
}

} // namespace

int ChInfoKeyBase(ChannelContext s)
{
    return normaliseLanguage(s.settings) == 1 ? 1000 : 3000;
}

void ReadChInfo(ChannelContext s)
{
    guarded(s.errors, QStringLiteral("modChMem->ReadChInfo"), [&] {
        const int base = ChInfoKeyBase(s);
        auto read = [&](int key, const QString& def, int bufSize) {
            return s.settings.profile.read(kSection, QString::number(key), def, bufSize);
        };
        s.settings.ChNum = clampCount(s, toInt16(read(base, QStringLiteral("16"), 5)), kMaxChannels);
        s.settings.ChRowHeight = toInt16(read(base + 1, QStringLiteral("240"), 5));
        s.settings.ChColNum = clampCount(s, toInt16(read(base + 2, QStringLiteral("9"), 5)), kMaxDataCols);
        s.settings.ChHeaderFormat = read(base + 3, QStringLiteral("0|0|0|0|0|0|0|0|0|0"), 200);

        const int lastWidth = std::min<int>(s.settings.ChColNum, static_cast<int>(s.settings.colWidthTwips.size()) - 1);
        for (int c = 0; c <= lastWidth; ++c)
            s.settings.colWidthTwips[static_cast<size_t>(c)] = toInt16(read(base + 100 + c, QStringLiteral("1000"), 10));

        for (auto& col : s.settings.ColInfo)
            col.fill(QString());
        for (int c = 1; c <= s.settings.ChColNum; ++c) {
            for (int k = 0; k <= kColInfoEntries; ++k) {
                const QString v = read(base + 200 + (c - 1) * 50 + k, QStringLiteral("0"), 100);
                if (v == kEndOfItem)
                    break;
                // A list must end within its 50 entries.
                checkIndex(k, 0, kColInfoEntries - 1);
                s.settings.ColInfo[static_cast<size_t>(c)][static_cast<size_t>(k)] = v;
            }
        }
    });
}

void InitChTable(ChannelContext s)
{
    guarded(s.errors, QStringLiteral("modChMem->InitChTable"), [&] {
        for (int n = 1; n <= s.settings.ChNum; ++n)
            DelOneChannel(s, n);
    });
}

void DelOneChannel(ChannelContext s, int n)
{
    guarded(s.errors, QStringLiteral("modChMem->DelOneChannel"), [&] {
        checkChannel(n);
        const long long addr = chRecordAddr(n);
        s.doc.img(addr);
        s.doc.img(addr + 15);
        s.doc.ChData[n][0] = 1;
        s.doc.ChData[n][1] = -1;
        s.doc.ChData[n][2] = -1;
        // Only the channel's own record is erased. Its name bytes at 0x660
        // are rewritten from ChNameCode by the next encode; no other area of
        // the image belongs to the channel.
        std::fill_n(s.doc.IicDat.begin() + addr, 16, uint8_t(0xFF));
        for (int c = 1; c <= s.settings.ChColNum; ++c) {
            checkColumn(c);
            s.grid.curRow = n;
            s.grid.curCol = c;
            s.grid.text[n][c].clear();
            s.grid.color[n][c] = s.settings.DefColor;
        }
    });
}

void ChInfoSaveSol(ChannelContext s, int16_t mode)
{
    guarded(s.errors, QStringLiteral("modChMem->ChInfoSaveSol"), [&] {
        if (mode == 1)
            IicDatToChInfo(s);
        else if (mode == 0)
            ChInfoToIicDat(s);
    });
}

void IicDatToChInfo(ChannelContext s)
{
    guarded(s.errors, QStringLiteral("modChMem->IicDatToChInfo"), [&] {
        // The column defaults are read from their texts for the first empty
        // channel and reused for the others.
        std::array<int32_t, kChFields> defaults{};
        bool haveDefaults = false;
        const CtdcsLookup signalling(s.settings);
        for (int n = 1; n <= s.settings.ChNum; ++n) {
            checkChannel(n);
            if (freqPresentByte(s.doc.img(chRecordAddr(n) + 3))) {
                IcChParaSol(s, n);
                IcRxFreSol(s, n);
                IcTxFreSol(s, n);
                IcCtdcsDecSol(s, n, &signalling);
                IcCtdcsEncSol(s, n, &signalling);
            } else {
                // An empty channel takes the column defaults; its edit mark
                // and name codes stay as they are.
                s.doc.ChData[n][1] = -1;
                s.doc.ChData[n][2] = -1;
                s.doc.ChData[n][3] = 0;
                s.doc.ChData[n][4] = 0;
                for (int f = 5; f <= s.settings.ChColNum; ++f) {
                    checkColumn(f);
                    if (!haveDefaults)
                        defaults[static_cast<size_t>(f)] = toInt32(s.settings.ColInfo[static_cast<size_t>(f)][2]);
                    s.doc.ChData[n][f] = defaults[static_cast<size_t>(f)];
                }
                haveDefaults = true;
            }
        }
    });
}

void ChInfoToIicDat(ChannelContext s)
{
    guarded(s.errors, QStringLiteral("modChMem->ChInfoToIicDat"), [&] {
        for (int n = 1; n <= s.settings.ChNum; ++n) {
            checkChannel(n);
            if (s.doc.ChData[n][0] == -1)
                continue;
            CiChParaSol(s, n);
            CiRxFreSol(s, n);
            CiTxFreSol(s, n);
            CiCtdcsDecSol(s, n);
            CiCtdcsEncSol(s, n);
        }
    });
}

void IcChParaSol(ChannelContext s, int n)
{
    guarded(s.errors, QStringLiteral("modChMem->IcChParaSol"), [&] {
        checkChannel(n);
        const long long rec = chRecordAddr(n);
        const long long names = chNameAddr(n);
        s.doc.img(rec + 15);
        s.doc.img(names + 3);
        const uint8_t b = s.doc.img(rec + 12);
        auto& ch = s.doc.ChData[n];
        ch[5] = (b & kBitF5) ? 1 : 0;
        ch[6] = (b & kBitF6) ? 1 : 0;
        ch[7] = (b & kBitF7) ? 1 : 0;
        const uint8_t f8 = b & (kBitF8High | kBitF8Low);
        ch[8] = (f8 == kBitF8Low) ? 1 : (f8 == kBitF8High) ? 2 : 0;
        ch[9] = (b & kBitF9) ? 1 : 0;
        ch[10] = (b & kBitF10) ? 1 : 0;
        // Copied as they are, codes above 40 included.
        s.doc.ChNameCode[n][1] = s.doc.img(rec + 14);
        s.doc.ChNameCode[n][2] = s.doc.img(rec + 15);
        for (int i = 0; i < 4; ++i)
            s.doc.ChNameCode[n][3 + i] = s.doc.img(names + i);
    });
}

void CiChParaSol(ChannelContext s, int n)
{
    guarded(s.errors, QStringLiteral("modChMem->CiChParaSol"), [&] {
        checkChannel(n);
        const long long rec = chRecordAddr(n);
        const long long names = chNameAddr(n);
        s.doc.img(rec + 15);
        s.doc.img(names + 3);
        const auto& ch = s.doc.ChData[n];
        uint8_t b = s.doc.img(rec + 12);
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
        s.doc.img(rec + 12) = b;
        s.doc.img(rec + 14) = s.doc.ChNameCode[n][1];
        s.doc.img(rec + 15) = s.doc.ChNameCode[n][2];
        for (int i = 0; i < 4; ++i)
            s.doc.img(names + i) = s.doc.ChNameCode[n][3 + i];
    });
}

void InitChMem(ChannelContext s)
{
    guarded(s.errors, QStringLiteral("frmChMem->InitChMem"), [&] {
        for (auto& codes : s.doc.ChNameCode)
            std::fill(codes.begin() + 1, codes.end(), uint8_t(kNoChar)); // positions 1..6: no name
        ChInfoInitFace(s);
        GenCtdcsList(s);
        ReadChInfo(s);
        SetChGrid(s);
        InitChTable(s);
    });
}

} // namespace qm
