// Runs a program with arguments given as raw bytes (QProcess would re-encode
// a file name that is not UTF-8) and, if asked, with a cap on its address
// space, so a test can see that an input cannot make it hang or grow. Unix.
#pragma once

#include "support/SimProcess.h"

#include <QByteArray>

#include <cerrno>
#include <csignal>
#include <vector>

#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace qmtest {

inline RunResult runRaw(const std::vector<QByteArray>& argv, int timeoutMs = 60000, rlim_t addressSpace = 0)
{
    RunResult r;
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0)
        return r;
    std::vector<char*> args;
    for (const QByteArray& a : argv)
        args.push_back(const_cast<char*>(a.constData()));
    args.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        ::close(out[0]);
        ::close(err[0]);
        // AddressSanitizer reserves terabytes of shadow address space at
        // start, so an instrumented program cannot run under a cap; there the
        // timeout alone stands between the test and a run that never ends.
#if !defined(__SANITIZE_ADDRESS__)
        if (addressSpace) {
            const rlimit lim{addressSpace, addressSpace};
            ::setrlimit(RLIMIT_AS, &lim);
        }
#else
        (void)addressSpace;
#endif
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    if (pid < 0)
        return r;
    timespec start;
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    auto elapsedMs = [&] {
        timespec now;
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        return (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
    };
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    QByteArray* sinks[2] = {&r.out, &r.err};
    int open = 2;
    bool killed = false;
    while (open > 0) {
        const long left = timeoutMs - elapsedMs();
        if (left <= 0) {
            ::kill(pid, SIGKILL);
            killed = true;
            break;
        }
        if (::poll(fds, 2, int(left)) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buf[4096];
            const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, qsizetype(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (auto& f : fds)
        if (f.fd >= 0)
            ::close(f.fd);
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.finished = !killed;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

} // namespace qmtest
