#include "ChannelTestSupport.h"

#include "channels/modChEdit.h"
#include "channels/modChName.h"

#include <gtest/gtest.h>

using namespace qm;
using namespace qmtest;

namespace {

// A state as after start-up with an erased image decoded and shown: every
// channel empty, option fields at their column defaults.
class GridEdit : public ::testing::Test {
protected:
    GridEdit()
    {
        ChInfoSaveSol(s, 1);
        ShowChTblGrid(s);
        s.ChLockState = QStringLiteral("ShowNo");
        s.SoftFaceStr[47] = QStringLiteral("&Lock Channel Interface");
        s.SoftFaceStr[110] = QStringLiteral("Delete channel");
        s.SoftFaceStr[112] = QStringLiteral("Delete all channels");
        s.SoftFaceStr[113] = QStringLiteral("Save as default");
        s.SoftFaceStr[114] = QStringLiteral("Open channel");
    }

    // A channel with receive frequency rx (MHz text) typed into row r.
    void makeChannel(int r, const char* rx = "462.5625") { GridAfterEdit(s, r, 1, QString::fromLatin1(rx)); }

    ChannelState cs;
    AppState& s = cs.s();
};

} // namespace

TEST_F(GridEdit, ReceiveFrequencyOnAnEmptyRowMakesADefaultChannel)
{
    s.ChNameCode[5] = {0, 10, 11, 12, 13, 14, 15};
    GridAfterEdit(s, 5, 1, QStringLiteral("462.5625"));
    const auto& ch = s.ChData[5];
    EXPECT_EQ(ch[0], 1);
    EXPECT_EQ(ch[1], 46256250);
    EXPECT_EQ(s.grid.text[5][1], QStringLiteral("462.5625"));
    EXPECT_EQ(s.grid.color[5][1], s.settings.DefColor);
    EXPECT_EQ(ch[2], -1);
    EXPECT_TRUE(s.grid.text[5][2].isEmpty());
    EXPECT_EQ(ch[3], 0);
    EXPECT_EQ(s.grid.text[5][3], QStringLiteral("None"));
    EXPECT_TRUE(s.grid.text[5][4].isEmpty());
    const QStringList options = {"High", "Wide", "On", "Off", "Off", "Off"};
    for (int c = 5; c <= 10; ++c)
        EXPECT_EQ(s.grid.text[5][c], options[c - 5]) << c;
    EXPECT_TRUE(s.grid.text[5][11].isEmpty());
    EXPECT_EQ(s.ChNameCode[5], (std::array<uint8_t, 7>{0, 255, 255, 255, 255, 255, 255}));
    EXPECT_EQ(s.grid.curRow, 5);
    EXPECT_EQ(s.grid.curCol, 2);
    EXPECT_EQ(reportCount(s), 0);
}

TEST_F(GridEdit, FrequencyEntryRules)
{
    const struct {
        int col;
        const char* typed;
        int32_t stored;
        const char* shown;
        bool over;
    } cases[] = {
        {1, "462.5626", 46256250, "462.5625", false}, // snapped
        {1, "50", 44000000, "440", false},             // below 100 MHz: the column default
        {1, "1000", 44000000, "440", false},           // above 999 MHz: the column default
        {1, "480", 48000000, "480", true},             // outside the band, inside the entry limits
        {1, "399.99", 39999000, "399.99", true},
        {2, "440.002", 44000000, "440", false},
        {2, "1e300", 44000000, "440", false},          // overflow: the default
        {2, " 462.5625 ", 46256250, "462.5625", false},
    };
    makeChannel(7);
    for (const auto& c : cases) {
        GridAfterEdit(s, 7, c.col, QString::fromLatin1(c.typed));
        EXPECT_EQ(s.ChData[7][c.col], c.stored) << c.typed;
        EXPECT_EQ(s.grid.text[7][c.col], QString::fromLatin1(c.shown)) << c.typed;
        EXPECT_EQ(s.grid.color[7][c.col], c.over ? s.settings.OverColor : s.settings.DefColor) << c.typed;
    }
    EXPECT_EQ(reportCount(s), 0);
}

TEST_F(GridEdit, DefaultOutsideTheEntryLimitsBecomes400MHz)
{
    s.ColInfo[1][2] = QStringLiteral("5");
    makeChannel(3, "20");
    EXPECT_EQ(s.ChData[3][1], 40000000);
    s.ColInfo[1][2] = QStringLiteral("not a number");
    GridAfterEdit(s, 3, 1, QStringLiteral("20"));
    EXPECT_EQ(s.ChData[3][1], 40000000);
    EXPECT_EQ(s.grid.text[3][1], QStringLiteral("400"));
}

TEST_F(GridEdit, TransmitEntryCopiesTheDecodeSignallingWhenEncodeIsUnset)
{
    makeChannel(8);
    GridAfterEdit(s, 8, 3, QStringLiteral("D023N"));
    GridAfterEdit(s, 8, 2, QStringLiteral(""));           // erased: encode becomes -1
    EXPECT_EQ(s.ChData[8][4], -1);
    GridAfterEdit(s, 8, 2, QStringLiteral("467.5625"));
    EXPECT_EQ(s.ChData[8][2], 46756250);
    EXPECT_EQ(s.ChData[8][4], 51);
    EXPECT_EQ(s.grid.text[8][4], QStringLiteral("D023N"));
    EXPECT_EQ(s.grid.curCol, 3);
    // With an encode setting present it is kept and shown.
    GridAfterEdit(s, 8, 4, QStringLiteral("67.0"));
    GridAfterEdit(s, 8, 2, QStringLiteral("462.5625"));
    EXPECT_EQ(s.ChData[8][4], 1);
    EXPECT_EQ(s.grid.text[8][4], QStringLiteral("67.0"));
}

TEST_F(GridEdit, ErasingFrequencies)
{
    makeChannel(9);
    GridAfterEdit(s, 9, 2, QStringLiteral("462.5625"));
    GridAfterEdit(s, 9, 11, QStringLiteral("abc"));
    const auto names = s.ChNameCode[9];

    GridAfterEdit(s, 9, 2, QString());
    EXPECT_EQ(s.ChData[9][2], -1);
    EXPECT_EQ(s.ChData[9][4], -1);
    EXPECT_TRUE(s.grid.text[9][2].isEmpty());
    EXPECT_TRUE(s.grid.text[9][4].isEmpty());
    EXPECT_EQ(s.grid.curCol, 4);

    GridAfterEdit(s, 9, 1, QString());
    for (int c = 1; c <= 11; ++c) {
        EXPECT_EQ(s.ChData[9][c], -1) << c;
        EXPECT_TRUE(s.grid.text[9][c].isEmpty()) << c;
        EXPECT_EQ(s.grid.color[9][c], s.settings.DefColor);
    }
    EXPECT_EQ(s.ChNameCode[9], names); // only the cell is emptied
    EXPECT_EQ(s.grid.curCol, 1);

    // Typing a receive frequency again brings the defaults back.
    makeChannel(9);
    EXPECT_EQ(s.ChData[9][5], 1);
    EXPECT_EQ(s.grid.text[9][3], QStringLiteral("None"));
    EXPECT_EQ(reportCount(s), 0);
}

TEST_F(GridEdit, VfoRowKeepsItsFrequencies)
{
    makeChannel(100);
    GridAfterEdit(s, 100, 2, QStringLiteral("440"));
    GridAfterEdit(s, 100, 2, QString());
    GridAfterEdit(s, 100, 1, QString());
    EXPECT_EQ(s.ChData[100][1], 46256250);
    EXPECT_EQ(s.ChData[100][2], 44000000);
    EXPECT_EQ(s.grid.text[100][1], QStringLiteral("462.5625"));
    EXPECT_EQ(s.grid.text[100][2], QStringLiteral("440"));
    // An empty VFO row shows nothing rather than a bogus frequency.
    GridAfterEdit(s, 99, 1, QString());
    s.ChData[100][1] = -1;
    GridAfterEdit(s, 100, 1, QString());
    EXPECT_TRUE(s.grid.text[100][1].isEmpty());
}

TEST_F(GridEdit, TextThatIsNoNumberIsRefusedNotErased)
{
    makeChannel(4);
    GridAfterEdit(s, 4, 1, QStringLiteral("46x"));
    EXPECT_EQ(s.ChData[4][1], 46256250);
    EXPECT_EQ(s.grid.text[4][1], QStringLiteral("462.5625"));
    EXPECT_EQ(reportsAt(s, QStringLiteral("frmChMem->vsfgGridCh_AfterEdit:"), 13), 1);
}

TEST_F(GridEdit, ListColumnsStoreThePositionOfThePickedText)
{
    makeChannel(6);
    const struct {
        int col;
        const char* picked;
        int32_t index;
    } cases[] = {{3, "D023N", 51}, {3, "None", 0}, {3, "D754I", 260}, {5, "Low", 0},
                 {8, "QT/DQT", 2}, {8, "Carrier", 1}, {10, "On", 1}};
    for (const auto& c : cases) {
        GridAfterEdit(s, 6, c.col, QString::fromLatin1(c.picked));
        EXPECT_EQ(s.ChData[6][c.col], c.index) << c.picked;
        EXPECT_EQ(s.grid.text[6][c.col], QString::fromLatin1(c.picked));
    }
    GridAfterEdit(s, 6, 8, QStringLiteral("Sometimes"));
    EXPECT_EQ(s.ChData[6][8], 1);
    EXPECT_EQ(s.grid.text[6][8], QStringLiteral("Carrier"));
    EXPECT_EQ(reportsAt(s, QStringLiteral("frmChMem->vsfgGridCh_AfterEdit:"), 380), 1);
}

TEST_F(GridEdit, NameColumnNormalisesTheText)
{
    makeChannel(2);
    GridAfterEdit(s, 2, 11, QStringLiteral("ch-1"));
    EXPECT_EQ(s.ChNameCode[2], (std::array<uint8_t, 7>{0, 12, 17, 36, 1, 38, 38}));
    EXPECT_EQ(s.grid.text[2][11], QStringLiteral("CH-1  "));
    GridAfterEdit(s, 2, 11, QString());
    EXPECT_EQ(s.ChNameCode[2], (std::array<uint8_t, 7>{0, 255, 255, 255, 255, 255, 255}));
    makeChannel(100);
    GridAfterEdit(s, 100, 11, QStringLiteral("VFO"));
    EXPECT_TRUE(s.grid.text[100][11].isEmpty()); // the VFO row never has a name
    EXPECT_EQ(s.ChNameCode[100][1], 255);
}

TEST_F(GridEdit, WhichCellsMayBeEdited)
{
    EXPECT_TRUE(GridCanEdit(s, 5, 1));
    EXPECT_FALSE(GridCanEdit(s, 5, 2)); // empty row: only the receive frequency
    EXPECT_FALSE(GridCanEdit(s, 5, 11));
    EXPECT_TRUE(GridCanEdit(s, 100, 10)); // the VFO row's last option, even empty
    makeChannel(5);
    EXPECT_TRUE(GridCanEdit(s, 5, 3));
    EXPECT_FALSE(GridCanEdit(s, 5, 4)); // no transmit frequency
    GridAfterEdit(s, 5, 2, QStringLiteral("462.5625"));
    EXPECT_TRUE(GridCanEdit(s, 5, 4));
    EXPECT_FALSE(GridCanEdit(s, 0, 1));
    EXPECT_FALSE(GridCanEdit(s, 5, 0));
    EXPECT_FALSE(GridCanEdit(s, 101, 1));
    EXPECT_FALSE(GridCanEdit(s, 5, 12));
    // The after-edit step applies the same rules.
    GridAfterEdit(s, 6, 3, QStringLiteral("67.0"));
    GridAfterEdit(s, 7, 1, QStringLiteral("440"));
    GridAfterEdit(s, 7, 4, QStringLiteral("67.0"));
    EXPECT_EQ(s.ChData[6][3], 0);
    EXPECT_TRUE(s.grid.text[6][3].isEmpty());
    EXPECT_EQ(s.ChData[7][4], 0);
    // A click on an empty row opens its receive frequency entry.
    EXPECT_FALSE(GridClickOpensEntry(s, 5, 6));
    EXPECT_TRUE(GridClickOpensEntry(s, 8, 6));
    EXPECT_EQ(s.grid.curCol, 1);
    s.ChLockState = QStringLiteral("ShowLock");
    EXPECT_FALSE(GridCanEdit(s, 5, 1));
    EXPECT_FALSE(GridCanEdit(s, 100, 10));
    EXPECT_EQ(GridEditModeFor(s, 1), GridEditMode::None);
    EXPECT_EQ(reportCount(s), 0);
}

TEST_F(GridEdit, DoubleClickCyclesOptionValues)
{
    makeChannel(3);
    std::vector<int32_t> seen;
    for (int i = 0; i < 4; ++i) {
        GridDoubleClick(s, 3, 8);
        seen.push_back(s.ChData[3][8]);
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{1, 2, 0, 1}));
    EXPECT_EQ(s.grid.text[3][8], QStringLiteral("Carrier"));
    s.ChData[3][8] = 5;
    GridDoubleClick(s, 3, 8);
    EXPECT_EQ(s.ChData[3][8], 0);
    GridDoubleClick(s, 3, 5); // two values: 1 -> 0
    EXPECT_EQ(s.ChData[3][5], 0);
    EXPECT_EQ(s.grid.text[3][5], QStringLiteral("Low"));
    makeChannel(100);
    s.ChData[100][10] = 1;
    GridDoubleClick(s, 100, 10);
    EXPECT_EQ(s.ChData[100][10], 0);
}

TEST_F(GridEdit, DoubleClickCopiesAcross)
{
    makeChannel(3, "480");
    GridAfterEdit(s, 3, 3, QStringLiteral("D023N"));
    GridDoubleClick(s, 3, 2);
    EXPECT_EQ(s.ChData[3][2], 48000000);
    EXPECT_EQ(s.grid.text[3][2], QStringLiteral("480"));
    EXPECT_EQ(s.grid.color[3][2], s.settings.OverColor);
    EXPECT_EQ(s.ChData[3][4], 51);
    EXPECT_EQ(s.grid.text[3][4], QStringLiteral("D023N"));
    GridDoubleClick(s, 3, 2); // a transmit frequency is present: nothing
    EXPECT_EQ(s.ChData[3][2], 48000000);
    GridAfterEdit(s, 3, 4, QStringLiteral("67.0"));
    GridDoubleClick(s, 3, 3);
    EXPECT_EQ(s.ChData[3][3], 1);
    EXPECT_EQ(s.grid.text[3][3], QStringLiteral("67.0"));
    GridAfterEdit(s, 3, 3, QStringLiteral("None"));
    GridDoubleClick(s, 3, 4);
    EXPECT_EQ(s.ChData[3][4], 0);
}

TEST_F(GridEdit, DoubleClickProposesAName)
{
    makeChannel(7);
    GridDoubleClick(s, 7, 11);
    EXPECT_EQ(s.grid.text[7][11], QStringLiteral(" CH-07"));
    GridAfterEdit(s, 7, 11, s.grid.text[7][11]);
    EXPECT_EQ(s.ChNameCode[7], (std::array<uint8_t, 7>{0, 38, 12, 17, 36, 0, 7}));
    GridDoubleClick(s, 7, 11); // a name is present: unchanged
    EXPECT_EQ(s.grid.text[7][11], QStringLiteral(" CH-07"));
    GridDoubleClick(s, 8, 11); // an empty row: nothing
    EXPECT_TRUE(s.grid.text[8][11].isEmpty());
}

TEST_F(GridEdit, LockedInterfaceChangesNothing)
{
    makeChannel(3);
    const auto table = s.ChData;
    const auto texts = s.grid.text;
    s.ChLockState = QStringLiteral("ShowLock");
    GridAfterEdit(s, 3, 1, QStringLiteral("440"));
    GridAfterEdit(s, 4, 1, QStringLiteral("440"));
    GridDoubleClick(s, 3, 8);
    EXPECT_FALSE(GridClickOpensEntry(s, 5, 3));
    OpenChannel(s, 5);
    DeleteChannel(s, 3);
    DeleteAllChannels(s);
    SaveAsDefault(s, 3);
    EXPECT_EQ(s.ChData, table);
    EXPECT_EQ(s.grid.text, texts);
    EXPECT_EQ(s.ColInfo[1][2], QStringLiteral("44000000"));
}

TEST_F(GridEdit, PopupMenuEntries)
{
    EXPECT_FALSE(ChannelPopupFor(s, 0, 3, true).show);
    EXPECT_FALSE(ChannelPopupFor(s, 3, 0, true).show);
    auto m = ChannelPopupFor(s, 5, 3, false);
    EXPECT_TRUE(m.show);
    EXPECT_EQ(m.openCaption, QStringLiteral("Open channel 5"));
    EXPECT_TRUE(m.openEnabled);
    EXPECT_FALSE(m.saveDefEnabled);
    EXPECT_FALSE(m.delOneEnabled);
    EXPECT_TRUE(m.delAllEnabled);
    EXPECT_FALSE(m.lockVisible);
    makeChannel(5);
    m = ChannelPopupFor(s, 5, 3, true);
    EXPECT_FALSE(m.openEnabled);
    EXPECT_TRUE(m.saveDefEnabled);
    EXPECT_EQ(m.delOneCaption, QStringLiteral("Delete channel 5"));
    EXPECT_TRUE(m.delOneEnabled);
    EXPECT_TRUE(m.lockVisible);
    EXPECT_FALSE(m.lockChecked);
    s.ChLockState = QStringLiteral("ShowLock");
    m = ChannelPopupFor(s, 5, 3, true);
    EXPECT_TRUE(m.lockChecked);
    EXPECT_FALSE(m.openEnabled || m.saveDefEnabled || m.delOneEnabled || m.delAllEnabled);
}

TEST_F(GridEdit, OpenChannelGivesTheDefaults)
{
    OpenChannel(s, 5);
    const auto& ch = s.ChData[5];
    EXPECT_EQ(ch[0], 1);
    EXPECT_EQ(ch[1], 44000000);
    EXPECT_EQ(ch[2], 44000000);
    EXPECT_EQ(s.grid.text[5][2], QStringLiteral("440"));
    EXPECT_EQ(s.grid.text[5][3], QStringLiteral("None"));
    EXPECT_EQ(s.grid.text[5][4], QStringLiteral("None"));
    EXPECT_EQ(s.grid.text[5][8], QStringLiteral("Off"));
    EXPECT_EQ(s.grid.text[5][11], QStringLiteral(" CH-05"));
    EXPECT_EQ(s.ChNameCode[5], (std::array<uint8_t, 7>{0, 38, 12, 17, 36, 0, 5}));
    EXPECT_EQ(s.grid.curCol, 1);

    // Transmit default 0: no transmit frequency, no encode text.
    s.ColInfo[2][2] = QStringLiteral("0");
    s.ColInfo[4][2] = QStringLiteral("-1");
    OpenChannel(s, 6);
    EXPECT_EQ(s.ChData[6][2], -1);
    EXPECT_TRUE(s.grid.text[6][2].isEmpty());
    EXPECT_EQ(s.ChData[6][4], -1);
    EXPECT_TRUE(s.grid.text[6][4].isEmpty());
    OpenChannel(s, 100);
    EXPECT_TRUE(s.grid.text[100][11].isEmpty());
    EXPECT_EQ(reportCount(s), 0);
}

TEST_F(GridEdit, OpenChannelStopsAtAnOptionWithoutText)
{
    s.ColInfo[7][2] = QStringLiteral("47");
    OpenChannel(s, 5);
    EXPECT_EQ(s.ChData[5][1], 44000000);
    EXPECT_EQ(s.grid.text[5][6], QStringLiteral("Wide"));
    EXPECT_TRUE(s.grid.text[5][8].isEmpty());
    EXPECT_EQ(reportsAt(s, QStringLiteral("mdifrmMain->mnuOpenCh_Click"), 9), 1);
}

TEST_F(GridEdit, SaveAsDefaultPersistsForLaterRuns)
{
    makeChannel(3);
    GridAfterEdit(s, 3, 8, QStringLiteral("QT/DQT"));
    SaveAsDefault(s, 3);
    EXPECT_EQ(s.ColInfo[1][2], QStringLiteral("46256250"));
    EXPECT_EQ(s.profile.read(QStringLiteral("ChInfo"), QStringLiteral("3202"), QString(), 100), QStringLiteral("46256250"));
    EXPECT_EQ(s.profile.read(QStringLiteral("ChInfo"), QStringLiteral("3552"), QString(), 100), QStringLiteral("2"));
    EXPECT_EQ(s.profile.read(QStringLiteral("ChInfo"), QStringLiteral("1202"), QString(), 100), QStringLiteral("44000000"));
    OpenChannel(s, 9);
    EXPECT_EQ(s.grid.text[9][1], QStringLiteral("462.5625"));
    EXPECT_EQ(s.grid.text[9][8], QStringLiteral("QT/DQT"));

    // A later run reads the stored defaults; an empty channel decodes to them.
    ReadChInfo(s);
    EXPECT_EQ(s.ColInfo[8][2], QStringLiteral("2"));
    ChInfoSaveSol(s, 1);
    EXPECT_EQ(s.ChData[20][8], 2);
    EXPECT_EQ(reportCount(s), 0);
}

TEST(SaveAsDefault, LanguageOneUsesItsOwnKeys)
{
    ChannelState cs(true, 100, 1);
    AppState& s = cs.s();
    ChInfoSaveSol(s, 1);
    ShowChTblGrid(s);
    GridAfterEdit(s, 3, 1, QStringLiteral("462.5625"));
    SaveAsDefault(s, 3);
    EXPECT_EQ(s.profile.read(QStringLiteral("ChInfo"), QStringLiteral("1202"), QString(), 100), QStringLiteral("46256250"));
    EXPECT_EQ(s.profile.read(QStringLiteral("ChInfo"), QStringLiteral("3202"), QString(), 100), QStringLiteral("44000000"));
}

TEST_F(GridEdit, SaveAsDefaultReportsAFileThatCannotBeWritten)
{
    makeChannel(3);
    s.profile.setPath(s.home + QStringLiteral("/missing/folder/Uninstall.exe"));
    SaveAsDefault(s, 3);
    EXPECT_EQ(s.ColInfo[1][2], QStringLiteral("46256250")); // kept for this run
    EXPECT_EQ(reportsAt(s, QStringLiteral("mdifrmMain->mnuSaveDef_Click"), 75), 1);
}

TEST_F(GridEdit, DeleteCommands)
{
    makeChannel(3);
    makeChannel(99);
    makeChannel(100);
    DeleteChannel(s, 100);
    EXPECT_EQ(s.ChData[100][1], 46256250);
    DeleteChannel(s, 3);
    EXPECT_EQ(s.ChData[3][1], -1);
    EXPECT_TRUE(s.grid.text[3][1].isEmpty());
    DeleteAllChannels(s);
    EXPECT_EQ(s.ChData[99][1], -1);
    EXPECT_EQ(s.ChData[100][1], 46256250);
    EXPECT_EQ(s.grid.text[100][1], QStringLiteral("462.5625"));
    for (int n = 1; n <= 99; ++n)
        EXPECT_EQ(s.IicDat[chRecordAddr(n) + 3], 0xFF);
    EXPECT_EQ(reportCount(s), 0);
}

TEST(DeleteAllChannels, ReachesTheLastChannelOfAShortTable)
{
    ChannelState cs(true, 16);
    AppState& s = cs.s();
    ChInfoSaveSol(s, 1);
    ShowChTblGrid(s);
    GridAfterEdit(s, 16, 1, QStringLiteral("440"));
    DeleteAllChannels(s);
    EXPECT_EQ(s.ChData[16][1], -1);
}
