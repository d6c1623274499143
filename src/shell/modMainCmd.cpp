#include "shell/modMainCmd.h"

#include "settings/SoftFaceTexts.h"

namespace qm {

namespace {

QString readyText(const Settings& s) { return SoftFaceText(s, 94); }
QString lockedText(const Settings& s) { return SoftFaceText(s, 116); }

QString panel1(const AppState& s) { return s.view.statusPanel[1]; }

} // namespace

bool ChLockToggle(AppState& s, ChLockIndicator& lock, const std::function<void(bool)>& applyLook)
{
    lock.checked = !lock.checked;
    if (!lock.checked) {
        s.view.ChLockState = kChLockUnlocked;
        s.view.setStatus(1, readyText(s.settings));
        lock.blinkEnabled = false;
    } else {
        s.view.ChLockState = kChLockLocked;
        s.view.setStatus(1, lockedText(s.settings));
    }
    if (applyLook)
        applyLook(lock.checked);
    s.settings.profile.writeOrThrow(QStringLiteral("Setting"), QStringLiteral("ChannelLock"), s.view.ChLockState);
    return lock.checked;
}

void ChLockTick(AppState& s, ChLockIndicator& lock)
{
    if (!lock.checked || panel1(s) != readyText(s.settings))
        return;
    s.view.setStatus(1, lockedText(s.settings));
    lock.blinkEnabled = true;
}

void ChLockBlinkTick(AppState& s, ChLockIndicator& lock)
{
    if (!lock.checked)
        return;
    lock.blinkCounter = static_cast<int16_t>(lock.blinkCounter + 1);
    if (lock.blinkCounter >= 2)
        lock.blinkCounter = 0;
    const QString now = panel1(s);
    if (!now.isEmpty() && now != lockedText(s.settings) && now != readyText(s.settings))
        return; // another note stays until it is replaced
    s.view.setStatus(1, lock.blinkCounter == 1 ? lockedText(s.settings) : readyText(s.settings));
}

QString HelpFilePath(Settings& s)
{
    static const char* const kFiles[] = {"ChsHelp.CHM", "ChtHelp.CHM", "EngHelp.CHM"};
    const int16_t lang = normaliseLanguage(s);
    return s.home + QLatin1Char('/') + QLatin1String(kFiles[lang - 1]);
}

} // namespace qm
