#include "params/identityvalues.h"

#include "params/paramids.h"

#include <cstdint>

namespace {

QString valueText(const QByteArray& value)
{
    return QString::fromLatin1(value.constData(),
                               static_cast<qsizetype>(qstrnlen(value.constData(), static_cast<size_t>(value.size()))));
}

} // namespace

int firmwareKindOf(const QString& firmwareVersion)
{
    if (firmwareVersion.contains(QLatin1Char('B')))
        return IdentityValues::BaseVersion;
    return firmwareVersion.contains(QLatin1Char('F')) ? IdentityValues::FullVersion : IdentityValues::UnknownVersion;
}

bool IdentityValues::take(int id, const QByteArray& value)
{
    switch (id) {
    case paramid::DeviceName:
        deviceName = valueText(value);
        return true;
    case paramid::Firmware:
        firmwareVersion = valueText(value);
        firmwareKind = firmwareKindOf(firmwareVersion);
        return true;
    case paramid::Hardware:
        hardwareVersion = valueText(value);
        return true;
    case paramid::HistoryMode:
        if (!value.isEmpty())
            historyMode = static_cast<std::uint8_t>(value[0]);
        return true;
    case paramid::SerialNumber:
        serialNumber = valueText(value);
        return true;
    default:
        return false;
    }
}
