// qm570-cli diff: what changes between two data files, as the write preview
// of the desktop program lists it.
#pragma once

#include <QStringList>

namespace qmcli {

int cmdDiff(const QStringList& args);

} // namespace qmcli
