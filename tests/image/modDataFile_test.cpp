#include "image/modDataFile.h"

#include "channels/modChMem.h"
#include "shell/mdimoduMain.h"

#include "support/ChInfoFixture.h"
#include "support/ScriptedUi.h"
#include "support/TestHome.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace qm;
using namespace qmtest;

namespace {

// A program that has started in Chinese (where texts 84 and 86 differ): the
// channel grid definition, the delivered template loaded and decoded, data folder made.
class DataFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<AppState> s = std::make_unique<AppState>();
    ScriptedUi ui;
    QByteArray tmpl = deliveredTemplate();

    void SetUp() override
    {
        s->home = dir.path();
        s->profile.setPath(dir.filePath(QStringLiteral("Uninstall.exe")));
        ASSERT_TRUE(writeChInfoSection(s->profile.path()));
        ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("Kelvex.exe")), tmpl));
        s->settings.Language = 1;
        InitSoftFaceStr(*s);
        s->IicDat.assign(8192, 0);
        GetValidCharTbl(*s);
        InitChMem(*s);
        GenerateDatFolder(*s);
        NewFileSol(*s);
        ASSERT_EQ(image(), tmpl);
        ASSERT_TRUE(s->errors.lines().isEmpty()) << s->errors.lines().join(QLatin1Char('\n')).toStdString();
    }

    QByteArray image() const { return QByteArray(reinterpret_cast<const char*>(s->IicDat.data()), qsizetype(s->IicDat.size())); }
    QString data(const char* name) const { return dir.path() + QStringLiteral("/Data/") + QLatin1String(name); }
    QStringList dataFiles() const { return QDir(dir.path() + QStringLiteral("/Data")).entryList(QDir::Files); }
    bool listed(const char* label) const
    {
        return s->errors.lines().join(QLatin1Char('\n')).contains(QStringLiteral(" %1 ").arg(QLatin1String(label)));
    }
    void expectCurrent(const QString& path) const
    {
        EXPECT_EQ(s->currentPath, path);
        EXPECT_EQ(s->statusPanel[3], s->text(85) + path);
    }
    // The messages shown so far as "text|title|icon", and one such expected message.
    QStringList shown() const
    {
        QStringList r;
        for (const auto& m : ui.shown)
            r << QStringLiteral("%1|%2|%3").arg(m.prompt, m.title).arg(int(m.icon));
        return r;
    }
    QString notice(int n, MsgIcon icon) const { return QStringLiteral("%1|%2|%3").arg(s->text(n), s->text(70)).arg(int(icon)); }
};

} // namespace

TEST_F(DataFileTest, OpenLoadsShortAndLongFilesCompletely)
{
    for (int size : {8192, 10, 9000}) {
        SCOPED_TRACE(size);
        const QByteArray file = patternBytes(size, size);
        ASSERT_TRUE(writeFile(data("radio.dat"), file));
        ui.openNames = {data("radio.dat")};
        OpenFile(*s, ui);
        const int supplied = std::min(size, 8192);
        EXPECT_EQ(image(), file.left(supplied) + QByteArray(8192 - supplied, '\xFF')); // the rest is erased memory
        expectCurrent(data("radio.dat"));
    }
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(ui.filters.first(), QStringLiteral("Data File(*.dat)|*.dat"));
    EXPECT_EQ(ui.openStarts.first(), data("Untitled.dat"));
}

TEST_F(DataFileTest, OpenThatFailsChangesNothingAndSaysWrongFileType)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.dat")));
    ui.openNames = {data("missing.dat"), dir.filePath(QStringLiteral("folder.dat"))};
    OpenFile(*s, ui);
    OpenFile(*s, ui);
    EXPECT_EQ(image(), tmpl);
    expectCurrent(data("Untitled.dat"));
    EXPECT_TRUE(listed("mdifrmMain->OpenFile"));
    EXPECT_EQ(shown(), QStringList(2, notice(83, MsgIcon::Critical)));
    QString err;
    EXPECT_FALSE(OpenDataFile(*s, data("missing.dat"), &err));
    EXPECT_TRUE(err.contains(QStringLiteral("missing.dat"))) << err.toStdString();
}

TEST_F(DataFileTest, SaveAsksEveryTimeAndWritesTheWholeImage)
{
    ui.answers = {MsgAnswer::No, MsgAnswer::Yes};
    SaveFile(*s, ui);
    EXPECT_TRUE(ui.saveStarts.isEmpty()); // No: no dialog
    ui.saveNames = {{data("mine.dat"), false}};
    SaveFile(*s, ui);
    EXPECT_EQ(shown(), QStringList(2, notice(82, MsgIcon::Question)));
    EXPECT_EQ(ui.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(ui.saveStarts.first(), data("Untitled.dat"));
    EXPECT_EQ(ui.defaultExts.first(), QStringLiteral("dat"));
    EXPECT_EQ(readFile(data("mine.dat")).size(), 8192);
    EXPECT_EQ(readFile(data("mine.dat")), image());
    expectCurrent(data("mine.dat"));
    EXPECT_EQ(dataFiles(), QStringList{QStringLiteral("mine.dat")}); // no temporary file left
}

TEST_F(DataFileTest, OpenThenSaveAsKeepsEveryByteTheEncodersDoNotOwn)
{
    const QByteArray file = patternBytes(8192, 77);
    ASSERT_TRUE(writeFile(data("radio.dat"), file));
    ui.openNames = {data("radio.dat")};
    OpenFile(*s, ui);
    ui.saveNames = {{data("copy.dat"), false}};
    SaveAsFile(*s, ui);
    const QByteArray saved = readFile(data("copy.dat"));
    ASSERT_EQ(saved.size(), 8192);
    // Only the records and names of channels 1..100 and the option block may differ.
    QByteArray masked = saved;
    for (auto [from, to] : {std::pair{0x0010, 0x07F0}, std::pair{0x0E00, 0x0E76}})
        masked.replace(from, to - from, file.mid(from, to - from));
    EXPECT_EQ(masked, file);
    expectCurrent(data("copy.dat"));
}

TEST_F(DataFileTest, CancelChangesNothingAndAFolderOrRefusedNameShowsText86)
{
    ui.answers = {MsgAnswer::Yes};
    OpenFile(*s, ui);   // cancelled open
    SaveFile(*s, ui);   // Yes, then cancelled save dialog
    SaveAsFile(*s, ui); // cancelled save dialog
    EXPECT_TRUE(s->errors.lines().isEmpty());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.dat")));
    ui.saveNames = {{dir.filePath(QStringLiteral("folder.dat")), false}, {data("x.dat"), true}};
    SaveAsFile(*s, ui); // a folder
    SaveAsFile(*s, ui); // the dialog itself refused the name
    EXPECT_TRUE(listed("mdifrmMain->SaveAsFile"));
    EXPECT_EQ(shown(), (QStringList{notice(82, MsgIcon::Question), notice(86, MsgIcon::Critical),
                                    notice(86, MsgIcon::Critical)}));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("folder.dat"))).isDir());
    EXPECT_EQ(dataFiles(), QStringList());
    EXPECT_EQ(image(), tmpl);
    expectCurrent(data("Untitled.dat"));
}

// The current path never points at a file that was not written.
TEST_F(DataFileTest, FailedWriteShowsText84AndKeepsPath)
{
    const QString bad = dir.filePath(QStringLiteral("gone/radio.dat"));
    ui.saveNames = {{bad, false}};
    SaveAsFile(*s, ui);
    EXPECT_TRUE(listed("mdifrmMain->SaveDatFile"));
    EXPECT_EQ(shown(), QStringList{notice(84, MsgIcon::Critical)});
    expectCurrent(data("Untitled.dat"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("gone"))));
    QString err;
    EXPECT_FALSE(SaveDataFileTo(*s, bad, &err));
    EXPECT_TRUE(err.contains(QStringLiteral("radio.dat"))) << err.toStdString();
    EXPECT_TRUE(SaveDataFileTo(*s, data("ok.dat"), &err));
    EXPECT_EQ(s->currentPath, data("ok.dat"));
}

TEST_F(DataFileTest, NewAsksAndOnYesReturnsToTheTemplateAndDefaultPath)
{
    QByteArray other = tmpl;
    other[0x11] = 0x50; // channel 1 on 435.05 instead of 435.025 MHz
    ASSERT_TRUE(writeFile(data("radio.dat"), other));
    ASSERT_TRUE(OpenDataFile(*s, data("radio.dat")));
    EXPECT_EQ(s->ChData[1][1], 43505000);
    ui.answers = {MsgAnswer::No, MsgAnswer::Yes};
    NewFile(*s, ui);
    expectCurrent(data("radio.dat"));
    EXPECT_EQ(image(), other);
    NewFile(*s, ui);
    EXPECT_EQ(shown(), QStringList(2, notice(74, MsgIcon::Question)));
    expectCurrent(data("Untitled.dat"));
    EXPECT_EQ(image(), tmpl);
    EXPECT_EQ(s->ChData[1][1], 43502500); // decoded again
    EXPECT_TRUE(s->errors.lines().isEmpty());
}
