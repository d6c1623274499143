// The port dialog: COM1 .. COM16 (probed at every opening), OK writes key COM, Cancel
// restores. After exec() the settings hold the chosen port.
//
// The sixteen options form one control array: object names COM1_0 .. COM1_15
// (index = port number - 1, also in the property "index"), captions "COM1" ..
// "COM16"; beside each, lblCOMDevice_<index> shows the device the number
// maps to on this computer (also the option's tooltip).
#pragma once

#include "desktop/DesktopContext.h"

#include <QDialog>
#include <array>

class QButtonGroup;
class QGroupBox;
class QPushButton;
class QLabel;
class QRadioButton;

namespace qm {

class frmToolCom : public QDialog {
    Q_OBJECT
public:
    explicit frmToolCom(DesktopContext& ctx, QWidget* parent = nullptr);

    static constexpr int kPorts = 16;

    // What the dialog's load does at every opening: captions, the probe of
    // ports 1..16 (an unusable port's option is cleared and greyed out), the
    // port in use remembered and its option selected.
    void Form_Load();
    // The port in use after the dialog closed (OK: the chosen one, Cancel:
    // the one it opened with); the main window shows it in status panel 2.
    int chosenPort() const;
    // "COM" + chosenPort(), the status panel's text.
    QString portStatusText() const;

    QRadioButton* option(int index) const { return COM1_[static_cast<size_t>(index)]; }

    void cmdOK_Click();
    void cmdCancel_Click();

    // Showing the dialog (exec(), show()) runs Form_Load first.
    void setVisible(bool visible) override;

protected:
    // Escape and the close button are Cancel.
    void reject() override;

private:
    DesktopContext& ctx_;
    int remembered_ = 1;
    std::array<QRadioButton*, kPorts> COM1_{};
    std::array<QLabel*, kPorts> device_{};
    QButtonGroup* group_ = nullptr;
    QGroupBox* fraToolCom_ = nullptr;
    QLabel* lblToolCom_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};

} // namespace qm
