// The main window driven as a user drives it: start-up and exit, menus,
// toolbar, status bar, the channel lock and its timers, the language switch,
// the window layout and the file commands.
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
#include "desktop/mdifrmMain.h"
#include "desktop/uiLook.h"
#include "desktop/uiChannelGrid.h"
#include "desktop/uiQtInteraction.h"
#include "channels/modChirpCsv.h"

#include "support/SimProcess.h"
#include "support/window/ShellWindow.h"

#include <QAction>
#include <QDesktopServices>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <gtest/gtest.h>

using namespace qm;
using namespace qmtest;

namespace {

// Receives the desktop's "open" requests for files instead of the desktop.
class OpenRequests : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class MainWindowTest : public ::testing::Test {
protected:
    ProgramFolder home;
    void SetUp() override
    {
        QString why;
        ASSERT_TRUE(home.create(3, &why)) << why.toStdString();
    }
    QString defaultPath() const { return home.path() + QStringLiteral("/Data/Untitled.dat"); }
};

// The visible items of a menu, separators as "-".
QStringList visibleItems(const QMenu* menu)
{
    QStringList out;
    for (const QAction* a : menu->actions())
        if (a->isVisible())
            out << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    return out;
}

// Types text into cell (r, c) of the channel window, as a user does.
void typeIntoGrid(MainWindowRun& run, int r, int c, const QString& text)
{
    frmChMem* ch = run.ctx().w.chMem;
    run.ctx().showChild(ch);
    ChannelGridView* grid = ch->grid();
    grid->setCurrentIndex(grid->model()->index(r - 1, c - 1));
    grid->setFocus();
    QTest::keyClick(grid, text[0].toLatin1());
    QLineEdit* editor = nullptr; // the open one: a closed editor lingers until deleted
    for (auto* e : grid->viewport()->findChildren<QLineEdit*>(QStringLiteral("vsfgGridChText")))
        editor = e->isVisible() ? e : editor;
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
}

QStringList recentItems(const mdifrmMain& w)
{
    QStringList items;
    for (int i = 1; i <= 6; ++i) {
        QAction* a = w.menuItem(QStringLiteral("mnuRecent%1").arg(i));
        if (a && a->isVisible())
            items << a->text();
    }
    return items;
}

// Drags a file onto the window and drops it there when the window takes it.
bool dropFile(mdifrmMain& w, const QString& path)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at = w.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(&w, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &drop);
    return true;
}

} // namespace

TEST_F(MainWindowTest, FirstAndSecondStartOfAProgramFolder)
{
    // No settings file: the first start only creates it and ends unseen.
    QTemporaryDir fresh;
    ASSERT_TRUE(writeFile(fresh.filePath(QStringLiteral("Kelvex.exe")), deliveredTemplate()));
    {
        MainWindowRun run(fresh.path());
        EXPECT_EQ(run.start(), StartupOutcome::QuietExit);
        EXPECT_FALSE(run.w->isVisible());
        EXPECT_EQ(run.ctx().w.chMem, nullptr);
        EXPECT_TRUE(run.ui.shown.empty());
    }
    // Second start on a Chinese system: language detection, port choice,
    // and the windows come up in the start-up's order.
    MainWindowRun run(fresh.path());
    QStringList order;
    StartupEnv env;
    const auto note = [&](const QString& step, QWidget* created) { order << step + (created ? "+" : "-"); };
    env.dockNavigator = [&] { note(QStringLiteral("navigator"), run.ctx().w.chMem); };
    env.applyCaptions = [&] { note(QStringLiteral("captions"), run.ctx().w.treeView); };
    env.buildChildWindows = [&] { note(QStringLiteral("windows"), run.ctx().w.chMem); };
    env.showRadioInfo = [&] { note(QStringLiteral("radioInfo"), run.ctx().w.radioInfo); };
    ASSERT_EQ(run.start(kLocaleChinesePrc, env), StartupOutcome::Running);
    EXPECT_EQ(order, (QStringList{"navigator-", "captions+", "windows+", "radioInfo+"}));
    // The maximised child's caption joins the title, as in every MDI frame.
    EXPECT_EQ(run.w->windowTitle(), QStringLiteral("QM570写频软件[*] - [QM570]"));
    EXPECT_TRUE(run.w->menuItem(QStringLiteral("mnuLangSel0"))->isChecked());
    EXPECT_EQ(run.w->dockWidgetArea(run.w->treeViewPane()), Qt::LeftDockWidgetArea);
    EXPECT_EQ(run.w->treeViewPane()->widget(), run.ctx().w.treeView);
    QMdiSubWindow* active = run.w->mdiArea()->activeSubWindow();
    ASSERT_NE(active, nullptr);
    EXPECT_EQ(active->widget(), run.ctx().w.radioInfo);
    EXPECT_TRUE(active->isMaximized());
}

TEST_F(MainWindowTest, MenusAndToolbarCaptionsInEveryLanguage)
{
    struct Row { const char* name; const char* parent; const char* english; const char* chinese; const char* shortcut; bool visible; };
    const Row rows[] = {
        {"mnuFile", nullptr, "&File", "文件(&F)", "", true},
        {"mnuFileNew", "mnuFile", "&New", "新建(&N)", "Ctrl+N", true},
        {"mnuFileOpen", "mnuFile", "&Open", "打开(&O)", "Ctrl+O", true},
        {"mnuFileSave", "mnuFile", "&Save", "保存(&S)", "Ctrl+S", true},
        {"mnuFileSaveAs", "mnuFile", "S&ave As", "另存为(&A)", "", true},
        {"mnuImportCh", "mnuFile", "&Import Channels...", "导入信道(&I)...", "", true},
        {"mnuExportCh", "mnuFile", "E&xport Channels...", "导出信道(&E)...", "", true},
        {"mnuPrintFile", "mnuFile", "&Print", "打印(&P)", "Ctrl+P", false},
        {"mnuExit", "mnuFile", "&Exit", "退出(&Q)", "", true},
        {"mnuProgram", nullptr, "&Program", "编程(&P)", "", true},
        {"mnuReadFre", "mnuProgram", "&Read", "读频(&R)", "Ctrl+R", true},
        {"mnuWriteFre", "mnuProgram", "&Write", "写频(&W)", "Ctrl+W", true},
        {"mnuReadWriteFre", "mnuProgram", "&Auto Read/Write Radio", "自动读写频率(&F)", "F2", false},
        {"mnuAddFre", "mnuProgram", "&Additional frq. range", "可选频段(&A)", "F7", false},
        {"mnuTestMode", "mnuProgram", "&Test Mode", "测试模式(&T)", "Ctrl+T", false},
        {"mnuTestFre", "mnuProgram", "&Test Frequency", "测试频率(&F)", "", false},
        {"mnuBatchTestVal", "mnuProgram", "&Batch Write Test Data", "批写测试数据(&B)", "Ctrl+B", false},
        {"mnuOption", nullptr, "&Option", "选项(&O)", "", false},
        {"mnuModel", "mnuOption", "&Model", "机型(&M)", "Ctrl+M", false},
        {"mnuFunc", "mnuOption", "Optional &Feature", "可选功能(&F)", "Ctrl+F", false},
        {"mnuDtmf", "mnuOption", "&DTMF", "DTMF(双音多频)(&D)", "", true},
        {"mnuKeySet", "mnuOption", "&Key Assignment", "键设定(&K)", "", true},
        {"mnuMcuVer", "mnuOption", "&Radio Version", "对讲机版本(&V)", "", false},
        {"mnuChLock", "mnuOption", "&Lock Channel Interface", "锁定信道界面(&L)", "Ctrl+L", true},
        {"mnuSet", nullptr, "&Settings", "设置(&S)", "", true},
        {"mnuCommunicate", "mnuSet", "&Communication Port", "通信端口(&P)", "", true},
        {"mnuLangSetting", "mnuSet", "&Language Settings", "语言设置(&L)", "", true},
        {"mnuLangSel0", "mnuLangSetting", "&Simplified Chinese", "中文简体(&C)", "", true},
        {"mnuLangSel2", "mnuLangSetting", "&English", "English(&E)", "", true},
        {"mnuLangSel1", "mnuLangSetting", "Traditional Chinese", "中文繁体(&T)", "", false},
        {"mnuView", nullptr, "&View", "视图(&V)", "", false},
        {"mnuTreeView", "mnuView", "&Navigator", "导航栏(&N)", "", true},
        {"mnuShowErr", "mnuView", "&Error List", "错误列表(&E)", "", true},
        {"mnuWindow", nullptr, "&Window", "窗口(&W)", "", false},
        {"mnuHelp", nullptr, "&Help", "帮助(&H)", "", true},
        {"mnuHelpTopic", "mnuHelp", "Help &Topic", "帮助主题(&T)", "F1", false},
        {"mnuAboutSoft", "mnuHelp", "&About", "关于(&A)", "", true},
    };
    // Traditional Chinese has no texts of its own: its windows show English.
    for (const int language : {3, 1, 2}) {
        SCOPED_TRACE(language);
        ProgramFolder folder;
        QString why;
        ASSERT_TRUE(folder.create(language, &why)) << why.toStdString();
        MainWindowRun run(folder.path());
        ASSERT_EQ(run.start(), StartupOutcome::Running);
        QMenuBar* bar = run.w->menuBar();
        const auto menu = [&](const char* name) { return bar->findChild<QMenu*>(QLatin1String(name)); };
        for (const Row& r : rows) {
            SCOPED_TRACE(r.name);
            QAction* a = run.w->menuItem(QLatin1String(r.name));
            ASSERT_NE(a, nullptr);
            EXPECT_EQ(a->text(), QString::fromUtf8(language == 1 ? r.chinese : r.english));
            EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(r.shortcut)));
            EXPECT_EQ(a->isVisible(), r.visible);
            ASSERT_NE(menu(r.parent ? r.parent : r.name), nullptr);
            EXPECT_TRUE((r.parent ? menu(r.parent)->actions() : bar->actions()).contains(a));
            if (!r.parent) {
                EXPECT_EQ(menu(r.name)->accessibleName(), captionWithoutAccelerator(a->text()));
            }
        }
        // What the user sees, separators included.
        QStringList shownMenus;
        for (QAction* a : bar->actions())
            if (a->isVisible())
                shownMenus << a->objectName();
        EXPECT_EQ(shownMenus, (QStringList{"mnuFile", "mnuProgram", "mnuSet", "mnuHelp"}));
        EXPECT_EQ(visibleItems(menu("mnuFile")), (QStringList{"mnuFileNew", "mnuFileOpen", "mnuFileSave", "mnuFileSaveAs", "-",
                                                              "mnuImportCh", "mnuExportCh", "-", "mnuExit"}));
        EXPECT_EQ(visibleItems(menu("mnuProgram")), (QStringList{"mnuReadFre", "mnuWriteFre"}));
        EXPECT_EQ(visibleItems(menu("mnuOption")), (QStringList{"-", "mnuDtmf", "mnuKeySet", "mnuChLock"}));
        EXPECT_EQ(visibleItems(menu("mnuSet")), (QStringList{"mnuCommunicate", "-", "mnuLangSetting"}));
        EXPECT_EQ(visibleItems(menu("mnuLangSetting")), (QStringList{"mnuLangSel0", "mnuLangSel2"}));
        EXPECT_EQ(visibleItems(menu("mnuHelp")), (QStringList{"mnuAboutSoft"}));
        // The toolbar's captions come from the same table; each button is
        // named for its key and reads its caption to assistive tools.
        QStringList captions;
        for (const char* key : {"FileNew", "FileOpen", "FileSave", "Read", "Write", "Com", "Print", "Help", "Exit"}) {
            QAction* a = run.w->toolButton(QLatin1String(key));
            QWidget* button = run.w->tlbMdiFrmMain()->widgetForAction(a);
            EXPECT_EQ(button->objectName(), QLatin1String(key));
            EXPECT_EQ(button->accessibleName(), a->text());
            captions << a->text();
        }
        EXPECT_EQ(captions, (language == 1 ? QStringList{"新建", "打开", "保存", "读频", "写频", "串口", "打印", "帮助", "退出"}
                                           : QStringList{"New", "Open", "Save", "Read", "Write", "Port", "Print", "Help", "Exit"}));
    }
}

TEST_F(MainWindowTest, ToolbarButtonsStandAtTheirPositionsAndRunTheirCommands)
{
    ASSERT_TRUE(home.setSetting(QStringLiteral("Port1"), QStringLiteral("/dev/pts/7")));
    MainWindowRun run(home.path());
    ASSERT_EQ(run.start(), StartupOutcome::Running);
    EXPECT_EQ(run.w->statusPanel(2)->toolTip(), QStringLiteral("COM1: /dev/pts/7")); // the port panel tells the device
    QToolBar* bar = run.w->tlbMdiFrmMain();
    ASSERT_EQ(bar->objectName(), QStringLiteral("tlbMdiFrmMain"));
    QStringList positions; // separators as ""
    for (const QAction* a : bar->actions())
        positions << (a->isSeparator() ? QString() : a->data().toString());
    EXPECT_EQ(positions, (QStringList{"", "FileNew", "", "FileOpen", "FileSave", "", "Read", "Write", "", "Com", "", "Print", "",
                                      "Help", "", "Exit"}));
    QFile help(home.file(QStringLiteral("EngHelp.CHM")));
    ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    help.close();
    OpenRequests opened;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");

    // question: asked, answered No; dialog: modal dialog run
    struct Case { const char* key; const char* question; const char* dialog; bool openDialog; bool helpOpened; };
    const Case cases[] = {
        {"FileNew", "All data will be cleared,continue?", "", false, false},
        {"FileOpen", "", "", true, false},
        {"FileSave", "TempData has changed,Do you want to save it now?", "", false, false},
        {"Read", "", "frmCommun", false, false},
        {"Write", "", "frmCommun", false, false},
        {"Com", "", "frmToolCom", false, false},
        {"Print", "", "", false, false},
        {"Help", "", "", false, true},
        {"Exit", "Are you sure want to exit?", "", false, false},
    };
    const auto imageBefore = run.s->doc.IicDat;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        run.ui.shown.clear();
        run.ui.openStarts.clear();
        run.dialogsRun.clear();
        opened.urls.clear();
        run.s->settings.COM = 5; // the port dialog's choice, shown after it closes
        QTest::mouseClick(bar->widgetForAction(run.w->toolButton(QLatin1String(c.key))), Qt::LeftButton);

        ASSERT_EQ(run.ui.shown.size(), *c.question ? 1u : 0u);
        if (*c.question) {
            EXPECT_EQ(run.ui.shown[0].prompt, QString::fromUtf8(c.question));
        }
        EXPECT_EQ(run.dialogsRun, *c.dialog ? QStringList{c.dialog} : QStringList());
        EXPECT_EQ(run.ui.openStarts, c.openDialog ? QStringList{defaultPath()} : QStringList());
        EXPECT_EQ(opened.urls, c.helpOpened ? QList<QUrl>{QUrl::fromLocalFile(help.fileName())} : QList<QUrl>());
        EXPECT_EQ(run.w->statusPanel(2)->text(), QString::fromLatin1(qstrcmp(c.key, "Com") ? "COM1" : "COM5"));
        if (qstrcmp(c.key, "Com") == 0)
            run.s->view.setStatus(2, QStringLiteral("COM1"));
    }
    EXPECT_TRUE(run.w->isVisible());
    EXPECT_EQ(run.s->doc.IicDat, imageBefore);
    EXPECT_TRUE(run.s->errors.entries().empty());

    // Without the file, Help asks nothing and opens nothing.
    help.remove();
    run.ui.shown.clear();
    run.w->Help();
    EXPECT_TRUE(opened.urls.isEmpty());
    EXPECT_TRUE(run.ui.shown.empty());
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

TEST_F(MainWindowTest, ChannelLockAndItsTwoTimers)
{
    MainWindowRun run(home.path());
    ASSERT_EQ(run.start(), StartupOutcome::Running);
    mdifrmMain& w = *run.w;
    QAction* lock = w.menuItem(QStringLiteral("mnuChLock"));
    QLabel* note = w.statusPanel(1);
    EXPECT_EQ(w.tmrChLock()->interval(), 30000);
    EXPECT_TRUE(w.tmrChLock()->isActive());
    EXPECT_EQ(w.tmrChLockBlink()->interval(), 5000);
    EXPECT_FALSE(w.tmrChLockBlink()->isActive() || lock->isChecked());
    EXPECT_TRUE(run.ctx().lockCommandVisible());

    // Lock, then unlock at once from the channel grid's popup (the same command).
    lock->trigger();
    EXPECT_TRUE(lock->isChecked());
    EXPECT_EQ(run.s->view.ChLockState, QStringLiteral("ShowLock"));
    EXPECT_EQ(note->text(), QStringLiteral("Interface Locked"));
    EXPECT_EQ(home.setting(QStringLiteral("ChannelLock")), QStringLiteral("ShowLock"));
    run.ctx().lockCommand();
    EXPECT_FALSE(lock->isChecked() || w.tmrChLockBlink()->isActive());
    EXPECT_EQ(run.s->view.ChLockState, QStringLiteral("ShowNo"));
    EXPECT_EQ(note->text(), QStringLiteral("Ready"));
    EXPECT_EQ(home.setting(QStringLiteral("ChannelLock")), QStringLiteral("ShowNo"));

    // Lock while the panel shows another note: replaced at once; the timers
    // leave other notes alone and blink only once "Ready" was seen.
    run.s->view.setStatus(1, QStringLiteral("Printing"));
    lock->trigger();
    EXPECT_EQ(note->text(), QStringLiteral("Interface Locked"));
    run.s->view.setStatus(1, QStringLiteral("Printing"));
    w.tmrChLock_Timer();
    EXPECT_EQ(note->text(), QStringLiteral("Printing"));
    EXPECT_FALSE(w.tmrChLockBlink()->isActive());
    run.s->view.setStatus(1, QStringLiteral("Ready"));
    w.tmrChLock_Timer();
    EXPECT_EQ(note->text(), QStringLiteral("Interface Locked"));
    EXPECT_TRUE(w.tmrChLockBlink()->isActive());
    QStringList blinks;
    for (int k = 0; k < 4; ++k) {
        w.tmrChLockBlink_Timer();
        blinks << note->text();
    }
    EXPECT_EQ(blinks, (QStringList{"Interface Locked", "Ready", "Interface Locked", "Ready"}));
    run.s->view.setStatus(1, QStringLiteral("Printing"));
    w.tmrChLockBlink_Timer();
    EXPECT_EQ(note->text(), QStringLiteral("Printing"));

    // The lock does not survive the window.
    MainWindowRun next(home.path());
    ASSERT_EQ(next.start(), StartupOutcome::Running);
    EXPECT_FALSE(next.w->menuItem(QStringLiteral("mnuChLock"))->isChecked());
    EXPECT_TRUE(next.s->view.ChLockState.isEmpty());
}

// A session that changes the layout and the language, refuses to exit once,
// then exits without saving; the next start has the layout and the language.
TEST_F(MainWindowTest, LanguageSwitchAndExitAndTheNextStart)
{
    {
        MainWindowRun run(home.path());
        ASSERT_EQ(run.start(), StartupOutcome::Running);
        run.w->resize(720, 540);
        run.w->addDockWidget(Qt::RightDockWidgetArea, run.w->treeViewPane());
        run.w->ShowErr(); // every window exists
        QApplication::processEvents();
        DesktopWindows& w = run.ctx().w;
        QStringList unloaded;
        const QList<QWidget*> windows = {w.treeView, w.sysSet,  w.radioInfo, w.chMem,    w.aboutSoft,
                                         w.commun,   w.toolCom, w.showErr,   w.partFill, w.memDat};
        for (QWidget* window : windows) {
            ASSERT_NE(window, nullptr);
            QObject::connect(window, &QObject::destroyed, [&unloaded, name = window->objectName()] { unloaded << name; });
        }
        run.s->doc.IicDat[0x20] ^= 0xFF; // an unsaved change

        // The language in force: nothing happens, nothing is written.
        QAction* chinese = run.w->menuItem(QStringLiteral("mnuLangSel0"));
        QAction* english = run.w->menuItem(QStringLiteral("mnuLangSel2"));
        const QByteArray before = readFile(home.file(QStringLiteral("Uninstall.exe")));
        english->trigger();
        EXPECT_TRUE(english->isChecked());
        EXPECT_TRUE(run.ui.shown.empty());
        EXPECT_EQ(readFile(home.file(QStringLiteral("Uninstall.exe"))), before);

        // Chinese, exit answered No: English menus stay, the Chinese item is
        // checked and stored for the next start.
        run.ui.answers = {MsgAnswer::No};
        chinese->trigger();
        ASSERT_EQ(run.ui.shown.size(), 2u);
        EXPECT_EQ(run.ui.shown[0].prompt, QStringLiteral("Language has changed, you need to restart the software."));
        EXPECT_EQ(run.ui.shown[0].title, QStringLiteral("Message"));
        EXPECT_EQ(run.ui.shown[0].buttons, MsgButtons::Ok);
        EXPECT_EQ(run.ui.shown[1].prompt, QStringLiteral("Are you sure want to exit?"));
        EXPECT_TRUE(chinese->isChecked() && !english->isChecked());
        EXPECT_EQ(run.w->menuItem(QStringLiteral("mnuFile"))->text(), QStringLiteral("&File"));
        EXPECT_EQ(home.setting(QStringLiteral("Language")), QStringLiteral("1"));

        // File > Exit answered No keeps everything; Yes unloads the windows in order without saving.
        run.ui.answers = {MsgAnswer::No};
        run.w->menuItem(QStringLiteral("mnuExit"))->trigger();
        EXPECT_TRUE(run.w->isVisible() && w.radioInfo->isVisible());
        EXPECT_EQ(run.s->view.AppExiting, 0);
        EXPECT_TRUE(unloaded.isEmpty());
        ASSERT_EQ(run.ui.shown.size(), 3u);
        EXPECT_EQ(run.ui.shown[2].prompt, QStringLiteral("Are you sure want to exit?"));
        EXPECT_EQ(run.ui.shown[2].title, QStringLiteral("Notice"));
        EXPECT_EQ(run.ui.shown[2].buttons, MsgButtons::YesNo);
        EXPECT_EQ(run.ui.shown[2].icon, MsgIcon::Question);
        run.ui.answers = {MsgAnswer::Yes};
        run.w->menuItem(QStringLiteral("mnuExit"))->trigger();
        EXPECT_FALSE(run.w->isVisible());
        EXPECT_EQ(run.s->view.AppExiting, 1);
        EXPECT_EQ(unloaded, (QStringList{"frmTreeView", "frmSysSet", "frmRadioInfo", "frmChMem", "frmAboutSoft", "frmCommun",
                                         "frmToolCom", "frmShowErr", "frmPartFill", "frmMemDat"}));
        EXPECT_EQ(run.ui.shown.size(), 4u); // no save question
        EXPECT_FALSE(QFile::exists(defaultPath()));
        EXPECT_EQ(w.chMem, nullptr);
    }
    MainWindowRun run(home.path());
    ASSERT_EQ(run.start(), StartupOutcome::Running);
    EXPECT_EQ(run.w->menuItem(QStringLiteral("mnuFile"))->text(), QStringLiteral("文件(&F)"));
    EXPECT_EQ(run.w->size(), QSize(720, 540));
    EXPECT_EQ(run.w->dockWidgetArea(run.w->treeViewPane()), Qt::RightDockWidgetArea);
    EXPECT_TRUE(run.w->treeViewPane()->isVisible());

    // A floating pane goes away with the minimised window and comes back.
    run.w->treeViewPane()->setFloating(true);
    run.w->showMinimized();
    QApplication::processEvents();
    EXPECT_FALSE(run.w->treeViewPane()->isVisible());
    run.w->showNormal();
    QApplication::processEvents();
    EXPECT_TRUE(run.w->treeViewPane()->isVisible());
}

// Editing, saving, opening (by key, by dropping, from the recent files) and
// New as one session; the title's mark and the recent files follow it.
TEST_F(MainWindowTest, FileCommandsMarkTheTitleAndFillTheRecentFiles)
{
    const QString saved = home.file(QStringLiteral("Data/saved.dat")), other = home.file(QStringLiteral("other.dat"));
    const QString dropped = home.file(QStringLiteral("dropped.dat")), text = home.file(QStringLiteral("notes.txt"));
    QByteArray bytes = deliveredTemplate();
    ASSERT_TRUE(writeFile(other, bytes));
    bytes[0x10] = char(0x25); // channel 1 receives elsewhere
    ASSERT_TRUE(writeFile(dropped, bytes));
    ASSERT_TRUE(writeFile(text, "notes"));
    {
        MainWindowRun run(home.path());
        ASSERT_EQ(run.start(), StartupOutcome::Running);
        run.w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(run.w.get()));
        const auto press = [&](Qt::Key k) { QTest::keyClick(run.w.get(), k, Qt::ControlModifier); };
        EXPECT_FALSE(run.w->isWindowModified());
        EXPECT_TRUE(recentItems(*run.w).isEmpty());

        typeIntoGrid(run, 20, 1, QStringLiteral("446"));
        EXPECT_TRUE(run.w->isWindowModified());
        run.ctx().w.chMem->undoEdit(); // back where the file was
        EXPECT_FALSE(run.w->isWindowModified());
        run.ctx().w.chMem->redoEdit();
        EXPECT_TRUE(run.w->isWindowModified());

        // Saved: unmarked. A failed save keeps the mark; Open clears it.
        run.ui.answers = {MsgAnswer::Yes};
        run.ui.saveNames = {{saved}};
        press(Qt::Key_S);
        ASSERT_TRUE(QFile::exists(saved));
        EXPECT_FALSE(run.w->isWindowModified());
        typeIntoGrid(run, 21, 1, QStringLiteral("446"));
        run.ui.answers = {MsgAnswer::Yes};
        run.ui.saveNames = {{home.path()}}; // a folder
        run.w->menuItem(QStringLiteral("mnuFileSave"))->trigger();
        EXPECT_TRUE(run.w->isWindowModified());
        run.ui.openNames = {other};
        press(Qt::Key_O);
        EXPECT_FALSE(run.w->isWindowModified());
        EXPECT_EQ(run.w->statusPanel(3)->text(), QStringLiteral("File Name:") + other);

        // A data file dropped on the window opens; other files are not taken.
        EXPECT_FALSE(dropFile(*run.w, text));
        EXPECT_EQ(run.s->view.currentPath, other);
        EXPECT_TRUE(dropFile(*run.w, dropped));
        EXPECT_EQ(run.s->view.currentPath, dropped);
        EXPECT_EQ(run.s->doc.IicDat[0x10], 0x25);
        EXPECT_EQ(recentItems(*run.w), (QStringList{"&1 " + dropped, "&2 " + other, "&3 " + saved}));
        QMenu* file = run.w->menuBar()->findChild<QMenu*>(QStringLiteral("mnuFile"));
        EXPECT_EQ(visibleItems(file).mid(7), (QStringList{"-", "mnuRecent1", "mnuRecent2", "mnuRecent3", "-", "mnuExit"}));
        run.ui.openNames = {other};
        run.w->OpenFile(); // opened again: first, once
        EXPECT_EQ(recentItems(*run.w), (QStringList{"&1 " + other, "&2 " + dropped, "&3 " + saved}));

        typeIntoGrid(run, 21, 1, QStringLiteral("446"));
        run.ui.answers = {MsgAnswer::Yes};
        press(Qt::Key_N);
        EXPECT_EQ(run.ui.shown.back().prompt, QStringLiteral("All data will be cleared,continue?"));
        EXPECT_FALSE(run.w->isWindowModified());
    }
    // The next run offers them; a file that has gone is taken off with a message.
    ASSERT_TRUE(QFile::remove(other));
    MainWindowRun run(home.path());
    ASSERT_EQ(run.start(), StartupOutcome::Running);
    ASSERT_EQ(recentItems(*run.w), (QStringList{"&1 " + other, "&2 " + dropped, "&3 " + saved}));
    run.w->menuItem(QStringLiteral("mnuRecent1"))->trigger();
    ASSERT_EQ(run.ui.shown.size(), 1u);
    EXPECT_TRUE(run.ui.shown[0].prompt.startsWith(other + QStringLiteral(" no longer exists")));
    EXPECT_EQ(recentItems(*run.w), (QStringList{"&1 " + dropped, "&2 " + saved}));
    EXPECT_EQ(run.s->view.currentPath, defaultPath());
    run.w->menuItem(QStringLiteral("mnuRecent1"))->trigger();
    EXPECT_EQ(run.s->view.currentPath, dropped);
    EXPECT_EQ(run.ui.shown.size(), 1u);

    // Six at most: newer files push the oldest out; one opened again moves
    // to the top and pushes none out.
    QStringList more;
    for (int i = 1; i <= 5; ++i) {
        more << home.file(QStringLiteral("more%1.dat").arg(i));
        ASSERT_TRUE(writeFile(more.last(), deliveredTemplate()));
        run.ui.openNames = {more.last()};
        run.w->OpenFile();
    }
    run.ui.openNames = {more[1]};
    run.w->OpenFile();
    EXPECT_EQ(recentItems(*run.w), (QStringList{"&1 " + more[1], "&2 " + more[4], "&3 " + more[3], "&4 " + more[2],
                                                "&5 " + more[0], "&6 " + dropped}));
}

// The real program with a data file on its command line, relative to the
// folder it was started in: opened after the start-up (it heads the recent
// files the exit leaves in the settings file).
TEST_F(MainWindowTest, ADataFileOnTheCommandLineIsOpened)
{
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("work")));
    const QString data = home.file(QStringLiteral("work/given.dat"));
    ASSERT_TRUE(writeFile(data, deliveredTemplate()));
    const RunResult r = runProgram(binPath("qm570"), {"--home", home.path(), "--screenshot", home.file("shot.png"), "given.dat"},
                                   90000, home.file("work"));
    ASSERT_TRUE(r.finished) << "qm570 did not end";
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(home.setting(QStringLiteral("Recent1"), QStringLiteral("Desktop")), data);
}

TEST_F(MainWindowTest, ImportAndExportChannelsFromTheFileMenu)
{
    MainWindowRun run(home.path());
    ASSERT_EQ(run.start(), StartupOutcome::Running);
    const QString own = home.file(QStringLiteral("own.csv")), chirp = home.file(QStringLiteral("chirp.csv"));
    // Both formats from one Export item, chosen by the dialog's filter.
    run.ui.saveNames = {{own}, {chirp, false, 1}};
    run.w->menuItem(QStringLiteral("mnuExportCh"))->trigger();
    run.w->menuItem(QStringLiteral("mnuExportCh"))->trigger();
    EXPECT_EQ(run.ui.filters.value(0), QStringLiteral("Channel Table CSV(*.csv)|*.csv|CHIRP CSV(*.csv)|*.csv"));
    EXPECT_EQ(run.ui.defaultExts.value(0), QStringLiteral("csv"));
    EXPECT_TRUE(readFile(own).startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(readFile(chirp), ChannelsToChirpCsv(*run.s).toUtf8());

    // A CHIRP file goes in as one undo step; a refused one changes nothing and says why.
    ASSERT_TRUE(writeFile(chirp, "Location,Frequency,Name\n30,446.1,new\n"));
    run.ui.openNames = {chirp};
    run.w->menuItem(QStringLiteral("mnuImportCh"))->trigger();
    EXPECT_EQ(run.s->doc.ChData[30][1], 44610000);
    EXPECT_EQ(run.ctx().undo.count(), 1);
    EXPECT_TRUE(run.w->isWindowModified());
    ASSERT_TRUE(writeFile(chirp, "Location,Frequency\n31,446.1\n100,440\n"));
    run.ui.openNames = {chirp};
    run.w->menuItem(QStringLiteral("mnuImportCh"))->trigger();
    EXPECT_EQ(run.s->doc.ChData[31][1], -1);
    ASSERT_EQ(run.ui.shown.size(), 1u);
    EXPECT_EQ(run.ui.shown[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(run.ui.shown[0].prompt.contains(QStringLiteral("line 3, column \"Location\": 100 is the VFO row")));
    run.ctx().w.chMem->undoEdit();
    EXPECT_EQ(run.s->doc.ChData[30][1], -1);
    EXPECT_FALSE(run.w->isWindowModified());
}

TEST(QtInteraction, FileFilterTextBecomesQtFilter)
{
    EXPECT_EQ(qtFileFilter(QStringLiteral("Data File(*.dat)|*.dat")), QStringLiteral("Data File(*.dat)"));
    EXPECT_EQ(qtFileFilter(QStringLiteral("Text|*.txt|All|*.*")), QStringLiteral("Text (*.txt);;All (*.*)"));
}

#include "mdifrmMain_test.moc"
