// The decoded content of the current image as one JSON document, for tools
// and scripts: every channel (table fields, name codes and the texts the
// channel grid shows), the option selections and the three radio facts.
#pragma once

#include "shell/AppState.h"

#include <QByteArray>
#include <QString>

namespace qm {

// text as a JSON string literal: quotes, backslash and control characters
// escaped, everything else kept (the document is UTF-8).
QString jsonString(const QString& text);

// {"channels":[{"n":..,"rx":..,"tx":..,"dec":..,"enc":..,"opt":[fields 5..10],
//   "name_codes":[6 codes],"cells":[grid columns 1..C]},...],
//  "OptSel":[entries 1..100],"radio":{"band":..,"version":..,"last_write":..}}
// in this key order, one channel per line, UTF-8, ending with a line break.
// A radio fact that cannot be read from the image (image too small) is "".
QByteArray DecodeReportJson(AppState& s);

} // namespace qm
