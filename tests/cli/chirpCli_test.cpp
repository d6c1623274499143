// export-chirp and import-chirp end to end: the real qm570-cli in a private
// copy of the delivered program folder.
#include "support/DeliveredHome.h"
#include "support/RawProcess.h"
#include "support/TestHome.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace qmtest;

namespace {

class ChirpCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(home.create(&error)) << error.toStdString();
        settingsBefore = readFile(file("Uninstall.exe"));
    }
    void TearDown() override { EXPECT_EQ(readFile(file("Uninstall.exe")), settingsBefore); }
    RunResult run(QStringList args) const { return runProgram(binPath("qm570-cli"), args << "--home" << home.path(), 60000); }
    QString file(const char* name) const { return home.file(QLatin1String(name)); }

    DeliveredHome home;
    QByteArray settingsBefore;
    const QString templ = file("Kelvex.exe");
};

} // namespace

TEST_F(ChirpCli, ExportImportRoundTripAndRefusals)
{
    // To stdout and to a file: the same text, the header first.
    const RunResult out = run({"export-chirp", templ});
    ASSERT_EQ(out.exitCode, 0) << out.err.toStdString();
    EXPECT_TRUE(out.out.startsWith("Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
                                   "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE\r\n"));
    EXPECT_EQ(out.out.count("\r\n"), 9); // the header and channels 1 to 8 of the template
    EXPECT_EQ(run({"export-chirp", templ, "-o", file("t.csv")}).exitCode, 0);
    EXPECT_EQ(readFile(file("t.csv")), out.out);

    // An edited file goes in and comes out as it went in.
    QByteArray edited = out.out;
    edited += "9,EDIT,446.006250,+,5.000000,Cross,88.5,67.0,023,NR,754,DTCS->Tone,NFM,6.25,S,1.0W,,,,,\r\n";
    ASSERT_TRUE(writeFile(file("edited.csv"), edited));
    RunResult r = run({"import-chirp", templ, file("edited.csv"), "-o", file("edited.dat")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty());
    r = run({"export-chirp", file("edited.dat")});
    EXPECT_TRUE(r.out.contains("\r\n9,EDIT,446.006250,+,5.000000,Cross,88.5,67.0,023,NN,023,DTCS->Tone,NFM,6.25,S,High,,,,,\r\n"))
        << r.out.toStdString();

    // Refused: one line naming line and column, nothing written.
    ASSERT_TRUE(writeFile(file("bad.csv"), "Location,Frequency,Mode\n3,440,FM\n100,440,FM\n"));
    r = run({"import-chirp", templ, file("bad.csv"), "-o", file("bad.dat")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.count('\n'), 1);
    EXPECT_TRUE(r.err.contains("import-chirp: import CHIRP CSV file " + file("bad.csv").toUtf8() +
                               ": refused, nothing written: line 3, column \"Location\": 100 is the VFO row"))
        << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(file("bad.dat")));

    // Out of band: imported, with a warning; the output never replaces an input.
    ASSERT_TRUE(writeFile(file("band.csv"), "Location,Frequency\n3,480\n"));
    r = run({"import-chirp", templ, file("band.csv"), "-o", file("band.dat")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains("warning: import CHIRP CSV file") && r.err.contains("line 2, column \"Frequency\": 480 MHz"));
    r = run({"import-chirp", templ, file("band.csv"), "-o", file("band.csv")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("it is the input CSV")) << r.err.toStdString();
    r = run({"import-chirp", templ, file("band.csv")});
    EXPECT_EQ(r.exitCode, 2);
}
