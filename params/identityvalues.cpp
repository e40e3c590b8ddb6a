#include "params/identityvalues.h"

#include "params/paramids.h"

#include <cstdint>

namespace {

QString valueText(const QByteArray& value)
{
    return QString::fromLatin1(value.constData(),
                               static_cast<qsizetype>(qstrnlen(value.constData(), static_cast<size_t>(value.size()))));
}

// "B" in the firmware text: a base version; "F": a full one; else unknown.
int firmwareKindOf(const QString& firmwareVersion)
{
    if (firmwareVersion.contains(QLatin1Char('B')))
        return IdentityValues::BaseVersion;
    return firmwareVersion.contains(QLatin1Char('F')) ? IdentityValues::FullVersion : IdentityValues::UnknownVersion;
}

} // namespace

void IdentityValues::take(int id, const QByteArray& value)
{
    switch (id) {
    case paramid::DeviceName:
        deviceName = valueText(value);
        break;
    case paramid::Firmware:
        firmwareVersion = valueText(value);
        firmwareKind = firmwareKindOf(firmwareVersion);
        break;
    case paramid::Hardware:
        hardwareVersion = valueText(value);
        break;
    case paramid::HistoryMode:
        if (!value.isEmpty())
            historyMode = static_cast<std::uint8_t>(value[0]);
        break;
    case paramid::SerialNumber:
        serialNumber = valueText(value);
        break;
    default:
        break;
    }
}
