// Part fill: one byte value into every address of a range of the image, the
// memory table's cells of the range updated without change marks. The
// dialog frmPartFill forwards its boxes here.
#pragma once

#include "memtools/MemToolsContext.h"

#include <cstdint>
#include <vector>

namespace qm {

// The radix list cboFillData: "H", "D", "B" (indexes 0, 1, 2).
enum class FillRadix { Hex = 0, Dec = 1, Bin = 2 };

// The fill value of a text in a radix: hexadecimal and base-2 texts through
// H_To_B / B_To_D (non-hexadecimal characters skipped, empty = 0), decimal
// text as a whole number. A value above 255 becomes 255. Throws QmError for a
// decimal text that is no number (13), a value that does not fit 16 bits (6)
// or a negative value (6).
int PartFillValue(FillRadix radix, const QString& text);

// An address box's text as the fill reads it (hexadecimal, non-hexadecimal
// characters skipped, empty = 0); throws QmError 6 above FFFF.
int PartFillAddr(const QString& text);

// The address boxes' change handlers: the remembered start (or end) becomes
// the text read as a hexadecimal number 0000-FFFF; any other text leaves it
// as it was.
void PartFillStartChanged(Settings& s, const QString& text);
void PartFillEndChanged(Settings& s, const QString& text);

struct PartFillResult {
    bool filled = false;          // bytes were written
    int start = 0, end = -1;      // the range written
    uint8_t value = 0;
    std::vector<uint8_t> before;  // the range's bytes before the fill
};

// cmdFillData_Click: reads the value and the range, then writes the value to
// every address start..end and shows the bytes in the table's cells of the
// range (no marks). Start above end writes nothing. A bad value or address,
// or a range reaching past the image, is listed as
// "frmPartFill->cmdFillData_Click" and nothing is written.
PartFillResult PartFill(MemToolsContext s, const QString& valueText, FillRadix radix, const QString& startText,
                        const QString& endText);

// Puts bytes back into the image from `first` on and shows them in the
// table's cells (no marks): the undo and redo of a fill or a cell edit.
void PutImageBytes(MemToolsContext s, int first, const std::vector<uint8_t>& bytes);

} // namespace qm
