#include "comm/modAddrBoxes.h"

#include "settings/VbConv.h"

namespace qm {

namespace {

const QString kSetting = QStringLiteral("Setting");

void convert(CommContext s, AddrBox which, const QString& text)
{
    guarded(s.errors, addrBoxLabel(which), [&] {
        try {
            addrBoxValue(s.settings, which) = hexToInt16(text);
        } catch (const QmError& e) {
            throw QmError(e.number(), QStringLiteral("read address"), addrBoxKey(which),
                          QStringLiteral("\"%1\" is not a hexadecimal address 0000-FFFF").arg(text));
        }
    });
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

QString& addrBoxText(Settings& s, AddrBox which)
{
    switch (which) {
    case AddrBox::ReadStart: return s.ReadStartAddrText;
    case AddrBox::ReadEnd: return s.ReadEndAddrText;
    case AddrBox::WriteStart: return s.WriteStartAddrText;
    case AddrBox::WriteEnd: return s.WriteEndAddrText;
    case AddrBox::TableMax: break;
    }
    return s.TableMaxAddrText;
}

int16_t& addrBoxValue(Settings& s, AddrBox which)
{
    switch (which) {
    case AddrBox::ReadStart: return s.ReadStartAddr;
    case AddrBox::ReadEnd: return s.ReadEndAddr;
    case AddrBox::WriteStart: return s.WriteStartAddr;
    case AddrBox::WriteEnd: return s.WriteEndAddr;
    case AddrBox::TableMax: break;
    }
    return s.TableMaxAddr;
}

void AddrBoxChanged(CommContext s, AddrBox which, const QString& text)
{
    addrBoxText(s.settings, which) = text;
    // The key is written first and with the text as typed, so a bad text is
    // kept in the file exactly like a good one.
    guarded(s.errors, addrBoxLabel(which), [&] { s.settings.profile.writeOrThrow(kSetting, addrBoxKey(which), text); });
    convert(s, which, text);
}

void SetAddrBoxText(CommContext s, AddrBox which, const QString& text)
{
    if (addrBoxText(s.settings, which) != text)
        AddrBoxChanged(s, which, text);
}

void LoadAddrBoxText(CommContext s, AddrBox which, const QString& text)
{
    if (addrBoxText(s.settings, which) == text)
        return;
    addrBoxText(s.settings, which) = text;
    convert(s, which, text);
}

} // namespace qm
