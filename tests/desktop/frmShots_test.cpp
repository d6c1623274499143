// Pictures of the windows for a look by eye: with QM570_SHOTS_DIR set, the
// options window and the memory table inside the 1024 x 768 main window and
// the three dialogs are saved as PNG files there, in English and in Chinese.
// Skipped otherwise.
#include "comm/modTransfer.h"
#include "desktop/frmCommun.h"
#include "desktop/frmMemDat.h"
#include "desktop/frmPartFill.h"
#include "desktop/frmSysSet.h"
#include "desktop/frmToolCom.h"

#include "support/window/ShellWindow.h"

#include <QScrollArea>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace qm;
using namespace qmtest;

namespace {

bool save(QWidget* w, const QString& dir, const QString& name)
{
    for (int i = 0; i < 5; ++i) // layout requests travel up one parent per pass
        QApplication::processEvents();
    return w->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

} // namespace

TEST(WindowShots, EnglishAndChinese)
{
    const QString dir = qEnvironmentVariable("QM570_SHOTS_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "set QM570_SHOTS_DIR to save the pictures";
    QDir().mkpath(dir);
    for (int language : {3, 1}) {
        const QString tag = language == 1 ? QStringLiteral("zh") : QStringLiteral("en");
        ProgramFolder home;
        QString why;
        ASSERT_TRUE(home.create(language, &why)) << why.toStdString();
        MainWindowRun run(home.path());
        ASSERT_EQ(run.start(), StartupOutcome::Running);
        run.w->resize(1024, 768);
        DesktopContext& ctx = run.ctx();
        ctx.showChild(ctx.w.sysSet);
        EXPECT_TRUE(save(run.w.get(), dir, QStringLiteral("frmSysSet-") + tag));
        // All of the options window shows without scrolling.
        auto* scroll = ctx.w.sysSet->findChild<QScrollArea*>(QStringLiteral("scrSysSet"));
        EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible() || scroll->verticalScrollBar()->isVisible()) << tag.toStdString();

        ctx.w.memDat->TableFreDat();
        run.s->doc.IicDat[0x0010] ^= 0xFF; // two bytes marked red
        run.s->doc.IicDat[0x0012] ^= 0xFF;
        ctx.w.memDat->TableFreDat();
        ctx.showChild(ctx.w.memDat);
        EXPECT_TRUE(save(run.w.get(), dir, QStringLiteral("frmMemDat-") + tag));

        frmCommun* d = ctx.w.commun;
        d->setMode(frmCommun::Mode::Read);
        d->show();
        ShowComPercent(run.s->xfer, 45);
        run.s->xfer.notifyProgress();
        EXPECT_TRUE(save(d, dir, QStringLiteral("frmCommun-compact-") + tag));
        run.s->view.DebugMode = 1;
        d->fraOne_DblClick();
        run.s->xfer.listRtData = {QStringLiteral("Tx: 52 00 00 10 "), QStringLiteral("Rx: 57 00 00 10 "),
                                  QStringLiteral("       FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF ")};
        run.s->xfer.notifyTrace();
        EXPECT_TRUE(save(d, dir, QStringLiteral("frmCommun-expanded-") + tag));
        d->hide();
        run.prober.usable = {1, 3, 13};
        for (QWidget* w : {static_cast<QWidget*>(ctx.w.toolCom), static_cast<QWidget*>(ctx.w.partFill)}) {
            w->show();
            EXPECT_TRUE(save(w, dir, w->objectName() + QLatin1Char('-') + tag));
            w->hide();
        }
    }
}
