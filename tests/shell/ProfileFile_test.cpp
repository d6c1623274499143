#include "shell/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qm;

namespace {

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

class ProfileFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("Uninstall.exe")); }
    ProfileFile file() const { return ProfileFile(path()); }
};

} // namespace

TEST_F(ProfileFileTest, MissingFileGivesDefaultsAndFirstWriteCreatesFileSectionAndKey)
{
    ProfileFile p = file();
    EXPECT_EQ(p.read("Setting", "FirRun", "2", 3), QStringLiteral("2"));
    EXPECT_FALSE(QFile::exists(path()));
    ASSERT_TRUE(p.write("Setting", "FirRun", "1"));
    EXPECT_EQ(readAll(path()), QByteArray("[Setting]\nFirRun=1\n"));
    ASSERT_TRUE(p.write("Setting", "Language", "3"));
    ASSERT_TRUE(p.write("Option", "0", "46"));
    EXPECT_EQ(readAll(path()), QByteArray("[Setting]\nFirRun=1\nLanguage=3\n\n[Option]\n0=46\n"));
    EXPECT_EQ(p.read("Setting", "Language", "2", 10), QStringLiteral("3"));
    EXPECT_TRUE(p.contains("Option", "0"));
    EXPECT_FALSE(p.contains("Option", "1"));
}

TEST_F(ProfileFileTest, NamesMatchWithoutRegardToCase)
{
    writeAll(path(), "[setting]\nfirrun=0\n");
    ProfileFile p = file();
    EXPECT_EQ(p.read("SETTING", "FirRun", "2", 3), QStringLiteral("0"));
    ASSERT_TRUE(p.write("Setting", "FIRRUN", "1"));
    // The existing key is replaced, no second section or key appears.
    EXPECT_EQ(readAll(path()), QByteArray("[setting]\nFIRRUN=1\n"));
}

TEST_F(ProfileFileTest, ValueIsCutToBufferSizeLessOneThenTrimmed)
{
    writeAll(path(), "[S]\nA=  abc  def  \nB=\"quoted value\"\nC=123456789012345678\n");
    ProfileFile p = file();
    struct Case { const char* key; int buf; const char* def; const char* want; };
    const Case cases[] = {
        {"A", 100, "", "abc  def"},     // surrounding blanks go
        {"A", 5, "", "abc"},            // "abc " cut, then trimmed
        {"B", 100, "", "quoted value"}, // matching quotes are removed
        {"C", 15, "", "12345678901234"},
        {"C", 1, "", ""},
        {"Missing", 3, "1FFF", "1F"},   // the default is cut the same way
    };
    for (const auto& c : cases)
        EXPECT_EQ(p.read("S", c.key, c.def, c.buf), QString::fromLatin1(c.want)) << c.key << " buf " << c.buf;
}

TEST_F(ProfileFileTest, WriteKeepsCommentsOrderAndOtherLines)
{
    const QByteArray before = "; settings\n[Setting]\n; the port\nCOM=1\nDatNum=8191\n\n[ChInfo]\n1000=100\n# other\n";
    writeAll(path(), before);
    ProfileFile p = file();
    ASSERT_TRUE(p.write("Setting", "COM", "3"));
    ASSERT_TRUE(p.write("Setting", "TableMaxAddr", "1FFF"));
    ASSERT_TRUE(p.write("ChInfo", "1001", "240"));
    EXPECT_EQ(readAll(path()),
              QByteArray("; settings\n[Setting]\n; the port\nCOM=3\nDatNum=8191\nTableMaxAddr=1FFF\n\n"
                         "[ChInfo]\n1000=100\n# other\n1001=240\n"));
    // A commented-out key is not a key.
    writeAll(path(), "[S]\n;K=1\n");
    EXPECT_EQ(p.read("S", "K", "d", 10), QStringLiteral("d"));
}

TEST_F(ProfileFileTest, CrlfAndByteOrderMarkAreKept)
{
    writeAll(path(), "\xEF\xBB\xBF[Setting]\r\nCOM=1\r\n");
    ProfileFile p = file();
    EXPECT_EQ(p.read("Setting", "COM", "9", 10), QStringLiteral("1"));
    ASSERT_TRUE(p.write("Setting", "COM", "2"));
    ASSERT_TRUE(p.write("Setting", "FirRun", "0"));
    EXPECT_EQ(readAll(path()), QByteArray("\xEF\xBB\xBF[Setting]\r\nCOM=2\r\nFirRun=0\r\n"));
}

TEST_F(ProfileFileTest, LineBreaksInAValueCannotInjectKeysOrSections)
{
    ProfileFile p = file();
    ASSERT_TRUE(p.write("Setting", "ChannelLock", "ShowNo\n[Setting]\r\nFirRun=2"));
    EXPECT_EQ(p.read("Setting", "FirRun", "0", 3), QStringLiteral("0"));
    EXPECT_EQ(p.read("Setting", "ChannelLock", "", 100), QStringLiteral("ShowNo [Setting] FirRun=2"));
}

TEST_F(ProfileFileTest, ChineseValuesRoundTrip)
{
    ProfileFile p = file();
    const QString caption = QStringLiteral("信道|接收频率|发射频率");
    ASSERT_TRUE(p.write("ChInfo", "1003", caption));
    ASSERT_TRUE(p.write("Setting", "ChsFont", QStringLiteral("宋体")));
    EXPECT_EQ(p.read("ChInfo", "1003", "0", 199), caption);
    EXPECT_EQ(p.read("Setting", "ChsFont", "", 30), QStringLiteral("宋体"));
    EXPECT_TRUE(readAll(path()).contains(caption.toUtf8()));
}

TEST_F(ProfileFileTest, FailedWriteReportsFalseAndLeavesNothingBehind)
{
    // A settings path inside a missing folder, and one that is a folder.
    ProfileFile inMissing(dir.filePath(QStringLiteral("nope/Uninstall.exe")));
    EXPECT_FALSE(inMissing.write("Setting", "FirRun", "1"));
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("nope"))).exists());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    ProfileFile folder(dir.filePath(QStringLiteral("folder")));
    EXPECT_FALSE(folder.write("Setting", "FirRun", "1"));
    EXPECT_EQ(folder.read("Setting", "FirRun", "2", 3), QStringLiteral("2"));
}
