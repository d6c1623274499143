// The one error type that inner code throws. It carries a run-time error
// number that the error-description table knows (5 invalid call, 6 overflow,
// 9 index out of range, 13 type mismatch, 53 file not found, 75 path/file
// access, 380 invalid value, 482 printer) and an optional extra description.
#pragma once

#include <QString>
#include <stdexcept>

namespace qm {

class QmError : public std::runtime_error {
public:
    explicit QmError(int number, QString detail = {})
        : std::runtime_error("qm570 error " + std::to_string(number)), number_(number), detail_(std::move(detail))
    {
    }
    int number() const { return number_; }
    // Free text for logs and the command-line tool; the error list shows the
    // table description of number() instead.
    const QString& detail() const { return detail_; }

private:
    int number_;
    QString detail_;
};

// Throws error 9 (index out of range) unless lo <= i <= hi.
inline void checkIndex(long long i, long long lo, long long hi)
{
    if (i < lo || i > hi)
        throw QmError(9);
}

} // namespace qm
