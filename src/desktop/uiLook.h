// Sizes and fonts of the windows. The radio program gives every length in
// twips (1/1440 inch); 15 twips are one pixel at 96 dpi, and lengths scale
// with the screen's logical dpi so the windows keep their proportions on a
// high-dpi screen. The UI font is the settings' ChsFont (Chinese) or EngFont;
// when the named family is not installed (宋体 on Linux, say) a CJK-capable
// family stands in, so Chinese text never shows as boxes.
#pragma once

#include <QFont>
#include <QString>

class QWidget;

namespace qm {

struct Settings;

// Twips -> device-independent pixels at the logical dpi of w's screen (the
// primary screen when w is null). Rounds to the nearest pixel, at least 1 for
// a positive length.
int twipsToPx(int twips, const QWidget* w = nullptr);

// The installed family to use for a configured font name: the name itself
// when installed; else, for a Chinese font name (宋体, 黑体, SimSun, ...) or
// when cjk is true, the first installed CJK family; else the application's
// default family.
QString resolveFontFamily(const QString& configured, bool cjk);

// The UI font: family resolved as above, at pointSize (9 pt by default, the
// size the program's windows were designed for).
QFont uiFont(const QString& configured, bool cjk, int pointSize = 9);

// The windows' font: the configured UiFont, a CJK family under Simplified
// Chinese (language 1).
QFont uiFont(const Settings& st, int pointSize = 9);

// Sets object name and accessible name of a control in one go: the object
// name is the control's name in the program, the accessible name its caption
// without the "&" that marks the keyboard accelerator ("&File" -> "File").
void nameControl(QWidget* w, const QString& objectName, const QString& caption = QString());
QString captionWithoutAccelerator(const QString& caption);

} // namespace qm
