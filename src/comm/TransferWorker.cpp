#include "comm/TransferWorker.h"

#include <QThread>

namespace qm {

TransferWorker::TransferWorker(std::unique_ptr<TransferDriver> driver, LinkFactory makeLink, QObject* parent)
    : QObject(parent), driver_(std::move(driver)), makeLink_(std::move(makeLink))
{
    qRegisterMetaType<qm::TransferOutcome>("qm::TransferOutcome");
    TransferCallbacks cb;
    cb.progress = [this](int percent) { emit progress(percent); };
    cb.traceLine = [this](int index, const QString& line, bool reset) { emit traceLine(index, line, reset); };
    driver_->setCallbacks(std::move(cb));
}

TransferWorker::~TransferWorker() = default;

void TransferWorker::requestStop()
{
    driver_->requestStop();
}

void TransferWorker::run()
{
    TransferOutcome o;
    std::unique_ptr<CommLink> link;
    ErrorList failure;
    const bool made = guarded(failure, QStringLiteral("modCommun->OpenCom"), [&] {
        link = makeLink_();
        if (!link)
            throw QmError(75, QStringLiteral("open port"), {}, QStringLiteral("no link to the radio could be made"));
    });
    if (!made) {
        // The reason goes to the dialog's message and to the error list.
        o.direction = driver_->direction();
        o.result = TransferResult::PortOpenFailed;
        o.ComOpenErr = -1;
        o.errors = failure.entries();
        o.message = o.errors.back().error.text();
    } else {
        o = driver_->run(*link);
        link.reset();
    }
    emit finished(o);
}

QThread* startTransferThread(TransferWorker* worker)
{
    auto* thread = new QThread;
    worker->setParent(nullptr);
    worker->moveToThread(thread);
    QObject::connect(thread, &QThread::started, worker, &TransferWorker::run);
    // quit() is thread-safe: end the thread from the worker side, without
    // waiting for the owner's event loop.
    QObject::connect(worker, &TransferWorker::finished, thread, &QThread::quit, Qt::DirectConnection);
    QObject::connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    return thread;
}

} // namespace qm
