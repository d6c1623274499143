#include "channels/modChClip.h"

#include "channels/modChCsv.h"
#include "channels/modChEdit.h"
#include "channels/modChGrid.h"
#include "settings/VbConv.h"

#include <algorithm>
#include <set>

namespace qm {

namespace {

bool isGridCell(const ChannelContext& s, int r, int c)
{
    return r >= 1 && r <= std::min<int>(s.settings.ChNum, kMaxChannels) && c >= 1 &&
           c <= std::min<int>(s.settings.ChColNum, kChFields - 1);
}

// A cell for a spreadsheet: quoted when it holds a tab, a line break or
// starts with a quote.
QString tabField(const QString& t)
{
    if (!t.contains(QLatin1Char('\t')) && !t.contains(QLatin1Char('\n')) && !t.contains(QLatin1Char('\r')) &&
        !t.startsWith(QLatin1Char('"')))
        return t;
    QString q = t;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString cellName(const ChannelContext& s, int r, int c)
{
    QString label = chRowLabel(r);
    if (label.isEmpty())
        label = QString::number(r);
    const QString caption = s.grid.text[0][static_cast<size_t>(c)].trimmed();
    return (caption.isEmpty() ? QStringLiteral("Column %1").arg(c) : caption) + QLatin1Char(' ') + label;
}

QString quoted(const QString& t)
{
    return QLatin1Char('"') + t + QLatin1Char('"');
}

// Why the before-edit rules refuse cell (r, c).
QString refusedEdit(const ChannelContext& s, int r, int c)
{
    if (ChannelLocked(s))
        return QStringLiteral("the channel table is locked");
    if (s.doc.ChData[static_cast<size_t>(r)][1] == -1)
        return QStringLiteral("the channel has no receive frequency yet");
    if (c == 4 && s.doc.ChData[static_cast<size_t>(r)][2] == -1)
        return QStringLiteral("the channel has no transmit frequency");
    return QStringLiteral("the cell cannot be edited");
}

} // namespace

QString GridCopyText(const ChannelContext& s, const std::vector<GridCell>& cells)
{
    std::set<std::pair<int, int>> chosen;
    int top = INT_MAX, left = INT_MAX, bottom = 0, right = 0;
    for (const GridCell& g : cells) {
        if (!isGridCell(s, g.row, g.col))
            continue;
        chosen.insert({g.row, g.col});
        top = std::min(top, g.row);
        bottom = std::max(bottom, g.row);
        left = std::min(left, g.col);
        right = std::max(right, g.col);
    }
    if (chosen.empty())
        return {};
    QStringList lines;
    for (int r = top; r <= bottom; ++r) {
        QStringList fields;
        for (int c = left; c <= right; ++c)
            fields << (chosen.count({r, c}) ? tabField(s.grid.text[static_cast<size_t>(r)][static_cast<size_t>(c)]) : QString());
        lines << fields.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n'));
}

std::vector<QStringList> ParseTabText(const QString& text)
{
    std::vector<QStringList> rows;
    QStringList row;
    QString field;
    bool inQuotes = false;
    bool quotedField = false;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar ch = text[i];
        if (inQuotes) {
            if (ch == QLatin1Char('"')) {
                if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                    field += ch;
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                field += ch;
            }
            continue;
        }
        if (ch == QLatin1Char('"') && field.isEmpty() && !quotedField) {
            inQuotes = quotedField = true;
            continue;
        }
        if (ch == QLatin1Char('\t')) {
            row << field;
            field.clear();
            quotedField = false;
            continue;
        }
        if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) {
            if (ch == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                ++i;
            row << field;
            rows.push_back(row);
            row.clear();
            field.clear();
            quotedField = false;
            continue;
        }
        field += ch;
    }
    // Text after the last line break (or a text without one) is the last row.
    if (!field.isEmpty() || !row.isEmpty() || quotedField) {
        row << field;
        rows.push_back(row);
    }
    return rows;
}

std::vector<PasteCell> PastePlan(const std::vector<QStringList>& rows, const std::vector<GridCell>& selection, GridCell current,
                                 int lastRow, int lastCol)
{
    std::vector<PasteCell> plan;
    const auto inside = [&](const GridCell& g) {
        return g.row >= 1 && g.row <= lastRow && g.col >= 1 && g.col <= lastCol;
    };
    std::vector<GridCell> selected;
    for (const GridCell& g : selection) {
        if (inside(g))
            selected.push_back(g);
    }
    if (rows.empty())
        return plan;
    if (rows.size() == 1 && rows[0].size() == 1) {
        // One value fills every selected cell, as in a spreadsheet.
        if (selected.empty() && inside(current))
            selected.push_back(current);
        for (const GridCell& g : selected)
            plan.push_back({g, rows[0][0]});
    } else {
        GridCell origin = current;
        if (!selected.empty()) {
            origin = selected.front();
            for (const GridCell& g : selected) {
                origin.row = std::min(origin.row, g.row);
                origin.col = std::min(origin.col, g.col);
            }
        }
        for (size_t i = 0; i < rows.size(); ++i) {
            for (qsizetype j = 0; j < rows[i].size(); ++j) {
                const GridCell g{origin.row + static_cast<int>(i), origin.col + static_cast<int>(j)};
                if (inside(g))
                    plan.push_back({g, rows[i][j]});
            }
        }
    }
    std::stable_sort(plan.begin(), plan.end(), [](const PasteCell& a, const PasteCell& b) {
        return a.at.row != b.at.row ? a.at.row < b.at.row : a.at.col < b.at.col;
    });
    return plan;
}

QString GridEnterText(ChannelContext s, int r, int c, const QString& raw)
{
    if (!isGridCell(s, r, c))
        return QStringLiteral("the grid has no cell there");
    const QString& cell = s.grid.text[static_cast<size_t>(r)][static_cast<size_t>(c)];
    if (raw == cell)
        return {};
    QString text = raw;
    const QString list = GridColumnList(s, c);
    if (!list.isEmpty()) {
        text = raw.trimmed();
        if (text.isEmpty())
            return {}; // a list has no empty choice: the cell stays
        const QStringList items = list.split(QLatin1Char('|'));
        const int idx = FindListChoice(items, text);
        if (idx < 0)
            return QStringLiteral("%1 is not one of the column's values").arg(quoted(text));
        text = items[idx];
        if (text == cell)
            return {};
    } else if (c == 1 || c == 2) {
        text = raw.trimmed();
        if (text == cell)
            return {};
        if (!text.isEmpty() && !isNumeric(text))
            return QStringLiteral("%1 is not a frequency in MHz").arg(quoted(text));
    } else if (raw.trimmed().isEmpty() && cell.isEmpty()) {
        return {};
    }
    if (!GridCanEdit(s, r, c))
        return refusedEdit(s, r, c);
    GridAfterEdit(s, r, c, text);
    return {};
}

PasteOutcome GridPaste(ChannelContext s, const std::vector<PasteCell>& plan)
{
    PasteOutcome out;
    for (const PasteCell& p : plan) {
        if (!isGridCell(s, p.at.row, p.at.col))
            continue;
        const auto fields = s.doc.ChData[static_cast<size_t>(p.at.row)];
        const auto texts = s.grid.text[static_cast<size_t>(p.at.row)];
        const auto names = s.doc.ChNameCode[static_cast<size_t>(p.at.row)];
        const QString why = GridEnterText(s, p.at.row, p.at.col, p.text);
        if (!why.isEmpty())
            out.refused << cellName(s, p.at.row, p.at.col) + QStringLiteral(": ") + why;
        else if (fields != s.doc.ChData[static_cast<size_t>(p.at.row)] || texts != s.grid.text[static_cast<size_t>(p.at.row)] ||
                 names != s.doc.ChNameCode[static_cast<size_t>(p.at.row)])
            ++out.changed;
    }
    return out;
}

} // namespace qm
