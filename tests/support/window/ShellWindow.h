// The desktop program in a test: a private program folder (the delivered
// settings file and template, as after the first start) and main windows
// started in it with the real text table, scripted answers and a port prober
// that finds port 1. Modal dialogs are recorded instead of run.
#pragma once

#include "desktop/mdifrmMain.h"
#include "settings/ProfileFile.h"
#include "shell/AppState.h"

#include "support/ScriptedUi.h"
#include "support/TestHome.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace qmtest {

class ProgramFolder {
public:
    // Delivered settings with FirRun=0 and Language = language; the template.
    // False (with the reason) when the delivered data is missing.
    bool create(int language, QString* error)
    {
        if (!dir_.isValid()) {
            *error = QStringLiteral("no temporary folder");
            return false;
        }
        if (!QFile::copy(deliveredSettingsSource(), file(QStringLiteral("Uninstall.exe"))) ||
            !writeFile(file(QStringLiteral("Kelvex.exe")), deliveredTemplate()) || deliveredTemplate().isEmpty()) {
            *error = QStringLiteral("delivered data missing (build qm570-data first)");
            return false;
        }
        QFile::setPermissions(file(QStringLiteral("Uninstall.exe")), QFile::ReadOwner | QFile::WriteOwner);
        return setSetting(QStringLiteral("FirRun"), QStringLiteral("0")) &&
               setSetting(QStringLiteral("Language"), QString::number(language));
    }
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    QString setting(const QString& key, const QString& section = QStringLiteral("Setting")) const
    {
        return qm::ProfileFile(file(QStringLiteral("Uninstall.exe"))).read(section, key, QStringLiteral("<absent>"), 8192);
    }
    bool setSetting(const QString& key, const QString& value) const
    {
        return qm::ProfileFile(file(QStringLiteral("Uninstall.exe"))).write(QStringLiteral("Setting"), key, value);
    }

private:
    QTemporaryDir dir_;
};

// One run of the program: state, answers, main window.
class MainWindowRun {
public:
    explicit MainWindowRun(const QString& home) : home_(home) { prober.usable = {1}; }
    ~MainWindowRun() { w.reset(); }

    std::unique_ptr<qm::AppState> s = std::make_unique<qm::AppState>();
    ScriptedUi ui;
    RecordingProber prober;
    std::unique_ptr<qm::mdifrmMain> w;
    QStringList dialogsRun; // object names of the modal dialogs, in order

    // Creates the window and runs its start-up; shows it when it comes up.
    // env may carry extra steps (they run after the window's own).
    qm::StartupOutcome start(int locale = qm::kLocaleEnglishUs, qm::StartupEnv env = {})
    {
        w = std::make_unique<qm::mdifrmMain>(*s, ui);
        w->setDialogRunner([this](QDialog& d) {
            dialogsRun << d.objectName();
            return int(QDialog::Rejected);
        });
        env.home = home_;
        env.mode = qm::StartupMode::Desktop;
        env.systemLocale = locale;
        env.prober = &prober;
        const qm::StartupOutcome outcome = w->Form_Load(env);
        if (outcome != qm::StartupOutcome::QuietExit) {
            w->show();
            QApplication::processEvents();
        }
        return outcome;
    }
    qm::DesktopContext& ctx() { return w->context(); }

private:
    QString home_;
};

} // namespace qmtest
