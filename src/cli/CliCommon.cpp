#include "cli/CliCommon.h"

#include "shell/modStartup.h"
#include "settings/ProfileFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <exception>

namespace qmcli {

namespace {

const QString kTool = QStringLiteral("qm570-cli");

void printLine(FILE* stream, QString text)
{
    // One line, whatever the message holds.
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text += QLatin1Char('\n');
    std::fputs(text.toUtf8().constData(), stream);
    std::fflush(stream);
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
    return QCoreApplication::applicationDirPath();
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
                      QStringLiteral("program folder holding \"Uninstall.exe\" and \"Kelvex.exe\" (default: the folder of qm570-cli)"));
    rows.emplace_back(QStringLiteral("-h, --help"), QStringLiteral("show this help"));
    qsizetype width = 0;
    for (const auto& r : rows)
        width = std::max(width, r.first.size());
    t += QStringLiteral("\noptions:\n");
    for (const auto& r : rows)
        t += QStringLiteral("  ") + r.first.leftJustified(width + 2) + r.second + QLatin1Char('\n');
    t += QStringLiteral("\nexit status: 0 done, 1 failed (the reason is one line on stderr), 2 bad arguments\n");
    return t;
}

int fail(const CommandSpec& cmd, const QString& message)
{
    printLine(stderr, QStringLiteral("%1 %2: %3").arg(kTool, cmd.name, message));
    return kExitFailed;
}

int fail(const CommandSpec& cmd, const qm::Error& error)
{
    return fail(cmd, error.text());
}

int usageError(const CommandSpec& cmd, const QString& message)
{
    printLine(stderr, QStringLiteral("%1 %2: %3 (see %1 %2 --help)").arg(kTool, cmd.name, message));
    return kExitUsage;
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
    } catch (const std::exception& e) {
        return fail(cmd, QStringLiteral("failed: %1").arg(QString::fromLocal8Bit(e.what())));
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
    QFile from(original);
    if (!from.copy(copy)) {
        *error = qm::Error{75, QStringLiteral("copy settings file"), original, from.errorString()};
        return false;
    }
    s_->settings.profile.setPath(copy);
    return true;
}

bool checkReadableFile(const QString& path, qm::Error* error)
{
    const QString action = QStringLiteral("read file");
    const QFileInfo info(path);
    if (!info.exists()) {
        *error = qm::Error{53, action, path, QStringLiteral("no such file")};
        return false;
    }
    if (info.isDir()) {
        *error = qm::Error{75, action, path, QStringLiteral("it is a folder")};
        return false;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = qm::Error{75, action, path, f.errorString()};
        return false;
    }
    return true;
}

bool readInputFile(const QString& path, qint64 maxBytes, QByteArray* data, qm::Error* error)
{
    if (!checkReadableFile(path, error))
        return false;
    const QString action = QStringLiteral("read file");
    const QFileInfo info(path);
    if (info.size() > maxBytes) {
        *error = qm::Error{7, action, path,
                           QStringLiteral("it is too large (%1 bytes, at most %2)").arg(info.size()).arg(maxBytes)};
        return false;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = qm::Error{75, action, path, f.errorString()};
        return false;
    }
    *data = f.read(maxBytes + 1);
    if (f.error() != QFile::NoError || data->size() > maxBytes) {
        *error = qm::Error{75, action, path, f.error() != QFile::NoError ? f.errorString() : QStringLiteral("it is too large")};
        return false;
    }
    return true;
}

} // namespace qmcli
