#include "options/modSysSet.h"
#include "shell/AppState.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qm;
using V = std::vector<int>;

namespace {

// The radio's single-byte options: OptSel index, EEPROM address, maximum.
const struct { int index, address, max; } kRows[] = {
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
        s.doc.IicDat.assign(0x2000, 0);
        s.settings.profile.setPath(dir.filePath(QStringLiteral("Uninstall.exe")));
        s.settings.Language = 3;
    }
    V sel(std::initializer_list<int> idx) const { V v; for (int i : idx) v.push_back(s.doc.OptSel[size_t(i)]); return v; }
    V img(int addr, int n) const { return V(s.doc.IicDat.begin() + addr, s.doc.IicDat.begin() + addr + n); }
    bool reported(const char* text) const { return s.errors.lines().join('\n').contains(QString::fromUtf8(text)); }
    void put(std::initializer_list<std::pair<int, const char*>> entries)
    {
        for (const auto& [key, value] : entries)
            s.settings.profile.write(QStringLiteral("Option"), QString::number(key), QLatin1String(value));
    }
    QString stored(int key) const { return s.settings.profile.read(QStringLiteral("Option"), QString::number(key), {}, 20); }
};

} // namespace

TEST_F(SysSetTest, ErasedBlockDecodesToDefaults)
{
    std::fill(s.doc.IicDat.begin() + 0x0E00, s.doc.IicDat.begin() + 0x0E76, 0xFF);
    for (int i = 1; i <= kOptCount; ++i) {
        s.settings.OptDef[i] = static_cast<int16_t>(100 + i);
        s.doc.OptSel[i] = -7;
    }
    OptSelSaveSol(s, 1);
    for (const auto& r : kRows)
        EXPECT_EQ(s.doc.OptSel[r.index], 100 + r.index) << r.index;
    EXPECT_EQ(sel({21, 25, 26, 27, 28, 29, 30, 31}), (V{1, 255, 255, 255, 255, 255, 255, 7}));
    // Alarms on; hours and minutes out of range read as 0.
    EXPECT_EQ(sel({32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46}), (V{1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0}));
    EXPECT_EQ(sel({22, 23, 24, 47, 100}), (V{-7, -7, -7, -7, -7})) << "indices without an option stay";
    EXPECT_TRUE(s.errors.lines().isEmpty());
}

TEST_F(SysSetTest, EachByteOptionHasItsAddressAndMaximum)
{
    for (const auto& r : kRows)
        s.doc.OptSel[r.index] = static_cast<int16_t>(100 + r.index);
    OptSelSaveSol(s, 0);
    for (const auto& r : kRows) {
        EXPECT_EQ(s.doc.IicDat[r.address], 100 + r.index) << r.index;
        s.doc.IicDat[r.address] = static_cast<uint8_t>(r.max);
        s.settings.OptDef[r.index] = 77;
    }
    OptSelSaveSol(s, 1);
    for (const auto& r : kRows) {
        EXPECT_EQ(s.doc.OptSel[r.index], r.max) << r.index;
        ++s.doc.IicDat[r.address];
    }
    OptSelSaveSol(s, 1);
    for (const auto& r : kRows)
        EXPECT_EQ(s.doc.OptSel[r.index], 77) << r.index;
}

TEST_F(SysSetTest, ShowModeEncodingsAndDecoding)
{
    const struct { int16_t v; V bytes /* 0E73..0E75 */; int decoded; } cases[] = {{0, {0x64, 0xFF, 0x00}, 0}, {1, {0xFF, 0xFF, 0x00}, 1}, {2, {0xFF, 0xFF, 0x01}, 2}, {5, {0xFF, 0xFF, 0x01}, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.v);
        s.doc.OptSel[21] = c.v;
        OptSelSaveSol(s, 0);
        EXPECT_EQ(s.doc.IicDat[0x0E1F], c.v);
        EXPECT_EQ(img(0x0E73, 3), c.bytes);
        s.doc.IicDat[0x0E1F] = 9; // not read back
        OptSelSaveSol(s, 1);
        EXPECT_EQ(s.doc.OptSel[21], c.decoded);
    }
}

// Bytes no option owns keep their values: image/wholeImageProperty_test.cpp.
TEST_F(SysSetTest, AlarmToneKeepsLowBitsAlarmFlagIsBitZeroAndMarkersAndFillAreWritten)
{
    s.doc.IicDat[0x0E4F] = 0x3C;
    s.doc.OptSel[31] = 5;
    OptSelSaveSol(s, 0);
    EXPECT_EQ(s.doc.IicDat[0x0E4F], 0xBC);
    EXPECT_EQ(img(0x0E2E, 2), (V{0x5A, 0xAA}));
    EXPECT_EQ(img(0x0650, 16), V(16, 0xFF));
    s.doc.IicDat[0x0E46] = 0x03; // alarm 3: on/off, hour 24, minute 59
    s.doc.IicDat[0x0E47] = 24;
    s.doc.IicDat[0x0E48] = 59;
    OptSelSaveSol(s, 1);
    EXPECT_EQ(sel({31, 38, 39, 40}), (V{5, 1, 0, 59}));
    OptSelSaveSol(s, 0);
    EXPECT_EQ(s.doc.IicDat[0x0E46], 0x01);
}

TEST_F(SysSetTest, EncoderStopsAtAValueThatIsNoByte)
{
    for (int16_t bad : {int16_t(256), int16_t(-1)}) {
        SCOPED_TRACE(bad);
        s.doc.IicDat.assign(0x2000, 0x11);
        s.errors.clear();
        s.doc.OptSel.fill(0);
        s.doc.OptSel[5] = bad; // visited after 1, 2, 3, 4: those are written, nothing after
        EXPECT_FALSE(OptSelToSave(s));
        EXPECT_EQ(img(0x0E0A, 3), (V{0x00, 0x11, 0x11}));
        EXPECT_EQ(s.doc.IicDat[0x0E2E], 0x11);
        EXPECT_TRUE(reported("modSysSet->OptSelToSave") && reported("溢出"));
    }
    // A tone of 8 overflows the byte too: the alarms after it are not written.
    s.doc.OptSel[5] = 0;
    s.doc.OptSel[31] = 8;
    s.doc.IicDat[0x0E4F] = 0x1F;
    OptSelSaveSol(s, 0);
    EXPECT_EQ(img(0x0E4F, 1), V{0x1F});
    EXPECT_EQ(s.doc.IicDat[0x0E40], 0x11);
}

TEST_F(SysSetTest, TooSmallImageIsReportedAndNothingChanges)
{
    s.doc.IicDat.assign(0x0E70, 0x22);
    s.doc.OptSel[1] = 3;
    OptSelSaveSol(s, 0);
    OptSelSaveSol(s, 1);
    OptSelSaveSol(s, 7); // no such mode: nothing
    EXPECT_EQ(s.doc.IicDat[0x0E00], 0x22);
    EXPECT_EQ(s.doc.OptSel[1], 3);
    EXPECT_TRUE(reported("modSysSet->OptSelToSave") && reported("modSysSet->SaveToOptSel"));
    EXPECT_EQ(s.errors.lines().size(), 4);
}

TEST_F(SysSetTest, SettingsKeysFollowTheLanguage)
{
    s.settings.OptDef[1] = 4;
    OptNowDefSol(s, 0); // no section yet: nothing loaded
    EXPECT_EQ(s.settings.OptDef[1], 4);

    put({{0, "3"}, {1001, "1"}, {3001, "6"}, {3002, " 7 "}, {3501, "8"}});
    s.settings.Language = 9; // not a language: English
    OptNowDefSol(s, 0);
    EXPECT_EQ(s.settings.Language, 3);
    EXPECT_EQ((V{s.settings.OptDef[1], s.settings.OptDef[2], s.settings.OptDef[3]}), (V{6, 7, 0})) << "a missing key reads as 0";
    EXPECT_EQ(sel({1, 2}), (V{8, 0}));
    s.doc.OptSel[1] = 0;
    s.doc.OptSel[4] = 9;
    OptNowDefSol(s, 2);
    EXPECT_EQ(sel({1, 2, 3, 4}), (V{6, 7, 0, 9})) << "only the first n entries are restored";
    EXPECT_EQ(stored(3501) + stored(3502) + stored(3503), QStringLiteral("670"));
    EXPECT_FALSE(s.settings.profile.contains(QStringLiteral("Option"), QStringLiteral("1501")));
    EXPECT_TRUE(s.errors.lines().isEmpty());

    s.settings.Language = 1;
    OptNowDefSol(s, 0);
    EXPECT_EQ(s.settings.OptDef[1], 1);
}

TEST_F(SysSetTest, CountAbove100StopsAtEntry101)
{
    put({{0, "101"}, {3100, "5"}, {3501, "4"}});
    OptNowDefSol(s, 0);
    EXPECT_EQ(s.settings.OptDef[100], 5) << "entries up to 100 are used";
    EXPECT_EQ(s.doc.OptSel[1], 0) << "the selections are never reached";
    EXPECT_TRUE(reported("modSysSet->OptNowDefSol") && reported("数组索引超出范围"));
}
