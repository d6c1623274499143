// Runs a program with arguments given as raw bytes (QProcess would re-encode
// a file name that is not UTF-8) and, if asked, with a cap on its address
// space, so a test can see that an input cannot make it hang or grow. Its
// output goes to files, so no pipe can fill up while the test waits. Unix.
#pragma once

#include "support/SimProcess.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <csignal>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qmtest {

inline RunResult runRaw(const std::vector<QByteArray>& argv, int timeoutMs = 60000, rlim_t addressSpace = 0)
{
    RunResult r;
    QTemporaryDir dir;
    const QByteArray outName = QFile::encodeName(dir.filePath(QStringLiteral("out"))),
                     errName = QFile::encodeName(dir.filePath(QStringLiteral("err")));
    std::vector<char*> args;
    for (const QByteArray& a : argv)
        args.push_back(const_cast<char*>(a.constData()));
    args.push_back(nullptr);
    const pid_t pid = dir.isValid() ? ::fork() : -1;
    if (pid == 0) {
        (void)addressSpace;
        ::dup2(::open(outName.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
        ::dup2(::open(errName.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        // AddressSanitizer reserves terabytes of shadow address space at
        // start, so an instrumented program cannot run under a cap; there the
        // timeout alone stands between the test and a run that never ends.
#if !defined(__SANITIZE_ADDRESS__)
        const rlimit lim{addressSpace, addressSpace};
        if (addressSpace)
            ::setrlimit(RLIMIT_AS, &lim);
#endif
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    if (pid < 0)
        return r;
    int status = 0;
    pid_t done = 0;
    for (int waited = 0; (done = ::waitpid(pid, &status, WNOHANG)) == 0 && waited < timeoutMs; waited += 5)
        ::usleep(5000);
    r.finished = done == pid;
    if (!r.finished) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readFile(dir.filePath(QStringLiteral("out")));
    r.err = readFile(dir.filePath(QStringLiteral("err")));
    return r;
}

} // namespace qmtest
