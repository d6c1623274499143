// Frequency codec of the channel records: eight packed BCD digits of the
// 10 Hz count, least significant byte first (462.5625 MHz is 50 62 25 46),
// FF FF FF FF for "no frequency"; the grid text of a frequency; the snapping
// of a typed frequency to the nearest 5 kHz or 6.25 kHz step.
#pragma once

#include "channels/ChannelContext.h"

namespace qm {

// Image address of channel n's 16-byte record and of its four extra name bytes.
constexpr long long chRecordAddr(int n) { return 0x10LL + (static_cast<long long>(n) - 1) * 16; }
constexpr long long chNameAddr(int n) { return 0x660LL + (static_cast<long long>(n) - 1) * 4; }

// Throws error 9 unless 1 <= n <= 260.
void checkChannel(int n);
// Throws error 9 unless c is a column the tables hold (0..20).
void checkColumn(int c);

// True when a most significant frequency byte marks a stored frequency (0x01..0x99).
constexpr bool freqPresentByte(uint8_t b) { return b >= 0x01 && b <= 0x99; }

// Decode the receive / transmit frequency of channel n into field 1 / 2.
void IcRxFreSol(ChannelContext s, int n);
void IcTxFreSol(ChannelContext s, int n);

// Encode field 1 / 2 of channel n into record bytes 0..3 / 4..7.
void CiRxFreSol(ChannelContext s, int n);
void CiTxFreSol(ChannelContext s, int n);

// Splits a text of hexadecimal digit pairs into buf (first pair into byte 0),
// most significant first. Bytes beyond the last pair keep their values; a
// fifth pair is an error reported after the first four bytes have been stored.
void SeparateFreChar(ErrorList& errors, const QString& text, std::array<uint8_t, 4>& buf);

// Grid text of a frequency in 10 Hz units: 46256250 -> "462.5625", 44000000 -> "440".
QString freqText(int32_t f);

// Writes channel n's receive / transmit frequency text into grid column 1 / 2.
void RxFreShow(ChannelContext s, int n);
void TxFreShow(ChannelContext s, int n);

// Snaps a frequency given as the decimal text of its 10 Hz count to the nearer
// of the 5 kHz and 6.25 kHz steps (a tie goes to 6.25 kHz). Returns 0 when the
// text is not a number (reported).
int32_t ModifyTxRxFre(ChannelContext s, const QString& text);

// Grid colour of a frequency: OverColor outside the band 400..470 MHz, else DefColor.
uint32_t freqColor(const ChannelContext& s, int32_t f);

} // namespace qm
