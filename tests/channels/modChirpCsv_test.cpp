// CHIRP's generic CSV against the channel table of the delivered program
// folder: every duplex kind and tone mode both ways, the rows the radio
// cannot hold, and a file as other programs and people write it.
#include "channels/modChirpCsv.h"

#include "channels/modChCsv.h"
#include "channels/modChEdit.h"
#include "channels/modChGrid.h"
#include "channels/modChMem.h"
#include "shell/AppState.h"
#include "support/DeliveredHome.h"
#include "support/TestHome.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

using namespace qm;

namespace {

class ChirpCsv : public qmtest::DeliveredProgramTest {
protected:
    void SetUp() override
    {
        DeliveredProgramTest::SetUp();
        emptyAll(*s);
    }

    // Every channel but the VFO row deleted, as an erased image decodes: the
    // option fields take their column defaults.
    static void emptyAll(AppState& st)
    {
        EXPECT_EQ(st.settings.ChNum, 100);
        EXPECT_EQ(st.settings.ChColNum, 11);
        DeleteAllChannels(st);
        ChInfoSaveSol(st, 1);
        ShowChTblGrid(st);
    }
    // Fields 1..7 of channel n: rx, tx, decode, encode, power, bandwidth, scan add.
    std::array<int32_t, 7> fields(const AppState& st, int n) const
    {
        std::array<int32_t, 7> f{};
        std::copy(st.doc.ChData[n].begin() + 1, st.doc.ChData[n].begin() + 8, f.begin());
        return f;
    }

    static QByteArray header() { return ChirpCsvHeader().join(QLatin1Char(',')).toUtf8() + "\r\n"; }
};

} // namespace

// Each row as the export writes it: importing it gives the channel, and
// exporting that channel gives the row back.
TEST_F(ChirpCsv, EveryDuplexToneModePowerModeAndSkipGoesBothWays)
{
    const QString tail = QStringLiteral(",,,,,");
    // row: Location .. Power
    const struct { const char* row; std::array<int32_t, 7> fields; } cases[] = {
        {"1,CH-1,446.006250,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,6.25,,High", {44600625, 44600625, 0, 0, 0, 0, 1}},
        {"2,RPT,439.500000,-,5.000000,Tone,100.0,88.5,023,NN,023,Tone->Tone,NFM,5.00,S,Low", {43950000, 43450000, 0, 13, 1, 1, 0}},
        {"3,,462.562500,+,5.000000,TSQL,67.0,67.0,023,NN,023,Tone->Tone,FM,6.25,,High", {46256250, 46756250, 1, 1, 0, 0, 1}},
        {"4,D023,440.000000,,0.000000,DTCS,88.5,88.5,023,NR,023,Tone->Tone,FM,5.00,,High", {44000000, 44000000, 156, 51, 0, 0, 1}},
        {"5,\" CH-05\",440.012500,,0.000000,Cross,100.0,67.0,023,NN,023,Tone->Tone,FM,6.25,,High", {44001250, 44001250, 1, 13, 0, 0, 1}},
        {"6,,440.025000,,0.000000,Cross,67.0,88.5,023,NR,754,Tone->DTCS,FM,5.00,,High", {44002500, 44002500, 260, 1, 0, 0, 1}},
        {"7,,440.037500,,0.000000,Cross,88.5,254.1,023,NN,023,DTCS->Tone,FM,6.25,,High", {44003750, 44003750, 50, 51, 0, 0, 1}},
        {"8,,440.050000,,0.000000,Cross,88.5,67.0,023,NN,023,->Tone,FM,5.00,,High", {44005000, 44005000, 1, 0, 0, 0, 1}},
        {"9,,440.062500,,0.000000,Cross,88.5,88.5,023,NN,025,->DTCS,FM,6.25,,High", {44006250, 44006250, 52, 0, 0, 0, 1}},
        {"10,,440.075000,,0.000000,Cross,88.5,88.5,026,RN,023,DTCS->,FM,5.00,,High", {44007500, 44007500, 0, 158, 0, 0, 1}},
        {"11,,440.087500,,0.000000,Cross,88.5,88.5,023,NR,025,DTCS->DTCS,FM,6.25,,High", {44008750, 44008750, 157, 51, 0, 0, 1}},
        {"12,FAR,405.000000,split,476.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High", {40500000, 47600000, 0, 0, 0, 0, 1}},
        {"13,RX,450.000000,off,0.000000,TSQL,94.8,94.8,023,NN,023,Tone->Tone,FM,5.00,S,Low", {45000000, -1, 11, -1, 1, 0, 0}},
        {"14,,450.100000,off,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,NFM,5.00,,High", {45010000, -1, 0, -1, 0, 1, 1}},
    };
    QByteArray file = header();
    for (const auto& c : cases)
        file += QByteArray(c.row) + tail.toUtf8() + "\r\n";
    QString error;
    QStringList warnings;
    ASSERT_TRUE(ImportChirpCsv(*s, file, &error, &warnings)) << error.toStdString();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        const int n = QString::fromLatin1(c.row).section(QLatin1Char(','), 0, 0).toInt();
        std::array<int32_t, 7> got = fields(*s, n);
        if (c.fields[1] == -1)
            got[3] = -1; // no transmit frequency: the encode field is not the file's business
        EXPECT_EQ(got, c.fields);
    }
    EXPECT_EQ(s->grid.text[5][11], QStringLiteral(" CH-05"));
    EXPECT_EQ(warnings, QStringList{QStringLiteral("line 13, column \"Offset\": the transmit frequency 476 MHz lies outside the "
                                                   "radio's band 400 to 470 MHz; imported as it is")});
    EXPECT_EQ(ChannelsToChirpCsv(*s).toUtf8(), file);

    // Into a table that held other channels: the same channels, the same file.
    auto other = qmtest::startedTool(home.path());
    emptyAll(*other);
    ASSERT_TRUE(ImportChannelCsv(*other, ChannelsToCsv(*s).toUtf8(), &error)) << error.toStdString();
    ASSERT_TRUE(ImportChirpCsv(*other, file, &error)) << error.toStdString();
    EXPECT_EQ(ChannelsToChirpCsv(*other).toUtf8(), file);
    for (int n = 1; n <= 14; ++n)
        EXPECT_EQ(other->doc.ChNameCode[n], s->doc.ChNameCode[n]) << n;
}

TEST_F(ChirpCsv, RowsTheRadioCannotHoldRefuseTheFileAndChangeNothing)
{
    ASSERT_TRUE(ImportChirpCsv(*s, header() + "5,OLD,446.006250,,0,TSQL,67.0,67.0,023,NN,023,,FM,,,High,,,,,\r\n", nullptr));
    const QByteArray head = "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,RxDtcsCode,"
                            "CrossMode,Mode,Power,Skip\n";
    const QByteArray good = "1,A,446.1,,,,,,,,,,FM,High,\n";
    const std::pair<QByteArray, const char*> cases[] = {
        {"100,,440,,,,,,,,,,FM,,\n", "line 2, column \"Location\": 100 is the VFO row, which a CHIRP file does not set"},
        {"0,,440,,,,,,,,,,FM,,\n", "line 2, column \"Location\": channel 0 does not exist (the radio has channels 1 to 100)"},
        {"101,,440,,,,,,,,,,FM,,\n", "line 2, column \"Location\": channel 101 does not exist (the radio has channels 1 to 100)"},
        {"x,,440,,,,,,,,,,FM,,\n", "line 2, column \"Location\": \"x\" is not a channel number (1 to 100)"},
        {good + "1,B,446.2,,,,,,,,,,FM,,\n", "line 3, column \"Location\": channel 1 is listed twice (first on line 2)"},
        {"1,,50.000000,,,,,,,,,,FM,,\n",
         "line 2, column \"Frequency\": the receive frequency 50 MHz lies outside the entry limits 100 to 999 MHz"},
        {"1,,145.502500,,,,,,,,,,FM,,\n", "line 2, column \"Frequency\": the receive frequency 145.5025 MHz is not on a 5 kHz or "
                                          "6.25 kHz channel step (the nearest is 145.5 MHz)"},
        {"1,,990,+,20,,,,,,,,FM,,\n",
         "line 2, column \"Offset\": the transmit frequency 1010 MHz lies outside the entry limits 100 to 999 MHz"},
        {"1,,440,split,,,,,,,,,FM,,\n", "line 2, column \"Offset\": a split channel needs its transmit frequency in Offset"},
        {"1,,440,x,,,,,,,,,FM,,\n", "line 2, column \"Duplex\": \"x\" is not a duplex of CHIRP (\"\", +, -, split or off)"},
        {"1,,440,,,Tone,88.4,,,,,,FM,,\n", "line 2, column \"rToneFreq\": 88.4 Hz is not a CTCSS tone of the radio (67.0 to 254.1)"},
        {"1,,440,,,DTCS,,,024,NN,,,FM,,\n", "line 2, column \"DtcsCode\": DCS code 024 is not in the radio's table"},
        {"1,,440,,,Cross,,,,NN,089,->DTCS,FM,,\n",
         "line 2, column \"RxDtcsCode\": \"089\" is not a DCS code (three octal digits such as 023)"},
        {"1,,440,,,DTCS,,,023,NX,,,FM,,\n",
         "line 2, column \"DtcsPolarity\": \"NX\" is not a DCS polarity (NN, NR, RN or RR: transmit, then receive)"},
        {"1,,440,,,DTCS-R,,,023,NN,,,FM,,\n",
         "line 2, column \"Tone\": \"DTCS-R\" is not a tone mode this radio has (\"\", Tone, TSQL, DTCS or Cross)"},
        {"1,,440,,,Cross,,,,,,Tone->X,FM,,\n", "line 2, column \"CrossMode\": \"Tone->X\" is not a cross mode of CHIRP"},
        {"1,,440,,,,,,,,,,AM,,\n",
         "line 2, column \"Mode\": mode \"AM\" cannot be held: the radio has FM (wide) and NFM (narrow) only"},
        {"1,,440,,,,,,,,,,DV,,\n", "line 2, column \"Mode\": mode \"DV\""},
        {"1,,440,,,,,,,,,,FM,Max,\n", "line 2, column \"Power\": \"Max\" is not a power level"},
        {"1,,440,,,,,,,,,,FM,,X\n", "line 2, column \"Skip\": \"X\" is not a skip mark (empty, S or P)"},
        {"1,ab*,440,,,,,,,,,,FM,,\n",
         "line 2, column \"Name\": \"ab*\" holds \"*\", which the radio cannot show (it shows A to Z, 0 to 9, space and - / + _)"},
        // (the other name rules: the channel CSV's, modChCsv_test.cpp)
    };
    const auto data = s->doc.ChData;
    const auto names = s->doc.ChNameCode;
    const auto texts = s->grid.text;
    for (const auto& [rows, message] : cases) {
        SCOPED_TRACE(rows.toStdString());
        QString error;
        QStringList warnings{QStringLiteral("stale")};
        EXPECT_FALSE(ImportChirpCsv(*s, head + rows, &error, &warnings));
        EXPECT_TRUE(error.startsWith(QString::fromUtf8(message))) << error.toStdString();
        EXPECT_TRUE(warnings.isEmpty());
        EXPECT_EQ(s->doc.ChData, data);
        EXPECT_EQ(s->doc.ChNameCode, names);
        EXPECT_EQ(s->grid.text, texts);
    }
    QString error;
    EXPECT_FALSE(ImportChirpCsv(*s, "Name,Frequency\nA,440\n", &error));
    EXPECT_EQ(error, QStringLiteral("line 1: column \"Location\" is missing; a CHIRP file names at least Location and Frequency"));
    EXPECT_FALSE(ImportChirpCsv(*s, head, &error));
    EXPECT_EQ(error, QStringLiteral("line 1: the file lists no channel; after the header each row names a channel"));
    EXPECT_FALSE(CheckChirpCsv(*s, head + "100,,440,,,,,,,,,,FM,,\n", &error));
    EXPECT_TRUE(CheckChirpCsv(*s, head + good, &error)) << error.toStdString();
    QStringList warnings; // a receive frequency outside the band is taken, with its warning
    EXPECT_TRUE(CheckChirpCsv(*s, head + "1,,480,,,,,,,,,,FM,,\n", &error, &warnings)) << error.toStdString();
    EXPECT_EQ(warnings, QStringList{QStringLiteral("line 2, column \"Frequency\": 480 MHz lies outside the radio's band 400 to 470 MHz; "
                                                   "imported as it is")});
    EXPECT_EQ(s->doc.ChData, data);
    EXPECT_TRUE(IsChirpCsv(head) && !IsChirpCsv(ChannelsToCsv(*s).toUtf8()));
}

// As another program or a person writes it: byte-order mark, columns in
// another order, some missing, lower case, power in watts.
TEST_F(ChirpCsv, HandWrittenFileWithColumnsInAnotherOrderAndWatts)
{
    // Channel 1 exists with Busy Lock set: the file has no say in it.
    ASSERT_TRUE(ImportChirpCsv(*s, header() + "1,OLD,440,,,,,,,,,,FM,,,High,,,,,\r\n", nullptr));
    s->doc.ChData[1][8] = 2;
    const QByteArray file = "\xEF\xBB\xBF"
                            "Power,Frequency,location,Name,Mode,Tone,rToneFreq,Comment\r\n"
                            "5.0W,446.00625,1,pmr 1,NFM,Tone,67,\"from the club, 2024\"\r\n"
                            "1.0W,446.01875,2,pmr 2,FM,,,\r\n"
                            "4W,446.03125,3,,,,,\r\n"
                            "\r\n";
    QString error;
    ASSERT_TRUE(ImportChirpCsv(*s, file, &error)) << error.toStdString();
    const auto def = [&](int c) { return s->settings.ColInfo[c][2].toInt(); };
    EXPECT_EQ(fields(*s, 1), (std::array<int32_t, 7>{44600625, 44600625, 0, 1, 0, 1, 1}));
    EXPECT_EQ(fields(*s, 2), (std::array<int32_t, 7>{44601875, 44601875, 0, 0, 1, 0, 1}));
    EXPECT_EQ(fields(*s, 3), (std::array<int32_t, 7>{44603125, 44603125, 0, 0, 1, def(6), 1}));
    EXPECT_EQ(std::make_pair(s->doc.ChData[1][8], s->doc.ChData[2][8]), std::make_pair(2, def(8)));
    // Power shown as the grid shows Low.
    EXPECT_EQ((QStringList{s->grid.text[1][11], s->grid.text[3][11], s->grid.text[2][5]}), (QStringList{"PMR 1 ", "", s->settings.ColInfo[5][4]}));
}
