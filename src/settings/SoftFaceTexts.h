// The two text sets of the user interface, as data: Simplified Chinese
// (entries 0..445) and English (entries 0..409). Entry N of a set goes into
// entry N of the UI text table. Entries 136..139 belong to neither set and are
// never filled; every other index of a set is filled, many of them with the
// empty string (reserved slots).
#pragma once

#include <QString>

namespace qm {

enum class TextSet { SimplifiedChinese, English };

// Number of entries a set covers: 446 for Simplified Chinese, 410 for English.
int textSetSize(TextSet set);

// True when the set assigns entry n (false for 136..139 and outside the set).
bool textSetFills(TextSet set, int n);

// Entry n of the set; "" for reserved slots, for 136..139 and outside the set.
QString textSetEntry(TextSet set, int n);

} // namespace qm

namespace qm {

struct Settings;

// Normalises Language (1, 2 or 3; anything else becomes 3, in memory only)
// and fills SoftFaceStr: the Simplified Chinese set (entries 0..445) for 1,
// the English set (entries 0..409) for 3, nothing for 2. Entries 136..139 and
// the entries a set does not cover keep what they held.
void InitSoftFaceStr(Settings& s);

// Text n as a window shows it: entry n of the table, or its English wording
// when the entry is empty. Both sets leave the same entries empty, so this
// only matters under language 2, which has no text set and leaves the whole
// table empty: its windows show English instead of blank captions.
QString SoftFaceText(const Settings& s, int n);

// True when the program speaks Simplified Chinese (language 1).
bool chineseUi(const Settings& s);

// One of this program's own texts, which the UI text table does not have:
// the Simplified Chinese wording under language 1, English otherwise. Both
// are UTF-8.
QString winText(const Settings& s, const char* english, const char* chinese);

} // namespace qm
