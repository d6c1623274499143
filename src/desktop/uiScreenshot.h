// Screenshots of the program's windows, taken by the program itself after its
// start-up (qm570 --screenshot FILE [--screenshot-window NAME]); the script
// scripts/screenshots.sh runs it under Xvfb for the README's pictures.
//
// Adding a window: one more row in kTargets of uiScreenshot.cpp with its name
// and a function that brings it up and returns the widget to capture.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace qm {

class mdifrmMain;

// Names --screenshot-window accepts ("mdifrmMain" is the default).
QStringList screenshotWindowNames();

// Brings the named window up (shown, maximised in the MDI area or as a
// dialog) and returns the widget to capture; null for an unknown name.
QWidget* prepareScreenshot(mdifrmMain& main, const QString& name);

// Captures widget into file (PNG) through a temporary file that is renamed
// into place when complete. False with the reason in *error.
bool saveScreenshot(QWidget& widget, const QString& file, QString* error);

} // namespace qm
