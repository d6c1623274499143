// Error list: every procedure traps its own failures and appends a two-line
// entry naming the place, the error number, the source and a description.
#pragma once

#include "diag/QmError.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace qm {

// Name reported as the error source for the program's own errors.
inline const QString kAppName = QStringLiteral("qm570");

// Description of a run-time error number (Simplified Chinese); empty for a
// number that is not in the table.
QString VbErrNumDes(int number);

class ErrorList {
public:
    // Two-line entry for a trapped failure at `label`.
    void AddErrInfo(const QString& label, int number, const QString& source = kAppName);
    // Two-line entry for an optional-feature value out of range.
    void AddOptErrInfo(const QString& message);

    const QStringList& lines() const { return lines_; }
    int ErrListIdx() const { return static_cast<int>(lines_.size()); }
    int selected() const { return selected_; }
    const QString& ErrDes() const { return errDes_; }
    void clear();

    // Called after every appended line (the error pane shows and scrolls).
    std::function<void()> changed;
    // Clock override for tests; returns the separator's date-time text.
    std::function<QString()> now;

private:
    void insertLine(const QString& line);
    QString separator() const;

    QStringList lines_;
    int selected_ = -1;
    QString errDes_;
};

// Runs body; a QmError (or any other exception) is reported under label and
// the guard returns false, like a procedure that traps its own errors and
// returns without a result.
template <class Body>
bool guarded(ErrorList& errors, const QString& label, Body&& body)
{
    try {
        body();
        return true;
    } catch (const QmError& e) {
        errors.AddErrInfo(label, e.number());
    } catch (const std::bad_alloc&) {
        errors.AddErrInfo(label, 7);
    } catch (const std::exception&) {
        errors.AddErrInfo(label, 5);
    }
    return false;
}

} // namespace qm
