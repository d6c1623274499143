#include "desktop/mdifrmMain.h"
#include "shell/AppState.h"
#include "desktop/uiQtInteraction.h"

#include "support/ScriptedUi.h"
#include "support/TestHome.h"

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace qm;
using namespace qmtest;

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<AppState> s = std::make_unique<AppState>();
    ScriptedUi ui;
    RecordingProber prober;
    StartupEnv env{dir.path(), StartupMode::Desktop, kLocaleEnglishUs, &prober, fillShellTexts, {}, {}, {}, {}, {}};

    QString file(const char* name) const { return dir.filePath(QLatin1String(name)); }
};

} // namespace

TEST_F(MainWindowTest, LoadShowsTitleAndPanelsAndCloseAsksFirst)
{
    ASSERT_TRUE(writeFile(file("Uninstall.exe"), settingsText("COM=2\n")));
    ASSERT_TRUE(writeFile(file("Kelvex.exe"), patternBytes(8192)));
    prober.usable = {2};
    mdifrmMain w(*s, ui);
    ASSERT_EQ(w.Form_Load(env), StartupOutcome::Running);
    w.show();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("QM570 Radio Software"));
    ASSERT_NE(w.mdiArea(), nullptr);
    EXPECT_EQ(w.centralWidget(), w.mdiArea());
    EXPECT_EQ(w.statusPanel(1)->text(), QStringLiteral("Ready"));
    EXPECT_EQ(w.statusPanel(2)->text(), QStringLiteral("COM2"));
    EXPECT_EQ(w.statusPanel(3)->text(), QStringLiteral("File Name:") + dir.path() + QStringLiteral("/Data/Untitled.dat"));
    s->view.setStatus(1, QStringLiteral("Interface Locked")); // the panels follow the model
    EXPECT_EQ(w.statusPanel(1)->text(), QStringLiteral("Interface Locked"));
    EXPECT_TRUE(ui.shown.empty());

    ui.answers = {MsgAnswer::No};
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(s->view.AppExiting, 0);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].prompt, QStringLiteral("Are you sure want to exit?"));
    EXPECT_EQ(ui.shown[0].title, QStringLiteral("Notice"));
    EXPECT_EQ(ui.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(ui.shown[0].icon, MsgIcon::Question);
    ui.answers = {MsgAnswer::Yes};
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(s->view.AppExiting, 1);
}

TEST_F(MainWindowTest, FirstRunEndsWithoutQuestionOrWindow)
{
    mdifrmMain w(*s, ui);
    EXPECT_EQ(w.Form_Load(env), StartupOutcome::QuietExit);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(s->view.AppExiting, 1);
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(readFile(file("Uninstall.exe")), QByteArray("[Setting]\nFirRun=1\n"));
}

TEST(QtInteraction, FileFilterTextBecomesQtFilter)
{
    EXPECT_EQ(qtFileFilter(QStringLiteral("Data File(*.dat)|*.dat")), QStringLiteral("Data File(*.dat)"));
    EXPECT_EQ(qtFileFilter(QStringLiteral("Text|*.txt|All|*.*")), QStringLiteral("Text (*.txt);;All (*.*)"));
}
