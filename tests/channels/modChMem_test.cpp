#include "ChannelTestSupport.h"
#include "shell/DocumentViews.h"
#include "shell/AppState.h"

#include "channels/modChGrid.h"

#include <QFile>

using namespace qm;
using namespace qmtest;

using ChannelMemory = ChannelTest;

TEST(ReadChInfo, DefinitionGridKeyBaseCountsAndMissingSection)
{
    ChannelState withSection(true, 105);
    AppState& d = withSection.s();
    // Start-up deletes every channel; the end marker of a list is not stored.
    EXPECT_EQ((std::array{reportCount(d), d.settings.colWidthTwips[11], d.grid.rows, d.grid.cols, d.grid.rowHeightTwips,
                          d.doc.ChData[100][0], d.doc.ChData[100][1], int(d.doc.ChNameCode[260][6])}),
              (std::array{0, 1110, 106, 12, 240, 1, -1, 255}));
    EXPECT_EQ((QStringList{d.grid.text[1][0], d.grid.text[99][0], d.grid.text[100][0], d.grid.text[101][0], d.grid.text[0][11],
                           d.settings.ColInfo[8][5], d.settings.ColInfo[8][6]}),
              (QStringList{"1", "99", "VFO", "", "Name", "QT/DQT", ""}));

    const struct { int16_t lang; const char* file; int channels, cols, cut; } cases[] = {
        {1, "[ChInfo]\n1000=20\n1002=0\n3000=30\n3002=0\n", 20, 0, 0}, // key base 1000 for language 1
        {3, "[ChInfo]\n3000=300\n3002=25\n", 260, 20, 2}, // more than the tables hold: cut and reported
    };
    for (const auto& c : cases) {
        ChInfoFixture f(false);
        QFile file(f.settingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(c.file) > 0);
        file.close();
        f.s().settings.Language = c.lang;
        ReadChInfo(f.s());
        EXPECT_EQ((std::array<int, 3>{f.s().settings.ChNum, f.s().settings.ChColNum, reportsAt(f.s(), QStringLiteral("modChMem->ReadChInfo"), 380)}),
                  (std::array{c.channels, c.cols, c.cut}));
    }

    // Without the section every list reads "0" and the 51st entry fails.
    ChannelState cs(false);
    AppState& s = cs.s();
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->ReadChInfo"), 9), 1);
    EXPECT_EQ((std::array<int, 4>{s.settings.ChNum, s.settings.ChColNum, s.grid.rows, s.settings.colWidthTwips[9]}),
              (std::array{16, 9, 17, 1000}));
    EXPECT_EQ((QStringList{s.settings.ColInfo[1][49], s.settings.ColInfo[2][0], s.grid.text[0][9]}), (QStringList{"0", "", "0"}));
    ChInfoSaveSol(s, 1); // the first empty channel then fails on the empty default of column 5
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->IicDatToChInfo"), 13), 1);
}

TEST_F(ChannelMemory, DelOneChannelErasesOnlyTheRecord)
{
    // The next encode writes the table's signalling, options and name back.
    cs.putRecord(10, 0, {0x50, 0x62, 0x25, 0x46, 0x50, 0x62, 0x25, 0x46, 0x9E, 0x02, 0x23, 0xA0, 0x88, 0x5C, 12, 17});
    ChInfoSaveSol(s, 1);
    DelOneChannel(s, 10);
    ChInfoSaveSol(s, 0);
    EXPECT_EQ(cs.record(10, 0, 16),
              (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x9E, 0x02, 0x23, 0xA0, 0x88, 0xFF, 12, 17}));

    for (size_t a = 0; a < s.doc.IicDat.size(); ++a)
        s.doc.IicDat[a] = static_cast<uint8_t>(a * 7 + 3);
    const auto before = s.doc.IicDat;
    s.doc.ChData[95] = {0, 46256250, 44000000, 5, 6, 1, 1, 1, 2, 1, 1};
    s.grid.color[95][1] = s.settings.OverColor;
    for (int n = 89; n <= 100; ++n) // their name bytes 0x7C0..0x7EF belong to the name area
        DelOneChannel(s, n);
    EXPECT_EQ(reportCount(s), 0);
    for (size_t a = 0; a < s.doc.IicDat.size(); ++a) {
        const bool deleted = a >= chRecordAddr(89) && a < chRecordAddr(101);
        ASSERT_EQ(s.doc.IicDat[a], deleted ? 0xFF : before[a]) << std::hex << a;
    }
    EXPECT_EQ(s.doc.ChData[95], (std::array<int32_t, kChFields>{1, -1, -1, 5, 6, 1, 1, 1, 2, 1, 1}));
    for (int c = 1; c <= 11; ++c)
        EXPECT_TRUE(s.grid.text[95][c].isEmpty() && s.grid.color[95][c] == s.settings.DefColor) << c;
    const auto table = s.doc.ChData;
    DelOneChannel(s, 0);
    DelOneChannel(s, 261);
    EXPECT_EQ(s.doc.ChData, table);
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->DelOneChannel"), 9), 2);
}

TEST_F(ChannelMemory, EmptyChannelsTakeColumnDefaultsAndKeepNames)
{
    for (uint8_t top : {0x00, 0x9A, 0xFE, 0xFF}) {
        cs.putRecord(4, 0, {0x50, 0x62, 0x25, top, 0x50, 0x62, 0x25, 0x46, 0x9E, 0x02, 0x9E, 0x02, 0xFF, 0, 1, 2});
        s.doc.ChData[4][0] = 0;
        s.doc.ChNameCode[4] = {0, 20, 21, 22, 23, 24, 25};
        ChInfoSaveSol(s, 1);
        EXPECT_EQ(s.doc.ChData[4], (std::array<int32_t, kChFields>{0, -1, -1, 0, 0, 1, 1, 1, 0, 0, 0, 0})) << int(top);
        EXPECT_EQ(s.doc.ChNameCode[4], (std::array<uint8_t, 7>{0, 20, 21, 22, 23, 24, 25}));
    }
    EXPECT_EQ(reportCount(s), 0);
}

TEST_F(ChannelMemory, OptionBitsBothWaysAndByte13Untouched)
{
    const struct { uint8_t in; std::array<int32_t, 6> fields; uint8_t out; } cases[] = {
        {0x80, {1, 0, 0, 0, 0, 0}, 0x80}, {0x20, {0, 1, 0, 0, 0, 0}, 0x20}, {0x04, {0, 0, 1, 0, 0, 0}, 0x04},
        {0x08, {0, 0, 0, 1, 0, 0}, 0x08}, {0x10, {0, 0, 0, 2, 0, 0}, 0x10}, {0x18, {0, 0, 0, 0, 0, 0}, 0x00},
        {0x01, {0, 0, 0, 0, 1, 0}, 0x01}, {0x02, {0, 0, 0, 0, 0, 1}, 0x02}, {0x40, {0, 0, 0, 0, 0, 0}, 0x00},
        {0xFF, {1, 1, 1, 0, 1, 1}, 0xA7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.in));
        cs.putRecord(6, 12, {c.in, 0x5C});
        IcChParaSol(s, 6);
        EXPECT_TRUE(std::equal(c.fields.begin(), c.fields.end(), s.doc.ChData[6].begin() + 5));
        CiChParaSol(s, 6);
        EXPECT_EQ(cs.record(6, 12, 2), (Bytes{c.out, 0x5C}));
    }
    s.doc.ChData[6][5] = 2; // values the bits cannot hold leave them clear
    s.doc.ChData[6][8] = 3;
    CiChParaSol(s, 6);
    EXPECT_EQ(s.doc.IicDat[chRecordAddr(6) + 12] & 0x98, 0);

    cs.putRecord(1, 0, {0x50, 0x62, 0x25, 0x46, 0xFF, 0xFF, 0xFF, 0xFF, 0x9E, 0x02, 0xFF, 0xFF, 0x40, 0xA5, 10, 11});
    for (int i = 0; i < 3; ++i) {
        ChInfoSaveSol(s, 1);
        ChInfoSaveSol(s, 0);
    }
    EXPECT_EQ(cs.record(1, 12, 2), (Bytes{0x00, 0xA5}));

    s.doc.ChData[3] = {-1, 46256250}; // marked -1: not encoded
    ChInfoSaveSol(s, 0);
    EXPECT_EQ(cs.record(3, 0, 4), Bytes(4, 0xFF));
    EXPECT_EQ(reportCount(s), 0);
    s.doc.IicDat.assign(0x100, 0xFF); // a short image ends the decode with a report and stays short
    ChInfoSaveSol(s, 1);
    ChInfoSaveSol(s, 0);
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->IicDatToChInfo"), 9), 1);
    EXPECT_EQ(s.doc.IicDat.size(), 0x100u);
}

TEST_F(ChannelMemory, GridShowsTheDecodedTable)
{
    int calls = 0;
    QObject::connect(&s.grid, &ChannelGrid::changed, [&] { ++calls; });
    cs.putRecord(1, 0, {0x50, 0x62, 0x25, 0x46, 0xFF, 0xFF, 0xFF, 0xFF, 0x9E, 0x02, 0x23, 0xA0, 0x90, 0x00, 12, 17});
    std::copy_n(Bytes{36, 1, 38, 38}.begin(), 4, s.doc.IicDat.begin() + chNameAddr(1));
    cs.putRecord(2, 0, {0x00, 0x00, 0x00, 0x44, 0x00, 0x00, 0x00, 0x48, 0xFF, 0xFF, 0xFF, 0xFF, 0x00});
    SoftDisplay(s);
    EXPECT_EQ(calls, 1);
    const QStringList rows[] = {{"462.5625", "", "67.0", "", "High", "Narrow", "Off", "QT/DQT", "Off", "Off", "CH-1  "},
                                {"440", "480", "None", "None", "Low", "Narrow", "Off", "Off", "Off", "Off", ""}};
    for (int n = 1; n <= 2; ++n)
        EXPECT_EQ(QStringList(s.grid.text[n].begin() + 1, s.grid.text[n].begin() + 12), rows[n - 1]);
    s.doc.ChData[3] = {0, -1, 44000000, 1, 1, 1, 1, 1, 1, 1, 1}; // empty: shows nothing else either
    ShowChTblGrid(s);
    EXPECT_EQ(QStringList(s.grid.text[3].begin() + 1, s.grid.text[3].begin() + 12), QStringList(11, QString()));
    EXPECT_EQ(reportCount(s), 0);

    s.doc.ChData[4] = {0, 44000000, -1, 0, 0, 1, 47, 1, 0, 0, 0}; // an option value without text stops the row
    s.grid.text[4][7] = QStringLiteral("untouched");
    ChParaShow(s, 4);
    EXPECT_EQ((QStringList{s.grid.text[4][5], s.grid.text[4][7]}), (QStringList{"High", "untouched"}));
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->ChParaShow"), 9), 1);
}
