#include "desktop/mdifrmMain.h"

#include "comm/modPorts.h"
#include "desktop/frmAboutSoft.h"
#include "desktop/frmChMem.h"
#include "desktop/frmCommun.h"
#include "desktop/frmMemDat.h"
#include "desktop/frmPartFill.h"
#include "desktop/frmRadioInfo.h"
#include "desktop/frmShowErr.h"
#include "desktop/frmSysSet.h"
#include "desktop/frmToolCom.h"
#include "desktop/frmTreeView.h"
#include "desktop/uiIcons.h"
#include "desktop/uiLook.h"
#include "settings/SoftFaceTexts.h"
#include "channels/modChEdit.h"
#include "desktop/uiChannelUndo.h"
#include "shell/ChannelFiles.h"
#include "shell/RecentFiles.h"
#include "shell/modDataFile.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <cstdio>

namespace qm {

namespace {

using Command = void (mdifrmMain::*)();

// The menu tree. Rows are in menu order; a row with a parent is an item of
// that menu. "sep" puts a separator before the row (shown or hidden as
// sepVisible says). Captions come from the text table, except for the
// hidden View and Window menus, whose captions are the window's own.
struct MenuDef {
    const char* name;
    const char* parent; // null: a menu of the menu bar
    bool submenu;
    bool sep;
    bool sepVisible;
    const char* shortcut;
    bool visible;
    Command command;
};

constexpr MenuDef kMenus[] = {
    {"mnuFile", nullptr, true, false, false, "", true, nullptr},
    {"mnuFileNew", "mnuFile", false, false, false, "Ctrl+N", true, &mdifrmMain::NewFile},
    {"mnuFileOpen", "mnuFile", false, false, false, "Ctrl+O", true, &mdifrmMain::OpenFile},
    {"mnuFileSave", "mnuFile", false, false, false, "Ctrl+S", true, &mdifrmMain::SaveFile},
    {"mnuFileSaveAs", "mnuFile", false, false, false, "", true, &mdifrmMain::SaveAsFile},
    {"mnuImportCh", "mnuFile", false, true, true, "", true, &mdifrmMain::ImportChannels},
    {"mnuExportCh", "mnuFile", false, false, false, "", true, &mdifrmMain::ExportChannels},
    {"mnuPrintFile", "mnuFile", false, true, false, "Ctrl+P", false, nullptr},
    // The recent files; shown with their separator when there are any.
    {"mnuRecent1", "mnuFile", false, true, false, "", false, nullptr},
    {"mnuRecent2", "mnuFile", false, false, false, "", false, nullptr},
    {"mnuRecent3", "mnuFile", false, false, false, "", false, nullptr},
    {"mnuRecent4", "mnuFile", false, false, false, "", false, nullptr},
    {"mnuRecent5", "mnuFile", false, false, false, "", false, nullptr},
    {"mnuRecent6", "mnuFile", false, false, false, "", false, nullptr},
    {"mnuExit", "mnuFile", false, true, true, "", true, &mdifrmMain::ExitSoft},

    {"mnuProgram", nullptr, true, false, false, "", true, nullptr},
    {"mnuReadFre", "mnuProgram", false, false, false, "Ctrl+R", true, &mdifrmMain::ReadFre},
    {"mnuWriteFre", "mnuProgram", false, false, false, "Ctrl+W", true, &mdifrmMain::WriteFre},
    {"mnuReadWriteFre", "mnuProgram", false, true, false, "F2", false, &mdifrmMain::ReadWriteFre},
    {"mnuAddFre", "mnuProgram", false, true, false, "F7", false, nullptr},
    {"mnuTestMode", "mnuProgram", false, true, false, "Ctrl+T", false, nullptr},
    {"mnuTestFre", "mnuProgram", false, false, false, "", false, nullptr},
    {"mnuBatchTestVal", "mnuProgram", false, true, false, "Ctrl+B", false, nullptr},

    {"mnuOption", nullptr, true, false, false, "", false, nullptr},
    {"mnuModel", "mnuOption", false, false, false, "Ctrl+M", false, nullptr},
    {"mnuFunc", "mnuOption", false, true, false, "Ctrl+F", false, nullptr},
    {"mnuDtmf", "mnuOption", false, true, true, "", true, nullptr},
    {"mnuKeySet", "mnuOption", false, false, false, "", true, nullptr},
    {"mnuMcuVer", "mnuOption", false, true, false, "", false, nullptr},
    {"mnuChLock", "mnuOption", false, true, false, "Ctrl+L", true, &mdifrmMain::mnuChLock_Click},

    {"mnuSet", nullptr, true, false, false, "", true, nullptr},
    {"mnuCommunicate", "mnuSet", false, false, false, "", true, &mdifrmMain::Communicate},
    {"mnuLangSetting", "mnuSet", true, true, true, "", true, nullptr},
    // The language items are added to mnuLangSetting from kLanguageMenuItems.

    {"mnuView", nullptr, true, false, false, "", false, nullptr},
    {"mnuTreeView", "mnuView", false, false, false, "", true, &mdifrmMain::TreeView},
    {"mnuShowErr", "mnuView", false, false, false, "", true, &mdifrmMain::ShowErr},

    {"mnuWindow", nullptr, true, false, false, "", false, nullptr},

    {"mnuHelp", nullptr, true, false, false, "", true, nullptr},
    {"mnuHelpTopic", "mnuHelp", false, false, false, "F1", false, &mdifrmMain::Help},
    {"mnuAboutSoft", "mnuHelp", false, true, false, "", true, &mdifrmMain::AboutSoft},
};

// Captions of the hidden menus that the text table has no entry for.
struct DesignCaption {
    const char* name;
    const char* english;
    const char* chinese;
};
constexpr DesignCaption kDesignCaptions[] = {
    {"mnuImportCh", "&Import Channels...", "导入信道(&I)..."},
    {"mnuExportCh", "E&xport Channels...", "导出信道(&E)..."},
    {"mnuView", "&View", "视图(&V)"},
    {"mnuTreeView", "&Navigator", "导航栏(&N)"},
    {"mnuShowErr", "&Error List", "错误列表(&E)"},
    {"mnuWindow", "&Window", "窗口(&W)"},
};

// Toolbar: 16 positions; the others separate the groups.
struct ButtonDef {
    int position;
    const char* key;
};
constexpr ButtonDef kButtons[] = {
    {2, "FileNew"}, {4, "FileOpen"}, {5, "FileSave"}, {7, "Read"}, {8, "Write"},
    {10, "Com"},    {12, "Print"},   {14, "Help"},    {16, "Exit"},
};
constexpr int kToolbarPositions = 16;

// Sizes in twips.
constexpr int kMainWidthTwips = 14400;
constexpr int kMainHeightTwips = 10200;
constexpr int kNavigatorWidthTwips = 2700;
constexpr int kErrorPaneHeightTwips = 1800;
constexpr int kIconTwips = 360;
constexpr int kPanelTwips[4] = {0, 1800, 1350, 4500};

const QString kDesktopSection = QStringLiteral("Desktop");
const QString kGeometryKey = QStringLiteral("Geometry");
const QString kLayoutKey = QStringLiteral("Layout");
constexpr int kLayoutBuffer = 8192; // base64 of a few hundred bytes

QString designCaption(const char* name, int16_t language)
{
    for (const DesignCaption& d : kDesignCaptions)
        if (qstrcmp(d.name, name) == 0)
            return QString::fromUtf8(language == 1 ? d.chinese : d.english);
    return {};
}

// A pane's title: the caption of its menu item without the accelerator,
// in either form ("&Navigator", "导航栏(&N)").
QString paneTitle(const char* menuName, int16_t language)
{
    QString caption = designCaption(menuName, language);
    static const QRegularExpression kChineseAccel(QStringLiteral("\\(&.\\)$"));
    caption.remove(kChineseAccel);
    return captionWithoutAccelerator(caption);
}

void deleteWindow(QWidget*& w)
{
    if (!w)
        return;
    QWidget* doomed = w;
    // An MDI child goes with its frame.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(doomed->parentWidget()))
        doomed = frame;
    w = nullptr;
    delete doomed;
}

} // namespace

template <class Body>
void mdifrmMain::handler(const char* name, Body&& body)
{
    guarded(s_.errors, QStringLiteral("mdifrmMain->") + QLatin1String(name), std::forward<Body>(body));
}

mdifrmMain::mdifrmMain(AppState& s, UserInteraction& ui, QWidget* parent)
    : QMainWindow(parent), s_(s), ctx_(s, ui), mdi_(new QMdiArea(this)), tmrChLock_(new QTimer(this)),
      tmrChLockBlink_(new QTimer(this))
{
    setObjectName(QStringLiteral("mdifrmMain"));
    setWindowIcon(programIcon());
    // Dialogs and menus take the window's font.
    setAttribute(Qt::WA_WindowPropagation);
    mdi_->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(mdi_);
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
    // The navigator keeps the full height; the error list sits beside it.
    setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);

    ctx_.main = this;
    ctx_.showChild = [this](QWidget* w) { showChild(w); };
    ctx_.lockCommand = [this] { mnuChLock_Click(); };
    ctx_.lockCommandVisible = [this] {
        QAction* a = menuItem(QStringLiteral("mnuChLock"));
        return a && a->isVisible();
    };
    runDialog_ = [](QDialog& d) { return d.exec(); };

    buildMenus();
    buildToolbar();
    buildStatusBar();
    resize(twipsToPx(kMainWidthTwips, this), twipsToPx(kMainHeightTwips, this));

    tmrChLock_->setObjectName(QStringLiteral("tmrChLock"));
    tmrChLock_->setInterval(kChLockIntervalMs);
    connect(tmrChLock_, &QTimer::timeout, this, &mdifrmMain::tmrChLock_Timer);
    tmrChLock_->start();
    tmrChLockBlink_->setObjectName(QStringLiteral("tmrChLockBlink"));
    tmrChLockBlink_->setInterval(kChLockBlinkIntervalMs);
    connect(tmrChLockBlink_, &QTimer::timeout, this, &mdifrmMain::tmrChLockBlink_Timer);

    connect(&s_.view, &ViewState::statusPanelChanged, this, &mdifrmMain::showStatusPanel);
    // The first report creates the error pane; later ones bring it back
    // when the user has closed it.
    connect(&s_.errors, &ErrorList::changed, this, [this] {
        if (s_.view.AppExiting == 0 && !s_.errors.entries().empty())
            ShowErr();
    });
    // A new image starts a new undo history.
    connect(&s_.doc, &Document::changed, this, [this](Document::Change c) {
        if (c == Document::Change::Replaced)
            ctx_.undo.clear();
    });
    // The title's modified marker: every change a window makes to the
    // document is a step of the undo stack, so the document differs from
    // what was opened, saved or read exactly when the stack is away from its
    // clean state (a new image clears it, a save marks it clean).
    connect(&ctx_.undo, &QUndoStack::cleanChanged, this, [this](bool clean) { showModified(!clean); });
    // A data file dropped on the window is opened.
    setAcceptDrops(true);
}

mdifrmMain::~mdifrmMain()
{
    // The child windows go while the context they hold is still here.
    disconnect(&s_.errors, nullptr, this, nullptr);
    unloadChildWindows();
}

// ---------------------------------------------------------------- building

void mdifrmMain::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("mnuMain"));
    QHash<QString, QMenu*> menus;
    for (const MenuDef& d : kMenus) {
        const QString name = QString::fromLatin1(d.name);
        QMenu* parentMenu = d.parent ? menus.value(QString::fromLatin1(d.parent)) : nullptr;
        if (d.sep && parentMenu)
            parentMenu->addSeparator()->setVisible(d.sepVisible);
        QAction* action = nullptr;
        if (d.submenu) {
            auto* menu = parentMenu ? new QMenu(parentMenu) : new QMenu(bar);
            menu->setObjectName(name);
            if (parentMenu)
                parentMenu->addMenu(menu);
            else
                bar->addMenu(menu);
            menus.insert(name, menu);
            action = menu->menuAction();
        } else {
            action = parentMenu->addAction(QString());
            if (d.command)
                connect(action, &QAction::triggered, this, d.command);
        }
        action->setObjectName(name);
        if (*d.shortcut)
            action->setShortcut(QKeySequence(QString::fromLatin1(d.shortcut)));
        action->setVisible(d.visible);
    }

    // Settings > Language: Simplified Chinese, English, Traditional Chinese (hidden).
    QMenu* lang = menus.value(QStringLiteral("mnuLangSetting"));
    languageGroup_ = new QActionGroup(this);
    languageGroup_->setExclusive(true);
    for (const int i : {0, 2, 1}) {
        const LanguageMenuItem& item = kLanguageMenuItems[i];
        QAction* a = lang->addAction(QString());
        a->setObjectName(QString::fromLatin1(item.name));
        a->setCheckable(true);
        a->setVisible(item.visible);
        languageGroup_->addAction(a);
        const int16_t language = item.language;
        connect(a, &QAction::triggered, this, [this, language] { mnuLangSel_Click(language); });
    }
    menuItem(QStringLiteral("mnuChLock"))->setCheckable(true);
    connectRecentItems();
}

void mdifrmMain::showModified(bool modified)
{
    // An MDI child that is maximised hands its own modified state to the
    // frame, so every child window carries the document's state too.
    for (QMdiSubWindow* frame : mdi_->subWindowList()) {
        frame->setWindowModified(modified);
        if (QWidget* child = frame->widget())
            child->setWindowModified(modified);
    }
    setWindowModified(modified);
}

void mdifrmMain::connectRecentItems()
{
    for (int i = 1; i <= kMaxRecentFiles; ++i) {
        QAction* a = menuItem(QStringLiteral("mnuRecent%1").arg(i));
        connect(a, &QAction::triggered, this, [this, i] { openRecent(i); });
    }
    // The separator the table put before the first recent file.
    const QList<QAction*> items = menuBar()->findChild<QMenu*>(QStringLiteral("mnuFile"))->actions();
    const qsizetype first = items.indexOf(menuItem(QStringLiteral("mnuRecent1")));
    if (first > 0 && items[first - 1]->isSeparator()) {
        recentSeparator_ = items[first - 1];
        recentSeparator_->setObjectName(QStringLiteral("sepRecent"));
    }
}

void mdifrmMain::updateRecentMenu()
{
    const QStringList files = ReadRecentFiles(s_.settings);
    for (int i = 1; i <= kMaxRecentFiles; ++i) {
        QAction* a = menuItem(QStringLiteral("mnuRecent%1").arg(i));
        if (i > files.size()) {
            a->setVisible(false);
            a->setText(QString());
            a->setData(QVariant());
            continue;
        }
        const QString path = files[i - 1];
        // "&1 /folder/file.dat": a long path gives way in the middle.
        QString shown = elided(QDir::toNativeSeparators(printable(path)), 72);
        shown.replace(QLatin1Char('&'), QLatin1String("&&"));
        a->setText(QStringLiteral("&%1 %2").arg(i).arg(shown));
        a->setToolTip(QDir::toNativeSeparators(printable(path)));
        a->setStatusTip(a->toolTip());
        a->setData(path);
        a->setVisible(true);
    }
    if (recentSeparator_)
        recentSeparator_->setVisible(!files.isEmpty());
}

void mdifrmMain::rememberFile(const QString& path)
{
    QString why;
    if (!RememberRecentFile(s_.settings, path, &why))
        s_.errors.AddErrInfo(QStringLiteral("mdifrmMain->RecentFiles"),
                             Error{75, QStringLiteral("write settings file"),
                                   s_.settings.profile.path() + QStringLiteral(" [Desktop]"), why});
    updateRecentMenu();
}

void mdifrmMain::openRecent(int i)
{
    handler("mnuRecent_Click", [&] {
        QAction* a = menuItem(QStringLiteral("mnuRecent%1").arg(i));
        const QString path = a ? a->data().toString() : QString();
        if (path.isEmpty())
            return;
        if (!fileFacts(path).exists()) {
            QString why;
            ForgetRecentFile(s_.settings, path, &why);
            updateRecentMenu();
            ctx_.ui.message(winText(s_.settings, "%1 no longer exists; it has been taken off the list of recent files.",
                                    "%1 已不存在，已从最近打开的文件中删除。")
                                .arg(QDir::toNativeSeparators(printable(path))),
                            SoftFaceText(s_.settings, 70), MsgButtons::Ok, MsgIcon::Exclamation);
            return;
        }
        OpenDataFileNamed(path);
    });
}

void mdifrmMain::buildToolbar()
{
    toolbar_ = addToolBar(QString());
    toolbar_->setObjectName(QStringLiteral("tlbMdiFrmMain"));
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    const int icon = twipsToPx(kIconTwips, this);
    toolbar_->setIconSize(QSize(icon, icon));
    for (int pos = 1; pos <= kToolbarPositions; ++pos) {
        const ButtonDef* def = nullptr;
        for (const ButtonDef& b : kButtons)
            if (b.position == pos)
                def = &b;
        if (!def) {
            toolbar_->addSeparator();
            continue;
        }
        const QString key = QString::fromLatin1(def->key);
        QAction* a = toolbar_->addAction(toolbarIcon(key), QString());
        a->setObjectName(key);
        a->setData(key);
        connect(a, &QAction::triggered, this, [this, key] { tlbmdifrmMain_ButtonClick(key); });
        if (QWidget* button = toolbar_->widgetForAction(a))
            button->setObjectName(key);
    }
    // Help's menu item is hidden: F1 reaches the help through the button.
    toolButton(QStringLiteral("Help"))->setShortcut(QKeySequence(Qt::Key_F1));
}

void mdifrmMain::buildStatusBar()
{
    // sbrStatus: note, port, file name. The file name takes the spare width.
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("sbrStatus"));
    for (int p = 1; p <= 3; ++p) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("sbrStatusPanel%1").arg(p));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(twipsToPx(kPanelTwips[p], this));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        bar->addWidget(label, p == 3 ? 1 : 0);
        panels_[static_cast<size_t>(p)] = label;
    }
}

QAction* mdifrmMain::menuItem(const QString& name) const
{
    return menuBar()->findChild<QAction*>(name);
}

QAction* mdifrmMain::toolButton(const QString& key) const
{
    for (QAction* a : toolbar_->actions())
        if (a->data().toString() == key)
            return a;
    return nullptr;
}

// ---------------------------------------------------------------- status

void mdifrmMain::showStatusPanel(int p)
{
    if (p < 1 || p > 3)
        return;
    QLabel* panel = panels_[static_cast<size_t>(p)];
    panel->setText(s_.view.statusPanel[static_cast<size_t>(p)]);
    panel->setAccessibleName(panel->text());
    if (p == 2) {
        // Which cable "COM3" means on this computer.
        const QString device = PortDevicePath(s_.settings, s_.settings.COM);
        panel->setToolTip(device.isEmpty() ? panel->text() : panel->text() + QStringLiteral(": ") + device);
    } else if (p == 3) {
        panel->setToolTip(s_.view.currentPath);
    }
}

// ---------------------------------------------------------------- captions

void mdifrmMain::SetSoftFace()
{
    // Also sets the three status panels.
    captions_ = qm::SetSoftFace(s_);
    guarded(s_.errors, QStringLiteral("mdimoduMain->SetSoftFace"), [&] {
        const int16_t lang = s_.settings.Language;
        setFont(uiFont(s_.settings));
        // "[*]" is where the title shows "*" while the document has changes.
        setWindowTitle(captions_.title + QStringLiteral("[*]"));
        for (const MenuDef& d : kMenus) {
            const QString name = QString::fromLatin1(d.name);
            QString caption = designCaption(d.name, lang);
            if (caption.isEmpty())
                caption = captions_.menu(name);
            if (QAction* a = menuItem(name))
                a->setText(caption);
            if (d.submenu)
                if (auto* m = menuBar()->findChild<QMenu*>(name))
                    nameControl(m, name, caption);
        }
        for (const LanguageMenuItem& item : kLanguageMenuItems)
            menuItem(QString::fromLatin1(item.name))->setText(captions_.menu(QString::fromLatin1(item.name)));
        updateRecentMenu();
        for (const ButtonDef& b : kButtons) {
            const QString key = QString::fromLatin1(b.key);
            QAction* a = toolButton(key);
            a->setText(captions_.button(key));
            a->setToolTip(captionWithoutAccelerator(a->text()));
            if (QWidget* button = toolbar_->widgetForAction(a))
                nameControl(button, key, a->text());
        }
        nameControl(toolbar_, QStringLiteral("tlbMdiFrmMain"), captions_.title);
        toolbar_->setWindowTitle(captions_.title);
        if (treeDock_)
            treeDock_->setWindowTitle(paneTitle("mnuTreeView", lang));
        if (errDock_)
            errDock_->setWindowTitle(paneTitle("mnuShowErr", lang));
    });
    for (int p = 1; p <= 3; ++p)
        showStatusPanel(p);
}

void mdifrmMain::syncLanguageItems(int16_t language)
{
    const QString checked = checkedLanguageItem(language);
    for (const LanguageMenuItem& item : kLanguageMenuItems)
        menuItem(QString::fromLatin1(item.name))->setChecked(checked == QLatin1String(item.name));
}

// ---------------------------------------------------------------- start-up

StartupOutcome mdifrmMain::Form_Load(StartupEnv& env)
{
    const auto chain = [](std::function<void()> mine, std::function<void()> theirs) {
        return [mine, theirs] {
            mine();
            if (theirs)
                theirs();
        };
    };
    const auto checkLanguage = env.checkLanguageMenu;
    env.checkLanguageMenu = [this, checkLanguage](int language) {
        syncLanguageItems(static_cast<int16_t>(language));
        if (checkLanguage)
            checkLanguage(language);
    };
    env.dockNavigator = chain([this] { dockNavigator(); }, env.dockNavigator);
    env.applyCaptions = chain([this] { SetSoftFace(); }, env.applyCaptions);
    env.buildChildWindows = chain([this] { ensureChildWindows(); }, env.buildChildWindows);
    env.showRadioInfo = chain([this] { showChild(ctx_.w.radioInfo); }, env.showRadioInfo);
    if (!ctx_.prober)
        ctx_.prober = env.prober;
    // A settings file that cannot hold is shown in a message box, not only listed.
    if (!env.ui)
        env.ui = &ctx_.ui;

    const StartupOutcome outcome = RunStartup(s_, env);
    if (outcome == StartupOutcome::QuietExit) {
        ExitQuery(s_, ctx_.ui); // answers Yes by itself: the program ends unseen
        unloadChildWindows();
        return outcome;
    }
    restoreDesktopLayout();
    return outcome;
}

void mdifrmMain::dockNavigator()
{
    if (treeDock_)
        return;
    treeDock_ = new QDockWidget(this);
    treeDock_->setObjectName(QStringLiteral("tdockTreeView"));
    // The navigator cannot be closed: its menu item is hidden, so nothing
    // would bring it back.
    treeDock_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    treeDock_->setWindowTitle(paneTitle("mnuTreeView", s_.settings.Language));
    auto* tree = new frmTreeView(ctx_, treeDock_);
    treeDock_->setWidget(tree);
    ctx_.w.treeView = tree;
    addDockWidget(Qt::LeftDockWidgetArea, treeDock_);
    resizeDocks({treeDock_}, {twipsToPx(kNavigatorWidthTwips, this)}, Qt::Horizontal);
}

void mdifrmMain::ensureChildWindows()
{
    DesktopWindows& w = ctx_.w;
    // MDI children stay hidden in their frames until shown.
    const auto addChild = [this](QWidget* child) {
        QMdiSubWindow* frame = mdi_->addSubWindow(child);
        frame->setObjectName(child->objectName() + QStringLiteral("Frame"));
        frame->hide();
    };
    // Memory table and channel window first (start-up step 15), then the
    // other windows, each once.
    if (!w.memDat)
        addChild(w.memDat = new frmMemDat(ctx_));
    if (!w.chMem)
        addChild(w.chMem = new frmChMem(ctx_));
    if (!w.sysSet)
        addChild(w.sysSet = new frmSysSet(ctx_));
    if (!w.radioInfo)
        addChild(w.radioInfo = new frmRadioInfo(ctx_));
    if (!w.aboutSoft)
        w.aboutSoft = new frmAboutSoft(ctx_, this);
    if (!w.commun)
        w.commun = new frmCommun(ctx_, this);
    if (!w.toolCom)
        w.toolCom = new frmToolCom(ctx_, this);
    if (!w.partFill)
        w.partFill = new frmPartFill(ctx_, this);
}

void mdifrmMain::ensureErrorPane()
{
    if (errDock_)
        return;
    errDock_ = new QDockWidget(this);
    errDock_->setObjectName(QStringLiteral("tdockShowErr"));
    errDock_->setWindowTitle(paneTitle("mnuShowErr", s_.settings.Language));
    auto* pane = new frmShowErr(ctx_, errDock_);
    errDock_->setWidget(pane);
    ctx_.w.showErr = pane;
    addDockWidget(Qt::BottomDockWidgetArea, errDock_);
    // Where the user had put it last time, if anywhere.
    if (!restoreDockWidget(errDock_))
        resizeDocks({errDock_}, {twipsToPx(kErrorPaneHeightTwips, this)}, Qt::Vertical);
}

void mdifrmMain::showChild(QWidget* child)
{
    if (!child)
        return;
    auto* frame = qobject_cast<QMdiSubWindow*>(child->parentWidget());
    if (!frame)
        frame = mdi_->addSubWindow(child);
    child->show();
    frame->showMaximized();
    mdi_->setActiveSubWindow(frame);
}

// ---------------------------------------------------------------- exit

void mdifrmMain::closeEvent(QCloseEvent* event)
{
    if (ctx_.w.commun && ctx_.w.commun->transferRunning()) {
        event->ignore(); // the radio is being programmed: let it finish
        return;
    }
    if (s_.view.AppExiting != 1 && !ExitQuery(s_, ctx_.ui)) {
        event->ignore();
        return;
    }
    if (isVisible())
        saveDesktopLayout();
    unloadChildWindows();
    event->accept();
}

void mdifrmMain::unloadChildWindows()
{
    // The exit's order; none of them asks anything when AppExiting is 1.
    DesktopWindows& w = ctx_.w;
    QWidget* order[] = {w.treeView, w.sysSet, w.radioInfo, w.chMem, w.aboutSoft,
                        w.commun,   w.toolCom, w.showErr,  w.partFill, w.memDat};
    w = DesktopWindows{};
    for (QWidget*& window : order)
        deleteWindow(window);
}

void mdifrmMain::saveDesktopLayout()
{
    const ProfileFile& profile = s_.settings.profile;
    if (profile.path().isEmpty())
        return;
    QString why;
    const bool ok = profile.write(kDesktopSection, kGeometryKey, QString::fromLatin1(saveGeometry().toBase64()), &why) &&
                    profile.write(kDesktopSection, kLayoutKey, QString::fromLatin1(saveState().toBase64()), &why);
    if (!ok) // the program is ending: the terminal is the only place left to say so
        std::fprintf(stderr, "qm570: window layout not saved to %s: %s\n", qPrintable(profile.path()), qPrintable(why));
}

void mdifrmMain::restoreDesktopLayout()
{
    const ProfileFile& profile = s_.settings.profile;
    if (profile.path().isEmpty())
        return;
    // Anything that does not decode is ignored: the window keeps its size.
    const QByteArray geometry =
        QByteArray::fromBase64(profile.read(kDesktopSection, kGeometryKey, QString(), kLayoutBuffer).toLatin1());
    const QByteArray layout =
        QByteArray::fromBase64(profile.read(kDesktopSection, kLayoutKey, QString(), kLayoutBuffer).toLatin1());
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
    if (!layout.isEmpty())
        restoreState(layout);
    if (treeDock_)
        treeDock_->show(); // it cannot be closed, whatever the file says
}

void mdifrmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    // Floating panes go and come back with the main window.
    if (isMinimized()) {
        for (QDockWidget* dock : {treeDock_, errDock_})
            if (dock && dock->isFloating() && dock->isVisible()) {
                dock->hide();
                hiddenWhileMinimised_.append(dock);
            }
    } else {
        for (QWidget* dock : std::as_const(hiddenWhileMinimised_))
            dock->show();
        hiddenWhileMinimised_.clear();
    }
}

// ---------------------------------------------------------------- commands

void mdifrmMain::NewFile() { qm::NewFile(s_, ctx_.ui); }

void mdifrmMain::OpenFile()
{
    if (qm::OpenFile(s_, ctx_.ui))
        rememberFile(s_.view.currentPath);
}

void mdifrmMain::SaveFile()
{
    if (qm::SaveFile(s_, ctx_.ui))
        saved();
}

void mdifrmMain::SaveAsFile()
{
    if (qm::SaveAsFile(s_, ctx_.ui))
        saved();
}

void mdifrmMain::saved()
{
    // What is in the file now is the document: no changes to mark.
    ctx_.undo.setClean();
    rememberFile(s_.view.currentPath);
}

bool mdifrmMain::OpenDataFileNamed(const QString& path)
{
    if (!qm::OpenFileNamed(s_, ctx_.ui, path))
        return false;
    rememberFile(s_.view.currentPath);
    return true;
}

void mdifrmMain::ImportChannels()
{
    handler("ImportChannels", [&] {
        const QString name = ctx_.ui.openFileName(s_.view.currentPath, kChannelImportFilter);
        if (name.isEmpty())
            return;
        const QString title = SoftFaceText(s_.settings, 70);
        const QString shownName = QDir::toNativeSeparators(printable(name));
        if (ChannelLocked(s_)) {
            ctx_.ui.message(winText(s_.settings, "The channel interface is locked; unlock it to import channels.",
                                    "信道界面已锁定，解锁后才能导入信道。"),
                            title, MsgButtons::Ok, MsgIcon::Exclamation);
            return;
        }
        Error error;
        QStringList warnings;
        bool ok = false;
        // One undo step; the channel window repaints from the table.
        runChannelCommand(ctx_.undo, s_, s_.doc, captionWithoutAccelerator(menuItem(QStringLiteral("mnuImportCh"))->text()),
                          [&] { ok = ImportChannelFile(s_, name, &error, &warnings); }, nullptr);
        if (ctx_.w.chMem)
            showChild(ctx_.w.chMem);
        if (!ok) {
            ctx_.ui.message(winText(s_.settings, "No channel was imported from %1:\n%2", "未从 %1 导入任何信道：\n%2")
                                .arg(shownName, printable(error.reason.isEmpty() ? error.text() : error.reason)),
                            title, MsgButtons::Ok, MsgIcon::Critical);
            return;
        }
        if (!warnings.isEmpty())
            ctx_.ui.message(winText(s_.settings, "The channels of %1 were imported. The radio cannot use these frequencies:\n%2",
                                    "已导入 %1 的信道。以下频率超出对讲机的频段：\n%2")
                                .arg(shownName, warnings.mid(0, 10).join(QLatin1Char('\n'))),
                            title, MsgButtons::Ok, MsgIcon::Exclamation);
    });
}

void mdifrmMain::ExportChannels()
{
    handler("ExportChannels", [&] {
        const SaveDialogResult r = ctx_.ui.saveFileName(s_.view.currentPath, kChannelExportFilter, kCsvExt);
        if (r.fileName.isEmpty())
            return;
        Error error{75, QStringLiteral("export channels"), r.fileName, QStringLiteral("the name cannot be used")};
        const ChannelFileFormat format = r.filterIndex == 1 ? ChannelFileFormat::Chirp : ChannelFileFormat::Program;
        if (r.refused || QFileInfo(r.fileName).isDir() || !ExportChannelFile(s_, r.fileName, format, &error)) {
            const QString why = printable(error.reason.isEmpty() ? error.text() : error.reason);
            ctx_.ui.message(winText(s_.settings, "The channels were not exported to %1:\n%2", "信道未导出到 %1：\n%2")
                                .arg(QDir::toNativeSeparators(printable(r.fileName)), why),
                            SoftFaceText(s_.settings, 70), MsgButtons::Ok, MsgIcon::Critical);
        }
    });
}

// ---------------------------------------------------------------- drop

namespace {

// The first local data file (*.dat) among dropped URLs, or "".
QString droppedDataFile(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls())
        return {};
    for (const QUrl& url : mime->urls()) {
        const QString path = url.toLocalFile();
        if (!path.isEmpty() && path.endsWith(QStringLiteral(".dat"), Qt::CaseInsensitive))
            return path;
    }
    return {};
}

} // namespace

void mdifrmMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedDataFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void mdifrmMain::dragMoveEvent(QDragMoveEvent* event)
{
    if (!droppedDataFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void mdifrmMain::dropEvent(QDropEvent* event)
{
    const QString path = droppedDataFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // A transfer in progress owns the image.
    if (ctx_.w.commun && ctx_.w.commun->transferRunning())
        return;
    handler("dropEvent", [&] { OpenDataFileNamed(path); });
}

void mdifrmMain::ExitSoft()
{
    handler("ExitSoft", [&] { close(); });
}

void mdifrmMain::runDialog(QDialog* dialog)
{
    if (dialog)
        runDialog_(*dialog);
}

// The read/write dialog, opened on the form of mode.
void mdifrmMain::openCommun(const char* label, frmCommun::Mode mode)
{
    handler(label, [&] {
        ensureChildWindows();
        ctx_.w.commun->setMode(mode);
        runDialog(ctx_.w.commun);
    });
}

void mdifrmMain::ReadFre()
{
    openCommun("mnuReadFre_Click", frmCommun::Mode::Read);
}

void mdifrmMain::WriteFre()
{
    openCommun("mnuWriteFre_Click", frmCommun::Mode::Write);
}

void mdifrmMain::ReadWriteFre()
{
    openCommun("mnuReadWriteFre_Click", frmCommun::Mode::Keep);
}

void mdifrmMain::Communicate()
{
    handler("mnuCommunicate_Click", [&] {
        ensureChildWindows();
        runDialog(ctx_.w.toolCom);
        s_.view.setStatus(2, QStringLiteral("COM") + QString::number(s_.settings.COM));
    });
}

void mdifrmMain::Help()
{
    handler("Help", [&] {
        const QString file = HelpFilePath(s_.settings);
        // A missing help file is not worth a message: nothing happens.
        if (QFileInfo(file).isFile())
            QDesktopServices::openUrl(QUrl::fromLocalFile(file));
    });
}

void mdifrmMain::AboutSoft()
{
    handler("mnuAboutSoft_Click", [&] {
        ensureChildWindows();
        runDialog(ctx_.w.aboutSoft);
    });
}

void mdifrmMain::TreeView()
{
    handler("mnuTreeView_Click", [&] {
        dockNavigator();
        treeDock_->show();
        treeDock_->raise();
    });
}

void mdifrmMain::ShowErr()
{
    handler("mnuShowErr_Click", [&] {
        ensureErrorPane();
        errDock_->show();
        errDock_->raise();
    });
}

void mdifrmMain::mnuLangSel_Click(int16_t language)
{
    handler("mnuLangSel_Click", [&] {
        const bool restart = LanguageItemClicked(s_, ctx_.ui, language);
        // Checked: the new language once it is stored, else the one in force.
        syncLanguageItems(s_.settings.Language);
        if (restart)
            close();
    });
}

void mdifrmMain::syncBlinkTimer()
{
    if (!lock_.blinkEnabled)
        tmrChLockBlink_->stop();
    else if (!tmrChLockBlink_->isActive())
        tmrChLockBlink_->start();
}

void mdifrmMain::mnuChLock_Click()
{
    QAction* item = menuItem(QStringLiteral("mnuChLock"));
    handler("mnuChLock_Click", [&] {
        ChLockToggle(s_, lock_, [&](bool locked) {
            item->setChecked(locked);
            syncBlinkTimer();
            if (ctx_.w.chMem)
                ctx_.w.chMem->setLocked(locked);
        });
    });
    // The check mark follows the lock even when storing it failed.
    item->setChecked(lock_.checked);
    syncBlinkTimer();
}

void mdifrmMain::tmrChLock_Timer()
{
    handler("tmrChLock_Timer", [&] { ChLockTick(s_, lock_); });
    syncBlinkTimer();
}

void mdifrmMain::tmrChLockBlink_Timer()
{
    handler("tmrChLockBlink_Timer", [&] { ChLockBlinkTick(s_, lock_); });
    syncBlinkTimer();
}

void mdifrmMain::tlbmdifrmMain_ButtonClick(const QString& key)
{
    handler("tlbmdifrmMain_ButtonClick", [&] {
        if (key == QLatin1String("FileNew"))
            NewFile();
        else if (key == QLatin1String("FileOpen"))
            OpenFile();
        else if (key == QLatin1String("FileSave"))
            SaveFile();
        else if (key == QLatin1String("Read"))
            ReadFre();
        else if (key == QLatin1String("Write"))
            WriteFre();
        else if (key == QLatin1String("Com"))
            Communicate();
        else if (key == QLatin1String("Help"))
            Help();
        else if (key == QLatin1String("Exit"))
            ExitSoft();
        // "Print" does nothing, as the hidden Print menu item.
    });
}

} // namespace qm
