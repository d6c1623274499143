// The data files opened or saved last, newest first, kept in section
// "Desktop" of the settings file (keys Recent1 .. Recent6) for the File
// menu. Only the desktop program uses them; the command-line tool never
// writes the settings file.
#pragma once

#include "settings/Settings.h"

#include <QStringList>

namespace qm {

constexpr int kMaxRecentFiles = 6;

// The list as stored: absolute paths, newest first, without empty entries
// or repeats.
QStringList ReadRecentFiles(const Settings& s);

// Puts path first (an earlier entry of the same file goes) and keeps the six
// newest. A path with a line break, with bytes that are not UTF-8 or with
// blanks at either end is not remembered (the settings file cannot hold it). False with the reason when the file cannot be written.
bool RememberRecentFile(const Settings& s, const QString& path, QString* why = nullptr);

// Drops path from the list. False with the reason when the file cannot be written.
bool ForgetRecentFile(const Settings& s, const QString& path, QString* why = nullptr);

} // namespace qm
