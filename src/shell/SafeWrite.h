// A write to the radio with a safety net around it, as the read/write dialog
// and qm570-cli write run it:
//
//   1. Backup: the radio's whole memory (0x0000 to DatNum) is read in a
//      session of its own and saved as Data/backups/<yyyyMMdd>-<HHmmss>.dat
//      (never over an existing file). If the read or the save fails, nothing
//      is written.
//   2. Preview (with a backup only): what the write will change in the radio
//      compared with its backup (shell/ImageDiff.h); cancelling it writes
//      nothing and keeps the backup file.
//   3. Write: the plain write of shell/RadioTransfer.h, byte for byte (the
//      set-time frame, when asked for, belongs to this session).
//   4. Verify: the write range is read back in a session of its own and
//      compared with what was sent. On a difference the user may write again
//      (without a new backup).
//
// SafeWriteFlow is the sequence as a state machine, so that each session can
// run on a worker thread (the dialog) or on the calling thread
// (runSafeWrite, for the command-line tool and tests):
//
//   SafeWriteFlow flow(s, options, &ui, previewHook);
//   while (auto driver = flow.nextSession()) {      // on the state's thread
//       TransferOutcome o = driver->run(link);      // any thread
//       flow.sessionFinished(o);                    // on the state's thread
//   }
//   flow.end() ...
#pragma once

#include "comm/modTransfer.h"
#include "shell/AppState.h"
#include "shell/ImageDiff.h"
#include "shell/UserInteraction.h"

#include <QDateTime>

#include <functional>
#include <memory>
#include <vector>

namespace qm {

// Keys of section "Setting" (both on when absent; "0" turns them off).
inline const QString kBackupBeforeWriteKey = QStringLiteral("BackupBeforeWrite");
inline const QString kVerifyAfterWriteKey = QStringLiteral("VerifyAfterWrite");
bool BackupBeforeWrite(const Settings& s);
bool VerifyAfterWrite(const Settings& s);
// Stores the key as "1" or "0"; false with the reason when the settings file
// cannot be written.
bool setBackupBeforeWrite(const Settings& s, bool on, QString* why = nullptr);
bool setVerifyAfterWrite(const Settings& s, bool on, QString* why = nullptr);

// home + "/Data/backups".
QString backupFolder(const Settings& s);
// "<yyyyMMdd>-<HHmmss>.dat".
QString backupFileName(const QDateTime& when);

// Creates the backup folder when missing; throws QmError 75 ("create backup
// folder") when it cannot be made or a file stands in its place.
void makeBackupFolder(const QString& folder);

// Saves the image into folder (created when missing) as backupFileName(when),
// or "<yyyyMMdd>-<HHmmss>-2.dat", "-3" ... when that name is taken: an
// existing file is never replaced. Returns the path; throws QmError (58 when
// every name is taken, 75 / 61 from the save, 380 for an image of another
// size than the radio's).
QString saveBackup(const QString& folder, const std::vector<uint8_t>& image, const QDateTime& when);

// Bytes read back against the bytes sent, over range.
struct VerifyResult {
    int firstDifference = -1; // address, -1 when equal
    int differing = 0;        // bytes that differ
    bool ok() const { return differing == 0; }
    // "first difference at 0x0E70 (3 bytes differ)"
    QString text() const;
};
VerifyResult compareWritten(const std::vector<uint8_t>& sent, const std::vector<uint8_t>& readBack, AddressRange range);

// The write range of the settings.
AddressRange writeRange(const Settings& s);

// What the radio will hold after a write of s over `radio` (its backup): the
// editors assembled into a copy of the image, stamped with `stamp`, inside
// the write range; radio's own bytes outside it. The program's state is not
// changed.
std::vector<uint8_t> imageAfterWrite(AppState& s, const std::vector<uint8_t>& radio, const QDateTime& stamp);

enum class SafeWritePhase { Backup, Write, Verify, Done };

// Short name of a phase for the dialog's status label: "Backup", "Write",
// "Verify" (Simplified Chinese under language 1); "" for Done.
QString safeWritePhaseText(const Settings& s, SafeWritePhase phase);

enum class SafeWriteEnd {
    Running,
    Written,        // the write completed (verify off)
    Verified,       // the write completed and read back equal
    Cancelled,      // the preview was cancelled: nothing written, the backup kept
    Stopped,        // stopped on request between two scripts
    Refused,        // the write range cannot be written: the radio was not spoken to
    BackupFailed,   // the backup read or its save failed: nothing written
    WriteFailed,    // the write session failed (the radio may hold part of it)
    VerifyFailed,   // the write completed, but reading it back failed
    VerifyMismatch, // the radio holds other bytes than were sent (no new write asked for)
};

struct SafeWriteOptions {
    bool backup = true;
    bool verify = true;
    bool preview = false;   // show the changes after the backup (needs the backup)
    QString backupFolder;   // empty: backupFolder(settings)
};

class SafeWriteFlow {
public:
    // Shows the changes the write will make; false cancels the write.
    using PreviewHook = std::function<bool(const ImageChanges& changes)>;

    // ui (may be null) shows the failures and asks whether to write again
    // after a verify found a difference; without ui nothing is asked and the
    // flow ends with VerifyMismatch.
    SafeWriteFlow(AppState& s, SafeWriteOptions options, UserInteraction* ui, PreviewHook preview = {},
                  TransferDriver::Clock clock = {});
    ~SafeWriteFlow();
    SafeWriteFlow(const SafeWriteFlow&) = delete;
    SafeWriteFlow& operator=(const SafeWriteFlow&) = delete;

    // The session of the current phase (on the state's thread), or null when
    // the flow has ended.
    std::unique_ptr<TransferDriver> nextSession();
    // That session's outcome (on the state's thread): applied to the state
    // (trace, errors; the written image after the write), then the next
    // phase is chosen, asking the preview and the user where needed.
    void sessionFinished(const TransferOutcome& o);
    // No further session starts; the running one stops between two scripts
    // when the caller stops its driver too.
    void requestStop();

    SafeWritePhase phase() const { return phase_; }
    SafeWriteEnd end() const { return end_; }
    // Why the flow ended as it did (ends other than Written, Verified,
    // Cancelled and Stopped); the object is empty where it is the radio's port.
    const Error& failure() const { return failure_; }
    const QString& backupPath() const { return backupPath_; }
    const std::vector<uint8_t>& backupImage() const { return backup_; }
    const VerifyResult& verifyResult() const { return verify_; }
    int writeSessions() const { return writes_; }
    // The outcome of the last session that ran.
    const TransferOutcome& lastOutcome() const { return last_; }
    const SafeWriteOptions& options() const { return opts_; }
    AppState& state() { return s_; }

private:
    void finish(SafeWriteEnd end, const Error& why = {});
    void afterBackup(const TransferOutcome& o);
    void afterWrite(const TransferOutcome& o);
    void afterVerify(const TransferOutcome& o);
    void show(const QString& prompt) const;
    void backupNotSaved(const Error& why);

    AppState& s_;
    SafeWriteOptions opts_;
    UserInteraction* ui_;
    PreviewHook preview_;
    TransferDriver::Clock clock_;
    SafeWritePhase phase_ = SafeWritePhase::Backup;
    SafeWriteEnd end_ = SafeWriteEnd::Running;
    Error failure_;
    QDateTime started_;
    QString backupPath_;
    std::vector<uint8_t> backup_;
    std::vector<uint8_t> sent_;
    AddressRange range_;
    VerifyResult verify_;
    TransferOutcome last_;
    int writes_ = 0;
    bool stop_ = false;
    bool refusalPending_ = false;
};

// The whole flow on the calling thread over link; phaseStarted (may be
// empty) is told each session's phase before it runs. Returns flow.end().
SafeWriteEnd runSafeWrite(SafeWriteFlow& flow, CommLink& link, TransferCallbacks cb = {},
                          const std::function<void(SafeWritePhase)>& phaseStarted = {});

} // namespace qm
