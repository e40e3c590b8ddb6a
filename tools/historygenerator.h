#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <array>

namespace wrench {

// One stored measurement as the wrench keeps it: 64 bytes, packed, least
// significant byte first. Units as stored: torques in tenths (the measured
// torque in hundredths), the measured angle in tenths of a degree.
struct HistoryEntry {
    static constexpr int Size = 64;

    quint8 measurementMode = 0; // 0 torque, 1 angle, others unknown
    quint8 torqueMode = 0;      // 0 displaying, 1 triggering, others unknown
    qint32 measuredTorque = 0;
    quint16 targetTorque = 0;
    quint8 torqueUnit = 0; // 0 Nm, 1 Lbf ft, 2 Lbf in, 3 Kgf m
    quint16 measuredAngle = 0;
    quint16 targetAngle = 0;
    quint16 number = 0; // 0: an empty record
    qint8 year = 0;     // minus 2000
    qint8 month = 1;
    qint8 day = 1;
    qint8 hour = 0;
    qint8 minute = 0;
    qint8 second = 0;
    std::array<qint8, 3> duration{};
    quint8 evaluation = 0; // 0 n.OK, 1 OK
    quint16 tolerance = 0;
    quint16 referenceLength = 0;
    quint8 parameterSet = 0;
    quint8 schedulePreset = 0; // bits 0..3 schedule, bits 4..7 preset - 1
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

    QByteArray encode() const;
};

namespace history {

constexpr int DefaultCount = 50;

// A deterministic history whose records run through every kind the reports
// distinguish: measurement and torque modes (known and unknown), all torque
// units and an unknown one, checks off, with values and shown without values,
// negative and overloaded measurements, empty records, every evaluation,
// parameter set, schedule and preset form. The first DefaultCount records
// hold all of them.
QList<HistoryEntry> generate(int count);
// A production series on one joint: torque measurements, triggering, in Nm
// against 120.0 Nm +/- 4.0 %, scattered about the target (standard deviation
// about 0.9 Nm, deterministic; one joint in 97 far off) and evaluated
// against the limits, so that a capability study has something to show.
QList<HistoryEntry> generateSeries(int count);

QByteArray encode(const QList<HistoryEntry>& entries);

} // namespace history

} // namespace wrench
