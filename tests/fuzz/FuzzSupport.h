// Shared by the fuzz targets: the program state after start-up in the
// delivered program folder, built once per fuzzer process, and the check
// that stops the fuzzer with a reason.
#pragma once

#include "shell/AppState.h"
#include "shell/modStartup.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

namespace qmfuzz {

// Stops the fuzzer (which saves the input) when a property does not hold.
inline void check(const char* target, bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "%s: %s\n", target, what);
        __builtin_trap();
    }
}

// Starts `s` as the command-line tool does in the delivered program folder:
// $QM570_HOME, else bin/ beside the fuzzer's own folder (build-fuzz/bin next
// to build-fuzz/fuzz). Ends the process with a message when it cannot.
inline void startDelivered(qm::AppState& s, const char* argv0, const char* target)
{
    QString home = qEnvironmentVariable("QM570_HOME");
    if (home.isEmpty())
        home = QFileInfo(QString::fromLocal8Bit(argv0)).absoluteDir().filePath(QStringLiteral("../bin"));
    qm::StartupEnv env;
    env.home = home;
    env.mode = qm::StartupMode::Tool;
    if (qm::RunStartup(s, env) != qm::StartupOutcome::Running) {
        const QString why = s.errors.entries().empty() ? QString() : s.errors.entries().back().detail();
        std::fprintf(stderr, "%s: cannot start in %s: %s (set QM570_HOME)\n", target, qPrintable(home), qPrintable(why));
        std::exit(1);
    }
    s.errors.clear();
}

} // namespace qmfuzz
