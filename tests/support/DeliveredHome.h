// A private program folder for a test: a copy of the delivered settings file
// (as kept in the sources; build/bin/Uninstall.exe is a copy a run of the
// program may change) and of the template build/bin/Kelvex.exe, so a test may
// start the program (or run the command-line tool) there without touching
// build/bin.
#pragma once

#include "settings/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace qmtest {

class DeliveredHome {
public:
    // False (with the reason) when the delivered data is missing. With a
    // language (1 Chinese, 3 English) the folder is as after the first start:
    // FirRun=0 and that language.
    bool create(QString* error, int language = 0)
    {
        const QString settings = QStringLiteral(QM570_SOURCE_DIR "/data/Uninstall.ini");
        const QString tmpl = QStringLiteral(QM570_BIN_DIR "/Kelvex.exe");
        if (!dir_.isValid() || !QFile::copy(settings, file(QStringLiteral("Uninstall.exe"))) ||
            !QFile::copy(tmpl, file(QStringLiteral("Kelvex.exe")))) {
            if (error)
                *error = QStringLiteral("cannot copy %1 and %2 (build qm570-data first)").arg(settings, tmpl);
            return false;
        }
        for (const char* name : {"Uninstall.exe", "Kelvex.exe"})
            QFile::setPermissions(file(QLatin1String(name)), QFile::ReadOwner | QFile::WriteOwner);
        return language == 0 || (setSetting(QStringLiteral("FirRun"), QStringLiteral("0")) &&
                                 setSetting(QStringLiteral("Language"), QString::number(language)));
    }
    bool create(int language, QString* error) { return create(error, language); }
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    qm::ProfileFile profile() const { return qm::ProfileFile(file(QStringLiteral("Uninstall.exe"))); }
    QString setting(const QString& key, const QString& section = QStringLiteral("Setting")) const
    {
        return profile().read(section, key, QStringLiteral("<absent>"), 8192);
    }
    bool setSetting(const QString& key, const QString& value) const { return profile().write(QStringLiteral("Setting"), key, value); }

private:
    QTemporaryDir dir_;
};

} // namespace qmtest
