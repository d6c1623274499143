// The command-line tool end to end: the real qm570-cli in a private copy of
// the delivered program folder.
#include "channels/modChCsv.h"
#include "shell/modStartup.h"
#include "support/DeliveredHome.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <memory>

using namespace qm;

namespace {

struct CliRun {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

CliRun runTool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(QM570_BIN_DIR "/qm570-cli"), args);
    CliRun r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        ADD_FAILURE() << "qm570-cli did not finish: " << args.join(' ').toStdString();
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

class Qm570Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(home.create(&error)) << error.toStdString();
        settingsBefore = readAll(home.file(QStringLiteral("Uninstall.exe")));
        templ = home.file(QStringLiteral("Kelvex.exe"));
    }

    void TearDown() override
    {
        // Whatever a command did, the settings file is only ever read.
        EXPECT_EQ(readAll(home.file(QStringLiteral("Uninstall.exe"))), settingsBefore);
    }

    CliRun run(QStringList args, bool withHome = true) const
    {
        if (withHome)
            args << QStringLiteral("--home") << home.path();
        return runTool(args);
    }

    // Runs a command that must succeed quietly.
    QByteArray ok(const QStringList& args) const
    {
        const CliRun r = run(args);
        EXPECT_EQ(r.status, 0) << args.join(' ').toStdString() << ": " << r.err.toStdString();
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
        return r.out;
    }

    std::unique_ptr<AppState> started() const
    {
        auto s = std::make_unique<AppState>();
        QString error;
        EXPECT_TRUE(startupForTool(*s, home.path(), &error)) << error.toStdString();
        return s;
    }

    QString file(const char* name) const { return home.file(QLatin1String(name)); }

    qmtest::DeliveredHome home;
    QByteArray settingsBefore;
    QString templ;
};

void expectOneLine(const CliRun& r)
{
    EXPECT_TRUE(r.err.endsWith('\n')) << r.err.toStdString();
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith("qm570-cli")) << r.err.toStdString();
}

const QStringList kCommands = {"decode", "resave", "new", "export-csv", "import-csv"};

} // namespace

TEST(Qm570CliHelp, EveryCommandHasHelp)
{
    const CliRun all = runTool({QStringLiteral("--help")});
    EXPECT_EQ(all.status, 0);
    for (const QString& c : kCommands) {
        SCOPED_TRACE(c.toStdString());
        EXPECT_TRUE(all.out.contains("  " + c.toUtf8() + " "));
        for (const char* h : {"--help", "-h"}) {
            const CliRun r = runTool({c, QLatin1String(h)});
            EXPECT_EQ(r.status, 0);
            EXPECT_TRUE(r.out.startsWith("usage: qm570-cli " + c.toUtf8()));
            EXPECT_TRUE(r.out.contains("--home DIR"));
            EXPECT_TRUE(r.err.isEmpty());
        }
    }
}

TEST_F(Qm570Cli, BadArgumentsAndUnreadableFilesGiveOneLineAndFailure)
{
    const QString out = file("out.dat");
    struct Case {
        QStringList args;
        int status;
    };
    const std::vector<Case> cases = {
        {{"frobnicate"}, 2},
        {{"decode"}, 2},
        {{"decode", templ, templ}, 2},
        {{"decode", templ, "--bogus"}, 2},
        {{"resave", templ}, 2},
        {{"new"}, 2},
        {{"new", "-o"}, 2},
        {{"new", "-o", out, "-o", out}, 2},
        {{"import-csv", templ, "-o", out}, 2},
        {{"export-csv", templ, "--output="}, 2},
        {{"decode", file("missing.dat")}, 1},
        {{"decode", home.path()}, 1},
        {{"resave", file("missing.dat"), "-o", out}, 1},
        {{"import-csv", templ, file("missing.csv"), "-o", out}, 1},
        {{"resave", templ, "-o", file("no/such/folder/out.dat")}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, c.status) << r.err.toStdString();
        expectOneLine(r);
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(out));

    const CliRun noHome = run({QStringLiteral("decode"), templ, QStringLiteral("--home"), file("nowhere")}, false);
    EXPECT_EQ(noHome.status, 1);
    expectOneLine(noHome);
}

TEST_F(Qm570Cli, DecodePrintsChannelsOptionsAndRadioFacts)
{
    const auto s = started();
    const QByteArray json = ok({QStringLiteral("decode"), templ});
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &err);
    ASSERT_EQ(err.error, QJsonParseError::NoError) << err.errorString().toStdString();
    const QJsonObject root = doc.object();
    EXPECT_EQ(root.keys(), (QStringList{"OptSel", "channels", "radio"}));
    const QJsonArray channels = root.value(QStringLiteral("channels")).toArray();
    ASSERT_EQ(channels.size(), s->ChNum);
    for (int i = 0; i < channels.size(); ++i) {
        const QJsonObject ch = channels[i].toObject();
        EXPECT_EQ(ch.value(QStringLiteral("n")).toInt(), i + 1);
        EXPECT_EQ(ch.value(QStringLiteral("opt")).toArray().size(), 6);
        EXPECT_EQ(ch.value(QStringLiteral("name_codes")).toArray().size(), 6);
        EXPECT_EQ(ch.value(QStringLiteral("cells")).toArray().size(), s->ChColNum);
        // An empty channel shows an empty row.
        if (ch.value(QStringLiteral("rx")).toInt() == -1) {
            EXPECT_EQ(ch.value(QStringLiteral("cells")).toArray()[0].toString(), QString());
        }
    }
    EXPECT_EQ(root.value(QStringLiteral("OptSel")).toArray().size(), 100);
    const QJsonObject radio = root.value(QStringLiteral("radio")).toObject();
    EXPECT_TRUE(radio.value(QStringLiteral("band")).toString().endsWith(QStringLiteral("MHz")));
    EXPECT_TRUE(radio.value(QStringLiteral("version")).toString().startsWith(QLatin1Char('V')));
    EXPECT_FALSE(radio.value(QStringLiteral("last_write")).toString().isEmpty());
    EXPECT_TRUE(json.indexOf("\"channels\"") < json.indexOf("\"OptSel\"") && json.indexOf("\"OptSel\"") < json.indexOf("\"radio\""));
}

TEST_F(Qm570Cli, ResaveOfTheTemplateEqualsNew)
{
    ok({QStringLiteral("resave"), templ, QStringLiteral("-o"), file("resaved.dat")});
    ok({QStringLiteral("new"), QStringLiteral("-o"), file("new.dat")});
    const QByteArray resaved = readAll(file("resaved.dat"));
    EXPECT_EQ(resaved.size(), started()->settings.DatNum + 1);
    EXPECT_EQ(resaved, readAll(file("new.dat")));
    // Resaving a resaved file changes nothing more.
    ok({QStringLiteral("resave"), file("resaved.dat"), QStringLiteral("--output=") + file("again.dat")});
    EXPECT_EQ(readAll(file("again.dat")), resaved);
}

TEST_F(Qm570Cli, CsvExportImportThroughTheTool)
{
    const QByteArray csv = ok({QStringLiteral("export-csv"), templ});
    ASSERT_FALSE(csv.isEmpty());
    EXPECT_TRUE(csv.endsWith("\r\n"));
    ok({QStringLiteral("export-csv"), templ, QStringLiteral("-o"), file("t.csv")});
    EXPECT_EQ(readAll(file("t.csv")), "\xEF\xBB\xBF" + csv);

    // Importing the unchanged export changes nothing.
    ok({QStringLiteral("resave"), templ, QStringLiteral("-o"), file("resaved.dat")});
    ok({QStringLiteral("import-csv"), templ, file("t.csv"), QStringLiteral("-o"), file("same.dat")});
    EXPECT_EQ(readAll(file("same.dat")), readAll(file("resaved.dat")));

    // A changed receive frequency of channel 1 lands in the image.
    std::vector<CsvRecord> records;
    QString error;
    ASSERT_TRUE(parseCsv(csv, &records, &error));
    ASSERT_GE(records.size(), 2u);
    records[1].fields[1] = QStringLiteral("446.1");
    QByteArray edited;
    for (const auto& r : records) {
        QStringList f;
        for (const auto& x : r.fields)
            f << csvField(x);
        edited += f.join(QLatin1Char(',')).toUtf8() + "\n";
    }
    writeAll(file("edited.csv"), edited);
    ok({QStringLiteral("import-csv"), templ, file("edited.csv"), QStringLiteral("-o"), file("edited.dat")});
    const QByteArray again = ok({QStringLiteral("export-csv"), file("edited.dat")});
    ASSERT_TRUE(parseCsv(again, &records, &error));
    ASSERT_GE(records.size(), 2u);
    EXPECT_EQ(records[1].fields[1], QStringLiteral("446.1"));
    const QJsonDocument doc = QJsonDocument::fromJson(ok({QStringLiteral("decode"), file("edited.dat")}));
    const QJsonArray channels = doc.object().value(QStringLiteral("channels")).toArray();
    ASSERT_FALSE(channels.isEmpty());
    EXPECT_EQ(channels.first().toObject().value(QStringLiteral("rx")).toInt(), 44610000);
}

TEST_F(Qm570Cli, RefusedImportWritesNothing)
{
    const QByteArray csv = ok({QStringLiteral("export-csv"), templ});
    std::vector<CsvRecord> records;
    QString error;
    ASSERT_TRUE(parseCsv(csv, &records, &error));
    const QStringList header = records[0].fields;
    const int lastLine = static_cast<int>(records.size()) + 1; // the line appended below
    const QByteArray commas(header.size() - 2, ',');
    struct Case {
        QByteArray csv;
        QString message;
    };
    const std::vector<Case> cases = {
        {"x," + csv, QStringLiteral("line 1: column \"x\" is not a column of the channel table")},
        {csv + "1,446.1" + commas + "\r\n",
         QStringLiteral("line %1, column \"%2\": channel 1 is listed twice (first on line 2)").arg(lastLine).arg(header[0])},
        {csv.left(csv.indexOf("\r\n") + 2) + "2,50" + commas + "\r\n",
         QStringLiteral("line 2, column \"%1\": 50 MHz lies outside the entry limits 100 to 999 MHz").arg(header[1])},
    };
    writeAll(file("out.dat"), "keep");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        writeAll(file("bad.csv"), c.csv);
        const CliRun r = run({QStringLiteral("import-csv"), templ, file("bad.csv"), QStringLiteral("-o"), file("out.dat")});
        EXPECT_EQ(r.status, 1);
        expectOneLine(r);
        EXPECT_TRUE(r.err.contains(c.message.toUtf8())) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("nothing written")) << r.err.toStdString();
        EXPECT_EQ(readAll(file("out.dat")), "keep");
    }
}
