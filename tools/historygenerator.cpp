#include "tools/historygenerator.h"

#include <cmath>
#include <cstdlib>

namespace wrench {

namespace {

void put8(QByteArray& record, int offset, int value)
{
    record[offset] = static_cast<char>(value & 0xFF);
}

void put16(QByteArray& record, int offset, quint32 value)
{
    put8(record, offset, static_cast<int>(value));
    put8(record, offset + 1, static_cast<int>(value >> 8));
}

void put32(QByteArray& record, int offset, quint32 value)
{
    put16(record, offset, value & 0xFFFF);
    put16(record, offset + 2, value >> 16);
}

// The kinds of measurement a workshop sees, one per record in turn; every
// other round of ten shows a variant, so that every report line appears.
HistoryEntry scenario(int index)
{
    HistoryEntry e;
    const bool variant = index / 10 % 2 == 1;
    switch (index % 10) {
    case 0: // torque, displaying, no target; the variant with angle check values
        e.measuredTorque = 12345;
        if (variant) {
            e.checkFlag = 1;
            e.checkSnugTorque = 200;
            e.lowerAngle = 15;
            e.upperAngle = 45;
            e.measuredAngle = 310;
        }
        break;
    case 1: // torque, triggering, with angle check
        e.torqueMode = 1;
        e.measuredTorque = 12010;
        e.targetTorque = 1200;
        e.tolerance = 40;
        e.checkFlag = 1;
        e.checkSnugTorque = 300;
        e.lowerAngle = 30;
        e.upperAngle = 60;
        e.measuredAngle = 455;
        break;
    case 2: // angle, triggering, with torque check
        e.measurementMode = 1;
        e.torqueMode = 1;
        e.torqueUnit = 1;
        e.measuredTorque = 5210;
        e.targetAngle = 90;
        e.measuredAngle = 905;
        e.snugTorque = 250;
        e.tolerance = 5;
        e.checkFlag = 1;
        e.lowerTorque = 400;
        e.upperTorque = 600;
        e.overloaded = variant ? 1 : 0;
        break;
    case 3: // angle, displaying; the variant triggering with the check off
        e.measurementMode = 1;
        e.torqueUnit = 2;
        e.measuredTorque = 88000;
        e.measuredAngle = 900;
        if (variant) {
            e.torqueMode = 1;
            e.targetAngle = 90;
            e.tolerance = 4;
        }
        break;
    case 4: // torque against a negative target, angle check
        e.torqueMode = 1;
        e.torqueUnit = 3;
        e.negative = 1;
        e.measuredTorque = -12345;
        e.targetTorque = 1230;
        e.tolerance = 25;
        e.checkFlag = 1;
        e.checkSnugTorque = 120;
        e.lowerAngle = 10;
        e.upperAngle = 20;
        e.measuredAngle = 150;
        break;
    case 5: // beyond the wrench's range
        e.torqueMode = 1;
        e.overloaded = 1;
        e.measuredTorque = 250123;
        e.targetTorque = 2000;
        e.tolerance = 50;
        break;
    case 7: // modes and unit the wrench does not name; the variant a torque measurement
        e.measurementMode = variant ? 0 : 2;
        e.torqueMode = 3;
        e.torqueUnit = 7;
        e.measuredTorque = 4711;
        e.targetTorque = 470;
        e.checkFlag = 2;
        break;
    case 8: // angle, negative, check shown without values
        e.measurementMode = 1;
        e.torqueMode = 1;
        e.negative = 1;
        e.measuredTorque = -3050;
        e.targetAngle = 45;
        e.measuredAngle = 452;
        e.snugTorque = 150;
        e.tolerance = 3;
        e.checkFlag = 2;
        e.lowerTorque = 100;
        e.upperTorque = 200;
        break;
    case 9: // a small negative reading, a date a century on
        e.torqueMode = 1;
        e.torqueUnit = 1;
        e.measuredTorque = -5;
        e.targetTorque = 10;
        e.tolerance = 100;
        e.checkFlag = 1;
        e.checkSnugTorque = 5;
        e.lowerAngle = 0;
        e.upperAngle = 360;
        e.year = 123;
        break;
    default: // 6: an empty slot; its content must not matter
        e.measuredTorque = 999;
        e.targetTorque = 99;
        break;
    }
    return e;
}

} // namespace

QByteArray HistoryEntry::encode() const
{
    QByteArray r(Size, '\0');
    put8(r, 0, (measurementMode & 0x0F) | ((torqueMode & 0x0F) << 4));
    put32(r, 1, static_cast<quint32>(measuredTorque));
    put16(r, 5, targetTorque);
    put8(r, 7, torqueUnit);
    put16(r, 8, measuredAngle);
    put16(r, 10, targetAngle);
    put16(r, 12, number);
    put8(r, 14, year);
    put8(r, 15, month);
    put8(r, 17, day);
    put8(r, 18, hour);
    put8(r, 19, minute);
    put8(r, 20, second);
    for (int i = 0; i < 3; ++i)
        put8(r, 21 + i, duration[static_cast<std::size_t>(i)]);
    put8(r, 24, evaluation);
    put16(r, 25, tolerance);
    put16(r, 27, referenceLength);
    put8(r, 29, parameterSet);
    put8(r, 30, schedulePreset);
    put8(r, 31, checkFlag);
    put16(r, 32, checkSnugTorque);
    put16(r, 36, lowerAngle);
    put16(r, 38, upperAngle);
    put16(r, 40, snugTorque);
    put16(r, 42, lowerTorque);
    put16(r, 44, upperTorque);
    put8(r, 46, verification);
    put8(r, 47, overloaded);
    put8(r, 48, negative);
    return r;
}

namespace history {

QList<HistoryEntry> generate(int count)
{
    static constexpr quint8 evaluations[] = {1, 1, 0, 1, 2};
    static constexpr quint8 verifications[] = {1, 0, 2};
    static constexpr quint8 schedules[] = {0x00, 0x01, 0x23, 0x03, 0xA3, 0x20, 0x9A, 0x0B, 0xF5};

    QList<HistoryEntry> entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        HistoryEntry e = scenario(i);
        e.number = static_cast<quint16>(i % 10 == 6 ? 0 : i % 65535 + 1);
        if (e.year == 0)
            e.year = static_cast<qint8>(24 + i / 400 % 10);
        e.month = static_cast<qint8>(1 + i % 12);
        e.day = static_cast<qint8>(1 + (i * 3) % 28);
        e.hour = static_cast<qint8>(6 + i % 12);
        e.minute = static_cast<qint8>((i * 7) % 60);
        e.second = static_cast<qint8>((i * 13) % 60);
        e.duration = {0, static_cast<qint8>(i % 3), static_cast<qint8>((5 + i * 11) % 60)};
        e.evaluation = evaluations[i % 5];
        e.verification = verifications[i % 3];
        e.parameterSet = static_cast<quint8>(i % 12);
        e.schedulePreset = schedules[i % 9];
        e.referenceLength = static_cast<quint16>(2500 + (i % 50) * 10);
        entries.append(e);
    }
    return entries;
}

QList<HistoryEntry> generateSeries(int count)
{
    constexpr int target = 12000; // hundredths of a newton metre
    constexpr int tolerance = 40; // tenths of a percent
    constexpr int limit = target * tolerance / 1000;
    // A fixed linear congruential sequence; twelve uniform numbers summed
    // are close enough to a normal distribution for a demo.
    quint32 state = 20240101;
    const auto uniform = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / static_cast<double>(1u << 24);
    };
    // Dates and durations as the mixed history has them.
    const QList<HistoryEntry> dated = generate(count);
    QList<HistoryEntry> entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        double normal = -6.0;
        for (int k = 0; k < 12; ++k)
            normal += uniform();
        const HistoryEntry& when = dated[i];
        HistoryEntry e;
        e.year = when.year;
        e.month = when.month;
        e.day = when.day;
        e.hour = when.hour;
        e.minute = when.minute;
        e.second = when.second;
        e.duration = when.duration;
        e.number = static_cast<quint16>(i % 65535 + 1);
        e.torqueMode = 1;
        e.targetTorque = target / 10;
        e.tolerance = tolerance;
        // Now and then a joint that went wrong.
        const int outlier = i % 97 == 50 ? (i % 2 == 0 ? 600 : -650) : 0;
        e.measuredTorque = static_cast<qint32>(target + std::lround(normal * 90.0) + outlier);
        e.evaluation = std::abs(e.measuredTorque - target) <= limit ? 1 : 0;
        e.referenceLength = 2500;
        entries.append(e);
    }
    return entries;
}

QByteArray encode(const QList<HistoryEntry>& entries)
{
    QByteArray block;
    block.reserve(entries.size() * HistoryEntry::Size);
    for (const HistoryEntry& e : entries)
        block.append(e.encode());
    return block;
}

} // namespace history

} // namespace wrench
