#include "channels/ChannelSnapshot.h"

#include "channels/modChFre.h"
#include "channels/modChMem.h"

#include <algorithm>

namespace qm {

namespace {

int rowCount(const ChannelContext& s)
{
    return std::clamp<int>(s.settings.ChNum, 0, kMaxChannels);
}

int colCount(const ChannelContext& s)
{
    return std::clamp<int>(s.settings.ChColNum, 0, kChFields - 1);
}

// Image address of byte k of channel n's bytes (record, then name area).
long long channelByteAddr(int n, int k)
{
    return k < 16 ? chRecordAddr(n) + k : chNameAddr(n) + (k - 16);
}

bool inImage(const DocumentData& doc, long long addr)
{
    return addr >= 0 && addr < static_cast<long long>(doc.IicDat.size());
}

ChannelRowState captureRow(const ChannelContext& s, int n)
{
    ChannelRowState r;
    r.fields = s.doc.ChData[static_cast<size_t>(n)];
    r.name = s.doc.ChNameCode[static_cast<size_t>(n)];
    r.text = s.grid.text[static_cast<size_t>(n)];
    r.color = s.grid.color[static_cast<size_t>(n)];
    for (int k = 0; k < kChannelBytes; ++k) {
        const long long a = channelByteAddr(n, k);
        r.bytes[static_cast<size_t>(k)] = inImage(s.doc, a) ? s.doc.IicDat[static_cast<size_t>(a)] : int16_t(-1);
    }
    return r;
}

void putRow(ChannelContext s, int n, const ChannelRowState& r)
{
    s.doc.ChData[static_cast<size_t>(n)] = r.fields;
    s.doc.ChNameCode[static_cast<size_t>(n)] = r.name;
    s.grid.text[static_cast<size_t>(n)] = r.text;
    s.grid.color[static_cast<size_t>(n)] = r.color;
    for (int k = 0; k < kChannelBytes; ++k) {
        const long long a = channelByteAddr(n, k);
        const int16_t b = r.bytes[static_cast<size_t>(k)];
        if (b >= 0 && inImage(s.doc, a))
            s.doc.IicDat[static_cast<size_t>(a)] = static_cast<uint8_t>(b);
    }
}

} // namespace

bool ChannelChange::empty() const
{
    return defaults.empty() && std::all_of(rows.begin(), rows.end(), [](const Row& r) { return r.markOnly; });
}

bool ChannelChange::changesBytes() const
{
    return std::any_of(rows.begin(), rows.end(), [](const Row& r) { return r.before.bytes != r.after.bytes; });
}

ChannelSnapshot captureChannels(const ChannelContext& s)
{
    ChannelSnapshot snap;
    const int rows = rowCount(s);
    snap.rows.resize(static_cast<size_t>(rows) + 1);
    for (int n = 1; n <= rows; ++n)
        snap.rows[static_cast<size_t>(n)] = captureRow(s, n);
    const int cols = colCount(s);
    snap.defaults.resize(static_cast<size_t>(cols) + 1);
    for (int c = 1; c <= cols; ++c)
        snap.defaults[static_cast<size_t>(c)] = s.settings.ColInfo[static_cast<size_t>(c)][2];
    snap.curRow = s.grid.curRow;
    snap.curCol = s.grid.curCol;
    return snap;
}

ChannelChange diffChannels(const ChannelSnapshot& before, const ChannelSnapshot& after)
{
    ChannelChange ch;
    const size_t rows = std::min(before.rows.size(), after.rows.size());
    for (size_t n = 1; n < rows; ++n) {
        const ChannelRowState& b = before.rows[n];
        const ChannelRowState& a = after.rows[n];
        if (b == a)
            continue;
        ChannelRowState unmarked = a;
        unmarked.fields[0] = b.fields[0];
        ch.rows.push_back({static_cast<int>(n), b, a, unmarked == b});
    }
    const size_t cols = std::min(before.defaults.size(), after.defaults.size());
    for (size_t c = 1; c < cols; ++c) {
        if (before.defaults[c] != after.defaults[c])
            ch.defaults.push_back({static_cast<int>(c), before.defaults[c], after.defaults[c]});
    }
    ch.curRowBefore = before.curRow;
    ch.curColBefore = before.curCol;
    ch.curRowAfter = after.curRow;
    ch.curColAfter = after.curCol;
    return ch;
}

void restoreChannels(ChannelContext s, const ChannelChange& change, ChangeSide side)
{
    const bool after = side == ChangeSide::After;
    for (const auto& r : change.rows) {
        if (r.row >= 1 && r.row <= kMaxChannels)
            putRow(s, r.row, after ? r.after : r.before);
    }
    if (!change.defaults.empty()) {
        guarded(s.errors, QStringLiteral("frmChMem->ChannelUndo"), [&] {
            const int base = ChInfoKeyBase(s);
            QString why;
            for (const auto& d : change.defaults) {
                if (d.col < 1 || d.col > kMaxColInfoCols)
                    continue;
                const QString& v = after ? d.after : d.before;
                s.settings.ColInfo[static_cast<size_t>(d.col)][2] = v;
                QString failed;
                if (!s.settings.profile.write(QStringLiteral("ChInfo"), QString::number(base + 200 + (d.col - 1) * 50 + 2), v,
                                              &failed) &&
                    why.isEmpty())
                    why = failed.isEmpty() ? QStringLiteral("not written") : failed;
            }
            if (!why.isEmpty())
                throw QmError(75, QStringLiteral("write settings file"), s.settings.profile.path() + QStringLiteral(" [ChInfo]"),
                              why);
        });
    }
    s.grid.curRow = after ? change.curRowAfter : change.curRowBefore;
    s.grid.curCol = after ? change.curColAfter : change.curColBefore;
}

} // namespace qm
