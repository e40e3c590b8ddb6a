#pragma once

#include "history/measurementrecord.h"

#include <QString>

#include <functional>

// Translates one source text of the history page's context.
using HistoryTranslate = std::function<QString(const char* sourceText)>;
// The history page's own translation ("ViewHistory").
QString translateHistoryText(const char* sourceText);

// The torque unit's text; "" for a unit the wrench does not name. Never
// translated.
const QString& unitName(quint8 torqueUnit);

// The values of a record that the reports print.
enum class RecordField {
    Number,
    MeasuredTorque,
    TargetTorque,
    MeasuredAngle,
    TargetAngle,
    SnugTorque,      // of an angle measurement
    CheckSnugTorque, // of the angle check
    LowerTorque,
    UpperTorque,
    LowerAngle,
    UpperAngle,
    Tolerance, // degrees unless a torque measurement, then percent
    ReferenceLength,
    Date,
    Time,
    Duration,
    Schedule, // with the preset part
    ParameterSet,
    MeasurementMode,
    TorqueMode,
    Evaluation,
    Verification,
    Check,
    Unit, // the torque unit, never translated
};

// Turns record fields into text: numbers with the given decimal separator,
// the sign prefix of the negative flag, enumerations through the page's
// translation. The translations are taken once, when the formatter is made.
class RecordFormatter
{
public:
    RecordFormatter(QChar decimalSeparator, const HistoryTranslate& translator);

    void append(QString& out, const MeasurementRecord& record, RecordField field) const;
    QString text(const MeasurementRecord& record, RecordField field) const;

private:
    // The sign prefix, then tenths with one decimal.
    void appendTenths(QString& out, const MeasurementRecord& record, qint64 tenths) const;
    void appendSchedule(QString& out, const MeasurementRecord& record) const;
    const QString& choice(int value, const QString& zero, const QString& one) const;
    const QString& signPrefix(const MeasurementRecord& record) const;

    QChar m_separator;
    QString m_minus;
    QString m_torque;
    QString m_angle;
    QString m_displaying;
    QString m_triggering;
    QString m_notOk;
    QString m_ok;
    QString m_unknown;
    QString m_yes;
    QString m_no;
    QString m_noSchedule;
    QString m_noPreset;
    QString m_noParameter;
};
