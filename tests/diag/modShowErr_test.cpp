#include "diag/modShowErr.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <stdexcept>

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

// The guard keeps what happened: the error value of a QmError, the text of
// any other exception (error 5), running out of memory (error 7).
TEST(ErrorList, GuardKeepsTheCauseAndEntriesGiveTheirDetail)
{
    ErrorList l;
    int changes = 0;
    QObject::connect(&l, &ErrorList::changed, [&] { ++changes; });
    const struct { std::function<void()> body; int number; QString detail; } cases[] = {
        {[] { throw QmError(75, QStringLiteral("save data file"), QStringLiteral("/x/a.dat"), QStringLiteral("Disk full")); },
         75, QStringLiteral("save data file /x/a.dat: Disk full")},
        {[] { throw std::runtime_error("bad thing"); }, 5, QStringLiteral("bad thing")},
        {[] { throw std::bad_alloc(); }, 7, QStringLiteral("out of memory")},
        {[] { throw 42; }, 5, QStringLiteral("unknown exception")},
        {[] { throw QmError(6); }, 6, QStringLiteral("溢出")}, // no reason: the table's description
        {[] { checkIndex(12, 1, 10); }, 9, QStringLiteral("index 12 is outside 1 to 10")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.detail.toStdString());
        EXPECT_FALSE(guarded(l, QStringLiteral("a->b"), c.body));
        const ErrorEntry& e = l.entries().back();
        EXPECT_EQ(e.error.number, c.number);
        EXPECT_EQ(e.detail(), c.detail);
        EXPECT_EQ(l.entryAtLine(l.selected()), &e);
        EXPECT_TRUE(l.lines().last().contains(QStringLiteral("出错号:   %1     ").arg(c.number)));
    }
    EXPECT_EQ(changes, 6);
    l.AddOptErrInfo(QStringLiteral("m"));
    EXPECT_EQ(l.entryAtLine(l.ErrListIdx() - 2)->detail(), QStringLiteral("m"));
    EXPECT_EQ(l.entryAtLine(l.ErrListIdx()), nullptr);
}

TEST(VbErrNumDes, ExactlyTheRunTimeErrorNumbersHaveDescriptions)
{
    const std::set<int> numbers = {
        3,   5,   6,   7,   9,   10,  11,  13,  14,  16,  17,  18,  20,  28,  35,  47,  48,  49,  51,  52,
        53,  54,  55,  57,  58,  59,  61,  62,  63,  67,  68,  70,  71,  74,  75,  76,  91,  92,  93,  94,
        97,  298, 320, 321, 322, 325, 327, 328, 335, 336, 337, 338, 360, 361, 363, 364, 365, 368, 371, 380,
        381, 382, 383, 385, 387, 393, 394, 400, 402, 419, 422, 423, 424, 425, 429, 430, 432, 438, 440, 442,
        443, 445, 446, 447, 448, 449, 450, 451, 452, 453, 454, 455, 457, 458, 459, 460, 461, 462, 463, 480,
        481, 482, 483, 484, 485, 486, 520, 521, 735, 744, 746, 31001, 31004, 31018, 31027, 31032, 31036, 31037,
    };
    ASSERT_EQ(numbers.size(), 118u);
    for (int n = -32768; n <= 32767; ++n)
        EXPECT_EQ(!VbErrNumDes(n).isEmpty(), numbers.count(n) == 1) << n;
    EXPECT_TRUE(VbErrNumDes(100000).isEmpty());

    // The numbers this program raises, and a few others.
    const std::pair<int, const char*> rows[] = {
        {5, "无效的过程调用"}, {6, "溢出"}, {9, "数组索引超出范围"}, {13, "类型不符合"},
        {53, "文件找不到"}, {75, "路径/文件访问错误"}, {380, "属性值无效"}, {482, "打印机错误"},
        {7, "内存不足"}, {57, "设备 I/O 错误"}, {438, "对象不支持该属性或方法"}, {31001, "内存溢出"},
    };
    for (auto [n, text] : rows)
        EXPECT_EQ(VbErrNumDes(n), QString::fromUtf8(text)) << n;
}
