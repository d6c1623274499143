#include "cli/CliCommon.h"

#include "shell/ProgramFolder.h"
#include "shell/modStartup.h"

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
    t += QStringLiteral("\nexit status: 0 done, 1 failed (the reason is one line on stderr), 2 bad arguments\n");
    return t;
}

int fail(const CommandSpec& cmd, const QString& message)
{
    printLine(stderr, QStringLiteral("%1 %2: %3").arg(kTool, cmd.name, message));
    return kExitFailed;
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
        return fail(cmd, e.detail().isEmpty() ? QStringLiteral("failed (error %1)").arg(e.number())
                                               : QStringLiteral("failed (error %1: %2)").arg(e.number()).arg(e.detail()));
    } catch (const std::exception& e) {
        return fail(cmd, QStringLiteral("failed: %1").arg(QString::fromLocal8Bit(e.what())));
    }
}

ToolState::ToolState() = default;
ToolState::~ToolState() = default;

bool ToolState::start(const QString& home, QString* error)
{
    const QFileInfo info(home);
    if (!info.isDir()) {
        *error = QStringLiteral("the program folder \"%1\" does not exist").arg(home);
        return false;
    }
    const QString dir = info.absoluteFilePath();
    s_ = std::make_unique<qm::AppState>();
    QString reason;
    if (!qm::startupForTool(*s_, dir, &reason)) {
        *error = QStringLiteral("cannot start in \"%1\": %2").arg(dir, reason.isEmpty() ? QStringLiteral("start-up failed") : reason);
        return false;
    }
    // From here on the state works on a private copy of the settings file.
    settingsCopy_ = std::make_unique<QTemporaryDir>();
    if (!settingsCopy_->isValid()) {
        *error = QStringLiteral("cannot create a temporary folder: %1").arg(settingsCopy_->errorString());
        return false;
    }
    const QString original = s_->profile.path().isEmpty() ? QDir(dir).filePath(QStringLiteral("Uninstall.exe")) : s_->profile.path();
    const QString copy = settingsCopy_->filePath(QStringLiteral("Uninstall.exe"));
    if (QFileInfo::exists(original) && !QFile::copy(original, copy)) {
        *error = QStringLiteral("cannot read the settings file \"%1\"").arg(original);
        return false;
    }
    s_->profile.setPath(copy);
    return true;
}

bool checkReadableFile(const QString& path, QString* error)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        *error = QStringLiteral("cannot read \"%1\": no such file").arg(path);
        return false;
    }
    if (info.isDir()) {
        *error = QStringLiteral("cannot read \"%1\": it is a folder").arg(path);
        return false;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read \"%1\": %2").arg(path, f.errorString());
        return false;
    }
    return true;
}

bool readInputFile(const QString& path, qint64 maxBytes, QByteArray* data, QString* error)
{
    if (!checkReadableFile(path, error))
        return false;
    const QFileInfo info(path);
    if (info.size() > maxBytes) {
        *error = QStringLiteral("\"%1\" is too large (%2 bytes, at most %3)")
                     .arg(path, QString::number(info.size()), QString::number(maxBytes));
        return false;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read \"%1\": %2").arg(path, f.errorString());
        return false;
    }
    *data = f.read(maxBytes + 1);
    if (f.error() != QFile::NoError || data->size() > maxBytes) {
        *error = QStringLiteral("cannot read \"%1\": %2").arg(path, f.error() != QFile::NoError ? f.errorString() : QStringLiteral("too large"));
        return false;
    }
    return true;
}

} // namespace qmcli
