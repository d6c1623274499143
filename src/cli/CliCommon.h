// What every qm570-cli command shares: its argument parsing (with --home DIR
// and --help), its help text, one-line messages on stderr, exit codes, and
// the program state it starts from.
#pragma once

#include "shell/AppState.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QTemporaryDir;

namespace qmcli {

// Exit status of every command.
inline constexpr int kExitOk = 0;     // done
inline constexpr int kExitFailed = 1; // a file could not be read or written, the input was refused, the radio failed
inline constexpr int kExitUsage = 2;  // bad arguments

// An option a command takes besides --home DIR and --help.
struct OptionSpec {
    QString longName;  // "--output"
    QString shortName; // "-o", or empty
    QString valueName; // "FILE"; empty for a flag without a value
    QString help;      // one line
};

struct CommandSpec {
    QString name;       // "decode"
    QString synopsis;   // words after the name in the usage line: "IMAGE -o OUT"
    QString summary;    // one line (also shown by qm570-cli --help)
    QString details;    // further paragraphs of the command's help, may be empty
    int minPositional = 0;
    int maxPositional = 0;
    std::vector<OptionSpec> options;
};

struct ParsedArgs {
    QString home;           // --home DIR, else the program folder found by defaultHome()
    QStringList positional;
    QHash<QString, QString> values; // by long name ("--output"); "" for a flag

    bool has(const QString& longName) const { return values.contains(longName); }
    QString value(const QString& longName) const { return values.value(longName); }
};

// The program folder without --home: the executable's folder when it holds
// the settings file, else (installed) the user's folder or the installed data.
QString defaultHome();

// The full help of a command (usage line, summary, details, options).
QString helpText(const CommandSpec& cmd);

// "qm570-cli NAME: message" as one line on stderr; returns kExitFailed.
int fail(const CommandSpec& cmd, const QString& message);

// "qm570-cli NAME: message (see qm570-cli NAME --help)" on stderr; returns kExitUsage.
int usageError(const CommandSpec& cmd, const QString& message);

// Writes bytes to stdout; false when the stream refuses them.
bool writeStdout(const QByteArray& data);

// Parses, prints the help or an argument error, and otherwise runs body.
// Options may stand anywhere ("--opt VALUE", "--opt=VALUE", "-o VALUE");
// "--" ends the options. An exception that escapes body is reported as one
// line and gives kExitFailed.
int runCommand(const CommandSpec& cmd, const QStringList& args, const std::function<int(const ParsedArgs&)>& body);

// The program state a command works on: the state after the program's normal
// start-up in the program folder `home` (settings read, template loaded and
// decoded, option selections = defaults). The settings file is only read:
// once started, the state reads and writes a private copy of it, so nothing a
// command does can change the user's settings.
class ToolState {
public:
    ToolState();
    ~ToolState();
    ToolState(const ToolState&) = delete;
    ToolState& operator=(const ToolState&) = delete;

    // False with a one-line reason when the start-up failed.
    bool start(const QString& home, QString* error);
    qm::AppState& state() { return *s_; }

private:
    std::unique_ptr<qm::AppState> s_;
    std::unique_ptr<QTemporaryDir> settingsCopy_;
};

// Whether path names a file this process can open for reading: false with a
// one-line reason ("cannot read FILE: no such file", "... it is a folder").
bool checkReadableFile(const QString& path, QString* error);

// Reads a whole file for a command: false with a one-line reason ("cannot
// read FILE: no such file") when it is missing, a folder, unreadable or
// larger than maxBytes.
bool readInputFile(const QString& path, qint64 maxBytes, QByteArray* data, QString* error);

} // namespace qmcli
