#include "channels/modChCsv.h"

#include "channels/modChEdit.h"
#include "shell/modStartup.h"
#include "support/DeliveredHome.h"

#include <gtest/gtest.h>

#include <memory>

using namespace qm;

namespace {

std::vector<CsvRecord> parsed(const QByteArray& bytes)
{
    std::vector<CsvRecord> records;
    QString error;
    EXPECT_TRUE(parseCsv(bytes, &records, &error)) << error.toStdString();
    return records;
}

QString parseError(const QByteArray& bytes)
{
    std::vector<CsvRecord> records;
    QString error;
    EXPECT_FALSE(parseCsv(bytes, &records, &error));
    return error;
}

} // namespace

// ------------------------------------------------------------- CSV parser

TEST(CsvParse, RecordsFieldsAndStartLines)
{
    struct Case {
        const char* name;
        QByteArray in;
        std::vector<QStringList> fields;
        std::vector<int> lines;
    };
    const std::vector<Case> cases = {
        {"CRLF", "a,b\r\nc,d\r\n", {{"a", "b"}, {"c", "d"}}, {1, 2}},
        {"LF without final break", "a,b\nc,d", {{"a", "b"}, {"c", "d"}}, {1, 2}},
        {"lone CR", "a\rb\r", {{"a"}, {"b"}}, {1, 2}},
        {"byte-order mark", "\xEF\xBB\xBFh1,h2\r\n1,2\r\n", {{"h1", "h2"}, {"1", "2"}}, {1, 2}},
        {"empty fields", ",,\n", {{"", "", ""}}, {1}},
        {"trailing and inner empty lines", "a\n\nb\n\n\n", {{"a"}, {"b"}}, {1, 3}},
        {"quoted comma and quote", "\"x,y\",\"say \"\"hi\"\"\"\n", {{"x,y", "say \"hi\""}}, {1}},
        {"quoted line breaks keep the count",
         "\"l1\r\nl2\",z\r\nnext,1\r\n",
         {{"l1\r\nl2", "z"}, {"next", "1"}},
         {1, 3}},
        {"quoted empty", "\"\",\"\"\n", {{"", ""}}, {1}},
        {"quote inside an unquoted field is text", "a\"b,c\n", {{"a\"b", "c"}}, {1}},
        {"blanks kept", " a , b \n", {{" a ", " b "}}, {1}},
        {"UTF-8 text", "名称,\xE4\xBF\xA1\xE9\x81\x93\n", {{QStringLiteral("名称"), QStringLiteral("信道")}}, {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto records = parsed(c.in);
        ASSERT_EQ(records.size(), c.fields.size());
        for (size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(records[i].fields, c.fields[i]);
            EXPECT_EQ(records[i].line, c.lines[i]);
        }
    }
}

TEST(CsvParse, MalformedInputNamesTheLine)
{
    EXPECT_EQ(parseError("a,b\n\"open,c\nd\n"), QStringLiteral("line 2: a quoted field is never closed"));
    EXPECT_EQ(parseError("a\n\"x\"y,z\n"), QStringLiteral("line 2: unexpected text after the closing quote of a field"));
    EXPECT_EQ(parseError("a\r\nb\r\nc\xFF\r\n"), QStringLiteral("line 3: the file is not UTF-8 text; save it as CSV in UTF-8"));
    // Overlong form and a UTF-16 surrogate encoded in UTF-8 are not UTF-8 either.
    EXPECT_FALSE(parseError("\xC0\xAF").isEmpty());
    EXPECT_FALSE(parseError("\xED\xA0\x80").isEmpty());
    EXPECT_TRUE(parsed("").empty());
    EXPECT_TRUE(parsed("\xEF\xBB\xBF").empty());
}

TEST(CsvParse, WrittenFieldsReadBack)
{
    const QStringList values = {"plain", "a,b", "say \"x\"", "two\r\nlines", "CH-1  ", " CH-07", "", "+1"};
    QStringList written;
    for (const auto& v : values)
        written << csvField(v);
    EXPECT_EQ(written[0], QStringLiteral("plain"));
    EXPECT_EQ(written[2], QStringLiteral("\"say \"\"x\"\"\""));
    EXPECT_EQ(written[4], QStringLiteral("\"CH-1  \""));
    const auto records = parsed(written.join(QLatin1Char(',')).toUtf8() + "\r\n");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].fields, values);
}

// ------------------------------------------ file structure (no grid needed)

namespace {

// A channel table of N channels and C columns, all empty, with captions.
std::unique_ptr<AppState> emptyTable(int n = 16, int cols = 11)
{
    auto s = std::make_unique<AppState>();
    s->ChNum = static_cast<int16_t>(n);
    s->ChColNum = static_cast<int16_t>(cols);
    const QStringList caps = {"CH", "Rx", "Tx", "Dec", "Enc", "W/N", "Pwr", "Scan", "BCL", "Sp", "Cmp", "Name"};
    for (int c = 0; c <= cols && c < caps.size(); ++c)
        s->grid.text[0][c] = caps[c];
    for (int ch = 1; ch <= n; ++ch)
        s->ChData[ch][1] = s->ChData[ch][2] = -1;
    return s;
}

const QByteArray kHeader = "CH,Rx,Tx,Dec,Enc,W/N,Pwr,Scan,BCL,Sp,Cmp,Name\n";

QString refusal(const AppState& s, const QByteArray& csv)
{
    QString error;
    EXPECT_FALSE(CheckChannelCsv(s, csv, &error));
    return error;
}

} // namespace

TEST(ChannelCsv, ExportWritesHeaderAndOneRowPerChannel)
{
    auto s = emptyTable(3);
    s->grid.text[2][1] = QStringLiteral("462.5625");
    s->grid.text[2][3] = QStringLiteral("67.0");
    s->grid.text[2][11] = QStringLiteral("CH,1  ");
    EXPECT_EQ(ChannelsToCsv(*s), QStringLiteral("CH,Rx,Tx,Dec,Enc,W/N,Pwr,Scan,BCL,Sp,Cmp,Name\r\n"
                                                "1,,,,,,,,,,,\r\n"
                                                "2,462.5625,,67.0,,,,,,,,\"CH,1  \"\r\n"
                                                "3,,,,,,,,,,,\r\n"));
}

TEST(ChannelCsv, HeaderNamesAreUniqueAndNeverEmpty)
{
    auto s = emptyTable(2, 4);
    s->grid.text[0][0] = QString();
    s->grid.text[0][2] = QStringLiteral("rx");
    s->grid.text[0][4] = QString();
    EXPECT_EQ(ChannelCsvHeader(*s), (QStringList{"Channel", "Rx", "rx (2)", "Dec", "Column 4"}));
}

TEST(ChannelCsv, StructuralRefusalsNameLineAndColumn)
{
    auto s = emptyTable();
    struct Case {
        QByteArray csv;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"", "the file is empty; its first line must be the header: CH, Rx, Tx, Dec, Enc, W/N, Pwr, Scan, BCL, Sp, Cmp, Name"},
        {"CH;Rx;Tx\n1;;\n", "line 1: the fields are separated by \";\"; save the file with commas as separators"},
        {"CH,Rx,Tx,Dec,Enc,W/N,Pwr,Scan,BCL,Sp,Cmp,Name,Power\n",
         "line 1: column \"Power\" is not a column of the channel table (the header must name: CH, Rx, Tx, Dec, Enc, W/N, "
         "Pwr, Scan, BCL, Sp, Cmp, Name)"},
        {"CH,Rx,Tx,Dec,Enc,W/N,Pwr,Scan,BCL,Sp,Cmp\n", "line 1: column \"Name\" is missing"},
        {"CH,Rx,Rx,Dec,Enc,W/N,Pwr,Scan,BCL,Sp,Cmp,Name\n", "line 1: column \"Rx\" appears twice"},
        {kHeader + "1,,,,,,,,,,\n", "line 2: 11 fields, but the header has 12"},
        {kHeader + "x,,,,,,,,,,,\n", "line 2, column \"CH\": \"x\" is not a channel number (1 to 16)"},
        {kHeader + "0,,,,,,,,,,,\n", "line 2, column \"CH\": \"0\" is not a channel number (1 to 16)"},
        {kHeader + "17,,,,,,,,,,,\n", "line 2, column \"CH\": channel 17 does not exist (the table has channels 1 to 16)"},
        {kHeader + "3,,,,,,,,,,,\n\n4,,,,,,,,,,,\n3,,,,,,,,,,,\n", "line 5, column \"CH\": channel 3 is listed twice (first on line 2)"},
        {kHeader + "1,abc,,,,,,,,,,\n", "line 2, column \"Rx\": \"abc\" is not a frequency in MHz"},
        {kHeader + "1,-462.5,,,,,,,,,,\n", "line 2, column \"Rx\": \"-462.5\" is not a frequency in MHz"},
        {kHeader + "1,\"462,5\",,,,,,,,,,\n",
         "line 2, column \"Rx\": \"462,5\" is not a frequency in MHz (write it with a full stop as decimal point, for example "
         "462.5625)"},
        {kHeader + "1,50,,,,,,,,,,\n", "line 2, column \"Rx\": 50 MHz lies outside the entry limits 100 to 999 MHz"},
        {kHeader + "1,999.5,,,,,,,,,,\n", "line 2, column \"Rx\": 999.5 MHz lies outside the entry limits 100 to 999 MHz"},
        {kHeader + "1,1e3,,,,,,,,,,\n", "line 2, column \"Rx\": \"1e3\" is not a frequency in MHz"},
        // The first bad value in file order is the one reported.
        {kHeader + "1,10,,,,,,,,,,\n1,,,,,,,,,,,\n", "line 2, column \"Rx\": 10 MHz lies outside the entry limits 100 to 999 MHz"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.csv.toStdString());
        EXPECT_EQ(refusal(*s, c.csv), QString::fromUtf8(c.message));
    }
}

TEST(ChannelCsv, BlankRowsAndUnchangedEmptyChannelsPass)
{
    auto s = emptyTable();
    QString error;
    // Every listed channel is empty already: nothing to apply, nothing refused.
    EXPECT_TRUE(ImportChannelCsv(*s, "\xEF\xBB\xBF" + kHeader + "1,,,,,,,,,,,\r\n,,,,,,,,,,,\r\n\r\n16,,,,,,,,,,,", &error))
        << error.toStdString();
    // Header columns may stand in any order and in any letter case.
    EXPECT_TRUE(CheckChannelCsv(*s, "name,cmp,SP,BCL,Scan,Pwr,W/N,Enc,Dec,Tx,Rx,ch\n,,,,,,,,,,,2\n", &error))
        << error.toStdString();
}

TEST(ChannelCsv, VfoRowKeepsItsFrequencies)
{
    auto s = emptyTable(100);
    s->ChData[100][1] = 44000000;
    s->ChData[100][2] = 44000000;
    s->grid.text[100][1] = s->grid.text[100][2] = QStringLiteral("440");
    EXPECT_EQ(refusal(*s, kHeader + "VFO,,440,,,,,,,,,\n"),
              QStringLiteral("line 2, column \"Rx\": the VFO row always keeps its receive frequency; it cannot be left empty"));
    EXPECT_EQ(refusal(*s, kHeader + "100,440,,,,,,,,,,\n"),
              QStringLiteral("line 2, column \"Tx\": the VFO row always keeps its transmit frequency; it cannot be left empty"));
}

// ----------------------------------- through the grid's rules (full start-up)

namespace {

class ChannelCsvOnTemplate : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(home.create(&error)) << error.toStdString();
        s = started();
        ASSERT_GE(s->ChNum, 8);
        ASSERT_GE(s->ChColNum, 11);
        header = ChannelCsvHeader(*s);
        // Start from a known table: channels 1 to 8 empty.
        QByteArray csv = line(header);
        for (int n = 1; n <= 8; ++n)
            csv += QByteArray::number(n) + QByteArray(s->ChColNum, ',') + "\n";
        ASSERT_TRUE(ImportChannelCsv(*s, csv, &error)) << error.toStdString();
    }

    std::unique_ptr<AppState> started()
    {
        auto st = std::make_unique<AppState>();
        QString error;
        EXPECT_TRUE(startupForTool(*st, home.path(), &error)) << error.toStdString();
        return st;
    }

    static QByteArray line(const QStringList& fields)
    {
        QStringList f;
        for (const auto& x : fields)
            f << csvField(x);
        return f.join(QLatin1Char(',')).toUtf8() + "\n";
    }

    // A row for channel n with the given cells (column -> text), the rest empty.
    QByteArray row(int n, const std::map<int, QString>& cells) const
    {
        QStringList f{QString::number(n)};
        for (int c = 1; c <= s->ChColNum; ++c)
            f << (cells.count(c) ? cells.at(c) : QString());
        return line(f);
    }

    QByteArray file(const QByteArray& rows) const { return line(header) + rows; }

    // The value texts of option column c (value v is ColInfo entry v + 3).
    QStringList choices(int c) const
    {
        QStringList items;
        for (int k = 3; k < kColInfoEntries && !s->ColInfo[c][k].isEmpty(); ++k)
            items << s->ColInfo[c][k];
        return items;
    }

    QString refused(const QByteArray& rows)
    {
        QString error;
        EXPECT_FALSE(ImportChannelCsv(*s, file(rows), &error));
        return error;
    }

    void imports(const QByteArray& rows)
    {
        QString error;
        EXPECT_TRUE(ImportChannelCsv(*s, file(rows), &error)) << error.toStdString();
    }

    QString cap(int c) const { return QLatin1Char('"') + header[c] + QLatin1Char('"'); }

    qmtest::DeliveredHome home;
    std::unique_ptr<AppState> s;
    QStringList header;
};

} // namespace

TEST_F(ChannelCsvOnTemplate, ExportImportExportIsIdentityHereAndInAnotherState)
{
    const QStringList opt5 = choices(5);
    ASSERT_GE(opt5.size(), 2);
    imports(row(1, {{1, "462.5625"}, {2, "467.5625"}, {3, "67.0"}, {4, "D754I"}, {5, opt5[1]}, {11, "ch-1"}}) +
            row(3, {{1, "480"}, {2, "480"}, {11, " CH-03"}}) + row(8, {{1, "440"}, {3, "D023N"}}));
    const QString exported = ChannelsToCsv(*s);
    const auto data = s->ChData;
    QString error;
    ASSERT_TRUE(ImportChannelCsv(*s, exported.toUtf8(), &error)) << error.toStdString();
    EXPECT_EQ(ChannelsToCsv(*s), exported);
    EXPECT_EQ(s->ChData, data); // not even an edit mark

    // A freshly started table becomes the same table.
    auto other = started();
    ASSERT_TRUE(ImportChannelCsv(*other, exported.toUtf8(), &error)) << error.toStdString();
    EXPECT_EQ(ChannelsToCsv(*other), exported);
    for (int n = 1; n <= s->ChNum; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(other->ChData[n][1], s->ChData[n][1]);
        if (s->ChData[n][1] == -1)
            continue; // an empty channel shows nothing else
        for (int f : {2, 3, 5, 6, 7, 8, 9, 10})
            EXPECT_EQ(other->ChData[n][f], s->ChData[n][f]) << "field " << f;
        EXPECT_EQ(other->ChNameCode[n], s->ChNameCode[n]);
    }
}

TEST_F(ChannelCsvOnTemplate, ValuesGoThroughTheGridRules)
{
    imports(row(2, {{1, "462.5626"}, {3, "67"}, {11, "ch-1"}}) + row(3, {{1, "480"}, {2, "100"}}) +
            row(4, {{1, "440"}, {11, "ab"}}) + row(5, {{1, "440"}, {2, "440"}, {4, "D023N"}}) + row(6, {{1, "440"}}));
    EXPECT_EQ(s->ChData[2][1], 46256250); // snapped to the 6.25 kHz step
    EXPECT_EQ(s->grid.text[2][1], QStringLiteral("462.5625"));
    EXPECT_EQ(s->ChData[2][2], -1);
    EXPECT_EQ(s->ChData[2][3], 1); // "67" is the tone 67.0
    EXPECT_EQ(s->grid.text[2][11], QStringLiteral("CH-1  "));
    EXPECT_EQ(s->ChNameCode[2], (std::array<uint8_t, 7>{s->ChNameCode[2][0], 12, 17, 36, 1, 38, 38}));
    EXPECT_EQ(s->ChData[3][1], 48000000); // outside the band, inside the entry limits: kept
    EXPECT_EQ(s->ChData[3][2], 10000000);
    EXPECT_EQ(s->grid.color[3][1], s->settings.OverColor);
    // A new channel takes the column defaults where the row gives no value.
    EXPECT_EQ(s->ChData[4][3], s->ColInfo[3][2].toInt());
    EXPECT_EQ(s->ChData[4][5], s->ColInfo[5][2].toInt());
    EXPECT_EQ(s->grid.text[4][11], QStringLiteral("AB    "));

    // Erasing the transmit frequency erases the encode signalling; erasing
    // the receive frequency empties the row.
    imports(row(5, {{1, "440"}}) + row(6, {}));
    EXPECT_EQ(s->ChData[5][2], -1);
    EXPECT_EQ(s->ChData[5][4], -1);
    EXPECT_EQ(s->grid.text[5][4], QString());
    EXPECT_EQ(s->ChData[6][1], -1);
    for (int c = 1; c <= s->ChColNum; ++c)
        EXPECT_EQ(s->grid.text[6][c], QString()) << "column " << c;
}

TEST_F(ChannelCsvOnTemplate, ValuesTheGridWouldReplaceAreRefused)
{
    const QStringList opt5 = choices(5);
    imports(row(1, {{1, "462.5625"}}));
    EXPECT_TRUE(refused(row(1, {{1, "462.5625"}, {5, "Maybe"}}))
                    .startsWith(QStringLiteral("line 2, column %1: \"Maybe\" is not one of %2").arg(cap(5), opt5[0])));
    EXPECT_TRUE(refused(row(1, {{1, "462.5625"}, {3, "67.1"}}))
                    .startsWith(QStringLiteral("line 2, column %1: \"67.1\" is not a CTCSS/DCS setting (").arg(cap(3))));
    EXPECT_EQ(refused(row(1, {{1, "462.5625"}, {11, "AB*D"}})),
              QStringLiteral("line 2, column %1: \"AB*D\" holds \"*\", which the radio cannot show (it shows A to Z, 0 to 9, "
                             "space and - / + _)")
                  .arg(cap(11)));
    EXPECT_EQ(refused(row(1, {{1, "462.5625"}, {11, "ABCDEFG"}})),
              QStringLiteral("line 2, column %1: \"ABCDEFG\" is longer than the six characters of a channel name").arg(cap(11)));
    EXPECT_EQ(refused(row(2, {{2, "462.5625"}})),
              QStringLiteral("line 2, column %1: channel 2 has no receive frequency, so this cell must be empty").arg(cap(2)));
    EXPECT_EQ(refused(row(2, {{5, opt5[0]}})),
              QStringLiteral("line 2, column %1: channel 2 has no receive frequency, so this cell must be empty").arg(cap(5)));
    EXPECT_EQ(refused(row(1, {{1, "462.5625"}, {4, "67.0"}})),
              QStringLiteral("line 2, column %1: channel 1 has no transmit frequency, so the encode signalling must be empty")
                  .arg(cap(4)));
    if (s->ChNum >= 100) {
        EXPECT_EQ(refused(row(100, {{1, s->grid.text[100][1]}, {2, s->grid.text[100][2]}, {11, "VFO"}})),
                  QStringLiteral("line 2, column %1: the VFO row has no name; leave this cell empty").arg(cap(11)));
    }
}

TEST_F(ChannelCsvOnTemplate, RefusedFileChangesNothing)
{
    imports(row(1, {{1, "462.5625"}, {11, "OLD"}}));
    const auto data = s->ChData;
    const auto names = s->ChNameCode;
    const auto texts = s->grid.text;
    const QString error = refused(row(1, {{1, "446.1"}, {11, "NEW"}}) + row(7, {{1, "446.2"}}) + row(2, {{1, "12"}}));
    EXPECT_TRUE(error.startsWith(QStringLiteral("line 4, column %1: ").arg(cap(1)))) << error.toStdString();
    EXPECT_EQ(s->ChData, data);
    EXPECT_EQ(s->ChNameCode, names);
    EXPECT_EQ(s->grid.text, texts);
}

TEST_F(ChannelCsvOnTemplate, SpreadsheetFileImports)
{
    // As a spreadsheet saves it: BOM, CRLF, every field quoted, numbers
    // reformatted ("67" for 67.0, 462.56250), lower-case texts, columns moved.
    QStringList cols = header;
    cols.move(11, 1); // name right after the channel number
    auto quotedLine = [](const QStringList& f) {
        QStringList q;
        for (const auto& x : f)
            q << QLatin1Char('"') + QString(x).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
        return q.join(QLatin1Char(',')).toUtf8() + "\r\n";
    };
    QStringList r1{"1", "road-1", "462.56250", "467.5625", "67", "d023n"};
    QStringList r2{"2", "", "446.00625", "", "", ""};
    while (r1.size() < cols.size())
        r1 << QString(), r2 << QString();
    const QByteArray csv = "\xEF\xBB\xBF" + quotedLine(cols) + quotedLine(r1) + quotedLine(r2) + "\r\n";
    QString error;
    ASSERT_TRUE(ImportChannelCsv(*s, csv, &error)) << error.toStdString();
    EXPECT_EQ(s->ChData[1][1], 46256250);
    EXPECT_EQ(s->ChData[1][2], 46756250);
    EXPECT_EQ(s->ChData[1][3], 1);
    EXPECT_EQ(s->ChData[1][4], 51);
    EXPECT_EQ(s->grid.text[1][11], QStringLiteral("ROAD-1"));
    EXPECT_EQ(s->ChData[2][1], 44600625);
}
