// The one error value of the program and the one exception type that carries
// it. Inner code throws QmError; each procedure with an error label catches
// it at its edge (guarded(), modShowErr.h) and appends the value to the
// error list; the command-line tool prints the same value on stderr.
#pragma once

#include <QString>
#include <exception>
#include <string>

namespace qm {

// A failure: the run-time error number that the error-description table
// knows (5 invalid call, 6 overflow, 7 out of memory, 9 index out of range,
// 13 type mismatch, 53 file not found, 75 path/file access, 380 invalid
// value, 482 printer), what was being done, to what, and why in the words
// of the system that refused (errno text, serial port or file error string).
struct Error {
    int number = 5;
    QString action; // "save data file", "open port", "read settings key"
    QString object; // a file path, a port device, a settings key, an address
    QString reason; // the system's own reason

    // "action object: reason", leaving out what is empty. Without a reason
    // the table's description of the number stands in its place (English
    // "error N" when the table has none).
    QString text() const;
};

// The exception that carries an Error. Its what() text is made only when
// asked for: a decode of a damaged image throws one for every bad field, and
// the error list formats its entries only when they are shown.
class QmError : public std::exception {
public:
    explicit QmError(int number);
    QmError(int number, QString action, QString object, QString reason = {});
    explicit QmError(Error e);

    int number() const { return error_.number; }
    const Error& error() const { return error_; }
    // error().text() in UTF-8.
    const char* what() const noexcept override;

private:
    Error error_;
    mutable std::string what_;
};

// The text with every character that could garble a one-line message made
// visible: bytes of a file name that are not UTF-8 (held as U+DC80..U+DCFF,
// see settings/SafeFile.h) and control characters become "\xNN", other
// unpaired surrogates "\uXXXX". Everything else stays as it is.
QString printable(const QString& text);

// The text cut to at most maxChars characters: the middle of it gives way
// to "..." so that both ends (a path's folder and file name) stay readable.
QString elided(const QString& text, int maxChars);

// Throws error 9 (index out of range): i is outside lo..hi.
[[noreturn]] void throwIndexError(long long i, long long lo, long long hi);

// Throws error 9 (index out of range) unless lo <= i <= hi. Inline: it
// guards every access to the image and the tables.
inline void checkIndex(long long i, long long lo, long long hi)
{
    if (i < lo || i > hi)
        throwIndexError(i, lo, hi);
}

} // namespace qm
