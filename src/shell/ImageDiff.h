// What changes between two memory images, told the way the windows show the
// radio: channels added, removed and changed field by field (the channel
// grid's captions and cell texts), options changed (the options window's
// captions and list texts), and the raw bytes that no view shows (address
// ranges with their old and new bytes; the write-date stamp named as such).
//
// Both images are decoded on scratch copies with the settings given, so the
// program's own tables are never touched. The write preview compares the
// radio's backup with what the radio will hold after the write; qm570-cli
// diff compares two data files.
#pragma once

#include "settings/Settings.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace qm {

// One cell of the channel grid that differs.
struct ChannelFieldDifference {
    int column = 0;  // grid column 1..C
    QString caption; // the column's caption ("RX Freq")
    QString before;  // the cell texts ("" for an empty cell)
    QString after;
};

struct ChannelDifference {
    enum class Kind { Added, Removed, Changed };
    Kind kind = Kind::Changed;
    int channel = 0; // 1..N
    QString label;   // "CH 5", "CH VFO" (grid captions and row labels)
    // Changed: the cells that differ. Added: every non-empty cell of the new
    // channel (before ""). Removed: every non-empty cell of the old one.
    std::vector<ChannelFieldDifference> fields;
};

struct OptionChange {
    int optIndex = 0;  // OptSel index (25 for the power-on message)
    QString control;   // "cboStep"
    QString caption;   // "Step"; alarm rows "Enable Alarm2: Hour"
    QString before;    // list text, "on"/"off", or the message in quotes
    QString after;
};

// A run of neighbouring bytes that differ and no channel or option change
// above accounts for; at most kBytesPerRange bytes.
struct ByteRangeChange {
    enum class Kind {
        Raw,        // no codec of the program reads or writes these bytes
        DateStamp,  // the write-date stamp 0x0E70..0x0E72, 0x0E78..0x0E79
        Fixed,      // written by the options encoder on every encode (markers, fill)
        Invisible,  // owned by a channel or option whose shown value stays the same
    };
    Kind kind = Kind::Raw;
    int start = 0;
    std::vector<uint8_t> before, after;
    QString region; // "", "write-date stamp", "CH 5 (no visible change)" ...
    int end() const { return start + static_cast<int>(before.size()) - 1; }
};

constexpr int kBytesPerRange = 16;

struct ImageChanges {
    std::vector<ChannelDifference> channels;
    std::vector<OptionChange> options;
    std::vector<ByteRangeChange> bytes;
    int differingBytes = 0; // every byte that differs, shown or accounted for

    bool empty() const { return channels.empty() && options.empty() && bytes.empty(); }
};

// The changes from `before` to `after` (images of the same size; error 380
// otherwise), decoded with `settings` (channel count and columns, captions,
// text table, option defaults).
ImageChanges diffImages(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after, const Settings& settings);

// Texts in the settings' language (Simplified Chinese under language 1,
// English otherwise). changeLines: one change per line, in the order
// channels, options, bytes:
//   "CH 5: RX Freq 462.56250 → 462.57500"       (a changed channel, one line per cell)
//   "CH 7 added: RX Freq 440.00000, Power High"  (added / removed: one line)
//   "Step: 5K → 20K"
//   "0E70-0E72 write-date stamp: 18 05 0C → 19 01 0F"
QStringList changeLines(const ImageChanges& c, const Settings& settings);
// Parts of those lines for a tree: "CH 5 changed" / "CH 7 added" ..., and a
// cell "RX Freq 462.56250 → 462.57500" (added or removed: "RX Freq 440.00000").
QString channelHeading(const ChannelDifference& ch, const Settings& settings);
QString channelFieldText(const ChannelDifference& ch, const ChannelFieldDifference& f, const Settings& settings);
QString optionChangeText(const OptionChange& o, const Settings& settings);
QString byteRangeText(const ByteRangeChange& b);
// "3 channels, 1 option and 2 byte ranges change (40 bytes differ)." or the
// text that nothing differs.
QString changeSummary(const ImageChanges& c, const Settings& settings);

// Hexadecimal address as the memory table shows it ("0E70").
QString hexAddress(int addr);

} // namespace qm
