// The main window: an MDI frame whose load runs the start-up and whose close
// runs the exit query. It carries the menus, the toolbar tlbMdiFrmMain, the
// three-panel status bar sbrStatus, the channel-lock command with its two
// timers, the docked navigator (left) and error list (bottom), and creates
// every child window once; a child window the user closes is only hidden
// until the exit has been confirmed.
#pragma once

#include "desktop/DesktopContext.h"
#include "desktop/frmCommun.h"
#include "shell/AppState.h"
#include "shell/mdimoduMain.h"
#include "shell/modMainCmd.h"
#include "shell/modStartup.h"
#include "shell/UserInteraction.h"

#include <QMainWindow>
#include <QStringList>

#include <array>
#include <functional>

class QAction;
class QActionGroup;
class QDialog;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMenu;
class QTimer;
class QToolBar;

namespace qm {

class mdifrmMain : public QMainWindow {
    Q_OBJECT
public:
    mdifrmMain(AppState& s, UserInteraction& ui, QWidget* parent = nullptr);
    ~mdifrmMain() override;

    // The context every child window works with (set its prober and link
    // factory before Form_Load).
    DesktopContext& context() { return ctx_; }

    // Runs the start-up with this window's steps filled into env: language
    // item checked (4), navigator docked (10), captions (14), child windows
    // created (15), radio information shown (18); then the remembered window
    // layout is restored. Steps env already carries run as well.
    StartupOutcome Form_Load(StartupEnv& env);

    // Applies the UI texts to the main window: menus, toolbar, title, status
    // panels, and the UI font.
    void SetSoftFace();

    // Commands of the menus and the toolbar.
    void NewFile();
    void OpenFile();
    void SaveFile();
    void SaveAsFile();
    // File > Open without the dialog: the recent files, a file given on the
    // command line or dropped on the window. True when it was opened.
    bool OpenDataFileNamed(const QString& path);
    // File > Import Channels: a CSV file (the program's own or CHIRP's)
    // into the channel table, as one undo step.
    void ImportChannels();
    // File > Export Channels: the channel table as the program's own CSV or
    // CHIRP CSV, as the save dialog's filter says.
    void ExportChannels();
    void ExitSoft();                     // closes the window: the exit query runs
    void ReadFre();                      // read/write dialog, Read button
    void WriteFre();                     // read/write dialog, Write button
    void ReadWriteFre();                 // read/write dialog as it is
    void Communicate();                  // port dialog, then status panel 2
    void Help();                         // help file of the language
    void AboutSoft();                    // about box, modal
    void TreeView();                     // shows the navigator pane
    void ShowErr();                      // shows the error list pane (creating it)
    void mnuLangSel_Click(int16_t language);
    void mnuChLock_Click();
    void tlbmdifrmMain_ButtonClick(const QString& key);

    // Timer handlers (public so a test can tick them without waiting).
    void tmrChLock_Timer();
    void tmrChLockBlink_Timer();
    QTimer* tmrChLock() const { return tmrChLock_; }
    QTimer* tmrChLockBlink() const { return tmrChLockBlink_; }
    const ChLockIndicator& chLock() const { return lock_; }

    QMdiArea* mdiArea() const { return mdi_; }
    // Status panel p (1..3).
    QLabel* statusPanel(int p) const { return panels_[static_cast<size_t>(p)]; }
    // A menu item (or a menu's own item) by its name, e.g. "mnuFileOpen".
    QAction* menuItem(const QString& name) const;
    // A toolbar button by its key, e.g. "FileOpen".
    QAction* toolButton(const QString& key) const;
    QToolBar* tlbMdiFrmMain() const { return toolbar_; }
    QDockWidget* treeViewPane() const { return treeDock_; }
    QDockWidget* errorPane() const { return errDock_; }

    // The modal dialogs (read/write, port, about) run through this; exec()
    // unless a test puts something else in.
    using DialogRunner = std::function<int(QDialog&)>;
    void setDialogRunner(DialogRunner run) { runDialog_ = std::move(run); }

    // Section "Desktop" of the settings file: window geometry and the layout
    // of toolbar and panes, written at the exit, read after the start-up.
    void saveDesktopLayout();
    void restoreDesktopLayout();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Recent files: the File menu's items mnuRecent1.. from section Desktop.
    void connectRecentItems();
    void updateRecentMenu();
    void rememberFile(const QString& path);
    void openRecent(int i);
    // After a successful save: clean undo stack, recent files.
    void saved();
    // The title's modified marker, on the main window and its MDI children.
    void showModified(bool modified);

    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    void showStatusPanel(int p);
    void syncLanguageItems(int16_t language);
    void syncBlinkTimer();
    void dockNavigator();
    void ensureChildWindows();
    void ensureErrorPane();
    void showChild(QWidget* child);
    void unloadChildWindows();
    void runDialog(QDialog* dialog);
    void openCommun(const char* label, frmCommun::Mode mode);
    // Runs body under the error label "mdifrmMain->" + name.
    template <class Body>
    void handler(const char* name, Body&& body);

    AppState& s_;
    DesktopContext ctx_;
    QMdiArea* mdi_;
    QToolBar* toolbar_ = nullptr;
    QDockWidget* treeDock_ = nullptr;
    QDockWidget* errDock_ = nullptr;
    std::array<QLabel*, 4> panels_{};
    QActionGroup* languageGroup_ = nullptr;
    QAction* recentSeparator_ = nullptr;
    QTimer* tmrChLock_;
    QTimer* tmrChLockBlink_;
    ChLockIndicator lock_;
    MainCaptions captions_;
    DialogRunner runDialog_;
    QList<QWidget*> hiddenWhileMinimised_;
};

} // namespace qm
