#include "desktop/frmCommun.h"

#include "comm/SerialLink.h"
#include "comm/TransferWorker.h"
#include "comm/modAddrBoxes.h"
#include "comm/modPorts.h"
#include "desktop/frmMemDat.h"
#include "desktop/frmToolCom.h"
#include "desktop/frmWritePreview.h"
#include "desktop/uiLook.h"
#include "settings/SoftFaceTexts.h"
#include "shell/RadioTransfer.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace qm {

namespace {

// Frame heights and the dialog's width in twips. The radio program sized the
// window by its outer height: caption and borders take kChromeTwips of it.
constexpr int kFraOneTwips = 1900; // buttons, progress, the write's two check boxes
constexpr int kFraRdWrDatTwips = 2200;
constexpr int kFraTwoTwips = 3000;
constexpr int kWidthTwips = 7500;
constexpr int kChromeTwips = 390;
constexpr int kLampMs = 100;

constexpr AddrBox kBoxes[5] = {AddrBox::ReadStart, AddrBox::ReadEnd, AddrBox::WriteStart, AddrBox::WriteEnd,
                               AddrBox::TableMax};
constexpr const char* kBoxNames[5] = {"txtReadStartAddr", "txtReadEndAddr", "txtWriteStartAddr", "txtWriteEndAddr",
                                      "txtMaxAddr"};
constexpr const char* kBoxLabels[5] = {"Read Start Addr", "Read End Addr", "Write Start Addr", "Write End Addr",
                                       "Grid Max Addr"};

// The activity lamp: a green lamp with a highlight.
QPixmap greenLamp(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(size * 0.35, size * 0.35, size * 0.65);
    g.setColorAt(0, QColor(0xC8, 0xFF, 0xC8));
    g.setColorAt(0.5, QColor(0x20, 0xD0, 0x20));
    g.setColorAt(1, QColor(0x00, 0x70, 0x00));
    p.setBrush(g);
    p.setPen(QPen(QColor(0x00, 0x50, 0x00), 1));
    p.drawEllipse(QRectF(0.5, 0.5, size - 1.0, size - 1.0));
    return pm;
}

QCheckBox* check(QWidget* parent, const char* name, const char* caption)
{
    auto* c = new QCheckBox(QString::fromLatin1(caption), parent);
    nameControl(c, QString::fromLatin1(name), c->text());
    return c;
}

} // namespace

int frmCommun::compactHeightTwips()
{
    return kFraOneTwips + 550;
}

int frmCommun::expandedHeightTwips()
{
    return kFraTwoTwips + kFraRdWrDatTwips + kFraOneTwips + 600;
}

frmCommun::frmCommun(DesktopContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("frmCommun"));
    setModal(true);
    // No close button while a transfer runs would still leave Alt+F4: both
    // are refused in closeEvent instead.
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // fraOne: the buttons, the lamp, the progress.
    fraOne_ = new QGroupBox(this);
    fraOne_->setObjectName(QStringLiteral("fraOne"));
    fraOne_->installEventFilter(this);
    cmdRead_ = new QPushButton(fraOne_);
    cmdWrite_ = new QPushButton(fraOne_);
    connect(cmdRead_, &QPushButton::clicked, this, &frmCommun::cmdRead_Click);
    connect(cmdWrite_, &QPushButton::clicked, this, &frmCommun::cmdWrite_Click);
    imgGreen_ = new QLabel(fraOne_);
    imgGreen_->setObjectName(QStringLiteral("imgGreen"));
    imgGreen_->setPixmap(greenLamp(twipsToPx(270, this)));
    imgGreen_->setFixedSize(imgGreen_->pixmap().size());
    imgGreen_->hide();
    // Keeps the lamp's place when it is dark, so nothing moves while it blinks.
    auto* lampPlace = new QWidget(fraOne_);
    lampPlace->setFixedSize(imgGreen_->size());
    imgGreen_->setParent(lampPlace);
    prgCommunicate_ = new QProgressBar(fraOne_);
    prgCommunicate_->setObjectName(QStringLiteral("prgCommunicate"));
    prgCommunicate_->setRange(0, 100);
    prgCommunicate_->setValue(0);
    prgCommunicate_->setTextVisible(false);
    lblComStatus_ = new QLabel(fraOne_);
    lblComStatus_->setObjectName(QStringLiteral("lblComStatus"));
    lblComStatus_->setMinimumWidth(twipsToPx(700, this));
    lblComStatus_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    tmrLigGrint_ = new QTimer(this);
    tmrLigGrint_->setObjectName(QStringLiteral("tmrLigGrint"));
    tmrLigGrint_->setInterval(kLampMs);
    connect(tmrLigGrint_, &QTimer::timeout, this, [this] { imgGreen_->setHidden(!imgGreen_->isHidden()); });

    // The write's safety net, stored at once in the settings file.
    chkBackupBeforeWrite_ = new QCheckBox(fraOne_);
    chkVerifyAfterWrite_ = new QCheckBox(fraOne_);
    connect(chkBackupBeforeWrite_, &QCheckBox::clicked, this, [this](bool on) {
        QString why;
        if (!setBackupBeforeWrite(ctx_.s.settings, on, &why))
            ctx_.s.errors.AddErrInfo(QStringLiteral("frmCommun->chkBackupBeforeWrite_Click"),
                                     Error{75, QStringLiteral("write settings file"), ctx_.s.settings.profile.path(), why});
    });
    connect(chkVerifyAfterWrite_, &QCheckBox::clicked, this, [this](bool on) {
        QString why;
        if (!setVerifyAfterWrite(ctx_.s.settings, on, &why))
            ctx_.s.errors.AddErrInfo(QStringLiteral("frmCommun->chkVerifyAfterWrite_Click"),
                                     Error{75, QStringLiteral("write settings file"), ctx_.s.settings.profile.path(), why});
    });

    auto* one = new QGridLayout(fraOne_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdRead_);
    buttons->addWidget(cmdWrite_);
    buttons->addStretch(1);
    buttons->addWidget(lampPlace);
    one->addLayout(buttons, 0, 0, 1, 2);
    one->addWidget(prgCommunicate_, 1, 0);
    one->addWidget(lblComStatus_, 1, 1);
    auto* safety = new QHBoxLayout;
    safety->addWidget(chkBackupBeforeWrite_);
    safety->addWidget(chkVerifyAfterWrite_);
    safety->addStretch(1);
    one->addLayout(safety, 2, 0, 1, 2);

    // fraRdWrDat: the address boxes and the three check boxes.
    fraRdWrDat_ = new QGroupBox(QStringLiteral("Read Write Data"), this);
    nameControl(fraRdWrDat_, QStringLiteral("fraRdWrDat"), fraRdWrDat_->title());
    auto* rw = new QGridLayout(fraRdWrDat_);
    rw->setVerticalSpacing(3);
    for (int k = 0; k < 5; ++k) {
        auto* lbl = new QLabel(QString::fromLatin1(kBoxLabels[k]), fraRdWrDat_);
        auto* box = new QLineEdit(fraRdWrDat_);
        nameControl(box, QString::fromLatin1(kBoxNames[k]), lbl->text());
        lbl->setObjectName(QStringLiteral("lbl") + QString::fromLatin1(kBoxNames[k]).mid(3));
        lbl->setBuddy(box);
        box->setMaxLength(8);
        box->setFixedWidth(twipsToPx(700, this));
        auto* h = new QLabel(QStringLiteral("H"), fraRdWrDat_);
        const int row = k / 2, col = (k % 2) * 3;
        rw->addWidget(lbl, row, col);
        rw->addWidget(box, row, col + 1);
        rw->addWidget(h, row, col + 2);
        addrBoxes_[k] = box;
        const AddrBox which = kBoxes[k];
        // Every change of the text (typing, pasting, deleting) is stored at once.
        connect(box, &QLineEdit::textEdited, this, [this, which](const QString& t) { AddrBoxChanged(ctx_.s, which, t); });
    }
    chkShowMemDat_ = check(fraRdWrDat_, "chkShowMemDat", "Show Memory Data");
    chkNotShowProg_ = check(fraRdWrDat_, "chkNotShowProg", "Not Show Course");
    chkStopCom_ = check(fraRdWrDat_, "chkStopCom", "Stop Communication");
    chkStopCom_->setEnabled(false); // a request to the running transfer
    auto* checks = new QHBoxLayout;
    checks->addWidget(chkShowMemDat_);
    checks->addWidget(chkNotShowProg_);
    checks->addWidget(chkStopCom_);
    checks->addStretch(1);
    rw->addLayout(checks, 3, 0, 1, 7);
    rw->setColumnStretch(6, 1);
    connect(chkNotShowProg_, &QCheckBox::toggled, this, &frmCommun::applyCourseVisibility);
    connect(chkStopCom_, &QCheckBox::clicked, this, [this](bool on) {
        if (!on || !running_)
            return;
        // Between two scripts of the running transfer, and no further
        // transfer of a write (a stop during the backup writes nothing).
        if (flow_)
            flow_->requestStop();
        if (worker_)
            worker_->requestStop();
    });

    // fraTwo: the frame trace.
    fraTwo_ = new QGroupBox(QStringLiteral("Communication Data"), this);
    nameControl(fraTwo_, QStringLiteral("fraTwo"), fraTwo_->title());
    listRtData_ = new QListWidget(fraTwo_);
    nameControl(listRtData_, QStringLiteral("listRtData"), fraTwo_->title());
    listRtData_->setUniformItemSizes(true);
    listRtData_->setFont(QFont(QStringLiteral("Monospace"), 9));
    auto* two = new QVBoxLayout(fraTwo_);
    two->addWidget(listRtData_);

    fraOne_->setFixedHeight(twipsToPx(kFraOneTwips, this));
    fraRdWrDat_->setFixedHeight(twipsToPx(kFraRdWrDatTwips, this));
    fraTwo_->setFixedHeight(twipsToPx(kFraTwoTwips, this));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraOne_);
    layout->addWidget(fraRdWrDat_);
    layout->addWidget(fraTwo_);
    layout->addStretch(1);

    connect(&ctx_.s.xfer, &Transfer::progressChanged, this, &frmCommun::showProgress);
    connect(&ctx_.s.xfer, &Transfer::traceChanged, this, &frmCommun::showTrace);

    InitFace();
    applyForm();
}

frmCommun::~frmCommun()
{
    // The program is ending during a transfer: stop it and wait for the
    // worker, which closes the port.
    if (thread_) {
        if (worker_)
            worker_->requestStop();
        thread_->quit();
        thread_->wait();
        delete worker_;
        delete thread_;
    }
}

void frmCommun::InitFace()
{
    const Settings& st = ctx_.s.settings;
    guarded(ctx_.s.errors, QStringLiteral("frmCommun->InitFace"), [&] {
        const QFont font = uiFont(st);
        setFont(font);
        setWindowTitle(SoftFaceText(st, 102));
        fraOne_->setTitle(SoftFaceText(st, 156));
        nameControl(fraOne_, QStringLiteral("fraOne"), fraOne_->title());
        cmdRead_->setText(SoftFaceText(st, 100));
        cmdWrite_->setText(SoftFaceText(st, 101));
        nameControl(cmdRead_, QStringLiteral("cmdRead"), cmdRead_->text());
        nameControl(cmdWrite_, QStringLiteral("cmdWrite"), cmdWrite_->text());
        QPalette red = lblComStatus_->palette();
        red.setColor(QPalette::WindowText, QColor(255, 0, 0)); // colour value 255
        lblComStatus_->setPalette(red);
        lblComStatus_->clear();
        for (int k = 0; k < 5; ++k)
            addrBoxes_[k]->setText(addrBoxText(ctx_.s.settings, kBoxes[k]));
        chkBackupBeforeWrite_->setText(winText(st, "Back up the radio before writing", "写入前备份对讲机"));
        chkVerifyAfterWrite_->setText(winText(st, "Verify after writing", "写入后校验"));
        nameControl(chkBackupBeforeWrite_, QStringLiteral("chkBackupBeforeWrite"), chkBackupBeforeWrite_->text());
        nameControl(chkVerifyAfterWrite_, QStringLiteral("chkVerifyAfterWrite"), chkVerifyAfterWrite_->text());
        loadWriteChecks();
    });
}

void frmCommun::loadWriteChecks()
{
    chkBackupBeforeWrite_->setChecked(BackupBeforeWrite(ctx_.s.settings));
    chkVerifyAfterWrite_->setChecked(VerifyAfterWrite(ctx_.s.settings));
}

void frmCommun::showEvent(QShowEvent* event)
{
    // The keys may have changed since (another copy of the program, an editor).
    if (!running_)
        loadWriteChecks();
    QDialog::showEvent(event);
}

void frmCommun::setMode(Mode mode)
{
    if (mode == Mode::Read) {
        cmdRead_->show();
        cmdWrite_->hide();
    } else if (mode == Mode::Write) {
        cmdWrite_->show();
        cmdRead_->hide();
    }
    // The write's check boxes go with its button.
    const bool writing = !cmdWrite_->isHidden();
    chkBackupBeforeWrite_->setVisible(writing);
    chkVerifyAfterWrite_->setVisible(writing);
}

bool frmCommun::transferRunning() const
{
    return running_;
}

void frmCommun::cmdRead_Click()
{
    startTransfer(TransferDirection::Read);
}

void frmCommun::cmdWrite_Click()
{
    startTransfer(TransferDirection::Write);
}

void frmCommun::startTransfer(TransferDirection d)
{
    if (running_)
        return;
    AppState& s = ctx_.s;
    const QString label = d == TransferDirection::Read ? QStringLiteral("frmCommun->cmdRead_Click")
                                                       : QStringLiteral("frmCommun->cmdWrite_Click");
    guarded(s.errors, label, [&] {
        // The boxes may hold texts the dialog has not seen yet (a new start).
        for (int k = 0; k < 5; ++k)
            if (!addrBoxes_[k]->hasFocus() && addrBoxes_[k]->text() != addrBoxText(s.settings, kBoxes[k]))
                addrBoxes_[k]->setText(addrBoxText(s.settings, kBoxes[k]));

        std::unique_ptr<TransferDriver> driver;
        phaseText_.clear();
        if (d == TransferDirection::Write) {
            SafeWriteOptions opts;
            opts.backup = chkBackupBeforeWrite_->isChecked();
            opts.verify = chkVerifyAfterWrite_->isChecked();
            opts.preview = opts.backup;
            flow_ = std::make_unique<SafeWriteFlow>(s, opts, &ctx_.ui,
                                                    [this](const ImageChanges& c) { return previewWrite(c); });
            lastWriteEnd_ = SafeWriteEnd::Running;
            lastBackupPath_.clear();
            lastWriteSessions_ = 0;
            driver = flow_->nextSession();
            if (!driver) {
                // Refused before the radio was spoken to (the reason was shown).
                TransferOutcome o;
                o.direction = d;
                o.result = TransferResult::Refused;
                o.message = flow_->failure().reason;
                endOperation(o);
                return;
            }
        } else {
            driver = prepareTransfer(s, d);
        }

        running_ = true;
        runningDir_ = d;
        QFont bold = font(), normal = font();
        bold.setBold(true);
        (d == TransferDirection::Read ? cmdRead_ : cmdWrite_)->setFont(bold);
        (d == TransferDirection::Read ? cmdWrite_ : cmdRead_)->setFont(normal);
        cmdRead_->setEnabled(false);
        cmdWrite_->setEnabled(false);
        chkBackupBeforeWrite_->setEnabled(false);
        chkVerifyAfterWrite_->setEnabled(false);
        // The ranges of a running transfer are fixed; a change would only
        // take effect at the next one.
        for (QLineEdit* box : addrBoxes_)
            box->setEnabled(false);
        chkStopCom_->setChecked(false);
        chkStopCom_->setEnabled(true);
        setLamp(true);
        startSession(std::move(driver));
    });
}

bool frmCommun::startSession(std::unique_ptr<TransferDriver> driver)
{
    if (!driver)
        return false;
    AppState& s = ctx_.s;
    if (flow_) {
        // The phase names the status label; each transfer's progress counts from 0.
        phaseText_ = safeWritePhaseText(s.settings, flow_->phase());
        announceComPercent(s.xfer, 0);
    }
    if (driver->refused()) {
        TransferOutcome o;
        o.direction = driver->direction();
        o.result = TransferResult::Refused;
        o.message = driver->refusal();
        // As if the worker had reported it: after this handler has returned.
        QMetaObject::invokeMethod(this, [this, o] { onFinished(o); }, Qt::QueuedConnection);
        return true;
    }

    // The link is made on the worker thread; without a factory of the
    // main window it is the configured port, fixed now.
    TransferWorker::LinkFactory factory = ctx_.makeLink;
    if (!factory) {
        const QString device = PortDevicePath(s.settings, s.settings.COM);
        factory = [device]() -> std::unique_ptr<CommLink> { return std::make_unique<SerialLink>(device); };
    }
    worker_ = new TransferWorker(std::move(driver), std::move(factory));
    thread_ = new QThread;
    thread_->setObjectName(QStringLiteral("transfer"));
    worker_->moveToThread(thread_);
    connect(thread_, &QThread::started, worker_, &TransferWorker::run);
    connect(worker_, &TransferWorker::progress, this, &frmCommun::onProgress, Qt::QueuedConnection);
    connect(worker_, &TransferWorker::traceLine, this, &frmCommun::onTraceLine, Qt::QueuedConnection);
    connect(worker_, &TransferWorker::finished, this, &frmCommun::onFinished, Qt::QueuedConnection);
    thread_->start();
    return true;
}

bool frmCommun::previewWrite(const ImageChanges& changes)
{
    frmWritePreview preview(ctx_, changes, this);
    return preview.exec() == QDialog::Accepted;
}

void frmCommun::onProgress(int percent)
{
    announceComPercent(ctx_.s.xfer, percent);
}

void frmCommun::onTraceLine(int index, const QString& line, bool reset)
{
    // The list widget follows line by line; the model list too.
    if (reset)
        listRtData_->clear();
    const int idx = std::clamp(index, 0, listRtData_->count());
    listRtData_->insertItem(idx, line);
    listRtData_->setCurrentRow(idx);
    applyTraceLine(ctx_.s, index, line, reset);
}

void frmCommun::onFinished(const TransferOutcome& o)
{
    // The worker has emitted its last signal: end its thread and free both.
    if (thread_) {
        thread_->quit();
        thread_->wait();
    }
    delete worker_;
    delete thread_;
    worker_ = nullptr;
    thread_ = nullptr;

    AppState& s = ctx_.s;
    if (o.result == TransferResult::PortOpenFailed && ctx_.w.toolCom) {
        // OpenCom's failure path: the port dialog lets the user choose
        // another port; the status bar shows the port in use afterwards.
        ctx_.w.toolCom->exec();
        s.view.setStatus(2, ctx_.w.toolCom->portStatusText());
    }

    // The outcome into the program: trace, counters, errors; a complete read
    // replaces the image and refreshes the views and the radio facts; text 79
    // after an abandoned transfer. A write's backup and verify reads leave
    // the image alone; its flow shows the preview and asks what to do next.
    const QString label = o.direction == TransferDirection::Read && !flow_ ? QStringLiteral("frmCommun->cmdRead_Click")
                                                                           : QStringLiteral("frmCommun->cmdWrite_Click");
    bool more = false;
    guarded(s.errors, label, [&] {
        if (flow_) {
            const SafeWritePhase phase = flow_->phase();
            flow_->sessionFinished(o);
            // A write that opened the port left the image it sent in the program.
            if (phase == SafeWritePhase::Write && !o.image.empty() && chkShowMemDat_->isChecked() && ctx_.w.memDat)
                ctx_.w.memDat->TableFreDat();
            more = startSession(flow_->nextSession());
            return;
        }
        finishTransfer(s, o, &ctx_.ui);
        const bool readDone = o.direction == TransferDirection::Read && o.result == TransferResult::Success;
        if (readDone)
            ctx_.undo.clear(); // a new image: earlier edits do not apply to it
        if (readDone && chkShowMemDat_->isChecked() && ctx_.w.memDat)
            ctx_.w.memDat->TableFreDat();
    });
    if (!more)
        endOperation(o);
}

void frmCommun::endOperation(const TransferOutcome& last)
{
    if (flow_) {
        lastWriteEnd_ = flow_->end() == SafeWriteEnd::Running ? SafeWriteEnd::WriteFailed : flow_->end();
        lastBackupPath_ = flow_->backupPath();
        lastWriteSessions_ = flow_->writeSessions();
        flow_.reset();
    }
    setLamp(false);
    running_ = false;
    chkStopCom_->setChecked(false);
    chkStopCom_->setEnabled(false);
    cmdRead_->setEnabled(true);
    cmdWrite_->setEnabled(true);
    chkBackupBeforeWrite_->setEnabled(true);
    chkVerifyAfterWrite_->setEnabled(true);
    for (QLineEdit* box : addrBoxes_)
        box->setEnabled(true);
    showTrace();
    showProgress();
    emit transferFinished(last);
}

void frmCommun::showProgress()
{
    const TransferData& x = ctx_.s.xfer;
    prgCommunicate_->setValue(std::clamp(x.ComPercent, 0, 100));
    // A write's phases: "Backup 45 %", "Write 45 %", "Verify 45 %".
    lblComStatus_->setText(phaseText_.isEmpty() || x.ComStatusText.isEmpty() ? x.ComStatusText
                                                                              : phaseText_ + QLatin1Char(' ') + x.ComStatusText);
}

void frmCommun::showTrace()
{
    // While a transfer runs the list follows the worker's lines (onTraceLine).
    if (running_)
        return;
    const TransferData& x = ctx_.s.xfer;
    const bool same = listRtData_->count() == x.listRtData.size() &&
                      (x.listRtData.isEmpty() || listRtData_->item(listRtData_->count() - 1)->text() == x.listRtData.last());
    if (!same) {
        listRtData_->clear();
        listRtData_->addItems(x.listRtData);
    }
    if (x.listRtSelected >= 0 && x.listRtSelected < listRtData_->count())
        listRtData_->setCurrentRow(x.listRtSelected);
}

void frmCommun::setLamp(bool on)
{
    if (on) {
        tmrLigGrint_->start();
    } else {
        tmrLigGrint_->stop();
        imgGreen_->hide();
    }
}

void frmCommun::applyCourseVisibility()
{
    // "Not Show Course": no progress bar and no percentage.
    const bool hide = chkNotShowProg_->isChecked();
    prgCommunicate_->setVisible(!hide);
    lblComStatus_->setVisible(!hide);
}

void frmCommun::fraOne_DblClick()
{
    if (ctx_.s.view.DebugMode == 0)
        return;
    expanded_ = !expanded_;
    applyForm();
}

void frmCommun::applyForm()
{
    fraRdWrDat_->setVisible(expanded_);
    fraTwo_->setVisible(expanded_);
    const int outer = expanded_ ? expandedHeightTwips() : compactHeightTwips();
    const int client = twipsToPx(outer - kChromeTwips, this);
    int frames = fraOne_->height();
    if (expanded_)
        frames += fraRdWrDat_->height() + fraTwo_->height();
    auto* l = layout();
    const int gaps = expanded_ ? 2 : 0;
    l->setSpacing(std::max(2, (client - frames) / (gaps + 4)));
    const int spare = std::max(0, client - frames - gaps * l->spacing());
    l->setContentsMargins(twipsToPx(120, this), spare / 2, twipsToPx(120, this), spare - spare / 2);
    setFixedSize(twipsToPx(kWidthTwips, this), client);
}

void frmCommun::closeEvent(QCloseEvent* event)
{
    if (running_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmCommun::done(int result)
{
    // Escape, the close button and Alt+F4 end here: refused while a transfer
    // runs; otherwise the dialog is only hidden, its progress reset.
    if (running_)
        return;
    ShowComPercent(ctx_.s.xfer, 0);
    ctx_.s.xfer.ComStatusText.clear();
    ctx_.s.xfer.notifyProgress();
    QDialog::done(result);
}

bool frmCommun::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == fraOne_ && event->type() == QEvent::MouseButtonDblClick) {
        fraOne_DblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace qm
