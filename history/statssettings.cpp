#include "history/statssettings.h"

#include "app/qorbinifile.h"

#include <cmath>

namespace {

const QString section = QStringLiteral("STATISTICS");

QString text(QorbInifile& settings, const char* key)
{
    return settings.readString(section, QLatin1String(key), QString(), false).trimmed();
}

double positiveDecimal(QorbInifile& settings, const char* key, double defaultValue)
{
    // Whichever separator the plant's spreadsheets use.
    bool ok = false;
    const double value = text(settings, key).replace(u',', u'.').toDouble(&ok);
    return ok && std::isfinite(value) && value > 0.0 ? value : defaultValue;
}

} // namespace

StatsThresholds readStatsThresholds(QorbInifile& settings)
{
    StatsThresholds thresholds;
    thresholds.cmMin = positiveDecimal(settings, "CM_MIN", thresholds.cmMin);
    thresholds.cmkMin = positiveDecimal(settings, "CMK_MIN", thresholds.cmkMin);
    // Not readInt: "50.5" or "many" would pass as 50 or 0.
    bool ok = false;
    const int minValues = text(settings, "MIN_VALUES").toInt(&ok);
    if (ok && minValues > 0)
        thresholds.minValues = minValues;
    return thresholds;
}
