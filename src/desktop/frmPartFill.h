// The part fill dialog: fills an address range of the image with one value.
// Created once and only hidden when closed, so the value, the radix and the
// range stay between openings.
#pragma once

#include "desktop/DesktopContext.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace qm {

class frmPartFill : public QDialog {
    Q_OBJECT
public:
    explicit frmPartFill(DesktopContext& ctx, QWidget* parent = nullptr);

    // The fill (cmdFillData_Click): the value in the radix of cboFillData into
    // txtStartAddr..txtEndAddr of the image, the memory table's cells of the
    // range updated without marks; one undo step.
    void cmdFillData_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    DesktopContext& ctx_;
    QLineEdit* txtFillData_ = nullptr;
    QComboBox* cboFillData_ = nullptr;
    QLineEdit* txtStartAddr_ = nullptr;
    QLineEdit* txtEndAddr_ = nullptr;
};

} // namespace qm
