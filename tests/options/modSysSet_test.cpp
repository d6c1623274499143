#include "options/modSysSet.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <random>
#include <set>

using namespace qm;

namespace {

struct ByteRow {
    int index, address, max;
};

// The radio's single-byte options: OptSel index, EEPROM address, maximum.
const ByteRow kRows[] = {
    {1, 0x0E00, 9}, {2, 0x0E08, 9}, {3, 0x0E09, 7}, {4, 0x0E0A, 2}, {5, 0x0E0B, 1}, {15, 0x0E0C, 1},
    {6, 0x0E0D, 2}, {7, 0x0E0E, 1}, {8, 0x0E0F, 3}, {9, 0x0E10, 32}, {10, 0x0E11, 24}, {11, 0x0E13, 1},
    {12, 0x0E15, 2}, {13, 0x0E17, 2}, {14, 0x0E19, 1}, {16, 0x0E20, 1}, {17, 0x0E21, 1}, {18, 0x0E22, 1},
    {20, 0x0E1E, 1}, {19, 0x0E23, 1},
};

struct SysSetTest : ::testing::Test {
    QTemporaryDir dir;
    AppState s;
    void SetUp() override
    {
        s.IicDat.assign(0x2000, 0);
        s.profile.setPath(dir.filePath(QStringLiteral("Uninstall.exe")));
        s.settings.Language = 3;
    }
    bool reported(const char* label) const
    {
        return s.errors.lines().join(QLatin1Char('\n')).contains(QString::fromLatin1(label));
    }
    void put(const QString& key, const QString& value) { s.profile.write(QStringLiteral("Option"), key, value); }
};

} // namespace

TEST_F(SysSetTest, ErasedBlockDecodesToDefaults)
{
    std::fill(s.IicDat.begin() + 0x0E00, s.IicDat.begin() + 0x0E76, 0xFF);
    for (int i = 1; i <= kOptCount; ++i) {
        s.OptDef[i] = static_cast<int16_t>(100 + i);
        s.OptSel[i] = -7;
    }
    OptSelSaveSol(s, 1);
    for (const ByteRow& r : kRows)
        EXPECT_EQ(s.OptSel[r.index], 100 + r.index) << r.index;
    EXPECT_EQ(s.OptSel[21], 1);
    for (int i = 25; i <= 30; ++i)
        EXPECT_EQ(s.OptSel[i], 255);
    EXPECT_EQ(s.OptSel[31], 7);
    for (int a = 0; a < 5; ++a) {
        EXPECT_EQ(s.OptSel[32 + 3 * a], 1);
        EXPECT_EQ(s.OptSel[33 + 3 * a], 0);
        EXPECT_EQ(s.OptSel[34 + 3 * a], 0);
    }
    for (int i : {22, 23, 24, 47, 100})
        EXPECT_EQ(s.OptSel[i], -7) << "index without option touched: " << i;
    EXPECT_TRUE(s.errors.lines().isEmpty());
}

TEST_F(SysSetTest, EachByteOptionHasItsAddressAndMaximum)
{
    for (const ByteRow& r : kRows) {
        s.OptDef[r.index] = 77;
        s.IicDat[r.address] = static_cast<uint8_t>(r.max);
        OptSelSaveSol(s, 1);
        EXPECT_EQ(s.OptSel[r.index], r.max) << r.index;
        s.IicDat[r.address] = static_cast<uint8_t>(r.max + 1);
        OptSelSaveSol(s, 1);
        EXPECT_EQ(s.OptSel[r.index], 77) << r.index;

        s.OptSel[r.index] = 200;
        OptSelSaveSol(s, 0);
        EXPECT_EQ(s.IicDat[r.address], 200) << r.index;
        s.OptSel[r.index] = 0;
    }
}

TEST_F(SysSetTest, ShowModeEncodingsAndDecoding)
{
    struct Case {
        int16_t v;
        uint8_t e73, e74, e75;
        int16_t decoded;
    } cases[] = {{0, 0x64, 0xFF, 0x00, 0}, {1, 0xFF, 0xFF, 0x00, 1}, {2, 0xFF, 0xFF, 0x01, 2}, {5, 0xFF, 0xFF, 0x01, 2}};
    for (const Case& c : cases) {
        s.OptSel[21] = c.v;
        OptSelSaveSol(s, 0);
        EXPECT_EQ(s.IicDat[0x0E1F], c.v);
        EXPECT_EQ(s.IicDat[0x0E73], c.e73);
        EXPECT_EQ(s.IicDat[0x0E74], c.e74);
        EXPECT_EQ(s.IicDat[0x0E75], c.e75);
        s.IicDat[0x0E1F] = 9; // not read back
        OptSelSaveSol(s, 1);
        EXPECT_EQ(s.OptSel[21], c.decoded) << c.v;
    }
}

TEST_F(SysSetTest, AlarmToneKeepsLowBitsAndAlarmFlagIsBitZero)
{
    s.IicDat[0x0E4F] = 0x3C;
    s.OptSel[31] = 5;
    OptSelSaveSol(s, 0);
    EXPECT_EQ(s.IicDat[0x0E4F], 0xBC);

    s.IicDat[0x0E40 + 6] = 0x03; // alarm 3 on/off
    s.IicDat[0x0E41 + 6] = 24;
    s.IicDat[0x0E42 + 6] = 59;
    OptSelSaveSol(s, 1);
    EXPECT_EQ(s.OptSel[31], 5);
    EXPECT_EQ(s.OptSel[38], 1);
    EXPECT_EQ(s.OptSel[39], 0);
    EXPECT_EQ(s.OptSel[40], 59);
    OptSelSaveSol(s, 0);
    EXPECT_EQ(s.IicDat[0x0E46], 0x01);
}

TEST_F(SysSetTest, EncodeWritesMarkersAndFillAndLeavesGapsAlone)
{
    std::mt19937 rng(570);
    for (auto& b : s.IicDat)
        b = static_cast<uint8_t>(rng());
    const std::vector<uint8_t> before = s.IicDat;
    OptSelSaveSol(s, 1);
    s.OptSel[31] = 3;
    OptSelSaveSol(s, 0);

    std::set<int> owned = {0x0E1F, 0x0E73, 0x0E74, 0x0E75, 0x0E4F, 0x0E2E, 0x0E2F};
    for (const ByteRow& r : kRows)
        owned.insert(r.address);
    for (int a = 0x0E24; a <= 0x0E29; ++a)
        owned.insert(a);
    for (int a = 0x0E40; a <= 0x0E4E; ++a)
        owned.insert(a);
    for (int a = 0x0650; a <= 0x065F; ++a) {
        owned.insert(a);
        EXPECT_EQ(s.IicDat[a], 0xFF);
    }
    EXPECT_EQ(s.IicDat[0x0E2E], 0x5A);
    EXPECT_EQ(s.IicDat[0x0E2F], 0xAA);
    EXPECT_EQ(s.IicDat[0x0E4F] & 0x1F, before[0x0E4F] & 0x1F);
    for (int a = 0; a < 0x2000; ++a) {
        if (!owned.count(a)) {
            ASSERT_EQ(s.IicDat[a], before[a]) << std::hex << a;
        }
    }
}

TEST_F(SysSetTest, EncoderStopsAtAValueThatIsNoByte)
{
    for (int16_t bad : {int16_t(256), int16_t(-1)}) {
        s.IicDat.assign(0x2000, 0x11);
        s.errors.clear();
        s.OptSel.fill(0);
        s.OptSel[5] = bad; // visited after 1, 2, 3, 4
        EXPECT_FALSE(OptSelToSave(s));
        EXPECT_EQ(s.IicDat[0x0E0A], 0x00) << "options before the bad one are written";
        EXPECT_EQ(s.IicDat[0x0E0B], 0x11);
        EXPECT_EQ(s.IicDat[0x0E0C], 0x11);
        EXPECT_EQ(s.IicDat[0x0E2E], 0x11);
        EXPECT_TRUE(reported("modSysSet->OptSelToSave"));
        EXPECT_TRUE(s.errors.lines()[1].contains(QStringLiteral("溢出")));
    }
    s.OptSel[5] = 0;
    s.OptSel[31] = 8;
    s.IicDat[0x0E4F] = 0x1F;
    OptSelSaveSol(s, 0);
    EXPECT_EQ(s.IicDat[0x0E4F], 0x1F);
    EXPECT_EQ(s.IicDat[0x0E40], 0x11) << "alarms come after the tone";
}

TEST_F(SysSetTest, TooSmallImageIsReportedAndNothingChanges)
{
    s.IicDat.assign(0x0E70, 0x22);
    s.OptSel[1] = 3;
    OptSelSaveSol(s, 0);
    EXPECT_EQ(s.IicDat[0x0E00], 0x22);
    EXPECT_TRUE(reported("modSysSet->OptSelToSave"));
    OptSelSaveSol(s, 1);
    EXPECT_EQ(s.OptSel[1], 3);
    EXPECT_TRUE(reported("modSysSet->SaveToOptSel"));
    OptSelSaveSol(s, 7); // no such mode: nothing
    EXPECT_EQ(s.errors.lines().size(), 4);
}

TEST_F(SysSetTest, MissingSectionLoadsNothing)
{
    s.OptDef[1] = 4;
    s.OptSel[1] = 5;
    OptNowDefSol(s, 0);
    EXPECT_EQ(s.OptDef[1], 4);
    EXPECT_EQ(s.OptSel[1], 5);
    EXPECT_TRUE(s.errors.lines().isEmpty());
}

TEST_F(SysSetTest, KeysFollowTheLanguage)
{
    put(QStringLiteral("0"), QStringLiteral("3"));
    put(QStringLiteral("1001"), QStringLiteral("1"));
    put(QStringLiteral("3001"), QStringLiteral("6"));
    put(QStringLiteral("3002"), QStringLiteral(" 7 "));
    put(QStringLiteral("3501"), QStringLiteral("8"));
    s.settings.Language = 9; // not a language: English
    OptNowDefSol(s, 0);
    EXPECT_EQ(s.settings.Language, 3);
    EXPECT_EQ(s.OptDef[1], 6);
    EXPECT_EQ(s.OptDef[2], 7);
    EXPECT_EQ(s.OptDef[3], 0) << "missing key reads as 0";
    EXPECT_EQ(s.OptSel[1], 8);
    EXPECT_EQ(s.OptSel[2], 0);

    s.OptSel[4] = 9;
    OptNowDefSol(s, 2);
    EXPECT_EQ(s.OptSel[1], 6);
    EXPECT_EQ(s.OptSel[2], 7);
    EXPECT_EQ(s.OptSel[4], 9) << "only n entries are restored";
    EXPECT_EQ(s.profile.read(QStringLiteral("Option"), QStringLiteral("3501"), {}, 20), QStringLiteral("6"));
    EXPECT_EQ(s.profile.read(QStringLiteral("Option"), QStringLiteral("3503"), {}, 20), QStringLiteral("0"));
    EXPECT_FALSE(s.profile.contains(QStringLiteral("Option"), QStringLiteral("1501")));

    s.settings.Language = 1;
    OptNowDefSol(s, 0);
    EXPECT_EQ(s.OptDef[1], 1);
}

TEST_F(SysSetTest, BadCountOrValueStopsAtThatKey)
{
    put(QStringLiteral("0"), QStringLiteral("101"));
    put(QStringLiteral("3100"), QStringLiteral("5"));
    put(QStringLiteral("3501"), QStringLiteral("4"));
    OptNowDefSol(s, 0);
    EXPECT_EQ(s.OptDef[100], 5) << "entries up to 100 are used";
    EXPECT_EQ(s.OptSel[1], 0) << "the selections are never reached";
    EXPECT_TRUE(reported("modSysSet->OptNowDefSol"));
    EXPECT_TRUE(s.errors.lines()[1].contains(QStringLiteral("数组索引超出范围")));

    put(QStringLiteral("0"), QStringLiteral("3"));
    put(QStringLiteral("3001"), QStringLiteral("2"));
    put(QStringLiteral("3002"), QStringLiteral("x"));
    put(QStringLiteral("3003"), QStringLiteral("3"));
    s.errors.clear();
    OptNowDefSol(s, 0);
    EXPECT_EQ(s.OptDef[1], 2);
    EXPECT_EQ(s.OptDef[3], 0);
    EXPECT_TRUE(s.errors.lines()[1].contains(QStringLiteral("类型不符合")));
}

TEST_F(SysSetTest, DefaultsWithoutStoringLeaveTheFileAlone)
{
    put(QStringLiteral("0"), QStringLiteral("2"));
    s.OptDef[1] = 3;
    s.OptDef[2] = 4;
    EXPECT_TRUE(OptSelFromDefaults(s));
    EXPECT_EQ(s.OptSel[1], 3);
    EXPECT_EQ(s.OptSel[2], 4);
    EXPECT_FALSE(s.profile.contains(QStringLiteral("Option"), QStringLiteral("3501")));
}
