#include "channels/modChFre.h"

#include "settings/VbConv.h"

#include <cmath>
#include <limits>

namespace qm {

namespace {

// Throws error 9 unless the len bytes from addr all lie in the image, so a
// procedure either writes all of its bytes or none.
void checkSpan(const ChannelContext& s, long long addr, int len)
{
    const long long last = static_cast<long long>(s.doc.IicDat.size()) - 1;
    checkIndex(addr, 0, last);
    checkIndex(addr + len - 1, 0, last);
}

// The decimal value of the eight digits that the four BCD bytes at addr
// (most significant at addr + 3) spell, or -1 when a nibble is A..F.
int32_t readBcd(ChannelContext s, long long addr)
{
    checkSpan(s, addr, 4);
    int32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        const uint8_t b = s.doc.IicDat[static_cast<size_t>(addr + i)];
        const int hi = b >> 4, lo = b & 0x0F;
        if (hi > 9 || lo > 9)
            return -1;
        v = v * 100 + hi * 10 + lo;
    }
    return v;
}

// Writes a frequency field as eight BCD digits (or FF FF FF FF for -1).
void writeFreq(ChannelContext s, long long addr, int32_t f)
{
    checkSpan(s, addr, 4);
    if (f == -1) {
        for (int i = 0; i < 4; ++i)
            s.doc.IicDat[static_cast<size_t>(addr + i)] = 0xFF;
        return;
    }
    // Only eight decimal digits fit the record: anything else would store a
    // different frequency than the table holds, so refuse and keep the bytes.
    if (f < 0 || f > 99999999)
        throw QmError(380);
    // Two decimal digits a byte, the least significant pair first.
    for (int i = 0; i < 4; ++i, f /= 100)
        s.doc.IicDat[static_cast<size_t>(addr + i)] = static_cast<uint8_t>((f % 100 / 10) << 4 | f % 10);
}

} // namespace

void checkChannel(int n)
{
    checkIndex(n, 1, kMaxChannels);
}

void checkColumn(int c)
{
    checkIndex(c, 0, kChFields - 1);
}

// A digit A..F is a type mismatch (error 13) of the procedure. A damaged
// image has one in nearly every channel, so it is listed directly rather
// than thrown: the same entry, without the cost of an exception each.
void IcRxFreSol(ChannelContext s, int n)
{
    const QString label = QStringLiteral("modChMem->IcRxFreSol");
    guarded(s.errors, label, [&] {
        checkChannel(n);
        const int32_t f = readBcd(s, chRecordAddr(n));
        // Undecodable: the channel keeps a placeholder of 100 MHz that the
        // user sees and can correct.
        s.doc.ChData[n][1] = f >= 0 ? f : 10000000;
        if (f < 0)
            s.errors.AddErrInfo(label, 13);
    });
}

void IcTxFreSol(ChannelContext s, int n)
{
    const QString label = QStringLiteral("modChMem->IcTxFreSol");
    guarded(s.errors, label, [&] {
        checkChannel(n);
        const long long addr = chRecordAddr(n) + 4;
        if (!freqPresentByte(s.doc.img(addr + 3))) {
            s.doc.ChData[n][2] = -1;
            return;
        }
        // Undecodable: no transmit frequency rather than whatever the table
        // held for this channel from an earlier image.
        const int32_t f = readBcd(s, addr);
        s.doc.ChData[n][2] = f;
        if (f < 0)
            s.errors.AddErrInfo(label, 13);
    });
}

void CiRxFreSol(ChannelContext s, int n)
{
    guarded(s.errors, QStringLiteral("modChMem->CiRxFreSol"), [&] {
        checkChannel(n);
        writeFreq(s, chRecordAddr(n), s.doc.ChData[n][1]);
    });
}

void CiTxFreSol(ChannelContext s, int n)
{
    guarded(s.errors, QStringLiteral("modChMem->CiTxFreSol"), [&] {
        checkChannel(n);
        writeFreq(s, chRecordAddr(n) + 4, s.doc.ChData[n][2]);
    });
}

void SeparateFreChar(ErrorList& errors, const QString& text, std::array<uint8_t, 4>& buf)
{
    guarded(errors, QStringLiteral("modChMem->SeparateFreChar"), [&] {
        for (qsizetype i = 0; i < text.size(); i += 2) {
            const qsizetype k = i / 2;
            checkIndex(k, 0, static_cast<long long>(buf.size()) - 1);
            const QString pair = text.mid(i, 2);
            bool ok = false;
            const uint v = pair.toUInt(&ok, 16);
            if (!ok || pair.startsWith(QLatin1Char('+')) || pair.startsWith(QLatin1Char('-')) ||
                pair.startsWith(QLatin1Char(' ')))
                throw QmError(13);
            buf[static_cast<size_t>(k)] = static_cast<uint8_t>(v);
        }
    });
}

QString freqText(int32_t f)
{
    return numberText(f / 100000.0);
}

void RxFreShow(ChannelContext s, int n)
{
    guarded(s.errors, QStringLiteral("modChMem->RxFreShow"), [&] {
        checkChannel(n);
        // Also called for the VFO row whose receive frequency may be unset.
        const int32_t f = s.doc.ChData[n][1];
        s.grid.text[n][1] = (f == -1) ? QString() : freqText(f);
    });
}

void TxFreShow(ChannelContext s, int n)
{
    guarded(s.errors, QStringLiteral("modChMem->TxFreShow"), [&] {
        checkChannel(n);
        const int32_t f = s.doc.ChData[n][2];
        s.grid.text[n][2] = (f == -1) ? QString() : freqText(f);
    });
}

int32_t ModifyTxRxFre(ChannelContext s, const QString& text)
{
    int32_t result = 0;
    guarded(s.errors, QStringLiteral("frmChMem->ModifyTxRxFre:"), [&] {
        const double v = toDouble(text);
        const double a = roundHalfEven(v / 500.0);
        const double fa = a * 0.005;
        const double da = roundHalfEven(std::fabs(v - fa * 100000.0));
        const double b = roundHalfEven(v / 625.0);
        const double fb = b * 0.00625;
        const double db = roundHalfEven(std::fabs(v - fb * 100000.0));
        const double r = roundHalfEven((da < db ? fa : fb) * 100000.0);
        if (r < static_cast<double>(std::numeric_limits<int32_t>::min()) ||
            r > static_cast<double>(std::numeric_limits<int32_t>::max()))
            throw QmError(6);
        result = static_cast<int32_t>(r);
    });
    return result;
}

uint32_t freqColor(const ChannelContext& s, int32_t f)
{
    return (f < s.settings.BandLower || f > s.settings.BandUpper) ? s.settings.OverColor : s.settings.DefColor;
}

} // namespace qm
