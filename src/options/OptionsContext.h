// What the optional-features modules work on: the document's OptSel, the
// settings (OptDef, text table, settings file), the options window's view
// model and the error list. A context is a handful of references, passed by
// value.
#pragma once

#include "diag/modShowErr.h"
#include "image/Document.h"
#include "settings/Settings.h"

#include <QObject>
#include <QString>
#include <array>

namespace qm {

// The values the optional-features window shows (its controls' state), so
// that refreshing it has the same effect on OptSel with or without a screen.
class OptionsView : public QObject {
    Q_OBJECT
public:
    explicit OptionsView(QObject* parent = nullptr) : QObject(parent) {}

    std::array<int, kOptCount + 1> listIndex{};  // selected list position per OptSel index, -1 none
    std::array<bool, kOptCount + 1> checked{};   // check box state per OptSel index
    QString txtPwrMsg;
    bool chkSetTime = false;                      // "Pc Time Set to Radio Time"
    QString txtLockRadio;

    // Tells the options window to show the values again.
    void notify() { emit changed(); }

signals:
    void changed();
};

struct OptionsContext {
    DocumentData& doc;
    Settings& settings;
    OptionsView& optView;
    ErrorList& errors;
};

} // namespace qm
