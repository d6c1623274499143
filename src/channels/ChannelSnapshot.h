// Undo and redo of the channel grid's commands. A command's effect is taken
// as the difference between the channel state before and after it ran, so
// every edit rule stays in modChEdit and an undo puts back exactly what was
// there: the table row (ChData), the name codes (ChNameCode), the cell texts
// and colours, the channel's bytes in the image (a deletion erases its
// record), the column defaults (Save as default) and the current cell.
#pragma once

#include "channels/ChannelContext.h"

#include <array>
#include <optional>
#include <vector>

namespace qm {

// Bytes of a channel that a grid command may change: the 16 record bytes and
// the four bytes of name characters 3..6. -1 marks a byte outside the image.
constexpr int kChannelBytes = 20;

struct ChannelRowState {
    std::array<int32_t, kChFields> fields{};
    std::array<uint8_t, 7> name{};
    std::array<QString, kChFields> text;
    std::array<uint32_t, kChFields> color{};
    std::array<int16_t, kChannelBytes> bytes{};

    bool operator==(const ChannelRowState&) const = default;
};

// The channel state of rows 1..N, the column defaults ColInfo(c, 2) of the
// data columns 1..C and the current cell.
struct ChannelSnapshot {
    std::vector<ChannelRowState> rows; // index n = channel n; index 0 unused
    std::vector<QString> defaults;     // index c = data column c; index 0 unused
    int curRow = 1, curCol = 1;
};

ChannelSnapshot captureChannels(const ChannelContext& s);

// What a command changed: only the rows and defaults that differ.
struct ChannelChange {
    struct Row {
        int row = 0;
        ChannelRowState before, after;
        bool markOnly = false; // only the edit mark (field 0) differs
    };
    struct Default {
        int col = 0;
        QString before, after;
    };
    std::vector<Row> rows; // ascending row numbers
    std::vector<Default> defaults;
    int curRowBefore = 1, curColBefore = 1, curRowAfter = 1, curColAfter = 1;

    // Nothing but edit marks and perhaps the current cell changed: not worth
    // an undo step (the marks only tell the encoder a channel was touched).
    bool empty() const;
    int firstRow() const { return rows.empty() ? 0 : rows.front().row; }
    int lastRow() const { return rows.empty() ? 0 : rows.back().row; }
    // True when image bytes differ (a deletion erased a record).
    bool changesBytes() const;
};

ChannelChange diffChannels(const ChannelSnapshot& before, const ChannelSnapshot& after);

enum class ChangeSide { Before, After };

// Puts one side of a change back into the table, the name codes, the grid,
// the image and the column defaults; changed defaults are written to the
// settings file too (section "ChInfo", key base + 200 + (c-1)*50 + 2), as
// Save as default does. A default that cannot be written stays changed in
// memory and is listed under "frmChMem->ChannelUndo". Does not notify.
void restoreChannels(ChannelContext s, const ChannelChange& change, ChangeSide side);

} // namespace qm
