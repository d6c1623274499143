// Texts of the windows that the UI text table does not have (they belong to
// this program, not to the radio program's table): Simplified Chinese under
// language 1, English otherwise.
#pragma once

#include "settings/Settings.h"

#include <QString>

namespace qm {

inline bool chineseUi(const Settings& s)
{
    return s.Language == 1;
}

inline QString winText(const Settings& s, const char* english, const char* chinese)
{
    return chineseUi(s) ? QString::fromUtf8(chinese) : QString::fromUtf8(english);
}

} // namespace qm
