// Pictures of the windows for a look by eye: with QM570_SHOTS_DIR set, the
// options window and the memory table inside a 1024 x 768 main window (menu
// bar, toolbar, navigator pane, status bar) and the three dialogs are saved
// as PNG files there, in English and in Chinese. Skipped otherwise.
#include "desktop/WindowsFixture.h"

#include <QDockWidget>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QLayout>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace qm;
using namespace qmtest;

namespace {

// A stand-in for the main window with the parts that take room from the MDI area.
struct Frame {
    QMainWindow main;
    QMdiArea* mdi = new QMdiArea;
    Frame()
    {
        main.setCentralWidget(mdi);
        for (const char* m : {"&File", "&Edit", "&View", "&Program", "&Setting", "&Window", "&Language", "&Help"})
            main.menuBar()->addMenu(QString::fromLatin1(m));
        QToolBar* tb = main.addToolBar(QStringLiteral("tlbMain"));
        for (const char* b : {"New", "Open", "Save", "Read", "Write", "Print"})
            tb->addAction(QString::fromLatin1(b));
        tb->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        auto* dock = new QDockWidget(QStringLiteral("Navigator"), &main);
        auto* tree = new QTreeWidget;
        tree->setHeaderHidden(true);
        dock->setWidget(tree);
        dock->setFixedWidth(190);
        main.addDockWidget(Qt::LeftDockWidgetArea, dock);
        for (int p = 0; p < 3; ++p)
            main.statusBar()->addWidget(new QLabel(QStringLiteral("Ready")), p == 2 ? 1 : 0);
        main.resize(1024, 768);
    }
    void show(QWidget* child)
    {
        QMdiSubWindow* sub = mdi->addSubWindow(child);
        sub->showMaximized();
        main.show();
        QApplication::processEvents();
    }
};

bool save(QWidget* w, const QString& dir, const QString& name)
{
    // Layout requests travel up one parent per pass.
    for (int i = 0; i < 5; ++i)
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
        WindowsHarness h;
        ASSERT_TRUE(h.start(language));
        {
            Frame f;
            f.show(h.sysSet);
            EXPECT_TRUE(save(&f.main, dir, QStringLiteral("frmSysSet-") + tag));
            // All of the options window shows without scrolling.
            auto* scroll = h.sysSet->findChild<QScrollArea*>(QStringLiteral("scrSysSet"));
            EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible()) << tag.toStdString();
            EXPECT_FALSE(scroll->verticalScrollBar()->isVisible()) << tag.toStdString();
            h.sysSet->setParent(nullptr);
            h.s->doc.IicDat[0x0101] ^= 0xFF;
        }
        {
            Frame f;
            h.memDat->TableFreDat();
            h.s->doc.IicDat[0x0010] ^= 0xFF;
            h.s->doc.IicDat[0x0012] ^= 0xFF;
            h.memDat->TableFreDat();
            f.show(h.memDat);
            EXPECT_TRUE(save(&f.main, dir, QStringLiteral("frmMemDat-") + tag));
            h.memDat->setParent(nullptr);
        }
        frmCommun* d = h.commun;
        d->setMode(frmCommun::Mode::Read);
        d->show();
        ShowComPercent(h.s->xfer, 45);
        h.s->xfer.notifyProgress();
        EXPECT_TRUE(save(d, dir, QStringLiteral("frmCommun-compact-") + tag));
        h.s->view.DebugMode = 1;
        d->fraOne_DblClick();
        h.s->xfer.listRtData = {QStringLiteral("Tx: 52 00 00 10 "), QStringLiteral("Rx: 57 00 00 10 "),
                                QStringLiteral("       FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF ")};
        h.s->xfer.notifyTrace();
        EXPECT_TRUE(save(d, dir, QStringLiteral("frmCommun-expanded-") + tag));
        d->hide();
        h.prober.usable = {1, 3, 13};
        h.toolCom->show();
        EXPECT_TRUE(save(h.toolCom, dir, QStringLiteral("frmToolCom-") + tag));
        h.toolCom->hide();
        h.partFill->show();
        EXPECT_TRUE(save(h.partFill, dir, QStringLiteral("frmPartFill-") + tag));
        h.partFill->hide();
    }
}
