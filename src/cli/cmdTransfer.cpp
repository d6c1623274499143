// qm570-cli read and write. Both start from the program's start-up state
// (settings file read, never written), run the transfer on this thread over
// a serial port or pseudo-terminal, and report on stderr.
#include "cli/cmdTransfer.h"

#include "image/modIicDat.h"
#include "shell/modDataFile.h"

#include "channels/modChMem.h"
#include "comm/SerialLink.h"
#include "comm/modPorts.h"
#include "shell/RadioTransfer.h"
#include "shell/SafeWrite.h"
#include "settings/SafeFile.h"
#include "settings/VbConv.h"
#include "cli/CliCommon.h"

#include <QDir>

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

const OptionSpec kDevice{QStringLiteral("--device"), {}, QStringLiteral("PATH"),
                         QStringLiteral("serial device or pseudo-terminal (e.g. /dev/ttyUSB0, COM3)")};
const OptionSpec kPort{QStringLiteral("--port"), {}, QStringLiteral("N"),
                       QStringLiteral("port number 1-16 (see the README's port table); default: key COM")};
const OptionSpec kTrace{QStringLiteral("--trace"), {}, {}, QStringLiteral("print the frame trace on stderr")};

const CommandSpec kRead{
    QStringLiteral("read"),
    QStringLiteral("-o OUT [--device PATH | --port N] [--start HEX --end HEX] [--trace]"),
    QStringLiteral("read the radio's memory into an image file"),
    QStringLiteral("The read starts from the program's start-up image (the template); the bytes of\n"
                   "the read range are replaced only when every block has been read, and OUT is\n"
                   "written only then (through a temporary file, so a failed read leaves no file).\n"
                   "OUT is never the settings file, the template, a folder, a device or a pipe.\n"
                   "Exit status: 0 read complete; 1 the port could not be opened, the radio did not\n"
                   "answer (seventh failure) or the file could not be written; 2 bad arguments or a\n"
                   "range that cannot be read."),
    0,
    0,
    {{QStringLiteral("--output"), QStringLiteral("-o"), QStringLiteral("OUT"),
      QStringLiteral("image file to write (DatNum+1 bytes)")},
     kDevice,
     kPort,
     {QStringLiteral("--start"), {}, QStringLiteral("HEX"), QStringLiteral("first address (default: key ReadStartAddr)")},
     {QStringLiteral("--end"), {}, QStringLiteral("HEX"), QStringLiteral("last address (default: key ReadEndAddr)")},
     kTrace}};

const CommandSpec kWrite{
    QStringLiteral("write"),
    QStringLiteral("IMAGE [--set-time] [--device PATH | --port N] [--start HEX --end HEX] [--no-backup | --backup-dir DIR]\n"
                   "       [--preview] [--verify] [--trace] [--force]"),
    QStringLiteral("write an image file into the radio"),
    QStringLiteral("Opens IMAGE as File > Open does and writes it into the radio: the image is\n"
                   "assembled from the channel and option views, stamped with today's date and\n"
                   "time at 0E70-0E72 / 0E78-0E79, sent block by block and closed by the end frame.\n"
                   "IMAGE must be a radio image: a file of exactly 8192 bytes that is not text.\n"
                   "Anything else (a CSV file, an empty or cut file) is refused before the port is\n"
                   "opened, unless --force is given.\n"
                   "\n"
                   "Before the first block the radio's whole memory is read in a session of its own\n"
                   "and saved as DIR/<yyyyMMdd>-<HHmmss>.dat (DIR: --backup-dir, else Data/backups in\n"
                   "the program folder, created when missing; an existing file is never replaced).\n"
                   "If that read or the save fails, nothing is written. --no-backup skips it.\n"
                   "--preview prints what the write changes in the radio compared with the backup,\n"
                   "one change per line on standard output (as qm570-cli diff), before writing.\n"
                   "--verify reads the write range back after the write and compares it with what\n"
                   "was sent; a difference names the first differing address and fails.\n"
                   "Exit status: 0 write complete (and verified with --verify); 1 the port could not\n"
                   "be opened, the radio did not answer (seventh failure), the backup could not be\n"
                   "made, the verify found a difference, or IMAGE could not be read or is no radio\n"
                   "image; 2 bad arguments, a range that cannot be written or a settings file that\n"
                   "cannot hold."),
    1,
    1,
    {{QStringLiteral("--set-time"), {}, {}, QStringLiteral("set the radio's clock to this computer's time first")},
     kDevice,
     kPort,
     {QStringLiteral("--start"), {}, QStringLiteral("HEX"), QStringLiteral("first address (default: key WriteStartAddr)")},
     {QStringLiteral("--end"), {}, QStringLiteral("HEX"), QStringLiteral("last address (default: key WriteEndAddr)")},
     {QStringLiteral("--no-backup"), {}, {}, QStringLiteral("write without reading the radio into a backup file first")},
     {QStringLiteral("--backup-dir"), {}, QStringLiteral("DIR"),
      QStringLiteral("folder of the backup file (default: Data/backups in the program folder)")},
     {QStringLiteral("--preview"), {}, {}, QStringLiteral("print the changes against the backup before writing")},
     {QStringLiteral("--verify"), {}, {}, QStringLiteral("read the written range back and compare it")},
     kTrace,
     {QStringLiteral("--force"), {}, {}, QStringLiteral("write IMAGE even when it is no radio image (another size, or text)")}}};

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

// Applies --start/--end to the range of the transfer; false on a bad address.
bool applyRange(const CommandSpec& cmd, const ParsedArgs& a, int16_t& start, int16_t& end, int* status)
{
    for (const auto& [name, target] : {std::pair<QString, int16_t*>{QStringLiteral("--start"), &start},
                                       std::pair<QString, int16_t*>{QStringLiteral("--end"), &end}}) {
        if (a.has(name) && !parseAddress(a.value(name), *target)) {
            *status = usageError(cmd, QStringLiteral("%1 takes a hexadecimal address 0000-FFFF, not '%2'")
                                          .arg(name, a.value(name)));
            return false;
        }
    }
    return true;
}

class ProgressBar {
public:
    explicit ProgressBar(bool on) : on_(on) {}
    // A new transfer of a write with backup or verify: its own bar, named.
    void phase(const QString& name)
    {
        end();
        label_ = name.toLocal8Bit();
        last_ = -1;
    }
    void show(int percent)
    {
        if (!on_ || percent == last_)
            return;
        last_ = percent;
        const int width = 40;
        const int filled = std::clamp(percent, 0, 100) * width / 100;
        std::string bar(static_cast<size_t>(filled), '#');
        bar.append(static_cast<size_t>(width - filled), '.');
        std::fprintf(stderr, "\r[%s] %3d %% %s", bar.c_str(), percent, label_.constData());
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
    QByteArray label_;
};

// "qm570-cli: write: NOTE" on stderr, for what the user should know of a
// command that goes on (where the backup went).
void note(const CommandSpec& cmd, const QString& text)
{
    const QString line = QStringLiteral("qm570-cli: %1: %2\n").arg(cmd.name, qm::printable(text));
    std::fputs(line.toUtf8().constData(), stderr);
    std::fflush(stderr);
}

// A radio error entry as one message: the procedure that listed it, then the value.
Error entryError(const ErrorEntry& e)
{
    if (e.kind == ErrorEntry::Kind::Option)
        return Error{380, e.label, {}, e.message};
    Error err = e.error;
    err.action = err.action.isEmpty() ? e.label : e.label + QStringLiteral(": ") + err.action;
    return err;
}

// The exit status of one transfer (kExitOk when it succeeded), with its
// message on stderr.
int transferStatus(const CommandSpec& cmd, AppState& s, const TransferOutcome& out, const QString& device,
                   TransferDirection dir)
{
    const QString radioAction =
        dir == TransferDirection::Write ? QStringLiteral("write radio at") : QStringLiteral("read radio at");
    switch (out.result) {
    case TransferResult::Success:
        return kExitOk;
    case TransferResult::Refused:
        return usageError(cmd, out.message);
    case TransferResult::PortOpenFailed:
        return fail(cmd, out.errors.empty() ? Error{75, QStringLiteral("open port"), device, out.message} : out.errors.back().error);
    case TransferResult::Aborted: {
        const QString t79 = s.settings.text(79);
        return fail(cmd, Error{75, radioAction, device, t79.isEmpty() ? out.message : t79});
    }
    case TransferResult::Stopped:
    case TransferResult::Error:
        break;
    }
    // The message names the first failure; the entries the transfer
    // listed follow, one line each, with what they were doing.
    fail(cmd, Error{75, radioAction, device, out.message});
    for (const ErrorEntry& e : out.errors)
        fail(cmd, entryError(e));
    return kExitFailed;
}

// write: backup, preview, write and verify as the options ask
// (shell/SafeWrite.h), each transfer a session of its own on the link.
int runWriteFlow(const CommandSpec& cmd, const ParsedArgs& a, AppState& s, CommLink& link, const QString& device,
                 const TransferCallbacks& cb, ProgressBar& bar)
{
    SafeWriteOptions opts;
    opts.backup = !a.has(QStringLiteral("--no-backup"));
    opts.verify = a.has(QStringLiteral("--verify"));
    opts.preview = a.has(QStringLiteral("--preview"));
    if (a.has(QStringLiteral("--backup-dir")))
        opts.backupFolder = QDir::cleanPath(QDir::current().absoluteFilePath(a.value(QStringLiteral("--backup-dir"))));
    bool printed = true;
    // The changes go to standard output before the first block is sent.
    auto preview = [&](const ImageChanges& changes) {
        QString text;
        for (const QString& line : changeLines(changes, s.settings))
            text += line + QLatin1Char('\n');
        printed = writeStdout(text.toUtf8());
        return printed;
    };
    SafeWriteFlow flow(s, opts, nullptr, preview);
    bool backupTold = false;
    auto tellBackup = [&] {
        if (!backupTold && !flow.backupPath().isEmpty()) {
            backupTold = true;
            note(cmd, QStringLiteral("backup of %1 saved as %2").arg(device, flow.backupPath()));
        }
    };
    const bool several = opts.backup || opts.verify;
    runSafeWrite(flow, link, cb, [&](SafeWritePhase p) {
        tellBackup();
        if (several)
            bar.phase(safeWritePhaseText(s.settings, p));
    });
    bar.end();
    tellBackup();

    Error why = flow.failure();
    if (why.object.isEmpty())
        why.object = device;
    switch (flow.end()) {
    case SafeWriteEnd::Written:
    case SafeWriteEnd::Verified:
        return kExitOk;
    case SafeWriteEnd::Refused:
        return usageError(cmd, why.reason);
    case SafeWriteEnd::Cancelled:
        // Only a preview that could not be printed cancels in this tool.
        return fail(cmd, Error{75, QStringLiteral("write to"), QStringLiteral("standard output"),
                               QStringLiteral("the preview could not be printed; nothing was written")});
    case SafeWriteEnd::BackupFailed:
        why.reason += QStringLiteral("; nothing was written");
        return fail(cmd, why);
    case SafeWriteEnd::WriteFailed:
        return transferStatus(cmd, s, flow.lastOutcome(), device, TransferDirection::Write);
    case SafeWriteEnd::VerifyFailed:
    case SafeWriteEnd::VerifyMismatch:
    case SafeWriteEnd::Stopped:
    case SafeWriteEnd::Running:
        break;
    }
    return fail(cmd, why);
}

int runTransferCommand(const CommandSpec& cmd, const ParsedArgs& a, TransferDirection dir)
{
    const bool writing = dir == TransferDirection::Write;
    const QString output = a.value(QStringLiteral("--output"));
    const QString saveAction = QStringLiteral("save image file");
    if (!writing && output.isEmpty())
        return usageError(cmd, QStringLiteral("no output file (-o OUT)"));
    if (a.has(QStringLiteral("--device")) && a.has(QStringLiteral("--port")))
        return usageError(cmd, QStringLiteral("give either --device or --port, not both"));
    int port = 0;
    if (a.has(QStringLiteral("--port"))) {
        bool ok = false;
        port = a.value(QStringLiteral("--port")).toInt(&ok);
        if (!ok || port < 1 || port > kPortCount)
            return usageError(cmd, QStringLiteral("--port takes a number from 1 to 16, not '%1'")
                                       .arg(a.value(QStringLiteral("--port"))));
    }
    if (writing && a.has(QStringLiteral("--no-backup"))) {
        if (a.has(QStringLiteral("--backup-dir")))
            return usageError(cmd, QStringLiteral("--backup-dir names the folder of a backup that --no-backup leaves out"));
        if (a.has(QStringLiteral("--preview")))
            return usageError(cmd, QStringLiteral("--preview compares with the backup, which --no-backup leaves out"));
    }
    Error why;
    // The read's output: never the settings file or the template, never a
    // folder, device or pipe. Refused before the radio is touched.
    if (!writing && !checkOutputPath(output, saveAction, programFiles(a.home), &why))
        return fail(cmd, why, kExitUsage);

    ToolState tool;
    if (!tool.start(a.home, &why))
        return fail(cmd, why, startupStatus(why));
    AppState& s = tool.state();
    if (writing) {
        // Only a radio image goes to the radio: the file is looked at before
        // the port is opened.
        const QString image = a.positional[0];
        const QString openAction = QStringLiteral("open data file");
        BoundedRead bytes;
        try {
            bytes = readFileAtMost(image, static_cast<int64_t>(s.doc.IicDat.size()), openAction);
        } catch (const QmError& e) {
            return fail(cmd, e.error());
        }
        if (!a.has(QStringLiteral("--force"))) {
            if (const auto notImage = notARadioImage(bytes, s.doc.IicDat.size()))
                return fail(cmd, Error{380, QStringLiteral("write"), image,
                                       *notImage + QStringLiteral("; nothing was sent (--force sends it all the same)")});
        }
        std::optional<Error> warning;
        if (!OpenDataBytes(s, image, bytes, &why, &warning))
            return fail(cmd, why);
        if (warning)
            warn(cmd, *warning);
        s.optView.chkSetTime = a.has(QStringLiteral("--set-time"));
    }
    int status = kExitOk;
    if (!applyRange(cmd, a, writing ? s.settings.WriteStartAddr : s.settings.ReadStartAddr,
                    writing ? s.settings.WriteEndAddr : s.settings.ReadEndAddr, &status))
        return status;
    if (!writing && (s.settings.ReadStartAddr > 0 || s.settings.ReadEndAddr < s.settings.DatNum)) {
        // The bytes outside a partial read come from the template.
        const TemplateRead t = readTemplate(s.settings, s.doc.IicDat.size());
        if (t.problem)
            warn(cmd, *t.problem);
    }

    QString device = a.has(QStringLiteral("--device")) ? a.value(QStringLiteral("--device"))
                                                       : PortDevicePath(s.settings, port ? port : s.settings.COM);
    if (device.isEmpty())
        return usageError(cmd, QStringLiteral("port number %1 is not one of 1-16").arg(s.settings.COM));
#ifndef _WIN32
    // A relative device is a path from the current folder (the serial port
    // class would look for it under /dev).
    if (a.has(QStringLiteral("--device")) && QDir::isRelativePath(device))
        device = QDir::cleanPath(QDir::current().absoluteFilePath(device));
#endif
    SerialLink link(device);

    const bool trace = a.has(QStringLiteral("--trace"));
    ProgressBar bar(!trace && QM_ISATTY(QM_FILENO(stderr)));
    TransferCallbacks cb;
    cb.progress = [&](int p) { bar.show(p); };
    if (trace) {
        cb.traceLine = [](int, const QString& line, bool) {
            std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
        };
    }
    if (writing)
        return runWriteFlow(cmd, a, s, link, device, cb, bar);
    const TransferOutcome out = runTransfer(s, dir, link, nullptr, cb);
    bar.end();
    if (const int failed = transferStatus(cmd, s, out, device, dir); failed != kExitOk)
        return failed;

    const QByteArray bytes(reinterpret_cast<const char*>(s.doc.IicDat.data()), static_cast<qsizetype>(s.doc.IicDat.size()));
    try {
        saveFile(output, bytes, saveAction);
    } catch (const QmError& e) {
        return fail(cmd, e.error());
    }
    return kExitOk;
}

} // namespace

int cmdRead(const QStringList& args)
{
    return runCommand(kRead, args, [](const ParsedArgs& a) { return runTransferCommand(kRead, a, TransferDirection::Read); });
}

int cmdWrite(const QStringList& args)
{
    return runCommand(kWrite, args, [](const ParsedArgs& a) { return runTransferCommand(kWrite, a, TransferDirection::Write); });
}

} // namespace qmcli
