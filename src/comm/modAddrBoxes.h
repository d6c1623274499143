// The five address boxes of the read/write dialog (read range, write range,
// highest address of the memory table). Each box mirrors a key of section
// "Setting" and a 16-bit value in memory; the box texts live in
// Settings (*Text fields) so that the start-up, the dialog and the
// tests share one behaviour.
#pragma once

#include "comm/CommContext.h"

namespace qm {

enum class AddrBox { ReadStart, ReadEnd, WriteStart, WriteEnd, TableMax };

// Settings key of a box ("ReadStartAddr", ..., "TableMaxAddr").
QString addrBoxKey(AddrBox which);
// Error label of a box's change handler ("frmCommun->txtReadStartAddr_Change").
QString addrBoxLabel(AddrBox which);
// Default text of the key ("0000" or "1FFF").
QString addrBoxDefault(AddrBox which);

QString& addrBoxText(Settings& s, AddrBox which);
int16_t& addrBoxValue(Settings& s, AddrBox which);

// The box's change handler: the box now holds `text`; the unchanged text is
// written to its key, then the value becomes the text read as a hexadecimal
// number. Text that is not hexadecimal or does not fit 16 bits is listed under
// the handler's label and the value keeps what it held (the key has already
// been written).
void AddrBoxChanged(CommContext s, AddrBox which, const QString& text);

// Puts text into a box from the program: the change handler runs only when the
// text differs from what the box holds, as with a real text box.
void SetAddrBoxText(CommContext s, AddrBox which, const QString& text);

// Same as SetAddrBoxText without writing the settings file (the command-line
// tool never writes it).
void LoadAddrBoxText(CommContext s, AddrBox which, const QString& text);

} // namespace qm
