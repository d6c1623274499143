// The read and write transfers: run the script lists one script at a time
// over a link, move block data between the image and ComVaDat, retry failed
// scripts, and report progress, trace lines and the outcome.
//
// A transfer has three steps so that the middle one can run on a worker
// thread while the windows stay live:
//   1. TransferDriver(s, direction, assemble)  on the thread that owns the
//      state: rebuilds the script lists, refuses ranges that cannot be
//      transferred, and takes a private copy of the document;
//   2. driver.run(link)  on any thread: touches only its copy; opens the
//      port and, for a write, only then assembles the image from the editors
//      (the WriteAssembler) and stamps the date before sending it;
//   3. applyTransferOutcome(s, outcome)  back on the state's thread: puts
//      the trace, counters and error entries into the state, and the image a
//      write assembled and stamped once the port opened (also when it failed
//      later: the radio may hold some of its blocks). A write that could not
//      open the port changes no byte of the image.
// The program's front ends use shell/RadioTransfer.h, which supplies the
// assembler, replaces the image after a complete read and refreshes the views.
#pragma once

#include "comm/CommContext.h"
#include "comm/CommLink.h"

#include <QDateTime>
#include <QMetaType>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
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

// Text 79 as shown when no text table is loaded (its English wording).
inline const QString kText79 = QStringLiteral("Communication failed,please check commuication port!");

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
    std::vector<ErrorEntry> errors; // error-list entries the transfer made
};

struct TransferCallbacks {
    std::function<void(int percent)> progress;
    std::function<void(int index, const QString& line, bool reset)> traceLine;
};

// Encodes the editors' tables into a write's private image (the channel
// encoder, then the option encoder). Runs on the transfer's thread.
using WriteAssembler = std::function<void(DocumentData& image, ErrorList& errors)>;

// Where a write stamps its date: year % 100, month, day at 0x0E70..0x0E72,
// hour and minute in BCD at 0x0E78..0x0E79.
inline constexpr int kWriteStampAddrs[5] = {0x0E70, 0x0E71, 0x0E72, 0x0E78, 0x0E79};

// Date stamp of a write (kWriteStampAddrs).
// Returns false (error listed as "frmCommun->WriteComDat") when the image
// does not reach those addresses.
bool WriteComDat(DocumentData& doc, ErrorList& errors, const QDateTime& now);

// An address range of a transfer, both ends included.
struct AddressRange {
    int start = 0;
    int end = 0;
};

// Progress bar value and status label ("45 %").
void ShowComPercent(TransferData& x, int percent);

// ShowComPercent, then the progress signal: the windows show it at once.
void announceComPercent(Transfer& x, int percent);

// The reason a range cannot be transferred ("" when it can): start above
// end, more than 518 blocks, or addresses outside the image.
QString TransferRangeProblem(const CommContext& s, TransferDirection d);

class TransferDriver {
public:
    using Clock = std::function<QDateTime()>;

    // Step 1 (on the state's thread). A write needs `assemble`; without it
    // the write is refused. `range` replaces the direction's configured
    // address range for this transfer only (a backup or verify read); the
    // settings keep their values.
    TransferDriver(CommContext s, TransferDirection d, WriteAssembler assemble, Clock clock = {},
                   std::optional<AddressRange> range = std::nullopt);
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
    struct Work;
    void runScripts(CommLink& link, TransferOutcome& o);

    TransferDirection dir_;
    WriteAssembler assemble_;
    Clock clock_;
    QString refusal_;
    std::unique_ptr<Work> work_; // the transfer's private state
    TransferCallbacks cb_;
    std::atomic<bool> stop_{false};
};

// Step 3 (on the state's thread): trace, counters and error entries into the
// state; a write that opened the port leaves its image in s.doc. Returns
// true when s.doc's bytes were replaced. A complete read's image is NOT put
// in place here (see shell/RadioTransfer.h).
bool applyTransferOutcome(CommContext s, const TransferOutcome& o);

// On the state's thread: mirrors one trace line that a worker reported
// (TransferWorker::traceLine) into s.xfer.listRtData, so the list is live
// while the transfer runs. The outcome puts the final list in place.
void applyTraceLine(CommContext s, int index, const QString& line, bool reset);

} // namespace qm

Q_DECLARE_METATYPE(qm::TransferOutcome)
