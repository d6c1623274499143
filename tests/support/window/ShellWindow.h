// The desktop program in a test: main windows started in a program folder
// (a DeliveredHome) with the real text table, scripted
// answers and a port prober that finds port 1. Modal dialogs are recorded
// instead of run.
#pragma once

#include "desktop/mdifrmMain.h"
#include "shell/AppState.h"

#include "support/DeliveredHome.h"
#include "support/ScriptedUi.h"
#include "support/TestHome.h"

#include <QApplication>
#include <QDialog>

#include <memory>

namespace qmtest {

// The program folder of the window tests (created with a language).
using ProgramFolder = DeliveredHome;

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
