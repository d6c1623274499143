#include "ChannelTestSupport.h"

using namespace qm;
using namespace qmtest;

using FrequencyCodec = ChannelTest;

TEST_F(FrequencyCodec, BcdBothWaysOnBothSides)
{
    const struct { Bytes bytes; int32_t value; const char* text; } cases[] = {
        {{0x50, 0x62, 0x25, 0x46}, 46256250, "462.5625"},
        {{0x00, 0x00, 0x00, 0x40}, 40000000, "400"},
        {{0x00, 0x00, 0x00, 0x05}, 5000000, "50"}, // below the band: the digit pairs are never shifted
        {{0x99, 0x99, 0x99, 0x99}, 99999999, "999.99999"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        cs.putRecord(3, 0, c.bytes);
        cs.putRecord(3, 4, c.bytes);
        IcRxFreSol(s, 3);
        IcTxFreSol(s, 3);
        RxFreShow(s, 3);
        TxFreShow(s, 3);
        EXPECT_EQ((std::array{s.doc.ChData[3][1], s.doc.ChData[3][2]}), (std::array{c.value, c.value}));
        EXPECT_EQ((QStringList{s.grid.text[3][1], s.grid.text[3][2]}), (QStringList{c.text, c.text}));
        cs.putRecord(3, 0, Bytes(8, 0));
        CiRxFreSol(s, 3);
        CiTxFreSol(s, 3);
        EXPECT_EQ(cs.record(3, 0, 4), c.bytes);
        EXPECT_EQ(cs.record(3, 4, 4), c.bytes);
    }
    // No transmit frequency: FF FF FF FF, or a top byte that is no BCD frequency.
    for (const Bytes& tx : {Bytes{0xFF, 0xFF, 0xFF, 0xFF}, Bytes{0x00, 0x00, 0x50, 0x00}, Bytes{0x00, 0x00, 0x50, 0x9A}}) {
        s.doc.ChData[4][2] = 12345;
        cs.putRecord(4, 4, tx);
        IcTxFreSol(s, 4);
        TxFreShow(s, 4);
        EXPECT_EQ(s.doc.ChData[4][2], -1) << int(tx[3]);
        EXPECT_EQ(s.grid.text[4][2], QString());
        CiTxFreSol(s, 4);
        EXPECT_EQ(cs.record(4, 4, 4), Bytes(4, 0xFF));
    }
    EXPECT_EQ(reportCount(s), 0);
}

TEST_F(FrequencyCodec, UndecodableDigitsAreReported)
{
    cs.putRecord(2, 0, {0x5A, 0x62, 0x25, 0x46, 0x00, 0x00, 0x0B, 0x44});
    s.doc.ChData[2][2] = 46256250; // from an earlier image: must not survive
    IcRxFreSol(s, 2);
    IcTxFreSol(s, 2);
    // Receive: a 100 MHz placeholder the user can correct; transmit: none.
    EXPECT_EQ((std::array{s.doc.ChData[2][1], s.doc.ChData[2][2]}), (std::array{10000000, -1}));
    EXPECT_EQ((std::array{reportCount(s), reportsAt(s, QStringLiteral("modChMem->IcRxFreSol"), 13),
                          reportsAt(s, QStringLiteral("modChMem->IcTxFreSol"), 13)}),
              (std::array{2, 1, 1}));
}

TEST_F(FrequencyCodec, EncodeRefusesWhatDoesNotFitAndWritesNothingOutsideTheImage)
{
    cs.putRecord(6, 0, {0x50, 0x62, 0x25, 0x46});
    for (int32_t bad : {-2, 100000000}) {
        s.doc.ChData[6][1] = bad;
        CiRxFreSol(s, 6);
        EXPECT_EQ(cs.record(6, 0, 4), (Bytes{0x50, 0x62, 0x25, 0x46})) << bad;
    }
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->CiRxFreSol"), 380), 2);
    const auto before = s.doc.IicDat;
    CiTxFreSol(s, 0);
    IcTxFreSol(s, 261);
    EXPECT_EQ(s.doc.IicDat, before);
    s.doc.IicDat.resize(0x16); // ends inside the transmit frequency of channel 1
    CiTxFreSol(s, 1);
    EXPECT_EQ(s.doc.IicDat.size(), 0x16u);
    EXPECT_EQ((std::array{reportsAt(s, QStringLiteral("modChMem->CiTxFreSol"), 9), reportsAt(s, QStringLiteral("modChMem->IcTxFreSol"), 9)}),
              (std::array{2, 1}));

    std::array<uint8_t, 4> buf = {1, 2, 3, 4}; // digit pairs: the tail keeps its bytes, a fifth pair is reported
    SeparateFreChar(s.errors, QStringLiteral("ABC"), buf);
    EXPECT_EQ(buf, (std::array<uint8_t, 4>{0xAB, 0x0C, 3, 4}));
    SeparateFreChar(s.errors, QStringLiteral("123456789"), buf);
    EXPECT_EQ(buf, (std::array<uint8_t, 4>{0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->SeparateFreChar"), 9), 1);
}

TEST_F(FrequencyCodec, TypedFrequencySnapsToTheNearerStep)
{
    const std::pair<const char*, int32_t> cases[] = {
        {"46256250", 46256250}, // a 6.25 kHz step halfway between two 5 kHz steps
        {"46256300", 46256250}, {"44000200", 44000000},
        {"44000400", 44000500}, // the 5 kHz step is nearer
        {"44000600", 44000625}, // the 6.25 kHz step is nearer
        {"44001125", 44001250}, // equally near both: the 6.25 kHz step
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(ModifyTxRxFre(s, QLatin1String(in)), out) << in;
    EXPECT_EQ(reportCount(s), 0);
    EXPECT_EQ(ModifyTxRxFre(s, QStringLiteral("abc")), 0); // reported
    EXPECT_EQ(reportsAt(s, QStringLiteral("frmChMem->ModifyTxRxFre:"), 13), 1);
}
