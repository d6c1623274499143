#include "channels/modChEdit.h"

#include "channels/modChFre.h"
#include "channels/modChGrid.h"
#include "channels/modChMem.h"
#include "channels/modChName.h"
#include "settings/CharTable.h"
#include "settings/VbConv.h"

#include <cmath>
#include <limits>

namespace qm {

namespace {

constexpr int kVfoRow = 100;
constexpr int kNameCol = 11;

bool isChannelCell(const ChannelContext& s, int r, int c)
{
    return r >= 1 && r <= s.settings.ChNum && r <= kMaxChannels && c >= 1 && c <= s.settings.ChColNum && c < kChFields;
}

// Throws error 9 unless (r, c) is a data cell of the grid.
void checkCell(const ChannelContext& s, int r, int c)
{
    checkIndex(r, 1, std::min<int>(s.settings.ChNum, kMaxChannels));
    checkIndex(c, 1, std::min<int>(s.settings.ChColNum, kChFields - 1));
}

const QString& ctdcsName(const ChannelContext& s, long long i)
{
    checkIndex(i, 0, kCtdcsSlots - 1);
    return s.settings.CtdcsName[static_cast<size_t>(i)];
}

int32_t colDefault(const ChannelContext& s, int c)
{
    checkIndex(c, 1, kMaxColInfoCols);
    return toInt32(s.settings.ColInfo[static_cast<size_t>(c)][2]);
}

void setCell(ChannelContext s, int r, int c, const QString& text, uint32_t color)
{
    s.grid.text[r][c] = text;
    s.grid.color[r][c] = color;
}

void select(ChannelContext s, int r, int c)
{
    s.grid.curRow = r;
    s.grid.curCol = c;
}

// " CH-07": a blank, "CH-" and the row number with at least two digits.
QString proposedName(int n)
{
    return QStringLiteral(" CH-%1").arg(n, 2, 10, QLatin1Char('0'));
}

// A default frequency from the column definition, kept inside what the
// editor accepts (100..999 MHz): anything else becomes the band's lower edge.
int32_t entryFreq(const ChannelContext& s, int32_t f)
{
    return (f < s.settings.EntryLower || f > s.settings.EntryUpper) ? s.settings.BandLower : f;
}

// Runs one step of the frequency entry: a failing step is skipped and the
// entry goes on with the next one.
template <class F>
void step(F&& f)
{
    try {
        f();
    } catch (const std::exception&) {
    }
}

void frequencyEntered(ChannelContext s, int r, int c, const QString& t)
{
    int32_t v = 0;
    int32_t f = 0;
    step([&] {
        const double x = roundHalfEven(toDouble(t) * 100000.0);
        if (!(x >= std::numeric_limits<int32_t>::min() && x <= std::numeric_limits<int32_t>::max()))
            throw QmError(6);
        v = static_cast<int32_t>(x);
    });
    step([&] { f = ModifyTxRxFre(s, QString::number(v)); });
    step([&] {
        if (f < s.settings.EntryLower || f > s.settings.EntryUpper)
            f = colDefault(s, c);
    });
    step([&] {
        if (f > s.settings.EntryUpper || f < s.settings.EntryLower)
            f = s.settings.BandLower;
    });
    step([&] {
        s.doc.ChData[r][c] = f;
        setCell(s, r, c, freqText(f), freqColor(s, f));
    });

    auto& ch = s.doc.ChData[r];
    if (c == 2) {
        step([&] { select(s, r, 4); });
        step([&] {
            if (ch[4] != -1) {
                s.grid.text[r][4] = ctdcsName(s, ch[4]);
            } else {
                ch[4] = ch[3];
                s.grid.text[r][4] = s.grid.text[r][3];
            }
        });
        step([&] { select(s, r, 3); });
        return;
    }

    // A receive frequency typed into an empty row makes a channel with the
    // column defaults; it has no transmit frequency yet.
    if (s.grid.text[r][3].isEmpty()) {
        step([&] {
            ch[3] = colDefault(s, 3);
            s.grid.text[r][3] = ctdcsName(s, ch[3]);
        });
        for (int c2 = 5; c2 <= s.settings.ChColNum - 1; ++c2) {
            step([&] {
                checkColumn(c2);
                if (ch[c2] == -1)
                    ch[c2] = colDefault(s, c2);
                s.grid.text[r][c2] = optionText(s, c2, ch[c2]);
            });
        }
        step([&] {
            s.grid.text[r][kNameCol].clear();
            ChNameEdit(s, r);
        });
    }
    select(s, r, 2);
}

void frequencyErased(ChannelContext s, int r, int c)
{
    auto& ch = s.doc.ChData[r];
    if (c == 2) {
        if (r == kVfoRow) {
            TxFreShow(s, r); // the VFO row keeps its transmit frequency
            return;
        }
        ch[2] = -1;
        setCell(s, r, 2, QString(), s.settings.DefColor);
        ch[4] = -1;
        setCell(s, r, 4, QString(), s.settings.DefColor);
        select(s, r, 4);
        return;
    }
    if (r == kVfoRow) {
        RxFreShow(s, r);
    } else {
        // The row becomes an empty channel; its name codes stay in ChNameCode.
        for (int c2 = 1; c2 <= s.settings.ChColNum; ++c2) {
            checkColumn(c2);
            ch[c2] = -1;
            setCell(s, r, c2, QString(), s.settings.DefColor);
        }
    }
    select(s, r, 1);
}

// The 0-based index of the picked text in the column's list.
int listIndex(ChannelContext s, int c, const QString& text)
{
    const QStringList items = GridColumnList(s, c).split(QLatin1Char('|'));
    int idx = static_cast<int>(items.indexOf(text));
    if (idx < 0 && c >= 5) {
        // Option columns show value v as ColInfo(c, v + 3).
        for (int k = 3; k < kColInfoEntries && idx < 0; ++k) {
            const QString& e = s.settings.ColInfo[static_cast<size_t>(c)][static_cast<size_t>(k)];
            if (!e.isEmpty() && e == text)
                idx = k - 3;
        }
    }
    if (idx < 0)
        throw QmError(380); // not one of the column's choices
    return idx;
}

} // namespace

bool ChannelLocked(const ChannelContext& s)
{
    return s.ChLockState == QLatin1String("ShowLock");
}

GridEditMode GridEditModeFor(const ChannelContext& s, int col)
{
    if (ChannelLocked(s))
        return GridEditMode::None;
    return (col == 1 || col == 2 || col == kNameCol) ? GridEditMode::KeyboardAndMouse : GridEditMode::Keyboard;
}

namespace {

bool editable(const ChannelContext& s, int row, int col)
{
    if (ChannelLocked(s) || !isChannelCell(s, row, col))
        return false;
    // The VFO row's last option is always editable.
    if (row == kVfoRow && col == 10)
        return true;
    const auto& ch = s.doc.ChData[row];
    if (ch[1] == -1 && col != 1)
        return false; // an empty row opens only with a receive frequency
    if (col == 4 && ch[2] == -1)
        return false; // no encode signalling without a transmit frequency
    return true;
}

} // namespace

bool GridCanEdit(ChannelContext s, int row, int col)
{
    bool allow = false;
    guarded(s.errors, QStringLiteral("frmChMem->vsfgGridCh_BeforeEdit:"), [&] { allow = editable(s, row, col); });
    return allow;
}

QString GridColumnList(ChannelContext s, int col)
{
    if (col < 1 || col > kMaxColInfoCols)
        return {};
    const QString& key = s.settings.ColInfo[static_cast<size_t>(col)][0];
    if (key == QLatin1String("RxFre") || key == QLatin1String("TxFre") || key == QLatin1String("OFFSET") ||
        key == QLatin1String("CHNAME"))
        return {};
    if (key == QLatin1String("CtcssDcsDec") || key == QLatin1String("CtcssDcsEnc"))
        return s.settings.CtdcsList;
    return key;
}

void GridAfterEdit(ChannelContext s, int row, int col, const QString& text)
{
    if (ChannelLocked(s))
        return;
    guarded(s.errors, QStringLiteral("frmChMem->vsfgGridCh_AfterEdit:"), [&] {
        checkCell(s, row, col);
        // An edit the before-edit rules cancel changes nothing.
        if (!editable(s, row, col))
            return;
        auto& ch = s.doc.ChData[row];
        if (col == 1 || col == 2) {
            const bool erased = text.trimmed().isEmpty();
            if (!erased && !isNumeric(text)) {
                // A typing slip is not an erasure: show the stored value again.
                if (col == 1)
                    RxFreShow(s, row);
                else
                    TxFreShow(s, row);
                throw QmError(13);
            }
            ch[0] = 1;
            s.grid.text[row][col] = text;
            if (erased)
                frequencyErased(s, row, col);
            else
                frequencyEntered(s, row, col, text);
            return;
        }
        if (col == kNameCol) {
            ch[0] = 1;
            s.grid.text[row][col] = text;
            ChNameEdit(s, row);
            return;
        }
        const int idx = listIndex(s, col, text);
        ch[0] = 1;
        ch[col] = idx;
        s.grid.text[row][col] = (col == 3 || col == 4) ? ctdcsName(s, idx) : text;
    });
}

void ChNameEdit(ChannelContext s, int n)
{
    guarded(s.errors, QStringLiteral("frmChMem->ChNameEdit"), [&] {
        checkChannel(n);
        const QString t = s.grid.text[n][kNameCol];
        if (t.isEmpty() || n == kVfoRow) {
            s.grid.text[n][kNameCol].clear();
            for (int i = 1; i <= 6; ++i)
                s.doc.ChNameCode[n][i] = kNoChar;
            return;
        }
        const std::vector<int16_t> codes = ChNameCharSol(s.settings, s.errors, t, 6);
        for (int i = 0; i < 6; ++i)
            s.doc.ChNameCode[n][i + 1] = static_cast<uint8_t>(codes[static_cast<size_t>(i)]);
        ChNameCharShow(s, n);
    });
}

bool GridClickOpensEntry(ChannelContext s, int r, int c)
{
    bool open = false;
    guarded(s.errors, QStringLiteral("frmChMem->vsfgGridCh_Click:"), [&] {
        if (ChannelLocked(s) || !isChannelCell(s, r, c))
            return;
        if (s.doc.ChData[r][1] == -1) {
            select(s, r, 1);
            open = true;
        }
    });
    return open;
}

void GridDoubleClick(ChannelContext s, int r, int c)
{
    if (ChannelLocked(s) || r < 1 || c < 1)
        return;
    guarded(s.errors, QStringLiteral("frmChMem->vsfgGridCh_DblClick:"), [&] {
        if (!isChannelCell(s, r, c) || c == 1)
            return;
        auto& ch = s.doc.ChData[r];
        if (ch[1] == -1)
            return;
        ch[0] = 1;
        auto& text = s.grid.text[r];
        switch (c) {
        case 2:
            // A simplex channel: transmit where it receives, with the same signalling.
            if (ch[2] < 100) {
                ch[2] = ch[1];
                text[2] = text[1];
                select(s, r, 2);
                s.grid.color[r][2] = freqColor(s, ch[2]);
                ch[4] = ch[3];
                text[4] = text[3];
            }
            break;
        case 3:
            if (ch[2] != -1) {
                ch[3] = ch[4];
                text[3] = text[4];
            }
            break;
        case 4:
            if (ch[2] != -1) {
                ch[4] = ch[3];
                text[4] = text[3];
            }
            break;
        case kNameCol:
            // The name codes follow when the edit of the cell completes.
            if (text[kNameCol].isEmpty())
                text[kNameCol] = proposedName(r);
            break;
        default:
            if (ch[c] == -1)
                break;
            if (r == kVfoRow && c == 10) {
                ch[c] = 0;
            } else {
                const int32_t count = toInt32(s.settings.ColInfo[static_cast<size_t>(c)][1]);
                ch[c] = (ch[c] >= count - 1) ? 0 : ch[c] + 1;
            }
            text[c] = optionText(s, c, ch[c]);
            break;
        }
    });
}

QString GridNameProposal(const ChannelContext& s, int r, int c)
{
    if (ChannelLocked(s) || c != kNameCol || !isChannelCell(s, r, c))
        return {};
    if (s.doc.ChData[r][1] == -1 || !s.grid.text[r][kNameCol].isEmpty())
        return {};
    return proposedName(r);
}

bool GridEraseCell(ChannelContext s, int r, int c)
{
    if (!isChannelCell(s, r, c) || !GridColumnList(s, c).isEmpty())
        return false;
    if (!GridCanEdit(s, r, c) || s.grid.text[r][c].isEmpty())
        return false;
    GridAfterEdit(s, r, c, QString());
    return true;
}

ChannelPopup ChannelPopupFor(const ChannelContext& s, int row, int col, bool lockCommandVisible)
{
    ChannelPopup m;
    if (!isChannelCell(s, row, col))
        return m;
    m.show = true;
    const bool empty = s.doc.ChData[row][1] == -1;
    m.openCaption = s.settings.text(114) + QLatin1Char(' ') + QString::number(row);
    m.openEnabled = empty;
    m.saveDefCaption = s.settings.text(113);
    m.saveDefEnabled = !empty;
    m.delOneCaption = s.settings.text(110) + QLatin1Char(' ') + QString::number(row);
    m.delOneEnabled = !empty && row != kVfoRow;
    m.delAllCaption = s.settings.text(112);
    m.delAllEnabled = true;
    if (lockCommandVisible) {
        m.lockVisible = true;
        m.lockCaption = s.settings.text(47);
        m.lockChecked = ChannelLocked(s);
        if (m.lockChecked)
            m.openEnabled = m.saveDefEnabled = m.delOneEnabled = m.delAllEnabled = false;
    }
    return m;
}

void OpenChannel(ChannelContext s, int n)
{
    if (ChannelLocked(s))
        return;
    guarded(s.errors, QStringLiteral("mdifrmMain->mnuOpenCh_Click"), [&] {
        checkCell(s, n, 1);
        auto& ch = s.doc.ChData[n];
        if (ch[1] != -1)
            return; // only an empty row is opened

        const int32_t f = entryFreq(s, colDefault(s, 1));
        select(s, n, 1);
        setCell(s, n, 1, freqText(f), freqColor(s, f));
        ch[1] = f;

        const int32_t t = colDefault(s, 2);
        select(s, n, 2);
        if (t > 0) {
            ch[2] = entryFreq(s, t);
            setCell(s, n, 2, freqText(ch[2]), freqColor(s, ch[2]));
        } else {
            ch[2] = -1;
            setCell(s, n, 2, QString(), freqColor(s, t));
        }

        for (int c = 3; c <= s.settings.ChColNum; ++c) {
            checkColumn(c);
            if (c == 3) {
                const int32_t d = colDefault(s, 3);
                s.grid.text[n][3] = ctdcsName(s, d);
                ch[3] = d;
            } else if (c == 4) {
                if (toDouble(s.settings.ColInfo[4][2]) <= -1) {
                    s.grid.text[n][4].clear();
                    ch[4] = -1;
                } else {
                    const int32_t e = colDefault(s, 4);
                    const QString& name = ctdcsName(s, e);
                    // Shown like every encode cell: empty without a transmit frequency.
                    s.grid.text[n][4] = (ch[2] == -1) ? QString() : name;
                    ch[4] = e;
                }
            } else if (c == kNameCol) {
                s.grid.text[n][kNameCol] = proposedName(n);
                ChNameEdit(s, n);
            } else {
                const int32_t v = colDefault(s, c);
                s.grid.text[n][c] = optionText(s, c, v);
                ch[c] = v;
            }
        }
        select(s, n, 1);
        ch[0] = 1;
    });
}

void SaveAsDefault(ChannelContext s, int n)
{
    if (ChannelLocked(s))
        return;
    guarded(s.errors, QStringLiteral("mdifrmMain->mnuSaveDef_Click"), [&] {
        checkCell(s, n, 1);
        if (s.doc.ChData[n][1] == -1)
            return; // an empty row has nothing to save
        const int base = ChInfoKeyBase(s);
        QString why;
        for (int c = 1; c <= s.settings.ChColNum; ++c) {
            checkColumn(c);
            const QString v = QString::number(s.doc.ChData[n][c]);
            s.settings.ColInfo[static_cast<size_t>(c)][2] = v;
            QString failed;
            if (!s.settings.profile.write(QStringLiteral("ChInfo"), QString::number(base + 200 + (c - 1) * 50 + 2), v, &failed) &&
                why.isEmpty())
                why = failed.isEmpty() ? QStringLiteral("not written") : failed;
        }
        select(s, n, 1);
        // The defaults hold for this run; tell the user they were not stored.
        if (!why.isEmpty())
            throw QmError(75, QStringLiteral("write settings file"), s.settings.profile.path() + QStringLiteral(" [ChInfo]"), why);
    });
}

void DeleteChannel(ChannelContext s, int n)
{
    if (ChannelLocked(s))
        return;
    guarded(s.errors, QStringLiteral("mdifrmMain->mnuDelOne_Click"), [&] {
        checkCell(s, n, 1);
        if (n == kVfoRow || s.doc.ChData[n][1] == -1)
            return;
        DelOneChannel(s, n);
        s.doc.ChData[n][0] = 1;
    });
}

void DeleteAllChannels(ChannelContext s)
{
    if (ChannelLocked(s))
        return;
    guarded(s.errors, QStringLiteral("mdifrmMain->mnuDelAll_Click"), [&] {
        for (int n = 1; n <= s.settings.ChNum; ++n) {
            if (n == kVfoRow)
                continue;
            checkChannel(n);
            DelOneChannel(s, n);
            s.doc.ChData[n][0] = 1;
        }
    });
}

} // namespace qm
