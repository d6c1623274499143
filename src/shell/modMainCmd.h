// Main window commands that need no window: the channel-lock indication with
// its two timers, and the help file of the language.
//
// The lock toggles the channel interface between "ShowLock" and "ShowNo"
// (ChLockState, which the channel grid's edit handlers test). While it is
// locked, status panel 1 says "Interface Locked"; once the 30-second timer
// has seen "Ready" in the panel, the 5-second timer alternates the two
// notes. Any other note in panel 1 is never overwritten by the timers.
#pragma once

#include "shell/AppState.h"

#include <cstdint>
#include <functional>

namespace qm {

inline const QString kChLockLocked = QStringLiteral("ShowLock");
inline const QString kChLockUnlocked = QStringLiteral("ShowNo");

constexpr int kChLockIntervalMs = 30000;      // tmrChLock
constexpr int kChLockBlinkIntervalMs = 5000;  // tmrChLockBlink

// What the main window shows of the lock besides ChLockState.
struct ChLockIndicator {
    bool checked = false;      // check mark of mnuChLock: the interface is locked
    bool blinkEnabled = false; // tmrChLockBlink runs
    int16_t blinkCounter = 0;  // kept across stops of the blink timer
};

// The lock command (mnuChLock_Click): flips the check mark, sets ChLockState,
// status panel 1 and the blink timer, lets applyLook switch the channel grid
// (true = locked look), then stores ChannelLock in section "Setting" of the
// settings file. A failed write throws QmError 75 after everything else has
// happened (the lock holds for this run; the key is never read back).
// Returns true when the interface is now locked.
bool ChLockToggle(AppState& s, ChLockIndicator& lock, const std::function<void(bool locked)>& applyLook);

// tmrChLock tick: while locked and panel 1 shows "Ready", panel 1 becomes
// "Interface Locked" and the blink timer starts.
void ChLockTick(AppState& s, ChLockIndicator& lock);

// tmrChLockBlink tick: while locked, the counter steps 1, 0, 1, ... and panel
// 1 shows "Interface Locked" (1) or "Ready" (0), but only while it holds one
// of the two notes or nothing.
void ChLockBlinkTick(AppState& s, ChLockIndicator& lock);

// The help file of the language in force: program folder + "/ChsHelp.CHM"
// (1), "/ChtHelp.CHM" (2) or "/EngHelp.CHM" (3; any other value counts as 3
// and is set to 3 in memory).
QString HelpFilePath(Settings& s);

} // namespace qm
