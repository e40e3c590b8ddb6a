#include "history/measurementrecord.h"

#include <QtEndian>

namespace {

// Field offsets of the stored layout; the bytes between them are not shown.
enum Offset : int {
    ModeFlags = 0,
    MeasuredTorque = 1,
    TargetTorque = 5,
    TorqueUnit = 7,
    MeasuredAngle = 8,
    TargetAngle = 10,
    Number = 12,
    Year = 14,
    Month = 15,
    Day = 17,
    Hour = 18,
    Minute = 19,
    Second = 20,
    Duration = 21,
    Evaluation = 24,
    Tolerance = 25,
    ReferenceLength = 27,
    ParameterSet = 29,
    SchedulePreset = 30,
    CheckFlag = 31,
    CheckSnugTorque = 32,
    LowerAngle = 36,
    UpperAngle = 38,
    SnugTorque = 40,
    LowerTorque = 42,
    UpperTorque = 44,
    Verification = 46,
    Overloaded = 47,
    Negative = 48,
};

quint16 u16(const uchar* bytes, Offset offset)
{
    return qFromLittleEndian<quint16>(bytes + offset);
}

qint8 s8(const uchar* bytes, int offset)
{
    return static_cast<qint8>(bytes[offset]);
}

} // namespace

MeasurementRecord MeasurementRecord::decode(const uchar* bytes)
{
    MeasurementRecord r;
    r.modeFlags = bytes[ModeFlags];
    r.measuredTorque = qFromLittleEndian<qint32>(bytes + MeasuredTorque);
    r.targetTorque = u16(bytes, TargetTorque);
    r.torqueUnit = bytes[TorqueUnit];
    r.measuredAngle = u16(bytes, MeasuredAngle);
    r.targetAngle = u16(bytes, TargetAngle);
    r.number = u16(bytes, Number);
    r.year = s8(bytes, Year);
    r.month = s8(bytes, Month);
    r.day = s8(bytes, Day);
    r.hour = s8(bytes, Hour);
    r.minute = s8(bytes, Minute);
    r.second = s8(bytes, Second);
    r.duration = {s8(bytes, Duration), s8(bytes, Duration + 1), s8(bytes, Duration + 2)};
    r.evaluation = bytes[Evaluation];
    r.tolerance = u16(bytes, Tolerance);
    r.referenceLength = u16(bytes, ReferenceLength);
    r.parameterSet = bytes[ParameterSet];
    r.schedulePreset = bytes[SchedulePreset];
    r.checkFlag = bytes[CheckFlag];
    r.checkSnugTorque = u16(bytes, CheckSnugTorque);
    r.lowerAngle = u16(bytes, LowerAngle);
    r.upperAngle = u16(bytes, UpperAngle);
    r.snugTorque = u16(bytes, SnugTorque);
    r.lowerTorque = u16(bytes, LowerTorque);
    r.upperTorque = u16(bytes, UpperTorque);
    r.verification = bytes[Verification];
    r.overloaded = bytes[Overloaded];
    r.negative = bytes[Negative];
    return r;
}

MeasurementRecord MeasurementRecord::at(QByteArrayView block, qsizetype index)
{
    Q_ASSERT(index >= 0 && index < countIn(block));
    return decode(reinterpret_cast<const uchar*>(block.data()) + index * Size);
}
