// The view state of the program: flags of the main window and the texts of
// its status bar. The view models of the child windows live with their
// modules (ChannelGrid, OptionsView, RadioInfo).
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>

namespace qm {

class ViewState : public QObject {
    Q_OBJECT
public:
    explicit ViewState(QObject* parent = nullptr) : QObject(parent) {}

    bool QuietExit = false; // first run: the program ends without a question
    int16_t AppExiting = 0; // 1 once the exit has been confirmed
    QString ChLockState;    // "", "ShowLock" or "ShowNo"
    int16_t DebugMode = 0;

    // Data file paths.
    QString currentPath;
    QString defaultPath;

    // Status bar panels 1..3 (index 0 unused).
    std::array<QString, 4> statusPanel;

    // Sets status panel p (1..3) and tells the main window.
    void setStatus(int p, const QString& t)
    {
        if (p < 1 || p > 3)
            return;
        statusPanel[static_cast<size_t>(p)] = t;
        emit statusPanelChanged(p);
    }

signals:
    void statusPanelChanged(int panel);
};

} // namespace qm
