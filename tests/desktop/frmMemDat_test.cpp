#include "desktop/WindowsFixture.h"

#include "desktop/uiLook.h"
#include "memtools/modMemDat.h"
#include "settings/VbConv.h"

#include <QAbstractItemModel>
#include <QBrush>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolTip>

#include <gtest/gtest.h>

using namespace qm;
using namespace qmtest;

namespace {

QModelIndex cellOf(QTableView* v, int addr)
{
    return v->model()->index(addr / 16, addr % 16 + 1);
}

bool red(QTableView* v, int addr)
{
    return v->model()->data(cellOf(v, addr), Qt::ForegroundRole).value<QBrush>().color() == QColor(255, 0, 0);
}

// Types text into a cell through its editor and commits it with Return.
void typeIntoCell(QTableView* v, int addr, const QString& text)
{
    const QModelIndex i = cellOf(v, addr);
    v->setCurrentIndex(i);
    v->edit(i);
    QLineEdit* editor = nullptr;
    for (QLineEdit* e : v->findChildren<QLineEdit*>())
        if (e->isVisible())
            editor = e; // closed editors linger until deleted later
    ASSERT_NE(editor, nullptr);
    retype(editor, text);
    pressKey(editor, Qt::Key_Return);
    // The delegate commits and closes the editor on a queued call.
    QApplication::processEvents();
}

} // namespace

// One session with the memory table: its layout, the red marks of changed
// bytes, typing bytes (stored, refused, undone), the tooltip, the buttons.
TEST(frmMemDat, TableMarksTypingTooltipAndButtons)
{
    WindowsHarness h;
    ASSERT_TRUE(h.start(3));
    AppState& s = *h.s;
    QTableView* v = h.memDat->grid();
    ASSERT_EQ(v->objectName(), QStringLiteral("vsfgGridMemDat"));
    const QAbstractItemModel* m = v->model();
    const auto cell = [&](int addr) { return m->data(cellOf(v, addr), Qt::DisplayRole).toString(); };
    ASSERT_EQ(m->columnCount(), 17);
    QStringList header;
    for (int c = 0; c < 17; ++c)
        header << m->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    EXPECT_EQ(header.join(QLatin1Char('|')), QStringLiteral("Addr|0|1|2|3|4|5|6|7|8|9|A|B|C|D|E|F"));
    EXPECT_EQ(m->rowCount(), 512);
    EXPECT_EQ(m->data(m->index(0x1A, 0), Qt::DisplayRole).toString(), QStringLiteral("01A0H"));
    // 620 and 420 twips, or wider where the font needs it.
    EXPECT_GE(v->columnWidth(0), twipsToPx(620, v));
    EXPECT_GT(v->columnWidth(0), v->fontMetrics().horizontalAdvance(QStringLiteral("01A0H")));
    EXPECT_GE(v->columnWidth(5), twipsToPx(420, v));
    EXPECT_GT(v->columnWidth(5), v->fontMetrics().horizontalAdvance(QStringLiteral("FF")));

    s.doc.IicDat[0x01A3] = 0xA5;
    h.memDat->resize(600, 400);
    h.memDat->show();
    h.memDat->TableFreDat();
    EXPECT_EQ(cell(0x0E00), FormatByteDat(s.doc.IicDat[0x0E00]));
    s.doc.IicDat[0x0100] ^= 0xFF;
    s.doc.IicDat[0x0101] ^= 0x01;
    h.memDat->TableFreDat();
    int reds = 0;
    for (int a = 0; a < 0x2000; ++a)
        reds += red(v, a);
    EXPECT_EQ(reds, 2);
    EXPECT_TRUE(red(v, 0x0100) && red(v, 0x0101));
    EXPECT_EQ(v->currentIndex(), cellOf(v, 0x0101));
    h.memDat->findChild<QPushButton*>(QStringLiteral("cmdSetDefCol"))->click();
    EXPECT_FALSE(red(v, 0x0100) || red(v, 0x0101));

    // A typed byte is stored (one undo step, no mark); above FF it is refused and listed.
    const std::vector<uint8_t> before = s.doc.IicDat;
    typeIntoCell(v, 0x0010, QStringLiteral("7f"));
    std::vector<uint8_t> expect = before;
    expect[0x0010] = 0x7F;
    EXPECT_EQ(s.doc.IicDat, expect);
    EXPECT_EQ(cell(0x0010), QStringLiteral("7F"));
    EXPECT_FALSE(red(v, 0x0010));
    EXPECT_TRUE(s.errors.entries().empty());
    typeIntoCell(v, 0x0011, QStringLiteral("1FF"));
    EXPECT_EQ(s.doc.IicDat, expect) << "a value above FF is refused";
    EXPECT_EQ(cell(0x0011), FormatByteDat(before[0x0011]));
    ASSERT_EQ(s.errors.entries().size(), 1u);
    EXPECT_EQ(s.errors.entries()[0].label, QStringLiteral("frmMemDat->GridDataTemp"));
    EXPECT_EQ(s.errors.entries()[0].error.object, QStringLiteral("address 0011"));
    ASSERT_EQ(h.ctx->undo.count(), 1);
    h.ctx->undo.undo();
    EXPECT_EQ(s.doc.IicDat, before);
    EXPECT_EQ(cell(0x0010), FormatByteDat(before[0x0010]));
    h.ctx->undo.redo();
    EXPECT_EQ(s.doc.IicDat, expect);

    const QModelIndex i = cellOf(v, 0x01A3);
    v->scrollTo(i);
    const QRect r = v->visualRect(i);
    QHelpEvent help(QEvent::ToolTip, r.center(), v->viewport()->mapToGlobal(r.center()));
    QApplication::sendEvent(v->viewport(), &help);
    const QString tip = m->data(i, Qt::ToolTipRole).toString(); // its text: memtools/modMemDat_test.cpp
    EXPECT_TRUE(tip.startsWith(QStringLiteral("地址为: 0x01A3")) && tip.contains(QStringLiteral("十进制165")));
    EXPECT_EQ(QToolTip::text(), tip);
    QToolTip::hideText();

    // "Fill Gird": the image as it would leave the program, date stamp included.
    h.memDat->findChild<QPushButton*>(QStringLiteral("cmdFillGrid"))->click();
    for (int a = 0; a < 0x2000; ++a)
        ASSERT_EQ(cell(a), FormatByteDat(s.doc.IicDat[static_cast<size_t>(a)]));
    EXPECT_EQ(s.doc.IicDat[0x0E72], QDate::currentDate().day());

    // A TableMaxAddr that starts a row gets that row.
    s.settings.TableMaxAddr = 0x0100;
    h.memDat->TableFreDat();
    EXPECT_EQ(m->rowCount(), 17);
    EXPECT_FALSE(cell(0x0100).isEmpty());
    EXPECT_TRUE(cell(0x0101).isEmpty());
    EXPECT_FALSE(m->flags(cellOf(v, 0x0101)) & Qt::ItemIsEditable);

    bool opened = false; // "Part Fill" opens its dialog
    whenModal(h.partFill, [&] {
        opened = true;
        h.partFill->close();
    });
    h.memDat->findChild<QPushButton*>(QStringLiteral("cmdPartFill"))->click();
    EXPECT_TRUE(opened);
}
