#include "shell/RecentFiles.h"

#include <QDir>
#include <QFileInfo>

namespace qm {

namespace {

const QString kSection = QStringLiteral("Desktop");
constexpr int kPathBuffer = 4096;

QString key(int i)
{
    return QStringLiteral("Recent%1").arg(i);
}

// One spelling per file: absolute, without "." and ".." parts.
QString normalised(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool sameEntry(const QString& a, const QString& b)
{
#ifdef Q_OS_WIN
    return a.compare(b, Qt::CaseInsensitive) == 0;
#else
    return a == b;
#endif
}

bool store(const Settings& s, const QStringList& list, QString* why)
{
    if (s.profile.path().isEmpty())
        return true;
    // Only the keys that change are written: each write replaces the file.
    for (int i = 1; i <= kMaxRecentFiles; ++i) {
        const QString value = i <= list.size() ? list[i - 1] : QString();
        if (s.profile.read(kSection, key(i), QString(), kPathBuffer) == value)
            continue;
        if (!s.profile.write(kSection, key(i), value, why))
            return false;
    }
    return true;
}

} // namespace

QStringList ReadRecentFiles(const Settings& s)
{
    QStringList list;
    if (s.profile.path().isEmpty())
        return list;
    for (int i = 1; i <= kMaxRecentFiles; ++i) {
        const QString p = s.profile.read(kSection, key(i), QString(), kPathBuffer);
        if (p.isEmpty())
            continue;
        bool repeated = false;
        for (const QString& e : std::as_const(list))
            repeated = repeated || sameEntry(e, p);
        if (!repeated)
            list << p;
    }
    return list;
}

bool RememberRecentFile(const Settings& s, const QString& path, QString* why)
{
    // The settings file is UTF-8 text of one line per key, its values read
    // without surrounding blanks: a name with a line break, with bytes that
    // are not UTF-8 or with blanks at either end cannot be kept there.
    if (path.isEmpty() || path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r')) ||
        QString::fromUtf8(path.toUtf8()) != path || path.trimmed() != path)
        return true;
    const QString p = normalised(path);
    QStringList list = ReadRecentFiles(s);
    list.removeIf([&](const QString& e) {
        return sameEntry(e, p);
    });
    list.prepend(p);
    while (list.size() > kMaxRecentFiles)
        list.removeLast();
    return store(s, list, why);
}

bool ForgetRecentFile(const Settings& s, const QString& path, QString* why)
{
    QStringList list = ReadRecentFiles(s);
    const QString p = normalised(path);
    const qsizetype before = list.size();
    list.removeIf([&](const QString& e) {
        return sameEntry(e, p) || sameEntry(e, path);
    });
    if (list.size() == before)
        return true;
    return store(s, list, why);
}

} // namespace qm
