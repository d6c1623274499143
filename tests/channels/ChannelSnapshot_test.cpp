#include "ChannelTestSupport.h"

#include "channels/ChannelSnapshot.h"
#include "channels/modChEdit.h"
#include "channels/modChGrid.h"

#include <functional>

using namespace qm;
using namespace qmtest;

namespace {

class Snapshot : public ChannelTest {
protected:
    Snapshot()
    {
        ChInfoSaveSol(s, 1);
        ShowChTblGrid(s);
        GridAfterEdit(s, 4, 1, QStringLiteral("462.5625"));
        GridAfterEdit(s, 4, 2, QStringLiteral("467.5625"));
        GridAfterEdit(s, 4, 11, QStringLiteral("ab"));
        GridAfterEdit(s, 100, 1, QStringLiteral("440"));
        s.doc.IicDat[static_cast<size_t>(chRecordAddr(4) + 13)] = 0x5A; // a byte no codec owns
    }
    QString key(int k) { return s.settings.profile.read(QStringLiteral("ChInfo"), QString::number(k), QString(), 100); }
    static bool same(const ChannelSnapshot& a, const ChannelSnapshot& b)
    {
        return a.rows == b.rows && a.defaults == b.defaults && a.curRow == b.curRow && a.curCol == b.curCol;
    }
};

} // namespace

// Every grid command, undone and redone from its difference, leaves exactly
// the state before and after it: table, names, cells, colours, image bytes,
// column defaults (in memory and in the settings file) and the current cell.
TEST_F(Snapshot, UndoAndRedoOfEveryCommandRestoreTheStateExactly)
{
    const struct {
        const char* name;
        std::function<void()> op;
        int rows; // rows the command changes
    } commands[] = {
        {"receive entry on an empty row", [&] { GridAfterEdit(s, 9, 1, QStringLiteral("480")); }, 1},
        {"erase transmit", [&] { GridAfterEdit(s, 4, 2, QString()); }, 1},
        {"double-click option", [&] { GridDoubleClick(s, 4, 8); }, 1},
        {"open channel", [&] { OpenChannel(s, 12); }, 1},
        {"save as default", [&] { SaveAsDefault(s, 4); }, 0},
        {"delete channel", [&] { DeleteChannel(s, 4); }, 1},
        {"delete all", [&] { DeleteAllChannels(s); }, 2}, // channels 9 and 12; row 100 stays
    };
    for (const auto& c : commands) {
        SCOPED_TRACE(c.name);
        const ChannelSnapshot before = captureChannels(s);
        const QString fileDefault = key(3202);
        c.op();
        const ChannelSnapshot after = captureChannels(s);
        const ChannelChange change = diffChannels(before, after);
        ASSERT_FALSE(change.empty());
        EXPECT_EQ(static_cast<int>(change.rows.size()), c.rows);

        restoreChannels(s, change, ChangeSide::Before);
        EXPECT_TRUE(same(captureChannels(s), before));
        EXPECT_EQ(key(3202), fileDefault);
        restoreChannels(s, change, ChangeSide::After);
        EXPECT_TRUE(same(captureChannels(s), after));
    }
    EXPECT_EQ(s.doc.IicDat[static_cast<size_t>(chRecordAddr(4) + 13)], 0xFF); // deleted (after side)
    restoreChannels(s, diffChannels(captureChannels(s), captureChannels(s)), ChangeSide::Before); // nothing
    EXPECT_EQ(reportCount(s), 0);
}

TEST_F(Snapshot, DifferenceNamesOnlyWhatChanged)
{
    const ChannelSnapshot before = captureChannels(s);
    GridDoubleClick(s, 4, 2); // a transmit frequency is there: only the edit mark is set
    ChannelChange change = diffChannels(before, captureChannels(s));
    EXPECT_TRUE(change.empty());
    EXPECT_FALSE(change.changesBytes());

    GridAfterEdit(s, 4, 3, QStringLiteral("D023N"));
    DeleteChannel(s, 100); // refused: the VFO row stays
    change = diffChannels(before, captureChannels(s));
    ASSERT_EQ(change.rows.size(), 1u);
    EXPECT_EQ(change.firstRow(), 4);
    EXPECT_EQ(change.rows[0].after.text[3], QStringLiteral("D023N"));
    EXPECT_FALSE(change.changesBytes()); // edits change the table, not the image

    DeleteChannel(s, 4);
    change = diffChannels(before, captureChannels(s));
    EXPECT_TRUE(change.changesBytes());
}

TEST_F(Snapshot, UnwritableSettingsKeepTheDefaultInMemoryAndSayWhy)
{
    const ChannelSnapshot before = captureChannels(s);
    SaveAsDefault(s, 4);
    const ChannelChange change = diffChannels(before, captureChannels(s));
    ASSERT_EQ(change.defaults.size(), 2u); // receive and transmit differ from the old defaults
    s.settings.profile.setPath(s.settings.home + QStringLiteral("/missing/folder/Uninstall.exe"));
    restoreChannels(s, change, ChangeSide::Before);
    EXPECT_EQ(s.settings.ColInfo[1][2], QStringLiteral("44000000"));
    EXPECT_EQ(reportsAt(s, QStringLiteral("frmChMem->ChannelUndo"), 75), 1);
}

TEST_F(Snapshot, NameProposalAndErasingFollowTheEditRules)
{
    EXPECT_EQ(GridNameProposal(s, 7, 11), QString()); // empty row
    GridAfterEdit(s, 7, 1, QStringLiteral("440"));
    EXPECT_EQ(GridNameProposal(s, 7, 11), QStringLiteral(" CH-07"));
    EXPECT_EQ(GridNameProposal(s, 4, 11), QString()); // a name is there
    EXPECT_EQ(GridNameProposal(s, 7, 10), QString());

    const struct { int r, c; bool erased; } cases[] = {
        {4, 3, false},  // a list has no empty choice
        {9, 1, false},  // nothing to erase
        {4, 11, true},  // the name
        {4, 2, true},   // transmit, and with it the encode signalling
        {100, 1, true}, // the VFO row keeps its frequency
        {4, 1, true},   // receive: the row empties
    };
    for (const auto& c : cases)
        EXPECT_EQ(GridEraseCell(s, c.r, c.c), c.erased) << c.r << "," << c.c;
    EXPECT_EQ(s.doc.ChData[4][1], -1);
    EXPECT_EQ(s.grid.text[100][1], QStringLiteral("440"));
    EXPECT_EQ(s.doc.ChNameCode[4][1], 255);

    s.view.ChLockState = QStringLiteral("ShowLock");
    EXPECT_EQ(GridNameProposal(s, 7, 11), QString());
    EXPECT_FALSE(GridEraseCell(s, 7, 1));
    EXPECT_EQ(reportCount(s), 0);
}
