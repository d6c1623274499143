#include "desktop/frmRadioInfo.h"

#include "desktop/frmMemDat.h"
#include "desktop/uiLook.h"
#include "settings/SoftFaceTexts.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace qm {

namespace {

constexpr int kBoxWidthTwips = 3600;   // room for "400.00000 - 470.00000MHz"
constexpr int kDebugSideTwips = 225;   // the hidden switch: a small square
constexpr int kMarginTwips = 180;

QLineEdit* makeBox(QWidget* parent, const char* name)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setReadOnly(true);
    box->setMinimumWidth(twipsToPx(kBoxWidthTwips, parent));
    return box;
}

} // namespace

frmRadioInfo::frmRadioInfo(DesktopContext& ctx, QWidget* parent) : MdiChild(ctx, parent)
{
    setObjectName(QStringLiteral("frmRadioInfo"));

    fraMain_ = new QGroupBox(this);
    fraMain_->setObjectName(QStringLiteral("fraMain"));
    lblModel_ = new QLabel(fraMain_);
    lblRange_ = new QLabel(fraMain_);
    lblSoftVer_ = new QLabel(fraMain_);
    lblLastPc_ = new QLabel(fraMain_);
    txtModel_ = makeBox(fraMain_, "txtModel");
    txtRange_ = makeBox(fraMain_, "txtRange");
    txtSoftVer_ = makeBox(fraMain_, "txtSoftVer");
    txtLastPc_ = makeBox(fraMain_, "txtLastPc");
    lblDebug_ = new QLabel(fraMain_);
    lblDebug_->setObjectName(QStringLiteral("lblDebug"));
    lblDebug_->setFixedSize(twipsToPx(kDebugSideTwips, this), twipsToPx(kDebugSideTwips, this));

    const QPair<QLabel*, QLineEdit*> rows[] = {
        {lblModel_, txtModel_}, {lblRange_, txtRange_}, {lblSoftVer_, txtSoftVer_}, {lblLastPc_, txtLastPc_}};
    auto* grid = new QGridLayout(fraMain_);
    const int margin = twipsToPx(kMarginTwips, this);
    grid->setContentsMargins(margin, margin, margin, twipsToPx(60, this));
    grid->setVerticalSpacing(twipsToPx(120, this));
    int r = 0;
    for (const auto& [label, box] : rows) {
        label->setBuddy(box);
        grid->addWidget(label, r, 0);
        grid->addWidget(box, r, 1);
        ++r;
    }
    grid->addWidget(lblDebug_, r, 1, Qt::AlignRight | Qt::AlignBottom);
    grid->setColumnStretch(1, 1);

    // The frame keeps its designed size in the top left corner of the
    // maximised window.
    auto* outer = new QVBoxLayout(this);
    const int pad = twipsToPx(240, this);
    outer->setContentsMargins(pad, pad, pad, pad);
    auto* row = new QHBoxLayout;
    row->addWidget(fraMain_);
    row->addStretch(1);
    outer->addLayout(row);
    outer->addStretch(1);

    fraMain_->installEventFilter(this);
    lblDebug_->installEventFilter(this);
    for (QLabel* l : {lblModel_, lblRange_, lblSoftVer_, lblLastPc_})
        l->installEventFilter(this); // a label's double-click is the frame's

    guarded(ctx_.s.errors, QStringLiteral("frmRadioInfo->Form_Load:"), [&] {
        InitOpt();
        refresh();
    });
    connect(&ctx_.s.radioInfo, &RadioInfo::changed, this, &frmRadioInfo::refresh);
}

void frmRadioInfo::InitOpt()
{
    guarded(ctx_.s.errors, QStringLiteral("frmRadioInfo->InitOpt:"), [&] {
        const Settings& st = ctx_.s.settings;
        setWindowTitle(SoftFaceText(st, 300));
        fraMain_->setTitle(SoftFaceText(st, 183));
        nameControl(fraMain_, QStringLiteral("fraMain"), fraMain_->title());
        const QPair<QLabel*, int> captions[] = {{lblModel_, 184}, {lblRange_, 185}, {lblSoftVer_, 186}, {lblLastPc_, 187}};
        static const char* const names[] = {"lblModel", "lblRange", "lblSoftVer", "lblLastPc"};
        int i = 0;
        for (const auto& [label, text] : captions) {
            label->setText(SoftFaceText(st, text));
            nameControl(label, QLatin1String(names[i]), label->text());
            ++i;
        }
        // The boxes are named after their labels for screen readers.
        txtModel_->setAccessibleName(lblModel_->text());
        txtRange_->setAccessibleName(lblRange_->text());
        txtSoftVer_->setAccessibleName(lblSoftVer_->text());
        txtLastPc_->setAccessibleName(lblLastPc_->text());
    });
}

void frmRadioInfo::refresh()
{
    const RadioInfo& info = ctx_.s.radioInfo;
    txtModel_->setText(info.txtModel);
    txtRange_->setText(info.txtRange);
    txtSoftVer_->setText(info.txtSoftVer);
    txtLastPc_->setText(info.txtLastPc);
    for (QLineEdit* box : {txtModel_, txtRange_, txtSoftVer_, txtLastPc_})
        box->setCursorPosition(0);
}

void frmRadioInfo::lblDebug_DblClick()
{
    int16_t& mode = ctx_.s.view.DebugMode;
    mode = mode == -1 ? int16_t(0) : int16_t(-1);
}

void frmRadioInfo::fraMain_DblClick()
{
    guarded(ctx_.s.errors, QStringLiteral("frmRadioInfo->fraMain_DblClick"), [&] {
        if (ctx_.s.view.DebugMode == -1 && ctx_.w.memDat && ctx_.showChild)
            ctx_.showChild(ctx_.w.memDat);
    });
}

bool frmRadioInfo::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == lblDebug_) {
            lblDebug_DblClick();
            return true;
        }
        fraMain_DblClick();
        return true;
    }
    return MdiChild::eventFilter(watched, event);
}

} // namespace qm
