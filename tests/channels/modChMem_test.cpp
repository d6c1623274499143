#include "ChannelTestSupport.h"

#include "channels/modChGrid.h"
#include "channels/modChName.h"
#include "channels/modCtdcs.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace qm;
using namespace qmtest;

TEST(ReadChInfo, ReadsTheDefinition)
{
    ChannelState cs;
    AppState& s = cs.s();
    EXPECT_EQ(reportCount(s), 0);
    EXPECT_EQ(s.ChNum, 100);
    EXPECT_EQ(s.ChColNum, 11);
    EXPECT_EQ(s.ChRowHeight, 240);
    EXPECT_EQ(s.ChHeaderFormat, kChInfoCaptions);
    EXPECT_EQ(s.grid.colWidthTwips[0], 600);
    EXPECT_EQ(s.grid.colWidthTwips[11], 1110);
    EXPECT_EQ(s.ColInfo[1][0], QStringLiteral("RxFre"));
    EXPECT_EQ(s.ColInfo[8][0], QStringLiteral("Off|Carrier|QT/DQT"));
    EXPECT_EQ(s.ColInfo[8][1], QStringLiteral("3"));
    EXPECT_EQ(s.ColInfo[8][5], QStringLiteral("QT/DQT"));
    EXPECT_TRUE(s.ColInfo[8][6].isEmpty()); // the end marker is not stored
    EXPECT_EQ(s.ColInfo[11][0], QStringLiteral("CHNAME"));
}

TEST(ReadChInfo, KeyBaseFollowsTheLanguage)
{
    const struct {
        int16_t lang;
        int channels;
    } cases[] = {{1, 20}, {2, 30}, {3, 30}, {9, 30}};
    for (const auto& c : cases) {
        ChInfoFixture f(false);
        AppState& s = f.s();
        QFile file(f.settingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[ChInfo]\n1000=20\n1002=0\n3000=30\n3002=0\n");
        file.close();
        s.settings.Language = c.lang;
        ReadChInfo(s);
        EXPECT_EQ(s.ChNum, c.channels) << c.lang;
        EXPECT_EQ(reportCount(s), 0);
    }
}

TEST(ReadChInfo, WithoutSectionFailsAtTheFiftyFirstEntry)
{
    ChannelState cs(false);
    AppState& s = cs.s();
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->ReadChInfo"), 9), 1);
    EXPECT_EQ(s.ChNum, 16);
    EXPECT_EQ(s.ChColNum, 9);
    for (int k = 0; k < 50; ++k)
        EXPECT_EQ(s.ColInfo[1][k], QStringLiteral("0"));
    EXPECT_TRUE(s.ColInfo[2][0].isEmpty());
    // Default grid: 16 rows, 10 columns captioned "0", 1000 twips wide.
    EXPECT_EQ(s.grid.rows, 17);
    EXPECT_EQ(s.grid.cols, 10);
    for (int c = 0; c < 10; ++c) {
        EXPECT_EQ(s.grid.text[0][c], QStringLiteral("0"));
        EXPECT_EQ(s.grid.colWidthTwips[c], 1000);
    }
    // Decoding the first empty channel then fails on the empty default of column 5.
    ChInfoSaveSol(s, 1);
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->IicDatToChInfo"), 13), 1);
    EXPECT_EQ(s.ChData[1][1], -1);
}

TEST(ReadChInfo, CountsBeyondTheTablesAreCutAndReported)
{
    ChInfoFixture f(false);
    AppState& s = f.s();
    QFile file(f.settingsPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[ChInfo]\n3000=300\n3002=25\n");
    for (int c = 1; c <= 20; ++c)
        file.write(QByteArray::number(3200 + (c - 1) * 50) + "=*EndOfThisItem*\n");
    file.close();
    ReadChInfo(s);
    EXPECT_EQ(s.ChNum, 260);
    EXPECT_EQ(s.ChColNum, 20);
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->ReadChInfo"), 380), 2);
    SetChGrid(s);
    EXPECT_EQ(s.grid.rows, 261);
    EXPECT_EQ(s.grid.cols, 21);
}

TEST(DelOneChannel, ErasesOnlyTheRecord)
{
    ChannelState cs;
    AppState& s = cs.s();
    for (size_t a = 0; a < s.IicDat.size(); ++a)
        s.IicDat[a] = static_cast<uint8_t>(a * 7 + 3);
    const auto before = s.IicDat;
    s.ChData[95] = {0, 46256250, 44000000, 5, 6, 1, 1, 1, 2, 1, 1};
    s.grid.text[95][3] = QStringLiteral("77.0");
    s.grid.color[95][1] = s.settings.OverColor;
    for (int n = 89; n <= 100; ++n)
        DelOneChannel(s, n);
    DelOneChannel(s, 95);
    EXPECT_EQ(reportCount(s), 0);
    for (size_t a = 0; a < s.IicDat.size(); ++a) {
        const bool inDeleted = a >= chRecordAddr(89) && a < chRecordAddr(101);
        EXPECT_EQ(s.IicDat[a], inDeleted ? 0xFF : before[a]) << std::hex << a;
    }
    EXPECT_EQ(s.ChData[95][0], 1);
    EXPECT_EQ(s.ChData[95][1], -1);
    EXPECT_EQ(s.ChData[95][2], -1);
    EXPECT_EQ(s.ChData[95][3], 5); // fields 3.. are kept
    EXPECT_EQ(s.ChData[95][8], 2);
    for (int c = 1; c <= 11; ++c) {
        EXPECT_TRUE(s.grid.text[95][c].isEmpty());
        EXPECT_EQ(s.grid.color[95][c], s.settings.DefColor);
    }
}

TEST(DelOneChannel, OutsideTheTableChangesNothing)
{
    ChannelState cs;
    AppState& s = cs.s();
    const auto image = s.IicDat;
    const auto table = s.ChData;
    DelOneChannel(s, 0);
    DelOneChannel(s, 261);
    EXPECT_EQ(s.IicDat, image);
    EXPECT_EQ(s.ChData, table);
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->DelOneChannel"), 9), 2);
}

TEST(DelOneChannel, ThenEncodeRewritesTheRestFromTheTable)
{
    ChannelState cs;
    AppState& s = cs.s();
    cs.putRecord(10, 0, {0x50, 0x62, 0x25, 0x46, 0x50, 0x62, 0x25, 0x46, 0x9E, 0x02, 0x23, 0xA0, 0x88, 0x5C, 12, 17});
    ChInfoSaveSol(s, 1);
    DelOneChannel(s, 10);
    ChInfoSaveSol(s, 0);
    EXPECT_EQ(cs.record(10, 0, 16),
              (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x9E, 0x02, 0x23, 0xA0, 0x88, 0xFF, 12, 17}));
    ChInfoSaveSol(s, 1);
    EXPECT_EQ(s.ChData[10][1], -1);
    EXPECT_EQ(reportCount(s), 0);
}

TEST(ChannelRecord, EmptyChannelsTakeColumnDefaultsAndKeepNames)
{
    ChannelState cs;
    AppState& s = cs.s();
    for (uint8_t top : {uint8_t(0x00), uint8_t(0x9A), uint8_t(0xFE), uint8_t(0xFF)}) {
        cs.putRecord(4, 0, {0x50, 0x62, 0x25, top, 0x50, 0x62, 0x25, 0x46, 0x9E, 0x02, 0x9E, 0x02, 0xFF, 0, 1, 2});
        s.ChData[4][0] = 0;
        s.ChNameCode[4] = {0, 20, 21, 22, 23, 24, 25};
        ChInfoSaveSol(s, 1);
        EXPECT_EQ(s.ChData[4], (std::array<int32_t, kChFields>{0, -1, -1, 0, 0, 1, 1, 1, 0, 0, 0, 0}))
            << int(top);
        EXPECT_EQ(s.ChNameCode[4], (std::array<uint8_t, 7>{0, 20, 21, 22, 23, 24, 25}));
    }
    EXPECT_EQ(reportCount(s), 0);
}

TEST(ChannelRecord, OptionBitsBothWays)
{
    const struct {
        uint8_t in;
        std::array<int32_t, 6> fields; // 5..10
        uint8_t out;
    } cases[] = {
        {0x80, {1, 0, 0, 0, 0, 0}, 0x80}, {0x20, {0, 1, 0, 0, 0, 0}, 0x20}, {0x04, {0, 0, 1, 0, 0, 0}, 0x04},
        {0x08, {0, 0, 0, 1, 0, 0}, 0x08}, {0x10, {0, 0, 0, 2, 0, 0}, 0x10}, {0x18, {0, 0, 0, 0, 0, 0}, 0x00},
        {0x01, {0, 0, 0, 0, 1, 0}, 0x01}, {0x02, {0, 0, 0, 0, 0, 1}, 0x02}, {0x40, {0, 0, 0, 0, 0, 0}, 0x00},
        {0xFF, {1, 1, 1, 0, 1, 1}, 0xA7},
    };
    ChannelState cs;
    AppState& s = cs.s();
    for (const auto& c : cases) {
        cs.putRecord(6, 12, {c.in, 0x5C});
        IcChParaSol(s, 6);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(s.ChData[6][5 + i], c.fields[i]) << std::hex << int(c.in) << " field " << 5 + i;
        CiChParaSol(s, 6);
        EXPECT_EQ(s.IicDat[chRecordAddr(6) + 12], c.out) << std::hex << int(c.in);
        EXPECT_EQ(s.IicDat[chRecordAddr(6) + 13], 0x5C);
    }
    // A value the bit cannot hold leaves it clear.
    s.ChData[6][5] = 2;
    s.ChData[6][8] = 3;
    CiChParaSol(s, 6);
    EXPECT_EQ(s.IicDat[chRecordAddr(6) + 12] & 0x98, 0);
}

TEST(ChannelRecord, ByteThirteenSurvivesCycles)
{
    ChannelState cs;
    AppState& s = cs.s();
    cs.putRecord(1, 0, {0x50, 0x62, 0x25, 0x46, 0xFF, 0xFF, 0xFF, 0xFF, 0x9E, 0x02, 0xFF, 0xFF, 0x40, 0xA5, 10, 11});
    cs.putRecord(2, 13, {0x3C});
    for (int i = 0; i < 5; ++i) {
        ChInfoSaveSol(s, 1);
        ChInfoSaveSol(s, 0);
    }
    EXPECT_EQ(s.IicDat[chRecordAddr(1) + 13], 0xA5);
    EXPECT_EQ(s.IicDat[chRecordAddr(2) + 13], 0x3C);
    EXPECT_EQ(s.IicDat[chRecordAddr(1) + 12], 0x00);
    EXPECT_EQ(reportCount(s), 0);
}

TEST(ChannelRecord, EncodeSkipsChannelsMarkedMinusOne)
{
    ChannelState cs;
    AppState& s = cs.s();
    s.ChData[3][0] = -1;
    s.ChData[3][1] = 46256250;
    cs.putRecord(3, 0, {1, 2, 3, 4});
    ChInfoSaveSol(s, 0);
    EXPECT_EQ(cs.record(3, 0, 4), (std::vector<uint8_t>{1, 2, 3, 4}));
    ChInfoSaveSol(s, 7); // any other mode does nothing
    EXPECT_EQ(reportCount(s), 0);
}

TEST(ChannelRecord, ImageTooShortEndsTheDecodeWithAReport)
{
    ChannelState cs;
    AppState& s = cs.s();
    s.IicDat.assign(0x100, 0xFF);
    ChInfoSaveSol(s, 1);
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->IicDatToChInfo"), 9), 1);
    ChInfoSaveSol(s, 0);
    EXPECT_EQ(s.IicDat.size(), 0x100u);
}

TEST(ChannelGrid, LayoutFromTheDefinition)
{
    ChannelState cs(true, 105);
    AppState& s = cs.s();
    EXPECT_EQ(s.grid.rows, 106);
    EXPECT_EQ(s.grid.cols, 12);
    EXPECT_EQ(s.grid.text[0][0], QStringLiteral("CH"));
    EXPECT_EQ(s.grid.text[0][11], QStringLiteral("Name"));
    EXPECT_EQ(s.grid.text[1][0], QStringLiteral("1"));
    EXPECT_EQ(s.grid.text[99][0], QStringLiteral("99"));
    EXPECT_EQ(s.grid.text[100][0], QStringLiteral("VFO"));
    for (int r = 101; r <= 105; ++r)
        EXPECT_TRUE(s.grid.text[r][0].isEmpty());
    EXPECT_EQ(s.grid.format[1], QStringLiteral("###.#####"));
    EXPECT_EQ(s.grid.format[2], QStringLiteral("###.#####"));
    EXPECT_TRUE(s.grid.format[3].isEmpty());
    EXPECT_EQ(s.grid.format[11], QStringLiteral("00000"));
    EXPECT_EQ(s.grid.rowHeightTwips, 240);
}

TEST(ChannelGrid, ShowsTheTable)
{
    ChannelState cs;
    AppState& s = cs.s();
    cs.putRecord(1, 0, {0x50, 0x62, 0x25, 0x46, 0xFF, 0xFF, 0xFF, 0xFF, 0x9E, 0x02, 0x23, 0xA0, 0x90, 0x00, 12, 17});
    s.IicDat[chNameAddr(1)] = 36;
    s.IicDat[chNameAddr(1) + 1] = 1;
    s.IicDat[chNameAddr(1) + 2] = 38;
    s.IicDat[chNameAddr(1) + 3] = 38;
    cs.putRecord(2, 0, {0x00, 0x00, 0x00, 0x44, 0x00, 0x00, 0x00, 0x48, 0xFF, 0xFF, 0xFF, 0xFF, 0x00});
    // Channel 3: empty, but its other fields hold values.
    s.ChData[3] = {0, -1, 44000000, 1, 1, 1, 1, 1, 1, 1, 1};
    ChInfoSaveSol(s, 1);
    s.ChData[3] = {0, -1, 44000000, 1, 1, 1, 1, 1, 1, 1, 1};
    ShowChTblGrid(s);
    const QStringList row1 = {"462.5625", "", "67.0", "", "High", "Narrow", "Off", "QT/DQT", "Off", "Off", "CH-1  "};
    const QStringList row2 = {"440", "480", "None", "None", "Low", "Narrow", "Off", "Off", "Off", "Off", ""};
    for (int c = 1; c <= 11; ++c) {
        EXPECT_EQ(s.grid.text[1][c], row1[c - 1]) << c;
        EXPECT_EQ(s.grid.text[2][c], row2[c - 1]) << c;
        EXPECT_TRUE(s.grid.text[3][c].isEmpty()) << c;
    }
    EXPECT_EQ(reportCount(s), 0);
}

TEST(ChannelGrid, OptionValueWithoutTextStopsTheRow)
{
    ChannelState cs;
    AppState& s = cs.s();
    s.ChData[4] = {0, 44000000, -1, 0, 0, 1, 47, 1, 0, 0, 0};
    s.grid.text[4][7] = QStringLiteral("untouched");
    ChParaShow(s, 4);
    EXPECT_EQ(s.grid.text[4][5], QStringLiteral("High"));
    EXPECT_EQ(s.grid.text[4][7], QStringLiteral("untouched"));
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->ChParaShow"), 9), 1);
}

TEST(SoftDisplay, DecodesShowsAndTellsTheWindow)
{
    ChannelState cs;
    AppState& s = cs.s();
    int calls = 0;
    s.hooks.channelGridChanged = [&] { ++calls; };
    cs.putRecord(5, 0, {0x50, 0x62, 0x25, 0x46});
    SoftDisplay(s);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(s.ChData[5][1], 46256250);
    EXPECT_EQ(s.grid.text[5][1], QStringLiteral("462.5625"));
}

TEST(InitChMem, StartsWithEveryChannelDeletedAndNoNames)
{
    ChannelState cs;
    AppState& s = cs.s();
    EXPECT_EQ(s.EntryUpper, 99900000);
    for (int n = 1; n <= 100; ++n) {
        EXPECT_EQ(s.ChData[n][0], 1);
        EXPECT_EQ(s.ChData[n][1], -1);
        EXPECT_EQ(s.ChNameCode[n][1], 255);
    }
    EXPECT_EQ(s.ChNameCode[260][6], 255);
}
