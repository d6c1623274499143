#include "sim/PtyServer.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace qmsim {

namespace {

constexpr int64_t kNsPerMs = 1'000'000;

int64_t nowNs()
{
    timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

} // namespace

PtyServer::PtyServer(SimRadio& radio) : radio_(radio) {}

PtyServer::~PtyServer()
{
    for (int fd : {stopFd_, slave_, master_})
        if (fd >= 0)
            ::close(fd);
}

void PtyServer::setPaceBaud(long baud)
{
    byteNs_ = baud > 0 ? 10'000'000'000 / baud : 0;
}

void PtyServer::watch(int fd, std::function<bool()> onReadable)
{
    watchedFd_ = fd;
    onWatched_ = std::move(onReadable);
}

bool PtyServer::open(std::string* error)
{
    auto fail = [&](const std::string& what) {
        if (error)
            *error = what + ": " + std::strerror(errno);
        return false;
    };
    stopFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (stopFd_ < 0)
        return fail("cannot create the stop event");

    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        return fail("cannot create a pseudo-terminal");
    char name[256];
    if (::ptsname_r(master_, name, sizeof name) != 0)
        return fail("cannot name the pseudo-terminal");

    // Raw bytes both ways: no echo, no line editing, no character mapping by
    // the terminal itself (the echo the programmer hears is ours).
    termios tio;
    if (::tcgetattr(master_, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B9600);
        ::cfsetospeed(&tio, B9600);
        ::tcsetattr(master_, TCSANOW, &tio);
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);

    // Hold the terminal open ourselves: while no process has the other end
    // open, writes would be lost and the master would report a hang-up
    // whenever the programmer closes the port between two transfers. Raw on
    // this side too, so that a port which restores the terminal's settings
    // when it closes cannot bring line echo back.
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ < 0)
        return fail(std::string("cannot open ") + name);
    if (::tcgetattr(slave_, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(slave_, TCSANOW, &tio);
    }
    devicePath_ = name;
    return true;
}

void PtyServer::stop()
{
    const uint64_t one = 1;
    if (stopFd_ >= 0 && ::write(stopFd_, &one, sizeof one) < 0) {
        // Only a counter that is already set refuses: the stop is pending.
    }
}

void PtyServer::onInput(const uint8_t* data, std::size_t n)
{
    const int64_t now = nowNs();
    lastInput_ = now;
    std::vector<std::pair<uint8_t, StepResult>> steps;
    steps.reserve(n);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (std::size_t i = 0; i < n; ++i)
            steps.emplace_back(data[i], radio_.receive(data[i]));
    }

    // The bytes that arrived take their line time one after the other, from
    // the moment they arrived, or from the end of the bytes still on the
    // line (earlier ones, or an answer already under way); each echo is
    // heard as its byte ends. The answer to a frame follows the frame's last
    // byte after the radio's delay, its bytes one after the other. Every
    // deadline counts from the start of its run of bytes.
    const int64_t busyUntil = answerStart_ <= now ? std::max(echoFree_, answerFree_) : echoFree_;
    if (now >= busyUntil || busyUntil > echoFree_) {
        echoStart_ = std::max(now, busyUntil);
        echoBytes_ = 0;
    }
    int64_t lastDue = -1;
    for (const auto& [byte, r] : steps) {
        const int64_t heard = echoStart_ + ++echoBytes_ * byteNs_;
        echoFree_ = heard;
        if (r.echo)
            lastDue = std::max(lastDue, queue(byte, heard));
        if (r.reply.empty())
            continue;
        answerStart_ = std::max(heard + int64_t(r.replyDelayMs) * kNsPerMs, answerFree_);
        for (std::size_t j = 0; j < r.reply.size(); ++j)
            lastDue = std::max(lastDue, queue(r.reply[j], answerStart_ + int64_t(j + 1) * byteNs_));
        answerFree_ = answerStart_ + int64_t(r.reply.size()) * byteNs_;
        if (r.replyDelayMs == 0) {
            // More bytes in the same read came after the answer.
            echoStart_ = echoFree_ = answerFree_;
            echoBytes_ = 0;
        }
    }
    // The last byte of this burst tells how late the line ran (sendDue).
    for (auto it = out_.rbegin(); lastDue >= 0 && it != out_.rend(); ++it) {
        if (it->due == lastDue) {
            it->lastOfBurst = true;
            break;
        }
    }

    for (const auto& [byte, r] : steps) {
        if (r.dropped && log) {
            char buf[48];
            std::snprintf(buf, sizeof buf, "dropped byte %02X", byte);
            say(2, buf);
        }
        if (onStep)
            onStep(byte, r);
    }
}

// Queues a byte in the order of the deadlines (an echo may come before a
// late answer that is still waiting); returns its deadline.
int64_t PtyServer::queue(uint8_t byte, int64_t due)
{
    auto at = std::upper_bound(out_.begin(), out_.end(), due, [](int64_t d, const Pending& p) { return d < p.due; });
    out_.insert(at, Pending{byte, due, false});
    return due;
}

void PtyServer::sendDue()
{
    const int64_t now = nowNs();
    std::string chunk;
    std::size_t count = 0;
    bool endsBurst = false;
    int64_t lastDue = 0;
    while (count < out_.size() && out_[count].due <= now) {
        chunk.push_back(char(out_[count].byte));
        if (out_[count].lastOfBurst) {
            endsBurst = true;
            lastDue = out_[count].due;
        }
        ++count;
    }
    if (chunk.empty())
        return;
    std::size_t done = 0;
    bool flushed = false;
    while (done < chunk.size()) {
        const ssize_t w = ::write(master_, chunk.data() + done, chunk.size() - done);
        if (w > 0) {
            done += std::size_t(w);
        } else if (w < 0 && errno == EINTR) {
            continue;
        } else if (w < 0 && errno == EAGAIN && !flushed) {
            // The terminal's input queue is full: nobody is reading it. The
            // programmer empties it before every exchange anyway.
            ::tcflush(slave_, TCIFLUSH);
            flushed = true;
        } else {
            say(2, "a reply could not be delivered; " + std::to_string(chunk.size() - done) + " bytes dropped");
            done = chunk.size();
        }
    }
    if (endsBurst && byteNs_ > 0) {
        const int64_t late = std::max<int64_t>(nowNs() - lastDue, 0);
        ++lateness_.bursts;
        lateness_.totalNs += late;
        lateness_.maxNs = std::max(lateness_.maxNs, late);
    }
    out_.erase(out_.begin(), out_.begin() + long(count));
}

void PtyServer::readInput()
{
    uint8_t buf[4096];
    for (;;) {
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) {
            onInput(buf, std::size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return; // EAGAIN, or nothing more for now
    }
}

bool PtyServer::run()
{
    if (master_ < 0)
        return false;
    // Wake at the deadline itself, not up to 50 us after it (the default
    // slack of a thread's timers).
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    finishing_ = false;
    bool ok = true;
    for (;;) {
        sendDue();

        // Sleep until the next byte is due, the line has been quiet too long
        // in the middle of a frame, input arrives or a stop is asked for.
        const int64_t now = nowNs();
        int64_t waitNs = -1; // for ever
        if (!out_.empty())
            waitNs = std::max<int64_t>(out_.front().due - now, 0);
        else if (finishing_)
            break;
        else if (radio_.midFrame())
            waitNs = std::max<int64_t>(lastInput_ + kFrameTimeoutMs * kNsPerMs - now, 0);
        timespec ts{time_t(waitNs / 1'000'000'000), long(waitNs % 1'000'000'000)};

        pollfd fds[3] = {{master_, POLLIN, 0}, {stopFd_, POLLIN, 0}, {watchedFd_, POLLIN, 0}};
        const int ready = ::ppoll(fds, watchedFd_ >= 0 ? 3 : 2, waitNs < 0 ? nullptr : &ts, nullptr);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            say(0, std::string("poll failed: ") + std::strerror(errno));
            ok = false;
            break;
        }
        if (fds[1].revents & POLLIN) {
            uint64_t count = 0;
            if (::read(stopFd_, &count, sizeof count) < 0) {
                // Nothing to undo: the stop was seen.
            }
            break;
        }
        if (watchedFd_ >= 0 && (fds[2].revents & POLLIN) && onWatched_ && onWatched_())
            break;
        if (fds[0].revents & POLLIN) {
            readInput();
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            // Cannot happen while we hold the other end; do not spin if it does.
            ::usleep(10'000);
        }
        if (out_.empty() && radio_.midFrame() && nowNs() - lastInput_ >= kFrameTimeoutMs * kNsPerMs) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                radio_.abandonFrame();
            }
            say(2, "line quiet in the middle of a frame: frame dropped");
        }
    }
    out_.clear();
    return ok;
}

} // namespace qmsim
