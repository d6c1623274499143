// The navigator and the radio information window, driven with the mouse.
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

namespace {

class NavigatorTest : public ::testing::Test {
protected:
    ProgramFolder home;
    std::unique_ptr<MainWindowRun> run;

    void SetUp() override
    {
        QString why;
        ASSERT_TRUE(home.create(3, &why)) << why.toStdString();
        run = std::make_unique<MainWindowRun>(home.path());
        ASSERT_EQ(run->start(), StartupOutcome::Running);
    }
    void clickNode(const char* key)
    {
        QTreeWidget* tree = run->ctx().w.treeView->treevMain();
        QTreeWidgetItem* item = run->ctx().w.treeView->node(QLatin1String(key));
        ASSERT_NE(item, nullptr) << key;
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
    }
    // The MDI windows the user can see.
    QList<QWidget*> shownChildren() const
    {
        QList<QWidget*> out;
        for (QMdiSubWindow* sub : run->w->mdiArea()->subWindowList())
            if (sub->isVisible())
                out << sub->widget();
        return out;
    }
    void hideAll()
    {
        for (QMdiSubWindow* sub : run->w->mdiArea()->subWindowList())
            sub->close(); // only hides
    }
};

} // namespace

TEST_F(NavigatorTest, NodesOpenTheirWindowsMaximisedAndTheRootNothing)
{
    frmTreeView* nav = run->ctx().w.treeView;
    QTreeWidget* tree = nav->treevMain();
    EXPECT_EQ(tree->objectName(), QStringLiteral("treevMain"));
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree->topLevelItem(0);
    EXPECT_EQ(root->text(0), QStringLiteral("QM570"));
    EXPECT_TRUE(root->isExpanded());
    QStringList children;
    for (int i = 0; i < root->childCount(); ++i)
        children << root->child(i)->text(0);
    EXPECT_EQ(children, (QStringList{"Radio Info", "Channel Info", "Optional Features"}));
    EXPECT_EQ(tree->indentation(), twipsToPx(300, tree));

    hideAll();
    clickNode("Radio");
    EXPECT_TRUE(shownChildren().isEmpty());
    EXPECT_TRUE(run->s->errors.entries().empty());

    struct Case { const char* key; QWidget* window; };
    const Case cases[] = {{"ChInfo", run->ctx().w.chMem}, {"SysSet", run->ctx().w.sysSet}, {"RadioInfo", run->ctx().w.radioInfo}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        clickNode(c.key);
        QMdiSubWindow* active = run->w->mdiArea()->activeSubWindow();
        ASSERT_NE(active, nullptr);
        EXPECT_EQ(active->widget(), c.window);
        EXPECT_TRUE(active->isMaximized());
        EXPECT_TRUE(c.window->isVisible());
    }

    // "Channel Info" again after closing it: the same window, only hidden meanwhile.
    frmChMem* channels = run->ctx().w.chMem;
    QPointer<frmChMem> alive(channels);
    clickNode("ChInfo");
    channels->parentWidget()->close();
    EXPECT_FALSE(channels->isVisible());
    EXPECT_FALSE(alive.isNull());
    clickNode("ChInfo");
    EXPECT_EQ(run->ctx().w.chMem, channels);
    EXPECT_TRUE(channels->isVisible());
    EXPECT_TRUE(run->w->mdiArea()->activeSubWindow()->isMaximized());

    // The keyboard opens a node too.
    hideAll();
    tree->setFocus();
    tree->setCurrentItem(nav->node(QStringLiteral("SysSet")));
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_EQ(shownChildren(), QList<QWidget*>{run->ctx().w.sysSet});
}

TEST_F(NavigatorTest, RadioInformationBeforeAndAfterARead)
{
    frmRadioInfo* info = run->ctx().w.radioInfo;
    EXPECT_EQ(info->windowTitle(), QStringLiteral("QM570"));
    EXPECT_EQ(info->fraMain()->title(), QStringLiteral("Radio Info"));
    const auto text = [&](const char* name) {
        auto* box = info->findChild<QLineEdit*>(QLatin1String(name));
        return box ? box->text() : info->findChild<QLabel*>(QLatin1String(name))->text();
    };
    const std::pair<const char*, const char*> shown[] = {
        {"lblModel", "Model Type"}, {"lblRange", "Frequency[MHz]"}, {"lblSoftVer", "Soft Version"},
        {"lblLastPc", "Write Data Last Time"}, {"txtModel", "QM570"}, {"txtRange", "400.00000 - 470.00000MHz"},
        {"txtSoftVer", ""}, {"txtLastPc", ""}};
    for (auto [name, want] : shown)
        EXPECT_EQ(text(name), QLatin1String(want)) << name;

    // What a read does after it has filled the image (the texts: modRadioFacts_test.cpp).
    auto& img = run->s->doc.IicDat;
    img[0x0F30] = 0x12, img[0x0F50] = 0x13, img[0x0E70] = 0x0A;
    ShowFreBand(*run->s);
    ShowSoftVer(*run->s);
    ShowComDat(*run->s);
    EXPECT_EQ(text("txtRange"), FreBandText(run->s->doc));
    EXPECT_EQ(text("txtSoftVer"), SoftVerText(run->s->doc));
    EXPECT_EQ(text("txtLastPc"), ComDatText(run->s->doc, run->s->settings));
    EXPECT_TRUE(text("txtSoftVer").startsWith(QStringLiteral("V1.2")));
}

TEST_F(NavigatorTest, DebugSwitchOpensTheMemoryTableOnlyWhenOn)
{
    frmRadioInfo* info = run->ctx().w.radioInfo;
    frmMemDat* memory = run->ctx().w.memDat;
    const QPoint onFrame(4, info->fraMain()->height() - 4);
    EXPECT_EQ(run->s->view.DebugMode, 0);
    QTest::mouseDClick(info->fraMain(), Qt::LeftButton, {}, onFrame);
    EXPECT_FALSE(memory->isVisible());

    QTest::mouseDClick(info->lblDebug(), Qt::LeftButton);
    EXPECT_EQ(run->s->view.DebugMode, -1);
    QTest::mouseDClick(info->fraMain(), Qt::LeftButton, {}, onFrame);
    EXPECT_TRUE(memory->isVisible());
    EXPECT_EQ(run->w->mdiArea()->activeSubWindow()->widget(), memory);
    EXPECT_TRUE(run->w->mdiArea()->activeSubWindow()->isMaximized());

    memory->parentWidget()->close();
    QTest::mouseDClick(info->lblDebug(), Qt::LeftButton);
    EXPECT_EQ(run->s->view.DebugMode, 0);
    QTest::mouseDClick(info->fraMain(), Qt::LeftButton, {}, onFrame);
    EXPECT_FALSE(memory->isVisible());
}
