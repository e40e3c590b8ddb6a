#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <array>

// One stored measurement as the wrench sends it: 64 bytes, packed, least
// significant byte first. Torques are in tenths of the unit (the measured
// torque in hundredths), the measured angle in tenths of a degree, other
// angles in whole degrees.
struct MeasurementRecord {
    static constexpr int Size = 64;

    quint8 modeFlags = 0; // bits 0-3 measurement mode, bits 4-7 torque mode
    qint32 measuredTorque = 0;
    quint16 targetTorque = 0;
    quint8 torqueUnit = 0;
    quint16 measuredAngle = 0;
    quint16 targetAngle = 0;
    quint16 number = 0; // 0: an empty record
    qint8 year = 0;     // minus 2000
    qint8 month = 0;
    qint8 day = 0;
    qint8 hour = 0;
    qint8 minute = 0;
    qint8 second = 0;
    std::array<qint8, 3> duration{};
    quint8 evaluation = 0;
    quint16 tolerance = 0; // tenths of a percent (torque) or degrees
    quint16 referenceLength = 0;
    quint8 parameterSet = 0;
    quint8 schedulePreset = 0; // bits 0-3 schedule, bits 4-7 preset - 1
    quint8 checkFlag = 0;
    quint16 checkSnugTorque = 0;
    quint16 lowerAngle = 0;
    quint16 upperAngle = 0;
    quint16 snugTorque = 0;
    quint16 lowerTorque = 0;
    quint16 upperTorque = 0;
    quint8 verification = 0;
    quint8 overloaded = 0;
    quint8 negative = 0;

    // Reads exactly Size bytes from bytes.
    static MeasurementRecord decode(const uchar* bytes);

    // Whole records in a block; a trailing partial record is not one.
    static qsizetype countIn(QByteArrayView block) { return block.size() / Size; }
    // Record index of a block; index must be below countIn(block).
    static MeasurementRecord at(QByteArrayView block, qsizetype index);

    int measurementMode() const { return modeFlags & 0x0F; }
    int torqueMode() const { return modeFlags >> 4; }
    int schedule() const { return schedulePreset & 0x0F; }
    int presetField() const { return schedulePreset >> 4; }

    bool isEmpty() const { return number == 0; }
    bool isTorqueMeasurement() const { return measurementMode() == 0; }
    bool isAngleMeasurement() const { return measurementMode() == 1; }
    // Triggering and the torque modes the wrench does not name.
    bool hasTargets() const { return torqueMode() != 0; }
    bool isCheckShown() const { return checkFlag != 0; }
    bool hasCheckValues() const { return checkFlag == 1; }
};
