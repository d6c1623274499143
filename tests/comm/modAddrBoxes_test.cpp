#include "comm/modAddrBoxes.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace qm;

namespace {

class AddrBoxTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<AppState> s = std::make_unique<AppState>();
    void SetUp() override { s->profile.setPath(dir.filePath(QStringLiteral("Uninstall.exe"))); }
    QString key(AddrBox b) const { return s->profile.read("Setting", addrBoxKey(b), "<none>", 15); }
};

} // namespace

TEST_F(AddrBoxTest, ChangeWritesTextAndTakesHexValue)
{
    struct Case { AddrBox box; const char* text; int16_t value; };
    const Case cases[] = {
        {AddrBox::ReadStart, "0100", 0x0100}, {AddrBox::ReadEnd, "10F", 0x010F},
        {AddrBox::WriteStart, "0", 0},        {AddrBox::WriteEnd, "fff", 0x0FFF},
        {AddrBox::TableMax, "FFFF", -1},      // four digits wrap into the signed range
    };
    for (const auto& c : cases) {
        AddrBoxChanged(*s, c.box, QString::fromLatin1(c.text));
        EXPECT_EQ(addrBoxValue(*s, c.box), c.value) << c.text;
        EXPECT_EQ(addrBoxText(*s, c.box), QString::fromLatin1(c.text));
        EXPECT_EQ(key(c.box), QString::fromLatin1(c.text));
    }
    EXPECT_TRUE(s->errors.lines().isEmpty());
}

TEST_F(AddrBoxTest, BadTextIsWrittenListedAndKeepsTheValue)
{
    struct Case { AddrBox box; const char* text; const char* label; };
    const Case cases[] = {
        {AddrBox::ReadStart, "12G4", "frmCommun->txtReadStartAddr_Change"},
        {AddrBox::ReadEnd, "", "frmCommun->txtReadEndAddr_Change"},
        {AddrBox::WriteStart, "10000", "frmCommun->txtWriteStartAddr_Change"}, // does not fit 16 bits
        {AddrBox::WriteEnd, "-1", "frmCommun->txtWriteEndAddr_Change"},
        {AddrBox::TableMax, "1 FF", "frmCommun->txtMaxAddr_Change"},
    };
    for (const auto& c : cases) {
        addrBoxValue(*s, c.box) = 0x0123;
        addrBoxText(*s, c.box) = QStringLiteral("0123");
        const int before = s->errors.ErrListIdx();
        AddrBoxChanged(*s, c.box, QString::fromLatin1(c.text));
        EXPECT_EQ(addrBoxValue(*s, c.box), 0x0123) << c.text;
        EXPECT_EQ(key(c.box), QString::fromLatin1(c.text));
        ASSERT_EQ(s->errors.ErrListIdx(), before + 2) << c.text;
        EXPECT_TRUE(s->errors.lines().last().contains(QString::fromLatin1(c.label))) << c.text;
    }
}

TEST_F(AddrBoxTest, ProgramAssignmentRunsHandlerOnlyWhenTextChanges)
{
    SetAddrBoxText(*s, AddrBox::ReadEnd, QString());
    EXPECT_FALSE(QFile::exists(s->profile.path())); // "" into an empty box: no change
    // Typing on the way to 1FFF: every keystroke rewrites the key, the last text counts.
    for (const char* t : {"1", "1F", "1FF", "1FFF"})
        SetAddrBoxText(*s, AddrBox::ReadEnd, QString::fromLatin1(t));
    EXPECT_EQ(s->settings.ReadEndAddr, 0x1FFF);
    EXPECT_EQ(key(AddrBox::ReadEnd), QStringLiteral("1FFF"));
    ASSERT_TRUE(s->profile.write("Setting", "ReadEndAddr", "other"));
    SetAddrBoxText(*s, AddrBox::ReadEnd, QStringLiteral("1FFF")); // same text: nothing runs
    EXPECT_EQ(key(AddrBox::ReadEnd), QStringLiteral("other"));
}
