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
        if (buttons == qm::MsgButtons::Ok)
            return qm::MsgAnswer::Ok;
        if (answers.empty())
            return qm::MsgAnswer::No;
        const auto a = answers.front();
        answers.pop_front();
        return a;
    }
    QString openFileName(const QString& startPath, const QString& filter) override
    {
        openStarts << startPath;
        filters << filter;
        if (openNames.empty())
            return {};
        const QString n = openNames.front();
        openNames.pop_front();
        return n;
    }
    qm::SaveDialogResult saveFileName(const QString& startPath, const QString& filter, const QString& defaultExt) override
    {
        saveStarts << startPath;
        filters << filter;
        defaultExts << defaultExt;
        if (saveNames.empty())
            return {};
        const auto r = saveNames.front();
        saveNames.pop_front();
        return r;
    }
};

} // namespace qmtest
