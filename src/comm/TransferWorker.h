// Runs a prepared transfer on a worker thread and reports back through
// queued signals, so the dialog repaints and its lamp blinks meanwhile.
//
//   auto* worker = new TransferWorker(prepareTransfer(s, TransferDirection::Read),
//                                     [path] { return std::make_unique<SerialLink>(path); });
//   connect(worker, &TransferWorker::progress, dialog, ...);
//   connect(worker, &TransferWorker::traceLine, dialog,
//           [&](int i, const QString& line, bool reset) { applyTraceLine(s, i, line, reset); });
//   connect(worker, &TransferWorker::finished, dialog, [&](const TransferOutcome& o) { finishTransfer(s, o, &ui); });
//   startTransferThread(worker);
// (prepareTransfer and finishTransfer: shell/RadioTransfer.h.)
//
// The link is made on the worker thread (a serial port belongs to the thread
// that created it). The worker and its thread delete themselves when done.
#pragma once

#include "comm/modTransfer.h"

#include <QObject>

class QThread;

namespace qm {

class TransferWorker : public QObject {
    Q_OBJECT
public:
    using LinkFactory = std::function<std::unique_ptr<CommLink>()>;

    TransferWorker(std::unique_ptr<TransferDriver> driver, LinkFactory makeLink, QObject* parent = nullptr);
    ~TransferWorker() override;

    // Any thread: stop between two scripts.
    void requestStop();

public slots:
    void run();

signals:
    void progress(int percent);
    void traceLine(int index, const QString& line, bool reset);
    void finished(const qm::TransferOutcome& outcome);

private:
    std::unique_ptr<TransferDriver> driver_;
    LinkFactory makeLink_;
};

// Moves the worker to a new thread and runs it there; the thread ends and
// both are deleted after finished() has been emitted. Returns the thread.
QThread* startTransferThread(TransferWorker* worker);

} // namespace qm
