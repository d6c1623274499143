// Each command starts from the program's start-up state in the program
// folder, then does what the matching File commands of the desktop program do.
#include "cli/ImageCommands.h"

#include "channels/modChCsv.h"
#include "cli/CliCommon.h"
#include "shell/DecodeReport.h"
#include "settings/SafeFile.h"
#include "shell/modDataFile.h"

namespace qmcli {

namespace {

constexpr qint64 kMaxCsvBytes = 4 << 20; // a table of 260 channels is some 20 KiB

const OptionSpec kOutputRequired{QStringLiteral("--output"), QStringLiteral("-o"), QStringLiteral("OUT"),
                                 QStringLiteral("data file to write (replaced as a whole, never half-written)")};

// Starts the program state and opens IMAGE into it as File > Open does.
bool startWithImage(const CommandSpec& cmd, ToolState& tool, const ParsedArgs& a, const QString& image, int* status)
{
    qm::Error err;
    if (!checkReadableFile(image, &err) || !tool.start(a.home, &err) || !qm::OpenDataFile(tool.state(), image, &err)) {
        *status = fail(cmd, err);
        return false;
    }
    return true;
}

int saveTo(const CommandSpec& cmd, qm::AppState& s, const QString& out)
{
    qm::Error err;
    if (!qm::SaveDataFileTo(s, out, &err))
        return fail(cmd, err);
    return kExitOk;
}

const CommandSpec kDecode{
    QStringLiteral("decode"),
    QStringLiteral("IMAGE"),
    QStringLiteral("Open a data file and print what the program reads from it, as one JSON document (UTF-8) on stdout."),
    QStringLiteral(
        "The document holds \"channels\" (per channel 1..N: n, rx and tx in 10 Hz units\n"
        "with -1 for none, dec and enc signalling indices, opt = option fields 5..10,\n"
        "name_codes = the six name character codes, cells = the texts of grid columns\n"
        "1..C), \"OptSel\" (entries 1..100 as the options window shows them) and\n"
        "\"radio\" (band, version and last_write texts of this image)."),
    1,
    1,
    {}};

const CommandSpec kResave{
    QStringLiteral("resave"),
    QStringLiteral("IMAGE -o OUT"),
    QStringLiteral("Open a data file and save it again to OUT without any edit (File > Open, then File > Save As)."),
    QStringLiteral("The channel and option encoders rewrite the bytes they own; every other byte\n"
                   "of IMAGE is kept."),
    1,
    1,
    {kOutputRequired}};

const CommandSpec kNew{
    QStringLiteral("new"),
    QStringLiteral("-o OUT"),
    QStringLiteral("Save a new data file made from the template, with the default option selections (File > New, then save)."),
    QString(),
    0,
    0,
    {kOutputRequired}};

const CommandSpec kExportCsv{
    QStringLiteral("export-csv"),
    QStringLiteral("IMAGE [-o OUT.csv]"),
    QStringLiteral("Write the channel table of a data file as CSV, to stdout or to OUT.csv."),
    QStringLiteral(
        "One header row with the channel grid's captions, then one row per channel:\n"
        "the channel number, receive and transmit frequency in MHz as the grid shows\n"
        "them, decode and encode signalling, each option column's value text and the\n"
        "name. Records end with CRLF; a file written with -o starts with a UTF-8\n"
        "byte-order mark so that spreadsheet programs read it as UTF-8."),
    1,
    1,
    {{QStringLiteral("--output"), QStringLiteral("-o"), QStringLiteral("OUT.csv"),
      QStringLiteral("CSV file to write instead of stdout")}}};

const CommandSpec kImportCsv{
    QStringLiteral("import-csv"),
    QStringLiteral("IMAGE CSV -o OUT"),
    QStringLiteral("Apply a channel CSV (as export-csv writes it) to a data file and save the result to OUT."),
    QStringLiteral(
        "Every value goes through the channel grid's editing rules: frequencies are\n"
        "snapped to the 5 kHz or 6.25 kHz step, signalling and option texts must be\n"
        "in their lists, names are upper-cased and padded to six characters. Only the\n"
        "channels listed in CSV change; an empty receive frequency makes an empty\n"
        "channel, an empty transmit frequency means none, an empty name no name, and\n"
        "an empty signalling or option cell keeps the channel's value (the column\n"
        "default for a new channel). Where the grid would quietly\n"
        "put another value in place of the one typed (a frequency outside 100 to 999\n"
        "MHz, an unknown list text, a name character the radio cannot show, a name\n"
        "longer than six characters), the whole file is refused instead: the message\n"
        "names the line and column of the first bad value and nothing is written.\n"
        "The file may be UTF-8 with or without a byte-order mark, with CRLF or LF\n"
        "line ends and quoted fields; the header's columns may stand in any order."),
    2,
    2,
    {kOutputRequired}};

} // namespace

int cmdDecode(const QStringList& args)
{
    return runCommand(kDecode, args, [](const ParsedArgs& a) {
        ToolState tool;
        int status = kExitOk;
        if (!startWithImage(kDecode, tool, a, a.positional[0], &status))
            return status;
        if (!writeStdout(qm::DecodeReportJson(tool.state())))
            return fail(kDecode, QStringLiteral("cannot write to stdout"));
        return kExitOk;
    });
}

int cmdResave(const QStringList& args)
{
    return runCommand(kResave, args, [](const ParsedArgs& a) {
        if (!a.has(QStringLiteral("--output")))
            return usageError(kResave, QStringLiteral("missing -o OUT"));
        ToolState tool;
        int status = kExitOk;
        if (!startWithImage(kResave, tool, a, a.positional[0], &status))
            return status;
        return saveTo(kResave, tool.state(), a.value(QStringLiteral("--output")));
    });
}

int cmdNew(const QStringList& args)
{
    return runCommand(kNew, args, [](const ParsedArgs& a) {
        if (!a.has(QStringLiteral("--output")))
            return usageError(kNew, QStringLiteral("missing -o OUT"));
        ToolState tool;
        qm::Error err;
        if (!tool.start(a.home, &err))
            return fail(kNew, err);
        qm::NewFileSol(tool.state());
        return saveTo(kNew, tool.state(), a.value(QStringLiteral("--output")));
    });
}

int cmdExportCsv(const QStringList& args)
{
    return runCommand(kExportCsv, args, [](const ParsedArgs& a) {
        ToolState tool;
        int status = kExitOk;
        if (!startWithImage(kExportCsv, tool, a, a.positional[0], &status))
            return status;
        const QByteArray csv = qm::ChannelsToCsv(tool.state()).toUtf8();
        if (!a.has(QStringLiteral("--output"))) {
            if (!writeStdout(csv))
                return fail(kExportCsv, QStringLiteral("cannot write to stdout"));
            return kExitOk;
        }
        const QString out = a.value(QStringLiteral("--output"));
        QString why;
        if (!qm::writeFileAtomically(out, QByteArray("\xEF\xBB\xBF") + csv, &why))
            return fail(kExportCsv, qm::Error{75, QStringLiteral("write CSV file"), out, why});
        return kExitOk;
    });
}

int cmdImportCsv(const QStringList& args)
{
    return runCommand(kImportCsv, args, [](const ParsedArgs& a) {
        if (!a.has(QStringLiteral("--output")))
            return usageError(kImportCsv, QStringLiteral("missing -o OUT"));
        const QString csvPath = a.positional[1];
        QByteArray csv;
        qm::Error readError;
        if (!readInputFile(csvPath, kMaxCsvBytes, &csv, &readError))
            return fail(kImportCsv, readError);
        ToolState tool;
        int status = kExitOk;
        if (!startWithImage(kImportCsv, tool, a, a.positional[0], &status))
            return status;
        QString err;
        if (!qm::ImportChannelCsv(tool.state(), csv, &err))
            return fail(kImportCsv, QStringLiteral("%1 refused, nothing written: %2").arg(csvPath, err));
        return saveTo(kImportCsv, tool.state(), a.value(QStringLiteral("--output")));
    });
}

} // namespace qmcli
