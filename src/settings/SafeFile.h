// Whole-file reads and atomic writes: a write goes to a temporary file in the
// same folder that is renamed over the target only when it is complete, so a
// failure never leaves a half-written file behind.
#pragma once

#include <QByteArray>
#include <QString>

namespace qm {

// Writes data to path through a temporary file and a rename. Returns false
// (and leaves any existing file untouched) when anything fails.
bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr);

// Reads the whole file; throws QmError 53 (file not found) or 75 (access),
// with the path and the system's reason.
QByteArray readWholeFile(const QString& path);

} // namespace qm
