// The CTCSS/DCS signalling table (index 0 none, 1..50 CTCSS tones, 51..155
// DCS normal, 156..260 DCS inverted), its drop-down list and the codec of the
// 16-bit signalling codes in record bytes 8..9 (receive) and 10..11 (transmit).
#pragma once

#include "channels/ChannelContext.h"

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace qm {

// The three display lists: 50 tones ("67.0"), 105 normal ("D023N") and 105
// inverted ("D023I") DCS codes.
struct CtdcsArrays {
    std::array<QString, 50> tones;
    std::array<QString, 105> dcsNormal;
    std::array<QString, 105> dcsInverted;
};
CtdcsArrays GetCtdcsArray();
// The matching image code texts ("029E", "2023", "A023").
CtdcsArrays GetCtdcsIIcDat();

// Builds CtdcsName, CtdcsIicCode and CtdcsList for the current language.
void GenCtdcsList(ChannelContext s);

// Index of the image code whose low / high byte texts are given ("9E", "02"
// -> 1); 0 when no entry up to CtcDcsMax has that code.
int QtDqtIndex(ChannelContext s, const QString& lowByte, const QString& highByte);

// The signalling codes of CtdcsIicCode up to CtcDcsMax, sorted for a
// search: what QtDqtIndex finds by going through the table, made once for
// the decode of a whole channel table.
class CtdcsLookup {
public:
    explicit CtdcsLookup(const Settings& settings);
    // QtDqtIndex of the code with these low and high bytes.
    int indexOf(uint8_t lo, uint8_t hi) const;

private:
    // The codes grouped by high byte (group h is entries first_[h] to
    // first_[h + 1] - 1), each group in index order: (low byte, index).
    std::array<uint16_t, 257> first_{};
    std::vector<std::pair<uint8_t, int16_t>> entries_;
};

// Decode record bytes 8..9 / 10..11 of channel n into field 3 / 4 (with
// lookup, the table's search made beforehand).
void IcCtdcsDecSol(ChannelContext s, int n, const CtdcsLookup* lookup = nullptr);
void IcCtdcsEncSol(ChannelContext s, int n, const CtdcsLookup* lookup = nullptr);

// Encode field 3 / 4 of channel n into record bytes 8..9 / 10..11.
void CiCtdcsDecSol(ChannelContext s, int n);
void CiCtdcsEncSol(ChannelContext s, int n);

// Write the signalling text of field 3 / 4 into grid column 3 / 4 of row n
// (column 4 stays empty without a transmit frequency).
void CtdcsDecShow(ChannelContext s, int n);
void CtdcsEncShow(ChannelContext s, int n);

} // namespace qm
