// Test helpers around the front ends in build/bin: a running qm570-sim whose
// device path has been read from its first output line, a finished run of a
// command-line program, and whole files in and out.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace qmtest {

inline QString binPath(const char* name) { return QStringLiteral(QM570_BIN_DIR "/") + QLatin1String(name); }

inline bool writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// qm570-sim with the given options; killed when it goes out of scope.
class SimProcess {
public:
    explicit SimProcess(const QStringList& args)
    {
        proc_.setProgram(binPath("qm570-sim"));
        proc_.setArguments(args);
        proc_.setReadChannel(QProcess::StandardOutput);
        proc_.start();
        if (!proc_.waitForStarted(5000))
            return;
        QElapsedTimer t;
        t.start();
        while (!proc_.canReadLine() && t.elapsed() < 5000 && proc_.state() == QProcess::Running)
            proc_.waitForReadyRead(100);
        if (proc_.canReadLine())
            device_ = QString::fromLocal8Bit(proc_.readLine()).trimmed();
    }
    ~SimProcess()
    {
        if (proc_.state() != QProcess::NotRunning) {
            proc_.kill();
            proc_.waitForFinished(5000);
        }
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const QString& device() const { return device_; }
    QProcess& process() { return proc_; }

private:
    QProcess proc_;
    QString device_;
};

struct RunResult {
    bool finished = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs a program to its end (killed after timeoutMs), in folder cwd if given.
inline RunResult runProgram(const QString& program, const QStringList& args, int timeoutMs, const QString& cwd = {})
{
    QProcess p;
    p.setWorkingDirectory(cwd);
    p.start(program, args);
    RunResult r;
    r.finished = p.waitForStarted(5000) && p.waitForFinished(timeoutMs);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(5000);
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace qmtest
