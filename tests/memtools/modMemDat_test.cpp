#include "memtools/modMemDat.h"
#include "memtools/modPartFill.h"
#include "settings/VbConv.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

struct Mem {
    DocumentData doc;
    Settings settings;
    MemTable table;
    ErrorList errors;
    explicit Mem(int size = 8192, int tableMax = 0x1FFF)
    {
        doc.IicDat.assign(static_cast<size_t>(size), 0);
        for (int a = 0; a < size; ++a)
            doc.IicDat[static_cast<size_t>(a)] = static_cast<uint8_t>(a * 7);
        settings.TableMaxAddr = static_cast<int16_t>(tableMax);
    }
    MemToolsContext ctx() { return {doc, settings, table, errors}; }
};

} // namespace

TEST(MemDat, RowsFollowTableMaxAddrUpToTheImage)
{
    const struct { int imageSize, tableMax, rows, lastAddr, errors; } cases[] = {
        {8192, 0x1FFF, 512, 0x1FFF, 0},
        {8192, 0x0100, 17, 0x0100, 0},  // the first address of a row gets its row
        {8192, 0x0000, 1, 0x0000, 0},
        {8192, 0x00FE, 16, 0x00FE, 0},  // the last row's last place has no cell
        {8192, 0xFFFF, 512, 0x1FFF, 1}, // past the image: the image is shown, the reason listed
        {4096, 0x1FFF, 256, 0x0FFF, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tableMax);
        Mem m(c.imageSize, c.tableMax);
        SetGridMemDat(m.ctx());
        TableFreDat(m.ctx());
        EXPECT_EQ(m.table.rowCount(), c.rows);
        EXPECT_EQ(m.table.lastAddr(), c.lastAddr);
        EXPECT_EQ(m.table.text(c.lastAddr), FormatByteDat(m.doc.IicDat[static_cast<size_t>(c.lastAddr)]));
        EXPECT_EQ(m.table.text(c.lastAddr + 1), QString());
        ASSERT_EQ(static_cast<int>(m.errors.entries().size()), c.errors);
        EXPECT_TRUE(!c.errors || m.errors.entries()[0].label == QStringLiteral("modMemDat->TableFreDat"));
    }
    EXPECT_EQ(memRowLabel(0x01A0), QStringLiteral("01A0H"));
    EXPECT_EQ(memTableCaptions().join(QLatin1Char('|')), QStringLiteral("Addr|0|1|2|3|4|5|6|7|8|9|A|B|C|D|E|F"));
}

// The red marks of changed bytes and "Set Default Colour": desktop/frmMemDat_test.cpp.
TEST(MemDat, RefreshComparesWithWhatTheTableShowed)
{
    Mem m;
    SetGridMemDat(m.ctx());
    TableFreDat(m.ctx());
    m.doc.IicDat[0x0100] ^= 0xFF;
    TableFreDat(m.ctx());
    TableFreDat(m.ctx());
    EXPECT_FALSE(m.table.marked(0x0100)) << "unchanged since the last refresh";
}

TEST(MemDat, EditingACellStoresOneByteOrRestoresTheCell)
{
    const struct { const char* text; bool stored; uint8_t byte; const char* cell; int errNumber; /* 0: nothing listed */ } cases[] = {
        {"7F", true, 0x7F, "7F", 0},
        {"7f", true, 0x7F, "7F", 0},
        {"5", true, 0x05, "05", 0},
        {"00FF", true, 0xFF, "FF", 0},
        {"1FF", false, 0x70, "70", 6}, // above a byte: refused, the cell shows the image again
        {"G1", false, 0x70, "70", 13},
        {"", false, 0x70, "70", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Mem m;
        SetGridMemDat(m.ctx());
        TableFreDat(m.ctx());
        // A stale table: the image changed after the refresh. Editing one cell
        // must not write the table's old bytes back.
        m.doc.IicDat[0x0020] = 0xAB;
        const std::vector<uint8_t> before = m.doc.IicDat;
        EXPECT_EQ(GridDataTemp(m.ctx(), 0x0010, QString::fromLatin1(c.text)), c.stored);
        EXPECT_EQ(m.doc.IicDat[0x0010], c.byte);
        EXPECT_EQ(m.table.text(0x0010), QString::fromLatin1(c.cell));
        for (size_t a = 0; a < before.size(); ++a)
            ASSERT_TRUE(a == 0x0010 || m.doc.IicDat[a] == before[a]) << a;
        ASSERT_EQ(m.errors.entries().size(), c.errNumber ? 1u : 0u);
        if (c.errNumber) {
            const ErrorEntry& e = m.errors.entries()[0];
            EXPECT_TRUE(e.label == QStringLiteral("frmMemDat->GridDataTemp") && e.error.number == c.errNumber &&
                        e.error.object == QStringLiteral("address 0010")) << e.error.text().toStdString();
        }
    }
}

TEST(MemDat, ConversionsAndTooltip)
{
    EXPECT_EQ(H_To_B(QStringLiteral("A5")), QStringLiteral("10100101"));
    EXPECT_EQ(H_To_B(QStringLiteral("0f")), QStringLiteral("00001111"));
    EXPECT_EQ(H_To_B(QStringLiteral("x1-G")), QStringLiteral("0001"));
    EXPECT_EQ(B_To_D(QStringLiteral("10100101")), 165);
    EXPECT_EQ(B_To_D(QString()), 0);
    EXPECT_EQ(B_To_D(QStringLiteral("1111111111111111")), 0xFFFF);
    EXPECT_THROW(B_To_D(QStringLiteral("10000000000000000")), QmError);
    EXPECT_THROW(B_To_D(QStringLiteral("102")), QmError);
    EXPECT_EQ(B_To_BitShow(QStringLiteral("10100101")),
              QStringLiteral("B0:1 B1:0 B2:1 B3:0   B4:0 B5:1 B6:0 B7:1 "));
    const auto d = SeparateChar(QStringLiteral("12345"));
    EXPECT_EQ((std::array<uint8_t, 4>{5, 4, 3, 2}), d);
    EXPECT_THROW(SeparateChar(QStringLiteral("1Z")), QmError);

    Mem m;
    m.doc.IicDat[0x01A3] = 0xA5;
    SetGridMemDat(m.ctx());
    TableFreDat(m.ctx());
    const int row = 0x01A3 / 16 + 1, col = 0x01A3 % 16 + 1;
    EXPECT_EQ(CellTipHint(m.table, row, col),
              QStringLiteral("地址为: 0x01A3    二进制:10100101    B0:1 B1:0 B2:1 B3:0   B4:0 B5:1 B6:0 B7:1     十进制165    \n"));
    EXPECT_EQ(CellTipHint(m.table, row, 0), QString()) << "the address column has no tooltip";
}

TEST(PartFill, ValuesRangesAndRefusals)
{
    const struct { const char* value; FillRadix radix; const char *start, *end; bool filled; int byte, errNumber; } cases[] = {
        {"FF", FillRadix::Hex, "0000", "000F", true, 0xFF, 0},
        {"300", FillRadix::Dec, "0000", "000F", true, 255, 0},
        {"1010", FillRadix::Bin, "0000", "000F", true, 0x0A, 0},
        {"1FF", FillRadix::Hex, "0000", "000F", true, 255, 0},
        {"z7", FillRadix::Hex, "0000", "000F", true, 7, 0}, // non-hex characters skipped
        {"", FillRadix::Hex, "0000", "000F", true, 0, 0},
        {"12", FillRadix::Hex, "0010", "000F", false, -1, 0}, // start above end: nothing, no error
        {"-1", FillRadix::Dec, "0000", "000F", false, -1, 6},
        {"abc", FillRadix::Dec, "0000", "000F", false, -1, 13},
        {"12", FillRadix::Bin, "0000", "000F", false, -1, 13},
        {"12", FillRadix::Hex, "1FF0", "2000", false, -1, 9}, // past the image: nothing written
        {"12", FillRadix::Hex, "0000", "10000", false, -1, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.value) + " " + c.start + "-" + c.end);
        Mem m;
        SetGridMemDat(m.ctx());
        TableFreDat(m.ctx());
        m.doc.IicDat[0x0100] ^= 0xFF; // a change the table has not shown yet
        const std::vector<uint8_t> before = m.doc.IicDat;
        const PartFillResult r = PartFill(m.ctx(), QString::fromLatin1(c.value), c.radix, QString::fromLatin1(c.start),
                                          QString::fromLatin1(c.end));
        EXPECT_EQ(r.filled, c.filled);
        for (int a = 0; a < 8192; ++a) {
            const bool inRange = c.filled && a >= r.start && a <= r.end;
            ASSERT_EQ(m.doc.IicDat[static_cast<size_t>(a)], inRange ? c.byte : before[static_cast<size_t>(a)]) << a;
            ASSERT_FALSE(m.table.marked(a)) << "a fill sets no marks";
        }
        if (c.filled) {
            EXPECT_EQ(m.table.text(0x000F), FormatByteDat(static_cast<uint8_t>(c.byte)));
            EXPECT_EQ(r.before, std::vector<uint8_t>(before.begin() + r.start, before.begin() + r.end + 1));
        }
        EXPECT_EQ(m.table.text(0x0100), FormatByteDat(static_cast<uint8_t>(before[0x0100] ^ 0xFF))) << "cells outside the range untouched";
        ASSERT_EQ(m.errors.entries().size(), c.errNumber ? 1u : 0u); // errNumber 0: nothing listed
        EXPECT_TRUE(!c.errNumber || (m.errors.entries()[0].label == QStringLiteral("frmPartFill->cmdFillData_Click") &&
                                     m.errors.entries()[0].error.number == c.errNumber));
    }

    Settings s;
    s.PartFillStart = 0x10;
    PartFillStartChanged(s, QStringLiteral("1A0"));
    EXPECT_EQ(s.PartFillStart, 0x1A0);
    for (const char* bad : {"", "XYZ", "10000", "-1"}) {
        PartFillStartChanged(s, QString::fromLatin1(bad));
        EXPECT_EQ(s.PartFillStart, 0x1A0) << bad;
    }
    PartFillEndChanged(s, QStringLiteral("ffff"));
    EXPECT_EQ(s.PartFillEnd, 0xFFFF);
}
