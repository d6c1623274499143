// qm570-cli: the radio program's commands without a screen.
#include "cli/Commands.h"

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
    QStringList args = app.arguments().mid(1);
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
    std::fprintf(stderr, "qm570-cli: unknown command '%s' (try qm570-cli --help)\n", name.toLocal8Bit().constData());
    return 2;
}
