#include "desktop/mdifrmMain.h"

#include "shell/mdimoduMain.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>

namespace qm {

mdifrmMain::mdifrmMain(AppState& s, UserInteraction& ui, QWidget* parent)
    : QMainWindow(parent), s_(s), ui_(ui), mdi_(new QMdiArea(this))
{
    setObjectName(QStringLiteral("mdifrmMain"));
    mdi_->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(mdi_);

    // sbrStatus: note, port, file name. The file name takes the spare width.
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("sbrStatus"));
    for (int p = 1; p <= 3; ++p) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("sbrStatusPanel%1").arg(p));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(p == 3 ? 200 : 90);
        bar->addWidget(label, p == 3 ? 1 : 0);
        panels_[static_cast<size_t>(p)] = label;
    }
    resize(960, 680);

    connect(&s_.view, &ViewState::statusPanelChanged, this, &mdifrmMain::showStatusPanel);
}

mdifrmMain::~mdifrmMain() = default;

void mdifrmMain::showStatusPanel(int p)
{
    if (p >= 1 && p <= 3)
        panels_[static_cast<size_t>(p)]->setText(s_.view.statusPanel[static_cast<size_t>(p)]);
}

void mdifrmMain::SetSoftFace()
{
    // Also sets the three status panels; the captions are applied by name
    // once the menus and the toolbar exist.
    captions_ = qm::SetSoftFace(s_);
    setWindowTitle(captions_.title);
    for (int p = 1; p <= 3; ++p)
        showStatusPanel(p);
}

StartupOutcome mdifrmMain::Form_Load(StartupEnv& env)
{
    auto captions = env.applyCaptions;
    env.applyCaptions = [this, captions] {
        SetSoftFace();
        if (captions)
            captions();
    };
    const StartupOutcome outcome = RunStartup(s_, env);
    if (outcome == StartupOutcome::QuietExit)
        ExitQuery(s_, ui_); // answers Yes by itself: the program ends unseen
    return outcome;
}

void mdifrmMain::closeEvent(QCloseEvent* event)
{
    if (s_.view.AppExiting == 1 || ExitQuery(s_, ui_)) {
        // Child windows that were only hidden unload with the main window.
        for (auto* w : mdi_->subWindowList())
            w->close();
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace qm
