// The desktop program: the main window runs the start-up when it loads.
//   qm570 [--home DIR]   DIR = folder of the settings file, the template and
//                        the data folder (default: the program's own folder,
//                        or for an installed program the user's own folder)
#include "comm/PortProber.h"
#include "shell/AppState.h"
#include "shell/mdifrmMain.h"
#include "shell/ProgramFolder.h"
#include "shell/modStartup.h"
#include "shell/uiQtInteraction.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QMessageBox>

#include <cstdio>

#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qm570"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("QM570 radio programming software"));
    parser.addHelpOption();
    QCommandLineOption homeOpt(QStringLiteral("home"),
                               QStringLiteral("Folder holding Uninstall.exe, Kelvex.exe and Data (default: the program's folder, "
                                              "or ~/.local/share/qm570 when installed)."),
                               QStringLiteral("DIR"));
    parser.addOption(homeOpt);
    parser.process(app);

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

    qm::QtInteraction ui;
    qm::mdifrmMain window(s, ui);
    ui.setParent(&window);

    s.home = home;
    std::unique_ptr<qm::PortProber> prober = qm::makeSystemPortProber(s);
    qm::StartupEnv env;
    env.home = home;
    env.systemLocale = qm::systemLocaleNumber();
    env.prober = prober.get();

    if (window.Form_Load(env) == qm::StartupOutcome::QuietExit)
        return 0;
    window.show();
    return app.exec();
}
