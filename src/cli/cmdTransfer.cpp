// qm570-cli read and write. Both start from the program's start-up state
// (settings file read, never written), run the transfer on this thread over
// a serial port or pseudo-terminal, and report on stderr.
#include "cli/cmdTransfer.h"

#include "image/modDataFile.h"

#include "channels/modChMem.h"
#include "comm/SerialLink.h"
#include "comm/modPorts.h"
#include "comm/modTransfer.h"
#include "image/SafeFile.h"
#include "shell/VbConv.h"
#include "shell/modStartup.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#ifdef _WIN32
#include <io.h>
#define QM_ISATTY _isatty
#define QM_FILENO _fileno
#else
#include <unistd.h>
#define QM_ISATTY isatty
#define QM_FILENO fileno
#endif

namespace qmcli {

namespace {

using namespace qm;

const char kReadHelp[] =
    "usage: qm570-cli read -o OUT [--device PATH | --port N] [--start HEX --end HEX]\n"
    "                      [--trace] [--home DIR]\n"
    "\n"
    "Reads the radio's memory and writes the whole image to OUT. The read starts\n"
    "from the program's start-up image (the template); the bytes of the read range\n"
    "are replaced only when every block has been read, and OUT is written only\n"
    "then (through a temporary file, so a failed read leaves no file behind).\n"
    "\n"
    "  -o, --output OUT  image file to write (DatNum+1 bytes)\n"
    "  --device PATH     serial device or pseudo-terminal (e.g. /dev/ttyUSB0, COM3)\n"
    "  --port N          port number 1-16 (see the port table in the README);\n"
    "                    default: key COM of the settings file\n"
    "  --start HEX       first address (default: key ReadStartAddr)\n"
    "  --end HEX         last address (default: key ReadEndAddr)\n"
    "  --trace           print the frame trace on stderr\n"
    "  --home DIR        program folder with the settings file and template\n"
    "                    (default: the folder of this executable)\n"
    "\n"
    "Exit status: 0 read complete; 1 the port could not be opened, the radio did\n"
    "not answer (seventh failure) or the file could not be written; 2 bad\n"
    "arguments or a range that cannot be read.\n";

const char kWriteHelp[] =
    "usage: qm570-cli write IMAGE [--set-time] [--device PATH | --port N]\n"
    "                       [--start HEX --end HEX] [--trace] [--home DIR]\n"
    "\n"
    "Opens IMAGE as File > Open does and writes it into the radio: the image is\n"
    "assembled from the channel and option views, stamped with today's date and\n"
    "time at 0E70-0E72 / 0E78-0E79, sent block by block and closed by the end\n"
    "frame.\n"
    "\n"
    "  --set-time        set the radio's clock to this computer's time first\n"
    "  --device PATH     serial device or pseudo-terminal (e.g. /dev/ttyUSB0, COM3)\n"
    "  --port N          port number 1-16; default: key COM of the settings file\n"
    "  --start HEX       first address (default: key WriteStartAddr)\n"
    "  --end HEX         last address (default: key WriteEndAddr)\n"
    "  --trace           print the frame trace on stderr\n"
    "  --home DIR        program folder with the settings file and template\n"
    "                    (default: the folder of this executable)\n"
    "\n"
    "Exit status: 0 write complete; 1 the port could not be opened, the radio did\n"
    "not answer (seventh failure) or IMAGE could not be read; 2 bad arguments or a\n"
    "range that cannot be written.\n";

struct Options {
    bool help = false;
    QString output, image, device, home;
    int port = 0;
    bool hasStart = false, hasEnd = false;
    int16_t start = 0, end = 0;
    bool trace = false, setTime = false;
};

void err(const char* cmd, const QString& text)
{
    std::fprintf(stderr, "qm570-cli %s: %s\n", cmd, text.toLocal8Bit().constData());
}

bool parseAddress(const QString& text, int16_t& out)
{
    try {
        if (text.isEmpty() || hexToUInt(text) > 0xFFFF)
            return false;
        out = hexToInt16(text);
        return true;
    } catch (const QmError&) {
        return false;
    }
}

// Returns 0 when the arguments are good, else the exit status (message printed).
int parseOptions(const char* cmd, const QStringList& args, bool writing, Options& o)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString a = args[i];
        auto value = [&](QString& v) {
            if (i + 1 >= args.size()) {
                err(cmd, QStringLiteral("%1 needs a value").arg(a));
                return false;
            }
            v = args[++i];
            return true;
        };
        QString v;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o.help = true;
        } else if (!writing && (a == QLatin1String("-o") || a == QLatin1String("--output"))) {
            if (!value(o.output))
                return 2;
        } else if (a == QLatin1String("--device")) {
            if (!value(o.device))
                return 2;
        } else if (a == QLatin1String("--home")) {
            if (!value(o.home))
                return 2;
        } else if (a == QLatin1String("--port")) {
            if (!value(v))
                return 2;
            bool ok = false;
            o.port = v.toInt(&ok);
            if (!ok || o.port < 1 || o.port > kPortCount) {
                err(cmd, QStringLiteral("--port takes a number from 1 to 16, not '%1'").arg(v));
                return 2;
            }
        } else if (a == QLatin1String("--start") || a == QLatin1String("--end")) {
            if (!value(v))
                return 2;
            const bool isStart = a == QLatin1String("--start");
            if (!parseAddress(v, isStart ? o.start : o.end)) {
                err(cmd, QStringLiteral("%1 takes a hexadecimal address 0000-FFFF, not '%2'").arg(a, v));
                return 2;
            }
            (isStart ? o.hasStart : o.hasEnd) = true;
        } else if (a == QLatin1String("--trace")) {
            o.trace = true;
        } else if (writing && a == QLatin1String("--set-time")) {
            o.setTime = true;
        } else if (writing && !a.startsWith(QLatin1Char('-')) && o.image.isEmpty()) {
            o.image = a;
        } else {
            err(cmd, QStringLiteral("unexpected argument '%1' (try --help)").arg(a));
            return 2;
        }
    }
    if (o.help)
        return 0;
    if (!o.device.isEmpty() && o.port) {
        err(cmd, QStringLiteral("give either --device or --port, not both"));
        return 2;
    }
    if (!writing && o.output.isEmpty()) {
        err(cmd, QStringLiteral("no output file (-o OUT)"));
        return 2;
    }
    if (writing && o.image.isEmpty()) {
        err(cmd, QStringLiteral("no image file to write"));
        return 2;
    }
    return 0;
}

class ProgressBar {
public:
    explicit ProgressBar(bool on) : on_(on) {}
    void show(int percent)
    {
        if (!on_ || percent == last_)
            return;
        last_ = percent;
        const int width = 40;
        const int filled = std::clamp(percent, 0, 100) * width / 100;
        std::string bar(static_cast<size_t>(filled), '#');
        bar.append(static_cast<size_t>(width - filled), '.');
        std::fprintf(stderr, "\r[%s] %3d %%", bar.c_str(), percent);
        std::fflush(stderr);
        shown_ = true;
    }
    void end()
    {
        if (shown_)
            std::fputs("\n", stderr);
        shown_ = false;
    }

private:
    bool on_;
    bool shown_ = false;
    int last_ = -1;
};

int runCommand(const char* cmd, const QStringList& args, TransferDirection dir)
{
    const bool writing = dir == TransferDirection::Write;
    Options o;
    if (const int rc = parseOptions(cmd, args, writing, o))
        return rc;
    if (o.help) {
        std::fputs(writing ? kWriteHelp : kReadHelp, stdout);
        return 0;
    }

    AppState s;
    QString why;
    const QString home = o.home.isEmpty() ? QCoreApplication::applicationDirPath() : o.home;
    if (!startupForTool(s, home, &why)) {
        err(cmd, QStringLiteral("start-up failed: %1").arg(why));
        return 1;
    }
    if (writing) {
        if (!OpenDataFile(s, o.image, &why)) {
            err(cmd, why);
            return 1;
        }
        s.optView.chkSetTime = o.setTime;
    }
    if (o.hasStart)
        (writing ? s.settings.WriteStartAddr : s.settings.ReadStartAddr) = o.start;
    if (o.hasEnd)
        (writing ? s.settings.WriteEndAddr : s.settings.ReadEndAddr) = o.end;

    const int port = o.port ? o.port : s.settings.COM;
    const QString device = o.device.isEmpty() ? PortDevicePath(s, port) : o.device;
    if (device.isEmpty()) {
        err(cmd, QStringLiteral("port number %1 is not one of 1-16").arg(port));
        return 2;
    }
    SerialLink link(device);

    ProgressBar bar(!o.trace && QM_ISATTY(QM_FILENO(stderr)));
    TransferCallbacks cb;
    cb.progress = [&](int p) { bar.show(p); };
    if (o.trace) {
        cb.traceLine = [](int, const QString& line, bool) {
            std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
        };
    }
    const int errorLines = s.errors.ErrListIdx();
    const TransferOutcome out = runTransfer(s, dir, link, nullptr, cb);
    bar.end();

    switch (out.result) {
    case TransferResult::Success:
        break;
    case TransferResult::Refused:
        err(cmd, out.message);
        return 2;
    case TransferResult::PortOpenFailed:
        err(cmd, QStringLiteral("cannot open the port: %1").arg(out.message));
        return 1;
    case TransferResult::Aborted: {
        const QString t79 = s.text(79);
        std::fprintf(stderr, "%s\n", (t79.isEmpty() ? out.message : t79).toLocal8Bit().constData());
        return 1;
    }
    case TransferResult::Stopped:
    case TransferResult::Error:
        err(cmd, out.message);
        for (const QString& line : s.errors.lines().mid(errorLines))
            std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
        return 1;
    }

    if (!writing) {
        const QByteArray bytes(reinterpret_cast<const char*>(s.IicDat.data()), static_cast<qsizetype>(s.IicDat.size()));
        if (!writeFileAtomically(o.output, bytes, &why)) {
            err(cmd, QStringLiteral("cannot write %1: %2").arg(o.output, why));
            return 1;
        }
    }
    return 0;
}

} // namespace

int cmdRead(const QStringList& args)
{
    return runCommand("read", args, TransferDirection::Read);
}

int cmdWrite(const QStringList& args)
{
    return runCommand("write", args, TransferDirection::Write);
}

} // namespace qmcli
