// A channel grid definition for tests: the section "ChInfo" of a settings file
// in a temporary folder, as the delivered settings file carries it.
//   100 channels (row 100 is the VFO row), row height 240, 11 data columns:
//   1 RxFre (default 440 MHz), 2 TxFre (default 440 MHz), 3 CtcssDcsDec,
//   4 CtcssDcsEnc (defaults 0 = none), 5 Power Low|High (default 1),
//   6 Bandwidth Narrow|Wide (default 1), 7 Scan Add Off|On (default 1),
//   8 BCL Off|Carrier|QT/DQT (three values, default 0), 9 Compander Off|On
//   (default 0), 10 Scrambler Off|On (default 0), 11 CHNAME.
// The same keys are written under both key bases (1000 and 3000).
#pragma once

#include "shell/AppState.h"

#include <QFile>
#include <QTemporaryDir>
#include <memory>

namespace qmtest {

// Entries 0.. of each data column 1..11 (the end marker is added when written).
inline std::vector<QStringList> chInfoColumns()
{
    return {
        {},
        {"RxFre", "0", "44000000"},
        {"TxFre", "0", "44000000"},
        {"CtcssDcsDec", "0", "0"},
        {"CtcssDcsEnc", "0", "0"},
        {"Low|High", "2", "1", "Low", "High"},
        {"Narrow|Wide", "2", "1", "Narrow", "Wide"},
        {"Off|On", "2", "1", "Off", "On"},
        {"Off|Carrier|QT/DQT", "3", "0", "Off", "Carrier", "QT/DQT"},
        {"Off|On", "2", "0", "Off", "On"},
        {"Off|On", "2", "0", "Off", "On"},
        {"CHNAME", "0", "0"},
    };
}

inline const QString kChInfoCaptions =
    QStringLiteral("CH|RX Freq|TX Freq|Decode|Encode|Power|Bandwidth|Scan Add|BCL|Compander|Scrambler|Name");

// The section "[ChInfo]" with `channels` channel rows, as INI text.
inline QString chInfoSectionText(int channels = 100)
{
    const auto cols = chInfoColumns();
    const int colCount = static_cast<int>(cols.size()) - 1;
    QString t = QStringLiteral("[ChInfo]\n");
    auto key = [&](int k, const QString& v) { t += QString::number(k) + QLatin1Char('=') + v + QLatin1Char('\n'); };
    for (int base : {1000, 3000}) {
        key(base, QString::number(channels));
        key(base + 1, QStringLiteral("240"));
        key(base + 2, QString::number(colCount));
        key(base + 3, kChInfoCaptions);
        for (int c = 0; c <= colCount; ++c)
            key(base + 100 + c, QString::number(c == 0 ? 600 : 1000 + 10 * c));
        for (int c = 1; c <= colCount; ++c) {
            const QStringList& e = cols[static_cast<size_t>(c)];
            for (int k = 0; k < e.size(); ++k)
                key(base + 200 + (c - 1) * 50 + k, e[k]);
            key(base + 200 + (c - 1) * 50 + static_cast<int>(e.size()), QStringLiteral("*EndOfThisItem*"));
        }
    }
    return t;
}

// Appends the section to the settings file at path (created when missing).
inline bool writeChInfoSection(const QString& path, int channels = 100)
{
    QFile f(path);
    if (!f.open(QIODevice::Append | QIODevice::Text))
        return false;
    return f.write(chInfoSectionText(channels).toUtf8()) > 0;
}

// Number of error-list entries reported under label (with error number
// `number`, unless it is 0).
inline int reportsAt(const qm::AppState& s, const QString& label, int number = 0)
{
    const QString num = QStringLiteral("出错号:  ") + (number >= 0 ? QStringLiteral(" ") : QString()) +
                        QString::number(number) + QStringLiteral("     ");
    int n = 0;
    for (const QString& line : s.errors.lines())
        if (line.contains(QStringLiteral("  ") + label + QStringLiteral("     ")) && (number == 0 || line.contains(num)))
            ++n;
    return n;
}

// Number of entries in the error list (each entry is two lines).
inline int reportCount(const qm::AppState& s)
{
    return static_cast<int>(s.errors.lines().size()) / 2;
}

// A state whose settings file lives in a temporary folder, English, with an
// 8 KiB image of 0xFF (erased EEPROM).
class ChInfoFixture {
public:
    explicit ChInfoFixture(bool withSection = true, int channels = 100, int16_t language = 3)
        : state_(std::make_unique<qm::AppState>())
    {
        state_->settings.home = dir_.path();
        state_->settings.profile.setPath(dir_.filePath(QStringLiteral("Uninstall.exe")));
        if (withSection)
            writeChInfoSection(state_->settings.profile.path(), channels);
        state_->settings.Language = language;
        state_->settings.DatNum = 0x1FFF;
        state_->settings.OverColor = 0x0000FF;
        state_->settings.DefColor = 0x000000;
        state_->doc.IicDat.assign(0x2000, 0xFF);
        state_->errors.timeText = [](const QDateTime&) { return QStringLiteral("2026/1/1 0:00"); };
    }

    qm::AppState& s() { return *state_; }
    QString settingsPath() const { return state_->settings.profile.path(); }

private:
    QTemporaryDir dir_;
    std::unique_ptr<qm::AppState> state_;
};

} // namespace qmtest
