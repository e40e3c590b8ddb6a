#pragma once

#include "history/historyreports.h"

// The CSV report: the header row, then one row per record.
class CsvReportWriter
{
public:
    CsvReportWriter(QString& out, const ReportSettings& settings);
    void addHeader(const HistoryTranslate& translator);
    void add(const MeasurementRecord& r);

private:
    // Each writes its field (empty when not shown) and the separator.
    void field(bool shown, const MeasurementRecord& r, RecordField which);
    void text(bool shown, const QString& value);
    void unit(bool shown, const MeasurementRecord& r); // a blank and the torque unit

    QString& m_out;
    RecordFormatter m_format;
    QString m_identity;
    QString m_overloaded;
    QString m_degreesUnit;
    QString m_percentUnit;
    bool m_withChecks;
};
