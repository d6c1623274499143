// The channel grid as a model: captions, row labels, widths, formats and the
// cell texts of the channel table (the ChannelGrid). The channel window shows
// exactly these texts and colours.
#pragma once

#include "channels/ChannelContext.h"

namespace qm {

// Frequency limits of the editor (and the caption text of the channel window).
void ChInfoInitFace(ChannelContext s);

// Lays the grid out from the definition that ReadChInfo read.
void SetChGrid(ChannelContext s);

// Label of grid row r: "1".."99", "VFO" for 100, "" above.
QString chRowLabel(int r);

// Writes the option columns 5..C (and the name in column 11) of row n.
void ChParaShow(ChannelContext s, int n);

// Display text of value v of option column c: ColInfo(c, v + 3); error 9 when
// no entry exists for v.
const QString& optionText(const ChannelContext& s, int c, long long v);

} // namespace qm
