#include "ChannelTestSupport.h"

#include "channels/modCtdcs.h"

#include <gtest/gtest.h>

using namespace qm;
using namespace qmtest;

TEST(CtdcsTable, EnglishListHas261ItemsInIndexOrder)
{
    ChannelState cs;
    AppState& s = cs.s();
    const QStringList items = s.CtdcsList.split(QLatin1Char('|'));
    ASSERT_EQ(items.size(), 261);
    EXPECT_EQ(items.mid(0, 3), (QStringList{"None", "67.0", "69.3"}));
    EXPECT_EQ(items.mid(259), (QStringList{"D743I", "D754I"}));
    EXPECT_EQ(items[50], QStringLiteral("254.1"));
    EXPECT_EQ(items[51], QStringLiteral("D023N"));
    EXPECT_EQ(items[155], QStringLiteral("D754N"));
    EXPECT_EQ(items[156], QStringLiteral("D023I"));
    for (int i = 0; i < 261; ++i)
        EXPECT_EQ(items[i], s.CtdcsName[i]);
    EXPECT_EQ(s.CtdcsIicCode[0], QStringLiteral("FFFF"));
    EXPECT_EQ(s.CtdcsIicCode[1], QStringLiteral("029E"));
    EXPECT_EQ(s.CtdcsIicCode[50], QStringLiteral("09ED"));
    EXPECT_EQ(s.CtdcsIicCode[51], QStringLiteral("2023"));
    EXPECT_EQ(s.CtdcsIicCode[260], QStringLiteral("A754"));
    EXPECT_TRUE(s.CtdcsIicCode[261].isEmpty());
}

TEST(CtdcsTable, NoneTextFollowsTheLanguage)
{
    ChInfoFixture f;
    AppState& s = f.s();
    const struct {
        int16_t lang;
        const char* none;
        int16_t after;
    } cases[] = {{1, "无", 1}, {2, "無", 2}, {3, "None", 3}, {0, "None", 3}, {7, "None", 3}};
    for (const auto& c : cases) {
        s.settings.Language = c.lang;
        GenCtdcsList(s);
        EXPECT_EQ(s.CtdcsName[0], QString::fromUtf8(c.none));
        EXPECT_TRUE(s.CtdcsList.startsWith(QString::fromUtf8(c.none) + QLatin1Char('|')));
        EXPECT_EQ(s.settings.Language, c.after);
    }
}

TEST(CtdcsCodec, DecodesImageCodes)
{
    const struct {
        uint8_t lo, hi;
        int index;
    } cases[] = {
        {0x9E, 0x02, 1},   {0xED, 0x09, 50},  {0x23, 0x20, 51},  {0x23, 0xA0, 156}, {0x54, 0xA7, 260},
        {0xFF, 0x02, 0},   {0x9E, 0xFF, 0},   {0xFF, 0xFF, 0},   {0x12, 0x34, 0},   {0x00, 0x00, 0},
    };
    ChannelState cs;
    AppState& s = cs.s();
    for (const auto& c : cases) {
        cs.putRecord(7, 8, {c.lo, c.hi, c.lo, c.hi});
        s.ChData[7][3] = s.ChData[7][4] = 99;
        IcCtdcsDecSol(s, 7);
        IcCtdcsEncSol(s, 7);
        EXPECT_EQ(s.ChData[7][3], c.index) << std::hex << int(c.lo) << " " << int(c.hi);
        EXPECT_EQ(s.ChData[7][4], c.index);
    }
    EXPECT_EQ(reportCount(s), 0);
}

TEST(CtdcsCodec, EncodesIndicesLowByteFirst)
{
    const struct {
        int32_t index;
        uint8_t lo, hi;
    } cases[] = {{1, 0x9E, 0x02}, {51, 0x23, 0x20}, {156, 0x23, 0xA0}, {0, 0xFF, 0xFF}, {-1, 0xFF, 0xFF}};
    ChannelState cs;
    AppState& s = cs.s();
    for (const auto& c : cases) {
        s.ChData[9][3] = s.ChData[9][4] = c.index;
        CiCtdcsDecSol(s, 9);
        CiCtdcsEncSol(s, 9);
        EXPECT_EQ(cs.record(9, 8, 4), (std::vector<uint8_t>{c.lo, c.hi, c.lo, c.hi})) << c.index;
    }
    EXPECT_EQ(reportCount(s), 0);
}

TEST(CtdcsCodec, UnknownCodeIsErasedByTheNextEncode)
{
    ChannelState cs;
    AppState& s = cs.s();
    cs.putRecord(7, 8, {0x12, 0x34});
    IcCtdcsDecSol(s, 7);
    CiCtdcsDecSol(s, 7);
    EXPECT_EQ(cs.record(7, 8, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
}

TEST(CtdcsCodec, CtcDcsMaxLimitsTheLookupToTones)
{
    ChannelState cs;
    AppState& s = cs.s();
    s.settings.CtcDcsMax = 50;
    cs.putRecord(7, 8, {0xED, 0x09, 0x23, 0x20});
    IcCtdcsDecSol(s, 7);
    IcCtdcsEncSol(s, 7);
    EXPECT_EQ(s.ChData[7][3], 50);
    EXPECT_EQ(s.ChData[7][4], 0);
    // A setting beyond the table searches the whole table, nothing more.
    s.settings.CtcDcsMax = 999;
    IcCtdcsEncSol(s, 7);
    EXPECT_EQ(s.ChData[7][4], 51);
    cs.putRecord(7, 10, {0x12, 0x34});
    IcCtdcsEncSol(s, 7);
    EXPECT_EQ(s.ChData[7][4], 0);
    EXPECT_EQ(reportCount(s), 0);
}

TEST(CtdcsCodec, IndexWithoutCodeIsReportedAndLeavesTheRecord)
{
    ChannelState cs;
    AppState& s = cs.s();
    cs.putRecord(8, 8, {0x9E, 0x02, 0x23, 0x20});
    s.FreCharBuf = {0x11, 0x22, 0x33, 0x44};
    s.ChData[8][3] = 270;  // inside the table, but no code
    s.ChData[8][4] = 301;  // outside the table
    CiCtdcsDecSol(s, 8);
    CiCtdcsEncSol(s, 8);
    EXPECT_EQ(cs.record(8, 8, 4), (std::vector<uint8_t>{0x9E, 0x02, 0x23, 0x20}));
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->CiCtdcsDecSol"), 380), 1);
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->CiCtdcsEncSol"), 9), 1);
}

TEST(CtdcsShow, EncodeCellIsEmptyWithoutTransmitFrequency)
{
    ChannelState cs;
    AppState& s = cs.s();
    s.ChData[3][2] = -1;
    s.ChData[3][3] = 1;
    s.ChData[3][4] = 156;
    CtdcsDecShow(s, 3);
    CtdcsEncShow(s, 3);
    EXPECT_EQ(s.grid.text[3][3], QStringLiteral("67.0"));
    EXPECT_EQ(s.grid.text[3][4], QString());
    s.ChData[3][2] = 44000000;
    CtdcsEncShow(s, 3);
    EXPECT_EQ(s.grid.text[3][4], QStringLiteral("D023I"));
    s.ChData[3][3] = -1;
    CtdcsDecShow(s, 3);
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->CtdcsDecShow"), 9), 1);
}
