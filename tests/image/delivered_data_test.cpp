// The data delivered beside the program: the settings file (from
// data/Uninstall.ini) and the template image generated into bin/Kelvex.exe.
#include "channels/modChMem.h"
#include "options/modSysSet.h"
#include "shell/ProfileFile.h"
#include "shell/VbConv.h"
#include "shell/modStartup.h"

#include "support/TestHome.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace qm;
using namespace qmtest;

namespace {

const QString kBin = QStringLiteral(QM570_BIN_DIR);
const QString kSettingsSource = QStringLiteral(QM570_SOURCE_DIR "/data/Uninstall.ini");

ProfileFile settings()
{
    return ProfileFile(kSettingsSource);
}

// Largest value each option index may hold (0 = holds no option).
int optionMax(int i)
{
    static const std::map<int, int> max = {{1, 9}, {2, 9}, {3, 7}, {4, 2}, {5, 1}, {6, 2}, {7, 1}, {8, 3}, {9, 32},
                                           {10, 24}, {11, 1}, {12, 2}, {13, 2}, {14, 1}, {15, 1}, {16, 1}, {17, 1},
                                           {18, 1}, {19, 1}, {20, 1}, {21, 2}, {31, 7}};
    if (max.count(i))
        return max.at(i);
    if (i >= 25 && i <= 30)
        return 40; // the radio alphabet
    if (i >= 32 && i <= 46)
        return (i - 32) % 3 == 0 ? 1 : ((i - 32) % 3 == 1 ? 23 : 59);
    return 0;
}

} // namespace

TEST(DeliveredData, SettingsSectionHasEveryKey)
{
    const ProfileFile p = settings();
    struct Case { const char* key; const char* want; };
    const Case cases[] = {{"FirRun", "1"}, {"Language", "3"}, {"COM", "1"}, {"DatNum", "8191"}, {"CtcDcsMax", "260"},
                          {"TableMaxAddr", "1FFF"}, {"ReadStartAddr", "0000"}, {"ReadEndAddr", "1FFF"},
                          {"WriteStartAddr", "0000"}, {"WriteEndAddr", "1FFF"}};
    for (const auto& c : cases)
        EXPECT_EQ(p.read("Setting", c.key, "<missing>", 30), QString::fromLatin1(c.want)) << c.key;
    EXPECT_FALSE(p.read("Setting", "EngFont", "", 30).isEmpty());
    EXPECT_FALSE(p.read("Setting", "ChsFont", "", 30).isEmpty());
    EXPECT_NE(toInt32(p.read("Setting", "OverColor", "", 30)), toInt32(p.read("Setting", "DefColor", "", 30)));
    EXPECT_TRUE(QFile::exists(kBin + QStringLiteral("/Uninstall.exe")));
}

TEST(DeliveredData, ChannelGridDefinitionFitsTheRecord)
{
    const ProfileFile p = settings();
    for (int base : {1000, 3000}) {
        SCOPED_TRACE(base);
        auto key = [&](int k) { return QString::number(base + k); };
        EXPECT_EQ(toInt16(p.read("ChInfo", key(0), "16", 5)), 100);
        EXPECT_EQ(toInt16(p.read("ChInfo", key(1), "240", 5)), 240);
        ASSERT_EQ(toInt16(p.read("ChInfo", key(2), "9", 5)), 11);
        EXPECT_EQ(p.read("ChInfo", key(3), "", 200).split(QLatin1Char('|')).size(), 12);
        for (int c = 0; c <= 11; ++c)
            EXPECT_GT(toInt16(p.read("ChInfo", key(100 + c), "0", 10)), 0) << "width " << c;

        const char* keywords[] = {"", "RxFre", "TxFre", "CtcssDcsDec", "CtcssDcsEnc"};
        for (int c = 1; c <= 11; ++c) {
            SCOPED_TRACE(c);
            QStringList entries;
            for (int k = 0; k <= 50; ++k) {
                const QString e = p.read("ChInfo", key(200 + (c - 1) * 50 + k), "<missing>", 100);
                if (e == QLatin1String("*EndOfThisItem*"))
                    break;
                ASSERT_NE(e, QStringLiteral("<missing>")) << "entry " << k;
                ASSERT_LT(k, 50) << "list not closed";
                entries << e;
            }
            ASSERT_GE(entries.size(), 3);
            if (c <= 4) {
                EXPECT_EQ(entries[0], QString::fromLatin1(keywords[c]));
            } else if (c == 11) {
                EXPECT_EQ(entries[0], QStringLiteral("CHNAME"));
            } else {
                // Option column: as many texts as values, and the values fit the bits.
                const int count = toInt16(entries[1]);
                EXPECT_EQ(count, c == 8 ? 3 : 2);
                EXPECT_EQ(entries.size() - 3, count);
                const int def = toInt16(entries[2]);
                EXPECT_TRUE(def >= 0 && def < count) << def;
            }
        }
        const int rxDefault = toInt32(p.read("ChInfo", key(202), "", 100));
        EXPECT_TRUE(rxDefault >= 40000000 && rxDefault <= 47000000) << rxDefault;
    }
}

TEST(DeliveredData, OptionDefaultsAndSelectionsAreInRange)
{
    const ProfileFile p = settings();
    const int n = toInt16(p.read("Option", "0", "0", 20));
    ASSERT_EQ(n, 46);
    for (int lang = 1; lang <= 3; ++lang) {
        for (int i = 1; i <= n; ++i) {
            for (int key : {1000 * lang + i, 1000 * lang + 500 + i}) {
                const int v = toInt16(p.read("Option", QString::number(key), "<missing>", 20));
                EXPECT_TRUE(v >= 0 && v <= optionMax(i)) << "key " << key << " = " << v;
            }
        }
        // Power-on message "QM570 " and every alarm off.
        QString msg;
        for (int i = 25; i <= 30; ++i)
            msg += QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-/ +_")
                       .at(toInt16(p.read("Option", QString::number(1000 * lang + i), "", 20)));
        EXPECT_EQ(msg, QStringLiteral("QM570 "));
        for (int a = 0; a < 5; ++a)
            EXPECT_EQ(p.read("Option", QString::number(1000 * lang + 32 + 3 * a), "", 20), QStringLiteral("0"));
    }
}

TEST(DeliveredData, TemplateImageHasSizeVersionAndBand)
{
    const QByteArray img = readFile(kBin + QStringLiteral("/Kelvex.exe"));
    ASSERT_EQ(img.size(), 8192);
    EXPECT_EQ(img.mid(0x0F30, 3), QByteArray::fromHex("10B315"));
    EXPECT_EQ(img.mid(0x0F50, 8), QByteArray::fromHex("4000000047000000"));
}

TEST(DeliveredData, ProgramStartsCleanlyAndTemplateDecodesToProgrammedChannels)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(kSettingsSource, dir.filePath(QStringLiteral("Uninstall.exe"))));
    ASSERT_TRUE(QFile::copy(kBin + QStringLiteral("/Kelvex.exe"), dir.filePath(QStringLiteral("Kelvex.exe"))));
    auto s = std::make_unique<AppState>();
    s->ChData[1][1] = 12345; // stays when no decoder is linked in
    QString err;
    ASSERT_TRUE(startupForTool(*s, dir.path(), &err)) << err.toStdString();
    EXPECT_TRUE(s->errors.lines().isEmpty()) << s->errors.lines().join(QLatin1Char('\n')).toStdString();
    if (s->ChData[1][1] == 12345)
        GTEST_SKIP() << "the channel decoder is not linked into this build";

    EXPECT_EQ(s->ChNum, 100);
    int programmed = 0;
    for (int n = 1; n <= s->ChNum; ++n) {
        const auto& ch = s->ChData[static_cast<size_t>(n)];
        if (ch[1] == -1)
            continue;
        ++programmed;
        EXPECT_TRUE(ch[1] >= s->BandLower && ch[1] <= s->BandUpper) << "channel " << n << " rx " << ch[1];
        EXPECT_TRUE(ch[2] == -1 || (ch[2] >= s->BandLower && ch[2] <= s->BandUpper)) << "channel " << n;
        EXPECT_TRUE(ch[3] >= 0 && ch[3] <= 260 && ch[4] >= 0 && ch[4] <= 260) << "channel " << n;
    }
    EXPECT_EQ(programmed, 9);
    EXPECT_EQ(s->ChData[1][1], 43502500);
    EXPECT_EQ(s->ChData[2][3], 1);   // 67.0 Hz
    EXPECT_EQ(s->ChData[4][3], 51);  // D023N
    EXPECT_EQ(s->ChData[7][4], 260); // D754I
    EXPECT_EQ(s->ChData[5][2], -1);  // receive only
    EXPECT_EQ(s->ChNameCode[1][1], 12); // "C"

    OptSelSaveSol(*s, 1);
    for (int i = 1; i <= 46; ++i)
        EXPECT_TRUE(s->OptSel[static_cast<size_t>(i)] >= 0 && s->OptSel[static_cast<size_t>(i)] <= std::max(optionMax(i), 0))
            << "option " << i << " = " << s->OptSel[static_cast<size_t>(i)];
    EXPECT_EQ(s->OptSel[25], 26); // "Q"
}
