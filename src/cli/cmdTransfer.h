// qm570-cli read / write: transfers between the radio and image files.
#pragma once

#include <QStringList>

namespace qmcli {

int cmdRead(const QStringList& args);
int cmdWrite(const QStringList& args);

} // namespace qmcli
