// The error list pane: created by the first report, docked at the bottom,
// newest line selected, each line's tooltip telling what failed and why.
#include "desktop/frmShowErr.h"

#include "support/window/ShellWindow.h"

#include <QAction>
#include <QDockWidget>
#include <QListWidget>

#include <gtest/gtest.h>

using namespace qm;
using namespace qmtest;

TEST(ErrorPane, TwoFailuresGiveFourLinesTheNewestSelected)
{
    ProgramFolder home;
    QString why;
    ASSERT_TRUE(home.create(3, &why)) << why.toStdString();
    MainWindowRun run(home.path());
    ASSERT_EQ(run.start(), StartupOutcome::Running);
    EXPECT_EQ(run.ctx().w.showErr, nullptr); // nothing failed yet
    EXPECT_EQ(run.w->errorPane(), nullptr);

    run.s->errors.timeText = [](const QDateTime&) { return QStringLiteral("2026-01-02 03:04"); };
    // A save into a folder that is not there, then an overflow.
    const QString target = home.file(QStringLiteral("missing/radio.dat"));
    run.ui.answers = {MsgAnswer::Yes};
    run.ui.saveNames = {SaveDialogResult{target, false}};
    run.w->menuItem(QStringLiteral("mnuFileSave"))->trigger();
    run.s->errors.AddErrInfo(QStringLiteral("modChMem->RxFreShow"), 6);

    frmShowErr* pane = run.ctx().w.showErr;
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(run.w->dockWidgetArea(run.w->errorPane()), Qt::BottomDockWidgetArea);
    EXPECT_TRUE(run.w->errorPane()->isVisible());
    QListWidget* list = pane->listShowErr();
    EXPECT_EQ(list->objectName(), QStringLiteral("listShowErr"));
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("---------2026-01-02 03:04--------"));
    EXPECT_TRUE(list->item(1)->text().contains(QStringLiteral("错误:  mdifrmMain->SaveDatFile")));
    EXPECT_EQ(list->item(3)->text(), QStringLiteral("         错误:  modChMem->RxFreShow     出错号:   6     出错点:  qm570     "
                                                    "出错描述:  溢出"));
    EXPECT_EQ(list->currentRow(), 3);
    EXPECT_TRUE(list->item(3)->isSelected());

    // The tooltip of the save's lines: the object and the system's reason.
    const QString tip = list->item(1)->toolTip();
    EXPECT_EQ(list->item(0)->toolTip(), tip);
    EXPECT_TRUE(tip.contains(target)) << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("No such file or directory"))) << tip.toStdString();

    // Closed by the user, shown again by the view command; a new report
    // brings it back too and scrolls to the newest line.
    run.w->errorPane()->close();
    run.w->menuItem(QStringLiteral("mnuShowErr"))->trigger();
    EXPECT_TRUE(run.w->errorPane()->isVisible());
    run.w->errorPane()->close();
    run.s->errors.AddOptErrInfo(QStringLiteral("出错位置: frmSysSet->InitOpt->频率步长     错误类型: 不在范围内"));
    EXPECT_TRUE(run.w->errorPane()->isVisible());
    EXPECT_EQ(list->count(), 6);
    EXPECT_EQ(list->currentRow(), 5);
    EXPECT_EQ(run.ctx().w.showErr, pane);
}
