#include "history/aqdefexport.h"

#include "history/historystats.h"
#include "history/measurementrecord.h"

#include <QDate>
#include <QTime>

#include <cmath>
#include <map>
#include <tuple>

namespace {

constexpr qsizetype BytesPerRecord = 96;
constexpr int LimitDecimals = 4;
constexpr int SampleAttribute = 0;
constexpr int NotCalculatedAttribute = 129;

bool isAngle(const MeasuredPoint& point)
{
    return point.unit == QStringLiteral("\u00B0");
}

int decimalsOf(const MeasuredPoint& point)
{
    return isAngle(point) ? 1 : 2;
}

// Latin-1 with "?" for control characters too: a serial number with a line
// break must not start a key of its own.
QByteArray lineText(const QString& text)
{
    QByteArray bytes = text.toLatin1();
    for (char& c : bytes) {
        const auto byte = static_cast<uchar>(c);
        if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0))
            c = '?';
    }
    return bytes;
}

// At least minDecimals, and up to maxDecimals where the value has them.
QByteArray numberText(double value, int minDecimals, int maxDecimals)
{
    const double scale = std::pow(10.0, maxDecimals);
    double rounded = std::round(value * scale) / scale;
    if (rounded == 0.0)
        rounded = 0.0; // no "-0.00"
    QByteArray text = QByteArray::number(rounded, 'f', maxDecimals);
    for (int spare = maxDecimals - minDecimals; spare > 0 && text.endsWith('0'); --spare)
        text.chop(1);
    return text;
}

QByteArray dateTimeText(const MeasurementRecord& record)
{
    const QDate date(2000 + record.year, record.month, record.day);
    const QTime time(record.hour, record.minute, record.second);
    if (!date.isValid() || !time.isValid())
        return {};
    return date.toString(u"dd.MM.yyyy").toLatin1() + '/' + time.toString(u"HH:mm:ss").toLatin1();
}

void appendKey(QByteArray& out, const char* key, int index, const QByteArray& value)
{
    if (value.isEmpty())
        return;
    out += key;
    out += '/';
    out += QByteArray::number(index);
    out += ' ';
    out += value;
    out += "\r\n";
}

void appendCharacteristic(QByteArray& out, int index, const MeasuredPoint& point)
{
    const int decimals = decimalsOf(point);
    const QByteArray unit = isAngle(point) ? QByteArrayLiteral("deg") : lineText(point.unit);
    appendKey(out, "K2001", index, QByteArray::number(index));
    const QByteArray description = (isAngle(point) ? "Angle " : "Torque ") + unit;
    appendKey(out, "K2002", index, description.trimmed());
    appendKey(out, "K2022", index, QByteArray::number(decimals));
    if (point.hasLimits) {
        appendKey(out, "K2101", index, numberText(point.target, decimals, LimitDecimals));
        appendKey(out, "K2110", index, numberText(point.lower, decimals, LimitDecimals));
        appendKey(out, "K2111", index, numberText(point.upper, decimals, LimitDecimals));
    }
    appendKey(out, "K2142", index, unit);
}

// Unit and limits: the values of one characteristic. Limits come from the
// same integer fields by the same arithmetic, so equal limits compare exactly.
using CharacteristicKey = std::tuple<QString, bool, double, double, double>;

CharacteristicKey keyOf(const MeasuredPoint& point)
{
    return {point.unit, point.hasLimits, point.lower, point.target, point.upper};
}

} // namespace

QByteArray aqdefFile(QByteArrayView block, const ReportIdentity& identity)
{
    const QList<MeasuredPoint> points = measuredPoints(block);
    const HistoryStats stats = computeStats(points);

    std::map<CharacteristicKey, int> characteristics;
    QList<int> indexOfPoint;
    indexOfPoint.reserve(points.size());
    QByteArray head;
    for (const MeasuredPoint& point : points) {
        const auto [entry, added] =
            characteristics.try_emplace(keyOf(point), static_cast<int>(characteristics.size()) + 1);
        if (added)
            appendCharacteristic(head, entry->second, point);
        indexOfPoint.append(entry->second);
    }

    QByteArray out;
    out.reserve(head.size() + points.size() * BytesPerRecord + 16);
    out += "K0100 " + QByteArray::number(static_cast<qsizetype>(characteristics.size())) + "\r\n";
    out += head;
    const QByteArray serial = lineText(identity.serialNumber);
    // measuredPoints skips the records with number 0 as this loop does, so
    // the points follow the records one to one.
    qsizetype next = 0;
    for (qsizetype i = 0; i < MeasurementRecord::countIn(block); ++i) {
        const MeasurementRecord record = MeasurementRecord::at(block, i);
        if (record.isEmpty())
            continue;
        const MeasuredPoint& point = points.at(next);
        const int index = indexOfPoint.at(next++);
        const int attribute = stats.inSample(point) ? SampleAttribute : NotCalculatedAttribute;
        appendKey(out, "K0001", index, numberText(point.value, decimalsOf(point), decimalsOf(point)));
        appendKey(out, "K0002", index, QByteArray::number(attribute));
        appendKey(out, "K0004", index, dateTimeText(record));
        appendKey(out, "K0012", index, serial);
    }
    return out;
}
