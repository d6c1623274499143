// Channel memory module: the channel table ChData and the name codes
// ChNameCode <-> the image, the channel grid definition from the settings
// section "ChInfo" (ColInfo), deletion, and the refresh of every view.
//
// Image layout: channel n (1..260) is the 16-byte record at 0x10 + (n-1)*16:
//   0..3 receive and 4..7 transmit frequency (BCD, modChFre.h), 8..9 receive
//   and 10..11 transmit signalling code (modCtdcs.h), 12 option bits, 13 not
//   ours (left alone), 14..15 name characters 1 and 2;
// name characters 3..6 are the four bytes at 0x660 + (n-1)*4.
#pragma once

#include "channels/ChannelContext.h"

namespace qm {

// Builds the channel window's content: ChInfoInitFace, GenCtdcsList,
// ReadChInfo, SetChGrid, InitChTable, in this order.
void InitChMem(ChannelContext s);

// Key base of the section "ChInfo": 1000 for language 1, else 3000.
int ChInfoKeyBase(ChannelContext s);

// Reads the channel grid definition (channel count, row height, column count,
// header captions, column widths, ColInfo lists) from the settings file.
void ReadChInfo(ChannelContext s);

// Deletes channels 1..N (run once when the channel window is built).
void InitChTable(ChannelContext s);

// Deletes channel n (1..260): edit mark 1, no frequencies, its 16 record bytes
// 0xFF, its grid cells emptied in DefColor.
void DelOneChannel(ChannelContext s, int n);

// 1 = decode the image into ChData/ChNameCode, 0 = encode them into the image.
void ChInfoSaveSol(ChannelContext s, int16_t mode);

// Decode / encode channels 1..N.
void IicDatToChInfo(ChannelContext s);
void ChInfoToIicDat(ChannelContext s);

// Decode / encode record byte 12 (option fields 5..10) and the six name bytes.
void IcChParaSol(ChannelContext s, int n);
void CiChParaSol(ChannelContext s, int n);

// Writes the whole channel table into the grid texts.
void ShowChTblGrid(ChannelContext s);

} // namespace qm
