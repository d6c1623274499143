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
