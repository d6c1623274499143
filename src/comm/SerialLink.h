// The link over a real serial port or a pseudo-terminal (QSerialPort, used
// without an event loop so that it works on the transfer's worker thread).
#pragma once

#include "comm/CommLink.h"

#include <memory>

class QSerialPort;

namespace qm {

class SerialLink : public CommLink {
public:
    // device: a path such as /dev/ttyUSB0 or /dev/pts/3, or a Windows name
    // such as COM3.
    explicit SerialLink(QString device);
    ~SerialLink() override;

    const QString& device() const { return device_; }

    bool open(Error* error) override;
    void close() override;
    bool isOpen() const override;
    void clearBuffers() override;
    void write(const QByteArray& bytes) override;
    qint64 bytesAvailable() override;
    QByteArray readAll() override;
    void waitMs(int ms) override;
    void waitForBytes(int ms) override;
    void sleepUs(qint64 us) override;
    void waitGapMs(int ms, qint64 sinceUs) override;
    qint64 nowMs() override;
    qint64 nowUs() override;

private:
    void throwIfGone();

    QString device_;
    std::unique_ptr<QSerialPort> port_;
};

} // namespace qm
