#include "cli/cmdDiff.h"

#include "cli/CliCommon.h"
#include "image/modIicDat.h"
#include "shell/ImageDiff.h"

namespace qmcli {

namespace {

const CommandSpec kDiff{
    QStringLiteral("diff"),
    QStringLiteral("A.dat B.dat"),
    QStringLiteral("list what changes from one data file to another"),
    QStringLiteral("Compares the two images as the write preview of the desktop program compares the\n"
                   "radio's backup with what a write will leave in it, and prints one change per\n"
                   "line on standard output, channels first, then options, then raw bytes:\n"
                   "  CH 5: RX Freq 462.56250 -> 462.57500     (a changed cell of the channel grid)\n"
                   "  CH 7 added: RX Freq 440.00000, ...       (a channel that only B holds; \"removed\": only A)\n"
                   "  Step: 5K -> 20K                          (an option, by the options window's texts)\n"
                   "  0E70-0E72 write-date stamp: ... -> ...   (bytes no view shows, 16 at most per line)\n"
                   "The arrow is the character U+2192; the texts follow the settings file's language.\n"
                   "Nothing is printed when the files hold the same bytes. A file of another size\n"
                   "than the image is compared as File > Open reads it (with a warning).\n"
                   "Exit status: 0 compared (whether or not they differ); 1 a file could not be read."),
    2,
    2,
    {}};

int run(const ParsedArgs& a)
{
    qm::Error err;
    for (const QString& path : a.positional) {
        if (!checkInputPath(path, QStringLiteral("open data file"), &err))
            return fail(kDiff, err);
    }
    ToolState tool;
    if (!tool.start(a.home, &err))
        return fail(kDiff, err, startupStatus(err));
    qm::AppState& s = tool.state();
    std::vector<uint8_t> images[2];
    for (int i = 0; i < 2; ++i) {
        std::optional<qm::Error> warning;
        try {
            images[i] = qm::readDataFile(s.doc, a.positional[i], &warning);
        } catch (const qm::QmError& e) {
            return fail(kDiff, e.error());
        }
        if (warning)
            warn(kDiff, *warning);
    }
    const qm::ImageChanges changes = qm::diffImages(images[0], images[1], s.settings);
    QString text;
    for (const QString& line : qm::changeLines(changes, s.settings))
        text += line + QLatin1Char('\n');
    if (!writeStdout(text.toUtf8()))
        return fail(kDiff, qm::Error{75, QStringLiteral("write to"), QStringLiteral("standard output"),
                                     QStringLiteral("the stream refused the data")});
    return kExitOk;
}

} // namespace

int cmdDiff(const QStringList& args)
{
    return runCommand(kDiff, args, run);
}

} // namespace qmcli
