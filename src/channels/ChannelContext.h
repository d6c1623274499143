// What the channel modules work on: the document's channel table, the
// settings (grid definition, signalling and character tables, colours), the
// channel grid's view model, the lock state and the error list. A context is
// a handful of references, passed by value.
#pragma once

#include "diag/modShowErr.h"
#include "image/Document.h"
#include "settings/Settings.h"

#include <QObject>
#include <QString>
#include <array>

namespace qm {

// The channel grid's content as the window shows it: cell texts and text
// colours of rows 0..260 and columns 0..20 (row 0 captions, column 0 labels).
struct ChannelGridData {
    int rows = 1;                // header row + channel rows
    int cols = 1;                // column 0 + data columns
    int rowHeightTwips = 240;
    std::array<std::array<QString, kChFields>, kMaxChannels + 1> text;
    std::array<std::array<uint32_t, kChFields>, kMaxChannels + 1> color{};
    std::array<QString, kChFields> format; // display format per column ("###.#####"...)
    int curRow = 1, curCol = 1;
};

class ChannelGrid : public QObject, public ChannelGridData {
    Q_OBJECT
public:
    explicit ChannelGrid(QObject* parent = nullptr) : QObject(parent) {}
    ChannelGridData& data() { return *this; }
    const ChannelGridData& data() const { return *this; }
    // Tells the channel window to show the whole grid again: the table was
    // replaced (new image, import) or laid out anew.
    void notify() { emit changed(); }
    // Tells the channel window that only the cells of rows first..last
    // changed (an edit, a popup command, an undo): it repaints those rows
    // instead of rebuilding the whole view.
    void notifyRows(int first, int last) { emit rowsChanged(first, last); }

signals:
    void changed();
    void rowsChanged(int first, int last);
};

struct ChannelContext {
    DocumentData& doc;
    Settings& settings;
    ChannelGrid& grid;
    const QString& ChLockState; // "", "ShowLock" or "ShowNo"
    ErrorList& errors;
};

} // namespace qm
