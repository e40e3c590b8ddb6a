#pragma once

#include "history/historyreports.h"

#include <array>

// The text report's body: one block per record.
class TextReportWriter
{
public:
    TextReportWriter(QString& out, const ReportSettings& settings);
    void add(const MeasurementRecord& r);

private:
    // Labels of the record lines.
    enum class Line {
        MeasurementMode,
        TorqueMode,
        MeasuredTorque,
        TargetTorque,
        MeasuredAngle,
        TargetAngle,
        SnugTorque,
        Date,
        Time,
        Duration,
        Evaluation,
        Tolerance,
        ReferenceLength,
        Schedule,
        ParameterSet,
        TorqueCheck,
        AngleCheck,
        LowerTorque,
        UpperTorque,
        LowerAngle,
        UpperAngle,
        Verification,
        Count
    };

    void addChecks(const MeasurementRecord& r);
    const QString& label(Line which) const { return m_labels[static_cast<std::size_t>(which)]; }

    void line(Line which, const MeasurementRecord& r, RecordField field, QStringView suffix = {});
    void angleLine(Line which, const MeasurementRecord& r, RecordField field);
    void torqueLine(Line which, const MeasurementRecord& r, RecordField field);
    void measuredTorqueLine(const MeasurementRecord& r);

    QString& m_out;
    RecordFormatter m_format;
    QString m_measurement;
    QString m_rule;
    QString m_overloaded;
    std::array<QString, static_cast<std::size_t>(Line::Count)> m_labels;
    bool m_withChecks;
};
