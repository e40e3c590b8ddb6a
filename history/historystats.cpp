#include "history/historystats.h"

#include "history/measurementrecord.h"
#include "history/recordformatter.h"

#include <QtMath>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace {

MeasuredPoint pointOf(const MeasurementRecord& record)
{
    MeasuredPoint point;
    point.number = record.number;
    const double sign = record.negative != 0 ? -1.0 : 1.0;
    double tolerance = 0.0;
    if (record.isAngleMeasurement()) {
        point.value = sign * record.measuredAngle / 10.0;
        point.unit = QStringLiteral("\u00B0");
        point.target = sign * record.targetAngle;
        tolerance = record.tolerance;
    } else {
        // The measured torque carries its own sign.
        point.value = record.measuredTorque / 100.0;
        point.unit = unitName(record.torqueUnit);
        point.target = sign * record.targetTorque / 10.0;
        tolerance = qAbs(point.target) * record.tolerance / 1000.0;
    }
    // Limits where the reports print target, tolerance and evaluation: every
    // angle measurement, a torque measurement with targets.
    point.hasLimits = record.isAngleMeasurement() || (record.isTorqueMeasurement() && record.hasTargets());
    if (point.hasLimits) {
        point.lower = point.target - tolerance;
        point.upper = point.target + tolerance;
    } else {
        point.target = 0.0;
    }
    if (point.hasLimits && record.evaluation <= 1)
        point.result = record.evaluation == 1 ? MeasuredPoint::Result::Ok : MeasuredPoint::Result::NotOk;
    return point;
}

// Unit and limits: which values may be compared in one study.
using Tolerancing = std::tuple<bool, QString, double, double, double>;

Tolerancing tolerancingOf(const MeasuredPoint& point)
{
    if (!point.hasLimits)
        return {false, point.unit, 0.0, 0.0, 0.0};
    return {true, point.unit, point.lower, point.target, point.upper};
}

// Limits come from the same integer fields by the same arithmetic, so equal
// limits compare exactly.
bool sameTolerancing(const MeasuredPoint& a, const MeasuredPoint& b)
{
    return tolerancingOf(a) == tolerancingOf(b);
}

// The first point of the unit and limits most points share: among the points
// with limits when there are any, else among all.
const MeasuredPoint* sampleReference(const QList<MeasuredPoint>& points)
{
    const bool anyLimits = std::any_of(points.cbegin(), points.cend(),
                                       [](const MeasuredPoint& p) { return p.hasLimits; });
    struct Group {
        qsizetype count = 0;
        qsizetype first = 0;
    };
    std::map<Tolerancing, Group> groups;
    for (qsizetype i = 0; i < points.size(); ++i) {
        if (points[i].hasLimits != anyLimits)
            continue;
        ++groups.try_emplace(tolerancingOf(points[i]), Group{0, i}).first->second.count;
    }
    const MeasuredPoint* best = nullptr;
    Group bestGroup;
    for (const auto& [tolerancing, group] : groups) {
        if (group.count > bestGroup.count || (group.count == bestGroup.count && group.first < bestGroup.first)) {
            bestGroup = group;
            best = &points[group.first];
        }
    }
    return best;
}

QString numberText(const std::optional<double>& value, QChar decimalSeparator)
{
    if (!value)
        return QStringLiteral("-");
    // Rounds to zero: no "-0.000".
    const double shown = qAbs(*value) < 0.0005 ? 0.0 : *value;
    return QString::number(shown, 'f', 3).replace(u'.', decimalSeparator);
}

std::optional<double> limitValue(const HistoryStats& stats, double value)
{
    return stats.hasLimits ? std::optional<double>(value) : std::nullopt;
}

double shownValue(double value)
{
    return std::round(value * 1000.0) / 1000.0;
}

// "Cm 1,513 < 1,670" when the index, as shown, misses its threshold.
std::optional<QString> shortfall(const char* name, double index, double threshold, QChar decimalSeparator)
{
    if (shownValue(index) >= shownValue(threshold))
        return std::nullopt;
    return QLatin1String(name) + u' ' + numberText(index, decimalSeparator) + QStringLiteral(" < ")
        + numberText(threshold, decimalSeparator);
}

QString normalityText(const HistoryStats& stats)
{
    if (!stats.normality)
        return QStringLiteral("-");
    return stats.normalityDoubtful()
        ? HistoryStats::tr("the values do not look normally distributed: Cm and Cmk may mislead")
        : HistoryStats::tr("no evidence against a normal distribution");
}

std::optional<double> normalityFigure(const HistoryStats& stats, double AndersonDarling::*figure)
{
    return stats.normality ? std::optional<double>((*stats.normality).*figure) : std::nullopt;
}

} // namespace

QList<MeasuredPoint> measuredPoints(QByteArrayView block)
{
    QList<MeasuredPoint> points;
    const qsizetype records = MeasurementRecord::countIn(block);
    points.reserve(records);
    for (qsizetype i = 0; i < records; ++i) {
        const MeasurementRecord record = MeasurementRecord::at(block, i);
        if (!record.isEmpty())
            points.append(pointOf(record));
    }
    return points;
}

bool HistoryStats::inSample(const MeasuredPoint& point) const
{
    MeasuredPoint reference;
    reference.unit = unit;
    reference.hasLimits = hasLimits;
    reference.lower = lower;
    reference.target = target;
    reference.upper = upper;
    return sampleCount > 0 && sameTolerancing(point, reference);
}

HistoryStats computeStats(const QList<MeasuredPoint>& points)
{
    HistoryStats stats;
    stats.count = static_cast<int>(points.size());
    for (const MeasuredPoint& point : points) {
        stats.okCount += point.result == MeasuredPoint::Result::Ok ? 1 : 0;
        stats.notOkCount += point.result == MeasuredPoint::Result::NotOk ? 1 : 0;
    }
    const MeasuredPoint* reference = sampleReference(points);
    if (!reference)
        return stats;
    stats.unit = reference->unit;
    stats.hasLimits = reference->hasLimits;
    stats.lower = reference->lower;
    stats.target = reference->target;
    stats.upper = reference->upper;

    QList<double> values;
    for (const MeasuredPoint& point : points) {
        if (sameTolerancing(point, *reference))
            values.append(point.value);
    }
    stats.sampleCount = static_cast<int>(values.size());
    stats.excludedCount = stats.count - stats.sampleCount;

    double sum = 0.0;
    for (double value : values)
        sum += value;
    const double mean = sum / static_cast<double>(values.size());
    stats.mean = mean;
    const auto [minimum, maximum] = std::minmax_element(values.cbegin(), values.cend());
    stats.minimum = *minimum;
    stats.maximum = *maximum;
    if (values.size() < 2)
        return stats;

    // Equal values have no spread, though their rounded mean may differ
    // from them in the last bit; otherwise deviations from the mean, not
    // sums of squares, so that nothing cancels.
    double squares = 0.0;
    if (*minimum != *maximum) {
        for (double value : values)
            squares += (value - mean) * (value - mean);
    }
    const double sigma = qSqrt(squares / static_cast<double>(values.size() - 1));
    stats.standardDeviation = sigma;
    if (stats.hasLimits && sigma > 0.0) {
        stats.cm = (stats.upper - stats.lower) / (6.0 * sigma);
        stats.cmk = qMin(stats.upper - mean, mean - stats.lower) / (3.0 * sigma);
    }
    stats.normality = andersonDarling(values, mean, sigma);
    return stats;
}

QList<StatFigure> statFigures(const HistoryStats& stats, QChar decimalSeparator, const StatsThresholds& thresholds)
{
    const auto number = [decimalSeparator](const std::optional<double>& value) {
        return numberText(value, decimalSeparator);
    };
    const CapabilityVerdict verdict = capabilityVerdict(stats, thresholds, decimalSeparator);
    return {
        {HistoryStats::tr("Measurements"), QString::number(stats.count)},
        {HistoryStats::tr("OK"), QString::number(stats.okCount)},
        {HistoryStats::tr("n.OK"), QString::number(stats.notOkCount)},
        {HistoryStats::tr("Not evaluated"), QString::number(stats.count - stats.okCount - stats.notOkCount)},
        {HistoryStats::tr("Unit"), stats.unit},
        {HistoryStats::tr("Lower limit (LSL)"), number(limitValue(stats, stats.lower))},
        {HistoryStats::tr("Target"), number(limitValue(stats, stats.target))},
        {HistoryStats::tr("Upper limit (USL)"), number(limitValue(stats, stats.upper))},
        {HistoryStats::tr("Values in statistics"), QString::number(stats.sampleCount)},
        {HistoryStats::tr("Excluded"), QString::number(stats.excludedCount)},
        {HistoryStats::tr("Mean"), number(stats.mean)},
        {HistoryStats::tr("Standard deviation"), number(stats.standardDeviation)},
        {HistoryStats::tr("Minimum"), number(stats.minimum)},
        {HistoryStats::tr("Maximum"), number(stats.maximum)},
        {HistoryStats::tr("Cm"), number(stats.cm)},
        {HistoryStats::tr("Cmk"), number(stats.cmk)},
        {HistoryStats::tr("Required Cm"), number(thresholds.cmMin)},
        {HistoryStats::tr("Required Cmk"), number(thresholds.cmkMin)},
        {HistoryStats::tr("Required values"), QString::number(thresholds.minValues)},
        {HistoryStats::tr("Verdict"), verdict.text, verdict.kind != CapabilityVerdict::Kind::Capable},
        {HistoryStats::tr("Anderson-Darling A²"), number(normalityFigure(stats, &AndersonDarling::a2))},
        {HistoryStats::tr("A*² (corrected for n)"), number(normalityFigure(stats, &AndersonDarling::a2Corrected))},
        {HistoryStats::tr("p-value (normality)"), number(normalityFigure(stats, &AndersonDarling::p))},
        {HistoryStats::tr("Normality"), normalityText(stats), stats.normalityDoubtful()},
    };
}

CapabilityVerdict capabilityVerdict(const HistoryStats& stats, const StatsThresholds& thresholds,
                                    QChar decimalSeparator)
{
    using Kind = CapabilityVerdict::Kind;
    if (stats.sampleCount < thresholds.minValues) {
        return {Kind::TooFewValues,
                HistoryStats::tr("too few values: %1 of %2").arg(stats.sampleCount).arg(thresholds.minValues)};
    }
    // Cm and Cmk are defined together.
    if (!stats.cm || !stats.cmk) {
        if (!stats.hasLimits)
            return {Kind::NotCapable, HistoryStats::tr("not capable: Cm and Cmk undefined (no limits)")};
        if (stats.sampleCount < 2)
            return {Kind::NotCapable, HistoryStats::tr("not capable: Cm and Cmk undefined (fewer than two values)")};
        return {Kind::NotCapable, HistoryStats::tr("not capable: Cm and Cmk undefined (the values do not vary)")};
    }
    const std::optional<QString> cm = shortfall("Cm", *stats.cm, thresholds.cmMin, decimalSeparator);
    const std::optional<QString> cmk = shortfall("Cmk", *stats.cmk, thresholds.cmkMin, decimalSeparator);
    if (cm && cmk)
        return {Kind::NotCapable, HistoryStats::tr("not capable: %1 and %2").arg(*cm, *cmk)};
    if (cm || cmk)
        return {Kind::NotCapable, HistoryStats::tr("not capable: %1").arg(cm ? *cm : *cmk)};
    return {Kind::Capable, HistoryStats::tr("capable")};
}

QString statsFormulaText()
{
    return HistoryStats::tr("σ: sample standard deviation (n - 1). Cm = (USL - LSL) / 6σ, "
                            "Cmk = min(USL - mean, mean - LSL) / 3σ, over the values of one unit and "
                            "one pair of limits (those most measurements share).")
        + u' '
        + HistoryStats::tr("A²: Anderson-Darling statistic against a normal distribution of the values' mean and "
                           "σ, A*² = A² (1 + 0.75/n + 2.25/n²), p from A*² after D'Agostino and Stephens; "
                           "needs %1 values.")
              .arg(andersonDarlingMinValues);
}

QString statsCsv(const HistoryStats& stats, QChar decimalSeparator, const StatsThresholds& thresholds)
{
    QStringList names;
    QStringList values;
    for (const StatFigure& figure : statFigures(stats, decimalSeparator, thresholds)) {
        names.append(figure.name);
        values.append(figure.value);
    }
    return names.join(u';') + u'\n' + values.join(u';') + u'\n';
}

QString statsText(const HistoryStats& stats, QChar decimalSeparator, const StatsThresholds& thresholds)
{
    const QList<StatFigure> figures = statFigures(stats, decimalSeparator, thresholds);
    qsizetype width = 0;
    for (const StatFigure& figure : figures)
        width = qMax(width, figure.name.size());
    QString text;
    for (const StatFigure& figure : figures)
        text += QString(figure.name + u':').leftJustified(width + 2) + figure.value + u'\n';
    return text + statsFormulaText() + u'\n';
}
