#include "comm/modAddrBoxes.h"

#include "shell/VbConv.h"

namespace qm {

namespace {

const QString kSetting = QStringLiteral("Setting");

void convert(AppState& s, AddrBox which, const QString& text)
{
    guarded(s.errors, addrBoxLabel(which), [&] { addrBoxValue(s, which) = hexToInt16(text); });
}

} // namespace

QString addrBoxKey(AddrBox which)
{
    switch (which) {
    case AddrBox::ReadStart: return QStringLiteral("ReadStartAddr");
    case AddrBox::ReadEnd: return QStringLiteral("ReadEndAddr");
    case AddrBox::WriteStart: return QStringLiteral("WriteStartAddr");
    case AddrBox::WriteEnd: return QStringLiteral("WriteEndAddr");
    case AddrBox::TableMax: return QStringLiteral("TableMaxAddr");
    }
    return {};
}

QString addrBoxLabel(AddrBox which)
{
    switch (which) {
    case AddrBox::ReadStart: return QStringLiteral("frmCommun->txtReadStartAddr_Change");
    case AddrBox::ReadEnd: return QStringLiteral("frmCommun->txtReadEndAddr_Change");
    case AddrBox::WriteStart: return QStringLiteral("frmCommun->txtWriteStartAddr_Change");
    case AddrBox::WriteEnd: return QStringLiteral("frmCommun->txtWriteEndAddr_Change");
    case AddrBox::TableMax: return QStringLiteral("frmCommun->txtMaxAddr_Change");
    }
    return {};
}

QString addrBoxDefault(AddrBox which)
{
    return (which == AddrBox::ReadStart || which == AddrBox::WriteStart) ? QStringLiteral("0000")
                                                                         : QStringLiteral("1FFF");
}

QString& addrBoxText(AppState& s, AddrBox which)
{
    switch (which) {
    case AddrBox::ReadStart: return s.settings.ReadStartAddrText;
    case AddrBox::ReadEnd: return s.settings.ReadEndAddrText;
    case AddrBox::WriteStart: return s.settings.WriteStartAddrText;
    case AddrBox::WriteEnd: return s.settings.WriteEndAddrText;
    case AddrBox::TableMax: break;
    }
    return s.settings.TableMaxAddrText;
}

int16_t& addrBoxValue(AppState& s, AddrBox which)
{
    switch (which) {
    case AddrBox::ReadStart: return s.settings.ReadStartAddr;
    case AddrBox::ReadEnd: return s.settings.ReadEndAddr;
    case AddrBox::WriteStart: return s.settings.WriteStartAddr;
    case AddrBox::WriteEnd: return s.settings.WriteEndAddr;
    case AddrBox::TableMax: break;
    }
    return s.settings.TableMaxAddr;
}

void AddrBoxChanged(AppState& s, AddrBox which, const QString& text)
{
    addrBoxText(s, which) = text;
    // The key is written first and with the text as typed, so a bad text is
    // kept in the file exactly like a good one.
    s.profile.write(kSetting, addrBoxKey(which), text);
    convert(s, which, text);
}

void SetAddrBoxText(AppState& s, AddrBox which, const QString& text)
{
    if (addrBoxText(s, which) != text)
        AddrBoxChanged(s, which, text);
}

void LoadAddrBoxText(AppState& s, AddrBox which, const QString& text)
{
    if (addrBoxText(s, which) == text)
        return;
    addrBoxText(s, which) = text;
    convert(s, which, text);
}

} // namespace qm
