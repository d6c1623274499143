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

#include <array>
#include <map>
#include <memory>

using namespace qm;
using namespace qmtest;

namespace {

const QString kBin = QStringLiteral(QM570_BIN_DIR);
const ProfileFile kDelivered(deliveredSettingsSource());

int key16(const char* section, int key, const char* def = "<missing>")
{
    return toInt16(kDelivered.read(QLatin1String(section), QString::number(key), QLatin1String(def), 100));
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
        return std::array{1, 23, 59}[size_t((i - 32) % 3)]; // alarm: on/off, hour, minute
    return 0;
}

} // namespace

TEST(DeliveredData, SettingsAndTemplateFiles)
{
    const std::pair<const char*, const char*> keys[] = {
        {"FirRun", "1"}, {"Language", "3"}, {"COM", "1"}, {"DatNum", "8191"}, {"CtcDcsMax", "260"},
        {"TableMaxAddr", "1FFF"}, {"ReadStartAddr", "0000"}, {"ReadEndAddr", "1FFF"},
        {"WriteStartAddr", "0000"}, {"WriteEndAddr", "1FFF"}};
    for (auto [key, want] : keys)
        EXPECT_EQ(kDelivered.read("Setting", key, "<missing>", 30), QString::fromLatin1(want)) << key;
    EXPECT_FALSE(kDelivered.read("Setting", "ChsFont", "", 30).isEmpty());
    EXPECT_NE(kDelivered.read("Setting", "OverColor", "", 30), kDelivered.read("Setting", "DefColor", "", 30));
    EXPECT_TRUE(QFile::exists(kBin + QStringLiteral("/Uninstall.exe")));

    const QByteArray img = readFile(kBin + QStringLiteral("/Kelvex.exe"));
    ASSERT_EQ(img.size(), 8192);
    EXPECT_EQ(img.mid(0x0F30, 3), QByteArray::fromHex("10B315"));           // version
    EXPECT_EQ(img.mid(0x0F50, 8), QByteArray::fromHex("4000000047000000")); // band 400-470 MHz
}

TEST(DeliveredData, ChannelGridDefinitionFitsTheRecord)
{
    const char* keywords[] = {"", "RxFre", "TxFre", "CtcssDcsDec", "CtcssDcsEnc"};
    for (int base : {1000, 3000}) {
        SCOPED_TRACE(base);
        EXPECT_EQ(key16("ChInfo", base), 100);
        ASSERT_EQ(key16("ChInfo", base + 2), 11);
        EXPECT_EQ(kDelivered.read("ChInfo", QString::number(base + 3), "", 200).split(QLatin1Char('|')).size(), 12);
        for (int c = 1; c <= 11; ++c) {
            SCOPED_TRACE(c);
            EXPECT_GT(key16("ChInfo", base + 100 + c, "0"), 0); // column width
            QStringList e;
            for (int k = 0; k < 50 && (e.isEmpty() || e.last() != QLatin1String("*EndOfThisItem*")); ++k)
                e << kDelivered.read("ChInfo", QString::number(base + 200 + (c - 1) * 50 + k), "", 100);
            ASSERT_EQ(e.takeLast(), QStringLiteral("*EndOfThisItem*"));
            if (c <= 4 || c == 11) {
                EXPECT_EQ(e[0], QLatin1String(c == 11 ? "CHNAME" : keywords[c]));
            } else { // option column: its choices (also joined as entry 0), the default among them
                EXPECT_EQ(toInt16(e[1]), c == 8 ? 3 : 2);
                EXPECT_EQ(e.mid(3), e[0].split(QLatin1Char('|')));
                EXPECT_EQ(e.size() - 3, toInt16(e[1]));
                EXPECT_TRUE(toInt16(e[2]) >= 0 && toInt16(e[2]) < toInt16(e[1]));
            }
        }
        const int rxDefault = toInt32(kDelivered.read("ChInfo", QString::number(base + 202), "", 100));
        EXPECT_TRUE(rxDefault >= 40000000 && rxDefault <= 47000000) << rxDefault;
    }
}

TEST(DeliveredData, OptionDefaultsAndSelectionsAreInRange)
{
    ASSERT_EQ(key16("Option", 0), 46);
    for (int lang = 1; lang <= 3; ++lang) {
        for (int i = 1; i <= 46; ++i)
            for (int key : {1000 * lang + i, 1000 * lang + 500 + i}) {
                const int v = key16("Option", key);
                EXPECT_TRUE(v >= 0 && v <= optionMax(i)) << "key " << key << " = " << v;
            }
        QString msg; // power-on message "QM570 ", every alarm off
        for (int i = 25; i <= 30; ++i)
            msg += QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-/ +_").at(key16("Option", 1000 * lang + i));
        EXPECT_EQ(msg, QStringLiteral("QM570 "));
        for (int a = 0; a < 5; ++a)
            EXPECT_EQ(key16("Option", 1000 * lang + 32 + 3 * a), 0);
    }
}

TEST(DeliveredData, ProgramStartsCleanlyAndTemplateDecodesToProgrammedChannels)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(deliveredSettingsSource(), dir.filePath(QStringLiteral("Uninstall.exe"))));
    ASSERT_TRUE(QFile::copy(kBin + QStringLiteral("/Kelvex.exe"), dir.filePath(QStringLiteral("Kelvex.exe"))));
    auto s = std::make_unique<AppState>();
    QString err;
    ASSERT_TRUE(startupForTool(*s, dir.path(), &err)) << err.toStdString();
    EXPECT_TRUE(s->errors.lines().isEmpty()) << s->errors.lines().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(s->ChNum, 100);
    int programmed = 0;
    for (int n = 1; n <= s->ChNum; ++n) {
        const auto& ch = s->ChData[size_t(n)];
        if (ch[1] == -1)
            continue;
        ++programmed;
        EXPECT_TRUE(ch[1] >= s->BandLower && ch[1] <= s->BandUpper) << "channel " << n << " rx " << ch[1];
        EXPECT_TRUE(ch[2] == -1 || (ch[2] >= s->BandLower && ch[2] <= s->BandUpper)) << "channel " << n;
        EXPECT_TRUE(ch[3] >= 0 && ch[3] <= 260 && ch[4] >= 0 && ch[4] <= 260) << "channel " << n;
    }
    EXPECT_EQ(programmed, 9);
    EXPECT_EQ(s->ChData[1][1], 43502500);
    EXPECT_EQ(s->ChData[2][3], 1);      // 67.0 Hz
    EXPECT_EQ(s->ChData[4][3], 51);     // D023N
    EXPECT_EQ(s->ChData[7][4], 260);    // D754I
    EXPECT_EQ(s->ChData[5][2], -1);     // receive only
    EXPECT_EQ(s->ChNameCode[1][1], 12); // "C"
    OptSelSaveSol(*s, 1);
    for (int i = 1; i <= 46; ++i)
        EXPECT_TRUE(s->OptSel[size_t(i)] >= 0 && s->OptSel[size_t(i)] <= optionMax(i)) << "option " << i;
    EXPECT_EQ(s->OptSel[25], 26); // "Q"
}
