// Channel names and the power-on message in the radio's 41-character alphabet.
#pragma once

#include "shell/AppState.h"

namespace qm {

// Converts text into `count` character codes in s.CharCodeBuf (positions 0..count-1).
void ChNameCharSol(AppState& s, const QString& text, int count);

// Six codes -> the text shown for them: code < 41 its character, else a space.
QString codesToText(const AppState& s, const uint8_t* codes, int count);

// Shows channel n's name in grid column 11 (empty when no code is a character).
void ChNameCharShow(AppState& s, int n);

// The power-on message text from OptSel 25..30 (six characters, no empty rule).
QString PowerOnMsgText(const AppState& s);

} // namespace qm
