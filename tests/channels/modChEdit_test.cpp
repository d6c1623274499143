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
    EXPECT_EQ(s.doc.ChData[7], (std::array<int32_t, kChFields>{1, 46256250, -1, 0, 0, 1, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(row(7), (QStringList{"462.5625", "", "None", "", "High", "Wide", "On", "Off", "Off", "Off", ""}));
    EXPECT_EQ(s.doc.ChNameCode[7], noName);
    EXPECT_EQ(s.grid.curCol, 2);

    const struct { int col; const char* typed; int32_t stored; const char* shown; bool over; } cases[] = {
        {1, "462.5626", 46256250, "462.5625", false}, // snapped
        {1, "50", 44000000, "440", false},            // below 100 MHz: the column default
        {1, "1000", 44000000, "440", false},          // above 999 MHz: the column default
        {1, "480", 48000000, "480", true},            // outside the band, inside the entry limits
        {2, "1e300", 44000000, "440", false},         // overflow: the default
        {2, " 462.5625 ", 46256250, "462.5625", false},
        {2, "46x", 46256250, "462.5625", false}, // a typing slip is refused, not an erasure
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        edit(7, c.col, c.typed);
        EXPECT_EQ(s.doc.ChData[7][c.col], c.stored);
        EXPECT_EQ(s.grid.text[7][c.col], QLatin1String(c.shown));
        EXPECT_EQ(s.grid.color[7][c.col], c.over ? s.settings.OverColor : s.settings.DefColor);
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
    EXPECT_EQ(s.grid.curCol, 3);
    edit(8, 4, "67.0");
    edit(8, 2, "462.5625"); // encode set: kept
    EXPECT_EQ(s.doc.ChData[8][4], 1);
    edit(8, 11, "abc");
    const auto names = s.doc.ChNameCode[8];
    edit(8, 1, ""); // an empty row; the name codes stay, only the cell is emptied
    EXPECT_TRUE(std::all_of(s.doc.ChData[8].begin() + 1, s.doc.ChData[8].begin() + 12, [](int32_t v) { return v == -1; }));
    EXPECT_EQ(row(8), QStringList(11, QString()));
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

TEST_F(GridEdit, ListAndNameColumns)
{
    edit(6, 1, "440");
    const struct { int col; const char* picked; int32_t index; } cases[] = {
        {3, "D023N", 51}, {3, "D754I", 260}, {5, "Low", 0}, {8, "QT/DQT", 2}, {8, "Carrier", 1}};
    for (const auto& c : cases) {
        edit(6, c.col, c.picked);
        EXPECT_EQ(s.doc.ChData[6][c.col], c.index) << c.picked;
        EXPECT_EQ(s.grid.text[6][c.col], QLatin1String(c.picked));
    }
    edit(6, 8, "Sometimes");
    EXPECT_EQ(s.doc.ChData[6][8], 1);
    EXPECT_EQ(s.grid.text[6][8], QStringLiteral("Carrier"));
    EXPECT_EQ(reportsAt(s, QStringLiteral("frmChMem->vsfgGridCh_AfterEdit:"), 380), 1);

    edit(6, 11, "ch-1");
    EXPECT_EQ(s.doc.ChNameCode[6], (std::array<uint8_t, 7>{0, 12, 17, 36, 1, 38, 38}));
    EXPECT_EQ(s.grid.text[6][11], QStringLiteral("CH-1  "));
    edit(6, 11, "");
    EXPECT_EQ(s.doc.ChNameCode[6], noName);
    edit(100, 1, "440");
    edit(100, 11, "VFO"); // the VFO row never has a name
    EXPECT_TRUE(s.grid.text[100][11].isEmpty());
    EXPECT_EQ(s.doc.ChNameCode[100], noName);
}

TEST_F(GridEdit, WhichCellsMayBeEdited)
{
    EXPECT_TRUE(GridCanEdit(s, 5, 1));
    EXPECT_FALSE(GridCanEdit(s, 5, 2));   // empty row: only the receive frequency
    EXPECT_TRUE(GridCanEdit(s, 100, 10)); // the VFO row's last option, even empty
    edit(5, 1, "462.5625");
    EXPECT_TRUE(GridCanEdit(s, 5, 3));
    EXPECT_FALSE(GridCanEdit(s, 5, 4)); // no transmit frequency
    edit(5, 2, "462.5625");
    EXPECT_TRUE(GridCanEdit(s, 5, 4));
    const std::pair<int, int> outside[] = {{0, 1}, {5, 0}, {101, 1}, {5, 12}};
    for (auto [r, c] : outside)
        EXPECT_FALSE(GridCanEdit(s, r, c)) << r << "," << c;
    edit(6, 3, "67.0"); // the after-edit step applies the same rules
    edit(7, 1, "440");
    edit(7, 4, "67.0");
    EXPECT_TRUE(s.grid.text[6][3].isEmpty());
    EXPECT_EQ(s.doc.ChData[7][4], 0);
    EXPECT_FALSE(GridClickOpensEntry(s, 5, 6)); // a click on an empty row opens its receive entry
    EXPECT_TRUE(GridClickOpensEntry(s, 8, 6));
    EXPECT_EQ(s.grid.curCol, 1);
    EXPECT_EQ(reportCount(s), 0);
}

TEST_F(GridEdit, DoubleClick)
{
    edit(3, 1, "480");
    for (int32_t want : {1, 2, 0, 1}) { // BCL has three values
        GridDoubleClick(s, 3, 8);
        EXPECT_EQ(s.doc.ChData[3][8], want);
    }
    EXPECT_EQ(s.grid.text[3][8], QStringLiteral("Carrier"));
    s.doc.ChData[3][8] = 5;
    GridDoubleClick(s, 3, 8);
    GridDoubleClick(s, 3, 5);
    EXPECT_EQ((std::array{s.doc.ChData[3][8], s.doc.ChData[3][5]}), (std::array{0, 0}));
    edit(100, 1, "440");
    s.doc.ChData[100][10] = 1;
    GridDoubleClick(s, 100, 10);
    EXPECT_EQ(s.doc.ChData[100][10], 0);

    edit(3, 3, "D023N"); // transmit: a simplex copy of frequency and signalling, only when unset
    GridDoubleClick(s, 3, 2);
    EXPECT_EQ(row(3).mid(1, 3), (QStringList{"480", "D023N", "D023N"}));
    EXPECT_EQ(s.grid.color[3][2], s.settings.OverColor);
    edit(3, 2, "440");
    edit(3, 4, "67.0");
    GridDoubleClick(s, 3, 2);
    GridDoubleClick(s, 3, 3); // signalling copied across
    EXPECT_EQ(row(3).mid(1, 3), (QStringList{"440", "67.0", "67.0"}));
    edit(3, 3, "None");
    GridDoubleClick(s, 3, 4);
    EXPECT_EQ(s.doc.ChData[3][4], 0);

    GridDoubleClick(s, 3, 11);
    GridDoubleClick(s, 8, 11); // an empty row: nothing
    EXPECT_EQ(s.grid.text[3][11], QStringLiteral(" CH-03"));
    EXPECT_TRUE(s.grid.text[8][11].isEmpty());
    GridAfterEdit(s, 3, 11, s.grid.text[3][11]);
    EXPECT_EQ(s.doc.ChNameCode[3], (std::array<uint8_t, 7>{0, 38, 12, 17, 36, 0, 3}));
    EXPECT_EQ(reportCount(s), 0);
}

TEST_F(GridEdit, LockAndPopupMenu)
{
    auto m = ChannelPopupFor(s, 5, 3, false);
    EXPECT_EQ(m.openCaption, QStringLiteral("Open channel 5"));
    EXPECT_TRUE(m.show && m.openEnabled && m.delAllEnabled && !m.saveDefEnabled && !m.delOneEnabled && !m.lockVisible);
    EXPECT_FALSE(ChannelPopupFor(s, 0, 3, true).show || ChannelPopupFor(s, 3, 0, true).show);
    edit(5, 1, "440");
    edit(100, 1, "440");
    m = ChannelPopupFor(s, 5, 3, true);
    EXPECT_EQ(m.delOneCaption, QStringLiteral("Delete channel 5"));
    EXPECT_TRUE(m.saveDefEnabled && m.delOneEnabled && m.lockVisible && !m.openEnabled && !m.lockChecked);
    EXPECT_FALSE(ChannelPopupFor(s, 100, 3, true).delOneEnabled); // the VFO row stays

    const auto table = s.doc.ChData;
    const auto texts = s.grid.text;
    s.view.ChLockState = QStringLiteral("ShowLock");
    m = ChannelPopupFor(s, 5, 3, true);
    EXPECT_TRUE(m.lockChecked && !m.openEnabled && !m.saveDefEnabled && !m.delOneEnabled && !m.delAllEnabled);
    EXPECT_FALSE(GridCanEdit(s, 100, 10) || GridClickOpensEntry(s, 6, 3));
    EXPECT_EQ(GridEditModeFor(s, 1), GridEditMode::None);
    edit(5, 1, "462.5");
    edit(6, 1, "440");
    GridDoubleClick(s, 5, 8);
    OpenChannel(s, 6);
    DeleteChannel(s, 5);
    DeleteAllChannels(s);
    SaveAsDefault(s, 5);
    EXPECT_EQ(s.doc.ChData, table);
    EXPECT_EQ(s.grid.text, texts);
    EXPECT_EQ(s.settings.ColInfo[1][2], QStringLiteral("44000000"));
}

TEST_F(GridEdit, OpenChannelGivesTheDefaults)
{
    OpenChannel(s, 5);
    EXPECT_EQ(s.doc.ChData[5], (std::array<int32_t, kChFields>{1, 44000000, 44000000, 0, 0, 1, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(row(5), (QStringList{"440", "440", "None", "None", "High", "Wide", "On", "Off", "Off", "Off", " CH-05"}));
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
    OpenChannel(s, 9);
    EXPECT_EQ(s.grid.text[9][1], QStringLiteral("462.5625"));
    EXPECT_EQ(s.grid.text[9][8], QStringLiteral("QT/DQT"));
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

TEST_F(GridEdit, DeleteCommands)
{
    for (int n : {3, 16, 99, 100})
        edit(n, 1, "462.5625");
    DeleteChannel(s, 100);
    EXPECT_EQ(s.doc.ChData[100][1], 46256250);
    DeleteChannel(s, 3);
    EXPECT_EQ(s.doc.ChData[3][1], -1);
    EXPECT_TRUE(s.grid.text[3][1].isEmpty());
    DeleteAllChannels(s);
    EXPECT_EQ(s.doc.ChData[99][1], -1);
    EXPECT_EQ(s.grid.text[100][1], QStringLiteral("462.5625"));
    for (int n = 1; n <= 99; ++n)
        EXPECT_EQ(s.doc.IicDat[chRecordAddr(n) + 3], 0xFF);
    edit(16, 1, "440"); // a short table is deleted up to its last channel
    s.settings.ChNum = 16;
    DeleteAllChannels(s);
    EXPECT_EQ(s.doc.ChData[16][1], -1);
    EXPECT_EQ(reportCount(s), 0);
}
