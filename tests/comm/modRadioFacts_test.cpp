#include "comm/modRadioFacts.h"
#include "shell/AppState.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

struct RadioFactsTest : ::testing::Test {
    AppState s;
    void SetUp() override
    {
        s.doc.IicDat.assign(0x2000, 0);
        s.settings.SoftFaceStr[179] = QStringLiteral("Unknown Time");
        s.settings.SoftFaceStr[180] = s.settings.SoftFaceStr[181] = QStringLiteral(".");
    }
    void bytes(int addr, std::initializer_list<int> v)
    {
        for (int b : v)
            s.doc.IicDat[static_cast<size_t>(addr++)] = static_cast<uint8_t>(b);
    }
};

} // namespace

// The texts of the firmware version, the band and the last write date; the
// boxes get them, and keep what they show when the image is too short.
TEST_F(RadioFactsTest, VersionBandAndWriteDate)
{
    int changed = 0;
    QObject::connect(&s.radioInfo, &RadioInfo::changed, [&] { ++changed; });
    bytes(0x0F30, {0x12, 0xA9, 0x0D});
    EXPECT_EQ(SoftVerText(s.doc), QStringLiteral("V1.2 -- 2010.09.13"));
    ShowFreBand(s);
    ShowSoftVer(s);
    EXPECT_EQ(s.radioInfo.txtRange, QStringLiteral("000.00000 -- 000.00000MHz"));
    EXPECT_EQ(s.radioInfo.txtSoftVer, QStringLiteral("V1.2 -- 2010.09.13"));
    bytes(0x0F50, {0x13, 0x60, 0x00, 0x00, 0x47, 0x00, 0x12, 0x50});
    EXPECT_EQ(FreBandText(s.doc), QStringLiteral("136.00000 -- 470.01250MHz"));
    // Only the upper limits of the date are tested.
    for (auto [y, m, d, text] : {std::tuple{50, 12, 31, "2050.12.31"}, {51, 12, 31, "Unknown Time"}, {10, 13, 1, "Unknown Time"},
                                 {10, 1, 32, "Unknown Time"}, {10, 0, 0, "2010.0.0"}, {5, 1, 2, "2005.1.2"}}) {
        bytes(0x0E70, {y, m, d});
        EXPECT_EQ(ComDatText(s.doc, s.settings), QString::fromLatin1(text)) << y << " " << m << " " << d;
    }
    bytes(0x0E70, {0x0A, 0x09, 0x0D});
    ShowComDat(s);
    EXPECT_EQ(s.radioInfo.txtLastPc, QStringLiteral("2010.9.13"));

    s.doc.IicDat.resize(0x0E71); // one byte of the date left
    ShowFreBand(s);
    ShowComDat(s);
    EXPECT_EQ(s.radioInfo.txtRange, QStringLiteral("000.00000 -- 000.00000MHz"));
    EXPECT_EQ(s.radioInfo.txtLastPc, QStringLiteral("2010.9.13"));
    EXPECT_EQ(changed, 3);
    ASSERT_EQ(s.errors.lines().size(), 4);
    EXPECT_TRUE(s.errors.lines()[1].contains(QStringLiteral("modCommun->ShowSoftVer"))); // the band shares this label
    EXPECT_TRUE(s.errors.lines()[3].contains(QStringLiteral("modCommun->ShowComDat")));

    s.doc.IicDat.assign(0x2000, 0xFF); // erased memory
    EXPECT_EQ(SoftVerText(s.doc), QStringLiteral("V15.15 -- 2015.15.255"));
    EXPECT_EQ(FreBandText(s.doc), QStringLiteral("FFF.FFFFF -- FFF.FFFFFMHz"));
    EXPECT_EQ(ComDatText(s.doc, s.settings), QStringLiteral("Unknown Time"));
}
