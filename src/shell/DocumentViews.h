// The steps that combine the channel and the option codecs: decoding a new
// image into every view, and assembling the image from the editors before it
// leaves the program.
#pragma once

#include "shell/AppState.h"

namespace qm {

// Refreshes every view from the image: channels, grid, options, options
// view ("modChMem->SoftDisplay"); then tells the windows (grid changed,
// document replaced).
void SoftDisplay(AppState& s);

// Encodes the editors into the image: channels, then options
// ("mdifrmMain->SetConvIicDat"). Returns false when the step failed.
bool SetConvIicDat(AppState& s);

// The same on a copy of the document (a write's private image), with its
// own error list; `settings` is the definition the editors are encoded by.
bool SetConvIicDat(DocumentData& doc, Settings& settings, ErrorList& errors);

} // namespace qm
