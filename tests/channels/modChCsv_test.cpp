#include "channels/modChCsv.h"
#include "shell/AppState.h"
#include "support/TestHome.h"

#include "channels/modChEdit.h"
#include "shell/modStartup.h"
#include "support/DeliveredHome.h"


#include <gtest/gtest.h>

#include <map>
#include <memory>

using namespace qm;

TEST(CsvParse, RecordsFieldsAndStartLines)
{
    const struct { const char* name; QByteArray in; std::vector<QStringList> fields; std::vector<int> lines; } cases[] = {
        {"CRLF", "a,b\r\nc,d\r\n", {{"a", "b"}, {"c", "d"}}, {1, 2}},
        {"LF without final break", "a,b\nc,d", {{"a", "b"}, {"c", "d"}}, {1, 2}},
        {"lone CR", "a\rb\r", {{"a"}, {"b"}}, {1, 2}},
        {"byte-order mark", "\xEF\xBB\xBFh1,h2\r\n1,2\r\n", {{"h1", "h2"}, {"1", "2"}}, {1, 2}},
        {"empty fields and lines", ",,\n\nb\n\n", {{"", "", ""}, {"b"}}, {1, 3}},
        {"quoted comma and quote", "\"x,y\",\"say \"\"hi\"\"\"\n", {{"x,y", "say \"hi\""}}, {1}},
        {"quoted line break keeps the count", "\"l1\r\nl2\",z\r\nnext,1\r\n", {{"l1\r\nl2", "z"}, {"next", "1"}}, {1, 3}},
        {"quote inside an unquoted field is text", "a\"b,c\n", {{"a\"b", "c"}}, {1}},
        {"blanks kept, UTF-8", " a ,\xE4\xBF\xA1\xE9\x81\x93\n", {{" a ", QStringLiteral("信道")}}, {1}},
        {"nothing", "\xEF\xBB\xBF", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<CsvRecord> records;
        QString error;
        ASSERT_TRUE(parseCsv(c.in, &records, &error)) << error.toStdString();
        ASSERT_EQ(records.size(), c.fields.size());
        for (size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(records[i].fields, c.fields[i]);
            EXPECT_EQ(records[i].line, c.lines[i]);
        }
    }
}

TEST(CsvParse, MalformedInputNamesTheLineAndWrittenFieldsReadBack)
{
    const QString notUtf8 = QStringLiteral("the file is not UTF-8 text; save it as CSV in UTF-8");
    const std::pair<QByteArray, QString> bad[] = {
        {"a,b\n\"open,c\nd\n", "line 2: a quoted field is never closed"},
        {"a\n\"x\"y,z\n", "line 2: unexpected text after the closing quote of a field"},
        {"a\r\nb\r\nc\xFF\r\n", "line 3: " + notUtf8},
        {"\xC0\xAF", "line 1: " + notUtf8},     // overlong form
        {"\xED\xA0\x80", "line 1: " + notUtf8}, // a surrogate
    };
    std::vector<CsvRecord> records;
    QString error;
    for (const auto& [in, message] : bad) {
        EXPECT_FALSE(parseCsv(in, &records, &error));
        EXPECT_EQ(error, message);
    }
    const QStringList values = {"plain", "a,b", "say \"x\"", "two\r\nlines", "CH-1  ", " CH-07", "", "+1"};
    QStringList written;
    for (const auto& v : values)
        written << csvField(v);
    EXPECT_EQ(written.mid(0, 3), (QStringList{"plain", "\"a,b\"", "\"say \"\"x\"\"\""}));
    EXPECT_EQ(written[4], QStringLiteral("\"CH-1  \""));
    ASSERT_TRUE(parseCsv(written.join(QLatin1Char(',')).toUtf8(), &records, &error));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].fields, values);
}

TEST(ChannelCsv, ExportHeaderAndStructuralRefusals)
{
    auto s = std::make_unique<AppState>(); // 100 empty channels, 11 columns with short captions
    s->settings.ChNum = 100;
    s->settings.ChColNum = 11;
    const QStringList caps = {"CH", "Rx", "Tx", "Dec", "Enc", "W/N", "Pwr", "Scan", "BCL", "Sp", "Cmp", "Name"};
    std::copy(caps.begin(), caps.end(), s->grid.text[0].begin());
    for (int ch = 1; ch <= 100; ++ch)
        s->doc.ChData[ch][1] = s->doc.ChData[ch][2] = -1;
    s->doc.ChData[100][1] = s->doc.ChData[100][2] = 44000000;
    s->grid.text[100][1] = s->grid.text[100][2] = QStringLiteral("440");
    s->grid.text[2][1] = QStringLiteral("462.5625");
    s->grid.text[2][11] = QStringLiteral("CH,1  ");
    const QStringList lines = ChannelsToCsv(*s).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.mid(0, 4), (QStringList{"CH,Rx,Tx,Dec,Enc,W/N,Pwr,Scan,BCL,Sp,Cmp,Name", "1,,,,,,,,,,,",
                                            "2,462.5625,,,,,,,,,,\"CH,1  \"", "3,,,,,,,,,,,"}));
    EXPECT_EQ(lines.mid(100), (QStringList{"100,440,440,,,,,,,,,", ""}));

    const QByteArray head = "CH,Rx,Tx,Dec,Enc,W/N,Pwr,Scan,BCL,Sp,Cmp,Name\n";
    const std::pair<QByteArray, const char*> cases[] = {
        {"", "the file is empty; its first line must be the header: CH, Rx, Tx, Dec, Enc, W/N, Pwr, Scan, BCL, Sp, Cmp, Name"},
        {"CH;Rx;Tx\n1;;\n", "line 1: the fields are separated by \";\"; save the file with commas as separators"},
        {"CH,Rx,Tx,Dec,Enc,W/N,Pwr,Scan,BCL,Sp,Cmp,Name,Power\n",
         "line 1: column \"Power\" is not a column of the channel table (the header must name: CH, Rx, Tx, Dec, Enc, W/N, "
         "Pwr, Scan, BCL, Sp, Cmp, Name)"},
        {"CH,Rx,Tx,Dec,Enc,W/N,Pwr,Scan,BCL,Sp,Cmp\n", "line 1: column \"Name\" is missing"},
        {"CH,Rx,Rx,Dec,Enc,W/N,Pwr,Scan,BCL,Sp,Cmp,Name\n", "line 1: column \"Rx\" appears twice"},
        {head + "1,,,,,,,,,,\n", "line 2: 11 fields, but the header has 12"},
        {head + "x,,,,,,,,,,,\n", "line 2, column \"CH\": \"x\" is not a channel number (1 to 100)"},
        {head + "101,,,,,,,,,,,\n", "line 2, column \"CH\": channel 101 does not exist (the table has channels 1 to 100)"},
        {head + "3,,,,,,,,,,,\n\n4,,,,,,,,,,,\n3,,,,,,,,,,,\n", "line 5, column \"CH\": channel 3 is listed twice (first on line 2)"},
        {head + "1,abc,,,,,,,,,,\n", "line 2, column \"Rx\": \"abc\" is not a frequency in MHz"},
        {head + "1,-462.5,,,,,,,,,,\n", "line 2, column \"Rx\": \"-462.5\" is not a frequency in MHz"},
        {head + "1,1e3,,,,,,,,,,\n", "line 2, column \"Rx\": \"1e3\" is not a frequency in MHz"},
        {head + "1,\"462,5\",,,,,,,,,,\n",
         "line 2, column \"Rx\": \"462,5\" is not a frequency in MHz (write it with a full stop as decimal point, for example "
         "462.5625)"},
        // The first bad value in file order is the one reported.
        {head + "1,50,,,,,,,,,,\n1,,,,,,,,,,,\n", "line 2, column \"Rx\": 50 MHz lies outside the entry limits 100 to 999 MHz"},
        {head + "VFO,,440,,,,,,,,,\n",
         "line 2, column \"Rx\": the VFO row always keeps its receive frequency; it cannot be left empty"},
        {head + "100,440,,,,,,,,,,\n",
         "line 2, column \"Tx\": the VFO row always keeps its transmit frequency; it cannot be left empty"},
    };
    QString error;
    for (const auto& [csv, message] : cases) {
        EXPECT_FALSE(CheckChannelCsv(*s, csv, &error)) << csv.toStdString();
        EXPECT_EQ(error, QString::fromUtf8(message));
    }
    // Blank rows, unchanged empty channels, columns in any order and letter case pass.
    EXPECT_TRUE(ImportChannelCsv(*s, "\xEF\xBB\xBF" + head + "1,,,,,,,,,,,\r\n,,,,,,,,,,,\r\n\r\n16,,,,,,,,,,,", &error));
    EXPECT_TRUE(CheckChannelCsv(*s, "name,cmp,SP,BCL,Scan,Pwr,W/N,Enc,Dec,Tx,Rx,ch\n,,,,,,,,,,,5\n", &error));

    s->grid.text[0][0].clear(); // header names are never empty and never repeat
    s->grid.text[0][2] = QStringLiteral("rx");
    s->grid.text[0][4].clear();
    EXPECT_EQ(ChannelCsvHeader(*s).mid(0, 5), (QStringList{"Channel", "Rx", "rx (2)", "Dec", "Column 4"}));
}

namespace {

// The delivered program folder after start-up, channels 1 to 8 emptied.
class ChannelCsvOnTemplate : public qmtest::DeliveredProgramTest {
protected:
    void SetUp() override
    {
        DeliveredProgramTest::SetUp();
        ASSERT_GE(s->settings.ChNum, 100);
        ASSERT_EQ(s->settings.ChColNum, 11);
        header = ChannelCsvHeader(*s);
        QByteArray rows;
        for (int n = 1; n <= 8; ++n)
            rows += row(n, {});
        ASSERT_EQ(import(rows), "ok");
    }

    static QByteArray line(QStringList fields)
    {
        for (auto& x : fields)
            x = csvField(x);
        return fields.join(QLatin1Char(',')).toUtf8() + "\n";
    }

    // A row for channel n with the given cells (column -> text), the rest empty.
    QByteArray row(int n, const std::map<int, QString>& cells) const
    {
        QStringList f{QString::number(n)};
        for (int c = 1; c <= 11; ++c)
            f << (cells.count(c) ? cells.at(c) : QString());
        return line(f);
    }

    // "ok", or the reason the file (header and rows) was refused.
    QString import(const QByteArray& rows)
    {
        QString error;
        return ImportChannelCsv(*s, line(header) + rows, &error) ? QStringLiteral("ok") : error;
    }

    QString at(int c, const QString& reason) const { return QStringLiteral("line 2, column \"%1\": %2").arg(header[c], reason); }

    QStringList header;
};

} // namespace

TEST_F(ChannelCsvOnTemplate, ExportImportExportIsIdentityHereAndInAnotherState)
{
    ASSERT_EQ(import(row(1, {{1, "462.5625"}, {2, "467.5625"}, {3, "67.0"}, {4, "D754I"}, {5, s->settings.ColInfo[5][4]}, {11, "ch-1"}}) +
                     row(3, {{1, "480"}, {2, "480"}, {11, " CH-03"}}) + row(8, {{1, "440"}, {3, "D023N"}})),
              "ok");
    const QString exported = ChannelsToCsv(*s);
    const auto data = s->doc.ChData;
    QString error;
    ASSERT_TRUE(ImportChannelCsv(*s, exported.toUtf8(), &error)) << error.toStdString();
    EXPECT_EQ(ChannelsToCsv(*s), exported);
    EXPECT_EQ(s->doc.ChData, data); // not even an edit mark

    auto other = qmtest::startedTool(home.path()); // a freshly started table becomes the same table
    ASSERT_TRUE(ImportChannelCsv(*other, exported.toUtf8(), &error)) << error.toStdString();
    EXPECT_EQ(ChannelsToCsv(*other), exported);
    for (int n : {1, 3}) {
        EXPECT_TRUE(std::equal(s->doc.ChData[n].begin() + 1, s->doc.ChData[n].begin() + 11, other->doc.ChData[n].begin() + 1)) << n;
        EXPECT_EQ(other->doc.ChNameCode[n], s->doc.ChNameCode[n]) << n;
    }
}

// As a spreadsheet saves it (BOM, CRLF, every field quoted, numbers
// reformatted, lower-case texts, the name column moved), the values go
// through the grid's rules: snapped, "67" for 67.0, the radio's alphabet,
// out of band kept and marked, the column defaults for a new channel.
TEST_F(ChannelCsvOnTemplate, SpreadsheetValuesGoThroughTheGridRules)
{
    QStringList cols = header;
    cols.move(11, 1); // the name right after the channel number
    auto quoted = [](const QStringList& f) { return ("\"" + f.join(QStringLiteral("\",\"")) + "\"\r\n").toUtf8(); };
    const QStringList tail(6, QString());
    const QByteArray csv = "\xEF\xBB\xBF" + quoted(cols) + quoted(QStringList{"1", "road-1", "462.56250", "467.5625", "67", "d023n"} + tail) +
                           quoted(QStringList{"2", "ch-1", "462.5626", "", "", ""} + tail) + quoted(QStringList{"3", "", "480", "100", "", ""} + tail) +
                           quoted(QStringList{"4", "ab", "440", "", "", ""} + tail) + quoted(QStringList{"5", "", "440", "440", "", "D023N"} + tail) +
                           quoted(QStringList{"6", "", "446.00625", "", "", ""} + tail) + "\r\n";
    QString error;
    ASSERT_TRUE(ImportChannelCsv(*s, csv, &error)) << error.toStdString();
    const auto& d = s->doc.ChData;
    EXPECT_EQ((std::array{d[1][1], d[1][2], d[1][3], d[1][4], d[2][1], d[3][1], d[3][2], d[4][5], d[6][1]}),
              (std::array{46256250, 46756250, 1, 51, 46256250, 48000000, 10000000, s->settings.ColInfo[5][2].toInt(), 44600625}));
    EXPECT_EQ((QStringList{s->grid.text[1][11], s->grid.text[2][1], s->grid.text[2][11], s->grid.text[4][11]}),
              (QStringList{"ROAD-1", "462.5625", "CH-1  ", "AB    "}));
    EXPECT_EQ(s->doc.ChNameCode[2][1], 12);
    EXPECT_EQ(s->grid.color[3][1], s->settings.OverColor);

    // Erasing the transmit frequency erases the encode signalling; erasing
    // the receive frequency empties the row.
    ASSERT_EQ(import(row(5, {{1, "440"}}) + row(6, {})), "ok");
    EXPECT_EQ(std::make_pair(d[5][4], s->grid.text[5][4]), std::make_pair(-1, QString()));
    EXPECT_EQ(QStringList(s->grid.text[6].begin() + 1, s->grid.text[6].begin() + 12), QStringList(11, QString()));
}

TEST_F(ChannelCsvOnTemplate, ValuesTheGridWouldReplaceAreRefusedAndNothingChanges)
{
    ASSERT_EQ(import(row(1, {{1, "462.5625"}, {11, "OLD"}})), "ok");
    const QString rx = QStringLiteral("462.5625"), noRx = QStringLiteral("channel 2 has no receive frequency, so this cell must be empty");
    const struct { QByteArray rows; int col; QString reason; bool whole = true; } cases[] = { // whole: the message, or its start
        {row(1, {{1, rx}, {5, "Maybe"}}), 5, "\"Maybe\" is not one of " + s->settings.ColInfo[5][3], false},
        {row(1, {{1, rx}, {3, "67.1"}}), 3, "\"67.1\" is not a CTCSS/DCS setting (", false},
        {row(1, {{1, rx}, {11, "AB*D"}}), 11, "\"AB*D\" holds \"*\", which the radio cannot show (it shows A to Z, 0 to 9, space and - / + _)"},
        {row(1, {{1, rx}, {11, "ABCDEFG"}}), 11, "\"ABCDEFG\" is longer than the six characters of a channel name"},
        {row(2, {{2, rx}}), 2, noRx},
        {row(2, {{5, s->settings.ColInfo[5][3]}}), 5, noRx},
        {row(1, {{1, rx}, {4, "67.0"}}), 4, "channel 1 has no transmit frequency, so the encode signalling must be empty"},
        {row(100, {{1, s->grid.text[100][1]}, {2, s->grid.text[100][2]}, {11, "VFO"}}), 11, "the VFO row has no name; leave this cell empty"},
    };
    for (const auto& c : cases) {
        const QString got = import(c.rows), want = at(c.col, c.reason);
        EXPECT_TRUE(c.whole ? got == want : got.startsWith(want)) << got.toStdString();
    }
    const auto data = s->doc.ChData; // refused on its last line: every earlier line undone
    const auto names = s->doc.ChNameCode;
    const auto texts = s->grid.text;
    EXPECT_TRUE(import(row(1, {{1, "446.1"}, {11, "NEW"}}) + row(7, {{1, "446.2"}}) + row(2, {{1, "12"}}))
                    .startsWith(QStringLiteral("line 4, column \"%1\": ").arg(header[1])));
    EXPECT_TRUE(s->doc.ChData == data && s->doc.ChNameCode == names && s->grid.text == texts);
}

// A header alone, and what is imported but cannot work in the radio.
TEST_F(ChannelCsvOnTemplate, HeaderWithoutRowsIsRefusedAndOutOfBandValuesAreWarnedRowByRow)
{
    const auto data = s->doc.ChData;
    const auto texts = s->grid.text;
    for (const QByteArray& tail : {QByteArray(), QByteArray("\n\n"), QByteArray(",,,,,,,,,,,\r\n")}) {
        QString error;
        QStringList warnings{QStringLiteral("stale")};
        EXPECT_FALSE(ImportChannelCsv(*s, "\xEF\xBB\xBF" + line(header) + tail, &error, &warnings));
        EXPECT_EQ(error, QStringLiteral("line 1: the file lists no channel; after the header each row names a channel"));
        EXPECT_FALSE(CheckChannelCsv(*s, line(header) + tail, &error));
    }
    EXPECT_EQ(s->doc.ChData, data);
    EXPECT_EQ(s->grid.text, texts);

    // One warning per frequency outside 400-470 MHz, with its line and column;
    // the band's own edges and empty cells give none. The import goes through.
    const QByteArray rows = row(1, {{1, "480"}, {2, "399.99375"}}) + row(2, {{1, "400"}, {2, "470"}}) + "\n" +
                            row(3, {{1, "446.1"}, {2, "999"}}) + row(4, {{1, "100"}});
    QString error;
    QStringList warnings;
    ASSERT_TRUE(ImportChannelCsv(*s, line(header) + rows, &error, &warnings)) << error.toStdString();
    const QString band = QStringLiteral("MHz lies outside the radio's band 400 to 470 MHz; imported as it is");
    EXPECT_EQ(warnings, (QStringList{
                            QStringLiteral("line 2, column \"%1\": 480 %2").arg(header[1], band),
                            QStringLiteral("line 2, column \"%1\": 399.99375 %2").arg(header[2], band),
                            QStringLiteral("line 5, column \"%1\": 999 %2").arg(header[2], band),
                            QStringLiteral("line 6, column \"%1\": 100 %2").arg(header[1], band),
                        }));
    EXPECT_EQ(s->doc.ChData[1][1], 48000000);
    EXPECT_EQ(s->doc.ChData[4][1], 10000000);
    // A refused file gives no warnings of the rows before the bad one.
    warnings.clear();
    EXPECT_FALSE(ImportChannelCsv(*s, line(header) + row(5, {{1, "480"}}) + row(6, {{1, "12"}}), &error, &warnings));
    EXPECT_TRUE(warnings.isEmpty());
}
