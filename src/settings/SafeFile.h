// Every file the programs read or write goes through here.
//
// Reads are bounded: at most a given number of bytes is taken from a file,
// a device is never read, and a pipe that sends nothing is given up after a
// while, so no input can make a program hang or fill its memory.
//
// Saves never leave half a file: the data goes to a temporary file in the
// target's folder; every write, the fsync and the close are checked, and only
// then is the temporary file renamed over the target (whose permissions the
// new file keeps). On any failure the old file stays as it was and the
// temporary file is removed. Folders, devices, pipes and sockets are never
// replaced.
//
// File names: on Unix a file name is a string of bytes that need not be
// UTF-8. Such names travel through the program as QString with each byte
// that is not part of a UTF-8 character held as U+DC80..U+DCFF (as Python's
// "surrogateescape" does), so they reach the file system unchanged and can be
// shown escaped (printable(), diag/QmError.h).
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

namespace qm {

// The file system's bytes for a file name held as described above.
QByteArray nativePath(const QString& path);
// A file name from the file system's bytes, without loss.
QString pathFromNative(const QByteArray& bytes);

// What a path names now (symbolic links followed).
struct FileFacts {
    enum class Kind { Missing, Regular, Folder, Pipe, Other };
    Kind kind = Kind::Missing;
    int64_t size = 0;
    uint64_t device = 0;
    uint64_t inode = 0;
    int systemError = 0; // errno of a failed look-up other than "no such file"

    bool exists() const { return kind != Kind::Missing; }
};
FileFacts fileFacts(const QString& path);
// True when both name the same existing file (same device and inode), however
// they are spelled and through whichever hard or symbolic link.
bool sameFile(const FileFacts& a, const FileFacts& b);

// Which files a read accepts besides regular files.
enum class ReadSource {
    RegularFile,     // settings file, template: nothing else makes sense
    FileOrPipe,      // data files and CSV: also a named pipe or `<(command)`
};

// How long a pipe may stay silent before the read gives up.
constexpr int kPipeWaitMs = 10000;

struct BoundedRead {
    QByteArray data;     // at most `limit` bytes from the start of the file
    bool longer = false; // the file holds more than `limit` bytes
};

// Reads at most limit bytes (and finds out whether there were more, reading
// one byte past the limit at most). Throws QmError with `action`, the path and
// the reason: 53 for a missing file, 75 for a folder, a device or socket (or a
// pipe where only files are taken), a pipe silent for pipeWaitMs, and any
// failure the system reports.
BoundedRead readFileAtMost(const QString& path, int64_t limit, const QString& action,
                           ReadSource source = ReadSource::FileOrPipe, int pipeWaitMs = kPipeWaitMs);

// Reads a whole regular file of at most 64 MiB; throws QmError 53 / 75 (action
// "read file"), 7 when the file is larger.
QByteArray readWholeFile(const QString& path);

// Whether a save may replace a file that already stands under the name.
enum class SaveMode {
    Replace,     // the file is replaced (its permissions kept)
    NewFileOnly, // an existing file is never touched: error 58, "it exists already"
};

// Saves data to path as described at the top. Throws QmError with `action`,
// the path and the system's reason: 61 when the disk is full, 75 otherwise.
// With SaveMode::NewFileOnly the finished file is put in place only under a
// name that is still free at that moment (checked and claimed in one step by
// the file system), so two saves at once can never replace each other.
void saveFile(const QString& path, const QByteArray& data, const QString& action, SaveMode mode = SaveMode::Replace);

// The same; returns false with the system's reason in *error.
bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr);

// Temporary files of saves still running are removed when the process is
// stopped by SIGINT or SIGTERM (the signal then takes its normal course).
// For programs without an event loop of their own (the command-line tool).
void removeTemporaryFilesOnSignals();

// Test seam of saveFile: the steps of a save, and a function called before
// each with the temporary file's path (empty before Create) whose non-zero
// return value is taken as the errno of that step. An empty function turns
// the seam off.
enum class SaveStep { Create, Write, Sync, Close, Rename };
using SaveFault = std::function<int(SaveStep step, const QString& tempPath)>;
void setSaveFaultForTesting(SaveFault fault);

} // namespace qm
