// Channel names in the channel grid. The radio's alphabet and the conversion
// of text to character codes are in settings/CharTable.h.
#pragma once

#include "channels/ChannelContext.h"

namespace qm {

// Shows channel n's name in grid column 11 (empty when no code is a character).
void ChNameCharShow(ChannelContext s, int n);

} // namespace qm
