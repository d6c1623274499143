#include "diag/modShowErr.h"

#include <gtest/gtest.h>

using namespace qm;

TEST(ErrorList, EntryLinesAndGuard)
{
    ErrorList l;
    l.timeText = [](const QDateTime&) { return QStringLiteral("2026/12/6 7:05"); };
    EXPECT_FALSE(guarded(l, QStringLiteral("modChMem->RxFreShow"), [] { throw QmError(6); }));
    EXPECT_TRUE(guarded(l, QStringLiteral("a->b"), [] {}));
    ASSERT_EQ(l.lines().size(), 2);
    EXPECT_EQ(l.lines()[0], QStringLiteral("---------2026/12/6 7:05--------"));
    EXPECT_EQ(l.lines()[1], QStringLiteral("         错误:  modChMem->RxFreShow     出错号:   6     出错点:  qm570     出错描述:  溢出"));
    EXPECT_EQ(l.selected(), 1);

    l.AddErrInfo(QStringLiteral("x->y"), 3000); // unknown number: empty description
    EXPECT_TRUE(l.lines()[3].endsWith(QStringLiteral("     出错描述:  ")));
    l.AddErrInfo(QStringLiteral("x->y"), -5); // the sign takes the place of the blank
    EXPECT_TRUE(l.lines()[5].contains(QStringLiteral("出错号:  -5     ")));
    l.AddOptErrInfo(QStringLiteral("出错位置: frmSysSet->InitOpt->频率步长     错误类型: 不在范围内"));
    ASSERT_EQ(l.lines().size(), 8);
    EXPECT_EQ(l.lines()[7], QStringLiteral("        可选功能项:   出错位置: frmSysSet->InitOpt->频率步长     错误类型: 不在范围内"));
    EXPECT_EQ(l.selected(), 7);
}
