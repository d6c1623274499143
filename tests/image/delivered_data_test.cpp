// The data delivered beside the program: the settings file (from
// data/Uninstall.ini) and the template image generated into bin/Kelvex.exe.
#include "options/modOptView.h"
#include "options/modSysSet.h"
#include "settings/VbConv.h"
#include "support/DeliveredHome.h"
#include "support/TestHome.h"

#include <gtest/gtest.h>

using namespace qm;
using namespace qmtest;

namespace {

const ProfileFile kDelivered(deliveredSettingsSource());

QString entry(const char* section, int key, int buf = 100)
{
    return kDelivered.read(QLatin1String(section), QString::number(key), QStringLiteral("<missing>"), buf);
}

// Largest value option index i may hold: what its control of the window
// accepts (the message takes radio alphabet codes 0..40), 0 when none shows it.
int optionMax(int i)
{
    const OptionSpec* opt = optionSpecFor(i);
    return !opt ? 0 : opt->kind == OptionKind::Message ? 40 : opt->max;
}

} // namespace

TEST(DeliveredData, SettingsOptionsAndTemplateFile)
{
    const std::pair<const char*, const char*> keys[] = {
        {"FirRun", "1"}, {"Language", "3"}, {"COM", "1"}, {"DatNum", "8191"}, {"CtcDcsMax", "260"},
        {"TableMaxAddr", "1FFF"}, {"ReadStartAddr", "0000"}, {"ReadEndAddr", "1FFF"},
        {"WriteStartAddr", "0000"}, {"WriteEndAddr", "1FFF"}};
    for (auto [key, want] : keys)
        EXPECT_EQ(kDelivered.read("Setting", key, "<missing>", 30), QString::fromLatin1(want)) << key;
    EXPECT_NE(kDelivered.read("Setting", "OverColor", "", 30), kDelivered.read("Setting", "DefColor", "", 30));
    EXPECT_TRUE(QFile::exists(QStringLiteral(QM570_BIN_DIR "/Uninstall.exe")));

    // Option defaults and selections of every language in range; power-on
    // message "QM570 ", every alarm off.
    ASSERT_EQ(entry("Option", 0), QStringLiteral("46"));
    for (int lang = 1; lang <= 3; ++lang) {
        QString msg;
        for (int i = 1; i <= 46; ++i) {
            for (int key : {1000 * lang + i, 1000 * lang + 500 + i}) {
                const int v = toInt16(entry("Option", key));
                EXPECT_TRUE(v >= 0 && v <= optionMax(i)) << "key " << key << " = " << v;
            }
            if (i >= 25 && i <= 30)
                msg += QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-/ +_").at(toInt16(entry("Option", 1000 * lang + i)));
            if (i >= 32 && (i - 32) % 3 == 0) {
                EXPECT_EQ(entry("Option", 1000 * lang + i), QStringLiteral("0")) << i;
            }
        }
        EXPECT_EQ(msg, QStringLiteral("QM570 "));
    }

    const QByteArray img = deliveredTemplate();
    ASSERT_EQ(img.size(), 8192);
    EXPECT_EQ(img.mid(0x0F30, 3), QByteArray::fromHex("10B315"));           // version
    EXPECT_EQ(img.mid(0x0F50, 8), QByteArray::fromHex("4000000047000000")); // band 400-470 MHz
}

// Both key bases define 100 channels of 11 columns (the English start-up
// below shows any entry that does not fit the record).
TEST(DeliveredData, ChannelGridDefinitionOfBothLanguages)
{
    for (int base : {1000, 3000}) {
        EXPECT_EQ(entry("ChInfo", base), QStringLiteral("100")) << base;
        EXPECT_EQ(entry("ChInfo", base + 2), QStringLiteral("11")) << base;
        EXPECT_EQ(entry("ChInfo", base + 3, 200).split(QLatin1Char('|')).size(), 12) << base;
        EXPECT_EQ(entry("ChInfo", base + 200 + 10 * 50), QStringLiteral("CHNAME")) << base;
    }
}

TEST(DeliveredData, ProgramStartsCleanlyAndTemplateDecodesToProgrammedChannels)
{
    DeliveredHome home;
    auto s = std::make_unique<AppState>();
    QString err;
    ASSERT_TRUE(home.create(&err) && startTool(*s, home.path(), &err)) << err.toStdString();
    EXPECT_TRUE(s->errors.lines().isEmpty()) << s->errors.lines().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(s->settings.ChNum, 100);
    int programmed = 0;
    for (int n = 1; n <= s->settings.ChNum; ++n) {
        const auto& ch = s->doc.ChData[size_t(n)];
        if (ch[1] == -1)
            continue;
        ++programmed;
        const auto inBand = [&](int32_t f) { return f >= s->settings.BandLower && f <= s->settings.BandUpper; };
        EXPECT_TRUE(inBand(ch[1]) && (ch[2] == -1 || inBand(ch[2])) && ch[3] >= 0 && ch[3] <= 260 && ch[4] >= 0 && ch[4] <= 260)
            << "channel " << n;
    }
    EXPECT_EQ(programmed, 9);
    // 435.025 MHz, 67.0 Hz, D023N, D754I, receive only, "C".
    EXPECT_EQ((std::array<int, 6>{s->doc.ChData[1][1], s->doc.ChData[2][3], s->doc.ChData[4][3], s->doc.ChData[7][4],
                                  s->doc.ChData[5][2], s->doc.ChNameCode[1][1]}),
              (std::array<int, 6>{43502500, 1, 51, 260, -1, 12}));
    OptSelSaveSol(*s, 1); // the template's own option bytes
    for (int i = 1; i <= 46; ++i)
        EXPECT_TRUE(s->doc.OptSel[size_t(i)] >= 0 && s->doc.OptSel[size_t(i)] <= optionMax(i)) << "option " << i;
    EXPECT_EQ(s->doc.OptSel[25], 26); // "Q"
}
