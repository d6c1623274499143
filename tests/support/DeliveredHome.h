// A private program folder for a test: a temporary copy of the delivered
// settings file and template from build/bin, so a test may start the program
// state (or run the command-line tool) there without touching build/bin.
#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace qmtest {

class DeliveredHome {
public:
    // False (with the reason) when the delivered data is missing.
    bool create(QString* error)
    {
        if (!dir_.isValid()) {
            *error = QStringLiteral("no temporary folder");
            return false;
        }
        for (const char* name : {"Uninstall.exe", "Kelvex.exe"}) {
            const QString from = QDir(QStringLiteral(QM570_BIN_DIR)).filePath(QLatin1String(name));
            if (!QFile::copy(from, dir_.filePath(QLatin1String(name)))) {
                *error = QStringLiteral("cannot copy %1 (build the delivered data first)").arg(from);
                return false;
            }
        }
        return true;
    }
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

} // namespace qmtest
