#include "ChannelTestSupport.h"

#include "channels/modChName.h"

#include <gtest/gtest.h>

using namespace qm;
using namespace qmtest;

namespace {

std::vector<int> codes(const AppState& s, int count)
{
    return std::vector<int>(s.CharCodeBuf.begin(), s.CharCodeBuf.begin() + count);
}

} // namespace

TEST(ChannelNames, TypedTextToCodesAndBack)
{
    const struct {
        const char* typed;
        std::vector<int> codes;
        const char* shown;
    } cases[] = {
        {"ch-1", {12, 17, 36, 1, 38, 38}, "CH-1  "},
        {"AB*D", {10, 11, 255, 13, 38, 38}, "AB D  "},
        {"ABCDEFGH", {10, 11, 12, 13, 14, 15}, "ABCDEF"},
        {"***", {255, 255, 255, 38, 38, 38}, "      "},
        {"a/b+_z", {10, 37, 11, 39, 40, 35}, "A/B+_Z"},
        {" CH-07", {38, 12, 17, 36, 0, 7}, " CH-07"},
        {"", {255, 255, 255, 255, 255, 255}, ""},
    };
    ChannelState cs;
    AppState& s = cs.s();
    for (const auto& c : cases) {
        ChNameCharSol(s, QString::fromUtf8(c.typed), 6);
        EXPECT_EQ(codes(s, 6), c.codes) << c.typed;
        for (int i = 0; i < 6; ++i)
            s.ChNameCode[12][i + 1] = static_cast<uint8_t>(s.CharCodeBuf[i]);
        ChNameCharShow(s, 12);
        EXPECT_EQ(s.grid.text[12][11], QString::fromUtf8(c.shown)) << c.typed;
    }
    EXPECT_EQ(reportCount(s), 0);
}

TEST(ChannelNames, ForeignCodesShowAsSpacesAndSurviveEncode)
{
    ChannelState cs;
    AppState& s = cs.s();
    s.ChNameCode[5] = {0, 41, 100, 10, 254, 38, 255};
    ChNameCharShow(s, 5);
    EXPECT_EQ(s.grid.text[5][11], QStringLiteral("  A   "));
    s.ChNameCode[5] = {0, 41, 254, 200, 99, 255, 255};
    ChNameCharShow(s, 5);
    EXPECT_EQ(s.grid.text[5][11], QString()); // no code is a character
    CiChParaSol(s, 5);
    EXPECT_EQ(cs.record(5, 14, 2), (std::vector<uint8_t>{41, 254}));
    EXPECT_EQ(s.IicDat[chNameAddr(5)], 200);
    EXPECT_EQ(s.IicDat[chNameAddr(5) + 1], 99);
}

TEST(ChannelNames, CountAboveTheBufferIsReportedAfterFillingIt)
{
    ChannelState cs;
    AppState& s = cs.s();
    s.CharCodeBuf.fill(7);
    ChNameCharSol(s, QStringLiteral("A"), 40);
    EXPECT_EQ(s.CharCodeBuf[0], 10);
    EXPECT_EQ(s.CharCodeBuf[13], 38);  // padding
    EXPECT_EQ(s.CharCodeBuf[14], 255); // past the padding
    EXPECT_EQ(s.CharCodeBuf[30], 255);
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->ChNameCharSol"), 9), 1);
}

TEST(PowerOnMessage, SixCharactersWithoutEmptyRule)
{
    ChannelState cs;
    AppState& s = cs.s();
    for (int i = 25; i <= 30; ++i)
        s.OptSel[i] = 255;
    EXPECT_EQ(PowerOnMsgText(s), QStringLiteral("      "));
    const int16_t hello[] = {17, 14, 21, 21, 24, -3};
    for (int i = 0; i < 6; ++i)
        s.OptSel[25 + i] = hello[i];
    EXPECT_EQ(PowerOnMsgText(s), QStringLiteral("HELLO "));
}
