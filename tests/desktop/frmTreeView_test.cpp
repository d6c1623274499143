// The navigator and the radio information window, driven with the mouse and
// the keyboard in one session.
#include "desktop/frmChMem.h"
#include "desktop/frmMemDat.h"
#include "desktop/frmRadioInfo.h"
#include "desktop/frmSysSet.h"
#include "desktop/frmTreeView.h"
#include "desktop/uiLook.h"
#include "comm/modRadioFacts.h"

#include "support/window/ShellWindow.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace qm;
using namespace qmtest;

TEST(Navigator, NodesOpenTheirWindowsAndRadioInfoShowsTheRadioAndTheDebugSwitch)
{
    ProgramFolder home;
    QString why;
    ASSERT_TRUE(home.create(3, &why)) << why.toStdString();
    MainWindowRun run(home.path());
    ASSERT_EQ(run.start(), StartupOutcome::Running);
    DesktopWindows& w = run.ctx().w;
    QMdiArea* area = run.w->mdiArea();
    QTreeWidget* tree = w.treeView->treevMain();
    const auto click = [&](const char* key) {
        QTreeWidgetItem* item = w.treeView->node(QLatin1String(key));
        ASSERT_NE(item, nullptr) << key;
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
    };
    const auto shown = [&] { // the MDI windows the user can see
        QList<QWidget*> out;
        for (QMdiSubWindow* sub : area->subWindowList())
            if (sub->isVisible())
                out << sub->widget();
        return out;
    };
    const auto hideAll = [&] {
        for (QMdiSubWindow* sub : area->subWindowList())
            sub->close(); // only hides
    };
    const auto activeMaximised = [&](QWidget* window) {
        return area->activeSubWindow() && area->activeSubWindow()->widget() == window &&
               area->activeSubWindow()->isMaximized() && window->isVisible();
    };

    EXPECT_EQ(tree->objectName(), QStringLiteral("treevMain"));
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree->topLevelItem(0);
    EXPECT_TRUE(root->text(0) == QStringLiteral("QM570") && root->isExpanded());
    QStringList children;
    for (int i = 0; i < root->childCount(); ++i)
        children << root->child(i)->text(0);
    EXPECT_EQ(children, (QStringList{"Radio Info", "Channel Info", "Optional Features"}));
    EXPECT_EQ(tree->indentation(), twipsToPx(300, tree));

    // The root opens nothing; each node its window, maximised.
    hideAll();
    click("Radio");
    EXPECT_TRUE(shown().isEmpty());
    for (auto [key, window] : {std::pair<const char*, QWidget*>{"ChInfo", w.chMem}, {"SysSet", w.sysSet}, {"RadioInfo", w.radioInfo}}) {
        click(key);
        EXPECT_TRUE(activeMaximised(window)) << key;
    }
    // "Channel Info" again after closing it: the same window, only hidden meanwhile.
    frmChMem* channels = w.chMem;
    QPointer<frmChMem> alive(channels);
    click("ChInfo");
    channels->parentWidget()->close();
    EXPECT_FALSE(channels->isVisible());
    click("ChInfo");
    EXPECT_FALSE(alive.isNull());
    EXPECT_EQ(w.chMem, channels);
    EXPECT_TRUE(activeMaximised(channels));
    // The keyboard opens a node too.
    hideAll();
    tree->setFocus();
    tree->setCurrentItem(w.treeView->node(QStringLiteral("SysSet")));
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_EQ(shown(), QList<QWidget*>{w.sysSet});
    EXPECT_TRUE(run.s->errors.entries().empty());

    // Radio information before and after a read has filled the image (the texts: modRadioFacts_test.cpp).
    frmRadioInfo* info = w.radioInfo;
    click("RadioInfo");
    EXPECT_EQ(info->windowTitle(), QStringLiteral("QM570"));
    EXPECT_EQ(info->fraMain()->title(), QStringLiteral("Radio Info"));
    const auto text = [&](const char* name) {
        auto* box = info->findChild<QLineEdit*>(QLatin1String(name));
        return box ? box->text() : info->findChild<QLabel*>(QLatin1String(name))->text();
    };
    for (auto [name, want] : {std::pair<const char*, const char*>{"lblModel", "Model Type"}, {"lblRange", "Frequency[MHz]"},
                              {"lblSoftVer", "Soft Version"}, {"lblLastPc", "Write Data Last Time"}, {"txtModel", "QM570"},
                              {"txtRange", "400.00000 - 470.00000MHz"}, {"txtSoftVer", ""}, {"txtLastPc", ""}})
        EXPECT_EQ(text(name), QLatin1String(want)) << name;
    auto& img = run.s->doc.IicDat;
    img[0x0F30] = 0x12, img[0x0F50] = 0x13, img[0x0E70] = 0x0A;
    ShowFreBand(*run.s);
    ShowSoftVer(*run.s);
    ShowComDat(*run.s);
    EXPECT_EQ(text("txtRange"), FreBandText(run.s->doc));
    EXPECT_TRUE(text("txtSoftVer") == SoftVerText(run.s->doc) && text("txtSoftVer").startsWith(QStringLiteral("V1.2")));
    EXPECT_EQ(text("txtLastPc"), ComDatText(run.s->doc, run.s->settings));

    // A double click on the frame opens the memory table only while the
    // hidden debug switch (a double click on its label) is on.
    frmMemDat* memory = w.memDat;
    const QPoint onFrame(4, info->fraMain()->height() - 4);
    EXPECT_EQ(run.s->view.DebugMode, 0);
    QTest::mouseDClick(info->fraMain(), Qt::LeftButton, {}, onFrame);
    EXPECT_FALSE(memory->isVisible());
    QTest::mouseDClick(info->lblDebug(), Qt::LeftButton);
    EXPECT_EQ(run.s->view.DebugMode, -1);
    QTest::mouseDClick(info->fraMain(), Qt::LeftButton, {}, onFrame);
    EXPECT_TRUE(activeMaximised(memory));
    memory->parentWidget()->close();
    QTest::mouseDClick(info->lblDebug(), Qt::LeftButton);
    EXPECT_EQ(run.s->view.DebugMode, 0);
    QTest::mouseDClick(info->fraMain(), Qt::LeftButton, {}, onFrame);
    EXPECT_FALSE(memory->isVisible());
}
