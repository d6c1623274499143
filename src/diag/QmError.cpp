#include "diag/QmError.h"

#include "diag/modShowErr.h"

namespace qm {

QString Error::text() const
{
    QString head = action;
    if (!object.isEmpty())
        head += (head.isEmpty() ? QString() : QStringLiteral(" ")) + object;
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

QmError::QmError(Error e) : std::runtime_error(e.text().toStdString()), error_(std::move(e)) {}

void checkIndex(long long i, long long lo, long long hi)
{
    if (i < lo || i > hi)
        throw QmError(9, {}, {}, QStringLiteral("index %1 is outside %2 to %3").arg(i).arg(lo).arg(hi));
}

} // namespace qm
