#include "comm/modRadioFacts.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

struct RadioFactsTest : ::testing::Test {
    AppState s;
    void SetUp() override
    {
        s.IicDat.assign(0x2000, 0);
        s.SoftFaceStr[179] = QStringLiteral("Unknown Time");
        s.SoftFaceStr[180] = QStringLiteral(".");
        s.SoftFaceStr[181] = QStringLiteral(".");
        s.SoftFaceStr[182] = QString();
    }
    void bytes(int addr, std::initializer_list<int> v)
    {
        for (int b : v)
            s.IicDat[addr++] = static_cast<uint8_t>(b);
    }
};

} // namespace

TEST_F(RadioFactsTest, VersionAndBand)
{
    bytes(0x0F30, {0x12, 0xA9, 0x0D});
    EXPECT_EQ(SoftVerText(s), QStringLiteral("V1.2 -- 2010.09.13"));
    bytes(0x0F50, {0x40, 0x00, 0x00, 0x00, 0x47, 0x00, 0x00, 0x00});
    EXPECT_EQ(FreBandText(s), QStringLiteral("400.00000 -- 470.00000MHz"));
    bytes(0x0F50, {0x13, 0x60, 0x00, 0x00, 0x17, 0x40, 0x00, 0x00});
    EXPECT_EQ(FreBandText(s), QStringLiteral("136.00000 -- 174.00000MHz"));
}

TEST_F(RadioFactsTest, ErasedMemory)
{
    s.IicDat.assign(0x2000, 0xFF);
    EXPECT_EQ(SoftVerText(s), QStringLiteral("V15.15 -- 2015.15.255"));
    EXPECT_EQ(FreBandText(s), QStringLiteral("FFF.FFFFF -- FFF.FFFFFMHz"));
    EXPECT_EQ(ComDatText(s), QStringLiteral("Unknown Time"));
}

TEST_F(RadioFactsTest, WriteDateLimits)
{
    struct Case {
        int y, m, d;
        const char* text;
    } cases[] = {
        {50, 12, 31, "2050.12.31"}, {51, 12, 31, "Unknown Time"}, {10, 13, 1, "Unknown Time"},
        {10, 1, 32, "Unknown Time"}, {0x0A, 0, 0, "2010.0.0"}, {0x0A, 9, 13, "2010.9.13"}, {5, 1, 2, "2005.1.2"},
    };
    for (const Case& c : cases) {
        bytes(0x0E70, {c.y, c.m, c.d});
        EXPECT_EQ(ComDatText(s), QString::fromLatin1(c.text)) << c.y << " " << c.m << " " << c.d;
    }
}

TEST_F(RadioFactsTest, ShowFillsTheBoxesAndKeepsThemOnFailure)
{
    int changed = 0;
    s.hooks.radioInfoChanged = [&] { ++changed; };
    bytes(0x0F30, {0x12, 0xA9, 0x0D});
    bytes(0x0E70, {0x0A, 0x09, 0x0D});
    ShowFreBand(s);
    ShowSoftVer(s);
    ShowComDat(s);
    EXPECT_EQ(s.radioInfo.txtRange, QStringLiteral("000.00000 -- 000.00000MHz"));
    EXPECT_EQ(s.radioInfo.txtSoftVer, QStringLiteral("V1.2 -- 2010.09.13"));
    EXPECT_EQ(s.radioInfo.txtLastPc, QStringLiteral("2010.9.13"));
    EXPECT_EQ(changed, 3);

    s.IicDat.resize(0x0F40); // version present, band missing
    s.radioInfo.txtRange = QStringLiteral("kept");
    ShowFreBand(s);
    ShowSoftVer(s);
    EXPECT_EQ(s.radioInfo.txtRange, QStringLiteral("kept"));
    ASSERT_EQ(s.errors.lines().size(), 2);
    EXPECT_TRUE(s.errors.lines()[1].contains(QStringLiteral("modCommun->ShowSoftVer")));

    s.IicDat.resize(0x0E71);
    ShowComDat(s);
    EXPECT_EQ(s.radioInfo.txtLastPc, QStringLiteral("2010.9.13"));
    EXPECT_TRUE(s.errors.lines()[3].contains(QStringLiteral("modCommun->ShowComDat")));
}
