#include "desktop/frmSysSet.h"

#include "desktop/frmChMem.h"
#include "desktop/uiLook.h"
#include "desktop/uiUndo.h"
#include "options/modOptView.h"
#include "settings/SoftFaceTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace qm {

struct frmSysSet::Snapshot {
    std::array<int16_t, kOptCount + 1> sel{};
    std::array<int, kOptCount + 1> listIndex{};
    std::array<bool, kOptCount + 1> checked{};
    QString msg;

    bool operator==(const Snapshot&) const = default;
};

namespace {

// The control name of an option, with its row for the alarm arrays ("cboAlarmHour_2").
QString controlName(const OptionSpec& opt)
{
    QString n = QString::fromLatin1(opt.control);
    if (opt.alarm >= 0)
        n += QStringLiteral("_%1").arg(opt.alarm);
    return n;
}

// The label of a control: "lbl" + the name without its kind prefix.
QString labelName(const OptionSpec& opt)
{
    QString n = QStringLiteral("lbl") + QString::fromLatin1(opt.control).mid(3);
    if (opt.alarm >= 0)
        n += QStringLiteral("_%1").arg(opt.alarm);
    return n;
}

constexpr int kAlarmCount = 5;

// Lists of the common frame in two columns of eight.
constexpr int kCommonLists[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 21};
constexpr int kToneChecks[] = {16, 17, 18, 19, 20};

} // namespace

frmSysSet::frmSysSet(DesktopContext& ctx, QWidget* parent) : MdiChild(ctx, parent)
{
    setObjectName(QStringLiteral("frmSysSet"));
    // The page holds every control; it scrolls only in a main window too
    // small for it, and does not make the main window's MDI area grow.
    page_ = new QWidget;
    page_->setObjectName(QStringLiteral("fraSysSetPage"));
    QWidget* page = page_;

    // Controls from the table of options, in the window's order.
    for (const OptionSpec& opt : optionSpecs()) {
        switch (opt.kind) {
        case OptionKind::List: {
            auto* cbo = new QComboBox(page);
            cbo->setObjectName(controlName(opt));
            cbo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
            // Filled from the start: an empty list would size itself (and
            // keep that as its minimum) for seven characters.
            cbo->addItems(optionListTexts(ctx_.s, opt));
            auto* lbl = new QLabel(page);
            lbl->setObjectName(labelName(opt));
            lbl->setBuddy(cbo);
            if (opt.alarm >= 0) {
                cbo->setProperty("index", opt.alarm);
                lbl->setProperty("index", opt.alarm);
            }
            const int i = opt.optIndex;
            connect(cbo, &QComboBox::activated, this, [this, i](int pos) { listClicked(i, pos); });
            lists_[i] = cbo;
            labels_[i] = lbl;
            break;
        }
        case OptionKind::Check: {
            auto* chk = new QCheckBox(page);
            chk->setObjectName(controlName(opt));
            if (opt.alarm >= 0)
                chk->setProperty("index", opt.alarm);
            const int i = opt.optIndex;
            connect(chk, &QCheckBox::clicked, this, [this, i](bool on) { checkClicked(i, on); });
            checks_[i] = chk;
            break;
        }
        case OptionKind::Message: {
            txtPwrMsg_ = new QLineEdit(page);
            txtPwrMsg_->setObjectName(QStringLiteral("txtPwrMsg"));
            txtPwrMsg_->setMaxLength(6);
            txtPwrMsg_->installEventFilter(this);
            connect(txtPwrMsg_, &QLineEdit::returnPressed, this, &frmSysSet::txtPwrMsg_LostFocus);
            auto* lbl = new QLabel(page);
            lbl->setObjectName(QStringLiteral("lblPwrMsg"));
            lbl->setBuddy(txtPwrMsg_);
            labels_[opt.optIndex] = lbl;
            break;
        }
        }
    }
    chkSetTime_ = new QCheckBox(page);
    chkSetTime_->setObjectName(QStringLiteral("chkSetTime"));
    connect(chkSetTime_, &QCheckBox::clicked, this, [this](bool on) { ctx_.s.optView.chkSetTime = on; });
    // The radio's lock code is not programmed by this program: shown, inert.
    txtLockRadio_ = new QLineEdit(page);
    txtLockRadio_->setObjectName(QStringLiteral("txtLockRadio"));
    txtLockRadio_->setReadOnly(true);
    txtLockRadio_->setFocusPolicy(Qt::NoFocus);
    lblLockRadio_ = new QLabel(page);
    lblLockRadio_->setObjectName(QStringLiteral("lblLockRadio"));
    cmdSysSetPrint_ = new QPushButton(page);
    cmdSysSetPrint_->setObjectName(QStringLiteral("cmdSysSetPrint"));
    connect(cmdSysSetPrint_, &QPushButton::clicked, this, &frmSysSet::cmdSysSetPrint_Click);

    // Common settings: two columns of eight lists.
    fraCommonSet_ = new QGroupBox(page);
    fraCommonSet_->setObjectName(QStringLiteral("fraCommonSet"));
    auto* common = new QGridLayout(fraCommonSet_);
    common->setVerticalSpacing(4);
    common->setColumnMinimumWidth(2, 12);
    for (int k = 0; k < 16; ++k) {
        const int i = kCommonLists[k], col = (k / 8) * 3, row = k % 8;
        labels_[i]->setParent(fraCommonSet_);
        lists_[i]->setParent(fraCommonSet_);
        common->addWidget(labels_[i], row, col);
        common->addWidget(lists_[i], row, col + 1);
    }
    common->setRowStretch(8, 1);

    fraTone_ = new QGroupBox(page);
    fraTone_->setObjectName(QStringLiteral("fraTone"));
    auto* tone = new QVBoxLayout(fraTone_);
    for (int i : kToneChecks) {
        checks_[i]->setParent(fraTone_);
        tone->addWidget(checks_[i]);
    }
    tone->addStretch(1);

    fraMessage_ = new QGroupBox(page);
    fraMessage_->setObjectName(QStringLiteral("fraMessage"));
    auto* message = new QGridLayout(fraMessage_);
    labels_[25]->setParent(fraMessage_);
    txtPwrMsg_->setParent(fraMessage_);
    chkSetTime_->setParent(fraMessage_);
    lblLockRadio_->setParent(fraMessage_);
    txtLockRadio_->setParent(fraMessage_);
    message->addWidget(labels_[25], 0, 0);
    message->addWidget(txtPwrMsg_, 0, 1);
    message->addWidget(lblLockRadio_, 1, 0);
    message->addWidget(txtLockRadio_, 1, 1);
    message->addWidget(chkSetTime_, 2, 0, 1, 2);

    fraAlarm_ = new QGroupBox(page);
    fraAlarm_->setObjectName(QStringLiteral("fraAlarm"));
    auto* alarm = new QGridLayout(fraAlarm_);
    alarm->setVerticalSpacing(4);
    labels_[31]->setParent(fraAlarm_);
    lists_[31]->setParent(fraAlarm_);
    alarm->addWidget(labels_[31], 0, 0);
    alarm->addWidget(lists_[31], 0, 1);
    for (int a = 0; a < kAlarmCount; ++a) {
        const int i = 32 + 3 * a;
        QWidget* row[] = {checks_[i], labels_[i + 1], lists_[i + 1], labels_[i + 2], lists_[i + 2]};
        for (int c = 0; c < 5; ++c) {
            row[c]->setParent(fraAlarm_);
            alarm->addWidget(row[c], a + 1, c == 0 ? 0 : c + 1);
        }
    }
    alarm->setColumnMinimumWidth(1, 8);
    // Spare width goes to the right of the rows, not between their controls.
    alarm->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum), 0, 6);
    alarm->setColumnStretch(6, 1);

    // Two bands, each as narrow as its frames: the common settings beside
    // the tones, the alarms beside the message and the print button. So the
    // page fits the MDI area of the main window at its size on a 1024 x 768
    // screen.
    auto* top = new QHBoxLayout;
    top->addWidget(fraCommonSet_);
    top->addWidget(fraTone_);
    top->addStretch(1);
    auto* side = new QVBoxLayout;
    side->addWidget(fraMessage_);
    side->addStretch(1);
    side->addWidget(cmdSysSetPrint_, 0, Qt::AlignRight);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(fraAlarm_);
    bottom->addLayout(side);
    bottom->addStretch(1);
    auto* bands = new QVBoxLayout(page);
    bands->addLayout(top);
    bands->addLayout(bottom);
    bands->addStretch(1);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrSysSet"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(page);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    connect(&ctx_.s.optView, &OptionsView::changed, this, &frmSysSet::showOptions);
    connect(&ctx_.s.doc, &Document::changed, this, [this](Document::Change what) {
        if (what == Document::Change::Options || what == Document::Change::Replaced)
            showOptions();
    });

    // Form_Load
    InitPara();
    InitFace();
    InitOpt();
}

void frmSysSet::InitPara() {}

void frmSysSet::InitFace()
{
    const Settings& st = ctx_.s.settings;
    guarded(ctx_.s.errors, QStringLiteral("frmSysSet->InitFace:"), [&] {
        setFont(uiFont(st));
        setWindowTitle(SoftFaceText(st, 200));
        fraCommonSet_->setTitle(SoftFaceText(st, 200));
        fraAlarm_->setTitle(SoftFaceText(st, 270));
        for (const OptionSpec& opt : optionSpecs()) {
            const QString caption = optionCaption(ctx_.s, opt);
            if (opt.kind == OptionKind::Check) {
                QCheckBox* chk = checks_[opt.optIndex];
                chk->setText(caption);
                nameControl(chk, chk->objectName(), caption);
                continue;
            }
            labels_[opt.optIndex]->setText(caption);
            QWidget* control = opt.kind == OptionKind::List ? static_cast<QWidget*>(lists_[opt.optIndex]) : txtPwrMsg_;
            nameControl(control, control->objectName(), caption);
            nameControl(labels_[opt.optIndex], labels_[opt.optIndex]->objectName(), caption);
        }
        // The alarm rows' lists are named by their row in the accessible name.
        for (int a = 0; a < kAlarmCount; ++a) {
            const QString alarm = SoftFaceText(st, 271) + QString::number(a + 1);
            for (int i : {33 + 3 * a, 34 + 3 * a})
                lists_[i]->setAccessibleName(alarm + QLatin1Char(' ') + labels_[i]->text());
        }
        chkSetTime_->setText(SoftFaceText(st, 266));
        nameControl(chkSetTime_, chkSetTime_->objectName(), chkSetTime_->text());
        lblLockRadio_->setText(SoftFaceText(st, 299));
        nameControl(lblLockRadio_, lblLockRadio_->objectName(), lblLockRadio_->text());
        nameControl(txtLockRadio_, txtLockRadio_->objectName(), lblLockRadio_->text());
        txtLockRadio_->setToolTip(winText(st, "This program does not program the radio's lock code.",
                                          "本软件不设置对讲机的加锁/解锁密码。"));
        cmdSysSetPrint_->setText(SoftFaceText(st, 307));
        nameControl(cmdSysSetPrint_, cmdSysSetPrint_->objectName(), cmdSysSetPrint_->text());
        if (ctx_.w.chMem)
            ctx_.w.chMem->setPrintCaption(SoftFaceText(st, 308));
    });
}

void frmSysSet::InitOpt()
{
    guarded(ctx_.s.errors, QStringLiteral("frmSysSet->InitOpt:"), [&] {
        for (const OptionSpec& opt : optionSpecs()) {
            if (opt.kind != OptionKind::List)
                continue;
            QComboBox* cbo = lists_[opt.optIndex];
            cbo->clear();
            cbo->addItems(optionListTexts(ctx_.s, opt));
        }
    });
    // The lists of a column of the common frame share one width.
    for (int column = 0; column < 2; ++column) {
        int width = 0;
        for (int k = column * 8; k < column * 8 + 8; ++k)
            width = std::max(width, lists_[kCommonLists[k]]->sizeHint().width());
        for (int k = column * 8; k < column * 8 + 8; ++k)
            lists_[kCommonLists[k]]->setMinimumWidth(width);
    }
    // Shows OptSel and tells this window (showOptions) through the view.
    qm::InitOpt(ctx_.s);
}

void frmSysSet::showOptions()
{
    const OptionsView& v = ctx_.s.optView;
    for (const auto& [i, cbo] : lists_) {
        const int pos = v.listIndex[static_cast<size_t>(i)];
        if (cbo->currentIndex() != pos)
            cbo->setCurrentIndex(pos < cbo->count() ? pos : -1);
    }
    for (const auto& [i, chk] : checks_)
        chk->setChecked(v.checked[static_cast<size_t>(i)]);
    if (txtPwrMsg_->text() != v.txtPwrMsg)
        txtPwrMsg_->setText(v.txtPwrMsg);
    chkSetTime_->setChecked(v.chkSetTime);
    if (txtLockRadio_->text() != v.txtLockRadio)
        txtLockRadio_->setText(v.txtLockRadio);
}

frmSysSet::Snapshot frmSysSet::snapshot() const
{
    const OptionsView& v = ctx_.s.optView;
    return {ctx_.s.doc.OptSel, v.listIndex, v.checked, v.txtPwrMsg};
}

void frmSysSet::restore(const Snapshot& snap)
{
    OptionsView& v = ctx_.s.optView;
    ctx_.s.doc.OptSel = snap.sel;
    v.listIndex = snap.listIndex;
    v.checked = snap.checked;
    v.txtPwrMsg = snap.msg;
    v.notify();
    ctx_.s.doc.notify(Document::Change::Options);
}

void frmSysSet::recordChange(const QString& text, const Snapshot& before)
{
    const Snapshot after = snapshot();
    if (after == before)
        return;
    ctx_.s.doc.notify(Document::Change::Options);
    ctx_.undo.push(new DoneCommand(
        text, [this, before] { restore(before); }, [this, after] { restore(after); }));
}

void frmSysSet::listClicked(int optIndex, int position)
{
    const Snapshot before = snapshot();
    OptListClicked(ctx_.s, optIndex, position);
    recordChange(labels_[optIndex]->text(), before);
}

void frmSysSet::checkClicked(int optIndex, bool checked)
{
    const Snapshot before = snapshot();
    OptCheckClicked(ctx_.s, optIndex, checked);
    recordChange(checks_[optIndex]->text(), before);
}

void frmSysSet::txtPwrMsg_LostFocus()
{
    const Snapshot before = snapshot();
    PwrMsgLostFocus(ctx_.s, txtPwrMsg_->text());
    recordChange(labels_[25]->text(), before);
}

bool frmSysSet::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtPwrMsg_ && event->type() == QEvent::FocusOut)
        txtPwrMsg_LostFocus();
    return MdiChild::eventFilter(watched, event);
}

void frmSysSet::cmdSysSetPrint_Click()
{
    AppState& s = ctx_.s;
    const Settings& st = s.settings;
    PrintRequest req;
    req.documentName = SoftFaceText(st, 200);
    req.marginsTwips = QMarginsF(720, 720, 720, 720);
    req.pdfFolder = s.view.defaultPath.isEmpty() ? QDir(st.home).filePath(QStringLiteral("Data"))
                                                 : QFileInfo(s.view.defaultPath).absolutePath();
    req.pdfBaseName = QStringLiteral("OptionalFeatures");
    req.forcePdf = printToPdf;
    lastPrint = printDocument(req, [this](QPainter& p, QPagedPaintDevice& d) { return paintWidgetPage(p, d, page_); });
    if (!lastPrint.ok) {
        s.errors.AddErrInfo(QStringLiteral("frmSysSet->cmdSysSetPrint_Click"),
                            Error{482, QStringLiteral("print"), lastPrint.toPdf ? lastPrint.pdfPath : req.documentName,
                                  lastPrint.error});
        ctx_.ui.message(SoftFaceText(st, 106) + QLatin1Char('\n') + lastPrint.error, SoftFaceText(st, 70),
                        MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    if (lastPrint.toPdf)
        ctx_.ui.message(winText(st, "No printer is installed. The optional features were printed to the file\n",
                                "没有安装打印机，可选功能已打印到文件\n") +
                            QDir::toNativeSeparators(lastPrint.pdfPath),
                        SoftFaceText(st, 70), MsgButtons::Ok, MsgIcon::Information);
}

} // namespace qm
