// The read and write transfers: run the script lists one script at a time
// over a link, move block data between the image and ComVaDat, retry failed
// scripts, and report progress, trace lines and the outcome.
//
// A transfer has three steps so that the middle one can run on a worker
// thread while the windows stay live:
//   1. TransferDriver(s, direction)  on the thread that owns the state:
//      rebuilds the script lists, refuses ranges that cannot be transferred,
//      and takes a private copy of what the transfer needs (for a write: the
//      image and the editors' tables, not yet assembled);
//   2. driver.run(link)              on any thread: touches only its copy;
//      opens the port and, for a write, only then assembles the image from
//      the editors (SetConvIicDat) and stamps the date before sending it;
//   3. finishTransfer(s, outcome)    back on the state's thread: puts the
//      trace, counters and error entries into the state; a complete read
//      replaces the image and refreshes the views; a write that opened the
//      port puts the image it assembled and stamped into the program's image
//      (also when it failed later: the radio may hold some of its blocks).
//      A write that could not open the port changes no byte of the image.
// The dialog is modal: nothing else changes the program's image while a
// transfer runs.
// runTransfer() does all three on the calling thread.
#pragma once

#include "comm/CommLink.h"
#include "shell/AppState.h"
#include "shell/UserInteraction.h"

#include <QDateTime>
#include <QMetaType>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace qm {

enum class TransferDirection { Read = 1, Write = 2 };

enum class TransferResult {
    Success,        // every script succeeded
    Aborted,        // the seventh failed script (text 79)
    PortOpenFailed, // the port could not be opened; nothing was sent
    Stopped,        // stopped on request between two scripts
    Error,          // an unexpected error (listed in the error list)
    Refused,        // the range cannot be transferred; the port was not opened
};

constexpr int kMaxComFailTimes = 7;
constexpr int kRetryPauseMs = 30;

struct TransferOutcome {
    TransferDirection direction = TransferDirection::Read;
    TransferResult result = TransferResult::Error;
    QString message;                // one-line reason for Refused, PortOpenFailed and Error
    std::vector<uint8_t> image;     // Read + Success: the complete new image;
                                    // Write: the assembled, stamped image once the port opened
    bool stamped = false;           // Write: the date stamp went into the image sent
    QDateTime stampTime;
    int16_t ComFailTimes = 0;
    int16_t ComErr = 0;
    int16_t ComOpenErr = 0;
    int ComPercent = 0;
    std::array<uint8_t, 101> ComVaDat{};
    QStringList trace;              // the communication list after the transfer
    int ComListIdx = 0;
    int listRtSelected = -1;
    QStringList errorLines;         // error-list lines the transfer added (two per entry)
};

struct TransferCallbacks {
    std::function<void(int percent)> progress;
    std::function<void(int index, const QString& line, bool reset)> traceLine;
};

// Date stamp of a write: year % 100, month, day at 0x0E70..0x0E72, hour and
// minute in BCD at 0x0E78..0x0E79.
// Returns false (error listed as "frmCommun->WriteComDat") when the image
// does not reach those addresses.
bool WriteComDat(AppState& s, const QDateTime& now);
bool WriteComDat(AppState& s);

// Progress bar value and status label ("45 %").
void ShowComPercent(AppState& s, int percent);

// Assembles the image from the editors before it leaves the program (a
// write does this on its private copy once the port has opened).
void AssembleImageForWrite(AppState& s);

// The reason a range cannot be transferred ("" when it can): start above
// end, more than 518 blocks, or addresses outside the image.
QString TransferRangeProblem(const AppState& s, TransferDirection d);

class TransferDriver {
public:
    using Clock = std::function<QDateTime()>;

    // Step 1 (on the state's thread).
    TransferDriver(AppState& s, TransferDirection d, Clock clock = {});
    ~TransferDriver();

    TransferDirection direction() const { return dir_; }
    bool refused() const { return !refusal_.isEmpty(); }
    const QString& refusal() const { return refusal_; }

    void setCallbacks(TransferCallbacks cb) { cb_ = std::move(cb); }
    // Any thread: stop between two scripts (the current one finishes).
    void requestStop() { stop_.store(true); }

    // Step 2 (any thread). Opens, runs and always closes the link.
    TransferOutcome run(CommLink& link);

private:
    void runScripts(CommLink& link, TransferOutcome& o);

    TransferDirection dir_;
    Clock clock_;
    QString refusal_;
    std::unique_ptr<AppState> work_; // the transfer's private state
    int errorLinesBefore_ = 0;
    TransferCallbacks cb_;
    std::atomic<bool> stop_{false};
};

// Step 3 (on the state's thread). ui shows text 79 after an aborted transfer
// and the reason of a refused one (may be null).
void finishTransfer(AppState& s, const TransferOutcome& o, UserInteraction* ui);

// All three steps on the calling thread; progress and trace lines also go
// into s as they happen.
TransferOutcome runTransfer(AppState& s, TransferDirection d, CommLink& link, UserInteraction* ui,
                            TransferCallbacks cb = {}, TransferDriver::Clock clock = {});

// On the state's thread: mirrors one trace line that a worker reported
// (TransferWorker::traceLine) into s.comm.listRtData, so the list is live
// while the transfer runs. finishTransfer puts the final list in place.
void applyTraceLine(AppState& s, int index, const QString& line, bool reset);

// Puts the error-list lines of another state (two per entry) into s.errors.
void replayErrorLines(AppState& s, const QStringList& lines);

} // namespace qm

Q_DECLARE_METATYPE(qm::TransferOutcome)
