#include "image/modIicDat.h"

#include "support/TestHome.h"

#include <QFile>
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

} // namespace

TEST(InitTempArray, TemplateOfAnyLengthFillsTheWholeImage)
{
    struct Case { int fileSize; };
    const Case cases[] = {{8192}, {100}, {0}, {9000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fileSize);
        QTemporaryDir dir;
        auto s = std::make_unique<AppState>();
        s->home = dir.path();
        s->IicDat.assign(8192, 0);
        const QByteArray file = patternBytes(c.fileSize);
        ASSERT_TRUE(writeFile(templatePath(*s), file));
        InitTempArray(*s);
        const QByteArray img = bytes(s->IicDat);
        ASSERT_EQ(img.size(), 8192);
        const int supplied = std::min(c.fileSize, 8192);
        EXPECT_EQ(img.left(supplied), file.left(supplied));
        EXPECT_EQ(img.mid(supplied), QByteArray(8192 - supplied, '\xFF')); // erased memory
        EXPECT_TRUE(s->errors.lines().isEmpty());
        EXPECT_EQ(QFile(templatePath(*s)).size(), c.fileSize); // read only
    }
}

TEST(InitTempArray, MissingTemplateIsListedNotCreatedAndGivesErasedMemory)
{
    QTemporaryDir dir;
    auto s = std::make_unique<AppState>();
    s->home = dir.path();
    s->IicDat.assign(4096, 0x12);
    InitTempArray(*s);
    EXPECT_EQ(bytes(s->IicDat), QByteArray(4096, '\xFF'));
    EXPECT_FALSE(QFile::exists(templatePath(*s)));
    ASSERT_EQ(s->errors.lines().size(), 2);
    EXPECT_TRUE(s->errors.lines()[1].contains(QStringLiteral("mdifrmMain->InitTempArray")));
    EXPECT_TRUE(s->errors.lines()[1].contains(QStringLiteral("53")));
}

TEST(InitTempArray, UnreadableTemplateLeavesTheImageAlone)
{
    QTemporaryDir dir;
    auto s = std::make_unique<AppState>();
    s->home = dir.path();
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Kelvex.exe"))); // a folder, not a file
    s->IicDat.assign(16, 0x12);
    InitTempArray(*s);
    EXPECT_EQ(bytes(s->IicDat), QByteArray(16, '\x12'));
    EXPECT_TRUE(s->errors.lines().last().contains(QStringLiteral("mdifrmMain->InitTempArray")));
}
