#include "memtools/modPartFill.h"

#include "memtools/modMemDat.h"
#include "settings/VbConv.h"

#include <algorithm>

namespace qm {

namespace {

// A text read as a hexadecimal number 0000-FFFF, -1 when it is none.
int hexAddress(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return -1;
    bool ok = false;
    const uint v = t.toUInt(&ok, 16);
    return ok && v <= 0xFFFF && !t.startsWith(QLatin1Char('+')) ? static_cast<int>(v) : -1;
}

void showCells(MemToolsContext s, int first, int last)
{
    const int top = std::min(last, s.table.lastAddr());
    if (first > top)
        return;
    for (int a = first; a <= top; ++a)
        s.table.setText(a, FormatByteDat(s.doc.img(a)));
    s.table.notifyCells(first, top);
}

} // namespace

int PartFillValue(FillRadix radix, const QString& text)
{
    long long v = 0;
    switch (radix) {
    case FillRadix::Hex:
        v = B_To_D(H_To_B(text));
        break;
    case FillRadix::Bin:
        v = B_To_D(text.trimmed());
        break;
    case FillRadix::Dec:
        try {
            v = toInt32(text);
        } catch (const QmError& e) {
            throw QmError(e.number(), QStringLiteral("read fill value"), text,
                          e.number() == 6 ? QStringLiteral("the number is too large")
                                          : QStringLiteral("\"%1\" is not a decimal number").arg(text));
        }
        break;
    }
    if (v < 0)
        throw QmError(6, QStringLiteral("read fill value"), text, QStringLiteral("a negative value does not fit a byte"));
    return static_cast<int>(std::min<long long>(v, 255));
}

int PartFillAddr(const QString& text)
{
    return B_To_D(H_To_B(text));
}

void PartFillStartChanged(Settings& s, const QString& text)
{
    const int v = hexAddress(text);
    if (v >= 0)
        s.PartFillStart = v;
}

void PartFillEndChanged(Settings& s, const QString& text)
{
    const int v = hexAddress(text);
    if (v >= 0)
        s.PartFillEnd = v;
}

PartFillResult PartFill(MemToolsContext s, const QString& valueText, FillRadix radix, const QString& startText,
                        const QString& endText)
{
    PartFillResult r;
    guarded(s.errors, QStringLiteral("frmPartFill->cmdFillData_Click"), [&] {
        // Everything is read and checked before the first byte is written.
        const int value = PartFillValue(radix, valueText);
        int start = 0, end = 0;
        try {
            start = PartFillAddr(startText);
            end = PartFillAddr(endText);
        } catch (const QmError& e) {
            throw QmError(e.number(), QStringLiteral("read fill range"), startText + QLatin1Char('-') + endText,
                          e.error().reason);
        }
        if (start > end)
            return;
        const int last = static_cast<int>(s.doc.IicDat.size()) - 1;
        if (end > last)
            throw QmError(9, QStringLiteral("fill"), hex4(start) + QLatin1Char('-') + hex4(end),
                          QStringLiteral("the memory image ends at %1").arg(hex4(std::max(last, 0))));
        r.before.assign(s.doc.IicDat.begin() + start, s.doc.IicDat.begin() + end + 1);
        std::fill(s.doc.IicDat.begin() + start, s.doc.IicDat.begin() + end + 1, static_cast<uint8_t>(value));
        r.filled = true;
        r.start = start;
        r.end = end;
        r.value = static_cast<uint8_t>(value);
    });
    if (r.filled)
        showCells(s, r.start, r.end);
    return r;
}

void PutImageBytes(MemToolsContext s, int first, const std::vector<uint8_t>& bytes)
{
    if (bytes.empty())
        return;
    const int last = first + static_cast<int>(bytes.size()) - 1;
    checkIndex(first, 0, static_cast<long long>(s.doc.IicDat.size()) - 1);
    checkIndex(last, 0, static_cast<long long>(s.doc.IicDat.size()) - 1);
    std::copy(bytes.begin(), bytes.end(), s.doc.IicDat.begin() + first);
    showCells(s, first, last);
}

} // namespace qm
