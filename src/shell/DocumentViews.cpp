#include "shell/DocumentViews.h"

#include "channels/modChGrid.h"
#include "channels/modChMem.h"
#include "options/modOptView.h"
#include "options/modSysSet.h"

namespace qm {

void SoftDisplay(AppState& s)
{
    guarded(s.errors, QStringLiteral("modChMem->SoftDisplay"), [&] {
        ChInfoSaveSol(s, 1);
        ShowChTblGrid(s);
        OptSelSaveSol(s, 1);
        InitOpt(s);
        s.grid.notify();
    });
    s.doc.notify(Document::Change::Replaced);
}

bool SetConvIicDat(DocumentData& doc, Settings& settings, ErrorList& errors)
{
    // The encoders touch neither the grid nor the options window: these two
    // only complete the contexts.
    ChannelGrid grid;
    OptionsView optView;
    const QString unlocked;
    return guarded(errors, QStringLiteral("mdifrmMain->SetConvIicDat"), [&] {
        ChInfoSaveSol(ChannelContext{doc, settings, grid, unlocked, errors}, 0);
        OptSelSaveSol(OptionsContext{doc, settings, optView, errors}, 0);
    });
}

bool SetConvIicDat(AppState& s)
{
    const bool ok = guarded(s.errors, QStringLiteral("mdifrmMain->SetConvIicDat"), [&] {
        ChInfoSaveSol(s, 0);
        OptSelSaveSol(s, 0);
    });
    s.doc.notify(Document::Change::Bytes);
    return ok;
}

} // namespace qm
