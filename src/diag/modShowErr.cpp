#include "diag/modShowErr.h"

#include <QLocale>

namespace qm {

QStringList ErrorEntry::lines(const QString& timeText) const
{
    QStringList out{QStringLiteral("---------") + timeText + QStringLiteral("--------")};
    if (kind == Kind::Option) {
        out << QStringLiteral("        可选功能项:   ") + message;
        return out;
    }
    const int n = error.number;
    const QString num = n >= 0 ? QStringLiteral(" ") + QString::number(n) : QString::number(n);
    out << QStringLiteral("    ") + QStringLiteral("     错误:  ") + label + QStringLiteral("     出错号:  ") + num +
               QStringLiteral("     出错点:  ") + source + QStringLiteral("     出错描述:  ") + VbErrNumDes(n);
    return out;
}

QString ErrorEntry::detail() const
{
    return kind == Kind::Option ? message : error.text();
}

QString ErrorList::stamp(const QDateTime& t) const
{
    // Entries keep the time in UTC (cheap to take); it is shown as local time.
    const QDateTime local = t.toLocalTime();
    return timeText ? timeText(local) : QLocale::system().toString(local, QLocale::ShortFormat);
}

void ErrorList::add(ErrorEntry e)
{
    entries_.push_back(std::move(e));
    emit changed();
}

void ErrorList::AddErrInfo(const QString& label, const Error& error, const QString& source)
{
    ErrorEntry e;
    e.time = QDateTime::currentDateTimeUtc();
    e.label = label;
    e.error = error;
    e.source = source;
    add(std::move(e));
}

void ErrorList::AddErrInfo(const QString& label, int number, const QString& source)
{
    AddErrInfo(label, Error{number, {}, {}, {}}, source);
}

void ErrorList::AddOptErrInfo(const QString& message)
{
    ErrorEntry e;
    e.kind = ErrorEntry::Kind::Option;
    e.time = QDateTime::currentDateTimeUtc();
    e.message = message;
    add(std::move(e));
}

void ErrorList::append(const std::vector<ErrorEntry>& entries)
{
    for (const ErrorEntry& e : entries)
        add(e);
}

QStringList ErrorList::lines() const
{
    QStringList out;
    out.reserve(static_cast<qsizetype>(entries_.size()) * 2);
    for (const ErrorEntry& e : entries_)
        out << e.lines(stamp(e.time));
    return out;
}

QStringList ErrorList::entryLines(size_t i) const
{
    if (i >= entries_.size())
        return {};
    const ErrorEntry& e = entries_[i];
    return e.lines(stamp(e.time));
}

const ErrorEntry* ErrorList::entryAtLine(int line) const
{
    if (line < 0 || line / 2 >= static_cast<int>(entries_.size()))
        return nullptr;
    return &entries_[static_cast<size_t>(line / 2)];
}

void ErrorList::clear()
{
    entries_.clear();
    emit changed();
}

} // namespace qm
