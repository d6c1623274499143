// Every message box, question and file dialog goes through this interface, so
// that each command can be driven in a test with scripted answers. The desktop
// program implements it with the real Qt dialogs.
#pragma once

#include <QString>

namespace qm {

enum class MsgIcon { None, Question, Exclamation, Critical, Information };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

struct SaveDialogResult {
    QString fileName; // empty = cancelled
    bool refused = false; // the dialog reported the chosen name as unusable
};

class UserInteraction {
public:
    virtual ~UserInteraction() = default;

    virtual MsgAnswer message(const QString& prompt, const QString& title, MsgButtons buttons, MsgIcon icon) = 0;

    // Open dialog starting at startPath; returns the chosen file or "" on cancel.
    virtual QString openFileName(const QString& startPath, const QString& filter) = 0;

    // Save dialog starting at startPath with a default extension.
    virtual SaveDialogResult saveFileName(const QString& startPath, const QString& filter, const QString& defaultExt) = 0;
};

// Answers every question with a fixed reply and records nothing: used where no
// one can be asked (the command-line tool). Dialogs return the preset names.
class FixedInteraction : public UserInteraction {
public:
    MsgAnswer answer = MsgAnswer::Yes;
    QString openName;
    QString saveName;
    QString lastMessage; // prompt of the last message shown

    MsgAnswer message(const QString& prompt, const QString&, MsgButtons buttons, MsgIcon) override
    {
        lastMessage = prompt;
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : answer;
    }
    QString openFileName(const QString&, const QString&) override { return openName; }
    SaveDialogResult saveFileName(const QString&, const QString&, const QString& defaultExt) override
    {
        QString n = saveName;
        if (!n.isEmpty() && !defaultExt.isEmpty() && !n.contains(QLatin1Char('.')))
            n += QLatin1Char('.') + defaultExt;
        return {n, false};
    }
};

} // namespace qm
