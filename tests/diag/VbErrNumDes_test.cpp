#include "diag/modShowErr.h"

#include <gtest/gtest.h>

#include <set>

using qm::VbErrNumDes;

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
