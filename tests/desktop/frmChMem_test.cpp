// The channel window driven like a user drives it: typing into cells, the
// keys of the grid, clicks and double-clicks, the popup menu, the lock, undo
// and redo, the clipboard, printing. Assertions look at what the grid shows
// and at the channel table underneath.
#include "channels/ChannelTestSupport.h"

#include "channels/ChannelSnapshot.h"
#include "channels/modChEdit.h"
#include "channels/modChGrid.h"
#include "desktop/DesktopContext.h"
#include "desktop/frmChMem.h"
#include "desktop/uiChannelGrid.h"
#include "desktop/uiLook.h"
#include "image/modIicDat.h"
#include "settings/SoftFaceTexts.h"
#include "shell/DocumentViews.h"

#include "support/DeliveredHome.h"
#include "support/ScriptedUi.h"
#include "support/TestHome.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelection>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <tuple>

using namespace qm;
using namespace qmtest;

namespace {

constexpr uint32_t kDef = 0x000000;
constexpr uint32_t kOver = 0x0000FF;
const QColor kMarked(230, 230, 240); // the row an empty-row click opened

class ChannelWindow : public ::testing::Test {
protected:
    ChannelState cs{true, 100};
    AppState& s = cs.s();
    ScriptedUi ui;
    DesktopContext ctx{s, ui};
    std::unique_ptr<frmChMem> w;
    ChannelGridView* view = nullptr;

    void SetUp() override
    {
        InitSoftFaceStr(s.settings);
        ChInfoSaveSol(s, 1); // an erased image: every row empty
        ShowChTblGrid(s);
        s.grid.notify();
        w = std::make_unique<frmChMem>(ctx);
        w->resize(1100, 700);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        view = w->grid();
        ASSERT_NE(view, nullptr);
        view->setFocus();
    }

    QModelIndex cell(int r, int c) const { return view->model()->index(r - 1, c - 1); }
    QString shown(int r, int c) const { return cell(r, c).data().toString(); }
    // The texts of cells first..last of row r.
    QStringList shownRow(int r, int first = 1, int last = 11) const
    {
        QStringList t;
        for (int c = first; c <= last; ++c)
            t << shown(r, c);
        return t;
    }
    QColor background(int r, int c) const { return cell(r, c).data(Qt::BackgroundRole).value<QColor>(); }
    std::pair<int, int> cursor() const { return {view->currentIndex().row() + 1, view->currentIndex().column() + 1}; }
    QPoint at(int r, int c)
    {
        view->scrollTo(cell(r, c));
        return view->visualRect(cell(r, c)).center();
    }
    void click(int r, int c) { QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at(r, c)); }
    void doubleClick(int r, int c)
    {
        const QPoint p = at(r, c);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, p);
        QApplication::processEvents();
    }
    void select(int r, int c)
    {
        // Not view->setCurrentIndex: that reads the keyboard modifiers of the
        // last input event, and a Ctrl left over from an earlier test in the
        // same process would add the cell to the old selection.
        view->selectionModel()->setCurrentIndex(cell(r, c), QItemSelectionModel::ClearAndSelect);
        view->setFocus();
    }
    // The rectangle (r1, c1)..(r2, c2) selected with (r1, c1) current, as a shift-click does.
    void selectRange(int r1, int c1, int r2, int c2)
    {
        view->setCurrentIndex(cell(r1, c1));
        view->selectionModel()->select(QItemSelection(cell(r1, c1), cell(r2, c2)), QItemSelectionModel::ClearAndSelect);
        view->setFocus();
    }
    void key(int k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(view, static_cast<Qt::Key>(k), m); }
    void undo() { key(Qt::Key_Z, Qt::ControlModifier); }

    // The open in-cell editor, or null.
    QWidget* editor() const
    {
        for (QWidget* e : view->viewport()->findChildren<QWidget*>()) {
            const QString n = e->objectName();
            if ((n == QLatin1String("vsfgGridChText") || n == QLatin1String("vsfgGridChList")) && e->isVisible())
                return e;
        }
        return nullptr;
    }
    QString editorText() const // of the open text editor
    {
        auto* le = qobject_cast<QLineEdit*>(editor());
        return le ? le->text() : QStringLiteral("<no text editor>");
    }
    void finishEdit(int k, Qt::KeyboardModifiers m = {})
    {
        QWidget* e = editor();
        ASSERT_NE(e, nullptr);
        QTest::keyClick(e, static_cast<Qt::Key>(k), m);
        QApplication::processEvents(); // the delegate commits through a queued call
    }

    // Types text into cell (r, c) as a user does: the first key starts the
    // edit, `done` (Enter) completes it. An empty text is the Delete key.
    void type(int r, int c, const QString& text, int done = Qt::Key_Return)
    {
        select(r, c);
        if (text.isEmpty()) {
            key(Qt::Key_Delete);
            return;
        }
        QTest::keyClick(view, text[0].toLatin1());
        QWidget* e = editor();
        ASSERT_NE(e, nullptr) << "no editor at " << r << "," << c;
        QTest::keyClicks(e, text.mid(1));
        finishEdit(done);
    }

    QMenu* menu() const { return w->popupMenu(); }
    QAction* action(const char* name) const { return menu()->findChild<QAction*>(QLatin1String(name)); }
    // A right-click on cell (r, c).
    void rightClick(int r, int c)
    {
        menu()->hide();
        const QPoint p = at(r, c);
        QContextMenuEvent ev(QContextMenuEvent::Mouse, p, view->viewport()->mapToGlobal(p));
        QApplication::sendEvent(view->viewport(), &ev);
    }
    void choose(const char* name)
    {
        ASSERT_TRUE(menu()->isVisible());
        QAction* a = action(name);
        ASSERT_TRUE(a && a->isEnabled()) << name;
        a->trigger();
        menu()->hide();
    }
    // Which of the channel commands the open popup offers.
    std::vector<bool> offered() const
    {
        std::vector<bool> on;
        for (const char* name : {"mnuOpenCh", "mnuSaveDef", "mnuDelOne", "mnuDelAll"})
            on.push_back(action(name)->isEnabled());
        return on;
    }

    void lock(bool on)
    {
        s.view.ChLockState = on ? QStringLiteral("ShowLock") : QStringLiteral("ShowNo");
        w->setLocked(on);
    }
    QString setting(const char* k) const { return s.settings.profile.read(QStringLiteral("ChInfo"), QLatin1String(k), QString(), 100); }
    static bool same(const ChannelSnapshot& a, const ChannelSnapshot& b) { return a.rows == b.rows && a.defaults == b.defaults; }
};

} // namespace

TEST_F(ChannelWindow, ShowsTheGridAsTheSettingsDefineIt)
{
    auto* frame = w->findChild<QGroupBox*>(QStringLiteral("fraMain"));
    auto* print = w->findChild<QPushButton*>(QStringLiteral("cmdPrintChannel"));
    ASSERT_TRUE(frame && print);
    EXPECT_EQ((QStringList{w->windowTitle(), frame->title(), print->text(), view->objectName()}),
              (QStringList{"Channel Info", "Channel Info", "Print Chananel Data", "vsfgGridCh"}));

    const QAbstractItemModel* m = view->model();
    ASSERT_EQ(std::make_pair(m->rowCount(), m->columnCount()), std::make_pair(100, 11));
    const QStringList captions = kChInfoCaptions.split(QLatin1Char('|'));
    for (int c = 1; c <= 11; ++c) {
        EXPECT_EQ(m->headerData(c - 1, Qt::Horizontal).toString(), captions[c]);
        // The configured width, wider only where a caption or value would be
        // cut off; "Power" and "BCL" have room enough.
        const int width = view->columnWidth(c - 1), configured = twipsToPx(1000 + 10 * c, view);
        EXPECT_TRUE(c == 5 || c == 8 ? width == configured : width >= configured) << c << ": " << width;
    }
    EXPECT_EQ((QStringList{m->headerData(0, Qt::Vertical).toString(), m->headerData(98, Qt::Vertical).toString(),
                           m->headerData(99, Qt::Vertical).toString()}),
              (QStringList{"1", "99", "VFO"}));
    EXPECT_FALSE(view->horizontalHeader()->sectionsClickable());
    EXPECT_EQ(view->font().pointSize(), 10);
    EXPECT_GE(view->rowHeight(0), twipsToPx(240, view));
    EXPECT_EQ(view->rowHeight(0), view->rowHeight(99));
    EXPECT_EQ(cell(1, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::Alignment(Qt::AlignCenter));
    EXPECT_EQ(view->palette().color(QPalette::Base), QColor(247, 247, 247)); // the empty area
    EXPECT_EQ(background(1, 1), QColor(Qt::white));

    // Closing only hides the window.
    EXPECT_FALSE(w->close());
    EXPECT_TRUE(w->isHidden());
}

// Channels typed in from the keyboard: every kind of cell, where the cursor
// goes next, the keys of a spreadsheet, the list editor, and the cells an
// edit may not open.
TEST_F(ChannelWindow, EnteringChannelsWithTheKeyboard)
{
    // typed: "" = the Delete key; stored: field c afterwards; cur: the cursor afterwards.
    // The entry rules' cases are in the channel model's tests; here one of
    // each kind of cell, the colour shown and where the cursor goes.
    const struct { int r, c; const char* typed; int32_t stored; const char* text; uint32_t colour; int curR, curC; } cases[] = {
        {5, 1, "462.5625", 46256250, "462.5625", kDef, 5, 2}, // an empty row becomes a channel
        {7, 1, "440", 44000000, "440", kDef, 7, 2},
        {8, 1, "480", 48000000, "480", kOver, 8, 2},          // outside the band
        {5, 2, "467.5625", 46756250, "467.5625", kDef, 5, 3}, // transmit: on to the decode signalling
        {5, 3, "D", 51, "D023N", kDef, 6, 3},                 // a letter jumps in the list; Enter goes down
        {5, 1, "", -1, "", kDef, 5, 1},                       // Delete on the receive frequency empties the row
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(std::string(k.typed) + " at " + std::to_string(k.r) + "," + std::to_string(k.c));
        type(k.r, k.c, QLatin1String(k.typed));
        EXPECT_EQ(s.doc.ChData[k.r][k.c], k.stored);
        EXPECT_EQ(std::make_tuple(shown(k.r, k.c), s.grid.color[k.r][k.c], cell(k.r, k.c).data(Qt::ForegroundRole).value<QColor>()),
                  std::make_tuple(QString::fromLatin1(k.text), k.colour, colorFromBgr(k.colour)));
        EXPECT_EQ(std::make_tuple(cursor(), editor()), std::make_tuple(std::make_pair(k.curR, k.curC), static_cast<QWidget*>(nullptr)));
    }
    EXPECT_EQ(shownRow(5), QStringList(11, QString())); // the whole emptied row is repainted

    // A frequency cell takes digits and one point only; Escape changes nothing.
    select(7, 1);
    QTest::keyClick(view, '4');
    QTest::keyClicks(editor(), QStringLiteral("6x2,.5.5"));
    EXPECT_EQ(editorText(), QStringLiteral("462.55"));
    finishEdit(Qt::Key_Escape);
    EXPECT_EQ(shown(7, 1), QStringLiteral("440"));

    // The cursor keys move as in a spreadsheet, without opening an editor.
    select(7, 5);
    const struct { int key; Qt::KeyboardModifiers mods; int r, c; } moves[] = {
        {Qt::Key_Right, {}, 7, 6},  {Qt::Key_Left, {}, 7, 5},  {Qt::Key_Down, {}, 8, 5},
        {Qt::Key_Up, {}, 7, 5},     {Qt::Key_Tab, {}, 7, 6},   {Qt::Key_Backtab, Qt::ShiftModifier, 7, 5},
        {Qt::Key_Return, {}, 8, 5}, {Qt::Key_Return, Qt::ShiftModifier, 7, 5},
    };
    for (const auto& m : moves) {
        key(m.key, m.mods);
        EXPECT_EQ(cursor(), std::make_pair(m.r, m.c)) << "key " << m.key;
    }
    EXPECT_EQ(editor(), nullptr);
    type(7, 10, QStringLiteral("O"), Qt::Key_Tab); // Tab completes an edit and goes on
    EXPECT_EQ(cursor(), std::make_pair(7, 11));
    EXPECT_EQ(shown(7, 10), QStringLiteral("On"));

    // F2 on a list cell opens the list on the current value; a choice in the
    // list completes the edit; Escape in a list leaves the cell as it was.
    select(7, 3);
    key(Qt::Key_F2);
    QApplication::processEvents();
    auto* list = qobject_cast<QComboBox*>(editor());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->count(), 261);
    EXPECT_EQ(list->currentText(), QStringLiteral("None"));
    ASSERT_TRUE(list->view()->isVisible());
    QTest::keyClick(list->view(), Qt::Key_Down);
    QTest::keyClick(list->view(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(std::make_pair(shown(7, 3), s.doc.ChData[7][3]), std::make_pair(QStringLiteral("67.0"), 1));
    EXPECT_EQ(cursor(), std::make_pair(7, 3));
    type(8, 3, QStringLiteral("D"), Qt::Key_Escape);
    EXPECT_EQ(std::make_pair(shown(8, 3), s.doc.ChData[8][3]), std::make_pair(QStringLiteral("None"), 0));

    // An empty row opens only its receive frequency; a channel without a
    // transmit frequency has no encode signalling.
    for (int c = 2; c <= 11; ++c) {
        EXPECT_FALSE(cell(9, c).flags() & Qt::ItemIsEditable) << c;
        select(9, c);
        key(Qt::Key_F2);
        QTest::keyClick(view, '4');
        EXPECT_EQ(editor(), nullptr) << c;
    }
    select(8, 4);
    key(Qt::Key_F2);
    EXPECT_EQ(editor(), nullptr);
    select(9, 1);
    key(Qt::Key_F2);
    EXPECT_NE(editor(), nullptr);
    finishEdit(Qt::Key_Escape);
    EXPECT_EQ(reportCount(s), 0);
}

// Clicks and double-clicks: an empty row opens on a click; a double-click
// copies the other frequency or signalling, cycles an option and proposes a name.
TEST_F(ChannelWindow, EditingWithTheMouse)
{
    type(8, 1, QStringLiteral("440"));
    const int steps = ctx.undo.count();
    click(12, 7); // anywhere on an empty row: its receive frequency opens, the row is marked
    EXPECT_EQ(cursor(), std::make_pair(12, 1));
    EXPECT_NE(editor(), nullptr);
    EXPECT_EQ(background(12, 4), kMarked);
    finishEdit(Qt::Key_Escape);
    click(8, 3); // the mark follows the click; a channel opens nothing
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(std::make_pair(background(12, 4), background(8, 4)), std::make_pair(QColor(Qt::white), kMarked));
    EXPECT_EQ(s.doc.ChData[12][1], -1);
    EXPECT_EQ(ctx.undo.count(), steps);

    type(3, 1, QStringLiteral("480"));
    type(3, 3, QStringLiteral("D")); // D023N
    select(3, 2);
    doubleClick(3, 2); // simplex: transmit = receive, encode = decode
    QTest::qWait(QApplication::doubleClickInterval() + 100); // no late edit from the first click
    EXPECT_EQ(s.doc.ChData[3][2], 48000000);
    EXPECT_EQ(shownRow(3, 2, 4), (QStringList{"480", "D023N", "D023N"}));
    EXPECT_EQ(s.grid.color[3][2], kOver);
    EXPECT_EQ(editor(), nullptr);

    type(3, 4, QStringLiteral("6")); // 67.0
    doubleClick(3, 3);               // decode = encode
    EXPECT_EQ(std::make_pair(shown(3, 3), s.doc.ChData[3][3]), std::make_pair(QStringLiteral("67.0"), 1));
    doubleClick(3, 8); // an option goes on to its next value
    EXPECT_EQ(std::make_pair(shown(3, 8), s.doc.ChData[3][8]), std::make_pair(QStringLiteral("Carrier"), 1));

    // The empty name cell proposes " CH-07"; the name is stored when the edit
    // completes, and Escape leaves no name.
    type(7, 1, QStringLiteral("440"));
    doubleClick(7, 11);
    EXPECT_EQ(editorText(), QStringLiteral(" CH-07"));
    finishEdit(Qt::Key_Return);
    EXPECT_EQ(std::make_pair(shown(7, 11), int(s.doc.ChNameCode[7][1])), std::make_pair(QStringLiteral(" CH-07"), 38));
    type(9, 1, QStringLiteral("440"));
    doubleClick(9, 11);
    finishEdit(Qt::Key_Escape);
    EXPECT_EQ(std::make_pair(shown(9, 11), int(s.doc.ChNameCode[9][1])), std::make_pair(QString(), 255));

    doubleClick(3, 1); // nothing to copy on a frequency: its editor opens
    EXPECT_EQ(editorText(), QStringLiteral("480"));
    finishEdit(Qt::Key_Escape);
    EXPECT_EQ(reportCount(s), 0);
}

// The popup menu's commands, the lock it switches on, and what the lock refuses.
TEST_F(ChannelWindow, PopupCommandsAndTheLock)
{
    bool isLocked = false;
    ctx.lockCommand = [&] { // the main window's lock command
        isLocked = !isLocked;
        lock(isLocked);
    };
    ctx.lockCommandVisible = [] { return true; };

    // No menu on the caption row or the label column.
    w->showPopup(0, 3, QPoint(10, 10));
    w->showPopup(3, 0, QPoint(10, 10));
    for (QHeaderView* header : {view->horizontalHeader(), view->verticalHeader()}) {
        const QPoint p(header->width() / 3, header->height() / 3);
        QContextMenuEvent ev(QContextMenuEvent::Mouse, p, header->mapToGlobal(p));
        QApplication::sendEvent(header, &ev);
    }
    EXPECT_FALSE(menu()->isVisible());

    rightClick(5, 2); // an empty row: open, or delete all
    ASSERT_TRUE(menu()->isVisible());
    EXPECT_EQ(w->PopupCh(), 5);
    EXPECT_EQ(action("mnuOpenCh")->text(), QStringLiteral("Open channel 5"));
    EXPECT_EQ(action("mnuDelOne")->text(), QStringLiteral("Delete channel 5"));
    EXPECT_EQ(offered(), (std::vector<bool>{true, false, false, true}));
    EXPECT_TRUE(action("mnuPopChLock")->isVisible());
    EXPECT_FALSE(action("mnuPopChLock")->isChecked());
    choose("mnuOpenCh");
    EXPECT_EQ(std::make_pair(shown(5, 1), shown(5, 11)), std::make_pair(QStringLiteral("440"), QStringLiteral(" CH-05")));
    EXPECT_EQ(cursor(), std::make_pair(5, 1));

    // From the keyboard: the popup key opens the menu for the current cell.
    select(5, 3);
    key(Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_TRUE(menu()->isVisible());
    EXPECT_EQ(offered(), (std::vector<bool>{false, true, true, true}));
    menu()->hide();

    // Save as default; the VFO row cannot be deleted; Delete all keeps it.
    type(5, 1, QStringLiteral("462.5625"));
    rightClick(5, 1);
    choose("mnuSaveDef");
    EXPECT_EQ(setting("3202"), QStringLiteral("46256250"));
    type(9, 1, QStringLiteral("440"));
    type(100, 1, QStringLiteral("440"));
    rightClick(100, 3);
    EXPECT_FALSE(action("mnuDelOne")->isEnabled());
    rightClick(9, 3);
    choose("mnuDelOne");
    EXPECT_EQ(std::make_pair(s.doc.ChData[9][1], shown(9, 1)), std::make_pair(-1, QString()));
    rightClick(5, 3);
    choose("mnuDelAll");
    EXPECT_EQ(std::make_pair(shown(5, 1), shown(100, 1)), std::make_pair(QString(), QStringLiteral("440")));

    // The lock entry runs the main window's lock command. Locked, no click,
    // key, menu or undo changes the table, and the selection is dimmed.
    type(3, 1, QStringLiteral("440"));
    rightClick(100, 3);
    choose("mnuPopChLock");
    EXPECT_TRUE(isLocked && ChannelLocked(s));
    const ChannelSnapshot before = captureChannels(s);
    const int undoIndex = ctx.undo.index();
    // (Each command's own refusal is in the channel model's tests.)
    click(9, 4); // empty row: no entry opens
    EXPECT_EQ(editor(), nullptr);
    doubleClick(3, 8);
    select(3, 1);
    key(Qt::Key_F2);
    QTest::keyClick(view, '4');
    EXPECT_EQ(editor(), nullptr);
    key(Qt::Key_Delete);
    undo();
    EXPECT_TRUE(same(captureChannels(s), before));
    EXPECT_EQ(ctx.undo.index(), undoIndex);
    EXPECT_EQ(view->palette().color(QPalette::Highlight), QColor(247, 247, 247));
    rightClick(3, 2);
    ASSERT_TRUE(menu()->isVisible());
    EXPECT_EQ(offered(), std::vector<bool>(4, false));
    EXPECT_TRUE(action("mnuPopChLock")->isVisible() && action("mnuPopChLock")->isChecked());
    choose("mnuPopChLock"); // unlocked again: editing works, the selection has its colour
    EXPECT_FALSE(isLocked || ChannelLocked(s));
    EXPECT_EQ(view->palette().color(QPalette::Highlight), ChannelGridView::selectionColor());

    // Locking drops an edit in progress.
    select(3, 1);
    QTest::keyClick(view, '4');
    ASSERT_NE(editor(), nullptr);
    lock(true);
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(shown(3, 1), QStringLiteral("440"));
    lock(false);
    type(3, 1, QStringLiteral("450"));
    EXPECT_EQ(s.doc.ChData[3][1], 45000000);
    EXPECT_EQ(reportCount(s), 0);
}

TEST_F(ChannelWindow, UndoAndRedoOfEveryKindOfChange)
{
    QSignalSpy resets(view->model(), &QAbstractItemModel::modelReset);
    QSignalSpy cells(view->model(), &QAbstractItemModel::dataChanged);
    type(10, 1, QStringLiteral("440")); // the channels the changes below work on
    // An edit repaints its row only; only a new table resets the view.
    EXPECT_EQ(resets.count(), 0);
    ASSERT_GE(cells.count(), 1);
    EXPECT_EQ(std::make_pair(cells.last().at(0).value<QModelIndex>().row(), cells.last().at(1).value<QModelIndex>().row()),
              std::make_pair(9, 9));
    type(12, 1, QStringLiteral("446"));
    const struct {
        const char* name;
        std::function<void()> act;
    } changes[] = {
        {"receive entry", [&] { type(11, 1, QStringLiteral("462.5625")); }},
        {"transmit entry", [&] { type(10, 2, QStringLiteral("467.5625")); }},
        {"list choice", [&] { type(10, 3, QStringLiteral("D")); }},
        {"double-click option", [&] { doubleClick(10, 8); }},
        {"double-click name", [&] { doubleClick(12, 11); finishEdit(Qt::Key_Return); }},
        {"Delete key", [&] { type(10, 2, QString()); }},
        {"open channel", [&] { rightClick(13, 1); choose("mnuOpenCh"); }},
        {"save as default", [&] { rightClick(12, 1); choose("mnuSaveDef"); }},
        {"delete channel", [&] { rightClick(10, 1); choose("mnuDelOne"); }},
        {"delete all", [&] { rightClick(12, 1); choose("mnuDelAll"); }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.name);
        const ChannelSnapshot before = captureChannels(s);
        const QString defaultKey = setting("3202");
        const int count = ctx.undo.count();
        c.act();
        const ChannelSnapshot after = captureChannels(s);
        ASSERT_FALSE(same(before, after));
        EXPECT_EQ(ctx.undo.count(), count + 1); // one step per change
        const QString changedKey = setting("3202");

        undo();
        EXPECT_TRUE(same(captureChannels(s), before));
        EXPECT_EQ(setting("3202"), defaultKey);
        for (const auto& row : diffChannels(before, after).rows)
            EXPECT_EQ(shown(row.row, 1), before.rows[row.row].text[1]); // the view shows it too
        key(Qt::Key_Y, Qt::ControlModifier);
        EXPECT_TRUE(same(captureChannels(s), after));
        undo();
        key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_TRUE(same(captureChannels(s), after));
        EXPECT_EQ(setting("3202"), changedKey);
    }
    // A new image clears the stack and resets the view.
    const int resetsBefore = resets.count();
    SoftDisplay(s);
    EXPECT_EQ(ctx.undo.count(), 0);
    EXPECT_EQ(resets.count(), resetsBefore + 1);
    EXPECT_EQ(reportCount(s), 0);
}

namespace {

// Runs a poppler tool on a PDF; false when it is not installed or fails.
bool poppler(const QString& tool, QStringList args, const QString& pdf, QString* out)
{
    const QString exe = QStandardPaths::findExecutable(tool);
    if (exe.isEmpty())
        return false;
    QProcess p;
    args << pdf;
    if (tool == QLatin1String("pdftotext"))
        args << QStringLiteral("-"); // the text to standard output
    p.start(exe, args);
    if (!p.waitForFinished(30000))
        return false;
    *out = QString::fromUtf8(p.readAllStandardOutput());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

TEST_F(ChannelWindow, PrintsTheWholeGridToAPdfWhenThereIsNoPrinter)
{
    // A data folder that cannot be made (home is a file): listed and shown.
    const QString home = s.settings.home;
    ASSERT_TRUE(writeFile(home + QStringLiteral("/not-a-folder"), "x"));
    s.settings.home = home + QStringLiteral("/not-a-folder");
    w->setPrintToFile(true);
    w->PrintChGrid();
    EXPECT_FALSE(w->lastPrintOutcome().ok);
    EXPECT_EQ(reportsAt(s, QStringLiteral("modChMem->PrintChGrid"), 482), 1);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(std::make_pair(ui.shown[0].prompt, ui.shown[0].title), std::make_pair(QStringLiteral("Print occur error!"), QStringLiteral("Notice")));
    s.settings.home = home;
    ui.shown.clear();

    // Row r receives at 400 + r/2 MHz: every row has a text no other row has.
    for (int r = 1; r <= 100; ++r)
        GridAfterEdit(s, r, 1, QString::number(400 + r * 0.5, 'f', 1));
    GridAfterEdit(s, 100, 1, QStringLiteral("480")); // out of band
    s.grid.notify();
    s.view.setStatus(1, QStringLiteral("Ready"));
    QStringList panel1; // what status panel 1 showed meanwhile
    const auto watch = QObject::connect(&s.view, &ViewState::statusPanelChanged, [&](int p) {
        if (p == 1)
            panel1 << s.view.statusPanel[1];
    });
    QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("cmdPrintChannel")), Qt::LeftButton);
    QObject::disconnect(watch);

    const PrintOutcome& out = w->lastPrintOutcome();
    ASSERT_TRUE(out.ok) << out.error.toStdString();
    EXPECT_TRUE(out.toPdf);
    EXPECT_TRUE(out.pdfPath.startsWith(dataFolder(s.settings) + QLatin1Char('/')));
    ASSERT_EQ(ui.shown.size(), 1u); // the user is told where the pages went
    EXPECT_TRUE(ui.shown[0].prompt.contains(out.pdfPath));
    EXPECT_EQ(panel1, (QStringList{QStringLiteral("Printing，Please wait..."), QStringLiteral("Ready")}));

    QString info, text, boxes;
    if (!poppler(QStringLiteral("pdfinfo"), {}, out.pdfPath, &info) ||
        !poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout")}, out.pdfPath, &text))
        GTEST_SKIP() << "pdfinfo/pdftotext (poppler-utils) are not installed: the PDF's content is not checked";
    EXPECT_TRUE(info.contains(QStringLiteral("Page size:")) && info.contains(QStringLiteral("A4")));
    EXPECT_TRUE(info.contains(QStringLiteral("Title:")) && info.contains(QStringLiteral("QM570")));
    const QRegularExpressionMatch pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    ASSERT_TRUE(pages.hasMatch());
    const int pageCount = pages.captured(1).toInt();
    EXPECT_EQ(pageCount, out.pages);
    EXPECT_GT(pageCount, 1); // 100 rows at 10 points do not fit one A4 page
    const QStringList pageTexts = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_EQ(pageTexts.size(), pageCount);
    for (int p = 0; p < pageCount; ++p) {
        EXPECT_TRUE(pageTexts[p].contains(QStringLiteral("RX Freq"))) << "captions on page " << p + 1;
        EXPECT_TRUE(pageTexts[p].contains(QStringLiteral("%1/%2").arg(p + 1).arg(pageCount)));
    }
    const QStringList words = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    for (int r = 1; r < 100; ++r)
        EXPECT_EQ(words.count(QString::number(400 + r * 0.5)), 1) << "row " << r;
    EXPECT_EQ(words.count(QStringLiteral("480")), 1);
    EXPECT_EQ(words.count(QStringLiteral("VFO")), 1);

    // No caption runs into its neighbour (a cut-off caption still has its
    // whole width in the PDF's text): the words on the line of "RX", left to right.
    const QStringList firstPage = {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1")};
    ASSERT_TRUE(poppler(QStringLiteral("pdftotext"), firstPage, out.pdfPath, &boxes));
    const QRegularExpression wordBox(QStringLiteral("xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\"[^>]*>([^<]*)</word>"));
    std::vector<std::tuple<double, double, double, QString>> all; // yMin, xMin, xMax, word
    for (auto it = wordBox.globalMatch(boxes); it.hasNext();) {
        const auto m = it.next();
        all.emplace_back(m.captured(2).toDouble(), m.captured(1).toDouble(), m.captured(3).toDouble(), m.captured(4));
    }
    const auto rx = std::find_if(all.begin(), all.end(), [](const auto& b) { return std::get<3>(b) == QLatin1String("RX"); });
    ASSERT_NE(rx, all.end());
    std::vector<std::pair<double, double>> captionRow;
    for (const auto& b : all)
        if (std::abs(std::get<0>(b) - std::get<0>(*rx)) < 0.5)
            captionRow.emplace_back(std::get<1>(b), std::get<2>(b));
    std::sort(captionRow.begin(), captionRow.end());
    ASSERT_EQ(captionRow.size(), 15u); // 12 captions, three of two words
    for (size_t i = 1; i < captionRow.size(); ++i)
        EXPECT_LE(captionRow[i - 1].second, captionRow[i].first) << "caption word " << i;
}

// The window with the delivered data in English and in Chinese: every caption
// and text fits its column.
TEST(ChannelWindowLook, RendersInEnglishAndChinese)
{
    for (int16_t language : {3, 1}) {
        DeliveredHome home;
        QString why;
        if (!home.create(&why))
            GTEST_SKIP() << why.toStdString();
        ProfileFile(home.file(QStringLiteral("Uninstall.exe")))
            .write(QStringLiteral("Setting"), QStringLiteral("Language"), QString::number(language));
        auto s = std::make_unique<AppState>();
        ASSERT_TRUE(startTool(*s, home.path(), &why)) << why.toStdString();
        GridAfterEdit(*s, 3, 1, QStringLiteral("480"));
        GridAfterEdit(*s, 4, 11, QStringLiteral("base-1"));
        s->grid.notify();
        ScriptedUi ui;
        DesktopContext ctx(*s, ui);
        frmChMem w(ctx);
        w.resize(1000, 520);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        const QFontMetrics fm(w.grid()->font());
        const QAbstractItemModel* m = w.grid()->model();
        for (int c = 0; c < m->columnCount(); ++c) {
            const QString caption = m->headerData(c, Qt::Horizontal).toString();
            EXPECT_LE(fm.horizontalAdvance(caption), w.grid()->columnWidth(c)) << caption.toStdString();
            for (int r = 0; r < m->rowCount(); ++r)
                EXPECT_LE(fm.horizontalAdvance(m->index(r, c).data().toString()), w.grid()->columnWidth(c)) << r << "," << c;
        }
        EXPECT_LE(fm.horizontalAdvance(QStringLiteral("VFO")), w.grid()->verticalHeader()->width());
        EXPECT_GE(w.grid()->rowHeight(0), fm.height());
    }
}

// Copy and paste: a range copied as tab-separated text, pasted into empty
// rows as one undo step; spreadsheet text through the grid's rules; an
// editor handing several cells on; too big a clipboard refused.
TEST_F(ChannelWindow, CopyAndPaste)
{
    type(1, 1, QStringLiteral("462.5625"));
    type(1, 2, QStringLiteral("467.5625"));
    type(1, 3, QStringLiteral("D"));
    type(1, 11, QStringLiteral("one"));
    type(2, 1, QStringLiteral("480"));
    type(2, 5, QStringLiteral("L"));
    selectRange(1, 1, 2, 11);

    // The popup's clipboard entries come after the channel commands.
    rightClick(1, 1);
    const QList<QAction*> entries = menu()->actions();
    ASSERT_GE(entries.size(), 3);
    EXPECT_EQ(entries[entries.size() - 3]->objectName(), QStringLiteral("sepPopEdit"));
    EXPECT_EQ(entries[entries.size() - 1]->objectName(), QStringLiteral("mnuPopPaste"));
    choose("mnuPopCopy");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), shownRow(1).join(QLatin1Char('\t')) + QLatin1Char('\n') + shownRow(2).join(QLatin1Char('\t')));

    // Pasted into empty rows: the channels are made as typing them would.
    const ChannelSnapshot before = captureChannels(s);
    int steps = ctx.undo.count();
    select(20, 1);
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(shownRow(20), shownRow(1));
    EXPECT_EQ(shownRow(21), shownRow(2));
    for (int c = 1; c <= 11; ++c)
        EXPECT_EQ(s.grid.color[21][c], s.grid.color[2][c]) << c;
    EXPECT_TRUE(std::equal(s.doc.ChData[20].begin() + 1, s.doc.ChData[20].begin() + 11, s.doc.ChData[1].begin() + 1));
    EXPECT_EQ(s.doc.ChNameCode[20], s.doc.ChNameCode[1]);
    EXPECT_EQ(ctx.undo.count(), steps + 1);
    EXPECT_EQ(cursor(), std::make_pair(20, 1));
    EXPECT_EQ(view->selectionModel()->selectedIndexes().size(), 22);
    EXPECT_TRUE(ui.shown.empty());

    // One undo takes the whole paste back; locked, nothing is pasted.
    undo();
    EXPECT_TRUE(same(captureChannels(s), before));
    EXPECT_EQ(shown(20, 1), QString());
    lock(true);
    select(30, 1);
    w->pasteClipboard();
    EXPECT_TRUE(same(captureChannels(s), before));
    lock(false);
    EXPECT_EQ(reportCount(s), 0);
    ui.shown.clear();

    // As a spreadsheet copies three rows of four columns; the second row's
    // frequency is no number, the third is below 100 MHz.
    QGuiApplication::clipboard()->setText(QStringLiteral("440\t446\td023n\tnone\r\nabc\t\t\t\r\n50\t\t67\t\r\n"));
    steps = ctx.undo.index(); // the undone paste is still counted: the index counts the steps done
    select(30, 1);
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(shownRow(30, 1, 4), (QStringList{"440", "446", "D023N", "None"})); // in the list, whatever the letter case
    EXPECT_EQ(s.doc.ChData[31][1], -1);       // refused: the row stays empty
    EXPECT_EQ(s.doc.ChData[32][1], 44000000); // 50 MHz typed gives the column default
    EXPECT_EQ(shown(32, 3), QStringLiteral("67.0"));
    EXPECT_EQ(ctx.undo.index(), steps + 1);
    // One message names the cell that was refused and why.
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(ui.shown[0].prompt.endsWith(QStringLiteral("\n%1 31: \"abc\" is not a frequency in MHz")
                                                .arg(view->model()->headerData(0, Qt::Horizontal).toString())))
        << ui.shown[0].prompt.toStdString();

    // A text editor that gets several cells hands them to the grid.
    select(40, 1);
    QTest::keyClick(view, '4');
    ASSERT_NE(editor(), nullptr);
    QGuiApplication::clipboard()->setText(QStringLiteral("445\r\n446\r\n"));
    QTest::keyClick(editor(), Qt::Key_V, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(std::make_pair(shown(40, 1), shown(41, 1)), std::make_pair(QStringLiteral("445"), QStringLiteral("446")));

    // A clipboard of a megabyte is no channel table: refused with a message.
    QGuiApplication::clipboard()->setText(QString((1 << 20) + 1, QLatin1Char('4')));
    steps = ctx.undo.count();
    select(42, 1);
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(shown(42, 1), QString());
    EXPECT_EQ(ctx.undo.count(), steps);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_TRUE(ui.shown[1].prompt.startsWith(QStringLiteral("The clipboard holds 1048577 characters"))) << ui.shown[1].prompt.toStdString();
}

TEST_F(ChannelWindow, CtrlEnterSetsOneValueOnEverySelectedChannel)
{
    for (int r : {50, 51, 52})
        type(r, 1, QStringLiteral("440"));
    const ChannelSnapshot before = captureChannels(s);
    const int steps = ctx.undo.count();
    const QString low = s.settings.ColInfo[5][3]; // value 0 of the power column (a new channel has 1)
    selectRange(50, 5, 52, 5);
    QTest::keyClick(view, low[0].toLatin1()); // starts the edit of the current cell
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(view->selectionModel()->selectedIndexes().size(), 3);
    finishEdit(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(editor(), nullptr);
    for (int r : {50, 51, 52})
        EXPECT_EQ(std::make_pair(shown(r, 5), s.doc.ChData[r][5]), std::make_pair(low, 0)) << r;
    EXPECT_EQ(cursor(), std::make_pair(50, 5));
    EXPECT_EQ(ctx.undo.count(), steps + 1);
    undo();
    EXPECT_TRUE(same(captureChannels(s), before));

    // The same for a frequency: each cell through the entry rules (snapped).
    selectRange(50, 2, 52, 2);
    QTest::keyClick(view, '4');
    QTest::keyClicks(editor(), QStringLiteral("46.0063"));
    finishEdit(Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    for (int r : {50, 51, 52})
        EXPECT_EQ(s.doc.ChData[r][2], 44600625) << r;
    EXPECT_EQ(ctx.undo.count(), steps + 1);
    EXPECT_EQ(reportCount(s), 0);
}
