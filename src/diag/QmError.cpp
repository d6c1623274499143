#include "diag/QmError.h"

#include "diag/modShowErr.h"
#include "diag/Utf8.h"

#include <algorithm>

namespace qm {

namespace {

// "\x" or "\u" followed by the value in upper-case hexadecimal digits.
QString escaped(char prefix, unsigned value, int digits)
{
    return QString(QLatin1Char('\\')) + QLatin1Char(prefix) + QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

} // namespace

QString printable(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const NameChar c = nameCharAt(text, i);
        if (c.kind == NameChar::Kind::RawByte)
            out += escaped('x', c.value, 2); // a byte of a name that is not UTF-8
        else if (c.kind == NameChar::Kind::LoneSurrogate)
            out += escaped('u', c.value, 4);
        else if (c.value < 0x20 || c.value == 0x7F)
            out += escaped('x', c.value, 2);
        else if (c.value >= 0x80 && c.value < 0xA0)
            out += escaped('u', c.value, 4); // never mistaken for a raw byte
        else
            out += QStringView(text).mid(i, c.units);
        i += c.units;
    }
    return out;
}

QString elided(const QString& text, int maxChars)
{
    if (text.size() <= maxChars || maxChars < 5)
        return text.size() <= maxChars ? text : text.left(std::max(maxChars, 0));
    const qsizetype keep = maxChars - 3;
    const qsizetype tail = keep / 2;
    return text.left(keep - tail) + QStringLiteral("...") + text.right(tail);
}

QString Error::text() const
{
    QString head = action;
    // Names of files and devices come from users and file systems: shown
    // with their odd bytes escaped and cut to a length a line can hold.
    if (!object.isEmpty())
        head += (head.isEmpty() ? QString() : QStringLiteral(" ")) + elided(printable(object), 200);
    QString why = reason;
    if (why.isEmpty())
        why = VbErrNumDes(number);
    if (why.isEmpty())
        why = QStringLiteral("error %1").arg(number);
    return head.isEmpty() ? why : head + QStringLiteral(": ") + why;
}

QmError::QmError(int number) : QmError(Error{number, {}, {}, {}}) {}

QmError::QmError(int number, QString action, QString object, QString reason)
    : QmError(Error{number, std::move(action), std::move(object), std::move(reason)})
{
}

QmError::QmError(Error e) : error_(std::move(e)) {}

const char* QmError::what() const noexcept
{
    if (what_.empty()) {
        try {
            what_ = error_.text().toStdString();
        } catch (...) {
            return "qm570 error";
        }
    }
    return what_.c_str();
}

void throwIndexError(long long i, long long lo, long long hi)
{
    throw QmError(9, {}, {}, QStringLiteral("index %1 is outside %2 to %3").arg(i).arg(lo).arg(hi));
}

} // namespace qm
