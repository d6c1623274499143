// Optional-features codec: OptSel <-> image, defaults in the settings file.
#pragma once

#include "options/OptionsContext.h"

#include <vector>

namespace qm {

// 0 = encode OptSel into the image, 1 = decode the image into OptSel; any
// other mode does nothing.
void OptSelSaveSol(OptionsContext s, int16_t mode);

// 0 = load OptDef and OptSel from the settings file; 2 = OptSel := OptDef and
// store OptSel in the settings file. Any other mode only reads the count.
void OptNowDefSol(OptionsContext s, int16_t mode);

// OptSel into the image (0x0E00..0x0E75, markers at 0x0E2E/0x0E2F, 0xFF
// fill of 0x0650..0x065F). A selection that does not fit its byte stops the
// encoder at that option; it is reported under "modSysSet->OptSelToSave" and
// the function returns false (bytes written before the failure stay).
bool OptSelToSave(OptionsContext s);

// The image into OptSel, values above an option's maximum replaced by its
// OptDef entry (alarm hour and minute by 0). Returns false when the image
// does not cover the option block (reported under "modSysSet->SaveToOptSel").
bool SaveToOptSel(OptionsContext s);

// The image addresses that hold OptSel entry optIndex, for a caller that
// needs to know which bytes an option owns: one byte for most options;
// 0x0E1F and 0x0E73..0x0E75 for the show mode (21); 0x0E24..0x0E29 for the
// power-on message (any index 25..30); 0x0E4F for the alarm tone (31), of
// which only bits 7..5 are the option's. Empty for an index without option.
std::vector<int> optionAddresses(int optIndex);

// Bytes the encoder writes on every encode that belong to no option: the
// markers 0x0E2E/0x0E2F and the fill 0x0650..0x065F.
std::vector<int> optionFixedAddresses();

// Settings-file keys of section "Option" for language L (1..3): defaults and
// saved selections of OptSel index i.
inline int optDefKey(int lang, int i) { return 1000 * lang + i; }
inline int optSelKey(int lang, int i) { return 1000 * lang + 500 + i; }

} // namespace qm
