#include "settings/VbConv.h"

#include "diag/QmError.h"

#include <cmath>
#include <limits>

namespace qm {

double roundHalfEven(double x)
{
    return std::nearbyint(x); // default rounding mode is round-to-nearest-even
}

namespace {

// Parses the number forms the settings file and the editors use. Returns false
// for text that is not a number.
bool parseNumber(const QString& raw, double& out)
{
    const QString t = raw.trimmed();
    if (t.isEmpty())
        return false;
    if (t.startsWith(QLatin1String("&H"), Qt::CaseInsensitive) ||
        t.startsWith(QLatin1String("&O"), Qt::CaseInsensitive)) {
        const int base = (t[1].toUpper() == QLatin1Char('H')) ? 16 : 8;
        const QString digits = t.mid(2);
        if (digits.isEmpty() || digits.size() > 16)
            return false;
        bool ok = false;
        const qulonglong v = digits.toULongLong(&ok, base);
        if (!ok)
            return false;
        // Up to four hex digits (six octal) form a 16-bit literal that wraps
        // into the signed range, as the original conversion does.
        if ((base == 16 && digits.size() <= 4) || (base == 8 && v <= 0xFFFF)) {
            out = static_cast<int16_t>(static_cast<uint16_t>(v));
            return true;
        }
        if (v <= 0xFFFFFFFFULL) {
            out = static_cast<int32_t>(static_cast<uint32_t>(v));
            return true;
        }
        out = static_cast<double>(v);
        return true;
    }
    for (QChar c : t) {
        // Only plain decimal forms: digits, sign, point, exponent.
        if (!(c.isDigit() || c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('+') ||
              c == QLatin1Char('e') || c == QLatin1Char('E')))
            return false;
    }
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

} // namespace

double toDouble(const QString& text)
{
    double v = 0;
    if (!parseNumber(text, v))
        throw QmError(13);
    return v;
}

bool isNumeric(const QString& text)
{
    double v = 0;
    return parseNumber(text, v);
}

int16_t toInt16(const QString& text)
{
    const double r = roundHalfEven(toDouble(text));
    if (r < -32768.0 || r > 32767.0)
        throw QmError(6);
    return static_cast<int16_t>(r);
}

int32_t toInt32(const QString& text)
{
    const double r = roundHalfEven(toDouble(text));
    if (r < static_cast<double>(std::numeric_limits<int32_t>::min()) ||
        r > static_cast<double>(std::numeric_limits<int32_t>::max()))
        throw QmError(6);
    return static_cast<int32_t>(r);
}

int16_t hexToInt16(const QString& text)
{
    return toInt16(QLatin1String("&H") + text.trimmed());
}

uint32_t hexToUInt(const QString& text)
{
    const QString t = text.trimmed();
    bool ok = false;
    const qulonglong v = t.toULongLong(&ok, 16);
    if (t.isEmpty() || !ok || t.startsWith(QLatin1Char('+')) || t.startsWith(QLatin1Char('-')))
        throw QmError(13);
    if (v > 0xFFFFFFFFULL)
        throw QmError(6);
    return static_cast<uint32_t>(v);
}

QString FormatByteDat(uint8_t b)
{
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

QString hex4(int addr)
{
    return QStringLiteral("%1").arg(addr & 0xFFFF, 4, 16, QLatin1Char('0')).toUpper();
}

QString numberText(double v)
{
    QString s = QString::number(v, 'g', 15);
    if (s.contains(QLatin1Char('e')) || s.contains(QLatin1Char('E')))
        s = QString::number(v, 'f', 10);
    if (s.contains(QLatin1Char('.'))) {
        while (s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(QLatin1Char('.')))
            s.chop(1);
    }
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    return s;
}

uint8_t toBcd(int x)
{
    return static_cast<uint8_t>((x / 10) * 16 + (x % 10));
}

} // namespace qm
