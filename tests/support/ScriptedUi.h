// A UserInteraction that plays back scripted answers and records every
// message and dialog, so tests can assert on what the user would have seen.
#pragma once

#include "shell/UserInteraction.h"

#include <QStringList>
#include <deque>
#include <vector>

namespace qmtest {

struct ShownMessage {
    QString prompt;
    QString title;
    qm::MsgButtons buttons;
    qm::MsgIcon icon;
};

class ScriptedUi : public qm::UserInteraction {
public:
    std::deque<qm::MsgAnswer> answers;           // for YesNo questions, in order
    std::deque<QString> openNames;               // "" = cancel
    std::deque<qm::SaveDialogResult> saveNames;  // fileName "" = cancel
    std::vector<ShownMessage> shown;
    QStringList openStarts, saveStarts;          // start paths the dialogs were given
    QStringList filters;
    QStringList defaultExts;

    qm::MsgAnswer message(const QString& prompt, const QString& title, qm::MsgButtons buttons, qm::MsgIcon icon) override
    {
        shown.push_back({prompt, title, buttons, icon});
        return buttons == qm::MsgButtons::Ok ? qm::MsgAnswer::Ok : next(answers, qm::MsgAnswer::No);
    }
    QString openFileName(const QString& startPath, const QString& filter) override
    {
        openStarts << startPath;
        filters << filter;
        return next(openNames, QString());
    }
    qm::SaveDialogResult saveFileName(const QString& startPath, const QString& filter, const QString& defaultExt) override
    {
        saveStarts << startPath;
        filters << filter;
        defaultExts << defaultExt;
        return next(saveNames, qm::SaveDialogResult{});
    }

private:
    // The next scripted answer, or `none` when the script has run out.
    template <class T>
    static T next(std::deque<T>& script, T none)
    {
        if (script.empty())
            return none;
        T a = script.front();
        script.pop_front();
        return a;
    }
};

} // namespace qmtest
