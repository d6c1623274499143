// The command-line tool end to end: the real qm570-cli in a private copy of
// the delivered program folder.
#include "support/DeliveredHome.h"
#include "support/RawProcess.h"
#include "support/SimProcess.h"
#include "support/SmallDisk.h"
#include "support/TestHome.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QDir>
#include <QTemporaryDir>

#include <map>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace qmtest;

namespace {

// Every file of a folder with its bytes, hidden ones included.
std::map<QString, QByteArray> snapshot(const QString& folder)
{
    std::map<QString, QByteArray> files;
    for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot))
        files[f.fileName()] = readFile(f.absoluteFilePath());
    return files;
}

QByteArray bytesOf(const QString& s) { return QFile::encodeName(s); }

RunResult runTool(const QStringList& args) { return runProgram(binPath("qm570-cli"), args, 60000); }

// A failed run: that exit status, nothing on stdout, and one line on stderr
// that holds says.
void expectFailure(const RunResult& r, int status, const QByteArray& says = {})
{
    EXPECT_EQ(r.exitCode, status) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith("qm570-cli") && r.err.endsWith('\n') && r.err.count('\n') == 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(says) && r.out.isEmpty()) << r.err.toStdString();
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
    // Writes a file into the program folder and gives its path.
    QString put(const char* name, const QByteArray& bytes) const
    {
        EXPECT_TRUE(writeFile(file(name), bytes)) << name;
        return file(name);
    }

    DeliveredHome home;
    QByteArray settingsBefore;
    const QString templ = file("Kelvex.exe");
};

} // namespace

TEST(Qm570CliHelp, EveryCommandHasHelp)
{
    const RunResult all = runTool({"--help"});
    EXPECT_EQ(all.exitCode, 0);
    for (const char* c : {"decode", "resave", "new", "export-csv", "import-csv", "export-chirp", "import-chirp", "read", "write", "diff"}) {
        SCOPED_TRACE(c);
        EXPECT_TRUE(all.out.contains(QByteArray("  ") + c + ' '));
        for (const char* h : {"--help", "-h"}) {
            const RunResult r = runTool({QLatin1String(c), QLatin1String(h)});
            EXPECT_TRUE(r.exitCode == 0 && r.err.isEmpty());
            EXPECT_TRUE(r.out.startsWith(QByteArray("usage: qm570-cli ") + c) && r.out.contains("--home DIR"));
        }
    }
}

TEST_F(Qm570Cli, BadArgumentsAndUnreadableFilesGiveOneLineAndFailure)
{
    const QString out = file("out.dat"), nodev = file("nodev"), missing = file("missing.dat");
    const struct { QStringList args; int status; QByteArray says = {}; } cases[] = {
        {{"frobnicate"}, 2}, {{"decode"}, 2}, {{"decode", templ, templ}, 2}, {{"decode", templ, "--bogus"}, 2},
        {{"resave", templ}, 2}, {{"new", "-o"}, 2}, {{"new", "-o", out, "-o", out}, 2},
        {{"export-csv", templ, "--output="}, 2}, {{"import-chirp", templ, templ}, 2}, {{"read"}, 2}, {{"write"}, 2},
        {{"read", "-o", out, "--port", "17"}, 2}, {{"read", "-o", out, "--start", "G0"}, 2},
        {{"read", "-o", out, "--device", nodev, "--start", "0000", "--end", "7FFF"}, 2, "past the memory image"},
        {{"write", missing, "--device", nodev}, 1, "open data file " + missing.toUtf8() + ": no such file"},
        {{"read", "-o", out, "--device", nodev}, 1, "open port " + nodev.toUtf8() + ": "}, // the device and the system's reason
        // The image is looked at before it is opened (the reasons of a refused read: settings/SafeFile_test.cpp).
        {{"decode", home.path()}, 1, "it is a folder"},
        {{"decode", "/dev/zero"}, 1, "open data file /dev/zero: it is a device or socket, not a regular file"},
        {{"resave", templ, "-o", file("no/such/folder/out.dat")}, 1, "save data file " + file("no/such/folder/out.dat").toUtf8() + ": "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        expectFailure(run(c.args), c.status, c.says);
    }
    EXPECT_FALSE(QFile::exists(out));
    expectFailure(runTool({"decode", templ, "--home", file("nowhere")}), 1);
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
    // Every channel in order, with the grid's texts (each field: shell/DecodeReport_test.cpp).
    for (int i = 0; i < channels.size(); ++i)
        EXPECT_EQ(channels[i].toObject().value("n").toInt(), i + 1);
    const QJsonObject ch1 = channels[0].toObject();
    EXPECT_EQ(ch1.value("rx").toInt(), 43502500);
    EXPECT_EQ(ch1.value("cells").toArray().at(0).toString(), QStringLiteral("435.025"));
    EXPECT_EQ(root.value("OptSel").toArray().size(), 100);
    const QJsonObject radio = root.value("radio").toObject();
    EXPECT_EQ(radio.value("band").toString(), QStringLiteral("400.00000 -- 470.00000MHz"));
    EXPECT_EQ(radio.value("version").toString(), QStringLiteral("V1.0 -- 2011.03.21"));
    EXPECT_FALSE(radio.value("last_write").toString().isEmpty());
}

// The template resaved equals new; importing an unchanged CSV export gives the
// same image, an edited one lands in the image written.
TEST_F(Qm570Cli, ResaveNewAndCsvExportImportThroughTheTool)
{
    ok({"resave", templ, "-o", file("resaved.dat")});
    ok({"new", "-o", file("new.dat")});
    const QByteArray resaved = readFile(file("resaved.dat"));
    EXPECT_EQ(resaved.size(), 8192);
    EXPECT_EQ(resaved, readFile(file("new.dat")));
    ok({"resave", file("new.dat"), "--output=" + file("again.dat")}); // the long option
    EXPECT_EQ(readFile(file("again.dat")), resaved);

    const QByteArray csv = ok({"export-csv", templ});
    ASSERT_TRUE(csv.endsWith("\r\n"));
    ok({"export-csv", templ, "-o", file("t.csv")});
    EXPECT_EQ(readFile(file("t.csv")), "\xEF\xBB\xBF" + csv);
    ok({"import-csv", templ, file("t.csv"), "-o", file("same.dat")});
    EXPECT_EQ(readFile(file("same.dat")), resaved);

    // A changed receive frequency of channel 1 (second field of line 2) lands in the image.
    QByteArray edited = csv;
    const qsizetype from = edited.indexOf(',', edited.indexOf("\r\n")) + 1;
    edited.replace(from, edited.indexOf(',', from) - from, "446.1");
    ASSERT_TRUE(writeFile(file("edited.csv"), edited));
    ok({"import-csv", templ, file("edited.csv"), "-o", file("edited.dat")});
    const QJsonDocument doc = QJsonDocument::fromJson(ok({"decode", file("edited.dat")}));
    EXPECT_EQ(doc.object().value("channels").toArray().at(0).toObject().value("rx").toInt(), 44610000);
}

// -o is checked before anything is read or written: never one of the
// command's inputs (however spelled, through hard or symbolic links), never
// the settings file or the template, never a folder, device or pipe.
TEST_F(Qm570Cli, OutputsNeverReplaceInputsProgramFilesOrWhatIsNoRegularFile)
{
    const QString image = file("a.dat"), csv = file("t.csv");
    ASSERT_TRUE(QFile::copy(templ, image));
    ok({"export-csv", image, "-o", csv});
    ASSERT_TRUE(QDir(home.path()).mkdir("sub") && QDir(home.path()).mkdir("folder"));
    ASSERT_EQ(::link(bytesOf(image).constData(), bytesOf(file("hard.dat")).constData()), 0);
    ASSERT_EQ(::link(bytesOf(csv).constData(), bytesOf(file("hard.csv")).constData()), 0);
    ASSERT_TRUE(QFile::link(image, file("soft.dat")));
    ASSERT_EQ(::mkfifo(bytesOf(file("pipe")).constData(), 0600), 0);
    const char *input = "it is the input IMAGE", *settings = "it is the settings file", *tmpl = "it is the template";
    const char* notRegular = "not a regular file; only a regular file is replaced";
    const struct { QStringList args; const char* says; } cases[] = {
        {{"resave", image, "-o", file("sub/../a.dat")}, input},
        {{"resave", file("./a.dat"), "-o", file("hard.dat")}, input},
        {{"resave", image, "-o", file("soft.dat")}, input},
        {{"export-csv", image, "-o", file("hard.dat")}, input},
        {{"import-csv", image, csv, "-o", file("hard.csv")}, "it is the input CSV"},
        {{"import-chirp", image, csv, "-o", csv}, "it is the input CSV"},
        {{"import-csv", image, csv, "-o", image}, input},
        {{"resave", image, "-o", file("Uninstall.exe")}, settings},
        {{"new", "-o", file("sub/../Uninstall.exe")}, settings},
        {{"new", "-o", file("Kelvex.exe")}, tmpl},
        {{"resave", image, "-o", templ}, tmpl},
        {{"read", "-o", file("Kelvex.exe"), "--device", file("nodev")}, tmpl}, // before the port is opened
        {{"resave", image, "-o", "/dev/full"}, notRegular},
        {{"new", "-o", "/dev/null"}, notRegular},
        {{"export-csv", image, "-o", file("pipe")}, notRegular},
        {{"resave", image, "-o", file("folder")}, "it is a folder"},
    };
    const auto before = snapshot(home.path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const RunResult r = run(c.args);
        expectFailure(r, 2, c.says);
        EXPECT_TRUE(r.err.startsWith("qm570-cli: " + c.args[0].toUtf8() + ": ")) << r.err.toStdString();
        EXPECT_EQ(snapshot(home.path()), before);
    }
}

// Inputs are read with a bound: an endless pipe is read up to one byte past
// the image; a file of another size is read as Open reads it (its sizes:
// shell/modDataFile_test.cpp), with a warning. Names are the bytes the user gave: a name that is not UTF-8
// is opened and written as it is, and messages show it escaped on one line,
// cut to length.
TEST_F(Qm570Cli, InputsAreBoundedOddSizesWarnedAndNamesKeepTheirBytes)
{
    const rlim_t cap = rlim_t(1) << 30; // a run that tried to take all the pipe sends would die here
    const QByteArray cli = bytesOf(binPath("qm570-cli")), h = bytesOf(home.path());
    ASSERT_EQ(::mkfifo(bytesOf(file("pipe")).constData(), 0600), 0);
    QProcess writer; // as `cat /dev/zero >pipe`
    writer.start("sh", {"-c", "exec cat /dev/zero >\"$0\"", file("pipe")});
    RunResult r = runRaw({cli, "decode", bytesOf(file("pipe")), "--home", h}, 30000, cap);
    writer.kill();
    writer.waitForFinished();
    EXPECT_TRUE(r.finished && r.exitCode == 0) << r.err.toStdString();
    EXPECT_EQ(r.err, "qm570-cli: decode: warning: open data file " + bytesOf(file("pipe")) +
                         ": it holds more than 8192 bytes; only its first 8192 bytes are used\n");
    EXPECT_TRUE(r.out.startsWith("{"));

    put("odd.dat", readFile(templ).left(100));
    const RunResult d = run({"resave", file("odd.dat"), "-o", file("out.dat")});
    EXPECT_EQ(d.exitCode, 0);
    EXPECT_EQ(d.err, "qm570-cli: resave: warning: open data file " + bytesOf(file("odd.dat")) +
                         ": it holds 100 bytes, not 8192; the image's remaining 8092 bytes read FF (erased memory)\n");
    EXPECT_EQ(readFile(file("out.dat")).size(), 8192);

    put("big.csv", QByteArray((16 << 20) + 1, '\n'));
    expectFailure(run({"import-csv", templ, file("big.csv"), "-o", file("big.dat")}), 1,
                  "import CSV file " + bytesOf(file("big.csv")) + ": it is larger than 16 MiB");
    EXPECT_FALSE(QFile::exists(file("big.dat")));

    const QByteArray odd = h + "/radio\xFF\xFE.dat";
    ASSERT_EQ(runRaw({cli, "resave", bytesOf(templ), "-o", odd, "--home", h}).exitCode, 0);
    struct stat st;
    ASSERT_EQ(::stat(odd.constData(), &st), 0);
    EXPECT_EQ(st.st_size, 8192);
    EXPECT_EQ(runRaw({cli, "decode", odd, "--home", h}).exitCode, 0);
    expectFailure(runRaw({cli, "resave", odd, "-o", odd, "--home", h}), 2,
                  "qm570-cli: resave: save data file " + h + "/radio\\xFF\\xFE.dat: it is the input IMAGE");
    ::unlink(odd.constData());

    r = runRaw({cli, "decode", h + "/no\xE9\n\x1B[1m.dat", "--home", h});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "qm570-cli: decode: open data file " + h + "/no\\xE9\\x0A\\x1B[1m.dat: no such file\n");

    r = runRaw({cli, "decode", h + "/" + QByteArray(200, 'x') + "/" + QByteArray(200, 'y') + "/z.dat", "--home", h});
    expectFailure(r, 1, ": no such file\n"); // the middle of the name gave way
    EXPECT_LE(QString::fromUtf8(r.err).size(), 301);
}

// Settings that cannot hold (exit 2) and a template that is missing or short
// (exit 1 for new, which is made of it): one line naming file, key and value,
// and no file written. Every command starts the same way: a command that
// makes an image, one that reads one and a transfer (refused before the port
// is opened) show it; the reasons themselves: shell/modStartup_test.cpp.
TEST_F(Qm570Cli, SettingsThatCannotHoldAndMissingTemplateWriteNothing)
{
    QTemporaryDir other;
    const QString settingsFile = other.filePath("Uninstall.exe"), out = other.filePath("out.dat"), nodev = other.filePath("nodev");
    const auto runThere = [&](QStringList args) { return runTool(args << "--home" << other.path()); };
    const QByteArray good = readFile(file("Uninstall.exe")), datNum100 = QByteArray(good).replace("DatNum=8191", "DatNum=100");
    ASSERT_TRUE(QFile::copy(templ, other.filePath("Kelvex.exe")));
    const struct { QByteArray settings; QStringList args; QString says; } cases[] = {
        {datNum100, {"new", "-o", out}, "read settings key DatNum of %1: \"100\" is not 8191"},
        {datNum100, {"write", templ, "--device", nodev}, "\"100\" is not 8191"},
        {"", {"new", "-o", out}, "read settings key DatNum of %1: the settings file is empty"},
        {"[Setting]\nLanguage=3\n", {"export-csv", templ}, "read settings key DatNum of %1: the key is missing"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString() + " / " + c.settings.left(40).toStdString());
        ASSERT_TRUE(writeFile(settingsFile, c.settings));
        const QString says = c.says.contains(QLatin1String("%1")) ? c.says.arg(settingsFile) : c.says;
        expectFailure(runThere(c.args), 2, says.toUtf8());
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_EQ(readFile(settingsFile), c.settings);
    }

    ASSERT_TRUE(writeFile(settingsFile, good));
    for (int size : {-1, 4000}) { // -1: no template
        SCOPED_TRACE(size);
        QFile::remove(other.filePath("Kelvex.exe"));
        if (size >= 0) {
            ASSERT_TRUE(writeFile(other.filePath("Kelvex.exe"), readFile(templ).left(size)));
        }
        const RunResult r = runThere({"new", "-o", out});
        expectFailure(r, 1);
        EXPECT_TRUE(r.err.startsWith("qm570-cli: new: load template " + bytesOf(other.filePath("Kelvex.exe")) + ": ")) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_EQ(QFile::exists(other.filePath("Kelvex.exe")), size >= 0); // never made up
        // A data file does not need the template.
        EXPECT_EQ(runThere({"resave", templ, "-o", out}).exitCode, 0);
        QFile::remove(out);
    }
}


// A real full disk, for a data file and a CSV file (each save step that can
// fail: settings/SafeFile_test.cpp): the old file stays byte for byte, no
// temporary file is left, and the message names the file and the system's
// reason.
TEST_F(Qm570Cli, FullDiskKeepsTheOldFiles)
{
    SmallDisk disk(16);
    if (!disk.ok())
        GTEST_SKIP() << disk.why().toStdString();
    ASSERT_TRUE(writeFile(disk.file("out.dat"), patternBytes(2048)) && writeFile(disk.file("out.csv"), "old table\r\n"));
    ASSERT_TRUE(disk.fill());
    const auto before = snapshot(disk.path());
    const struct { QStringList args; QString action, target; } cases[] = {
        {{"resave", templ, "-o", disk.file("out.dat")}, "save data file", disk.file("out.dat")},
        {{"export-csv", templ, "-o", disk.file("out.csv")}, "write CSV file", disk.file("out.csv")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const RunResult r = run(c.args);
        expectFailure(r, 1);
        EXPECT_EQ(r.err, QStringLiteral("qm570-cli: %1: %2 %3: %4\n").arg(c.args[0], c.action, c.target, qt_error_string(ENOSPC)).toUtf8());
        EXPECT_EQ(snapshot(disk.path()), before);
    }
}

// CSV and CHIRP CSV imports through the tool: a refused file writes nothing
// and a row outside the band is imported with its warning (every reason and
// warning: channels/modChCsv_test.cpp, modChirpCsv_test.cpp). The CHIRP export
// is the same on stdout and in a file, and an edited file goes in and out.
TEST_F(Qm570Cli, ImportsRefuseWholeFilesWarnOfRowsOutsideTheBandAndRoundTrip)
{
    const QByteArray csv = ok({"export-csv", templ});
    const struct { const char* command; QByteArray csv, says; } refused[] = {
        {"import-csv", "x," + csv, "import CSV file %1: refused, nothing written: line 1: column \"x\" is not a column of the channel table"},
        {"import-chirp", "Location,Frequency,Mode\n3,440,FM\n100,440,FM\n",
         "import CHIRP CSV file %1: refused, nothing written: line 3, column \"Location\": 100 is the VFO row"},
    };
    put("out.dat", "keep");
    for (const auto& c : refused) {
        SCOPED_TRACE(c.says.toStdString());
        const QString bad = put("bad.csv", c.csv);
        expectFailure(run({c.command, templ, bad, "-o", file("out.dat")}), 1,
                      c.command + QByteArray(": ") + QByteArray(c.says).replace("%1", bytesOf(bad)));
        EXPECT_EQ(readFile(file("out.dat")), "keep");
    }

    // Channel 1 (line 2) on 480 MHz: imported, with its warning.
    QList<QByteArray> lines = csv.split('\n');
    QList<QByteArray> ch1 = lines[1].split(',');
    ch1[1] = "480";
    lines[1] = ch1.join(',');
    const QByteArray rx = lines[0].split(',')[1];
    const RunResult r = run({"import-csv", templ, put("band.csv", lines.join('\n')), "-o", file("out.dat")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "qm570-cli: import-csv: warning: import CSV file " + bytesOf(file("band.csv")) + ": line 2, column \"" + rx +
                         "\": 480 MHz lies outside the radio's band 400 to 470 MHz; imported as it is\n");
    EXPECT_EQ(QJsonDocument::fromJson(ok({"decode", file("out.dat")})).object().value("channels").toArray().at(0).toObject().value("rx").toInt(),
              48000000);

    const QByteArray exported = ok({"export-chirp", templ});
    EXPECT_EQ(exported.count("\r\n"), 9); // the header and channels 1 to 8 of the template
    ok({"export-chirp", templ, "-o", file("t.csv")});
    EXPECT_EQ(readFile(file("t.csv")), exported);
    put("edited.csv", exported + "9,EDIT,446.006250,+,5.000000,Cross,88.5,67.0,023,NR,754,DTCS->Tone,NFM,6.25,S,1.0W,,,,,\r\n");
    ok({"import-chirp", templ, file("edited.csv"), "-o", file("edited.dat")});
    EXPECT_TRUE(ok({"export-chirp", file("edited.dat")})
                    .contains("\r\n9,EDIT,446.006250,+,5.000000,Cross,88.5,67.0,023,NN,023,DTCS->Tone,NFM,6.25,S,High,,,,,\r\n"));
}
