#include "settings/ProgramFolder.h"

#include "support/TestHome.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qm;
using namespace qmtest;

namespace {

// An installed tree and a user in a temporary folder:
//   prefix/bin            the executables' folder
//   prefix/share/qm570    the delivered data
//   user/qm570            the per-user folder
class ProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir().mkpath(exeDir) && QDir().mkpath(root.filePath("user")));
    }
    QString put(const QString& dir, const char* name, const QByteArray& data)
    {
        EXPECT_TRUE(QDir().mkpath(dir));
        const QString path = QDir(dir).filePath(QLatin1String(name));
        EXPECT_TRUE(writeFile(path, data)) << path.toStdString();
        return path;
    }
    // The delivered files, read-only as an installation leaves them.
    void deliver()
    {
        for (const QString& f : {put(shared, "Uninstall.exe", "shared settings"), put(shared, "Kelvex.exe", "shared template")})
            EXPECT_TRUE(QFile::setPermissions(f, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    }
    // What the user's folder holds under name: its content, or "-" when absent.
    QString userFile(const char* name) const
    {
        const QString path = QDir(userDir).filePath(QLatin1String(name));
        return QFileInfo::exists(path) ? QString::fromUtf8(readFile(path)) : QStringLiteral("-");
    }

    QTemporaryDir root;
    const QString exeDir = root.filePath("prefix/bin");
    const QString shared = root.filePath("prefix/share/qm570");
    const QString userDir = root.filePath("user/qm570");
    const QString elsewhere = root.filePath("elsewhere");
};

TEST_F(ProgramFolderTest, ChoosesByLayoutAndPreparesOnlyTheDesktopsUserFolder)
{
    enum Where { Home, Exe, User, Shared };
    // userSettingsAfter: "-" = absent
    const struct { const char* name; bool home, exeSettings, delivered, userSettings, userTemplate; FolderAccess access;
                   Where expected; FolderOrigin origin; const char* userSettingsAfter; const char* userTemplateAfter; } cases[] = {
        {"--home wins over everything", true, true, true, true, false, FolderAccess::ReadWrite, Home,
         FolderOrigin::HomeOption, "user settings", "-"},
        {"portable copy keeps its own folder", false, true, true, false, false, FolderAccess::ReadWrite, Exe,
         FolderOrigin::ExecutableFolder, "-", "-"},
        {"portable copy, tool", false, true, true, true, true, FolderAccess::ReadOnly, Exe,
         FolderOrigin::ExecutableFolder, "user settings", "user template"},
        {"installed, first start: both delivered files copied", false, false, true, false, false,
         FolderAccess::ReadWrite, User, FolderOrigin::UserFolder, "shared settings", "shared template"},
        {"installed: the user's settings are kept, a lost template comes back", false, false, true, true, false,
         FolderAccess::ReadWrite, User, FolderOrigin::UserFolder, "user settings", "shared template"},
        {"installed: nothing of the user's is overwritten", false, false, true, true, true, FolderAccess::ReadWrite,
         User, FolderOrigin::UserFolder, "user settings", "user template"},
        {"installed, share gone: the user's own folder still serves", false, false, false, true, true,
         FolderAccess::ReadWrite, User, FolderOrigin::UserFolder, "user settings", "user template"},
        {"installed tool: the user's settings, nothing copied", false, false, true, true, false,
         FolderAccess::ReadOnly, User, FolderOrigin::UserFolder, "user settings", "-"},
        {"installed tool before the first desktop start: the shared data", false, false, true, false, false,
         FolderAccess::ReadOnly, Shared, FolderOrigin::SharedData, "-", "-"},
        {"lone executable, desktop: its own folder as always", false, false, false, false, false,
         FolderAccess::ReadWrite, Exe, FolderOrigin::ExecutableFolder, "-", "-"},
        {"lone executable, tool", false, false, false, false, false, FolderAccess::ReadOnly, Exe,
         FolderOrigin::ExecutableFolder, "-", "-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(QDir(root.path()).removeRecursively() && QDir().mkpath(exeDir));
        if (c.exeSettings)
            put(exeDir, "Uninstall.exe", "portable settings");
        if (c.delivered)
            deliver();
        if (c.userSettings)
            put(userDir, "Uninstall.exe", "user settings");
        if (c.userTemplate)
            put(userDir, "Kelvex.exe", "user template");
        const bool userFolderBefore = QFileInfo::exists(userDir);

        QString error;
        const auto folder = resolveProgramFolder(c.home ? elsewhere : QString(), {exeDir, userDir}, c.access, &error);
        ASSERT_TRUE(folder.has_value()) << error.toStdString();
        const QString expected[] = {elsewhere, exeDir, userDir, shared};
        EXPECT_EQ(folder->path, QDir::cleanPath(expected[c.expected]));
        EXPECT_EQ(folder->origin, c.origin);
        EXPECT_EQ(userFile("Uninstall.exe"), QLatin1String(c.userSettingsAfter));
        EXPECT_EQ(userFile("Kelvex.exe"), QLatin1String(c.userTemplateAfter));
        // Copied settings are the user's to write, whatever the installed mode.
        if (QFileInfo::exists(QDir(userDir).filePath("Uninstall.exe"))) {
            EXPECT_TRUE(QFileInfo(QDir(userDir).filePath("Uninstall.exe")).permissions() & QFileDevice::WriteOwner);
        }
        if (c.origin != FolderOrigin::UserFolder || c.access == FolderAccess::ReadOnly) {
            EXPECT_EQ(QFileInfo::exists(userDir), userFolderBefore) << "the user's folder was created";
        }
        // The choice alone never creates anything and agrees with the resolution.
        EXPECT_EQ(chooseProgramFolder(c.home ? elsewhere : QString(), {exeDir, userDir}, c.access).path, folder->path);
    }
}

TEST_F(ProgramFolderTest, FailuresNameTheCauseAndLeaveNoSettingsBehind)
{
    // names: the file or folder the message names
    const struct { const char* name; QString userDir; QByteArray deliveredTemplate; const char* says; QString names; } cases[] = {
        {"user folder is a file", root.filePath("user/file"), "t", "it is a file", root.filePath("user/file")},
        {"user folder cannot be made", root.filePath("user/file/qm570"), "t", "cannot create the program folder",
         root.filePath("user/file/qm570")},
        {"no data home at all", QString(), "t", "is HOME set", QString()},
        {"delivered template far too large", userDir, QByteArray(5 * 1024 * 1024, 'x'), "too large",
         QDir(shared).filePath("Kelvex.exe")},
    };
    put(root.filePath("user"), "file", "in the way");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        put(shared, "Uninstall.exe", "shared settings");
        put(shared, "Kelvex.exe", c.deliveredTemplate);
        QString error;
        EXPECT_FALSE(resolveProgramFolder({}, {exeDir, c.userDir}, FolderAccess::ReadWrite, &error).has_value());
        EXPECT_TRUE(error.contains(QLatin1String(c.says)) && error.contains(c.names)) << error.toStdString();
        // A settings file without its template would make the tool pick a half-made folder.
        if (!c.userDir.isEmpty()) {
            EXPECT_FALSE(QFileInfo::exists(QDir(c.userDir).filePath("Uninstall.exe")));
        }
        // The tool still works from the shared data.
        EXPECT_EQ(chooseProgramFolder({}, {exeDir, c.userDir}, FolderAccess::ReadOnly).origin, FolderOrigin::SharedData);
    }
}

TEST(ProgramFolderPaths, SharedDataLiesBesideTheExecutablesFolder)
{
    const struct {
        QString exe, shared;
    } cases[] = {
        {"/usr/bin", "/usr/share/qm570"},
        {"/opt/qm570/bin/", "/opt/qm570/share/qm570"},
        {"/usr/local/bin/../bin", "/usr/local/share/qm570"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sharedDataDir(c.exe), c.shared) << c.exe.toStdString();
    EXPECT_TRUE(userProgramDir().endsWith(QLatin1String("/qm570")));
}

} // namespace
