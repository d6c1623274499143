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

// Every message is one line on stderr that starts with "qm570-cli: NAME: ",
// shows odd bytes and control characters of names escaped ("\xFF") and is
// cut to kMaxMessageChars characters.
inline constexpr int kMaxMessageChars = 300;

// "qm570-cli: NAME: action object: reason" for an error value; returns status.
int fail(const CommandSpec& cmd, const qm::Error& error, int status = kExitFailed);
// "qm570-cli: NAME: warning: action object: reason"; the command goes on.
void warn(const CommandSpec& cmd, const qm::Error& warning);

// "qm570-cli: NAME: message (see qm570-cli NAME --help)" on stderr; returns kExitUsage.
int usageError(const CommandSpec& cmd, const QString& message);

// The exit status of a start-up that failed: kExitUsage when the settings
// file cannot hold (unreadable, a DatNum other than 8191, a value that is no
// number), kExitFailed otherwise (no program folder or settings file).
int startupStatus(const qm::Error& error);

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

    // False with the failure when the start-up failed.
    bool start(const QString& home, qm::Error* error);
    qm::AppState& state() { return *s_; }

private:
    std::unique_ptr<qm::AppState> s_;
    std::unique_ptr<QTemporaryDir> settingsCopy_;
};

// Whether path names something a command may read (a file or a pipe): false
// with the failure (action, the path, "no such file", "it is a folder", "it
// is a device ...").
bool checkInputPath(const QString& path, const QString& action, qm::Error* error);

// Reads a whole input file of at most maxBytes: false with the failure when
// it is missing, a folder or device, unreadable or larger.
bool readInputFile(const QString& path, qint64 maxBytes, const QString& action, QByteArray* data, qm::Error* error);

// A file a command reads, as the output check knows it: "the input IMAGE".
struct NamedInput {
    QString path;
    QString role;
};

// The program folder's settings file and template: a command's output never
// replaces them.
std::vector<NamedInput> programFiles(const QString& home);

// Checks an output file before anything is read or written: it must not be
// one of the inputs, the settings file or the template (compared by device
// and inode, so another spelling of the path or a hard link is caught too)
// and, if it exists, must be a regular file (a folder, device or pipe is never
// replaced). False with the refusal (action, the output, why).
bool checkOutputPath(const QString& out, const QString& action, const std::vector<NamedInput>& inputs, qm::Error* error);

} // namespace qmcli
