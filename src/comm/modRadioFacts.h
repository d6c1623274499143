// The radio's firmware version, band and last write date, read from the image.
#pragma once

#include "shell/AppState.h"

namespace qm {

// Texts of the three facts for the current image (throw QmError when the
// image is too small).
QString SoftVerText(AppState& s);
QString FreBandText(AppState& s);
QString ComDatText(AppState& s);

// Fill the radio information texts (s.radioInfo), each under its error label.
void ShowFreBand(AppState& s);
void ShowSoftVer(AppState& s);
void ShowComDat(AppState& s);

} // namespace qm
