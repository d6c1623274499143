// The memory data table: the image as hexadecimal text, sixteen bytes a row,
// with change marks, direct editing of single bytes and the conversions of
// its tooltip. The window frmMemDat shows a MemTable and forwards the user's
// edits here.
#pragma once

#include "memtools/MemToolsContext.h"

#include <QStringList>
#include <array>
#include <cstdint>

namespace qm {

// Header row of the table: "Addr", "0" .. "F" (17 columns).
QStringList memTableCaptions();
// The address cell of the row starting at rowStart: four hexadecimal digits
// and "H" ("01A0H").
QString memRowLabel(int rowStart);

// Highest address the table shows: TableMaxAddr (a 16-bit value, 0000-FFFF),
// but no further than the image reaches. Every row is complete up to that
// address, so a TableMaxAddr that is the first address of a row gets its row.
int memTableLastAddr(const DocumentData& doc, const Settings& settings);

// Builds the empty table for the current TableMaxAddr (SetGridMemDat).
void SetGridMemDat(MemToolsContext s);

// Refreshes the table from the image (TableFreDat): every mark is cleared,
// then each cell that held text whose value differs from the image byte is
// marked, and every cell shows its byte. The rows follow TableMaxAddr first.
// A TableMaxAddr past the image is listed as "modMemDat->TableFreDat" after
// the cells the image has were filled.
void TableFreDat(MemToolsContext s);

// "Set Def Color": every cell loses its mark.
void SetDefCol(MemToolsContext s);

// The hexadecimal digits of a text, last digit first (position 0 = last
// digit); missing positions are 0, digits before the fourth from the end are
// not used. Throws QmError 13 for a character that is not a hexadecimal digit.
std::array<uint8_t, 4> SeparateChar(const QString& text);

// The cell of addr was edited to text (GridDataTemp): the text's value goes
// into the image byte and the cell shows it as two digits. A value above FF or
// a text that is not hexadecimal is listed as "frmMemDat->GridDataTemp" with
// the address and the reason; the image keeps its byte and the cell shows it
// again. An empty text only restores the cell. Returns true when the byte
// was stored.
bool GridDataTemp(MemToolsContext s, int addr, const QString& text);

// Tooltip of the data cell at grid row `row` (1 = first data row) and column
// `col` (1..16); "" for a cell without text.
QString CellTipHint(const MemTable& table, int row, int col);

// Hexadecimal text -> base-2 text, four bits per digit ("A5" -> "10100101");
// letters are taken in upper case, other characters are skipped.
QString H_To_B(const QString& hex);
// Base-2 text -> number ("" -> 0). Throws QmError 13 for a character other
// than 0 and 1 and QmError 6 when the value does not fit 16 bits.
int B_To_D(const QString& bin);
// The bits of a base-2 text from the right: "B0:1 B1:0 ..." with two more
// blanks after B3.
QString B_To_BitShow(const QString& bin);

} // namespace qm
