#include "settings/ProfileFile.h"

#include "support/TestHome.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qm;
using qmtest::readFile;
using qmtest::writeFile;

namespace {

class ProfileFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("Uninstall.exe")); }
    ProfileFile p{path()};
};

} // namespace

TEST_F(ProfileFileTest, MissingFileGivesDefaultsAndWritesCreateFileSectionAndKey)
{
    EXPECT_EQ(p.read("Setting", "FirRun", "2", 3), QStringLiteral("2"));
    EXPECT_FALSE(QFile::exists(path()));
    ASSERT_TRUE(p.write("Setting", "FirRun", "1"));
    EXPECT_EQ(readFile(path()), QByteArray("[Setting]\nFirRun=1\n"));
    ASSERT_TRUE(p.write("Setting", "Language", "3"));
    ASSERT_TRUE(p.write("Option", "0", "46"));
    EXPECT_EQ(readFile(path()), QByteArray("[Setting]\nFirRun=1\nLanguage=3\n\n[Option]\n0=46\n"));
    EXPECT_TRUE(p.contains("Option", "0"));
    EXPECT_FALSE(p.contains("Option", "1"));
}

TEST_F(ProfileFileTest, ValueIsCutToBufferSizeLessOneThenTrimmed)
{
    ASSERT_TRUE(writeFile(path(), "[s]\nA=  abc  def  \nB=\"quoted value\"\nC=123456789012345678\n;K=1\n"));
    struct Case { const char* key; int buf; const char* def; const char* want; };
    const Case cases[] = {
        {"A", 100, "", "abc  def"}, {"a", 5, "", "abc"}, {"B", 100, "", "quoted value"},
        {"C", 15, "", "12345678901234"}, {"C", 1, "", ""}, {"Missing", 3, "1FFF", "1F"},
        {"K", 10, "d", "d"}, // a commented-out key is no key
    };
    for (const auto& c : cases)
        EXPECT_EQ(p.read("S", c.key, c.def, c.buf), QString::fromLatin1(c.want)) << c.key << " buf " << c.buf;
}

// Names match without regard to case; comments, order and other lines stay.
TEST_F(ProfileFileTest, WriteReplacesKeyInPlaceAndKeepsEverythingElse)
{
    ASSERT_TRUE(writeFile(path(), "; settings\n[setting]\n; the port\ncom=1\nDatNum=8191\n\n[ChInfo]\n1000=100\n# other\n"));
    ASSERT_TRUE(p.write("Setting", "COM", "3"));
    ASSERT_TRUE(p.write("SETTING", "TableMaxAddr", "1FFF"));
    ASSERT_TRUE(p.write("ChInfo", "1001", "240"));
    ASSERT_TRUE(p.write("Setting", "ChsFont", QStringLiteral("宋体")));
    EXPECT_EQ(readFile(path()), "; settings\n[setting]\n; the port\nCOM=3\nDatNum=8191\nTableMaxAddr=1FFF\nChsFont=" +
                                    QStringLiteral("宋体").toUtf8() + "\n\n[ChInfo]\n1000=100\n# other\n1001=240\n");
    EXPECT_EQ(p.read("Setting", "ChsFont", "", 30), QStringLiteral("宋体"));
    // A line break inside a value would start a new key or section.
    ASSERT_TRUE(p.write("Setting", "ChannelLock", "ShowNo\n[Setting]\r\nFirRun=2"));
    EXPECT_EQ(p.read("Setting", "FirRun", "0", 3), QStringLiteral("0"));
    EXPECT_EQ(p.read("Setting", "ChannelLock", "", 100), QStringLiteral("ShowNo [Setting] FirRun=2"));
}

// Writing one key leaves every other line as it was in the file: lines in a
// local code page (here GBK, not UTF-8), lone CRs and a mix of line breaks.
TEST_F(ProfileFileTest, OtherLinesKeepTheirBytesAndLineBreaks)
{
    const struct {
        const char* name;
        QByteArray before, after;
    } cases[] = {
        {"GBK comment and value", "; \xCB\xCE\xCC\xE5\n[Setting]\nChsFont=\xCB\xCE\xCC\xE5\nCOM=1\n",
         "; \xCB\xCE\xCC\xE5\n[Setting]\nChsFont=\xCB\xCE\xCC\xE5\nCOM=2\n"},
        {"mixed line breaks", "[Setting]\r\nA=1\nCOM=1\rB=2\r\n", "[Setting]\r\nA=1\nCOM=2\rB=2\r\n"},
        {"key added, no final break", "[Setting]\r\nA=\xFF", "[Setting]\r\nA=\xFF\r\nCOM=2\r\n"},
        {"section added", "[Other]\nX=\x80\x81", "[Other]\nX=\x80\x81\n\n[Setting]\nCOM=2\n"},
        {"lone CRs", "[Other]\rX=1\r", "[Other]\rX=1\r\r[Setting]\rCOM=2\r"},
        // No blank line after the lone CR: with the LF after it, the two would be one CR LF.
        {"lone CR, then LF", "A=1\nB=2\r", "A=1\nB=2\r[Setting]\nCOM=2\n"},
        {"byte order mark", "\xEF\xBB\xBF[Setting]\r\nCOM=1\r\n", "\xEF\xBB\xBF[Setting]\r\nCOM=2\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeFile(path(), c.before));
        ASSERT_TRUE(p.write("Setting", "COM", "2"));
        EXPECT_EQ(readFile(path()), c.after);
        EXPECT_EQ(p.read("Setting", "COM", "", 10), QStringLiteral("2"));
    }
}

TEST_F(ProfileFileTest, FailedWriteReportsFalseAndLeavesNothingBehind)
{
    EXPECT_FALSE(ProfileFile(dir.filePath(QStringLiteral("nope/Uninstall.exe"))).write("Setting", "FirRun", "1"));
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("nope"))).exists());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const ProfileFile folder(dir.filePath(QStringLiteral("folder")));
    EXPECT_FALSE(folder.write("Setting", "FirRun", "1"));
    EXPECT_EQ(folder.read("Setting", "FirRun", "2", 3), QStringLiteral("2"));
}

// A key read looks at most lines as bytes; lines with other characters take
// the text path. Both must find the same keys in the same sections.
TEST_F(ProfileFileTest, KeysAreFoundInTheFirstSectionOfTheirNameWhateverTheLineLooksLike)
{
    const QByteArray file = QByteArray("\xEF\xBB\xBF[First]\r\n") + " \t[ Radio ] \r\n" + "\tCom = 3 \r\n"
                            + ";Skip=1\r" + "  # Hash=2\n" + "[noclose=4\n" + "\xE2\x84\xAA" "elvin=5\n"
                            + "Name=\xE4\xB8\xAD\n" + "[]\n" + "After=6\n" + "[radio]\n" + "Late=7\n"
                            + "\xE3\x80\x80[Wide]\xE3\x80\x80\n" + "Key=8\n";
    ASSERT_TRUE(writeFile(path(), file));
    struct Case { const char* section; const char* key; const char* want; };
    const Case cases[] = {
        {"Radio", "COM", "3"},         {"radio", "Skip", "-"},      {"Radio", "Hash", "-"},
        {"Radio", "[noclose", "4"},    {"Radio", "kelvin", "5"},    {"Radio", "name", "\xE4\xB8\xAD"},
        {"Radio", "After", "-"},       {"", "After", "6"},          {"Radio", "Late", "-"},
        {"Wide", "key", "8"},          {"First", "Com", "-"},
    };
    for (const auto& c : cases) {
        const QString section = QString::fromUtf8(c.section);
        EXPECT_EQ(p.read(section, c.key, "-", 100), QString::fromUtf8(c.want)) << c.section << " " << c.key;
        EXPECT_EQ(p.contains(section, c.key), std::string(c.want) != "-") << c.section << " " << c.key;
    }
}
