// Channel names and the power-on message in the radio's 41-character alphabet
// (codes 0..9 digits, 10..35 A..Z, 36 "-", 37 "/", 38 space, 39 "+", 40 "_";
// 255 no character). The alphabet itself is built by GetValidCharTbl (modChMem.h).
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
