#include "ChannelTestSupport.h"

#include "channels/modChName.h"
#include "options/modOptView.h"
#include "settings/CharTable.h"

using namespace qm;
using namespace qmtest;

using ChannelNames = ChannelTest;

TEST_F(ChannelNames, TypedTextToCodesAndBack)
{
    const struct { const char* typed; std::vector<int> codes; const char* shown; } cases[] = {
        {"ch-1", {12, 17, 36, 1, 38, 38}, "CH-1  "},
        {"AB*D", {10, 11, 255, 13, 38, 38}, "AB D  "},
        {"ABCDEFGH", {10, 11, 12, 13, 14, 15}, "ABCDEF"},
        {"***", {255, 255, 255, 38, 38, 38}, "      "},
        {"a/b+_z", {10, 37, 11, 39, 40, 35}, "A/B+_Z"},
        {" CH-07", {38, 12, 17, 36, 0, 7}, " CH-07"},
        {"", {255, 255, 255, 255, 255, 255}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const auto codes = ChNameCharSol(s.settings, s.errors, QString::fromUtf8(c.typed), 6);
        EXPECT_EQ(std::vector<int>(codes.begin(), codes.end()), c.codes);
        std::copy_n(codes.begin(), 6, s.doc.ChNameCode[12].begin() + 1);
        ChNameCharShow(s, 12);
        EXPECT_EQ(s.grid.text[12][11], QString::fromUtf8(c.shown));
    }
    EXPECT_EQ(reportCount(s), 0);
    const auto codes = ChNameCharSol(s.settings, s.errors, QStringLiteral("A"), 40); // more than the buffer: filled, then reported
    EXPECT_EQ((std::array{codes[13], codes[14], codes[31]}), (std::array<int16_t, 3>{38, 255, 255}));
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->ChNameCharSol"), 9), 1);
}

TEST_F(ChannelNames, ForeignCodesShowAsSpacesAndSurviveEncode)
{
    s.doc.ChNameCode[5] = {0, 41, 100, 10, 254, 38, 255};
    ChNameCharShow(s, 5);
    EXPECT_EQ(s.grid.text[5][11], QStringLiteral("  A   "));
    s.doc.ChNameCode[5] = {0, 41, 254, 200, 99, 255, 255};
    ChNameCharShow(s, 5);
    EXPECT_EQ(s.grid.text[5][11], QString()); // no code is a character
    CiChParaSol(s, 5);
    EXPECT_EQ(cs.record(5, 14, 2), (Bytes{41, 254}));
    EXPECT_EQ(s.doc.IicDat[chNameAddr(5)], 200);

    const int16_t hello[] = {17, 14, 21, 21, 24, 255}; // the power-on message: six characters, always
    std::copy(std::begin(hello), std::end(hello), s.doc.OptSel.begin() + 25);
    EXPECT_EQ(PowerOnMsgText(s), QStringLiteral("HELLO "));
}
