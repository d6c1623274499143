#include "cli/CliCommon.h"

#include "settings/ProgramFolder.h"
#include "shell/modStartup.h"
#include "settings/ProfileFile.h"
#include "settings/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <exception>

namespace qmcli {

namespace {

const QString kTool = QStringLiteral("qm570-cli");

void printLine(FILE* stream, QString text)
{
    // One line, whatever the message holds: line breaks become blanks, other
    // control characters and bytes of names that are not UTF-8 are shown
    // escaped, and a message too long for a line is cut.
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text = qm::printable(text);
    if (text.size() > kMaxMessageChars)
        text = text.left(kMaxMessageChars - 3) + QStringLiteral("...");
    text += QLatin1Char('\n');
    std::fputs(text.toUtf8().constData(), stream);
    std::fflush(stream);
}

QString prefix(const CommandSpec& cmd)
{
    return QStringLiteral("%1: %2: ").arg(kTool, cmd.name);
}

const OptionSpec* findOption(const std::vector<OptionSpec>& options, const QString& name)
{
    for (const auto& o : options) {
        if (name == o.longName || (!o.shortName.isEmpty() && name == o.shortName))
            return &o;
    }
    return nullptr;
}

} // namespace

QString defaultHome()
{
    return qm::chooseProgramFolder(QString(), qm::systemProgramFolderPlaces(QCoreApplication::applicationDirPath()),
                                   qm::FolderAccess::ReadOnly)
        .path;
}

QString helpText(const CommandSpec& cmd)
{
    QString t = QStringLiteral("usage: %1 %2").arg(kTool, cmd.name);
    if (!cmd.synopsis.isEmpty())
        t += QLatin1Char(' ') + cmd.synopsis;
    t += QStringLiteral(" [--home DIR]\n\n") + cmd.summary + QLatin1Char('\n');
    if (!cmd.details.isEmpty())
        t += QLatin1Char('\n') + cmd.details.trimmed() + QLatin1Char('\n');
    std::vector<std::pair<QString, QString>> rows;
    for (const auto& o : cmd.options) {
        QString left = o.shortName.isEmpty() ? o.longName : o.shortName + QStringLiteral(", ") + o.longName;
        if (!o.valueName.isEmpty())
            left += QLatin1Char(' ') + o.valueName;
        rows.emplace_back(left, o.help);
    }
    rows.emplace_back(QStringLiteral("--home DIR"),
                      QStringLiteral("program folder holding \"Uninstall.exe\" and \"Kelvex.exe\" (default: the folder of qm570-cli; "
                                     "installed: ~/.local/share/qm570 when it holds the settings, else the installed data)"));
    rows.emplace_back(QStringLiteral("-h, --help"), QStringLiteral("show this help"));
    qsizetype width = 0;
    for (const auto& r : rows)
        width = std::max(width, r.first.size());
    t += QStringLiteral("\noptions:\n");
    for (const auto& r : rows)
        t += QStringLiteral("  ") + r.first.leftJustified(width + 2) + r.second + QLatin1Char('\n');
    t += QStringLiteral("\nexit status: 0 done, 1 failed (the reason is one line on stderr), 2 bad arguments (also an\n"
                        "output that is an input, the settings file, the template, a folder, device or pipe,\n"
                        "and a settings file that cannot hold, such as a DatNum other than 8191)\n");
    return t;
}

int fail(const CommandSpec& cmd, const qm::Error& error, int status)
{
    printLine(stderr, prefix(cmd) + error.text());
    return status;
}

void warn(const CommandSpec& cmd, const qm::Error& warning)
{
    printLine(stderr, prefix(cmd) + QStringLiteral("warning: ") + warning.text());
}

int usageError(const CommandSpec& cmd, const QString& message)
{
    printLine(stderr, prefix(cmd) + QStringLiteral("%1 (see %2 %3 --help)").arg(message, kTool, cmd.name));
    return kExitUsage;
}

int startupStatus(const qm::Error& error)
{
    return qm::isSettingsError(error) ? kExitUsage : kExitFailed;
}

bool writeStdout(const QByteArray& data)
{
    if (!data.isEmpty() && std::fwrite(data.constData(), 1, static_cast<size_t>(data.size()), stdout) != static_cast<size_t>(data.size()))
        return false;
    return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

int runCommand(const CommandSpec& cmd, const QStringList& args, const std::function<int(const ParsedArgs&)>& body)
{
    // --help wins over everything else on the line.
    for (const QString& a : args) {
        if (a == QLatin1String("--"))
            break;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            return writeStdout(helpText(cmd).toUtf8()) ? kExitOk : kExitFailed;
        }
    }

    const OptionSpec homeOption{QStringLiteral("--home"), QString(), QStringLiteral("DIR"), QString()};
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (optionsEnded || a.size() < 2 || !a.startsWith(QLatin1Char('-'))) {
            parsed.positional << a;
            continue;
        }
        if (a == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        QString name = a;
        QString inlineValue;
        bool hasInline = false;
        if (a.startsWith(QLatin1String("--")) && a.contains(QLatin1Char('='))) {
            name = a.section(QLatin1Char('='), 0, 0);
            inlineValue = a.section(QLatin1Char('='), 1);
            hasInline = true;
        }
        const OptionSpec* o = name == homeOption.longName ? &homeOption : findOption(cmd.options, name);
        if (!o)
            return usageError(cmd, QStringLiteral("unknown option %1").arg(name));
        if (parsed.values.contains(o->longName))
            return usageError(cmd, QStringLiteral("option %1 is given twice").arg(name));
        if (o->valueName.isEmpty()) {
            if (hasInline)
                return usageError(cmd, QStringLiteral("option %1 takes no value").arg(name));
            parsed.values.insert(o->longName, QString());
            continue;
        }
        QString value = inlineValue;
        if (!hasInline) {
            if (i + 1 >= args.size())
                return usageError(cmd, QStringLiteral("option %1 needs a value (%2)").arg(name, o->valueName));
            value = args[++i];
        }
        if (value.isEmpty())
            return usageError(cmd, QStringLiteral("option %1 needs a value (%2)").arg(name, o->valueName));
        parsed.values.insert(o->longName, value);
    }
    if (parsed.positional.size() < cmd.minPositional)
        return usageError(cmd, QStringLiteral("missing arguments; usage: %1 %2 %3").arg(kTool, cmd.name, cmd.synopsis));
    if (parsed.positional.size() > cmd.maxPositional)
        return usageError(cmd, QStringLiteral("unexpected argument \"%1\"").arg(parsed.positional[cmd.maxPositional]));
    parsed.home = parsed.has(homeOption.longName) ? parsed.value(homeOption.longName) : defaultHome();

    try {
        return body(parsed);
    } catch (const qm::QmError& e) {
        return fail(cmd, e.error());
    } catch (const std::bad_alloc&) {
        return fail(cmd, qm::Error{7, cmd.name, {}, QStringLiteral("out of memory")});
    } catch (const std::exception& e) {
        return fail(cmd, qm::Error{5, cmd.name, {}, QString::fromLocal8Bit(e.what())});
    }
}

ToolState::ToolState() = default;
ToolState::~ToolState() = default;

bool ToolState::start(const QString& home, qm::Error* error)
{
    s_ = std::make_unique<qm::AppState>();
    qm::StartupEnv env;
    env.home = home;
    env.mode = qm::StartupMode::Tool;
    if (qm::RunStartup(*s_, env) != qm::StartupOutcome::Running) {
        *error = s_->errors.entries().empty() ? qm::Error{5, QStringLiteral("start up in"), home, {}}
                                              : s_->errors.entries().back().error;
        return false;
    }
    // From here on the state works on a private copy of the settings file.
    settingsCopy_ = std::make_unique<QTemporaryDir>();
    if (!settingsCopy_->isValid()) {
        *error = qm::Error{75, QStringLiteral("create temporary folder"), {}, settingsCopy_->errorString()};
        return false;
    }
    const QString original = s_->settings.profile.path();
    const QString copy = settingsCopy_->filePath(QStringLiteral("Uninstall.exe"));
    try {
        const qm::BoundedRead r = qm::readFileAtMost(original, qm::kMaxSettingsBytes, qm::kReadSettingsFile,
                                                     qm::ReadSource::RegularFile);
        qm::saveFile(copy, r.data, QStringLiteral("copy settings file"));
    } catch (const qm::QmError& e) {
        *error = e.error();
        return false;
    }
    s_->settings.profile.setPath(copy);
    return true;
}

bool checkInputPath(const QString& path, const QString& action, qm::Error* error)
{
    const qm::FileFacts f = qm::fileFacts(path);
    switch (f.kind) {
    case qm::FileFacts::Kind::Missing:
        *error = f.systemError ? qm::Error{75, action, path, qt_error_string(f.systemError)}
                               : qm::Error{53, action, path, QStringLiteral("no such file")};
        return false;
    case qm::FileFacts::Kind::Folder:
        *error = qm::Error{75, action, path, QStringLiteral("it is a folder")};
        return false;
    case qm::FileFacts::Kind::Other:
        *error = qm::Error{75, action, path, QStringLiteral("it is a device or socket, not a regular file")};
        return false;
    default:
        return true;
    }
}

bool readInputFile(const QString& path, qint64 maxBytes, const QString& action, QByteArray* data, qm::Error* error)
{
    try {
        qm::BoundedRead r = qm::readFileAtMost(path, maxBytes, action);
        if (r.longer) {
            *error = qm::Error{7, action, path, QStringLiteral("it is larger than %1 MiB").arg(maxBytes >> 20)};
            return false;
        }
        *data = std::move(r.data);
        return true;
    } catch (const qm::QmError& e) {
        *error = e.error();
        return false;
    }
}

std::vector<NamedInput> programFiles(const QString& home)
{
    return {{home + QStringLiteral("/Uninstall.exe"), QStringLiteral("the settings file")},
            {home + QStringLiteral("/Kelvex.exe"), QStringLiteral("the template")}};
}

bool checkOutputPath(const QString& out, const QString& action, const std::vector<NamedInput>& inputs, qm::Error* error)
{
    const qm::FileFacts target = qm::fileFacts(out);
    if (!target.exists())
        return true; // a new file (a missing folder shows when it is saved)
    switch (target.kind) {
    case qm::FileFacts::Kind::Folder:
        *error = qm::Error{75, action, out, QStringLiteral("it is a folder")};
        return false;
    case qm::FileFacts::Kind::Pipe:
    case qm::FileFacts::Kind::Other:
        *error = qm::Error{75, action, out,
                           QStringLiteral("it is a device, pipe or socket, not a regular file; only a regular file is replaced")};
        return false;
    default:
        break;
    }
    for (const NamedInput& in : inputs) {
        if (qm::sameFile(target, qm::fileFacts(in.path))) {
            *error = qm::Error{75, action, out,
                               QStringLiteral("it is %1 (%2); an output never replaces an input")
                                   .arg(in.role, qm::elided(qm::printable(in.path), 120))};
            return false;
        }
    }
    return true;
}

} // namespace qmcli
