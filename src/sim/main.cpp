// qm570-sim: a simulated QM570 radio on a pseudo-terminal.
//
// It prints the device path of the terminal as the first line of its output;
// point the programmer (or qm570-cli --device) at that path. The radio logic
// is in SimRadio; this file owns the terminal, the timing of the bytes on the
// line, the memory file and the command line.
#include "image/SafeFile.h"
#include "shell/ProgramFolder.h"
#include "sim/SimRadio.h"

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <limits.h>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/signalfd.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

using qmsim::FrameKind;
using qmsim::SimRadio;
using qmsim::StepResult;

constexpr const char* kUsage =
    "usage: qm570-sim [OPTIONS]\n"
    "\n"
    "Simulates a QM570 radio on a pseudo-terminal. The first line of the output\n"
    "is the terminal's device path; give it to the programmer as its port.\n"
    "\n"
    "options:\n"
    "  --home DIR            folder of the default image (default: the folder of this program;\n"
    "                        installed: ~/.local/share/qm570 or the installed data)\n"
    "  --image FILE          radio memory to start from (default: Kelvex.exe in the home folder);\n"
    "                        a short file is padded with FF, only the first 8192 bytes are used\n"
    "  --save FILE           write the memory to FILE after every write session and on exit\n"
    "  --sessions N          exit after N end frames\n"
    "  --fail-first N        stay silent (no echo, no answer) for the first N frames that need an answer\n"
    "  --corrupt-block ADDR  answer every read of the block at ADDR (hexadecimal) with a wrong length byte\n"
    "  --no-echo             answer, but never echo the received bytes\n"
    "  --pace-baud RATE      take the real line time at RATE baud (10 bits per byte) for every byte\n"
    "  --quiet               log nothing but errors\n"
    "  --verbose             log every frame\n"
    "  --help                show this text\n";

// A partly received frame is dropped when the line stays quiet this long.
constexpr int64_t kFrameTimeoutNs = 250'000'000;

struct Options {
    std::string home;
    std::string image;
    std::string save;
    int sessions = 0; // 0: no limit
    qmsim::RadioFaults faults;
    long paceBaud = 0; // 0: no pacing
    int logLevel = 1;  // 0 quiet, 1 normal, 2 verbose
};

bool parseInt(const std::string& text, int base, long min, long max, long& out)
{
    if (text.empty())
        return false;
    std::string t = text;
    if (base == 16 && t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))
        t = t.substr(2);
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(t.c_str(), &end, base);
    if (errno != 0 || end == t.c_str() || *end != '\0' || v < min || v > max)
        return false;
    out = v;
    return true;
}

std::string executableFolder(const char* argv0)
{
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string path = n > 0 ? std::string(buf, std::size_t(n)) : std::string(argv0);
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// Returns -1 to go on, else the exit status.
int parseOptions(int argc, char** argv, Options& o)
{
    auto fail = [](const std::string& msg) {
        std::fprintf(stderr, "qm570-sim: %s\n(try qm570-sim --help)\n", msg.c_str());
        return 2;
    };
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::optional<std::string> inlineValue;
        if (arg.rfind("--", 0) == 0) {
            const auto eq = arg.find('=');
            if (eq != std::string::npos) {
                inlineValue = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
            }
        }
        auto value = [&](std::string& out) {
            if (inlineValue) {
                out = *inlineValue;
                return true;
            }
            if (i + 1 >= argc)
                return false;
            out = argv[++i];
            return true;
        };
        auto flag = [&]() { return !inlineValue; };

        std::string v;
        long n = 0;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--quiet" && flag()) {
            o.logLevel = 0;
        } else if (arg == "--verbose" && flag()) {
            o.logLevel = 2;
        } else if (arg == "--no-echo" && flag()) {
            o.faults.echo = false;
        } else if (arg == "--home" || arg == "--image" || arg == "--save") {
            if (!value(v) || v.empty())
                return fail(arg + " needs a path");
            (arg == "--home" ? o.home : arg == "--image" ? o.image : o.save) = v;
        } else if (arg == "--sessions") {
            if (!value(v) || !parseInt(v, 10, 1, 1'000'000, n))
                return fail("--sessions needs a number of at least 1");
            o.sessions = int(n);
        } else if (arg == "--fail-first") {
            if (!value(v) || !parseInt(v, 10, 0, 1'000'000, n))
                return fail("--fail-first needs a number of at least 0");
            o.faults.failFirst = int(n);
        } else if (arg == "--corrupt-block") {
            if (!value(v) || !parseInt(v, 16, 0, 0xFFFF, n))
                return fail("--corrupt-block needs a hexadecimal address from 0 to FFFF");
            o.faults.corruptBlock = uint16_t(n);
        } else if (arg == "--pace-baud") {
            if (!value(v) || !parseInt(v, 10, 1, 10'000'000, n))
                return fail("--pace-baud needs a rate in baud");
            o.paceBaud = n;
        } else {
            return fail("unknown option '" + std::string(argv[i]) + "'");
        }
    }
    if (o.home.empty())
        o.home = qm::chooseProgramFolder(QString(),
                                         qm::systemProgramFolderPlaces(QString::fromStdString(executableFolder(argv[0]))),
                                         qm::FolderAccess::ReadOnly)
                     .path.toStdString();
    if (o.image.empty())
        o.image = o.home + "/Kelvex.exe";
    return -1;
}

bool loadImage(const std::string& path, std::vector<uint8_t>& memory, int logLevel)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        std::fprintf(stderr, "qm570-sim: cannot read the image %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    memory.assign(qmsim::kRadioMemorySize + 1, 0xFF);
    const std::size_t n = std::fread(memory.data(), 1, memory.size(), f);
    const bool failed = std::ferror(f);
    std::fclose(f);
    if (failed) {
        std::fprintf(stderr, "qm570-sim: cannot read the image %s\n", path.c_str());
        return false;
    }
    if (n > qmsim::kRadioMemorySize && logLevel > 0)
        std::fprintf(stderr, "qm570-sim: %s is longer than %zu bytes; the rest is ignored\n", path.c_str(),
                     qmsim::kRadioMemorySize);
    else if (n < qmsim::kRadioMemorySize && logLevel > 0)
        std::fprintf(stderr, "qm570-sim: %s holds %zu bytes; the rest of the memory reads FF\n", path.c_str(), n);
    memory.resize(qmsim::kRadioMemorySize);
    return true;
}

int64_t nowNs()
{
    timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

void sleepUntil(int64_t deadlineNs)
{
    timespec ts;
    ts.tv_sec = time_t(deadlineNs / 1'000'000'000);
    ts.tv_nsec = long(deadlineNs % 1'000'000'000);
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

class Simulator {
public:
    Simulator(const Options& o, std::vector<uint8_t> memory)
        : opt_(o)
        , radio_(std::move(memory), o.faults)
        , byteNs_(o.paceBaud > 0 ? 10'000'000'000 / o.paceBaud : 0)
    {
    }

    ~Simulator()
    {
        for (int fd : {sigFd_, slave_, master_})
            if (fd >= 0)
                ::close(fd);
    }

    bool open();
    const std::string& devicePath() const { return slavePath_; }
    int run();

private:
    void onInput(const uint8_t* data, std::size_t n);
    void queue(uint8_t byte, int64_t due) { out_.push_back({byte, due}); }
    void sendDue();
    bool readInput();
    void save(const char* why);
    void log(int level, const std::string& text) const
    {
        if (opt_.logLevel >= level)
            std::fprintf(stderr, "qm570-sim: %s\n", text.c_str());
    }

    struct Pending {
        uint8_t byte;
        int64_t due; // monotonic ns; 0 = at once
    };

    Options opt_;
    SimRadio radio_;
    int64_t byteNs_;         // line time of one byte (0 without pacing)
    int64_t lineFree_ = 0;   // when the line is free for the next byte
    int64_t lastInput_ = 0;
    std::deque<Pending> out_;
    int master_ = -1;
    int slave_ = -1;
    int sigFd_ = -1;
    std::string slavePath_;
    bool stop_ = false;
};

bool Simulator::open()
{
    // SIGINT and SIGTERM arrive through a descriptor, so the loop sees them
    // between two bytes and the memory is saved before the exit.
    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGINT);
    sigaddset(&mask, SIGTERM);
    ::sigprocmask(SIG_BLOCK, &mask, nullptr);
    sigFd_ = ::signalfd(-1, &mask, SFD_NONBLOCK | SFD_CLOEXEC);
    ::signal(SIGPIPE, SIG_IGN);

    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        std::fprintf(stderr, "qm570-sim: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
        return false;
    }
    char name[256];
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        std::fprintf(stderr, "qm570-sim: cannot name the pseudo-terminal: %s\n", std::strerror(errno));
        return false;
    }
    slavePath_ = name;

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
    // whenever the programmer closes the port between two transfers.
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ < 0) {
        std::fprintf(stderr, "qm570-sim: cannot open %s: %s\n", name, std::strerror(errno));
        return false;
    }
    return true;
}

void Simulator::onInput(const uint8_t* data, std::size_t n)
{
    const int64_t now = nowNs();
    lastInput_ = now;
    for (std::size_t i = 0; i < n; ++i) {
        const StepResult r = radio_.receive(data[i]);
        // The received byte occupies the line; its echo is heard as it ends.
        int64_t due = 0;
        if (byteNs_ > 0) {
            lineFree_ = std::max(lineFree_, now) + byteNs_;
            due = lineFree_;
        }
        if (r.echo)
            queue(data[i], due);
        // The answer follows only once the whole command has been heard.
        for (uint8_t b : r.reply) {
            if (byteNs_ > 0) {
                lineFree_ += byteNs_;
                due = lineFree_;
            }
            queue(b, due);
        }

        if (r.dropped && opt_.logLevel >= 2) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "dropped byte %02X", data[i]);
            log(2, buf);
        }
        if (r.frame == FrameKind::None)
            continue;
        log(2, SimRadio::describe(r));
        if (r.ignored)
            continue;
        if (r.frame == FrameKind::Handshake) {
            log(1, "handshake: session started");
        } else if (r.frame == FrameKind::SetTime) {
            const auto c = *radio_.clock();
            char buf[64];
            std::snprintf(buf, sizeof buf, "clock set to %02X:%02X:%02X", c[0], c[1], c[2]);
            log(1, buf);
        } else if (r.frame == FrameKind::End) {
            log(1, "end frame " + std::to_string(radio_.endFrames()) + ": session ended after "
                       + std::to_string(r.sessionBlocksRead) + " blocks read, " + std::to_string(r.sessionBlocksWritten)
                       + " written");
            if (r.sessionWrote)
                save("write session ended");
            if (opt_.sessions > 0 && radio_.endFrames() >= opt_.sessions)
                stop_ = true;
        }
    }
}

void Simulator::sendDue()
{
    const int64_t now = byteNs_ > 0 ? nowNs() : 0;
    std::string chunk;
    std::size_t count = 0;
    while (count < out_.size() && out_[count].due <= now)
        chunk.push_back(char(out_[count++].byte));
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
            log(2, "a reply could not be delivered; " + std::to_string(chunk.size() - done) + " bytes dropped");
            done = chunk.size();
        }
    }
    out_.erase(out_.begin(), out_.begin() + long(count));
}

// Reads what the programmer has sent; false when the run should stop.
bool Simulator::readInput()
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
        return true; // EAGAIN, or nothing more for now
    }
}

void Simulator::save(const char* why)
{
    if (opt_.save.empty())
        return;
    const auto& mem = radio_.memory();
    QString error;
    const QString path = QString::fromLocal8Bit(opt_.save.c_str());
    if (qm::writeFileAtomically(path, QByteArray(reinterpret_cast<const char*>(mem.data()), qsizetype(mem.size())),
                                &error))
        log(1, std::string("memory saved to ") + opt_.save + " (" + why + ")");
    else
        std::fprintf(stderr, "qm570-sim: cannot save the memory to %s: %s\n", opt_.save.c_str(),
                     error.toLocal8Bit().constData());
}

int Simulator::run()
{
    while (!stop_ || !out_.empty()) {
        // Paced bytes wait for their moment on the line.
        if (!out_.empty()) {
            if (byteNs_ > 0 && out_.front().due > nowNs())
                sleepUntil(out_.front().due);
            sendDue();
        }

        int timeoutMs = -1;
        if (!out_.empty()) {
            timeoutMs = 0; // only look for input and signals
        } else if (stop_) {
            break;
        } else if (radio_.midFrame()) {
            const int64_t left = lastInput_ + kFrameTimeoutNs - nowNs();
            timeoutMs = left > 0 ? int((left + 999'999) / 1'000'000) : 0;
        }

        pollfd fds[2] = {{master_, POLLIN, 0}, {sigFd_, POLLIN, 0}};
        const int ready = ::poll(fds, sigFd_ >= 0 ? 2 : 1, timeoutMs);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            std::fprintf(stderr, "qm570-sim: poll failed: %s\n", std::strerror(errno));
            break;
        }
        if (sigFd_ >= 0 && (fds[1].revents & POLLIN)) {
            signalfd_siginfo info;
            if (::read(sigFd_, &info, sizeof info) > 0)
                log(1, std::string("stopped by ") + (info.ssi_signo == SIGINT ? "SIGINT" : "SIGTERM"));
            stop_ = true;
            out_.clear();
            break;
        }
        if (fds[0].revents & POLLIN) {
            readInput();
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            // Cannot happen while we hold the other end; do not spin if it does.
            ::usleep(10'000);
        }
        if (ready == 0 && out_.empty() && radio_.midFrame()
            && nowNs() - lastInput_ >= kFrameTimeoutNs && radio_.abandonFrame())
            log(2, "line quiet in the middle of a frame: frame dropped");
    }
    save("simulator ends");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    Options opt;
    const int status = parseOptions(argc, argv, opt);
    if (status >= 0)
        return status;

    std::vector<uint8_t> memory;
    if (!loadImage(opt.image, memory, opt.logLevel))
        return 1;

    Simulator sim(opt, std::move(memory));
    if (!sim.open())
        return 1;
    std::printf("%s\n", sim.devicePath().c_str());
    std::fflush(stdout);
    return sim.run();
}
