#include "diag/modShowErr.h"

#include <QDateTime>
#include <QLocale>

namespace qm {

void ErrorList::clear()
{
    lines_.clear();
    selected_ = -1;
}

QString ErrorList::separator() const
{
    const QString stamp = now ? now()
                              : QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    return QStringLiteral("---------") + stamp + QStringLiteral("--------");
}

void ErrorList::insertLine(const QString& line)
{
    lines_.append(line);
    selected_ = static_cast<int>(lines_.size()) - 1;
    if (changed)
        changed();
}

void ErrorList::AddErrInfo(const QString& label, int number, const QString& source)
{
    insertLine(separator());
    errDes_ = VbErrNumDes(number);
    const QString num = number >= 0 ? QStringLiteral(" ") + QString::number(number) : QString::number(number);
    insertLine(QStringLiteral("    ") + QStringLiteral("     错误:  ") + label + QStringLiteral("     出错号:  ") + num +
               QStringLiteral("     出错点:  ") + source + QStringLiteral("     出错描述:  ") + errDes_);
}

void ErrorList::AddOptErrInfo(const QString& message)
{
    insertLine(separator());
    insertLine(QStringLiteral("        可选功能项:   ") + message);
}

} // namespace qm
