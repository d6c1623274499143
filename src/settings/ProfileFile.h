// The settings file ("Uninstall.exe" beside the program): an INI text file in
// UTF-8 that is read and written one key at a time with private-profile
// semantics. Nothing is cached; every call goes to the file. Writes keep
// comments, order and every other line, and replace the file atomically.
#pragma once

#include "diag/QmError.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace qm {

// A settings file is a few KiB of text; anything past this is not one.
constexpr int64_t kMaxSettingsBytes = 1 << 20;

// The actions of the errors a settings file causes when it cannot be read or
// holds a value that cannot be used.
inline const QString kReadSettingsFile = QStringLiteral("read settings file");
inline const QString kReadSettingsKey = QStringLiteral("read settings key");
inline bool isSettingsError(const Error& e)
{
    return e.action == kReadSettingsFile || e.action == kReadSettingsKey;
}

class ProfileFile {
public:
    ProfileFile() = default;
    explicit ProfileFile(QString path) : path_(std::move(path)) {}

    const QString& path() const { return path_; }
    void setPath(const QString& p) { path_ = p; }

    // Value of key in section (names match without regard to case), or def
    // when the key (or the file) is missing. Like a fixed buffer of bufSize
    // characters, the value is cut to bufSize - 1 characters, then surrounding
    // blanks are trimmed.
    QString read(const QString& section, const QString& key, const QString& def, int bufSize) const;

    // Sets key in section to value, creating the file, the section and the key
    // when missing. Returns false (with the system's reason in *why) when the
    // file cannot be written.
    bool write(const QString& section, const QString& key, const QString& value, QString* why = nullptr) const;

    // The same, throwing QmError 75 (action "write settings file", object
    // "path [section] key", the system's reason) when the file cannot be written.
    void writeOrThrow(const QString& section, const QString& key, const QString& value) const;

    // Why the file cannot be used although it exists (too large, not a
    // regular file, unreadable), or nothing. A file that cannot be read gives
    // every key its default and is never written.
    std::optional<Error> problem() const;

    // True when the key is present in the section.
    bool contains(const QString& section, const QString& key) const;

private:
    QString path_;
};

} // namespace qm
