// Each command starts from the program's start-up state in the program
// folder, then does what the matching File commands of the desktop program do.
// Outputs are checked before anything is read or written: never an input,
// the settings file or the template, never a folder, device or pipe.
#include "cli/ImageCommands.h"

#include "channels/modChCsv.h"
#include "channels/modChirpCsv.h"
#include "cli/CliCommon.h"
#include "image/modIicDat.h"
#include "settings/SafeFile.h"
#include "shell/ChannelFiles.h"
#include "shell/DecodeReport.h"
#include "shell/modDataFile.h"

namespace qmcli {

namespace {

const QString kSaveDataFile = QStringLiteral("save data file");
const QString kOpenDataFile = QStringLiteral("open data file");

const OptionSpec kOutputRequired{QStringLiteral("--output"), QStringLiteral("-o"), QStringLiteral("OUT"),
                                 QStringLiteral("data file to write (replaced as a whole, never half-written)")};
// The CSV exports write to stdout unless -o names a file.
const OptionSpec kCsvOutput{QStringLiteral("--output"), QStringLiteral("-o"), QStringLiteral("OUT.csv"),
                            QStringLiteral("CSV file to write instead of stdout")};

// Refuses an output that would replace one of the inputs or the program's
// own files, or that is no regular file; true when it may be written.
bool outputAllowed(const CommandSpec& cmd, const ParsedArgs& a, const QString& out, const QString& action,
                   std::vector<NamedInput> inputs, int* status)
{
    for (const NamedInput& p : programFiles(a.home))
        inputs.push_back(p);
    qm::Error err;
    if (checkOutputPath(out, action, inputs, &err))
        return true;
    *status = fail(cmd, err, kExitUsage);
    return false;
}

// Starts the program state and opens IMAGE into it as File > Open does; a
// file of another size than the image is opened with a warning.
bool startWithImage(const CommandSpec& cmd, ToolState& tool, const ParsedArgs& a, const QString& image, int* status)
{
    qm::Error err;
    if (!checkInputPath(image, kOpenDataFile, &err)) {
        *status = fail(cmd, err);
        return false;
    }
    if (!tool.start(a.home, &err)) {
        *status = fail(cmd, err, startupStatus(err));
        return false;
    }
    std::optional<qm::Error> warning;
    if (!qm::OpenDataFile(tool.state(), image, &err, &warning)) {
        *status = fail(cmd, err);
        return false;
    }
    if (warning)
        warn(cmd, *warning);
    return true;
}

int saveTo(const CommandSpec& cmd, qm::AppState& s, const QString& out)
{
    qm::Error err;
    if (!qm::SaveDataFileTo(s, out, &err))
        return fail(cmd, err);
    return kExitOk;
}

int writeToStdout(const CommandSpec& cmd, const QByteArray& data)
{
    if (!writeStdout(data))
        return fail(cmd, qm::Error{75, QStringLiteral("write to"), QStringLiteral("standard output"),
                                   QStringLiteral("the stream refused the data")});
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
        "\"radio\" (band, version and last_write texts of this image).\n"
        "A file of another size than 8192 bytes is read as the desktop program opens\n"
        "it (a short one padded with FF, a long one cut), with a warning on stderr."),
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
    {kCsvOutput}};

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
        "line ends and quoted fields; the header's columns may stand in any order.\n"
        "A file with a header but no channel row is refused. A frequency outside the\n"
        "radio's band (400 to 470 MHz) but within the entry limits is imported as it\n"
        "is, with a warning on stderr naming its line and column."),
    2,
    2,
    {kOutputRequired}};

const CommandSpec kExportChirp{
    QStringLiteral("export-chirp"),
    QStringLiteral("IMAGE [-o OUT.csv]"),
    QStringLiteral("Write the channels of a data file as a CHIRP CSV file (CHIRP, qdmr, spreadsheets), to stdout or OUT.csv."),
    QStringLiteral(
        "Columns: Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,\n"
        "DtcsCode,DtcsPolarity,RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,\n"
        "URCALL,RPT1CALL,RPT2CALL,DVCODE. One row per channel that has a receive\n"
        "frequency (the VFO row is not written). Duplex is \"\" when the channel\n"
        "transmits where it receives, + or - with Offset in MHz, split with Offset =\n"
        "the transmit frequency (more than 70 MHz apart), off without a transmit\n"
        "frequency; Tone is the simplest of \"\", Tone, TSQL, DTCS and Cross that states\n"
        "the signalling exactly. Mode FM/NFM is the Bandwidth option, Power High/Low\n"
        "the Power option, Skip S a channel not scanned. UTF-8, CRLF, no byte-order mark."),
    1,
    1,
    {kCsvOutput}};

const CommandSpec kImportChirp{
    QStringLiteral("import-chirp"),
    QStringLiteral("IMAGE CSV -o OUT"),
    QStringLiteral("Apply a CHIRP CSV file to a data file and save the result to OUT."),
    QStringLiteral(
        "Location is the channel number (1 to N, not the VFO row 100). Columns may\n"
        "stand in any order; only Location and Frequency are required, a missing\n"
        "column takes CHIRP's default (simplex, no tone, no name, scanned) and a\n"
        "missing or empty Mode or Power keeps the channel's value. Power in watts\n"
        "(5.0W) is High for the largest value in the file and Low below it.\n"
        "Comment, URCALL, RPT1CALL, RPT2CALL and DVCODE are ignored; Busy Lock,\n"
        "Scramble and Compander keep the channel's values. Channels the file does\n"
        "not list are left alone.\n"
        "A row the radio cannot hold refuses the whole file, naming its line and\n"
        "column, and nothing is written: a Location outside 1..N or listed twice, a\n"
        "frequency outside 100 to 999 MHz or more than 100 Hz off the 5 kHz / 6.25\n"
        "kHz channel step, a tone or DCS code the radio does not have, a mode other\n"
        "than FM and NFM, a name longer than six characters or with a character\n"
        "the radio cannot show. A frequency outside the radio's band (400 to 470\n"
        "MHz) is imported with a warning on stderr."),
    2,
    2,
    {kOutputRequired}};

// export-csv and export-chirp: IMAGE's channels as text, to -o OUT (saved
// with save) or to stdout.
int exportChannels(const CommandSpec& cmd, const QStringList& args, const QString& action,
                   QString (*toText)(const qm::ChannelContext&),
                   void (*save)(const qm::ChannelContext&, const QString&))
{
    return runCommand(cmd, args, [&](const ParsedArgs& a) {
        const bool toFile = a.has(QStringLiteral("--output"));
        const QString out = a.value(QStringLiteral("--output"));
        int status = kExitOk;
        if (toFile && !outputAllowed(cmd, a, out, action, {{a.positional[0], QStringLiteral("the input IMAGE")}}, &status))
            return status;
        ToolState tool;
        if (!startWithImage(cmd, tool, a, a.positional[0], &status))
            return status;
        if (!toFile)
            return writeToStdout(cmd, toText(tool.state()).toUtf8());
        save(tool.state(), out); // a failure is one line through runCommand
        return kExitOk;
    });
}

// import-csv and import-chirp: IMAGE with the channels of CSV (taken in by
// import, which refuses or warns) saved to -o OUT.
int importChannels(const CommandSpec& cmd, const QStringList& args, const QString& action,
                   bool (*import)(qm::ChannelContext, const QByteArray&, QString*, QStringList*))
{
    return runCommand(cmd, args, [&](const ParsedArgs& a) {
        if (!a.has(QStringLiteral("--output")))
            return usageError(cmd, QStringLiteral("missing -o OUT"));
        const QString out = a.value(QStringLiteral("--output"));
        const QString csvPath = a.positional[1];
        int status = kExitOk;
        if (!outputAllowed(cmd, a, out, kSaveDataFile,
                           {{a.positional[0], QStringLiteral("the input IMAGE")}, {csvPath, QStringLiteral("the input CSV")}},
                           &status))
            return status;
        QByteArray csv;
        qm::Error readError;
        if (!readInputFile(csvPath, qm::kMaxChannelFileBytes, action, &csv, &readError))
            return fail(cmd, readError);
        ToolState tool;
        if (!startWithImage(cmd, tool, a, a.positional[0], &status))
            return status;
        QString err;
        QStringList warnings;
        if (!import(tool.state(), csv, &err, &warnings))
            return fail(cmd, qm::Error{380, action, csvPath, QStringLiteral("refused, nothing written: ") + err});
        for (const QString& w : warnings)
            warn(cmd, qm::Error{380, action, csvPath, w});
        return saveTo(cmd, tool.state(), out);
    });
}

} // namespace

int cmdDecode(const QStringList& args)
{
    return runCommand(kDecode, args, [](const ParsedArgs& a) {
        ToolState tool;
        int status = kExitOk;
        if (!startWithImage(kDecode, tool, a, a.positional[0], &status))
            return status;
        return writeToStdout(kDecode, qm::DecodeReportJson(tool.state()));
    });
}

int cmdResave(const QStringList& args)
{
    return runCommand(kResave, args, [](const ParsedArgs& a) {
        if (!a.has(QStringLiteral("--output")))
            return usageError(kResave, QStringLiteral("missing -o OUT"));
        const QString out = a.value(QStringLiteral("--output"));
        int status = kExitOk;
        if (!outputAllowed(kResave, a, out, kSaveDataFile, {{a.positional[0], QStringLiteral("the input IMAGE")}}, &status))
            return status;
        ToolState tool;
        if (!startWithImage(kResave, tool, a, a.positional[0], &status))
            return status;
        return saveTo(kResave, tool.state(), out);
    });
}

int cmdNew(const QStringList& args)
{
    return runCommand(kNew, args, [](const ParsedArgs& a) {
        if (!a.has(QStringLiteral("--output")))
            return usageError(kNew, QStringLiteral("missing -o OUT"));
        const QString out = a.value(QStringLiteral("--output"));
        int status = kExitOk;
        if (!outputAllowed(kNew, a, out, kSaveDataFile, {}, &status))
            return status;
        ToolState tool;
        qm::Error err;
        if (!tool.start(a.home, &err))
            return fail(kNew, err, startupStatus(err));
        // A new file is the template: without all of it there is nothing to save.
        const qm::TemplateRead t = qm::readTemplate(tool.state().settings, tool.state().doc.IicDat.size());
        if (t.problem)
            return fail(kNew, *t.problem);
        if (t.warning)
            warn(kNew, *t.warning);
        qm::NewFileSol(tool.state());
        return saveTo(kNew, tool.state(), out);
    });
}

int cmdExportCsv(const QStringList& args)
{
    return exportChannels(kExportCsv, args, QStringLiteral("write CSV file"), qm::ChannelsToCsv, qm::SaveChannelCsv);
}

int cmdImportCsv(const QStringList& args)
{
    return importChannels(kImportCsv, args, QStringLiteral("import CSV file"), qm::ImportChannelCsv);
}

int cmdExportChirp(const QStringList& args)
{
    return exportChannels(kExportChirp, args, QStringLiteral("write CHIRP CSV file"), qm::ChannelsToChirpCsv,
                          qm::SaveChirpCsv);
}

int cmdImportChirp(const QStringList& args)
{
    return importChannels(kImportChirp, args, QStringLiteral("import CHIRP CSV file"), qm::ImportChirpCsv);
}

} // namespace qmcli
