#include "desktop/uiScreenshot.h"

#include "desktop/frmAboutSoft.h"
#include "desktop/frmChMem.h"
#include "desktop/frmCommun.h"
#include "desktop/frmMemDat.h"
#include "desktop/frmPartFill.h"
#include "desktop/frmRadioInfo.h"
#include "desktop/frmSysSet.h"
#include "desktop/frmToolCom.h"
#include "desktop/mdifrmMain.h"

#include <QDockWidget>
#include <QPixmap>
#include <QSaveFile>

#include <functional>

namespace qm {

namespace {

struct Target {
    const char* name;
    std::function<QWidget*(mdifrmMain&)> prepare;
};

// A window of the MDI area, shown maximised inside the main window.
QWidget* mdiChild(mdifrmMain& main, QWidget* child)
{
    if (child && main.context().showChild)
        main.context().showChild(child);
    return &main;
}

// A dialog, shown without waiting for it.
QWidget* dialog(QWidget* d)
{
    if (d) {
        d->show();
        d->raise();
    }
    return d;
}

const std::vector<Target>& targets()
{
    static const std::vector<Target> kTargets = {
        {"mdifrmMain", [](mdifrmMain& m) -> QWidget* { return &m; }},
        {"frmRadioInfo", [](mdifrmMain& m) { return mdiChild(m, m.context().w.radioInfo); }},
        {"frmShowErr",
         [](mdifrmMain& m) -> QWidget* {
             m.ShowErr();
             return &m;
         }},
        {"frmAboutSoft", [](mdifrmMain& m) { return dialog(m.context().w.aboutSoft); }},
        {"frmChMem", [](mdifrmMain& m) { return mdiChild(m, m.context().w.chMem); }},
        {"frmSysSet", [](mdifrmMain& m) { return mdiChild(m, m.context().w.sysSet); }},
        {"frmMemDat",
         [](mdifrmMain& m) -> QWidget* {
             if (m.context().w.memDat)
                 m.context().w.memDat->TableFreDat();
             return mdiChild(m, m.context().w.memDat);
         }},
        {"frmCommun",
         [](mdifrmMain& m) -> QWidget* {
             frmCommun* commun = m.context().w.commun;
             if (!commun)
                 return nullptr;
             // The expanded form (frame trace, address ranges, check boxes),
             // which the debug switch opens.
             m.context().s.view.DebugMode = -1;
             commun->setMode(frmCommun::Mode::Read);
             dialog(commun);
             if (!commun->expanded())
                 commun->fraOne_DblClick();
             m.context().s.view.DebugMode = 0;
             return commun;
         }},
        {"frmToolCom", [](mdifrmMain& m) { return dialog(m.context().w.toolCom); }},
        {"frmPartFill", [](mdifrmMain& m) { return dialog(m.context().w.partFill); }},
    };
    return kTargets;
}

} // namespace

QStringList screenshotWindowNames()
{
    QStringList names;
    for (const Target& t : targets())
        names << QString::fromLatin1(t.name);
    return names;
}

QWidget* prepareScreenshot(mdifrmMain& main, const QString& name)
{
    for (const Target& t : targets())
        if (name == QLatin1String(t.name))
            return t.prepare(main);
    return nullptr;
}

bool saveScreenshot(QWidget& widget, const QString& file, QString* error)
{
    const QPixmap shot = widget.grab();
    QSaveFile out(file);
    if (shot.isNull()) {
        *error = QStringLiteral("the window has no picture to capture");
        return false;
    }
    if (!out.open(QIODevice::WriteOnly)) {
        *error = out.errorString();
        return false;
    }
    if (!shot.save(&out, "PNG")) {
        *error = out.error() != QFileDevice::NoError ? out.errorString() : QStringLiteral("PNG encoding failed");
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        *error = out.errorString();
        return false;
    }
    return true;
}

} // namespace qm
