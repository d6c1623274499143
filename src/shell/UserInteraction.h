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
    int filterIndex = 0;  // the entry of a filter with several entries that was chosen (0-based)
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

} // namespace qm
