#include "ChannelTestSupport.h"

#include "channels/modChFre.h"

#include <gtest/gtest.h>

using namespace qm;
using namespace qmtest;

namespace {

struct BcdCase {
    std::vector<uint8_t> bytes; // record offsets 0..3
    int32_t value;
    const char* text;
};

void PrintTo(const BcdCase& c, std::ostream* os)
{
    *os << c.text;
}

class BcdRoundTrip : public ::testing::TestWithParam<BcdCase> {};

} // namespace

TEST_P(BcdRoundTrip, DecodesShowsAndEncodesBack)
{
    ChannelState cs;
    AppState& s = cs.s();
    const BcdCase& c = GetParam();
    // Same frequency on the receive and the transmit side.
    cs.putRecord(3, 0, {c.bytes[0], c.bytes[1], c.bytes[2], c.bytes[3], c.bytes[0], c.bytes[1], c.bytes[2], c.bytes[3]});
    IcRxFreSol(s, 3);
    IcTxFreSol(s, 3);
    EXPECT_EQ(s.ChData[3][1], c.value);
    EXPECT_EQ(s.ChData[3][2], c.value);
    RxFreShow(s, 3);
    TxFreShow(s, 3);
    EXPECT_EQ(s.grid.text[3][1], QString::fromLatin1(c.text));
    EXPECT_EQ(s.grid.text[3][2], QString::fromLatin1(c.text));

    cs.putRecord(3, 0, {0, 0, 0, 0, 0, 0, 0, 0});
    CiRxFreSol(s, 3);
    CiTxFreSol(s, 3);
    EXPECT_EQ(cs.record(3, 0, 4), c.bytes);
    EXPECT_EQ(cs.record(3, 4, 4), c.bytes);
    EXPECT_EQ(reportCount(s), 0);
}

INSTANTIATE_TEST_SUITE_P(Frequencies, BcdRoundTrip,
                         ::testing::Values(BcdCase{{0x50, 0x62, 0x25, 0x46}, 46256250, "462.5625"},
                                           BcdCase{{0x00, 0x00, 0x00, 0x40}, 40000000, "400"},
                                           // 50 MHz: below the band, the digit pairs are never shifted.
                                           BcdCase{{0x00, 0x00, 0x00, 0x05}, 5000000, "50"},
                                           BcdCase{{0x00, 0x00, 0x00, 0x44}, 44000000, "440"},
                                           BcdCase{{0x99, 0x99, 0x99, 0x99}, 99999999, "999.99999"}),
                         [](const ::testing::TestParamInfo<BcdCase>& i) { return std::to_string(i.param.value); });

TEST(FrequencyCodec, NoTransmitFrequency)
{
    ChannelState cs;
    AppState& s = cs.s();
    for (uint8_t top : {uint8_t(0xFF), uint8_t(0x00), uint8_t(0x9A)}) {
        s.ChData[4][2] = 12345;
        cs.putRecord(4, 4, {0x00, 0x00, 0x50, top});
        IcTxFreSol(s, 4);
        EXPECT_EQ(s.ChData[4][2], -1) << int(top);
        TxFreShow(s, 4);
        EXPECT_EQ(s.grid.text[4][2], QString());
        CiTxFreSol(s, 4);
        EXPECT_EQ(cs.record(4, 4, 4), std::vector<uint8_t>(4, 0xFF));
    }
    EXPECT_EQ(reportCount(s), 0);
}

TEST(FrequencyCodec, UndecodableReceiveBecomes100MHzWithOneReport)
{
    ChannelState cs;
    AppState& s = cs.s();
    cs.putRecord(2, 0, {0x5A, 0x62, 0x25, 0x46});
    IcRxFreSol(s, 2);
    EXPECT_EQ(s.ChData[2][1], 10000000);
    EXPECT_EQ(reportCount(s), 1);
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->IcRxFreSol"), 13), 1);
}

TEST(FrequencyCodec, UndecodableTransmitIsReportedAndLeavesNoStaleValue)
{
    ChannelState cs;
    AppState& s = cs.s();
    s.ChData[2][2] = 46256250; // from an earlier image
    cs.putRecord(2, 4, {0x00, 0x00, 0x0B, 0x44});
    IcTxFreSol(s, 2);
    EXPECT_EQ(s.ChData[2][2], -1);
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->IcTxFreSol"), 13), 1);
}

TEST(FrequencyCodec, EncodeRefusesValuesThatDoNotFitEightDigits)
{
    ChannelState cs;
    AppState& s = cs.s();
    cs.putRecord(6, 0, {0x50, 0x62, 0x25, 0x46});
    for (int32_t bad : {-2, 100000000, 123456789}) {
        s.ChData[6][1] = bad;
        CiRxFreSol(s, 6);
        EXPECT_EQ(cs.record(6, 0, 4), (std::vector<uint8_t>{0x50, 0x62, 0x25, 0x46})) << bad;
    }
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->CiRxFreSol"), 380), 3);
}

TEST(FrequencyCodec, ChannelOrAddressOutsideTheTablesIsReported)
{
    ChannelState cs;
    AppState& s = cs.s();
    const auto before = s.IicDat;
    CiRxFreSol(s, 0);
    IcTxFreSol(s, 261);
    RxFreShow(s, -4);
    EXPECT_EQ(s.IicDat, before);
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->CiRxFreSol"), 9), 1);
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->IcTxFreSol"), 9), 1);
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->RxFreShow"), 9), 1);

    s.IicDat.resize(0x16); // ends inside the transmit frequency of channel 1
    s.ChData[1][1] = 46256250;
    CiRxFreSol(s, 1);
    CiTxFreSol(s, 1);
    EXPECT_EQ(s.IicDat.size(), 0x16u);
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->CiRxFreSol")), 1); // channel 0 above
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->CiTxFreSol"), 9), 1);
}

TEST(SeparateFreChar, SplitsPairsKeepsTailAndReportsAFifthByte)
{
    ChannelState cs;
    AppState& s = cs.s();
    s.FreCharBuf = {1, 2, 3, 4};
    SeparateFreChar(s, QStringLiteral("A023"));
    EXPECT_EQ(s.FreCharBuf, (std::array<uint8_t, 4>{0xA0, 0x23, 3, 4}));
    SeparateFreChar(s, QStringLiteral("ABC"));
    EXPECT_EQ(s.FreCharBuf, (std::array<uint8_t, 4>{0xAB, 0x0C, 3, 4}));
    EXPECT_EQ(reportCount(s), 0);
    SeparateFreChar(s, QStringLiteral("123456789"));
    EXPECT_EQ(s.FreCharBuf, (std::array<uint8_t, 4>{0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->SeparateFreChar"), 9), 1);
}

TEST(ModifyTxRxFre, SnapsToTheNearerStep)
{
    ChannelState cs;
    AppState& s = cs.s();
    const struct {
        const char* in;
        int32_t out;
    } cases[] = {
        {"46256250", 46256250}, // exact 6.25 kHz step, halfway between two 5 kHz steps
        {"46256300", 46256250}, // 462.563
        {"44000000", 44000000},
        {"44000200", 44000000}, // 440.002
        {"44000400", 44000500}, // 440.004 -> 440.005 (5 kHz step nearer)
        {"44000600", 44000625}, // 440.006 -> 440.00625
        {"46256260", 46256250},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ModifyTxRxFre(s, QString::fromLatin1(c.in)), c.out) << c.in;
    EXPECT_EQ(reportCount(s), 0);
    EXPECT_EQ(ModifyTxRxFre(s, QStringLiteral("abc")), 0);
    EXPECT_EQ(reportsAt(s, QStringLiteral("frmChMem->ModifyTxRxFre:"), 13), 1);
}
