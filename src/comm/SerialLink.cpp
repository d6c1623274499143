#include "comm/SerialLink.h"

#include "comm/modCommun.h"
#include "diag/QmError.h"

#include <QSerialPort>

#include <chrono>
#include <thread>

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace qm {

namespace {

constexpr int kWriteTimeoutMs = 2000;
// How long before the end of a pause the thread stops sleeping and watches
// the clock instead: a little more than a timer's usual lateness.
constexpr qint64 kGapSpinUs = 80;

int errorNumberFor(QSerialPort::SerialPortError e)
{
    return e == QSerialPort::DeviceNotFoundError ? 53 : 75;
}

} // namespace

SerialLink::SerialLink(QString device) : device_(std::move(device)) {}

SerialLink::~SerialLink()
{
    close();
}

bool SerialLink::open(Error* error)
{
    close();
    auto fail = [&](int number, const QString& why) {
        if (error)
            *error = Error{number, QStringLiteral("open port"), device_, why};
        port_.reset();
        return false;
    };
    if (device_.isEmpty())
        return fail(53, QStringLiteral("no serial device is configured for this port number"));

    port_ = std::make_unique<QSerialPort>();
    port_->setPortName(device_);
    port_->setBaudRate(QSerialPort::Baud9600);
    port_->setDataBits(QSerialPort::Data8);
    port_->setParity(QSerialPort::NoParity);
    port_->setStopBits(QSerialPort::OneStop);
    port_->setFlowControl(QSerialPort::NoFlowControl);
    if (!port_->open(QIODevice::ReadWrite)) {
        const auto e = port_->error();
        return fail(errorNumberFor(e), port_->errorString());
    }
    // Programming cables take their supply (and the level shifter's bias)
    // from DTR and RTS, so both are asserted while the port is open. A
    // pseudo-terminal has no modem lines and refuses; that is no error.
    port_->setDataTerminalReady(true);
    port_->setRequestToSend(true);
    port_->clearError();
#ifdef __linux__
    // The transfer runs on this thread and sleeps some 2,000 times through
    // replies and pauses: wake at each deadline itself, not up to 50 us after
    // it (the default slack of a thread's timers), which alone added about
    // 0.7 % to a full read.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    return true;
}

void SerialLink::close()
{
    if (port_) {
        if (port_->isOpen())
            port_->close();
        port_.reset();
    }
}

bool SerialLink::isOpen() const
{
    return port_ && port_->isOpen();
}

void SerialLink::throwIfGone()
{
    if (!isOpen())
        throw QmError(5, QStringLiteral("use port"), device_, QStringLiteral("the port is not open"));
    if (port_->error() == QSerialPort::ResourceError)
        throw QmError(75, QStringLiteral("use port"), device_, port_->errorString());
}

void SerialLink::clearBuffers()
{
    throwIfGone();
    port_->clear(QSerialPort::AllDirections);
    port_->clearError();
}

void SerialLink::write(const QByteArray& bytes)
{
    throwIfGone();
    if (port_->write(bytes) != bytes.size())
        throw QmError(75, QStringLiteral("send to port"), device_, port_->errorString());
    // Hand the frame to the driver now: there is no event loop to do it.
    port_->flush();
    if (port_->bytesToWrite() > 0 && !port_->waitForBytesWritten(kWriteTimeoutMs))
        throw QmError(75, QStringLiteral("send to port"), device_,
                      QStringLiteral("the frame could not be sent within %1 ms").arg(kWriteTimeoutMs));
}

qint64 SerialLink::bytesAvailable()
{
    throwIfGone();
    // Pull in whatever the driver holds without waiting.
    port_->waitForReadyRead(0);
    throwIfGone();
    return port_->bytesAvailable();
}

QByteArray SerialLink::readAll()
{
    throwIfGone();
    return port_->readAll();
}

void SerialLink::waitMs(int ms)
{
    SleepMs(ms);
}

void SerialLink::waitForBytes(int ms)
{
    throwIfGone();
    if (ms > 0)
        port_->waitForReadyRead(ms);
    throwIfGone();
}

void SerialLink::sleepUs(qint64 us)
{
    // Bytes that arrive meanwhile wait in the driver's buffer.
    if (us <= 0)
        return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(us);
    while (std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_until(deadline);
}

void SerialLink::waitGapMs(int ms, qint64 sinceUs)
{
    if (sinceUs < 0) {
        SleepMs(ms);
        return;
    }
    // On the clock of nowUs: ms after the line fell quiet, however long the
    // bookkeeping since then took (or nothing, when that is already past).
    // A sleeping thread wakes some tens of microseconds after its deadline
    // (more on a virtual machine), and a full transfer has over 500 pauses:
    // sleep to just before the end and watch the clock for the rest.
    const qint64 dueUs = sinceUs + qint64(std::max(ms, 0)) * 1000;
    sleepUs(dueUs - kGapSpinUs - nowUs());
    while (nowUs() < dueUs)
        std::this_thread::yield();
}

qint64 SerialLink::nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

qint64 SerialLink::nowUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace qm
