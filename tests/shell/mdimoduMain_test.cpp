#include "shell/mdimoduMain.h"
#include "shell/AppState.h"
#include "settings/SoftFaceTexts.h"
#include "support/ScriptedUi.h"

#include <QFile>
#include <memory>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qm;

namespace {

std::unique_ptr<AppState> stateIn(int16_t language, const QString& sentinel = QString())
{
    auto s = std::make_unique<AppState>();
    s->settings.Language = language;
    s->settings.SoftFaceStr.fill(sentinel);
    InitSoftFaceStr(s->settings);
    return s;
}

// Entries both sets fill with the empty string (0..409).
bool reservedEmpty(int n)
{
    static const std::pair<int, int> ranges[] = {
        {9, 15},    {17, 19},   {58, 59},   {65, 65},   {67, 67},   {69, 69},   {97, 99},   {103, 104},
        {107, 109}, {111, 111}, {115, 115}, {117, 119}, {125, 129}, {158, 159}, {168, 169}, {173, 174},
        {177, 178}, {182, 182}, {188, 199}, {201, 204}, {216, 216}, {238, 241}, {260, 261}, {265, 265},
        {269, 269}, {278, 281}, {290, 290}, {304, 306}, {309, 309}, {311, 404}, {407, 409},
    };
    for (auto [a, b] : ranges)
        if (n >= a && n <= b)
            return true;
    return false;
}

} // namespace

TEST(SoftFaceStr, SpotChecksInBothLanguages)
{
    struct Row { int n; const char* en; const char* zh; };
    const Row rows[] = {
        {16, "QM570 Radio Software", "QM570写频软件"},
        {35, "&English", "English(&E)"},
        {68, "Language has changed, you need to restart the software.",
         "Language has changed, you need to restart the software."},
        {73, "Are you sure want to exit?", "你要退出吗?"},
        {75, "Failed to open port,Please set communication port first!",
         "通信端口未设置,请先选择 \"设置\" -> \"通信端口\" 选择串口"},
        {84, "Save file failed!", "保存文件出错!"},
        {86, "Save file failed!", "写文件出错!"},
        {89, "Frequency range is not right，continue?", "频段不符,是否继续?"},
        {175, "Rx：Communication failed! No receive Data!", "Rx：通信失败！没有接收到数据！"},
        {405, "Read", "读频"},
    };
    const auto en = stateIn(3), zh = stateIn(1);
    for (const Row& r : rows) {
        EXPECT_EQ(en->settings.text(r.n), QString::fromUtf8(r.en)) << "entry " << r.n;
        EXPECT_EQ(zh->settings.text(r.n), QString::fromUtf8(r.zh)) << "entry " << r.n;
    }
}

// Both sets empty the same reserved entries and leave 136..139 alone; only the
// Chinese set reaches beyond 409 (with empty entries).
TEST(SoftFaceStr, FilledReservedAndUntouchedEntries)
{
    const QString kept = QStringLiteral("untouched");
    for (int16_t lang : {int16_t(1), int16_t(3)}) {
        const auto s = stateIn(lang, kept);
        for (int n = 0; n < kSoftFaceCount; ++n) {
            SCOPED_TRACE(testing::Message() << "lang " << lang << " entry " << n);
            const QString& t = s->settings.SoftFaceStr[size_t(n)];
            if (n >= 136 && n <= 139)
                EXPECT_EQ(t, kept);
            else if (n >= 410)
                EXPECT_EQ(t, lang == 1 ? QString() : kept);
            else if (reservedEmpty(n))
                EXPECT_TRUE(t.isEmpty());
            else
                EXPECT_FALSE(t.isEmpty() || t == kept);
        }
    }
    // Traditional Chinese has no texts; any other value runs in English.
    EXPECT_EQ(stateIn(2)->settings.Language, 2);
    EXPECT_TRUE(stateIn(2)->settings.text(70).isEmpty());
    for (int16_t odd : {int16_t(0), int16_t(-1), int16_t(7)}) {
        const auto s = stateIn(odd);
        EXPECT_EQ(s->settings.Language, 3) << odd;
        EXPECT_EQ(s->settings.text(70), QStringLiteral("Notice")) << odd;
    }
}

// The captions of menus and toolbar in every language: desktop/mdifrmMain_test.cpp.
TEST(SetSoftFace, StatusPanelsInEnglishWhenTheTableIsEmpty)
{
    const auto s = stateIn(2); // Traditional Chinese: an empty table
    s->settings.COM = 3;
    s->view.currentPath = QStringLiteral("/data/Untitled.dat");
    SetSoftFace(*s);
    EXPECT_EQ((QStringList{s->view.statusPanel[1], s->view.statusPanel[2], s->view.statusPanel[3]}),
              (QStringList{"Ready", "COM3", "File Name:/data/Untitled.dat"}));
    EXPECT_TRUE(s->errors.lines().isEmpty());
}

// Switching from the menu: desktop/mdifrmMain_test.cpp. Here what no window shows.
TEST(LanguageSwitch, NoSuchItemAndASettingThatCannotBeStoredChangeNothing)
{
    QTemporaryDir dir;
    const auto s = stateIn(3);
    s->settings.profile.setPath(dir.filePath(QStringLiteral("missing/folder/Uninstall.exe")));
    const auto before = s->settings.SoftFaceStr;
    qmtest::ScriptedUi ui;
    EXPECT_FALSE(LanguageItemClicked(*s, ui, 4));
    EXPECT_FALSE(LanguageItemClicked(*s, ui, 1)); // not stored: no announcement, no change
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(s->settings.Language, 3);
    EXPECT_EQ(s->settings.SoftFaceStr, before);
    ASSERT_EQ(s->errors.lines().size(), 2);
    EXPECT_TRUE(s->errors.lines()[1].contains(QStringLiteral("mdifrmMain->SwiLangFace")));
    EXPECT_TRUE(s->errors.lines()[1].contains(QStringLiteral("路径/文件访问错误")));
    EXPECT_EQ(checkedLanguageItem(9), QStringLiteral("mnuLangSel2"));
}
