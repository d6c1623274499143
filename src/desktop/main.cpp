// The desktop program: the main window runs the start-up when it loads.
//   qm570 [--home DIR] [--screenshot FILE [--screenshot-window NAME]]
//     --home DIR           folder of the settings file, the template and the
//                          data folder (default: the program's own folder,
//                          or for an installed program the user's own folder)
//     --screenshot FILE    after the start-up, capture the window into FILE
//                          (PNG), then end through File > Exit answered Yes
//   qm570 [options] FILE.dat
//                          also opens FILE.dat after the start-up, as File >
//                          Open does (without its dialog)
#include "comm/PortProber.h"
#include "comm/modPorts.h"
#include "desktop/mdifrmMain.h"
#include "desktop/uiIcons.h"
#include "desktop/uiQtInteraction.h"
#include "desktop/uiScreenshot.h"
#include "shell/AppState.h"
#include "settings/ProgramFolder.h"
#include "shell/modStartup.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

// The program's dialogs. A screenshot run has nobody at the screen: it
// answers the exit question itself, so it ends the way a user ends the
// program, and any other message goes to stderr answered No or OK, so that a
// start-up or a file that fails cannot leave it waiting on a box forever.
class ProgramInteraction : public qm::QtInteraction {
public:
    std::optional<qm::MsgAnswer> nextAnswer;
    bool unattended = false;

    qm::MsgAnswer message(const QString& prompt, const QString& title, qm::MsgButtons buttons, qm::MsgIcon icon) override
    {
        if (buttons == qm::MsgButtons::YesNo && nextAnswer) {
            const qm::MsgAnswer a = *nextAnswer;
            nextAnswer.reset();
            return a;
        }
        if (unattended) {
            std::fprintf(stderr, "qm570: %s: %s\n", qPrintable(title), qPrintable(QString(prompt).replace(QLatin1Char('\n'), QLatin1Char(' '))));
            return buttons == qm::MsgButtons::YesNo ? qm::MsgAnswer::No : qm::MsgAnswer::Ok;
        }
        return QtInteraction::message(prompt, title, buttons, icon);
    }
};

// Time for the window system to map and paint the window before the capture.
constexpr int kScreenshotDelayMs = 800;

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qm570"));
    QApplication::setWindowIcon(qm::programIcon());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("QM570 radio programming software"));
    parser.addHelpOption();
    QCommandLineOption homeOpt(QStringLiteral("home"),
                               QStringLiteral("Folder holding Uninstall.exe, Kelvex.exe and Data (default: the program's folder, "
                                              "or ~/.local/share/qm570 when installed)."),
                               QStringLiteral("DIR"));
    QCommandLineOption shotOpt(QStringLiteral("screenshot"),
                               QStringLiteral("After the start-up, save a picture of the window to FILE (PNG) and exit."),
                               QStringLiteral("FILE"));
    QCommandLineOption shotWindowOpt(QStringLiteral("screenshot-window"),
                                     QStringLiteral("The window --screenshot captures: %1 (default mdifrmMain).")
                                         .arg(qm::screenshotWindowNames().join(QStringLiteral(", "))),
                                     QStringLiteral("NAME"), QStringLiteral("mdifrmMain"));
    parser.addOption(homeOpt);
    parser.addOption(shotOpt);
    parser.addOption(shotWindowOpt);
    parser.addPositionalArgument(QStringLiteral("FILE.dat"), QStringLiteral("Data file to open after the start-up."),
                                 QStringLiteral("[FILE.dat]"));
    parser.process(app);
    if (parser.positionalArguments().size() > 1) {
        std::fprintf(stderr, "qm570: one data file at most, not %d\n", static_cast<int>(parser.positionalArguments().size()));
        return 2;
    }

    const QString shotWindow = parser.value(shotWindowOpt);
    if (parser.isSet(shotOpt) && !qm::screenshotWindowNames().contains(shotWindow)) {
        std::fprintf(stderr, "qm570: unknown window %s for --screenshot-window (known: %s)\n", qPrintable(shotWindow),
                     qPrintable(qm::screenshotWindowNames().join(QStringLiteral(", "))));
        return 2;
    }

    auto state = std::make_unique<qm::AppState>();
    qm::AppState& s = *state;
    QString folderError;
    const auto folder = qm::resolveProgramFolder(parser.isSet(homeOpt) ? QDir(parser.value(homeOpt)).absolutePath() : QString(),
                                                 qm::systemProgramFolderPlaces(QApplication::applicationDirPath()),
                                                 qm::FolderAccess::ReadWrite, &folderError);
    if (!folder) {
        std::fprintf(stderr, "qm570: %s\n", folderError.toLocal8Bit().constData());
        QMessageBox::critical(nullptr, QStringLiteral("QM570"), folderError);
        return 1;
    }
    const QString home = folder->path;

    ProgramInteraction ui;
    ui.unattended = parser.isSet(shotOpt);
    qm::mdifrmMain window(s, ui);
    ui.setParent(&window);

    s.settings.home = home;
    std::unique_ptr<qm::PortProber> prober = qm::makeSystemPortProber(s.settings);
    qm::DesktopContext& ctx = window.context();
    ctx.prober = prober.get();
    // No link factory: the read/write dialog opens the configured port,
    // its device fixed when the transfer starts.

    qm::StartupEnv env;
    env.home = home;
    env.systemLocale = qm::systemLocaleNumber();
    env.prober = prober.get();

    if (window.Form_Load(env) == qm::StartupOutcome::QuietExit)
        return 0;
    window.show();
    // A file named on the command line (or by the desktop's "open with"),
    // relative to the folder the program was started in.
    if (!parser.positionalArguments().isEmpty())
        window.OpenDataFileNamed(QDir::cleanPath(QDir::current().absoluteFilePath(parser.positionalArguments().constFirst())));

    int status = 0;
    if (parser.isSet(shotOpt)) {
        const QString file = parser.value(shotOpt);
        QWidget* target = qm::prepareScreenshot(window, shotWindow);
        QTimer::singleShot(kScreenshotDelayMs, &window, [&, target] {
            QString why;
            if (!target || !qm::saveScreenshot(*target, file, &why)) {
                std::fprintf(stderr, "qm570: screenshot %s not saved: %s\n", qPrintable(file), qPrintable(why));
                status = 1;
            }
            // File > Exit, the question answered Yes.
            ui.nextAnswer = qm::MsgAnswer::Yes;
            window.menuItem(QStringLiteral("mnuExit"))->trigger();
        });
    }
    const int rc = app.exec();
    return status != 0 ? status : rc;
}
