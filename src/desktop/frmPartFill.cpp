#include "desktop/frmPartFill.h"

#include "desktop/frmMemDat.h"
#include "desktop/uiLook.h"
#include "memtools/modPartFill.h"
#include "settings/VbConv.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace qm {

namespace {

QLabel* label(QWidget* parent, const char* name, const char* caption)
{
    auto* l = new QLabel(QString::fromLatin1(caption), parent);
    nameControl(l, QString::fromLatin1(name), l->text());
    return l;
}

QLineEdit* edit(QWidget* parent, const char* name, const QString& accessible, int maxLength)
{
    auto* e = new QLineEdit(parent);
    nameControl(e, QString::fromLatin1(name), accessible);
    e->setMaxLength(maxLength);
    return e;
}

} // namespace

frmPartFill::frmPartFill(DesktopContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("frmPartFill"));
    setWindowTitle(QStringLiteral("Part Fill"));
    setFont(uiFont(ctx_.s.settings));

    auto* lblFillData = label(this, "lblFillData", "Fill Data");
    // A value in base 2 has up to sixteen digits.
    txtFillData_ = edit(this, "txtFillData", lblFillData->text(), 16);
    lblFillData->setBuddy(txtFillData_);
    cboFillData_ = new QComboBox(this);
    nameControl(cboFillData_, QStringLiteral("cboFillData"), QStringLiteral("Radix"));
    cboFillData_->addItems({QStringLiteral("H"), QStringLiteral("D"), QStringLiteral("B")});
    cboFillData_->setCurrentIndex(0);

    auto* lblStartAddr = label(this, "lblStartAddr", "Start Addr");
    txtStartAddr_ = edit(this, "txtStartAddr", lblStartAddr->text(), 4);
    lblStartAddr->setBuddy(txtStartAddr_);
    auto* lblEndAddr = label(this, "lblEndAddr", "End Addr");
    txtEndAddr_ = edit(this, "txtEndAddr", lblEndAddr->text(), 4);
    lblEndAddr->setBuddy(txtEndAddr_);

    auto* cmdFillData = new QPushButton(QStringLiteral("Fill"), this);
    nameControl(cmdFillData, QStringLiteral("cmdFillData"), cmdFillData->text());
    cmdFillData->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(lblFillData, 0, 0);
    grid->addWidget(txtFillData_, 0, 1);
    grid->addWidget(cboFillData_, 0, 2);
    grid->addWidget(lblStartAddr, 1, 0);
    grid->addWidget(txtStartAddr_, 1, 1);
    grid->addWidget(label(this, "lblStartAddrH", "H"), 1, 2);
    grid->addWidget(lblEndAddr, 2, 0);
    grid->addWidget(txtEndAddr_, 2, 1);
    grid->addWidget(label(this, "lblEndAddrH", "H"), 2, 2);
    grid->addWidget(cmdFillData, 3, 1, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(txtStartAddr_, &QLineEdit::textChanged, this,
            [this](const QString& t) { PartFillStartChanged(ctx_.s.settings, t); });
    connect(txtEndAddr_, &QLineEdit::textChanged, this,
            [this](const QString& t) { PartFillEndChanged(ctx_.s.settings, t); });
    connect(cmdFillData, &QPushButton::clicked, this, &frmPartFill::cmdFillData_Click);
}

void frmPartFill::showEvent(QShowEvent* event)
{
    // The remembered range (0 and TableMaxAddr at start-up).
    txtStartAddr_->setText(hex4(ctx_.s.settings.PartFillStart));
    txtEndAddr_->setText(hex4(ctx_.s.settings.PartFillEnd));
    QDialog::showEvent(event);
}

void frmPartFill::cmdFillData_Click()
{
    MemTable scratch;
    MemTable& table = ctx_.w.memDat ? ctx_.w.memDat->table() : scratch;
    const PartFillResult r =
        PartFill(MemToolsContext{ctx_.s.doc, ctx_.s.settings, table, ctx_.s.errors}, txtFillData_->text(),
                 static_cast<FillRadix>(std::max(0, cboFillData_->currentIndex())), txtStartAddr_->text(), txtEndAddr_->text());
    if (!r.filled)
        return;
    ctx_.s.doc.notify(Document::Change::Bytes);
    frmMemDat::recordBytes(ctx_, QStringLiteral("Part fill %1-%2").arg(hex4(r.start), hex4(r.end)), r.start, r.before,
                           std::vector<uint8_t>(r.before.size(), r.value));
}

} // namespace qm
