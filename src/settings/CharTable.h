// The radio's 41-character alphabet for channel names and the power-on
// message: codes 0..9 digits, 10..35 A..Z, 36 "-", 37 "/", 38 space, 39 "+",
// 40 "_"; 255 no character. Both the channel and the option modules use it.
#pragma once

#include "diag/modShowErr.h"
#include "settings/Settings.h"

#include <vector>

namespace qm {

// Builds the alphabet (s.ValidChar, codes 0..40), once at start-up.
void GetValidCharTbl(Settings& s);

// Converts text into `count` character codes (1..30): upper case, padded
// with spaces, a character outside the alphabet becomes 255; an empty text
// gives 255 everywhere. A count outside 1..30 is reported under
// "modChMem->ChNameCharSol" and the codes past position 30 stay 255.
std::vector<int16_t> ChNameCharSol(const Settings& s, ErrorList& errors, const QString& text, int count);

// Codes -> the text shown for them: code < 41 its character, else a space.
QString codesToText(const Settings& s, const uint8_t* codes, int count);
// The character of one code, a space for a code that is no character.
QString charOf(const Settings& s, int code);

} // namespace qm
