#include "image/modIicDat.h"
#include "shell/AppState.h"

#include "support/TestHome.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace qm;

// Templates of other lengths go through the same loader as data files (see
// the Open and tool start-up tests); here the template's own failure rules.
TEST(InitTempArray, MissingTemplateGivesErasedMemoryAndUnreadableOneKeepsTheImage)
{
    QTemporaryDir dir;
    auto s = std::make_unique<AppState>();
    s->settings.home = dir.path();
    s->doc.IicDat.assign(4096, 0x12);
    InitTempArray(*s);
    EXPECT_EQ(s->doc.IicDat, std::vector<uint8_t>(4096, 0xFF));
    EXPECT_FALSE(QFile::exists(templatePath((*s).settings))); // never created
    ASSERT_EQ(s->errors.lines().size(), 2);
    EXPECT_TRUE(s->errors.lines()[1].contains(QStringLiteral("mdifrmMain->InitTempArray")));
    EXPECT_TRUE(s->errors.lines()[1].contains(QStringLiteral("文件找不到")));

    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Kelvex.exe"))); // a folder, not a file
    s->doc.IicDat.assign(16, 0x12);
    InitTempArray(*s);
    EXPECT_EQ(s->doc.IicDat, std::vector<uint8_t>(16, 0x12));
    ASSERT_EQ(s->errors.lines().size(), 4);
    EXPECT_TRUE(s->errors.lines()[3].contains(QStringLiteral("mdifrmMain->InitTempArray")));

    ASSERT_TRUE(QDir(dir.path()).rmdir(QStringLiteral("Kelvex.exe")));
    ASSERT_TRUE(qmtest::writeFile(templatePath((*s).settings), QByteArray(20, '\x07')));
    InitTempArray(*s);
    EXPECT_EQ(s->doc.IicDat, std::vector<uint8_t>(16, 0x07)); // cut to the image's size
    EXPECT_EQ(qmtest::readFile(templatePath((*s).settings)).size(), 20); // read only
}
