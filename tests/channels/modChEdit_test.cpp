// The grid's editing rules on the channel table. What the channel window
// shows for each rule through typing, clicks, keys and its popup menu is
// driven in desktop/frmChMem_test.cpp; here the rules' edges.
#include "ChannelTestSupport.h"

#include "channels/modChEdit.h"

using namespace qm;
using namespace qmtest;

namespace {

// An erased image decoded and shown: every channel empty, options at their column defaults.
class GridEdit : public ChannelTest {
protected:
    GridEdit()
    {
        ChInfoSaveSol(s, 1);
        ShowChTblGrid(s);
        s.settings.SoftFaceStr[110] = QStringLiteral("Delete channel");
        s.settings.SoftFaceStr[114] = QStringLiteral("Open channel");
    }

    void edit(int r, int c, const char* text) { GridAfterEdit(s, r, c, QString::fromLatin1(text)); }
    QString key(const char* k) { return s.settings.profile.read(QStringLiteral("ChInfo"), QLatin1String(k), QString(), 100); }
    QStringList row(int r) { return QStringList(s.grid.text[r].begin() + 1, s.grid.text[r].begin() + 12); }

    const std::array<uint8_t, 7> noName{0, 255, 255, 255, 255, 255, 255};
};

} // namespace

TEST_F(GridEdit, FrequencyEntryRules)
{
    s.doc.ChNameCode[7] = {0, 10, 11, 12, 13, 14, 15};
    edit(7, 1, "462.5625"); // an empty row becomes a default channel without transmit frequency
    EXPECT_EQ(row(7), (QStringList{"462.5625", "", "None", "", "High", "Wide", "On", "Off", "Off", "Off", ""}));
    EXPECT_EQ(s.doc.ChNameCode[7], noName);

    const struct { int col; const char* typed; int32_t stored; const char* shown; } cases[] = {
        {1, "1000", 44000000, "440"}, // above 999 MHz: the column default
        {1, "50", 44000000, "440"},   // below 100 MHz: the same
        {1, "462.5626", 46256250, "462.5625"}, // snapped to the channel step
        {2, "1e300", 44000000, "440"}, // overflow: the default
        {2, " 462.5625 ", 46256250, "462.5625"},
        {2, "46x", 46256250, "462.5625"}, // a typing slip is refused, not an erasure
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        edit(7, c.col, c.typed);
        EXPECT_EQ(s.doc.ChData[7][c.col], c.stored);
        EXPECT_EQ(s.grid.text[7][c.col], QLatin1String(c.shown));
    }
    EXPECT_EQ(reportCount(s), 1);
    EXPECT_EQ(reportsAt(s, QStringLiteral("frmChMem->vsfgGridCh_AfterEdit:"), 13), 1);

    for (const char* def : {"5", "not a number"}) { // a default outside the limits: the band's lower edge
        s.settings.ColInfo[1][2] = QLatin1String(def);
        edit(3, 1, "20");
        EXPECT_EQ(s.doc.ChData[3][1], 40000000) << def;
        EXPECT_EQ(s.grid.text[3][1], QStringLiteral("400"));
    }
}

TEST_F(GridEdit, TransmitEntryAndErasing)
{
    edit(8, 1, "462.5625");
    edit(8, 3, "D023N");
    edit(8, 2, "");         // erasing the transmit frequency unsets the encode signalling
    edit(8, 2, "467.5625"); // encode unset: takes the decode signalling
    EXPECT_EQ(s.doc.ChData[8][4], 51);
    EXPECT_EQ(s.grid.text[8][4], QStringLiteral("D023N"));
    edit(8, 4, "67.0");
    edit(8, 2, "462.5625"); // encode set: kept
    EXPECT_EQ(s.doc.ChData[8][4], 1);
    edit(8, 4, "None"); // "None" is a choice too: kept
    edit(8, 2, "467.5625");
    EXPECT_EQ(s.doc.ChData[8][4], 0);
    edit(8, 11, "abc");
    const auto names = s.doc.ChNameCode[8];
    edit(8, 1, ""); // an empty row; the name codes stay, only the cell is emptied
    EXPECT_TRUE(std::all_of(s.doc.ChData[8].begin() + 1, s.doc.ChData[8].begin() + 12, [](int32_t v) { return v == -1; }));
    EXPECT_EQ(s.doc.ChNameCode[8], names);
    edit(8, 1, "440"); // the defaults come back
    EXPECT_EQ(row(8), (QStringList{"440", "", "None", "", "High", "Wide", "On", "Off", "Off", "Off", ""}));

    edit(100, 1, "462.5625"); // the VFO row keeps its frequencies; empty, it shows nothing
    edit(100, 2, "440");
    edit(100, 2, "");
    edit(100, 1, "");
    EXPECT_EQ(row(100).mid(0, 2), (QStringList{"462.5625", "440"}));
    s.doc.ChData[100][1] = -1;
    edit(100, 1, "");
    EXPECT_TRUE(s.grid.text[100][1].isEmpty());
    EXPECT_EQ(reportCount(s), 0);
}

TEST_F(GridEdit, ListNameAndVfoCells)
{
    edit(6, 1, "440");
    for (const auto& [col, picked, index] : {std::tuple{3, "D754I", 260}, {8, "QT/DQT", 2}}) {
        edit(6, col, picked);
        EXPECT_EQ(s.doc.ChData[6][col], index) << picked;
        EXPECT_EQ(s.grid.text[6][col], QLatin1String(picked));
    }
    edit(6, 8, "Sometimes"); // no entry of the list: refused
    EXPECT_EQ(s.doc.ChData[6][8], 2);
    EXPECT_EQ(reportsAt(s, QStringLiteral("frmChMem->vsfgGridCh_AfterEdit:"), 380), 1);
    for (int32_t want : {0, 1, 2}) { // a double-click cycles through the three values
        GridDoubleClick(s, 6, 8);
        EXPECT_EQ(s.doc.ChData[6][8], want);
    }
    edit(6, 11, "ch-1"); // stored in the radio's alphabet, shown as the radio shows it
    EXPECT_EQ(s.grid.text[6][11], QStringLiteral("CH-1  "));
    edit(6, 11, "");
    EXPECT_EQ(s.doc.ChNameCode[6], noName);
    GridDoubleClick(s, 6, 11); // an empty name of a channel proposes one; an empty row gets nothing
    GridDoubleClick(s, 8, 11);
    EXPECT_EQ(s.grid.text[6][11], QStringLiteral(" CH-06"));
    EXPECT_TRUE(s.grid.text[8][11].isEmpty());

    // The VFO row never has a name; its options cycle like any channel's.
    edit(100, 1, "440");
    edit(100, 11, "VFO");
    EXPECT_TRUE(s.grid.text[100][11].isEmpty());
    EXPECT_EQ(s.doc.ChNameCode[100], noName);
    s.doc.ChData[100][10] = 1;
    GridDoubleClick(s, 100, 10);
    EXPECT_EQ(s.doc.ChData[100][10], 0);
    edit(100, 3, "None"); // a double-click on encode copies the decode signalling
    GridDoubleClick(s, 100, 2);
    GridDoubleClick(s, 100, 4);
    EXPECT_EQ(s.doc.ChData[100][4], 0);
}

// What the rules forbid, and everything while the table is locked: the
// commands themselves refuse, whatever calls them (menus, keys, undo).
TEST_F(GridEdit, CommandsRefuseWhatTheRulesForbidAndEverythingLocked)
{
    EXPECT_TRUE(GridCanEdit(s, 100, 10)); // the VFO row's last option, even empty
    for (auto [r, c] : {std::pair{0, 1}, {5, 0}, {101, 1}, {5, 12}})
        EXPECT_FALSE(GridCanEdit(s, r, c)) << r << "," << c;
    edit(6, 3, "67.0"); // the after-edit step applies the same rules as the editors
    edit(7, 1, "440");
    edit(7, 4, "67.0");
    EXPECT_TRUE(s.grid.text[6][3].isEmpty());
    EXPECT_EQ(s.doc.ChData[7][4], 0);
    EXPECT_EQ(reportCount(s), 0);

    const auto table = s.doc.ChData;
    const auto texts = s.grid.text;
    s.view.ChLockState = QStringLiteral("ShowLock");
    EXPECT_FALSE(ChannelPopupFor(s, 7, 3, true).delAllEnabled);
    EXPECT_FALSE(GridCanEdit(s, 100, 10) || GridClickOpensEntry(s, 6, 3));
    EXPECT_EQ(GridEditModeFor(s, 1), GridEditMode::None);
    edit(7, 1, "462.5");
    GridDoubleClick(s, 7, 8);
    OpenChannel(s, 6);
    DeleteChannel(s, 7);
    DeleteAllChannels(s);
    SaveAsDefault(s, 7);
    EXPECT_EQ(s.doc.ChData, table);
    EXPECT_EQ(s.grid.text, texts);
    EXPECT_EQ(s.settings.ColInfo[1][2], QStringLiteral("44000000"));
}

TEST_F(GridEdit, OpenChannelGivesTheDefaults)
{
    OpenChannel(s, 5);
    EXPECT_EQ(s.doc.ChData[5], (std::array<int32_t, kChFields>{1, 44000000, 44000000, 0, 0, 1, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(s.doc.ChNameCode[5], (std::array<uint8_t, 7>{0, 38, 12, 17, 36, 0, 5}));
    s.settings.ColInfo[2][2] = QStringLiteral("0"); // transmit default 0: no transmit frequency, no encode
    s.settings.ColInfo[4][2] = QStringLiteral("-1");
    OpenChannel(s, 6);
    EXPECT_EQ((std::array{s.doc.ChData[6][2], s.doc.ChData[6][4]}), (std::array{-1, -1}));
    EXPECT_TRUE(s.grid.text[6][2].isEmpty() && s.grid.text[6][4].isEmpty());
    OpenChannel(s, 100);
    EXPECT_TRUE(s.grid.text[100][11].isEmpty());
    EXPECT_EQ(reportCount(s), 0);
    s.settings.ColInfo[7][2] = QStringLiteral("47"); // an option default without text stops the row
    OpenChannel(s, 7);
    EXPECT_EQ(s.grid.text[7][6], QStringLiteral("Wide"));
    EXPECT_TRUE(s.grid.text[7][8].isEmpty());
    EXPECT_EQ(reportsAt(s, QStringLiteral("mdifrmMain->mnuOpenCh_Click"), 9), 1);
}

TEST_F(GridEdit, SaveAsDefaultPersistsUnderTheLanguagesKeys)
{
    edit(3, 1, "462.5625");
    edit(3, 8, "QT/DQT");
    SaveAsDefault(s, 3);
    EXPECT_EQ((QStringList{key("3202"), key("3552"), key("1202")}), (QStringList{"46256250", "2", "44000000"}));
    ReadChInfo(s); // a later run decodes an empty channel to the stored defaults
    ChInfoSaveSol(s, 1);
    EXPECT_EQ(s.doc.ChData[20][8], 2);

    s.settings.Language = 1;
    edit(3, 1, "440.00625");
    SaveAsDefault(s, 3);
    EXPECT_EQ((QStringList{key("3202"), key("1202")}), (QStringList{"46256250", "44000625"}));
    EXPECT_EQ(reportCount(s), 0);

    s.settings.profile.setPath(s.settings.home + QStringLiteral("/missing/folder/Uninstall.exe"));
    edit(3, 1, "446");
    SaveAsDefault(s, 3);
    EXPECT_EQ(s.settings.ColInfo[1][2], QStringLiteral("44600000")); // kept for this run
    EXPECT_EQ(reportsAt(s, QStringLiteral("mdifrmMain->mnuSaveDef_Click"), 75), 1);
}

// What the edits leave in the image, byte for byte: the entry rules and the
// codec together.
TEST_F(GridEdit, EditsReachTheRecordAsTheCodecWritesThem)
{
    edit(5, 1, "462.5625");
    edit(5, 2, "467.5625");
    edit(5, 3, "67.0");
    edit(5, 11, "ab");
    GridDoubleClick(s, 5, 5); // Power High -> Low (0)
    ChInfoSaveSol(s, 0);
    // Encode signalling "None" (index 0): the transmit entry copied the decode signalling, None until the next edit.
    EXPECT_EQ(cs.record(5, 0, 16), (Bytes{0x50, 0x62, 0x25, 0x46, 0x50, 0x62, 0x75, 0x46, 0x9E, 0x02, 0xFF, 0xFF, 0x24, 0xFF, 10, 11}));
    EXPECT_EQ(Bytes(s.doc.IicDat.begin() + chNameAddr(5), s.doc.IicDat.begin() + chNameAddr(5) + 4), Bytes(4, 38));
    // An empty channel: no frequencies or signalling, its option bits from the column defaults.
    EXPECT_EQ(cs.record(6, 0, 16), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xA4, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(reportCount(s), 0);
}

TEST_F(GridEdit, DeleteAllGoesUpToTheLastChannelOfTheTable)
{
    for (int n : {15, 16, 100})
        edit(n, 1, "462.5625");
    s.settings.ChNum = 16;
    DeleteAllChannels(s);
    EXPECT_EQ((std::array{s.doc.ChData[15][1], s.doc.ChData[16][1], s.doc.ChData[100][1], reportCount(s)}), (std::array{-1, -1, 46256250, 0}));
}
