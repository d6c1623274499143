#include "image/modDataFile.h"

#include "channels/modChMem.h"

#include "support/ChInfoFixture.h"
#include "support/ScriptedUi.h"
#include "support/TestHome.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace qm;
using namespace qmtest;

namespace {

QByteArray bytes(const std::vector<uint8_t>& v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
}

// A program that has started: a settings file with the channel grid
// definition, the delivered 8 KiB template loaded and decoded, data folder made.
class DataFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<AppState> s = std::make_unique<AppState>();
    ScriptedUi ui;
    QByteArray tmpl = deliveredTemplate();

    void SetUp() override
    {
        ASSERT_EQ(tmpl.size(), 8192);
        s->home = dir.path();
        s->profile.setPath(dir.filePath(QStringLiteral("Uninstall.exe")));
        ASSERT_TRUE(writeChInfoSection(s->profile.path()));
        fillShellTexts(*s);
        s->settings.DatNum = 8191;
        s->IicDat.assign(8192, 0);
        ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("Kelvex.exe")), tmpl));
        GetValidCharTbl(*s);
        InitChMem(*s);
        GenerateDatFolder(*s);
        NewFileSol(*s);
        ASSERT_EQ(bytes(s->IicDat), tmpl);
        ASSERT_TRUE(s->errors.lines().isEmpty()) << s->errors.lines().join(QLatin1Char('\n')).toStdString();
    }

    // A data file of another radio: the template with channel 1 on another
    // receive frequency (435.05 instead of 435.025 MHz).
    QByteArray otherRadio() const
    {
        QByteArray b = tmpl;
        b[0x11] = 0x50;
        return b;
    }

    QString data(const QString& name) const { return dir.path() + QStringLiteral("/Data/") + name; }

    bool listed(const QString& label) const
    {
        for (const QString& l : s->errors.lines())
            if (l.contains(QStringLiteral(" ") + label + QStringLiteral(" ")))
                return true;
        return false;
    }

    void expectShown(size_t i, int text, MsgIcon icon) const
    {
        ASSERT_GT(ui.shown.size(), i);
        EXPECT_EQ(ui.shown[i].prompt, s->text(text));
        EXPECT_EQ(ui.shown[i].title, QStringLiteral("Notice"));
        EXPECT_EQ(ui.shown[i].icon, icon);
    }
};

// The bytes the channel and option encoders own: records and names of
// channels 1..100, the option block and the fill before the names.
bool codecOwned(int addr)
{
    return (addr >= 0x0010 && addr < 0x07F0) || (addr >= 0x0E00 && addr <= 0x0E75);
}

} // namespace

TEST_F(DataFileTest, DataFolderAndDefaultPath)
{
    const QString path = data(QStringLiteral("Untitled.dat"));
    EXPECT_TRUE(QFileInfo(dir.path() + QStringLiteral("/Data")).isDir());
    EXPECT_EQ(s->defaultPath, path);
    EXPECT_EQ(s->currentPath, path);
    EXPECT_EQ(s->statusPanel[3], QStringLiteral("File Name:") + path);
    EXPECT_FALSE(QFile::exists(path)); // made only by a save
}

TEST_F(DataFileTest, OpenLoadsShortAndLongFilesCompletely)
{
    struct Case { int size; };
    for (const auto& c : {Case{8192}, Case{10}, Case{9000}}) {
        SCOPED_TRACE(c.size);
        const QString path = data(QStringLiteral("radio%1.dat").arg(c.size));
        const QByteArray file = patternBytes(c.size, c.size);
        ASSERT_TRUE(writeFile(path, file));
        ui.openNames = {path};
        OpenFile(*s, ui);
        const int supplied = std::min(c.size, 8192);
        EXPECT_EQ(bytes(s->IicDat).left(supplied), file.left(supplied));
        EXPECT_EQ(bytes(s->IicDat).mid(supplied), QByteArray(8192 - supplied, '\xFF'));
        EXPECT_EQ(s->IicDat.size(), 8192u);
        EXPECT_EQ(s->currentPath, path);
        EXPECT_EQ(s->statusPanel[3], QStringLiteral("File Name:") + path);
    }
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(ui.filters.first(), QStringLiteral("Data File(*.dat)|*.dat"));
    EXPECT_EQ(ui.openStarts.first(), data(QStringLiteral("Untitled.dat")));
}

TEST_F(DataFileTest, OpenThatFailsChangesNothingAndSaysWrongFileType)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.dat")));
    for (const QString& bad : {data(QStringLiteral("missing.dat")), dir.filePath(QStringLiteral("folder.dat"))}) {
        SCOPED_TRACE(bad.toStdString());
        ui.shown.clear();
        const QString panel = s->statusPanel[3];
        ui.openNames = {bad};
        OpenFile(*s, ui);
        EXPECT_EQ(bytes(s->IicDat), tmpl);
        EXPECT_EQ(s->currentPath, data(QStringLiteral("Untitled.dat")));
        EXPECT_EQ(s->statusPanel[3], panel);
        EXPECT_TRUE(listed(QStringLiteral("mdifrmMain->OpenFile")));
        ASSERT_EQ(ui.shown.size(), 1u);
        expectShown(0, 83, MsgIcon::Critical);
    }
    QString err;
    EXPECT_FALSE(OpenDataFile(*s, data(QStringLiteral("missing.dat")), &err));
    EXPECT_TRUE(err.contains(QStringLiteral("missing.dat"))) << err.toStdString();
}

TEST_F(DataFileTest, CancelInAnyDialogChangesNothing)
{
    ui.answers = {MsgAnswer::Yes};
    OpenFile(*s, ui);     // cancelled open
    SaveFile(*s, ui);     // Yes, then cancelled save dialog
    SaveAsFile(*s, ui);   // cancelled save dialog
    EXPECT_EQ(bytes(s->IicDat), tmpl);
    EXPECT_EQ(s->currentPath, data(QStringLiteral("Untitled.dat")));
    EXPECT_EQ(QDir(dir.path() + QStringLiteral("/Data")).entryList(QDir::Files), QStringList());
    EXPECT_EQ(ui.shown.size(), 1u); // only the save question
    EXPECT_TRUE(s->errors.lines().isEmpty()) << s->errors.lines().join(QLatin1Char(0x0A)).toStdString();
}

TEST_F(DataFileTest, SaveAsksEveryTimeAndWritesTheWholeImage)
{
    ui.answers = {MsgAnswer::No};
    SaveFile(*s, ui);
    EXPECT_TRUE(ui.saveStarts.isEmpty()); // No: no dialog
    expectShown(0, 82, MsgIcon::Question);
    EXPECT_EQ(ui.shown[0].buttons, MsgButtons::YesNo);

    const QString path = data(QStringLiteral("mine.dat"));
    ui.answers = {MsgAnswer::Yes};
    ui.saveNames = {{path, false}};
    SaveFile(*s, ui);
    EXPECT_EQ(ui.saveStarts.first(), data(QStringLiteral("Untitled.dat")));
    EXPECT_EQ(ui.defaultExts.first(), QStringLiteral("dat"));
    EXPECT_EQ(readFile(path), bytes(s->IicDat));
    EXPECT_EQ(readFile(path).size(), 8192);
    EXPECT_EQ(s->currentPath, path);
    EXPECT_EQ(s->statusPanel[3], QStringLiteral("File Name:") + path);
    EXPECT_EQ(ui.shown.size(), 2u); // the two questions, no failure
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(dir.path() + QStringLiteral("/Data")).entryList(QDir::Files), QStringList{QStringLiteral("mine.dat")});
}

TEST_F(DataFileTest, OpenThenSaveAsGivesTheSameFileOutsideCodecBytes)
{
    const QString opened = data(QStringLiteral("radio.dat"));
    const QByteArray file = patternBytes(8192, 77);
    ASSERT_TRUE(writeFile(opened, file));
    ui.openNames = {opened};
    OpenFile(*s, ui);
    const QString copy = data(QStringLiteral("copy.dat"));
    ui.saveNames = {{copy, false}};
    SaveAsFile(*s, ui);
    const QByteArray saved = readFile(copy);
    ASSERT_EQ(saved.size(), 8192);
    for (int a = 0; a < 8192; ++a) {
        if (!codecOwned(a)) {
            ASSERT_EQ(saved[a], file[a]) << "address " << a;
        }
    }
    EXPECT_EQ(s->currentPath, copy);
}

TEST_F(DataFileTest, SaveAsToAFolderIsRefused)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.dat")));
    ui.saveNames = {{dir.filePath(QStringLiteral("folder.dat")), false}, {data(QStringLiteral("x.dat")), true}};
    SaveAsFile(*s, ui); // a folder
    SaveAsFile(*s, ui); // the dialog itself refused the name
    EXPECT_TRUE(listed(QStringLiteral("mdifrmMain->SaveAsFile")));
    ASSERT_EQ(ui.shown.size(), 2u);
    expectShown(0, 86, MsgIcon::Critical);
    expectShown(1, 86, MsgIcon::Critical);
    EXPECT_FALSE(QFile::exists(data(QStringLiteral("x.dat"))));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("folder.dat"))).isDir());
    EXPECT_EQ(s->currentPath, data(QStringLiteral("Untitled.dat")));
}

TEST_F(DataFileTest, FailedWriteSaysSoAndKeepsPathAndOldFile)
{
    // A name inside a folder that does not exist cannot be written.
    const QString bad = dir.filePath(QStringLiteral("gone/radio.dat"));
    ui.saveNames = {{bad, false}};
    const QString panel = s->statusPanel[3];
    SaveAsFile(*s, ui);
    EXPECT_TRUE(listed(QStringLiteral("mdifrmMain->SaveDatFile")));
    ASSERT_EQ(ui.shown.size(), 1u);
    expectShown(0, 84, MsgIcon::Critical);
    EXPECT_EQ(s->currentPath, data(QStringLiteral("Untitled.dat")));
    EXPECT_EQ(s->statusPanel[3], panel);
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("gone"))).exists());

    QString err;
    EXPECT_FALSE(SaveDataFileTo(*s, bad, &err));
    EXPECT_TRUE(err.contains(QStringLiteral("radio.dat"))) << err.toStdString();
    EXPECT_TRUE(SaveDataFileTo(*s, data(QStringLiteral("ok.dat")), &err));
    EXPECT_EQ(s->currentPath, data(QStringLiteral("ok.dat")));
}

TEST_F(DataFileTest, NewAsksAndOnYesReturnsToTheTemplateAndDefaultPath)
{
    const QString opened = data(QStringLiteral("radio.dat"));
    ASSERT_TRUE(writeFile(opened, otherRadio()));
    ASSERT_TRUE(OpenDataFile(*s, opened));
    EXPECT_EQ(s->ChData[1][1], 43505000);

    ui.answers = {MsgAnswer::No, MsgAnswer::Yes};
    NewFile(*s, ui);
    EXPECT_EQ(s->currentPath, opened);
    EXPECT_EQ(bytes(s->IicDat), otherRadio());
    expectShown(0, 74, MsgIcon::Question);

    NewFile(*s, ui);
    EXPECT_EQ(s->currentPath, data(QStringLiteral("Untitled.dat")));
    EXPECT_EQ(s->statusPanel[3], QStringLiteral("File Name:") + data(QStringLiteral("Untitled.dat")));
    EXPECT_EQ(bytes(s->IicDat), tmpl);
    EXPECT_EQ(s->ChData[1][1], 43502500); // decoded again
    EXPECT_TRUE(s->errors.lines().isEmpty()) << s->errors.lines().join(QLatin1Char(0x0A)).toStdString();
}
