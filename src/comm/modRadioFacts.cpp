// Three facts about the radio that a read brings along in the image: the
// firmware version and its release date (0x0F30..0x0F32), the frequency band
// (0x0F50..0x0F57, BCD) and the date of this program's last write
// (0x0E70..0x0E72). Nothing is asked of the radio; the texts are pure
// functions of the image and the UI text table.
#include "comm/modRadioFacts.h"

#include "comm/modTransfer.h"
#include "settings/SoftFaceTexts.h"

namespace qm {

namespace {

constexpr int kVersionAddr = 0x0F30;
constexpr int kBandAddr = 0x0F50; // lower edge, upper edge at +4
constexpr int kWriteDateAddr = kWriteStampAddrs[0]; // year, month, day

QString dec(int v, int width)
{
    return QStringLiteral("%1").arg(v, width, 10, QLatin1Char('0'));
}

QString hexDigit(int nibble)
{
    return QString::number(nibble & 0x0F, 16).toUpper();
}

// One band edge: d1d2d3.d4d5d6d7d8 from four BCD bytes, shown digit by digit
// as hexadecimal so that erased memory reads FFF.FFFFF rather than failing.
QString bandEdge(const DocumentData& s, int addr)
{
    const uint8_t b0 = s.img(addr), b1 = s.img(addr + 1), b2 = s.img(addr + 2), b3 = s.img(addr + 3);
    return hexDigit(b0 >> 4) + hexDigit(b0) + hexDigit(b1 >> 4) + QLatin1Char('.') + hexDigit(b1) +
           hexDigit(b2 >> 4) + hexDigit(b2) + hexDigit(b3 >> 4) + hexDigit(b3);
}

template <class Fn>
void show(CommContext s, const char* label, QString RadioInfo::*field, Fn text)
{
    if (guarded(s.errors, QString::fromLatin1(label), [&] { s.radioInfo.*field = text(); }))
        s.radioInfo.notify();
}

} // namespace

QString SoftVerText(const DocumentData& s)
{
    const uint8_t ver = s.img(kVersionAddr);
    const uint8_t yearMonth = s.img(kVersionAddr + 1);
    const uint8_t day = s.img(kVersionAddr + 2);
    return QStringLiteral("V") + QString::number(ver >> 4) + QLatin1Char('.') + QString::number(ver & 0x0F) +
           QStringLiteral(" -- 20") + dec(yearMonth >> 4, 2) + QLatin1Char('.') + dec(yearMonth & 0x0F, 2) +
           QLatin1Char('.') + dec(day, 2);
}

QString FreBandText(const DocumentData& s)
{
    return bandEdge(s, kBandAddr) + QStringLiteral(" -- ") + bandEdge(s, kBandAddr + 4) + QStringLiteral("MHz");
}

QString ComDatText(const DocumentData& s, const Settings& settings)
{
    const uint8_t y = s.img(kWriteDateAddr);
    const uint8_t m = s.img(kWriteDateAddr + 1);
    const uint8_t d = s.img(kWriteDateAddr + 2);
    // Only the upper limits are tested: month 0 or day 0 show as they are.
    if (y > 50 || m > 12 || d >= 32)
        return SoftFaceText(settings, 179);
    // Texts 180 and 181 are the date separators; language 2 has no text set,
    // so they come from the English wording there as every caption does.
    return QStringLiteral("20") + dec(y, 2) + SoftFaceText(settings, 180) + QString::number(m) + SoftFaceText(settings, 181) +
           QString::number(d) + SoftFaceText(settings, 182);
}

void ShowFreBand(CommContext s)
{
    // The band shares the version's error label.
    show(s, "modCommun->ShowSoftVer", &RadioInfo::txtRange, [&] { return FreBandText(s.doc); });
}

void ShowSoftVer(CommContext s)
{
    show(s, "modCommun->ShowSoftVer", &RadioInfo::txtSoftVer, [&] { return SoftVerText(s.doc); });
}

void ShowComDat(CommContext s)
{
    show(s, "modCommun->ShowComDat", &RadioInfo::txtLastPc, [&] { return ComDatText(s.doc, s.settings); });
}

} // namespace qm
