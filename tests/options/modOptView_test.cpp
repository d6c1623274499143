#include "options/modOptView.h"

#include "channels/modChName.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

const QString kStepReport =
    QStringLiteral("        可选功能项:   出错位置: frmSysSet->InitOpt->频率步长     错误类型: 不在范围内");

struct OptViewTest : ::testing::Test {
    AppState s;
    void SetUp() override
    {
        const char* steps[] = {"5K", "6.25K", "10K", "12.5K", "15K", "20K", "25K", "30K", "50K", "100K"};
        for (int k = 0; k < 10; ++k)
            s.SoftFaceStr[206 + k] = QString::fromLatin1(steps[k]);
        s.SoftFaceStr[243] = QStringLiteral("Off");
        s.SoftFaceStr[271] = QStringLiteral("Enable Alarm");
        const QString alphabet = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-/ +_");
        for (int c = 0; c < 41; ++c)
            s.ValidChar[c] = alphabet.mid(c, 1);
    }
};

} // namespace

TEST_F(OptViewTest, OutOfRangeStepIsReportedAndReplacedByItsDefault)
{
    s.OptSel[1] = 12;
    s.OptDef[1] = 2;
    int hookCalls = 0;
    s.hooks.optionsChanged = [&] { ++hookCalls; };
    InitOpt(s);
    ASSERT_EQ(s.errors.lines().size(), 2);
    EXPECT_EQ(s.errors.lines()[1], kStepReport);
    EXPECT_EQ(s.optView.listIndex[1], 2);
    EXPECT_EQ(optionListTexts(s, *optionSpecFor(1))[2], QStringLiteral("10K"));
    EXPECT_EQ(s.OptSel[1], 2);
    EXPECT_EQ(hookCalls, 1);
}

TEST_F(OptViewTest, ListMaximaAndItemNames)
{
    struct Case {
        int index, max;
        const char* item;
    } cases[] = {
        {1, 9, "频率步长"}, {2, 9, "静噪电平"}, {3, 7, "七色灯"}, {4, 2, "按键灯"}, {5, 1, "提示音"},
        {6, 2, "语音通知"}, {7, 1, "显示时钟"}, {8, 3, "超时定时器"}, {9, 32, "省电模式"}, {10, 24, "自动关机"},
        {11, 1, "锁键方式"}, {12, 2, "扫描恢复方法"}, {13, 2, "开机信息显示"}, {14, 1, "记忆名称/频率显示"},
        {15, 1, "发射结束音"}, {21, 2, "显示模式"}, {31, 7, "闹钟的铃声"}, {33, 23, "闹钟时间:时钟"},
        {46, 59, "闹钟时间:分钟"},
    };
    for (const Case& c : cases) {
        s.errors.clear();
        s.OptSel.fill(0);
        s.OptDef.fill(0);
        s.OptSel[c.index] = static_cast<int16_t>(c.max);
        InitOpt(s);
        EXPECT_TRUE(s.errors.lines().isEmpty()) << c.index;
        EXPECT_EQ(s.OptSel[c.index], c.max);
        EXPECT_EQ(optionListTexts(s, *optionSpecFor(c.index)).size(), c.max + 1);

        s.OptSel[c.index] = static_cast<int16_t>(c.max + 1);
        s.OptDef[c.index] = 1;
        InitOpt(s);
        ASSERT_EQ(s.errors.lines().size(), 2) << c.index;
        EXPECT_TRUE(s.errors.lines()[1].endsWith(QStringLiteral("frmSysSet->InitOpt->") + QString::fromUtf8(c.item) +
                                                 QStringLiteral("     错误类型: 不在范围内")));
        EXPECT_EQ(s.OptSel[c.index], 1);
        EXPECT_EQ(s.optView.listIndex[c.index], 1);
    }
}

TEST_F(OptViewTest, NegativeValueAndBrokenDefaultFallBackToTheFirstEntry)
{
    s.OptSel[2] = -1;
    s.OptDef[2] = 40;
    InitOpt(s);
    EXPECT_EQ(s.errors.lines().size(), 2);
    EXPECT_EQ(s.OptSel[2], 0);
    EXPECT_EQ(s.optView.listIndex[2], 0);
}

TEST_F(OptViewTest, CheckBoxesStoreBackOnlyWhenTheirStateChanges)
{
    s.OptSel[32] = 2; // alarm 1: on only when exactly 1
    s.OptSel[16] = 2;
    InitOpt(s);
    EXPECT_FALSE(s.optView.checked[32]);
    EXPECT_EQ(s.OptSel[32], 2);
    EXPECT_TRUE(s.optView.checked[16]);
    EXPECT_EQ(s.OptSel[16], 1);

    EXPECT_TRUE(OptCheckClicked(s, 32, true));
    s.OptSel[32] = 2;
    s.OptSel[16] = 3;
    InitOpt(s);
    EXPECT_FALSE(s.optView.checked[32]);
    EXPECT_EQ(s.OptSel[32], 0);
    EXPECT_EQ(s.OptSel[16], 3) << "box stays ticked, handler does not run";
}

TEST_F(OptViewTest, HandlersAcceptOnlyTheirOwnControls)
{
    EXPECT_TRUE(OptListClicked(s, 40, 59));
    EXPECT_EQ(s.OptSel[40], 59);
    EXPECT_FALSE(OptListClicked(s, 40, 60));
    EXPECT_FALSE(OptListClicked(s, 1, -1));
    EXPECT_FALSE(OptListClicked(s, 16, 1));
    EXPECT_FALSE(OptCheckClicked(s, 1, true));
    EXPECT_FALSE(OptCheckClicked(s, 23, true));
    EXPECT_EQ(s.OptSel[40], 59);
    EXPECT_EQ(s.OptSel[1], 0);
}

TEST_F(OptViewTest, ListTextsAndCaptions)
{
    const QStringList save = optionListTexts(s, *optionSpecFor(9));
    ASSERT_EQ(save.size(), 33);
    EXPECT_EQ(save.first(), QStringLiteral("Off"));
    EXPECT_EQ(save[1], QStringLiteral("1"));
    EXPECT_EQ(save.last(), QStringLiteral("32"));
    const QStringList tone = optionListTexts(s, *optionSpecFor(31));
    EXPECT_EQ(tone.first(), QStringLiteral("1"));
    EXPECT_EQ(tone.last(), QStringLiteral("8"));
    EXPECT_EQ(optionCaption(s, *optionSpecFor(38)), QStringLiteral("Enable Alarm3"));
    EXPECT_EQ(optionSpecFor(28)->kind, OptionKind::Message);
    EXPECT_EQ(optionSpecFor(22), nullptr);
}

// Needs the channel name codec (ChNameCharSol, PowerOnMsgText).
TEST_F(OptViewTest, PowerOnMessageIsNormalised)
{
    PwrMsgLostFocus(s, QStringLiteral("abc"));
    const int expected[] = {10, 11, 12, 38, 38, 38};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(s.OptSel[25 + i], expected[i]);
    EXPECT_EQ(s.optView.txtPwrMsg, QStringLiteral("ABC   "));
}
