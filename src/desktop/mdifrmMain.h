// The main window: an MDI frame whose load runs the start-up and whose close
// runs the exit query. Menus, toolbar and child windows are added by their
// own commands.
#pragma once

#include "shell/AppState.h"
#include "shell/mdimoduMain.h"
#include "shell/UserInteraction.h"
#include "shell/modStartup.h"

#include <QMainWindow>
#include <array>

class QLabel;
class QMdiArea;

namespace qm {

class mdifrmMain : public QMainWindow {
    Q_OBJECT
public:
    mdifrmMain(AppState& s, UserInteraction& ui, QWidget* parent = nullptr);
    ~mdifrmMain() override;

    // Runs the start-up with this window's steps filled into env.
    StartupOutcome Form_Load(StartupEnv& env);

    // Applies the UI texts the window shows (title, status panels).
    void SetSoftFace();

    QMdiArea* mdiArea() const { return mdi_; }
    // Status panel p (1..3).
    QLabel* statusPanel(int p) const { return panels_[static_cast<size_t>(p)]; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showStatusPanel(int p);

    AppState& s_;
    UserInteraction& ui_;
    QMdiArea* mdi_;
    std::array<QLabel*, 4> panels_{};
    MainCaptions captions_;
};

} // namespace qm
