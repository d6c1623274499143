#include "options/modOptView.h"
#include "shell/AppState.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

struct OptViewTest : ::testing::Test {
    AppState s;
    void SetUp() override
    {
        s.settings.SoftFaceStr[243] = QStringLiteral("Off");
        s.settings.SoftFaceStr[271] = QStringLiteral("Enable Alarm");
    }
};

} // namespace

// Each list's maximum and the report of a value past it, with its default
// shown instead (the options window shows it: desktop/frmSysSet_test.cpp).
TEST_F(OptViewTest, ListMaximaAndItemNames)
{
    const struct { int index, max; const char* item; } cases[] = {
        {1, 9, "频率步长"}, {2, 9, "静噪电平"}, {3, 7, "七色灯"}, {4, 2, "按键灯"}, {5, 1, "提示音"},
        {6, 2, "语音通知"}, {7, 1, "显示时钟"}, {8, 3, "超时定时器"}, {9, 32, "省电模式"}, {10, 24, "自动关机"},
        {11, 1, "锁键方式"}, {12, 2, "扫描恢复方法"}, {13, 2, "开机信息显示"}, {14, 1, "记忆名称/频率显示"},
        {15, 1, "发射结束音"}, {21, 2, "显示模式"}, {31, 7, "闹钟的铃声"}, {33, 23, "闹钟时间:时钟"},
        {46, 59, "闹钟时间:分钟"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        s.errors.clear();
        s.doc.OptSel.fill(0);
        s.settings.OptDef.fill(1);
        s.doc.OptSel[c.index] = static_cast<int16_t>(c.max);
        InitOpt(s);
        EXPECT_TRUE(s.errors.lines().isEmpty() && s.doc.OptSel[c.index] == c.max);

        s.doc.OptSel[c.index] = static_cast<int16_t>(c.max + 1);
        InitOpt(s);
        ASSERT_EQ(s.errors.lines().size(), 2);
        EXPECT_TRUE(s.errors.lines()[1].endsWith(QStringLiteral("frmSysSet->InitOpt->") + QString::fromUtf8(c.item) +
                                                 QStringLiteral("     错误类型: 不在范围内")));
        EXPECT_EQ(s.doc.OptSel[c.index], 1);
    }
    // A default outside the list as well: the first entry; the view says it changed once.
    int changes = 0;
    QObject::connect(&s.optView, &OptionsView::changed, [&] { ++changes; });
    s.doc.OptSel[2] = -1;
    s.settings.OptDef[2] = 40;
    InitOpt(s);
    EXPECT_TRUE(s.doc.OptSel[2] == 0 && s.optView.listIndex[2] == 0);
    EXPECT_EQ(changes, 1);
}

TEST_F(OptViewTest, CheckBoxesStoreBackOnlyWhenTheirStateChanges)
{
    s.doc.OptSel[32] = 2; // alarm 1: on only when exactly 1
    s.doc.OptSel[16] = 2;
    InitOpt(s);
    EXPECT_TRUE(!s.optView.checked[32] && s.optView.checked[16]);
    EXPECT_EQ(s.doc.OptSel[32], 2) << "the box stays unticked, its handler does not run";
    EXPECT_EQ(s.doc.OptSel[16], 1);

    EXPECT_TRUE(OptCheckClicked(s, 32, true));
    s.doc.OptSel[32] = 2;
    s.doc.OptSel[16] = 3;
    InitOpt(s);
    EXPECT_FALSE(s.optView.checked[32]);
    EXPECT_EQ(s.doc.OptSel[32], 0);
    EXPECT_EQ(s.doc.OptSel[16], 3) << "box stays ticked, handler does not run";
}

TEST_F(OptViewTest, HandlersListsAndCaptions)
{
    EXPECT_TRUE(OptListClicked(s, 40, 59));
    EXPECT_EQ(s.doc.OptSel[40], 59);
    EXPECT_FALSE(OptListClicked(s, 40, 60) || OptListClicked(s, 1, -1) || OptListClicked(s, 16, 1));
    EXPECT_FALSE(OptCheckClicked(s, 1, true) || OptCheckClicked(s, 23, true));
    EXPECT_TRUE(s.doc.OptSel[40] == 59 && s.doc.OptSel[1] == 0 && s.doc.OptSel[16] == 0);

    EXPECT_EQ(optionListTexts(s, *optionSpecFor(9)).join(QLatin1Char(' ')),
              QStringLiteral("Off 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31 32"));
    EXPECT_EQ(optionListTexts(s, *optionSpecFor(31)).join(QLatin1Char(' ')), QStringLiteral("1 2 3 4 5 6 7 8"));
    EXPECT_EQ(optionCaption(s, *optionSpecFor(38)), QStringLiteral("Enable Alarm3"));
}
