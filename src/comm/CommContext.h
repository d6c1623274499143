// What the radio communication modules work on: the document (image bytes
// for a transfer and the radio facts), the settings (address ranges, port
// table overrides, texts), the options window's "set time" box, the radio
// information texts, the transfer and the error list. A context is a handful
// of references, passed by value.
#pragma once

#include "diag/modShowErr.h"
#include "image/Document.h"
#include "options/OptionsContext.h"
#include "settings/Settings.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace qm {

// The state of the one transfer that may run: the script lists, the block
// data buffer, the counters and the frame trace of the read/write dialog.
// Plain data, so the transfer can run on a private copy.
struct TransferData {
    std::array<QStringList, 3> ComScript;             // [direction 1 read, 2 write], scripts from index 1
    // Per direction and script: [1] start address, [2] byte count, [3] percentage.
    std::array<std::vector<std::array<int32_t, 4>>, 3> ComScriptPara;
    std::array<int, 3> ComScriptNum{};
    std::array<uint8_t, 101> ComVaDat{};              // 1..100
    int16_t ComErr = 0;                               // 0 the last script ran to its end, -1 it failed
    int16_t RxWaitMs = 1;
    int16_t RxWaitTimes = 150;
    int16_t ComOpenErr = 0;                           // -1 after a failed OpenCom
    int16_t ComFailTimes = 0;
    std::array<int16_t, 17> PortAvail{};              // 1..16: 1 usable, -1 not
    QStringList listRtData;                           // the frame trace of the read/write dialog
    int ComListIdx = 0;
    int listRtSelected = -1;
    int ComPercent = 0;                               // progress bar value (ShowComPercent)
    QString ComStatusText;                            // status label text ("45 %")
};

class Transfer : public QObject, public TransferData {
    Q_OBJECT
public:
    explicit Transfer(QObject* parent = nullptr) : QObject(parent) {}
    TransferData& data() { return *this; }
    const TransferData& data() const { return *this; }

    void notifyTrace() { emit traceChanged(); }
    void notifyProgress() { emit progressChanged(); }

signals:
    void traceChanged();    // listRtData / listRtSelected changed
    void progressChanged(); // ComPercent / ComStatusText changed
};

// Texts of the radio information window.
class RadioInfo : public QObject {
    Q_OBJECT
public:
    explicit RadioInfo(QObject* parent = nullptr) : QObject(parent) {}

    QString txtModel = QStringLiteral("QM570");
    QString txtRange = QStringLiteral("400.00000 - 470.00000MHz");
    QString txtSoftVer;
    QString txtLastPc;

    void notify() { emit changed(); }

signals:
    void changed();
};

struct CommContext {
    DocumentData& doc;
    Settings& settings;
    OptionsView& optView;
    RadioInfo& radioInfo;
    Transfer& xfer;
    ErrorList& errors;
};

} // namespace qm
