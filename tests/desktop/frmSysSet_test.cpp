#include "desktop/WindowsFixture.h"

#include "options/modOptView.h"
#include "shell/RadioTransfer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>

#include <gtest/gtest.h>

using namespace qm;
using namespace qmtest;

namespace {

QString specName(const OptionSpec& opt)
{
    QString n = QString::fromLatin1(opt.control);
    return opt.alarm >= 0 ? n + QStringLiteral("_%1").arg(opt.alarm) : n;
}

} // namespace

TEST(frmSysSet, EveryControlWithItsCaptionAndListInBothLanguages)
{
    for (int language : {3, 1}) {
        SCOPED_TRACE(language);
        WindowsHarness h;
        QString why;
        ASSERT_TRUE(h.start(language, {}, &why)) << why.toStdString();
        frmSysSet* w = h.sysSet;
        for (const OptionSpec& opt : optionSpecs()) {
            SCOPED_TRACE(opt.control);
            const QString caption = optionCaption(*h.s, opt);
            if (opt.kind == OptionKind::List) {
                auto* cbo = child<QComboBox>(w, specName(opt));
                ASSERT_NE(cbo, nullptr);
                ASSERT_EQ(cbo->count(), opt.max + 1);
                EXPECT_EQ(cbo->itemText(opt.max), optionListTexts(*h.s, opt).last());
                EXPECT_EQ(cbo->currentIndex(), h.s->doc.OptSel[static_cast<size_t>(opt.optIndex)]);
                auto* lbl = child<QLabel>(w, QStringLiteral("lbl") + specName(opt).mid(3));
                ASSERT_NE(lbl, nullptr);
                EXPECT_EQ(lbl->text(), caption);
            } else if (opt.kind == OptionKind::Check) {
                auto* chk = child<QCheckBox>(w, specName(opt));
                ASSERT_NE(chk, nullptr);
                EXPECT_EQ(chk->text(), caption);
            } else {
                ASSERT_NE(child<QLineEdit>(w, QStringLiteral("txtPwrMsg")), nullptr);
                EXPECT_EQ(child<QLabel>(w, QStringLiteral("lblPwrMsg"))->text(), caption);
            }
        }
        const std::tuple<QString, const char*, const char*> captions[] = {
            {w->windowTitle(), "Optional Features", "可选功能"},
            {child<QGroupBox>(w, QStringLiteral("fraAlarm"))->title(), "Alarm", "闹钟"},
            {child<QCheckBox>(w, QStringLiteral("chkAlarmOnOff_2"))->text(), "Enable Alarm3", "启用闹钟3"},
            {child<QCheckBox>(w, QStringLiteral("chkSetTime"))->text(), "Pc Time Set to Radio Time", "将电脑时间写入对讲机"},
            {child<QPushButton>(w, QStringLiteral("cmdSysSetPrint"))->text(), "Print Optional Features", "打印可选功能"}};
        for (const auto& [shown, en, zh] : captions)
            EXPECT_EQ(shown, QString::fromUtf8(language == 1 ? zh : en));
        auto* lock = child<QLineEdit>(w, QStringLiteral("txtLockRadio"));
        ASSERT_NE(lock, nullptr);
        EXPECT_TRUE(lock->isReadOnly());
        // Everything visible without scrolling in the MDI area of a 1024 x 768
        // screen; a smaller main window scrolls the page instead of growing.
        const QSize need = w->findChild<QScrollArea*>(QStringLiteral("scrSysSet"))->widget()->minimumSizeHint();
        EXPECT_LT(w->minimumSizeHint().height(), 200);
        EXPECT_LE(need.width(), 760);
        EXPECT_LE(need.height(), 540);
    }
}

TEST(frmSysSet, InitOptReportsOutOfRangeValuesAndShowsTheDefault)
{
    const struct { bool alarmTickedBefore; int alarmEntryAfter; } cases[] = {{false, 2}, {true, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.alarmTickedBefore);
        WindowsHarness h;
        ASSERT_TRUE(h.start(3));
        auto* alarm = child<QCheckBox>(h.sysSet, QStringLiteral("chkAlarmOnOff_0"));
        if (alarm->isChecked() != c.alarmTickedBefore)
            alarm->click();
        h.s->errors.clear();
        h.s->doc.OptSel[1] = 12;
        h.s->settings.OptDef[1] = 2;
        h.s->doc.OptSel[32] = 2;
        h.sysSet->InitOpt();

        ASSERT_EQ(h.s->errors.entries().size(), 1u);
        EXPECT_EQ(h.s->errors.entries()[0].kind, ErrorEntry::Kind::Option);
        EXPECT_EQ(h.s->errors.entries()[0].message,
                  QStringLiteral("出错位置: frmSysSet->InitOpt->频率步长     错误类型: 不在范围内"));
        EXPECT_EQ(child<QComboBox>(h.sysSet, QStringLiteral("cboStep"))->currentText(), QStringLiteral("10K"));
        EXPECT_EQ(h.s->doc.OptSel[1], 2);
        EXPECT_FALSE(alarm->isChecked());
        EXPECT_EQ(h.s->doc.OptSel[32], c.alarmEntryAfter);
    }
}

// One session: the user changes options (each an undo step), ticks the clock
// box (no option: only the next write's script) and prints without a printer.
TEST(frmSysSet, ChangesAreUndoableTheClockBoxOnlyAddsAFrameAndPrintGoesToAPdf)
{
    WindowsHarness h;
    ASSERT_TRUE(h.start(3));
    AppState& s = *h.s;
    const auto image = s.doc.IicDat;
    auto* step = child<QComboBox>(h.sysSet, QStringLiteral("cboStep"));
    auto* beep = child<QCheckBox>(h.sysSet, QStringLiteral("chkPowerOnTone"));
    auto* hour = child<QComboBox>(h.sysSet, QStringLiteral("cboAlarmHour_3"));
    auto* msg = child<QLineEdit>(h.sysSet, QStringLiteral("txtPwrMsg"));
    const auto before = s.doc.OptSel;

    ASSERT_LT(before[1], 9);
    pressKey(step, Qt::Key_Down); // the user picks the next entry
    EXPECT_EQ(s.doc.OptSel[1], before[1] + 1);
    beep->click();
    EXPECT_EQ(s.doc.OptSel[16], beep->isChecked() ? 1 : 0);
    pressKey(hour, Qt::Key_End);
    EXPECT_EQ(s.doc.OptSel[42], 23);
    retype(msg, QStringLiteral("abc"));
    pressKey(msg, Qt::Key_Return);
    EXPECT_EQ(msg->text(), QStringLiteral("ABC   "));
    EXPECT_EQ(PowerOnMsgText(s), QStringLiteral("ABC   "));
    retype(msg, QStringLiteral("x-1"));
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(msg, &out);
    EXPECT_EQ(msg->text(), QStringLiteral("X-1   "));
    EXPECT_EQ(s.doc.IicDat, image) << "the window changes OptSel, never the image";

    ASSERT_EQ(h.ctx->undo.count(), 5);
    EXPECT_EQ(h.ctx->undo.undoText(), QStringLiteral("Power On Message"));
    h.ctx->undo.undo();
    EXPECT_EQ(msg->text(), QStringLiteral("ABC   "));
    while (h.ctx->undo.canUndo())
        h.ctx->undo.undo();
    EXPECT_EQ(s.doc.OptSel, before);
    EXPECT_EQ(step->currentIndex(), before[1]);
    EXPECT_EQ(hour->currentIndex(), before[42]);
    h.ctx->undo.redo();
    EXPECT_EQ(step->currentIndex(), before[1] + 1);
    EXPECT_EQ(s.doc.OptSel[1], before[1] + 1);

    const auto sel = s.doc.OptSel;
    auto* setTime = child<QCheckBox>(h.sysSet, QStringLiteral("chkSetTime"));
    EXPECT_FALSE(setTime->isChecked());
    setTime->click();
    EXPECT_EQ(s.doc.OptSel, sel);
    EXPECT_EQ(s.doc.IicDat, image);
    EXPECT_EQ(h.ctx->undo.count(), 5);
    EXPECT_EQ(h.ctx->undo.index(), 1);
    prepareTransfer(s, TransferDirection::Write);
    EXPECT_TRUE(s.xfer.ComScript[2].at(1).startsWith(QStringLiteral("TX557997A557")));
    EXPECT_TRUE(s.xfer.ComScript[1].at(1).startsWith(QStringLiteral("TX50524F4752414D"))) << "a read has no clock frame";
    setTime->click();
    prepareTransfer(s, TransferDirection::Write);
    EXPECT_TRUE(s.xfer.ComScript[2].at(1).startsWith(QStringLiteral("TX50524F4752414D")));

    // Printed without a printer: a PDF in the data folder, and the user is told where.
    h.sysSet->resize(760, 520);
    h.sysSet->printToPdf = true;
    child<QPushButton>(h.sysSet, QStringLiteral("cmdSysSetPrint"))->click();
    ASSERT_TRUE(h.sysSet->lastPrint.ok) << h.sysSet->lastPrint.error.toStdString();
    const QFileInfo pdf(h.sysSet->lastPrint.pdfPath);
    EXPECT_TRUE(pdf.exists() && pdf.size() > 1000);
    EXPECT_EQ(pdf.absolutePath(), QDir(h.home()).filePath(QStringLiteral("Data")));
    ASSERT_EQ(h.ui.shown.size(), 1u);
    EXPECT_TRUE(h.ui.shown[0].prompt.contains(QDir::toNativeSeparators(pdf.filePath())));
    EXPECT_EQ(h.ui.shown[0].title, QStringLiteral("Notice"));
}
