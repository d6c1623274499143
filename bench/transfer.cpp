// bench_transfer: times a full read and a full write of the radio with
// qm570-cli against qm570-sim paced at the real line rate, and compares
// them with the least time the protocol allows.
//
//   bench_transfer [--bin DIR] [--image FILE] [--baud N] [--keep]
//
// --bin    folder holding qm570-sim, qm570-cli and the delivered data (default: the build's bin folder)
// --image  memory the simulated radio starts with (default: Kelvex.exe in --bin)
// --baud   line rate (default 9600)
// --keep   keep the temporary folder with the files of the run
//
// The least time of a transfer: every exchange waits 5 ms before it starts,
// then its bytes go over the line one after the other at 10 bits per byte:
// the bytes sent (their echo comes back while they are sent) and the reply.
// For 0x0000-0x1FFF that is the handshake (3 exchanges), 512 blocks of 16
// bytes and the end frame.
//
// The simulator paces each burst on absolute deadlines and logs, per session,
// how late it put the bursts' last bytes on the line; that time is its own,
// so it is taken off the tool's wall time before the ratio is formed (the
// plain wall ratio is shown beside it). The CPU share is the tool's CPU time
// over that same time; its wake-ups are the times it went to sleep and was
// woken (voluntary context switches), the times it was pushed off the CPU
// are shown beside them (a busy machine).
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kExchangePauseS = 0.005;
constexpr double kTargetRatio = 1.015;
constexpr double kTargetCpuShare = 0.02;

struct Exchange {
    int sent;
    int reply;
};

// The exchanges of a whole transfer of first..last, blocks of at most 16 bytes.
std::vector<Exchange> transferExchanges(bool write, int first, int last)
{
    std::vector<Exchange> x = {{7, 1}, {1, 8}, {1, 1}}; // PROGRAM/06, 02/ident, 06/06
    for (int addr = first; addr <= last; addr += 16) {
        const int len = last - addr >= 16 ? 16 : last - addr + 1;
        if (write)
            x.push_back({4 + len, 1});  // 57 AH AL LL data -> 06
        else
            x.push_back({4, 4 + len});  // 52 AH AL LL -> 57 AH AL LL data
    }
    x.push_back({7, 0}); // end frame, nothing awaited
    return x;
}

double lowerBoundSeconds(const std::vector<Exchange>& exchanges, long baud)
{
    long bytes = 0;
    for (const auto& e : exchanges)
        bytes += e.sent + e.reply;
    return double(exchanges.size()) * kExchangePauseS + double(bytes) * 10.0 / double(baud);
}

double monotonicSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double cpuSeconds(const rusage& ru)
{
    return double(ru.ru_utime.tv_sec) + double(ru.ru_utime.tv_usec) / 1e6 + double(ru.ru_stime.tv_sec)
           + double(ru.ru_stime.tv_usec) / 1e6;
}

pid_t spawn(const std::vector<std::string>& argv, int stdoutFd, int stderrFd = -1)
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    if (stdoutFd >= 0)
        dup2(stdoutFd, STDOUT_FILENO);
    if (stderrFd >= 0)
        dup2(stderrFd, STDERR_FILENO);
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    std::fprintf(stderr, "bench_transfer: cannot start %s: %s\n", args[0], std::strerror(errno));
    _exit(127);
}

struct RunResult {
    int status = -1;
    double wallS = 0;
    double cpuS = 0;
    long wakeUps = 0;    // voluntary context switches: the process slept and was woken
    long preempted = 0;  // involuntary ones: the machine was busy
};

RunResult runTimed(const std::vector<std::string>& argv)
{
    std::string line = "$";
    for (const auto& a : argv)
        line += " " + a;
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);

    RunResult r;
    std::fflush(stderr);
    const double t0 = monotonicSeconds();
    const pid_t pid = spawn(argv, -1);
    if (pid < 0)
        return r;
    int status = 0;
    rusage ru{};
    while (wait4(pid, &status, 0, &ru) < 0 && errno == EINTR) {
    }
    r.wallS = monotonicSeconds() - t0;
    r.cpuS = cpuSeconds(ru);
    r.wakeUps = ru.ru_nvcsw;
    r.preempted = ru.ru_nivcsw;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
}

std::vector<uint8_t> readFile(const std::string& path)
{
    std::vector<uint8_t> data;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        uint8_t buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            data.insert(data.end(), buf, buf + n);
        std::fclose(f);
    }
    return data;
}

bool exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// How late the simulator put its answers on the line in session `session`
// (1 = the read, 2 = the write), from its log line for that end frame.
double simLateSeconds(const std::string& log, int session)
{
    const std::string tag = "end frame " + std::to_string(session) + ":";
    const auto line = log.find(tag);
    if (line == std::string::npos)
        return 0;
    const auto late = log.find("late by ", line);
    if (late == std::string::npos || late > log.find('\n', line))
        return 0;
    return std::strtod(log.c_str() + late + 8, nullptr) / 1000.0;
}

// The tool's time is the wall time less the simulator's own lateness: a burst
// the simulator sent late keeps the tool waiting for that long, through no
// fault of its own.
void report(const char* name, const RunResult& r, double boundS, double simLateS)
{
    if (r.status != 0) {
        std::printf("%-6s FAILED with exit status %d after %.3f s (least time %.3f s)\n", name, r.status, r.wallS,
                    boundS);
        return;
    }
    const double toolS = r.wallS - simLateS;
    const double ratio = toolS / boundS;
    const double cpuShare = toolS > 0 ? r.cpuS / toolS : 0;
    std::printf("%-6s exit %-3d wall %7.3f s - sim late %.3f s = %7.3f s  bound %7.3f s  ratio %.4f (target <= %.3f: "
                "%s; wall alone %.4f)  CPU %.3f s = %.2f %% (target <= %.0f %%: %s)  wake-ups %ld (+%ld preempted)\n",
                name, r.status, r.wallS, simLateS, toolS, boundS, ratio, kTargetRatio,
                ratio <= kTargetRatio ? "met" : "MISSED", r.wallS / boundS, r.cpuS, cpuShare * 100,
                kTargetCpuShare * 100, cpuShare <= kTargetCpuShare ? "met" : "MISSED", r.wakeUps, r.preempted);
}

} // namespace

int main(int argc, char** argv)
{
    std::string bin = QM570_BIN_DIR;
    std::string image;
    long baud = 9600;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--bin" && i + 1 < argc) {
            bin = argv[++i];
        } else if (a == "--image" && i + 1 < argc) {
            image = argv[++i];
        } else if (a == "--baud" && i + 1 < argc) {
            baud = std::strtol(argv[++i], nullptr, 10);
        } else if (a == "--keep") {
            keep = true;
        } else {
            std::fprintf(stderr, "usage: bench_transfer [--bin DIR] [--image FILE] [--baud N] [--keep]\n");
            return 2;
        }
    }
    if (image.empty())
        image = bin + "/Kelvex.exe";
    if (baud <= 0 || !exists(image) || !exists(bin + "/qm570-sim") || !exists(bin + "/qm570-cli")) {
        std::fprintf(stderr, "bench_transfer: need qm570-sim, qm570-cli and the image %s (baud %ld)\n", image.c_str(),
                     baud);
        return 2;
    }

    char tmpl[] = "/tmp/qm570-bench-XXXXXX";
    if (!mkdtemp(tmpl)) {
        std::perror("bench_transfer: mkdtemp");
        return 1;
    }
    const std::string tmp = tmpl;
    const std::string readFilePath = tmp + "/read.dat";
    const std::string savedPath = tmp + "/radio-saved.dat";
    const std::string simLogPath = tmp + "/sim.log";

    // The simulated radio; its first output line is the device to use.
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        std::perror("bench_transfer: pipe");
        return 1;
    }
    // Its log (a few lines a session) ends with how late it put the bursts on
    // the line: that part of the wall time is the simulator's, not the tool's.
    const int simLog = open(simLogPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const pid_t sim = spawn({bin + "/qm570-sim", "--pace-baud", std::to_string(baud), "--image", image, "--save",
                             savedPath},
                            pipeFds[1], simLog);
    close(pipeFds[1]);
    if (simLog >= 0)
        close(simLog);
    std::string device;
    char c;
    while (read(pipeFds[0], &c, 1) == 1 && c != '\n')
        device.push_back(c);
    if (device.empty()) {
        std::fprintf(stderr, "bench_transfer: qm570-sim did not name its device\n");
        kill(sim, SIGTERM);
        waitpid(sim, nullptr, 0);
        return 1;
    }
    std::printf("simulated radio on %s, %ld baud\n", device.c_str(), baud);
    // Both processes wake for every burst on the line: on a machine busy
    // with other work their wake-ups come late and the ratio shows it.
    double load[1] = {0};
    if (getloadavg(load, 1) == 1)
        std::printf("load average %.2f on %ld processors\n", load[0], sysconf(_SC_NPROCESSORS_ONLN));

    const double readBound = lowerBoundSeconds(transferExchanges(false, 0x0000, 0x1FFF), baud);
    const double writeBound = lowerBoundSeconds(transferExchanges(true, 0x0000, 0x1FFF), baud);

    const RunResult rd = runTimed({bin + "/qm570-cli", "read", "--device", device, "-o", readFilePath, "--home", bin});
    std::vector<uint8_t> want = readFile(image);
    want.resize(8192, 0xFF);
    const std::vector<uint8_t> got = readFile(readFilePath);
    const bool same = got.size() >= want.size() && std::equal(want.begin(), want.end(), got.begin());

    RunResult wr;
    if (rd.status == 0)
        // The plain write: its lower bound counts no backup or verify read.
        wr = runTimed({bin + "/qm570-cli", "write", readFilePath, "--device", device, "--home", bin, "--no-backup"});

    kill(sim, SIGTERM);
    int simStatus = 0;
    rusage simRu{};
    while (wait4(sim, &simStatus, 0, &simRu) < 0 && errno == EINTR) {
    }
    close(pipeFds[0]);

    const std::vector<uint8_t> log = readFile(simLogPath);
    const std::string logText(log.begin(), log.end());

    std::printf("\n");
    report("read", rd, readBound, simLateSeconds(logText, 1));
    std::printf("       read data %s the simulated radio's memory\n", same ? "equals" : "DIFFERS FROM");
    if (rd.status == 0)
        report("write", wr, writeBound, simLateSeconds(logText, 2));
    else
        std::printf("write  not run (the read failed)\n");
    const double busy = rd.wallS + wr.wallS;
    if (busy > 0)
        std::printf("sim    CPU %.3f s = %.1f %% of the transfer time\n", cpuSeconds(simRu), cpuSeconds(simRu) / busy * 100);

    if (keep) {
        std::printf("files kept in %s\n", tmp.c_str());
    } else {
        unlink(readFilePath.c_str());
        unlink(savedPath.c_str());
        unlink(simLogPath.c_str());
        rmdir(tmp.c_str());
    }
    return rd.status == 0 && wr.status == 0 && same ? 0 : 1;
}
