// The program's state, as the start-up creates it and the front ends hold it:
// one object of each part. Modules below shell/ never see this aggregate;
// each takes the parts it uses through the context of its layer
// (ImageContext, ChannelContext, OptionsContext, CommContext), which an
// AppState converts to, so `IicDatToChInfo(s)` works with an AppState `s`.
// Tests create as many independent states as they like.
#pragma once

#include "channels/ChannelContext.h"
#include "comm/CommContext.h"
#include "diag/modShowErr.h"
#include "image/Document.h"
#include "options/OptionsContext.h"
#include "settings/Settings.h"
#include "shell/ViewState.h"

namespace qm {

struct AppState {
    Settings settings;   // settings file, start-up values, texts, grid definition, tables
    Document doc;        // IicDat and the tables decoded from it
    ViewState view;      // main window flags, file paths, status bar
    ChannelGrid grid;    // channel window's view model
    OptionsView optView; // options window's view model
    RadioInfo radioInfo; // radio information window's texts
    Transfer xfer;       // the one transfer that may run
    ErrorList errors;

    operator ImageContext() { return {doc, settings, errors}; }
    operator ChannelContext() { return {doc, settings, grid, view.ChLockState, errors}; }
    operator OptionsContext() { return {doc, settings, optView, errors}; }
    operator CommContext() { return {doc, settings, optView, radioInfo, xfer, errors}; }
};

} // namespace qm
