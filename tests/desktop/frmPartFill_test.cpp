#include "desktop/WindowsFixture.h"

#include "memtools/modMemDat.h"
#include "settings/VbConv.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <gtest/gtest.h>

using namespace qm;
using namespace qmtest;

TEST(frmPartFill, FillsTheRangeAndItsCellsAsOneUndoStep)
{
    // radix: 0 H, 1 D, 2 B; byte: -1 when nothing is written
    const struct { const char* value; int radix; const char *start, *end; int byte; } cases[] = {
        {"FF", 0, "0000", "000F", 0xFF},
        {"20", 1, "0000", "000F", 20},
        {"1010", 2, "0020", "0025", 0x0A},
        {"-3", 1, "0000", "000F", -1}, // refused (the rules: memtools/modMemDat_test.cpp)
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        WindowsHarness h;
        ASSERT_TRUE(h.start(3));
        AppState& s = *h.s;
        h.memDat->TableFreDat();
        s.doc.IicDat[0x0100] ^= 0x5A; // not shown yet: the fill leaves that cell alone
        const std::vector<uint8_t> before = s.doc.IicDat;
        frmPartFill* d = h.partFill;
        d->show();
        EXPECT_EQ(child<QLineEdit>(d, "txtStartAddr")->text(), QStringLiteral("0000"));
        EXPECT_EQ(child<QLineEdit>(d, "txtEndAddr")->text(), QStringLiteral("1FFF")) << "TableMaxAddr at start-up";
        d->findChild<QComboBox*>(QStringLiteral("cboFillData"))->setCurrentIndex(c.radix);
        retype(child<QLineEdit>(d, "txtFillData"), QString::fromLatin1(c.value));
        retype(child<QLineEdit>(d, "txtStartAddr"), QString::fromLatin1(c.start));
        retype(child<QLineEdit>(d, "txtEndAddr"), QString::fromLatin1(c.end));
        d->findChild<QPushButton*>(QStringLiteral("cmdFillData"))->click();

        const int start = hexToInt16(QString::fromLatin1(c.start)), end = hexToInt16(QString::fromLatin1(c.end));
        for (int a = 0; a < 0x200; ++a) {
            const bool in = c.byte >= 0 && a >= start && a <= end;
            ASSERT_EQ(s.doc.IicDat[static_cast<size_t>(a)], in ? c.byte : before[static_cast<size_t>(a)]) << a;
            const QString cell = h.memDat->table().text(a);
            if (in) {
                ASSERT_EQ(cell, FormatByteDat(static_cast<uint8_t>(c.byte))) << a;
            }
            ASSERT_FALSE(h.memDat->table().marked(a));
        }
        EXPECT_EQ(h.memDat->table().text(0x0100), FormatByteDat(static_cast<uint8_t>(before[0x0100] ^ 0x5A)));
        if (c.byte < 0) {
            EXPECT_EQ(h.ctx->undo.count(), 0);
            ASSERT_EQ(h.s->errors.entries().size(), 1u);
            EXPECT_EQ(h.s->errors.entries()[0].label, QStringLiteral("frmPartFill->cmdFillData_Click"));
            continue;
        }
        ASSERT_EQ(h.ctx->undo.count(), 1);
        h.ctx->undo.undo();
        EXPECT_EQ(s.doc.IicDat, before);
        EXPECT_EQ(h.memDat->table().text(start), FormatByteDat(before[static_cast<size_t>(start)]));
        h.ctx->undo.redo();
        EXPECT_EQ(s.doc.IicDat[static_cast<size_t>(end)], c.byte);

        // Hidden, not closed: the range is remembered for the next opening.
        d->close();
        d->show();
        EXPECT_EQ(child<QLineEdit>(d, "txtStartAddr")->text(), QString::fromLatin1(c.start));
        EXPECT_EQ(child<QLineEdit>(d, "txtEndAddr")->text(), QString::fromLatin1(c.end));
        EXPECT_EQ(child<QLineEdit>(d, "txtFillData")->text(), QString::fromLatin1(c.value));
    }
}
