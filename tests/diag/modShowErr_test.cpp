#include "diag/modShowErr.h"

#include <gtest/gtest.h>

#include <functional>
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
    const struct {
        std::function<void()> body;
        int number;
        QString detail;
    } cases[] = {
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
