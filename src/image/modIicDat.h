// The IicDat image: loading the template and assembling the image from the
// editors before it leaves the program.
#pragma once

#include "shell/AppState.h"

namespace qm {

// Path of the template image: home + "/Kelvex.exe".
QString templatePath(const AppState& s);

// An image of DatNum+1 bytes built from raw file data: byte k = data[k]; bytes
// the data does not supply are 0xFF (erased EEPROM), data beyond the image is
// ignored.
std::vector<uint8_t> imageFromBytes(const AppState& s, const QByteArray& data);

// Loads the template into the image ("mdifrmMain->InitTempArray"). The file is
// read completely first and the image replaced in one step. A missing template
// is never created: the image becomes erased memory (all 0xFF) and the missing
// file is listed (error 53). A template that cannot be read leaves the image
// as it was.
void InitTempArray(AppState& s);

// Encodes the editors into the image: channels, then options
// ("mdifrmMain->SetConvIicDat"). Returns false when the step failed.
bool SetConvIicDat(AppState& s);

} // namespace qm
