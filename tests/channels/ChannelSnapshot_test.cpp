#include "ChannelTestSupport.h"

#include "channels/ChannelSnapshot.h"
#include "channels/modChEdit.h"
#include "channels/modChGrid.h"

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
};

} // namespace

// Undo and redo of every grid command are driven through the channel window
// (frmChMem_test); here what a difference holds and what a restore cannot do.
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

    // What an erased cell becomes is the after-edit rule of an empty text
    // (modChEdit_test); here which cells the Delete key erases at all.
    const struct { int r, c; bool erased; } cases[] = {
        {4, 3, false}, // a list has no empty choice
        {9, 1, false}, // nothing to erase
        {4, 11, true}, // the name
        {4, 1, true},  // receive: the row empties
    };
    for (const auto& c : cases)
        EXPECT_EQ(GridEraseCell(s, c.r, c.c), c.erased) << c.r << "," << c.c;
    EXPECT_EQ(std::make_pair(s.doc.ChData[4][1], int(s.doc.ChNameCode[4][1])), std::make_pair(-1, 255));

    s.view.ChLockState = QStringLiteral("ShowLock");
    EXPECT_EQ(GridNameProposal(s, 7, 11), QString());
    EXPECT_FALSE(GridEraseCell(s, 7, 1));
    EXPECT_EQ(reportCount(s), 0);
}
