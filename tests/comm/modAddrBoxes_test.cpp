#include "comm/modAddrBoxes.h"
#include "shell/AppState.h"

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
    void SetUp() override { s->settings.profile.setPath(dir.filePath(QStringLiteral("Uninstall.exe"))); }
    QString key(AddrBox b) const { return s->settings.profile.read("Setting", addrBoxKey(b), "<none>", 15); }
};

} // namespace

// The key always gets the text as typed; a text that is not a 16-bit
// hexadecimal number is listed under the box's label and keeps the value.
TEST_F(AddrBoxTest, ChangeWritesTheTextAndTakesItsHexValue)
{
    // label: nullptr when the text is accepted
    const struct { AddrBox box; const char* text; int16_t value; const char* label; } cases[] = {
        {AddrBox::ReadStart, "0100", 0x0100, nullptr},
        {AddrBox::WriteEnd, "fff", 0x0FFF, nullptr},
        {AddrBox::TableMax, "FFFF", -1, nullptr}, // four digits wrap into the signed range
        {AddrBox::ReadStart, "12G4", 0x0123, "frmCommun->txtReadStartAddr_Change"},
        {AddrBox::ReadEnd, "", 0x0123, "frmCommun->txtReadEndAddr_Change"},
        {AddrBox::WriteStart, "10000", 0x0123, "frmCommun->txtWriteStartAddr_Change"},
        {AddrBox::WriteEnd, "-1", 0x0123, "frmCommun->txtWriteEndAddr_Change"},
        {AddrBox::TableMax, "1 FF", 0x0123, "frmCommun->txtMaxAddr_Change"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        addrBoxValue(s->settings, c.box) = 0x0123;
        const int before = s->errors.ErrListIdx();
        AddrBoxChanged(*s, c.box, QString::fromLatin1(c.text));
        EXPECT_EQ(addrBoxValue(s->settings, c.box), c.value);
        EXPECT_EQ(addrBoxText(s->settings, c.box), QString::fromLatin1(c.text));
        EXPECT_EQ(key(c.box), QString::fromLatin1(c.text));
        ASSERT_EQ(s->errors.ErrListIdx(), before + (c.label ? 2 : 0));
        EXPECT_TRUE(!c.label || s->errors.lines().last().contains(QString::fromLatin1(c.label)));
    }
}

TEST_F(AddrBoxTest, ProgramAssignmentRunsHandlerOnlyWhenTextChanges)
{
    SetAddrBoxText(*s, AddrBox::ReadEnd, QString());
    EXPECT_FALSE(QFile::exists(s->settings.profile.path())); // "" into an empty box: no change
    for (const char* t : {"1", "1F", "1FF", "1FFF"})
        SetAddrBoxText(*s, AddrBox::ReadEnd, QString::fromLatin1(t));
    EXPECT_EQ(s->settings.ReadEndAddr, 0x1FFF);
    EXPECT_EQ(key(AddrBox::ReadEnd), QStringLiteral("1FFF"));
    ASSERT_TRUE(s->settings.profile.write("Setting", "ReadEndAddr", "other"));
    SetAddrBoxText(*s, AddrBox::ReadEnd, QStringLiteral("1FFF")); // same text: nothing runs
    EXPECT_EQ(key(AddrBox::ReadEnd), QStringLiteral("other"));
}
