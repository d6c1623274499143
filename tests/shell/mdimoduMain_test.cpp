#include "shell/mdimoduMain.h"
#include "support/ScriptedUi.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <set>

using namespace qm;

namespace {

AppState stateIn(int16_t language)
{
    AppState s;
    s.settings.Language = language;
    InitSoftFaceStr(s);
    return s;
}

// Entries both sets fill with the empty string (0..409).
std::set<int> reservedEmpty()
{
    const std::pair<int, int> ranges[] = {
        {9, 15},    {17, 19},   {58, 59},   {65, 65},   {67, 67},   {69, 69},   {97, 99},   {103, 104},
        {107, 109}, {111, 111}, {115, 115}, {117, 119}, {125, 129}, {158, 159}, {168, 169}, {173, 174},
        {177, 178}, {182, 182}, {188, 199}, {201, 204}, {216, 216}, {238, 241}, {260, 261}, {265, 265},
        {269, 269}, {278, 281}, {290, 290}, {304, 306}, {309, 309}, {311, 404}, {407, 409},
    };
    std::set<int> r;
    for (auto [a, b] : ranges)
        for (int i = a; i <= b; ++i)
            r.insert(i);
    return r;
}

const QString kSentinel = QStringLiteral("untouched");

} // namespace

TEST(SoftFaceStr, SpotChecksInBothLanguages)
{
    struct Row {
        int n;
        const char* en;
        const char* zh;
    };
    const Row rows[] = {
        {0, "New", "新建"},
        {16, "QM570 Radio Software", "QM570写频软件"},
        {35, "&English", "English(&E)"},
        {68, "Language has changed, you need to restart the software.",
         "Language has changed, you need to restart the software."},
        {70, "Notice", "提示"},
        {73, "Are you sure want to exit?", "你要退出吗?"},
        {75, "Failed to open port,Please set communication port first!",
         "通信端口未设置,请先选择 \"设置\" -> \"通信端口\" 选择串口"},
        {79, "Communication failed,please check commuication port!", "通信出错，请检查连线及串口的选择!"},
        {84, "Save file failed!", "保存文件出错!"},
        {86, "Save file failed!", "写文件出错!"},
        {89, "Frequency range is not right，continue?", "频段不符,是否继续?"},
        {105, "Printing，Please wait...", "正在打印，请稍候..."},
        {162, "MCU Ver：", "MCU版本："},
        {175, "Rx：Communication failed! No receive Data!", "Rx：通信失败！没有接收到数据！"},
        {179, "Unknown Time", "未知时间"},
        {300, "QM570", "QM570"},
        {405, "Read", "读频"},
    };
    const AppState en = stateIn(3);
    const AppState zh = stateIn(1);
    for (const Row& r : rows) {
        EXPECT_EQ(en.text(r.n), QString::fromUtf8(r.en)) << "entry " << r.n;
        EXPECT_EQ(zh.text(r.n), QString::fromUtf8(r.zh)) << "entry " << r.n;
    }
}

TEST(SoftFaceStr, FilledReservedAndUntouchedEntries)
{
    const std::set<int> empties = reservedEmpty();
    for (int16_t lang : {int16_t(1), int16_t(3)}) {
        AppState s;
        s.settings.Language = lang;
        s.SoftFaceStr.fill(kSentinel);
        InitSoftFaceStr(s);
        for (int n = 0; n < kSoftFaceCount; ++n) {
            const QString& t = s.SoftFaceStr[size_t(n)];
            if (n >= 136 && n <= 139)
                EXPECT_EQ(t, kSentinel) << "lang " << lang << " entry " << n;
            else if (n >= 410)
                EXPECT_EQ(t, lang == 1 ? QString() : kSentinel) << "lang " << lang << " entry " << n;
            else if (empties.count(n))
                EXPECT_TRUE(t.isEmpty()) << "lang " << lang << " entry " << n;
            else
                EXPECT_FALSE(t.isEmpty() || t == kSentinel) << "lang " << lang << " entry " << n;
        }
    }
}

TEST(SoftFaceStr, LanguageNormalisation)
{
    AppState tc = stateIn(2);
    EXPECT_EQ(tc.settings.Language, 2);
    for (const QString& t : tc.SoftFaceStr)
        EXPECT_TRUE(t.isEmpty());

    for (int16_t odd : {int16_t(5), int16_t(0), int16_t(-1), int16_t(7)}) {
        AppState s = stateIn(odd);
        EXPECT_EQ(s.settings.Language, 3) << odd;
        EXPECT_EQ(s.text(70), QStringLiteral("Notice")) << odd;
    }
}

TEST(SetSoftFace, EnglishCaptionsAndStatusPanels)
{
    AppState s = stateIn(3);
    s.settings.COM = 3;
    s.currentPath = QStringLiteral("/data/Untitled.dat");
    QList<int> told;
    s.hooks.statusPanelChanged = [&](int p) { told << p; };

    const MainCaptions c = SetSoftFace(s);
    EXPECT_EQ(c.title, QStringLiteral("QM570 Radio Software"));
    EXPECT_EQ(c.menus.size(), 31);
    const std::pair<const char*, int> menus[] = {
        {"mnuFile", 20},     {"mnuFileSaveAs", 24}, {"mnuPrintFile", 43}, {"mnuExit", 25},
        {"mnuReadWriteFre", 48}, {"mnuAddFre", 44}, {"mnuBatchTestVal", 42}, {"mnuFunc", 30},
        {"mnuMcuVer", 49},   {"mnuChLock", 47},     {"mnuLangSel0", 34},  {"mnuLangSel1", 57},
        {"mnuLangSel2", 35}, {"mnuAboutSoft", 38},
    };
    for (auto [name, n] : menus)
        EXPECT_EQ(c.menu(QString::fromLatin1(name)), s.text(n)) << name;

    QStringList keys, texts;
    for (const auto& b : c.buttons) {
        keys << b.first;
        texts << b.second;
    }
    EXPECT_EQ(keys.join(','), QStringLiteral("FileNew,FileOpen,FileSave,Read,Write,Com,Print,Help,Exit"));
    EXPECT_EQ(texts.join(','), QStringLiteral("New,Open,Save,Read,Write,Port,Print,Help,Exit"));

    EXPECT_EQ(s.statusPanel[1], QStringLiteral("Ready"));
    EXPECT_EQ(s.statusPanel[2], QStringLiteral("COM3"));
    EXPECT_EQ(s.statusPanel[3], QStringLiteral("File Name:/data/Untitled.dat"));
    EXPECT_EQ(told, (QList<int>{1, 2, 3}));
    EXPECT_TRUE(s.errors.lines().isEmpty());
}

TEST(SetSoftFace, ChineseAndTraditionalChinese)
{
    AppState zh = stateIn(1);
    zh.currentPath = QStringLiteral("a.dat");
    const MainCaptions c = SetSoftFace(zh);
    EXPECT_EQ(c.menu(QStringLiteral("mnuFile")), QStringLiteral("文件(&F)"));
    EXPECT_EQ(c.button(QStringLiteral("Com")), QStringLiteral("串口"));
    EXPECT_EQ(zh.statusPanel[1], QStringLiteral("就绪"));
    EXPECT_EQ(zh.statusPanel[3], QStringLiteral("文件名:a.dat"));

    // No texts for Traditional Chinese: the table stays empty, the main
    // window shows English rather than blank menus.
    AppState tc = stateIn(2);
    const MainCaptions t = SetSoftFace(tc);
    EXPECT_TRUE(tc.text(20).isEmpty());
    EXPECT_EQ(t.menu(QStringLiteral("mnuFile")), QStringLiteral("&File"));
    EXPECT_EQ(t.title, QStringLiteral("QM570 Radio Software"));
    EXPECT_EQ(tc.statusPanel[1], QStringLiteral("Ready"));
}

TEST(LanguageSwitch, SameLanguageDoesNothing)
{
    QTemporaryDir dir;
    AppState s = stateIn(3);
    s.profile.setPath(dir.filePath(QStringLiteral("Uninstall.exe")));
    qmtest::ScriptedUi ui;
    EXPECT_FALSE(LanguageItemClicked(s, ui, 3));
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_FALSE(QFile::exists(s.profile.path()));
    EXPECT_EQ(s.settings.Language, 3);
}

TEST(LanguageSwitch, EnglishToChineseWritesSettingAndAsksForRestart)
{
    QTemporaryDir dir;
    AppState s = stateIn(3);
    s.profile.setPath(dir.filePath(QStringLiteral("Uninstall.exe")));
    const auto before = s.SoftFaceStr;
    qmtest::ScriptedUi ui;

    EXPECT_TRUE(LanguageItemClicked(s, ui, 1));
    EXPECT_EQ(s.settings.Language, 1);
    EXPECT_EQ(checkedLanguageItem(s.settings.Language), QStringLiteral("mnuLangSel0"));
    EXPECT_EQ(s.profile.read(QStringLiteral("Setting"), QStringLiteral("Language"), QStringLiteral("x"), 10),
              QStringLiteral("1"));
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].prompt, QStringLiteral("Language has changed, you need to restart the software."));
    EXPECT_EQ(ui.shown[0].title, QStringLiteral("Message"));
    EXPECT_EQ(ui.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(ui.shown[0].icon, MsgIcon::Question);
    EXPECT_EQ(s.SoftFaceStr, before); // the texts on screen stay English
    EXPECT_TRUE(s.errors.lines().isEmpty());
}

TEST(LanguageSwitch, UnwritableSettingsFileChangesNothing)
{
    QTemporaryDir dir;
    AppState s = stateIn(1);
    s.profile.setPath(dir.filePath(QStringLiteral("missing/folder/Uninstall.exe")));
    qmtest::ScriptedUi ui;
    EXPECT_FALSE(LanguageItemClicked(s, ui, 3));
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(s.settings.Language, 1);
    ASSERT_EQ(s.errors.lines().size(), 2);
    EXPECT_TRUE(s.errors.lines()[1].contains(QStringLiteral("mdifrmMain->SwiLangFace")));
    EXPECT_TRUE(s.errors.lines()[1].contains(QStringLiteral("路径/文件访问错误")));
}

TEST(LanguageSwitch, MenuItems)
{
    EXPECT_EQ(checkedLanguageItem(1), QStringLiteral("mnuLangSel0"));
    EXPECT_EQ(checkedLanguageItem(2), QStringLiteral("mnuLangSel1"));
    EXPECT_EQ(checkedLanguageItem(3), QStringLiteral("mnuLangSel2"));
    EXPECT_EQ(checkedLanguageItem(9), QStringLiteral("mnuLangSel2"));
    EXPECT_FALSE(kLanguageMenuItems[1].visible);

    AppState s = stateIn(3);
    qmtest::ScriptedUi ui;
    EXPECT_FALSE(LanguageItemClicked(s, ui, 4)); // no such item
    EXPECT_TRUE(ui.shown.empty());
}
