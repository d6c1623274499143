#include "shell/modDataFile.h"
#include "shell/AppState.h"
#include "settings/SoftFaceTexts.h"

#include "shell/mdimoduMain.h"
#include "shell/modStartup.h"

#include "support/DeliveredHome.h"
#include "support/ScriptedUi.h"
#include "support/TestHome.h"
#include "settings/SafeFile.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <memory>

using namespace qm;
using namespace qmtest;

namespace {

// The program started on the delivered data, in Chinese (where texts 84 and 86
// differ), with its data folder made.
class DataFileTest : public DeliveredProgramTest {
protected:
    ScriptedUi ui;
    QByteArray tmpl = deliveredTemplate();

    void SetUp() override
    {
        DeliveredProgramTest::SetUp();
        s->settings.Language = 1;
        InitSoftFaceStr((*s).settings);
        GenerateDatFolder(*s);
        ASSERT_EQ(image(), tmpl);
        ASSERT_TRUE(s->errors.lines().isEmpty()) << s->errors.lines().join(QLatin1Char('\n')).toStdString();
    }

    QByteArray image() const { return imageBytes(*s); }
    QString data(const char* name) const { return home.path() + QStringLiteral("/Data/") + QLatin1String(name); }
    QStringList dataFiles() const { return QDir(home.path() + QStringLiteral("/Data")).entryList(QDir::Files); }
    bool listed(const char* label) const
    {
        return s->errors.lines().join(QLatin1Char('\n')).contains(QStringLiteral(" %1 ").arg(QLatin1String(label)));
    }
    void expectCurrent(const QString& path) const
    {
        EXPECT_EQ(s->view.currentPath, path);
        EXPECT_EQ(s->view.statusPanel[3], s->settings.text(85) + path);
    }
    // The messages shown so far as "text|title|icon", and one such expected message.
    QStringList shown() const
    {
        QStringList r;
        for (const auto& m : ui.shown)
            r << QStringLiteral("%1|%2|%3").arg(m.prompt, m.title).arg(int(m.icon));
        return r;
    }
    QString notice(int n, MsgIcon icon) const { return QStringLiteral("%1|%2|%3").arg(s->settings.text(n), s->settings.text(70)).arg(int(icon)); }
};

} // namespace

// A file of another size opens (padded with erased memory, or cut) and the
// error list says so, without a message box.
TEST_F(DataFileTest, OpenLoadsShortAndLongFilesCompletely)
{
    // listed: error number of the entry, 0 for none
    const struct { int size; int listed; const char* says; } cases[] = {
        {8192, 0, ""}, {10, 62, "it holds 10 bytes, not 8192"}, {0, 62, "it holds 0 bytes"},
        {9000, 59, "it holds more than 8192 bytes; only its first 8192 bytes are used"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        const QByteArray file = patternBytes(c.size, c.size);
        ASSERT_TRUE(writeFile(data("radio.dat"), file));
        ui.openNames = {data("radio.dat")};
        s->errors.clear();
        OpenFile(*s, ui);
        const int supplied = std::min(c.size, 8192);
        EXPECT_EQ(image(), file.left(supplied) + QByteArray(8192 - supplied, '\xFF')); // the rest is erased memory
        expectCurrent(data("radio.dat"));
        // (a pattern is no radio's memory: the decoders list much of it)
        const auto listed = listedUnder(*s, QStringLiteral("mdifrmMain->OpenFile"));
        ASSERT_EQ(listed.size(), c.listed ? 1u : 0u);
        if (c.listed) {
            EXPECT_TRUE(listed[0].number == c.listed && listed[0].object == data("radio.dat") && listed[0].reason.contains(QLatin1String(c.says)))
                << listed[0].text().toStdString();
        }
    }
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(ui.filters.first(), QStringLiteral("Data File(*.dat)|*.dat"));
    EXPECT_EQ(ui.openStarts.first(), data("Untitled.dat"));
}

// Save asks every time and writes the whole image under the chosen name; New
// asks, and on Yes returns to the template (decoded again) and the default
// path; a template that cannot be read leaves the image as it was.
TEST_F(DataFileTest, SaveAndNewAskFirstThenWriteOrReturnToTheTemplate)
{
    ui.answers = {MsgAnswer::No, MsgAnswer::Yes, MsgAnswer::No, MsgAnswer::Yes, MsgAnswer::Yes};
    SaveFile(*s, ui);
    EXPECT_TRUE(ui.saveStarts.isEmpty()); // No: no dialog
    QByteArray other = tmpl;
    other[0x11] = 0x50; // channel 1 on 435.05 instead of 435.025 MHz
    ASSERT_TRUE(writeFile(data("radio.dat"), other));
    ASSERT_TRUE(OpenDataFile(*s, data("radio.dat")));
    EXPECT_EQ(s->doc.ChData[1][1], 43505000);
    ui.saveNames = {{data("mine.dat"), false}};
    SaveFile(*s, ui);
    EXPECT_EQ(ui.saveStarts.first(), data("radio.dat"));
    EXPECT_EQ(ui.defaultExts.first(), QStringLiteral("dat"));
    EXPECT_EQ(readFile(data("mine.dat")), other);
    expectCurrent(data("mine.dat"));
    EXPECT_EQ(dataFiles(), (QStringList{"mine.dat", "radio.dat"})); // no temporary file left

    NewFile(*s, ui); // No
    expectCurrent(data("mine.dat"));
    EXPECT_EQ(image(), other);
    NewFile(*s, ui);
    EXPECT_EQ(shown(), (QStringList{notice(82, MsgIcon::Question), notice(82, MsgIcon::Question), notice(74, MsgIcon::Question),
                                    notice(74, MsgIcon::Question)}));
    expectCurrent(data("Untitled.dat"));
    EXPECT_EQ(image(), tmpl);
    EXPECT_EQ(s->doc.ChData[1][1], 43502500); // decoded again
    EXPECT_TRUE(s->errors.lines().isEmpty());

    // A template that cannot be read (here a folder) leaves the image as it was.
    ASSERT_TRUE(OpenDataFile(*s, data("radio.dat")));
    ASSERT_TRUE(QFile::remove(home.file(QStringLiteral("Kelvex.exe"))) && QDir(home.path()).mkdir(QStringLiteral("Kelvex.exe")));
    NewFile(*s, ui);
    EXPECT_EQ(image(), other);
    EXPECT_TRUE(listed("mdifrmMain->InitTempArray"));
}

// Cancel, a file that cannot be opened or is a device (text 83), a name that
// is a folder or that the dialog refused (text 86), and Save As onto the
// program's own files, anything that is no regular file, or a full disk (text
// 84) change nothing: image, path, settings, template and the old file stay,
// no temporary file is left, and the list says why.
TEST_F(DataFileTest, CancelsRefusalsAndFailedSavesChangeNothing)
{
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("folder.dat")));
    ui.openNames = {data("missing.dat"), home.file(QStringLiteral("folder.dat")), QString(), QStringLiteral("/dev/zero")};
    ui.answers = {MsgAnswer::Yes};
    ui.saveNames = {{QString(), false}, {QString(), false}, {home.file(QStringLiteral("folder.dat")), false}, {data("x.dat"), true}};
    for (int i = 0; i < 4; ++i)
        OpenFile(*s, ui);
    SaveFile(*s, ui); // Yes, then cancelled save dialog
    for (int i = 0; i < 3; ++i)
        SaveAsFile(*s, ui);
    EXPECT_TRUE(listed("mdifrmMain->OpenFile"));
    EXPECT_TRUE(listed("mdifrmMain->SaveAsFile"));
    EXPECT_EQ(shown(), (QStringList{notice(83, MsgIcon::Critical), notice(83, MsgIcon::Critical), notice(83, MsgIcon::Critical),
                                    notice(82, MsgIcon::Question), notice(86, MsgIcon::Critical), notice(86, MsgIcon::Critical)}));
    EXPECT_TRUE(QFileInfo(home.file(QStringLiteral("folder.dat"))).isDir());
    EXPECT_EQ(dataFiles(), QStringList());

    const QString fifo = home.file(QStringLiteral("pipe.dat"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QByteArray settings = readFile(home.file(QStringLiteral("Uninstall.exe"))), old = patternBytes(8192, 9);
    ASSERT_TRUE(writeFile(data("mine.dat"), old));
    // writeFails: error the write of the temporary file meets (0: none)
    const struct { QString target; int number; const char* reason; int writeFails; } cases[] = {
        {home.file(QStringLiteral("Uninstall.exe")), 75, "it is the settings file", 0},
        {home.path() + QStringLiteral("/Data/../Kelvex.exe"), 75, "it is the template image", 0},
        {QStringLiteral("/dev/full"), 75, "not a regular file", 0},
        {fifo, 75, "it is a pipe", 0},
        {data("mine.dat"), 61, "No space left on device", ENOSPC},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target.toStdString());
        setSaveFaultForTesting([&](SaveStep at, const QString&) { return at == SaveStep::Write ? c.writeFails : 0; });
        ui.shown.clear();
        ui.saveNames = {{c.target, false}};
        SaveAsFile(*s, ui);
        const ErrorEntry& e = s->errors.entries().back();
        EXPECT_EQ(e.label, QStringLiteral("mdifrmMain->SaveDatFile"));
        EXPECT_TRUE(e.error.number == c.number && e.error.object == c.target && e.error.reason.contains(QLatin1String(c.reason)))
            << e.error.text().toStdString();
        EXPECT_EQ(shown(), QStringList{notice(84, MsgIcon::Critical)});
    }
    setSaveFaultForTesting({});
    EXPECT_EQ(readFile(home.file(QStringLiteral("Uninstall.exe"))), settings);
    EXPECT_EQ(readFile(home.file(QStringLiteral("Kelvex.exe"))), tmpl);
    EXPECT_EQ(readFile(data("mine.dat")), old);
    EXPECT_EQ(QDir(home.path() + QStringLiteral("/Data")).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("mine.dat")});
    EXPECT_EQ(image(), tmpl);
    expectCurrent(data("Untitled.dat"));
}
