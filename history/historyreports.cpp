#include "history/historyreports.h"

#include "history/csvreport.h"
#include "history/textreport.h"

namespace {

// Typical sizes of one record's text, so that a long history grows its
// strings only a few times.
constexpr qsizetype TextPerRecord = 640;
constexpr qsizetype CsvPerRecord = 160;

template<typename Visit>
void forEachRecord(QByteArrayView block, Visit visit)
{
    const qsizetype count = MeasurementRecord::countIn(block);
    for (qsizetype i = 0; i < count; ++i) {
        const MeasurementRecord record = MeasurementRecord::at(block, i);
        if (!record.isEmpty())
            visit(record);
    }
}

} // namespace

QString buildTextReport(QByteArrayView block, const ReportSettings& settings, const QDateTime& reportTime)
{
    QString text = buildReportHeader(block.size(), settings, reportTime);
    text.reserve(text.size() + MeasurementRecord::countIn(block) * TextPerRecord);
    TextReportWriter writer(text, settings);
    forEachRecord(block, [&](const MeasurementRecord& r) { writer.add(r); });
    return text;
}

QString buildCsvReport(QByteArrayView block, const ReportSettings& settings)
{
    QString csv;
    csv.reserve((MeasurementRecord::countIn(block) + 1) * CsvPerRecord);
    CsvReportWriter writer(csv, settings);
    writer.addHeader(settings.translator);
    forEachRecord(block, [&](const MeasurementRecord& r) { writer.add(r); });
    return csv;
}

HistoryReports buildReports(QByteArrayView block, const ReportSettings& settings, const QDateTime& reportTime)
{
    HistoryReports reports;
    reports.text = buildReportHeader(block.size(), settings, reportTime);
    reports.text.reserve(reports.text.size() + MeasurementRecord::countIn(block) * TextPerRecord);
    reports.csv.reserve((MeasurementRecord::countIn(block) + 1) * CsvPerRecord);
    TextReportWriter text(reports.text, settings);
    CsvReportWriter csv(reports.csv, settings);
    csv.addHeader(settings.translator);
    forEachRecord(block, [&](const MeasurementRecord& r) {
        text.add(r);
        csv.add(r);
    });
    return reports;
}
