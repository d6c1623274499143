// The read/write dialog: cmdRead/cmdWrite, progress, lamp, frame trace, address boxes.
//
// A transfer runs on a worker thread (comm/TransferWorker.h); progress, trace
// lines and the outcome come back as queued signals, so the dialog repaints
// and the lamp blinks while the radio is read or written. While it runs the
// dialog cannot be closed and no second transfer can start.
//
// A write runs as shell/SafeWrite.h describes: a backup read with the write
// preview (frmWritePreview), the write, a verify read; each a transfer of its
// own on the worker thread, chosen by the check boxes chkBackupBeforeWrite
// and chkVerifyAfterWrite (keys BackupBeforeWrite and VerifyAfterWrite). The
// status label names the phase that runs.
#pragma once

#include "comm/modTransfer.h"
#include "desktop/DesktopContext.h"
#include "shell/SafeWrite.h"

#include <memory>

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QThread;
class QTimer;

namespace qm {

class TransferWorker;

class frmCommun : public QDialog {
    Q_OBJECT
public:
    explicit frmCommun(DesktopContext& ctx, QWidget* parent = nullptr);
    ~frmCommun() override;
    enum class Mode {
        Read,  // Program > Read: cmdRead shown, cmdWrite hidden
        Write, // Program > Write: cmdWrite shown, cmdRead hidden
        Keep,  // Auto Read/Write: the buttons stay as they are
    };
    // Shows the buttons of the menu command; the main window then runs exec().
    void setMode(Mode mode);
    // True while a transfer runs (the dialog cannot be closed meanwhile).
    bool transferRunning() const;

    // The transfers (the buttons' click handlers). Each returns at once; the
    // transfer goes on in the background until transferFinished().
    void cmdRead_Click();
    void cmdWrite_Click();

    // Compact form (only fraOne) or expanded form (all three frames); the
    // double-click on fraOne switches while DebugMode is on.
    bool expanded() const { return expanded_; }
    void fraOne_DblClick();

    // Window heights of the two forms in twips, as the radio program sized
    // them (the window's outer height, caption and border included).
    static int compactHeightTwips();
    static int expandedHeightTwips();

    // How the last write ended (Running while one runs), where its backup
    // went ("" without one), and how often it was written.
    SafeWriteEnd lastWriteEnd() const { return lastWriteEnd_; }
    const QString& lastBackupPath() const { return lastBackupPath_; }
    int lastWriteSessions() const { return lastWriteSessions_; }

signals:
    // After the outcome of a transfer has been applied and shown; for a
    // write, once at the end of the whole flow with the outcome of its last
    // transfer (backup, write or verify).
    void transferFinished(const qm::TransferOutcome& outcome);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void InitFace();
    void startTransfer(TransferDirection d);
    // Runs one transfer of the current operation on the worker thread (a
    // refused one ends at once); false when none was given.
    bool startSession(std::unique_ptr<TransferDriver> driver);
    void endOperation(const TransferOutcome& last);
    bool previewWrite(const ImageChanges& changes);
    void loadWriteChecks();
    void onProgress(int percent);
    void onTraceLine(int index, const QString& line, bool reset);
    void onFinished(const TransferOutcome& o);
    void showProgress();
    void showTrace();
    void setLamp(bool on);
    void applyForm();
    void applyCourseVisibility();

    DesktopContext& ctx_;
    QGroupBox* fraOne_ = nullptr;
    QGroupBox* fraRdWrDat_ = nullptr;
    QGroupBox* fraTwo_ = nullptr;
    QPushButton* cmdRead_ = nullptr;
    QPushButton* cmdWrite_ = nullptr;
    QProgressBar* prgCommunicate_ = nullptr;
    QLabel* lblComStatus_ = nullptr;
    QLabel* imgGreen_ = nullptr;
    QTimer* tmrLigGrint_ = nullptr;
    QListWidget* listRtData_ = nullptr;
    QCheckBox* chkShowMemDat_ = nullptr;
    QCheckBox* chkNotShowProg_ = nullptr;
    QCheckBox* chkStopCom_ = nullptr;
    QCheckBox* chkBackupBeforeWrite_ = nullptr;
    QCheckBox* chkVerifyAfterWrite_ = nullptr;
    QLineEdit* addrBoxes_[5] = {};

    bool expanded_ = false;
    bool running_ = false;
    TransferDirection runningDir_ = TransferDirection::Read;
    TransferWorker* worker_ = nullptr; // alive until its outcome has been handled
    QThread* thread_ = nullptr;
    std::unique_ptr<SafeWriteFlow> flow_; // the write that runs
    QString phaseText_;                   // "Backup", "Write", "Verify" before the percentage
    SafeWriteEnd lastWriteEnd_ = SafeWriteEnd::Running;
    QString lastBackupPath_;
    int lastWriteSessions_ = 0;
};

} // namespace qm
