// The command-line tool end to end: the real qm570-cli in a private copy of
// the delivered program folder.
#include "support/DeliveredHome.h"
#include "support/SimProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace qmtest;

namespace {

RunResult runTool(const QStringList& args) { return runProgram(binPath("qm570-cli"), args, 60000); }

void expectOneLine(const RunResult& r)
{
    EXPECT_TRUE(r.err.startsWith("qm570-cli") && r.err.endsWith('\n') && r.err.count('\n') == 1) << r.err.toStdString();
}

class Qm570Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(home.create(&error)) << error.toStdString();
        settingsBefore = readFile(file("Uninstall.exe"));
    }
    // Whatever a command did, the settings file is only ever read.
    void TearDown() override { EXPECT_EQ(readFile(file("Uninstall.exe")), settingsBefore); }
    RunResult run(QStringList args) const { return runTool(args << "--home" << home.path()); }
    // Runs a command that must succeed quietly.
    QByteArray ok(const QStringList& args) const
    {
        const RunResult r = run(args);
        EXPECT_TRUE(r.exitCode == 0 && r.err.isEmpty()) << args.join(' ').toStdString() << ": " << r.err.toStdString();
        return r.out;
    }
    QString file(const char* name) const { return home.file(QLatin1String(name)); }

    DeliveredHome home;
    QByteArray settingsBefore;
    const QString templ = file("Kelvex.exe");
};

} // namespace

TEST(Qm570CliHelp, EveryCommandHasHelp)
{
    const RunResult all = runTool({"--help"});
    EXPECT_EQ(all.exitCode, 0);
    for (const char* c : {"decode", "resave", "new", "export-csv", "import-csv", "read", "write"}) {
        SCOPED_TRACE(c);
        EXPECT_TRUE(all.out.contains(QByteArray("  ") + c + ' '));
        for (const char* h : {"--help", "-h"}) {
            const RunResult r = runTool({QLatin1String(c), QLatin1String(h)});
            EXPECT_EQ(r.exitCode, 0);
            EXPECT_TRUE(r.out.startsWith(QByteArray("usage: qm570-cli ") + c) && r.out.contains("--home DIR"));
            EXPECT_TRUE(r.err.isEmpty());
        }
    }
}

TEST_F(Qm570Cli, BadArgumentsAndUnreadableFilesGiveOneLineAndFailure)
{
    const QString out = file("out.dat"), nodev = file("nodev"), missing = file("missing.dat");
    const struct {
        QStringList args;
        int status;
        QByteArray says = {};
    } cases[] = {
        {{"frobnicate"}, 2}, {{"decode"}, 2}, {{"decode", templ, templ}, 2}, {{"decode", templ, "--bogus"}, 2},
        {{"resave", templ}, 2}, {{"new", "-o"}, 2}, {{"new", "-o", out, "-o", out}, 2},
        {{"export-csv", templ, "--output="}, 2}, {{"read"}, 2}, {{"write"}, 2},
        {{"read", "-o", out, "--port", "17"}, 2}, {{"read", "-o", out, "--start", "G0"}, 2},
        {{"read", "-o", out, "--device", nodev, "--start", "0000", "--end", "7FFF"}, 2, "past the memory image"},
        {{"write", missing, "--device", nodev}, 1, "open data file " + missing.toUtf8() + ": no such file"},
        {{"read", "-o", out, "--device", nodev}, 1, "open port " + nodev.toUtf8() + ": "}, // the device and the system's reason
        {{"decode", missing}, 1}, {{"decode", home.path()}, 1, "it is a folder"},
        {{"resave", missing, "-o", out}, 1}, {{"import-csv", templ, file("missing.csv"), "-o", out}, 1},
        {{"resave", templ, "-o", file("no/such/folder/out.dat")}, 1, "save data file " + file("no/such/folder/out.dat").toUtf8() + ": "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const RunResult r = run(c.args);
        EXPECT_EQ(r.exitCode, c.status) << r.err.toStdString();
        expectOneLine(r);
        EXPECT_TRUE(r.err.contains(c.says) && r.out.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(out));
    const RunResult noHome = runTool({"decode", templ, "--home", file("nowhere")});
    EXPECT_EQ(noHome.exitCode, 1);
    expectOneLine(noHome);
}

TEST_F(Qm570Cli, DecodePrintsChannelsOptionsAndRadioFacts)
{
    const QByteArray json = ok({"decode", templ});
    QJsonParseError err;
    const QJsonObject root = QJsonDocument::fromJson(json, &err).object();
    ASSERT_EQ(err.error, QJsonParseError::NoError) << err.errorString().toStdString();
    EXPECT_EQ(root.keys(), (QStringList{"OptSel", "channels", "radio"}));
    EXPECT_TRUE(json.indexOf("\"channels\"") < json.indexOf("\"OptSel\"") && json.indexOf("\"OptSel\"") < json.indexOf("\"radio\""));
    const QJsonArray channels = root.value("channels").toArray();
    ASSERT_EQ(channels.size(), 100); // the delivered settings: 100 channels of 11 grid columns
    for (int i = 0; i < channels.size(); ++i) {
        const QJsonObject ch = channels[i].toObject();
        const QJsonArray cells = ch.value("cells").toArray();
        EXPECT_EQ(ch.value("n").toInt(), i + 1);
        EXPECT_TRUE(ch.value("opt").toArray().size() == 6 && ch.value("name_codes").toArray().size() == 6) << i;
        EXPECT_EQ(cells.size(), 11);
        // An empty channel shows an empty row.
        EXPECT_TRUE(ch.value("rx").toInt() != -1 || cells[0].toString().isEmpty()) << i;
    }
    EXPECT_EQ(root.value("OptSel").toArray().size(), 100);
    const QJsonObject radio = root.value("radio").toObject();
    EXPECT_EQ(radio.value("band").toString(), QStringLiteral("400.00000 -- 470.00000MHz"));
    EXPECT_EQ(radio.value("version").toString(), QStringLiteral("V1.0 -- 2011.03.21"));
    EXPECT_FALSE(radio.value("last_write").toString().isEmpty());
}

TEST_F(Qm570Cli, ResaveOfTheTemplateEqualsNew)
{
    ok({"resave", templ, "-o", file("resaved.dat")});
    ok({"new", "-o", file("new.dat")});
    const QByteArray resaved = readFile(file("resaved.dat"));
    EXPECT_EQ(resaved.size(), 8192);
    EXPECT_EQ(resaved, readFile(file("new.dat")));
    // Resaving a resaved file changes nothing more.
    ok({"resave", file("resaved.dat"), "--output=" + file("again.dat")});
    EXPECT_EQ(readFile(file("again.dat")), resaved);
}

TEST_F(Qm570Cli, CsvExportImportThroughTheTool)
{
    const QByteArray csv = ok({"export-csv", templ});
    ASSERT_TRUE(csv.endsWith("\r\n"));
    ok({"export-csv", templ, "-o", file("t.csv")});
    EXPECT_EQ(readFile(file("t.csv")), "\xEF\xBB\xBF" + csv);
    // Importing the unchanged export changes nothing.
    ok({"resave", templ, "-o", file("resaved.dat")});
    ok({"import-csv", templ, file("t.csv"), "-o", file("same.dat")});
    EXPECT_EQ(readFile(file("same.dat")), readFile(file("resaved.dat")));

    // A changed receive frequency of channel 1 (second field of line 2) lands in the image.
    QByteArray edited = csv;
    const qsizetype from = edited.indexOf(',', edited.indexOf("\r\n")) + 1;
    edited.replace(from, edited.indexOf(',', from) - from, "446.1");
    ASSERT_TRUE(writeFile(file("edited.csv"), edited));
    ok({"import-csv", templ, file("edited.csv"), "-o", file("edited.dat")});
    EXPECT_EQ(ok({"export-csv", file("edited.dat")}), edited);
    const QJsonDocument doc = QJsonDocument::fromJson(ok({"decode", file("edited.dat")}));
    EXPECT_EQ(doc.object().value("channels").toArray().at(0).toObject().value("rx").toInt(), 44610000);
}

TEST_F(Qm570Cli, RefusedImportWritesNothing)
{
    const QByteArray csv = ok({"export-csv", templ});
    const QList<QByteArray> header = csv.left(csv.indexOf("\r\n")).split(',');
    const QByteArray commas(header.size() - 2, ',');
    const struct {
        QByteArray csv, message;
    } cases[] = {
        {"x," + csv, "line 1: column \"x\" is not a column of the channel table"},
        {csv + "1,446.1" + commas + "\r\n", "line " + QByteArray::number(csv.count("\r\n") + 1) + ", column \"" +
                                                header[0] + "\": channel 1 is listed twice (first on line 2)"},
        {csv.left(csv.indexOf("\r\n") + 2) + "2,50" + commas + "\r\n",
         "line 2, column \"" + header[1] + "\": 50 MHz lies outside the entry limits 100 to 999 MHz"},
    };
    ASSERT_TRUE(writeFile(file("out.dat"), "keep"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        ASSERT_TRUE(writeFile(file("bad.csv"), c.csv));
        const RunResult r = run({"import-csv", templ, file("bad.csv"), "-o", file("out.dat")});
        EXPECT_EQ(r.exitCode, 1);
        expectOneLine(r);
        EXPECT_TRUE(r.err.contains(c.message) && r.err.contains("nothing written")) << r.err.toStdString();
        EXPECT_EQ(readFile(file("out.dat")), "keep");
    }
}
