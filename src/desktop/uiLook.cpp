#include "desktop/uiLook.h"

#include "settings/Settings.h"
#include "settings/SoftFaceTexts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace qm {

int twipsToPx(int twips, const QWidget* w)
{
    qreal dpi = 96.0;
    if (w && w->screen())
        dpi = w->screen()->logicalDotsPerInch();
    else if (QGuiApplication::primaryScreen())
        dpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
    if (dpi <= 0)
        dpi = 96.0;
    const int px = static_cast<int>(std::lround(twips * dpi / 1440.0));
    return twips > 0 ? std::max(px, 1) : px;
}

namespace {

bool looksChinese(const QString& name)
{
    for (const QChar c : name)
        if (c.unicode() >= 0x3400 && c.unicode() <= 0x9FFF)
            return true;
    static const QStringList latinNames = {QStringLiteral("SimSun"), QStringLiteral("NSimSun"), QStringLiteral("SimHei"),
                                           QStringLiteral("Microsoft YaHei"), QStringLiteral("MingLiU"),
                                           QStringLiteral("PMingLiU")};
    return latinNames.contains(name, Qt::CaseInsensitive);
}

bool installed(const QString& family)
{
    return !family.isEmpty() && QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

} // namespace

QString resolveFontFamily(const QString& configured, bool cjk)
{
    if (installed(configured))
        return configured;
    if (cjk || looksChinese(configured)) {
        static const QStringList cjkFamilies = {
            QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),  QStringLiteral("Noto Sans SC"),
            QStringLiteral("Source Han Sans SC"),  QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Droid Sans Fallback"),
            QStringLiteral("AR PL UMing CN"),      QStringLiteral("SimSun"),            QStringLiteral("Microsoft YaHei"),
            QStringLiteral("PingFang SC"),
        };
        for (const QString& f : cjkFamilies)
            if (installed(f))
                return f;
        // No family by name: ask the database for any family with Chinese glyphs.
        const QStringList withHan = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
        if (!withHan.isEmpty())
            return withHan.constFirst();
    }
    return QApplication::font().family();
}

QFont uiFont(const QString& configured, bool cjk, int pointSize)
{
    QFont f(resolveFontFamily(configured, cjk));
    f.setPointSize(pointSize);
    return f;
}

QFont uiFont(const Settings& st, int pointSize)
{
    return uiFont(st.UiFont, chineseUi(st), pointSize);
}

QString captionWithoutAccelerator(const QString& caption)
{
    QString out;
    out.reserve(caption.size());
    for (int i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            // "&&" is a literal ampersand; a single "&" only marks the next letter.
            if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) {
                out += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        out += caption[i];
    }
    return out;
}

void nameControl(QWidget* w, const QString& objectName, const QString& caption)
{
    w->setObjectName(objectName);
    if (!caption.isEmpty())
        w->setAccessibleName(captionWithoutAccelerator(caption));
}

} // namespace qm
