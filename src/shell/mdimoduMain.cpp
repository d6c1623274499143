#include "shell/mdimoduMain.h"

#include "settings/SoftFaceTexts.h"

namespace qm {

namespace {

// Main-window menus and the text-table entries of their captions.
struct CaptionRef {
    const char* name;
    int text;
};

constexpr CaptionRef kMenuCaptions[] = {
    {"mnuFile", 20},          {"mnuFileNew", 21},     {"mnuFileOpen", 22},   {"mnuFileSave", 23},
    {"mnuFileSaveAs", 24},    {"mnuPrintFile", 43},   {"mnuExit", 25},       {"mnuProgram", 26},
    {"mnuReadFre", 27},       {"mnuWriteFre", 28},    {"mnuReadWriteFre", 48}, {"mnuAddFre", 44},
    {"mnuTestMode", 40},      {"mnuTestFre", 41},     {"mnuBatchTestVal", 42}, {"mnuOption", 29},
    {"mnuModel", 39},         {"mnuFunc", 30},        {"mnuDtmf", 45},       {"mnuKeySet", 46},
    {"mnuMcuVer", 49},        {"mnuChLock", 47},      {"mnuSet", 31},        {"mnuCommunicate", 32},
    {"mnuLangSetting", 33},   {"mnuLangSel0", 34},    {"mnuLangSel1", 57},   {"mnuLangSel2", 35},
    {"mnuHelp", 36},          {"mnuHelpTopic", 37},   {"mnuAboutSoft", 38},
};

// Toolbar buttons by key, in their order on the bar.
constexpr CaptionRef kButtonCaptions[] = {
    {"FileNew", 0}, {"FileOpen", 1}, {"FileSave", 2}, {"Read", 3}, {"Write", 4},
    {"Com", 5},     {"Print", 8},    {"Help", 6},     {"Exit", 7},
};

QString lookup(const QList<QPair<QString, QString>>& list, const QString& name)
{
    for (const auto& p : list)
        if (p.first == name)
            return p.second;
    return {};
}

} // namespace

QString MainCaptions::menu(const QString& name) const { return lookup(menus, name); }
QString MainCaptions::button(const QString& key) const { return lookup(buttons, key); }

MainCaptions SetSoftFace(AppState& s)
{
    MainCaptions c;
    guarded(s.errors, QStringLiteral("mdimoduMain->SetSoftFace"), [&] {
        for (const CaptionRef& m : kMenuCaptions)
            c.menus.append({QString::fromLatin1(m.name), SoftFaceText(s.settings, m.text)});
        for (const CaptionRef& b : kButtonCaptions)
            c.buttons.append({QString::fromLatin1(b.name), SoftFaceText(s.settings, b.text)});
        c.title = SoftFaceText(s.settings, 16);
        s.view.setStatus(1, SoftFaceText(s.settings, 94));
        s.view.setStatus(2, QStringLiteral("COM") + QString::number(s.settings.COM));
        s.view.setStatus(3, SoftFaceText(s.settings, 85) + s.view.currentPath);
    });
    return c;
}

QString checkedLanguageItem(int16_t language)
{
    for (const LanguageMenuItem& item : kLanguageMenuItems)
        if (item.language == language)
            return QString::fromLatin1(item.name);
    return QString::fromLatin1(kLanguageMenuItems[2].name);
}

bool LanguageItemClicked(AppState& s, UserInteraction& ui, int16_t L)
{
    if (L == s.settings.Language || L < 1 || L > 3)
        return false;
    const int16_t previous = s.settings.Language;
    s.settings.Language = L;
    if (SwiLangFace(s, ui, L))
        return true;
    // The setting could not be stored: nothing has changed, keep the
    // language (and its checked item) the program runs in.
    s.settings.Language = previous;
    return false;
}

bool SwiLangFace(AppState& s, UserInteraction& ui, int16_t L)
{
    return guarded(s.errors, QStringLiteral("mdifrmMain->SwiLangFace"), [&] {
        s.settings.profile.writeOrThrow(QStringLiteral("Setting"), QStringLiteral("Language"), QString::number(L));
        ui.message(SoftFaceText(s.settings, 68), QStringLiteral("Message"), MsgButtons::Ok, MsgIcon::Question);
    });
}

} // namespace qm
