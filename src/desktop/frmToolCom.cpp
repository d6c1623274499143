#include "desktop/frmToolCom.h"

#include "comm/modPorts.h"
#include "desktop/uiLook.h"
#include "settings/SoftFaceTexts.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qm {

frmToolCom::frmToolCom(DesktopContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("frmToolCom"));
    fraToolCom_ = new QGroupBox(this);
    fraToolCom_->setObjectName(QStringLiteral("fraToolCom"));
    lblToolCom_ = new QLabel(fraToolCom_);
    lblToolCom_->setObjectName(QStringLiteral("lblToolCom"));
    group_ = new QButtonGroup(this);
    group_->setExclusive(true);

    // Two columns of eight: COM1..COM8 (USB cables on Linux) and COM9..COM16.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    for (int i = 0; i < kPorts; ++i) {
        auto* b = new QRadioButton(QStringLiteral("COM%1").arg(i + 1), fraToolCom_);
        nameControl(b, QStringLiteral("COM1_%1").arg(i), b->text());
        b->setProperty("index", i);
        auto* d = new QLabel(fraToolCom_);
        d->setObjectName(QStringLiteral("lblCOMDevice_%1").arg(i));
        d->setForegroundRole(QPalette::PlaceholderText);
        group_->addButton(b, i);
        COM1_[static_cast<size_t>(i)] = b;
        device_[static_cast<size_t>(i)] = d;
        const int col = (i / 8) * 3, row = i % 8;
        grid->addWidget(b, row, col);
        grid->addWidget(d, row, col + 1);
    }
    grid->setColumnMinimumWidth(2, 16);
    auto* frame = new QVBoxLayout(fraToolCom_);
    frame->addWidget(lblToolCom_);
    frame->addLayout(grid);

    cmdOK_ = new QPushButton(this);
    cmdCancel_ = new QPushButton(this);
    cmdOK_->setDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, &frmToolCom::cmdOK_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmToolCom::cmdCancel_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdCancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraToolCom_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void frmToolCom::Form_Load()
{
    Settings& st = ctx_.s.settings;
    guarded(ctx_.s.errors, QStringLiteral("frmToolCom->Form_Load"), [&] {
        setFont(uiFont(st));
        setWindowTitle(SoftFaceText(st, 60));
        fraToolCom_->setTitle(SoftFaceText(st, 61));
        lblToolCom_->setText(SoftFaceText(st, 62));
        cmdOK_->setText(SoftFaceText(st, 63));
        cmdCancel_->setText(SoftFaceText(st, 64));
        nameControl(fraToolCom_, QStringLiteral("fraToolCom"), fraToolCom_->title());
        nameControl(lblToolCom_, QStringLiteral("lblToolCom"), lblToolCom_->text());
        nameControl(cmdOK_, QStringLiteral("cmdOK"), cmdOK_->text());
        nameControl(cmdCancel_, QStringLiteral("cmdCancel"), cmdCancel_->text());

        // Nothing selected while probing: an option that cannot be used is
        // never left selected.
        group_->setExclusive(false);
        const QString unusable = winText(st, " (cannot be opened)", "（无法打开）");
        for (int i = 0; i < kPorts; ++i) {
            QRadioButton* b = COM1_[static_cast<size_t>(i)];
            QLabel* d = device_[static_cast<size_t>(i)];
            const QString path = PortDevicePath(st, i + 1);
            bool usable = true;
            if (ctx_.prober) {
                try {
                    usable = ctx_.prober->probe(i + 1);
                } catch (...) {
                    usable = false;
                }
            }
            b->setChecked(false);
            b->setEnabled(usable);
            d->setEnabled(usable);
            d->setText(path);
            b->setToolTip(usable ? path : path + unusable);
            d->setToolTip(b->toolTip());
        }
        remembered_ = st.COM;
        if (remembered_ >= 1 && remembered_ <= kPorts && COM1_[static_cast<size_t>(remembered_ - 1)]->isEnabled())
            COM1_[static_cast<size_t>(remembered_ - 1)]->setChecked(true);
        group_->setExclusive(true);
    });
}

int frmToolCom::chosenPort() const
{
    return ctx_.s.settings.COM;
}

QString frmToolCom::portStatusText() const
{
    return QStringLiteral("COM") + QString::number(chosenPort());
}

void frmToolCom::setVisible(bool visible)
{
    // Before the dialog is laid out for showing, so it is sized for its captions.
    if (visible && !isVisible())
        Form_Load();
    QDialog::setVisible(visible);
}

void frmToolCom::cmdOK_Click()
{
    Settings& st = ctx_.s.settings;
    guarded(ctx_.s.errors, QStringLiteral("frmToolCom->cmdOK_Click"), [&] {
        for (int i = 0; i < kPorts; ++i) {
            if (COM1_[static_cast<size_t>(i)]->isChecked()) {
                st.COM = static_cast<int16_t>(i + 1);
                remembered_ = st.COM;
                break;
            }
        }
        st.profile.writeOrThrow(QStringLiteral("Setting"), QStringLiteral("COM"), QString::number(st.COM));
    });
    QDialog::accept();
}

void frmToolCom::cmdCancel_Click()
{
    reject();
}

void frmToolCom::reject()
{
    ctx_.s.settings.COM = static_cast<int16_t>(remembered_);
    QDialog::reject();
}

} // namespace qm
