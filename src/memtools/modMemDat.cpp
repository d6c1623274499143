// The memory data table. The radio program kept the table's texts in its grid
// control and rewrote the whole image from them after every edit; here the
// table is a MemTable that the window's view reads, and an edit stores the
// one byte that was edited (see GridDataTemp).
#include "memtools/modMemDat.h"

#include "settings/VbConv.h"

#include <algorithm>

namespace qm {

void MemTable::setLastAddr(int last)
{
    const size_t n = last < 0 ? 0 : static_cast<size_t>(last) + 1;
    text_.resize(n);
    marked_.resize(n, false);
    if (selected_ > last)
        selected_ = -1;
}

void MemTable::setText(int addr, const QString& t)
{
    if (hasCell(addr))
        text_[static_cast<size_t>(addr)] = t;
}

void MemTable::setMarked(int addr, bool m)
{
    if (hasCell(addr))
        marked_[static_cast<size_t>(addr)] = m;
}

void MemTable::clearMarks()
{
    std::fill(marked_.begin(), marked_.end(), false);
    selected_ = -1;
}

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.toUpper().unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

int imageLast(const DocumentData& doc)
{
    return static_cast<int>(doc.IicDat.size()) - 1;
}

// The configured highest table address, 0000-FFFF (the key is 16-bit text,
// so 8000 and above arrive as negative values).
int configuredLast(const Settings& settings)
{
    return static_cast<uint16_t>(settings.TableMaxAddr);
}

// Cells for the current TableMaxAddr; true when they changed. The last row's
// places past TableMaxAddr have no cell and stay empty.
bool fitRows(MemToolsContext s)
{
    const int last = memTableLastAddr(s.doc, s.settings);
    if (s.table.lastAddr() == last)
        return false;
    s.table.setLastAddr(last);
    return true;
}

// Value of a cell text as the grid read it, or -1 when it is not hexadecimal.
int cellValue(const QString& t)
{
    try {
        const auto d = SeparateChar(t);
        return d[3] * 4096 + d[2] * 256 + d[1] * 16 + d[0];
    } catch (const QmError&) {
        return -1;
    }
}

} // namespace

QStringList memTableCaptions()
{
    QStringList c{QStringLiteral("Addr")};
    for (int i = 0; i < 16; ++i)
        c << QString::number(i, 16).toUpper();
    return c;
}

QString memRowLabel(int rowStart)
{
    return hex4(rowStart) + QLatin1Char('H');
}

int memTableLastAddr(const DocumentData& doc, const Settings& settings)
{
    return std::min(configuredLast(settings), imageLast(doc));
}

void SetGridMemDat(MemToolsContext s)
{
    guarded(s.errors, QStringLiteral("modMemDat->SetGridMemDat"), [&] {
        s.table.setLastAddr(-1);
        fitRows(s);
    });
    s.table.notifyRows();
}

void TableFreDat(MemToolsContext s)
{
    const bool rowsChanged = fitRows(s);
    guarded(s.errors, QStringLiteral("modMemDat->TableFreDat"), [&] {
        s.table.clearMarks();
        const int last = memTableLastAddr(s.doc, s.settings);
        for (int a = 0; a <= last; ++a) {
            const uint8_t b = s.doc.img(a);
            const QString old = s.table.text(a);
            // A cell that was still empty (the first refresh) is never marked.
            if (!old.isEmpty() && cellValue(old) != b) {
                s.table.setMarked(a, true);
                s.table.setSelected(a);
            }
            s.table.setText(a, FormatByteDat(b));
        }
        if (configuredLast(s.settings) > last)
            throw QmError(9, QStringLiteral("show the memory table up to"), hex4(configuredLast(s.settings)),
                          QStringLiteral("the memory image ends at %1; the table shows 0000-%1").arg(hex4(last)));
    });
    if (rowsChanged)
        s.table.notifyRows();
    else
        s.table.notifyCells(0, s.table.lastAddr());
}

void SetDefCol(MemToolsContext s)
{
    s.table.clearMarks();
    s.table.notifyCells(0, s.table.lastAddr());
}

std::array<uint8_t, 4> SeparateChar(const QString& text)
{
    std::array<uint8_t, 4> d{};
    const int n = static_cast<int>(text.size());
    for (int k = 0; k < n; ++k) {
        const int v = hexDigit(text[n - 1 - k]);
        if (v < 0)
            throw QmError(13, QStringLiteral("read hexadecimal text"), text,
                          QStringLiteral("\"%1\" is not a hexadecimal digit").arg(text[n - 1 - k]));
        if (k < 4)
            d[static_cast<size_t>(k)] = static_cast<uint8_t>(v);
    }
    return d;
}

bool GridDataTemp(MemToolsContext s, int addr, const QString& text)
{
    const QString t = text.trimmed();
    bool stored = false;
    guarded(s.errors, QStringLiteral("frmMemDat->GridDataTemp"), [&] {
        if (t.isEmpty())
            return;
        const QString where = QStringLiteral("address %1").arg(hex4(addr));
        std::array<uint8_t, 4> d{};
        try {
            d = SeparateChar(t);
        } catch (const QmError& e) {
            throw QmError(13, QStringLiteral("store memory cell"), where, e.error().reason);
        }
        const int value = d[3] * 4096 + d[2] * 256 + d[1] * 16 + d[0];
        if (value > 255)
            throw QmError(6, QStringLiteral("store memory cell"), where,
                          QStringLiteral("\"%1\" is above FF; a cell holds one byte, 00-FF").arg(t));
        s.doc.img(addr) = static_cast<uint8_t>(value);
        stored = true;
    });
    // The cell shows the image byte: the value stored, or the old byte after
    // a refused text, so the table never claims a byte the image lacks.
    if (s.table.hasCell(addr) && addr <= imageLast(s.doc)) {
        s.table.setText(addr, FormatByteDat(s.doc.img(addr)));
        s.table.notifyCells(addr, addr);
    }
    return stored;
}

QString CellTipHint(const MemTable& table, int row, int col)
{
    if (row < 1 || col < 1 || col > MemTable::kBytesPerRow)
        return {};
    const int addr = (row - 1) * MemTable::kBytesPerRow + (col - 1);
    const QString cell = table.text(addr);
    if (cell.isEmpty())
        return {};
    try {
        const QString b = H_To_B(cell);
        const int d = B_To_D(b);
        return QStringLiteral("地址为: 0x") + hex4(addr) + QStringLiteral("    二进制:") + b + QStringLiteral("    ") +
               B_To_BitShow(b) + QStringLiteral("    十进制") + QString::number(d) + QStringLiteral("    \n");
    } catch (const QmError&) {
        return {}; // no tooltip for a text that is no number
    }
}

QString H_To_B(const QString& hex)
{
    QString b;
    for (const QChar c : hex) {
        const int v = hexDigit(c);
        if (v < 0)
            continue;
        for (int bit = 3; bit >= 0; --bit)
            b += (v >> bit) & 1 ? QLatin1Char('1') : QLatin1Char('0');
    }
    return b;
}

int B_To_D(const QString& bin)
{
    long long v = 0;
    for (const QChar c : bin) {
        if (c != QLatin1Char('0') && c != QLatin1Char('1'))
            throw QmError(13, QStringLiteral("read base-2 text"), bin,
                          QStringLiteral("\"%1\" is not a binary digit").arg(c));
        v = v * 2 + (c == QLatin1Char('1') ? 1 : 0);
        if (v > 0xFFFF)
            throw QmError(6, QStringLiteral("read base-2 text"), bin, QStringLiteral("the value does not fit 16 bits"));
    }
    return static_cast<int>(v);
}

QString B_To_BitShow(const QString& bin)
{
    QString out;
    const int n = static_cast<int>(bin.size());
    for (int i = 0; i < n; ++i) {
        out += QStringLiteral("B%1:").arg(i) + bin[n - 1 - i] + QLatin1Char(' ');
        if (i == 3)
            out += QStringLiteral("  ");
    }
    return out;
}

} // namespace qm
