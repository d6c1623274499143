// The about box in both languages; OK closes it.
#include "desktop/frmAboutSoft.h"

#include "support/window/ShellWindow.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace qm;
using namespace qmtest;

TEST(AboutBox, TextsOfTheLanguageAndOkCloses)
{
    struct Case { int language; const char *caption, *title, *ok, *useRange, *version, *release; bool description; };
    const Case cases[] = {
        {3, "About", "QM570 Radio Programming Software", "OK", "For QM570", "Version: V1.1", "Release: 2010.09.13", true},
        {1, "关于", "QM570系列对讲机编程软件", "确定", "用于QM570", "中英文版: V1.1", "发布时间: 2010.09.13", false},
        {2, "About", "QM570 Radio Programming Software", "OK", "For QM570", "Version: V1.1", "Release: 2010.09.13", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        ProgramFolder home;
        QString why;
        ASSERT_TRUE(home.create(c.language, &why)) << why.toStdString();
        MainWindowRun run(home.path());
        ASSERT_EQ(run.start(), StartupOutcome::Running);
        run.w->menuItem(QStringLiteral("mnuAboutSoft"))->trigger();
        EXPECT_EQ(run.dialogsRun, QStringList{QStringLiteral("frmAboutSoft")});

        frmAboutSoft* about = run.ctx().w.aboutSoft;
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(about->windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(about->label(QStringLiteral("lblTitle"))->text(), QString::fromUtf8(c.title));
        EXPECT_EQ(about->label(QStringLiteral("lblUseRange"))->text(), QString::fromUtf8(c.useRange));
        EXPECT_EQ(about->label(QStringLiteral("lblVersion"))->text(), QString::fromUtf8(c.version));
        EXPECT_EQ(about->label(QStringLiteral("lblRelease"))->text(), QString::fromUtf8(c.release));
        EXPECT_EQ(about->cmdOK()->text(), QString::fromUtf8(c.ok));
        EXPECT_EQ(about->cmdOK()->accessibleName(), QString::fromUtf8(c.ok));

        about->show();
        EXPECT_EQ(!about->label(QStringLiteral("lblDescription"))->text().isEmpty(), c.description);
        EXPECT_TRUE(about->label(QStringLiteral("lblRights"))->isVisible());
        EXPECT_FALSE(about->label(QStringLiteral("lblRights"))->text().isEmpty());
        QTest::mouseClick(about->cmdOK(), Qt::LeftButton);
        EXPECT_FALSE(about->isVisible());
        EXPECT_EQ(about->result(), QDialog::Accepted);
        EXPECT_EQ(run.ctx().w.aboutSoft, about); // kept for the next time
    }
}
