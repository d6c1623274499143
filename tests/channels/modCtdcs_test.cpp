#include "ChannelTestSupport.h"

#include "channels/modCtdcs.h"
#include "settings/VbConv.h"

using namespace qm;
using namespace qmtest;

using Ctdcs = ChannelTest;

TEST_F(Ctdcs, ListNamesAndCodesInIndexOrder)
{
    const QStringList items = s.settings.CtdcsList.split(QLatin1Char('|'));
    ASSERT_EQ(items.size(), 261);
    EXPECT_EQ(items.mid(0, 3), (QStringList{"None", "67.0", "69.3"}));
    EXPECT_EQ(items.mid(50, 2), (QStringList{"254.1", "D023N"}));
    EXPECT_EQ(items.mid(155, 2), (QStringList{"D754N", "D023I"}));
    EXPECT_EQ(items.mid(259), (QStringList{"D743I", "D754I"}));
    EXPECT_EQ(items, QStringList(s.settings.CtdcsName.begin(), s.settings.CtdcsName.begin() + 261));
    EXPECT_EQ(QStringList(s.settings.CtdcsIicCode.begin() + 259, s.settings.CtdcsIicCode.begin() + 262), (QStringList{"A743", "A754", ""}));
    const std::pair<int16_t, const char*> langs[] = {{1, "无"}, {2, "無"}, {7, "None"}};
    for (auto [lang, none] : langs) {
        s.settings.Language = lang;
        GenCtdcsList(s);
        EXPECT_TRUE(s.settings.CtdcsList.startsWith(QString::fromUtf8(none) + QLatin1Char('|')) && s.settings.CtdcsName[0] == QString::fromUtf8(none)) << lang;
    }
    EXPECT_EQ(s.settings.Language, 3); // an unknown language becomes English
}

TEST_F(Ctdcs, DecodesLowByteFirstAndEncodesBack)
{
    const struct { uint8_t lo, hi; int index; } cases[] = {
        {0x9E, 0x02, 1}, {0xED, 0x09, 50}, {0x23, 0x20, 51}, {0x23, 0xA0, 156}, {0x54, 0xA7, 260},
        {0xFF, 0xFF, 0}, {0xFF, 0x02, 0},  {0x9E, 0xFF, 0},  {0x12, 0x34, 0}, // unknown: erased by the next encode
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.lo) << " " << int(c.hi));
        cs.putRecord(7, 8, {c.lo, c.hi, c.lo, c.hi});
        s.doc.ChData[7][3] = s.doc.ChData[7][4] = 99;
        IcCtdcsDecSol(s, 7);
        IcCtdcsEncSol(s, 7);
        EXPECT_EQ((std::array{s.doc.ChData[7][3], s.doc.ChData[7][4]}), (std::array{c.index, c.index}));
        CiCtdcsDecSol(s, 7);
        CiCtdcsEncSol(s, 7);
        EXPECT_EQ(cs.record(7, 8, 4), (c.index == 0 ? Bytes(4, 0xFF) : Bytes{c.lo, c.hi, c.lo, c.hi}));
    }
    s.doc.ChData[7][3] = -1;
    CiCtdcsDecSol(s, 7);
    EXPECT_EQ(cs.record(7, 8, 2), Bytes(2, 0xFF));

    s.settings.CtcDcsMax = 50; // tones only
    cs.putRecord(7, 8, {0xED, 0x09, 0x23, 0x20});
    IcCtdcsDecSol(s, 7);
    IcCtdcsEncSol(s, 7);
    EXPECT_EQ((std::array{s.doc.ChData[7][3], s.doc.ChData[7][4]}), (std::array{50, 0}));
    s.settings.CtcDcsMax = 999; // beyond the table: the whole table, nothing more
    IcCtdcsEncSol(s, 7);
    EXPECT_EQ(s.doc.ChData[7][4], 51);
    EXPECT_EQ(reportCount(s), 0);
}

TEST_F(Ctdcs, IndexWithoutCodeIsReportedAndLeavesTheRecord)
{
    cs.putRecord(8, 8, {0x9E, 0x02, 0x23, 0x20});
    s.doc.ChData[8][3] = 270; // inside the table, but no code
    s.doc.ChData[8][4] = 301; // outside the table
    CiCtdcsDecSol(s, 8);
    CiCtdcsEncSol(s, 8);
    EXPECT_EQ(cs.record(8, 8, 4), (Bytes{0x9E, 0x02, 0x23, 0x20}));
    EXPECT_EQ((std::array{reportsAt(s, QStringLiteral("modChMem->CiCtdcsDecSol"), 380), reportsAt(s, QStringLiteral("modChMem->CiCtdcsEncSol"), 9)}),
              (std::array{1, 1}));

    s.doc.ChData[3] = {0, 44000000, -1, 1, 156}; // the encode cell stays empty without a transmit frequency
    CtdcsDecShow(s, 3);
    CtdcsEncShow(s, 3);
    EXPECT_EQ((QStringList{s.grid.text[3][3], s.grid.text[3][4]}), (QStringList{"67.0", ""}));
    s.doc.ChData[3][2] = 44000000;
    CtdcsEncShow(s, 3);
    EXPECT_EQ(s.grid.text[3][4], QStringLiteral("D023I"));
}

// The lookup that a table decode builds once finds what QtDqtIndex finds:
// the first index up to CtcDcsMax with the code, 0 for none; a code that is
// not four upper-case hexadecimal digits never matches.
TEST_F(Ctdcs, LookupFindsWhatTheSearchOfTheCodeTextsFinds)
{
    auto& codes = s.settings.CtdcsIicCode;
    codes[20] = codes[10];               // a code twice: the first index counts
    codes[30] = QStringLiteral("0a9e");  // lower case
    codes[31] = QStringLiteral("09E");   // too short
    codes[32] = QStringLiteral("G1A0");  // no hexadecimal digit
    for (int max : {260, 100, 15, 0}) {
        SCOPED_TRACE(max);
        s.settings.CtcDcsMax = static_cast<int16_t>(max);
        const CtdcsLookup lookup(s.settings);
        std::vector<std::pair<uint8_t, uint8_t>> probes = {{0x00, 0x00}, {0x9E, 0x0A}, {0x9E, 0x09}, {0xFF, 0xFF}};
        for (int i = 0; i < kCtdcsSlots; ++i) {
            const int v = codes[static_cast<size_t>(i)].toInt(nullptr, 16);
            for (int d : {-1, 0, 1})
                probes.emplace_back(static_cast<uint8_t>((v + d) & 0xFF), static_cast<uint8_t>(((v + d) >> 8) & 0xFF));
        }
        for (auto [lo, hi] : probes)
            ASSERT_EQ(lookup.indexOf(lo, hi), QtDqtIndex(s, FormatByteDat(lo), FormatByteDat(hi))) << int(lo) << " " << int(hi);
    }
    // A code changed in place or replaced is read afresh by the next lookup.
    s.settings.CtcDcsMax = 260;
    codes[1][0] = QLatin1Char('1');    // 029E -> 129E
    codes[2] = QStringLiteral("3456");
    const CtdcsLookup changed(s.settings);
    EXPECT_EQ((std::array{changed.indexOf(0x9E, 0x12), changed.indexOf(0x9E, 0x02), changed.indexOf(0x56, 0x34)}), (std::array{1, 0, 2}));
}
