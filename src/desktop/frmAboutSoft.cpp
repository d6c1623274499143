#include "desktop/frmAboutSoft.h"

#include "desktop/uiLook.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm {

namespace {

struct AboutTexts {
    const char* caption;
    const char* title;
    const char* ok;
    const char* useRange;
    const char* version;
    const char* release;
    const char* description;
    const char* disclaimer;
};

// English is also the design text, shown under Traditional Chinese (2),
// which has no texts of its own.
constexpr AboutTexts kEnglish = {
    "About", "QM570 Radio Programming Software", "OK", "For QM570", "Version: V1.1", "Release: 2010.09.13",
    "Made by the QM570 programmer developers",
    "This program comes with no warranty. Check every setting before you use the radio on the air.",
};
constexpr AboutTexts kChinese = {
    "关于", "QM570系列对讲机编程软件", "确定", "用于QM570", "中英文版: V1.1", "发布时间: 2010.09.13", "",
    "本软件不提供任何担保。使用对讲机前请检查所有设置。",
};
// Shown in both languages.
constexpr const char* kRights = "Copyright (C) 2026 QM570 programmer developers. GPL-3.0-or-later.";

constexpr int kWidthTwips = 7500;

QLabel* makeLabel(QWidget* parent, const char* name)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setWordWrap(true);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

} // namespace

frmAboutSoft::frmAboutSoft(DesktopContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("frmAboutSoft"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    fraAboutSoft_ = new QGroupBox(this);
    fraAboutSoft_->setObjectName(QStringLiteral("fraAboutSoft"));
    lblTitle_ = makeLabel(fraAboutSoft_, "lblTitle");
    lblUseRange_ = makeLabel(fraAboutSoft_, "lblUseRange");
    lblVersion_ = makeLabel(fraAboutSoft_, "lblVersion");
    lblRelease_ = makeLabel(fraAboutSoft_, "lblRelease");
    lblDescription_ = makeLabel(fraAboutSoft_, "lblDescription");
    lblRights_ = makeLabel(fraAboutSoft_, "lblRights");
    lblDisClaimer_ = makeLabel(fraAboutSoft_, "lblDisClaimer");
    cmdOK_ = new QPushButton(this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, &frmAboutSoft::cmdOK_Click);

    auto* frame = new QVBoxLayout(fraAboutSoft_);
    const int m = twipsToPx(180, this);
    frame->setContentsMargins(m, m, m, m);
    frame->setSpacing(twipsToPx(90, this));
    frame->addWidget(lblTitle_);
    frame->addWidget(lblUseRange_);
    frame->addWidget(lblVersion_);
    frame->addWidget(lblRelease_);
    frame->addWidget(lblDescription_);
    frame->addSpacing(twipsToPx(120, this));
    frame->addWidget(lblRights_);
    frame->addWidget(lblDisClaimer_);
    frame->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK_);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(fraAboutSoft_);
    outer->addLayout(buttons);
    setFixedWidth(twipsToPx(kWidthTwips, this));

    guarded(ctx_.s.errors, QStringLiteral("frmAboutSoft->Form_Load:"), [&] { InitFace(); });
}

void frmAboutSoft::InitFace()
{
    guarded(ctx_.s.errors, QStringLiteral("frmAboutSoft->InitFace:"), [&] {
        Settings& st = ctx_.s.settings;
        const int16_t lang = normaliseLanguage(st);
        const AboutTexts& t = lang == 1 ? kChinese : kEnglish;
        const QFont font = uiFont(st.UiFont, lang == 1);
        setFont(font);
        QFont titleFont = font;
        titleFont.setBold(true);
        titleFont.setPointSize(font.pointSize() + 3);
        lblTitle_->setFont(titleFont);

        setWindowTitle(QString::fromUtf8(t.caption));
        setAccessibleName(windowTitle());
        const QPair<QLabel*, const char*> texts[] = {
            {lblTitle_, t.title},     {lblUseRange_, t.useRange},       {lblVersion_, t.version},
            {lblRelease_, t.release}, {lblDescription_, t.description}, {lblRights_, kRights},
            {lblDisClaimer_, t.disclaimer},
        };
        for (const auto& [l, text] : texts) {
            l->setText(QString::fromUtf8(text));
            l->setAccessibleName(l->text());
        }
        lblDescription_->setVisible(!lblDescription_->text().isEmpty());
        lblRights_->setVisible(true);
        cmdOK_->setText(QString::fromUtf8(t.ok));
        nameControl(cmdOK_, QStringLiteral("cmdOK"), cmdOK_->text());
    });
}

void frmAboutSoft::cmdOK_Click()
{
    guarded(ctx_.s.errors, QStringLiteral("frmAboutSoft->cmdOK_Click:"), [&] { accept(); });
}

QLabel* frmAboutSoft::label(const QString& name) const
{
    return findChild<QLabel*>(name);
}

} // namespace qm
