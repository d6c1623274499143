// The radio's firmware version, band and last write date, read from the image.
#pragma once

#include "comm/CommContext.h"

namespace qm {

// Texts of the three facts for the current image (throw QmError when the
// image is too small).
QString SoftVerText(const DocumentData& doc);
QString FreBandText(const DocumentData& doc);
QString ComDatText(const DocumentData& doc, const Settings& settings);

// Fill the radio information texts (RadioInfo), each under its error label.
void ShowFreBand(CommContext s);
void ShowSoftVer(CommContext s);
void ShowComDat(CommContext s);

} // namespace qm
