#include "history/historystats.h"

#include "history/measurementrecord.h"
#include "history/recordformatter.h"

#include <QtMath>

#include <algorithm>
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
    return stats;
}

QList<StatFigure> statFigures(const HistoryStats& stats, QChar decimalSeparator)
{
    const auto number = [decimalSeparator](const std::optional<double>& value) {
        return numberText(value, decimalSeparator);
    };
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
    };
}

QString statsFormulaText()
{
    return HistoryStats::tr("σ: sample standard deviation (n - 1). Cm = (USL - LSL) / 6σ, "
                            "Cmk = min(USL - mean, mean - LSL) / 3σ, over the values of one unit and "
                            "one pair of limits (those most measurements share).");
}

QString statsCsv(const HistoryStats& stats, QChar decimalSeparator)
{
    QStringList names;
    QStringList values;
    for (const StatFigure& figure : statFigures(stats, decimalSeparator)) {
        names.append(figure.name);
        values.append(figure.value);
    }
    return names.join(u';') + u'\n' + values.join(u';') + u'\n';
}

QString statsText(const HistoryStats& stats, QChar decimalSeparator)
{
    const QList<StatFigure> figures = statFigures(stats, decimalSeparator);
    qsizetype width = 0;
    for (const StatFigure& figure : figures)
        width = qMax(width, figure.name.size());
    QString text;
    for (const StatFigure& figure : figures)
        text += QString(figure.name + u':').leftJustified(width + 2) + figure.value + u'\n';
    return text + statsFormulaText() + u'\n';
}
