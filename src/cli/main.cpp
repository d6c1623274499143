// qm570-cli: the radio program's commands without a screen.
#include "cli/Commands.h"
#include "diag/QmError.h"
#include "settings/SafeFile.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {

void printUsage(FILE* out)
{
    QString text = QStringLiteral("usage: qm570-cli COMMAND [ARGS] [--home DIR]\n\ncommands:\n");
    for (const auto& c : qmcli::allCommands())
        text += QStringLiteral("  %1  %2\n").arg(QString::fromLatin1(c.name), -12).arg(QString::fromUtf8(c.summary));
    text += QStringLiteral("\n'qm570-cli COMMAND --help' describes one command.\n");
    std::fputs(text.toUtf8().constData(), out);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // A save stopped by Ctrl+C or a kill leaves no temporary file behind.
    qm::removeTemporaryFilesOnSignals();
    // The arguments as given: a file name that is not UTF-8 keeps its bytes
    // (QCoreApplication::arguments() would replace them).
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << qm::pathFromNative(QByteArray(argv[i]));
    if (args.isEmpty()) {
        printUsage(stderr);
        return 2;
    }
    const QString name = args.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        printUsage(stdout);
        return 0;
    }
    for (const auto& c : qmcli::allCommands()) {
        if (name == QLatin1String(c.name))
            return c.run(args);
    }
    const QString message = QStringLiteral("qm570-cli: unknown command '%1' (try qm570-cli --help)\n")
                                .arg(qm::elided(qm::printable(name), 100));
    std::fputs(message.toUtf8().constData(), stderr);
    return 2;
}
