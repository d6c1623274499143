// The settings part of the program's state: the settings file, the values
// read from it at start-up, the UI text table, the channel grid definition,
// the option defaults, and the constant tables derived from them (signalling
// names and codes, the radio alphabet, the frequency limits). Start-up fills
// it once; the channel and option modules read it, and the few commands that
// store a setting write both the file and the value here.
// Tables keep the radio's own indexing: 1-based where the radio counts from 1
// (channels, OptDef), 0-based otherwise; index 0 of a 1-based table is unused.
#pragma once

#include "settings/ProfileFile.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace qm {

constexpr int kMaxChannels = 260;
constexpr int kChFields = 21;       // ChData fields 0..20
constexpr int kMaxColInfoCols = 200;
constexpr int kColInfoEntries = 50; // entries 0..49 per column
constexpr int kCtdcsSlots = 301;    // CtdcsName / CtdcsIicCode 0..300
constexpr int kCtdcsCount = 261;    // used entries 0..260
constexpr int kSoftFaceCount = 446;
constexpr int kOptCount = 100;      // OptSel / OptDef 1..100
constexpr int kNoChar = 255;        // character code "no character"
constexpr int kAlphabetSize = 41;   // character codes 0..40
// The radio's EEPROM: addresses 0..8191. The settings key DatNum must say so;
// an image, a data file and the template hold exactly kImageBytes bytes.
constexpr int kImageDatNum = 8191;
constexpr int kImageBytes = kImageDatNum + 1;

struct Settings {
    // Program folder: settings file, template, data folder, help files.
    QString home;
    ProfileFile profile; // home + "/Uninstall.exe"

    // Section "Setting", as read at start-up.
    int16_t Language = 0;   // 1 Simplified Chinese, 2 Traditional Chinese, 3 English
    int16_t COM = 1;        // port number 1..16
    int16_t DatNum = 0;     // highest image address
    QString EngFont;
    QString ChsFont;
    QString UiFont;         // ChsFont when Language is 1, else EngFont
    QString OverColorText;  // as read from the file
    QString DefColorText;
    uint32_t OverColor = 0x0000FF; // grid colour of an out-of-band frequency (0x00BBGGRR)
    uint32_t DefColor = 0x000000;  // normal grid cell colour (0x00BBGGRR)
    int16_t CtcDcsMax = 260;
    // Address keys: text as last put into the dialog's boxes, and its value.
    QString TableMaxAddrText, ReadStartAddrText, ReadEndAddrText, WriteStartAddrText, WriteEndAddrText;
    int16_t TableMaxAddr = 0x1FFF;
    int16_t ReadStartAddr = 0;
    int16_t ReadEndAddr = 0x1FFF;
    int16_t WriteStartAddr = 0;
    int16_t WriteEndAddr = 0x1FFF;
    int32_t PartFillStart = 0;   // part-fill range defaults
    int32_t PartFillEnd = 0x1FFF;

    // UI text table, entries 0..445.
    std::array<QString, kSoftFaceCount> SoftFaceStr;
    // Text N of the UI text table (empty when out of range).
    QString text(int n) const { return (n >= 0 && n < kSoftFaceCount) ? SoftFaceStr[static_cast<size_t>(n)] : QString(); }

    // Channel grid definition from section "ChInfo": ColInfo[c][k], c = 1..200.
    std::vector<std::array<QString, kColInfoEntries>> ColInfo =
        std::vector<std::array<QString, kColInfoEntries>>(kMaxColInfoCols + 1);
    int16_t ChNum = 16;       // N, channels in use
    int16_t ChColNum = 9;     // C, data columns
    int16_t ChRowHeight = 240;
    QString ChHeaderFormat;
    std::array<int, 51> colWidthTwips{}; // widths of grid columns 0..50

    // Option defaults, indices 1..100 (section "Option").
    std::array<int16_t, kOptCount + 1> OptDef{};

    // Derived tables. Frequency limits in 10 Hz units.
    int32_t BandLower = 40000000, BandUpper = 47000000;
    int32_t EntryLower = 10000000, EntryUpper = 99900000;
    // CTCSS/DCS table.
    std::array<QString, kCtdcsSlots> CtdcsName;
    std::array<QString, kCtdcsSlots> CtdcsIicCode;
    QString CtdcsList;
    // Radio alphabet (codes 0..40).
    std::array<QString, kAlphabetSize> ValidChar;
};

// Language index normalised as the program does everywhere: 1, 2 or 3, any
// other value becomes 3 (in memory).
inline int16_t normaliseLanguage(Settings& s)
{
    if (s.Language != 1 && s.Language != 2 && s.Language != 3)
        s.Language = 3;
    return s.Language;
}

} // namespace qm
