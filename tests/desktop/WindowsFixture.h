// A desktop program for the window tests of the options window, the
// read/write dialog, the port dialog, the memory table and the part fill: a
// private copy of the delivered program folder, the start-up run as the
// desktop program runs it (scripted dialogs, a fake port prober), the
// windows' context and those windows, plus helpers that drive widgets the way
// a user does.
#pragma once

#include "desktop/DesktopContext.h"
#include "desktop/frmCommun.h"
#include "desktop/frmMemDat.h"
#include "desktop/frmPartFill.h"
#include "desktop/frmSysSet.h"
#include "desktop/frmToolCom.h"
#include "settings/ProfileFile.h"
#include "shell/AppState.h"
#include "shell/modStartup.h"

#include "support/DeliveredHome.h"
#include "support/ScriptedUi.h"
#include "support/TestHome.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace qmtest {

// The child widget of type W named `name`.
template <class W>
W* child(QWidget* parent, const QString& name)
{
    return parent->findChild<W*>(name);
}

// Processes events until pred() holds or ms have passed; returns pred().
inline bool waitUntil(const std::function<bool()>& pred, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!pred() && t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return pred();
}

// Types text into a widget key by key.
inline void typeText(QWidget* w, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

inline void pressKey(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QApplication::sendEvent(w, &release);
}

// Replaces a line edit's text as a user does: select all, type over it.
inline void retype(QWidget* w, const QString& text)
{
    pressKey(w, Qt::Key_A, Qt::ControlModifier);
    typeText(w, text);
}

// Runs `answer` once `dialog` has become the active modal window (for the
// exec() calls of the code under test). Other modal windows are left alone.
inline void whenModal(QWidget* dialog, std::function<void()> answer)
{
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, dialog, answer] {
        if (QApplication::activeModalWidget() == dialog && dialog->isVisible()) {
            poll->stop();
            poll->deleteLater();
            answer();
        }
    });
    poll->start();
}

class WindowsHarness {
public:
    std::unique_ptr<qm::AppState> s = std::make_unique<qm::AppState>();
    ScriptedUi ui;
    RecordingProber prober;
    std::unique_ptr<qm::DesktopContext> ctx;
    qm::frmMemDat* memDat = nullptr;
    qm::frmPartFill* partFill = nullptr;
    qm::frmToolCom* toolCom = nullptr;
    qm::frmSysSet* sysSet = nullptr;
    qm::frmCommun* commun = nullptr;

    ~WindowsHarness()
    {
        // The windows use the context: they go first.
        delete commun;
        delete sysSet;
        delete toolCom;
        delete partFill;
        delete memDat;
    }

    // The program folder, for keys written before start().
    qm::ProfileFile profile() const { return home_.profile(); }
    QString home() const { return home_.path(); }

    // Starts the program (language 1 Chinese, 3 English) with `keys` written
    // into section "Setting" first, and builds the windows.
    bool start(int language, const std::vector<std::pair<QString, QString>>& keys = {}, QString* error = nullptr)
    {
        QString why;
        if (!home_.create(&why, language)) {
            if (error)
                *error = why;
            return false;
        }
        for (const auto& [k, v] : keys)
            home_.setSetting(k, v);
        qm::StartupEnv env;
        env.home = home_.path();
        env.mode = qm::StartupMode::Desktop;
        env.prober = &prober;
        if (qm::RunStartup(*s, env) != qm::StartupOutcome::Running) {
            if (error)
                *error = s->errors.entries().empty() ? QStringLiteral("start-up failed")
                                                     : s->errors.entries().back().detail();
            return false;
        }
        ctx = std::make_unique<qm::DesktopContext>(*s, ui);
        ctx->prober = &prober;
        ctx->w.memDat = memDat = new qm::frmMemDat(*ctx);
        ctx->w.partFill = partFill = new qm::frmPartFill(*ctx);
        ctx->w.toolCom = toolCom = new qm::frmToolCom(*ctx);
        ctx->w.sysSet = sysSet = new qm::frmSysSet(*ctx);
        ctx->w.commun = commun = new qm::frmCommun(*ctx);
        return true;
    }

private:
    DeliveredHome home_;
};

} // namespace qmtest
