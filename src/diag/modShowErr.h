// The error list: every procedure traps its own failures and the list keeps
// one entry per failure (time, the procedure's label, the error value), or
// per optional-feature value out of range (time, message). Entries are turned
// into the two lines the error pane shows only when they are shown.
#pragma once

#include "diag/QmError.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <new>
#include <vector>

namespace qm {

// Name reported as the error source for the program's own errors.
inline const QString kAppName = QStringLiteral("qm570");

// Description of a run-time error number (Simplified Chinese); empty for a
// number that is not in the table.
QString VbErrNumDes(int number);

struct ErrorEntry {
    enum class Kind { Procedure, Option };
    Kind kind = Kind::Procedure;
    QDateTime time;          // when, in UTC
    QString label;           // Procedure: "modChMem->RxFreShow"
    Error error;             // Procedure: the failure
    QString source = kAppName; // Procedure: the error source shown
    QString message;         // Option: the report text

    // The two lines of the entry: separator (with the time as timeText
    // shows it) and detail.
    QStringList lines(const QString& timeText) const;
    // What happened, for a tooltip or the command line: the error value's
    // text (Procedure) or the message (Option).
    QString detail() const;
};

class ErrorList : public QObject {
    Q_OBJECT
public:
    explicit ErrorList(QObject* parent = nullptr) : QObject(parent) {}

    // Entry for a trapped failure at `label`.
    void AddErrInfo(const QString& label, const Error& error, const QString& source = kAppName);
    void AddErrInfo(const QString& label, int number, const QString& source = kAppName);
    // Entry for an optional-feature value out of range.
    void AddOptErrInfo(const QString& message);
    // Appends entries made elsewhere (a transfer's private list), times kept.
    void append(const std::vector<ErrorEntry>& entries);

    const std::vector<ErrorEntry>& entries() const { return entries_; }
    // Every line as the pane shows it: two per entry, oldest first.
    QStringList lines() const;
    // The two lines of entry i (0-based) as the pane shows them, so a pane
    // can add the lines of new entries without formatting the whole list.
    QStringList entryLines(size_t i) const;
    // Number of lines (the insertion index of the next line).
    int ErrListIdx() const { return static_cast<int>(entries_.size()) * 2; }
    // The selected line: always the newest one (-1 when empty).
    int selected() const { return ErrListIdx() - 1; }
    // The entry line n (0-based) belongs to, or nullptr.
    const ErrorEntry* entryAtLine(int line) const;
    void clear();

    // Separator text of a time; the system locale's short date and time
    // unless a test sets it.
    std::function<QString(const QDateTime&)> timeText;

signals:
    // After every appended entry and after clear() (the pane shows and scrolls).
    void changed();

private:
    void add(ErrorEntry e);
    QString stamp(const QDateTime& t) const;

    std::vector<ErrorEntry> entries_;
};

// Runs body; a failure is listed under label and the guard returns false,
// like a procedure that traps its own errors and returns without a result.
// QmError keeps its value; running out of memory is error 7; any other
// exception is error 5 with its own text as the reason.
template <class Body>
bool guarded(ErrorList& errors, const QString& label, Body&& body)
{
    try {
        body();
        return true;
    } catch (const QmError& e) {
        errors.AddErrInfo(label, e.error());
    } catch (const std::bad_alloc&) {
        errors.AddErrInfo(label, Error{7, {}, {}, QStringLiteral("out of memory")});
    } catch (const std::exception& e) {
        errors.AddErrInfo(label, Error{5, {}, {}, QString::fromLocal8Bit(e.what())});
    } catch (...) {
        errors.AddErrInfo(label, Error{5, {}, {}, QStringLiteral("unknown exception")});
    }
    return false;
}

} // namespace qm
