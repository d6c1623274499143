// qm570-sim: a simulated QM570 radio on a pseudo-terminal.
//
// It prints the device path of the terminal as the first line of its output;
// point the programmer (or qm570-cli --device) at that path. The radio is
// SimRadio and the terminal with the timing of its bytes is PtyServer (both
// in the qm570sim library); this file owns the command line, the memory file,
// the log and the signals.
#include "diag/QmError.h"
#include "settings/SafeFile.h"
#include "settings/ProgramFolder.h"
#include "sim/PtyServer.h"
#include "sim/SimRadio.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits.h>
#include <optional>
#include <signal.h>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>
#include <vector>

namespace {

using qmsim::FrameKind;
using qmsim::PtyServer;
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
    "  --pace-baud RATE      take the real line time at RATE baud (10 bits per byte) for every byte\n"
    "  --quiet               log nothing but errors\n"
    "  --verbose             log every frame\n"
    "  --help                show this text\n"
    "\n"
    "faults (frames that need an answer are every frame but the end frame,\n"
    "numbered from 1 in the order they arrive; ADDR is a block's start address in\n"
    "hexadecimal, ADDR:N lets the fault strike only the first N times):\n"
    "  --fail-first N        stay silent (no echo, no answer) for the first N frames that need an answer\n"
    "  --silent-frames LIST  give no answer (the echo stays) to these frames, e.g. 5,9,12\n"
    "  --silent-every K      give no answer (the echo stays) to every K-th frame\n"
    "  --corrupt-block ADDR  answer every read of the block at ADDR with a wrong length byte\n"
    "  --corrupt-data ADDR   answer every read of the block at ADDR with a wrong first data byte\n"
    "  --refuse-block ADDR   answer reads and writes of the block at ADDR with the refusal byte 15\n"
    "                        instead of data or the acknowledgement 06; a refused write stores nothing\n"
    "  --corrupt-store ADDR  a write block covering the address ADDR stores a wrong value there\n"
    "                        (the byte sent, inverted) and is still acknowledged\n"
    "  --delay-ms D          send every answer D milliseconds late (0 to 60000)\n"
    "  --no-echo             answer, but never echo the received bytes\n";

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

// "5,9,12": frame numbers of at least 1.
bool parseFrameList(const std::string& text, std::vector<int>& out)
{
    std::vector<int> frames;
    std::size_t from = 0;
    for (;;) {
        const auto comma = text.find(',', from);
        long n = 0;
        if (!parseInt(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from), 10, 1,
                      1'000'000, n))
            return false;
        frames.push_back(int(n));
        if (comma == std::string::npos)
            break;
        from = comma + 1;
    }
    out = frames;
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
        } else if (arg == "--silent-every") {
            if (!value(v) || !parseInt(v, 10, 1, 1'000'000, n))
                return fail("--silent-every needs a number of at least 1");
            o.faults.silentEvery = int(n);
        } else if (arg == "--silent-frames") {
            if (!value(v) || !parseFrameList(v, o.faults.silentFrames))
                return fail("--silent-frames needs frame numbers of at least 1, separated by commas");
        } else if (arg == "--corrupt-block" || arg == "--corrupt-data" || arg == "--refuse-block") {
            qmsim::BlockFault f;
            if (!value(v) || !qmsim::parseBlockFault(v, f))
                return fail(arg + " needs a hexadecimal address from 0 to FFFF, optionally followed by :N");
            (arg == "--corrupt-block" ? o.faults.corruptLength : arg == "--corrupt-data" ? o.faults.corruptData
                                                                                          : o.faults.refuseBlock) = f;
        } else if (arg == "--corrupt-store") {
            if (!value(v) || !parseInt(v, 16, 0, 0xFFFF, n))
                return fail("--corrupt-store needs a hexadecimal address from 0 to FFFF");
            o.faults.corruptStore = uint16_t(n);
        } else if (arg == "--delay-ms") {
            if (!value(v) || !parseInt(v, 10, 0, 60'000, n))
                return fail("--delay-ms needs a number of milliseconds from 0 to 60000");
            o.faults.replyDelayMs = int(n);
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

// A path of the command line as the program's file functions take it (its
// bytes kept, whatever they are).
QString pathArg(const std::string& path)
{
    return qm::pathFromNative(QByteArray(path.c_str()));
}

// One line on stderr from an error value, names escaped.
void printError(const qm::Error& e)
{
    std::fprintf(stderr, "qm570-sim: %s\n", qm::printable(e.text()).toUtf8().constData());
}

bool loadImage(const std::string& path, std::vector<uint8_t>& memory, int logLevel)
{
    const QString file = pathArg(path);
    qm::BoundedRead r;
    try {
        // At most one byte more than the memory: a device or an endless pipe
        // cannot fill this program's memory.
        r = qm::readFileAtMost(file, static_cast<int64_t>(qmsim::kRadioMemorySize), QStringLiteral("read the image"));
    } catch (const qm::QmError& e) {
        printError(e.error());
        return false;
    }
    memory.assign(qmsim::kRadioMemorySize, 0xFF);
    std::copy(r.data.begin(), r.data.end(), memory.begin());
    const std::string shown = qm::printable(file).toStdString();
    if (r.longer && logLevel > 0)
        std::fprintf(stderr, "qm570-sim: %s is longer than %zu bytes; the rest is ignored\n", shown.c_str(),
                     qmsim::kRadioMemorySize);
    else if (static_cast<std::size_t>(r.data.size()) < qmsim::kRadioMemorySize && logLevel > 0)
        std::fprintf(stderr, "qm570-sim: %s holds %zu bytes; the rest of the memory reads FF\n", shown.c_str(),
                     static_cast<std::size_t>(r.data.size()));
    return true;
}

// The memory file may be the image the radio started from (that is what it
// is for), but never a folder, device or pipe.
bool checkSaveTarget(const std::string& path)
{
    if (path.empty())
        return true;
    const qm::FileFacts f = qm::fileFacts(pathArg(path));
    if (!f.exists() || f.kind == qm::FileFacts::Kind::Regular)
        return true;
    printError(qm::Error{75, QStringLiteral("save the memory to"), pathArg(path),
                         f.kind == qm::FileFacts::Kind::Folder
                             ? QStringLiteral("it is a folder")
                             : QStringLiteral("it is a device, pipe or socket, not a regular file; only a regular file is replaced")});
    return false;
}

class Simulator {
public:
    Simulator(const Options& o, std::vector<uint8_t> memory)
        : opt_(o)
        , radio_(std::move(memory), o.faults)
        , line_(radio_)
    {
        line_.setPaceBaud(o.paceBaud);
        line_.log = [this](int level, const std::string& text) { log(level, text); };
        line_.onStep = [this](uint8_t byte, const StepResult& r) { onStep(byte, r); };
    }

    ~Simulator()
    {
        if (sigFd_ >= 0)
            ::close(sigFd_);
    }

    bool open();
    const std::string& devicePath() const { return line_.devicePath(); }
    int run();

private:
    void onStep(uint8_t byte, const StepResult& r);
    void save(const char* why);
    std::string latenessText();
    void log(int level, const std::string& text) const
    {
        if (opt_.logLevel >= level)
            std::fprintf(stderr, "qm570-sim: %s\n", text.c_str());
    }

    Options opt_;
    SimRadio radio_;
    PtyServer line_;
    int sigFd_ = -1;
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
    if (sigFd_ >= 0) {
        line_.watch(sigFd_, [this] {
            signalfd_siginfo info;
            if (::read(sigFd_, &info, sizeof info) > 0)
                log(1, std::string("stopped by ") + (info.ssi_signo == SIGINT ? "SIGINT" : "SIGTERM"));
            return true;
        });
    }

    std::string error;
    if (!line_.open(&error)) {
        std::fprintf(stderr, "qm570-sim: %s\n", error.c_str());
        return false;
    }
    return true;
}

void Simulator::onStep(uint8_t, const StepResult& r)
{
    if (r.frame == FrameKind::None)
        return;
    log(2, SimRadio::describe(r));
    if (r.ignored)
        return;
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
                   + " written" + latenessText());
        if (r.sessionWrote)
            save("write session ended");
        if (opt_.sessions > 0 && radio_.endFrames() >= opt_.sessions)
            line_.finish();
    }
}

void Simulator::save(const char* why)
{
    if (opt_.save.empty())
        return;
    const auto& mem = radio_.memory();
    const QString path = pathArg(opt_.save);
    try {
        qm::saveFile(path, QByteArray(reinterpret_cast<const char*>(mem.data()), qsizetype(mem.size())),
                     QStringLiteral("save the memory to"));
        log(1, "memory saved to " + qm::printable(path).toStdString() + " (" + why + ")");
    } catch (const qm::QmError& e) {
        printError(e.error());
    }
}

// With pacing: how late the simulator itself put the answers on the line
// since the last report (the benchmark takes it off the tool's time).
std::string Simulator::latenessText()
{
    const auto late = line_.takeLateness();
    if (late.bursts == 0)
        return {};
    char buf[160];
    std::snprintf(buf, sizeof buf, "; the line was late by %.3f ms over %ld bursts (%.3f ms at most)",
                  double(late.totalNs) / 1e6, late.bursts, double(late.maxNs) / 1e6);
    return buf;
}

int Simulator::run()
{
    const bool ok = line_.run();
    if (const std::string late = latenessText(); !late.empty())
        log(1, "after the last session" + late);
    save("simulator ends");
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    Options opt;
    const int status = parseOptions(argc, argv, opt);
    if (status >= 0)
        return status;

    std::vector<uint8_t> memory;
    if (!checkSaveTarget(opt.save) || !loadImage(opt.image, memory, opt.logLevel))
        return 1;

    Simulator sim(opt, std::move(memory));
    if (!sim.open())
        return 1;
    std::printf("%s\n", sim.devicePath().c_str());
    std::fflush(stdout);
    return sim.run();
}
