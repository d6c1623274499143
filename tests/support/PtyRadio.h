// A radio behind a pseudo-terminal, for the serial-link tests: a thread reads
// the master side, echoes every byte and answers each complete frame with
// FakeRadio. Unix only.
#pragma once

#include "support/FakeLink.h"

#include <QString>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace qmtest {

class PtyRadio {
public:
    FakeRadio radio;
    std::atomic<bool> silent{false};

    PtyRadio()
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
            return;
        path_ = QString::fromLocal8Bit(ptsname(master_));
        // Keep the slave open so the master never reads EIO between users.
        slave_ = ::open(ptsname(master_), O_RDWR | O_NOCTTY);
        // Raw from the start: a port that restores the terminal's settings on
        // close must not bring back line echo, or the unread echo of the last
        // frame would bounce between the two sides.
        if (slave_ >= 0) {
            termios t{};
            if (tcgetattr(slave_, &t) == 0) {
                cfmakeraw(&t);
                tcsetattr(slave_, TCSANOW, &t);
            }
        }
        thread_ = std::thread([this] { loop(); });
    }
    ~PtyRadio()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (slave_ >= 0)
            ::close(slave_);
        if (master_ >= 0)
            ::close(master_);
    }
    bool ok() const { return !path_.isEmpty() && slave_ >= 0; }
    const QString& path() const { return path_; }
    std::mutex& lock() { return mutex_; }

private:
    void loop()
    {
        QByteArray buf;
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 5) <= 0)
                continue;
            char chunk[256];
            const ssize_t n = ::read(master_, chunk, sizeof chunk);
            if (n <= 0) {
                ::usleep(1000);
                continue;
            }
            if (silent)
                continue;
            writeAll(QByteArray(chunk, static_cast<int>(n))); // the cable's echo
            buf.append(chunk, static_cast<int>(n));
            for (;;) {
                const int len = FakeRadio::frameLength(buf);
                if (len == 0)
                    break;
                if (len < 0) {
                    buf.remove(0, 1);
                    continue;
                }
                QByteArray answer;
                {
                    std::lock_guard<std::mutex> g(mutex_);
                    answer = radio.respond(buf.left(len));
                }
                buf.remove(0, len);
                writeAll(answer);
            }
        }
    }
    void writeAll(const QByteArray& b)
    {
        qsizetype off = 0;
        while (off < b.size()) {
            const ssize_t w = ::write(master_, b.constData() + off, static_cast<size_t>(b.size() - off));
            if (w <= 0)
                return;
            off += w;
        }
    }

    int master_ = -1, slave_ = -1;
    QString path_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
};

} // namespace qmtest
