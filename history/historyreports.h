#pragma once

#include "history/recordformatter.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QString>

// The wrench's identity parameters as the reports print them; empty while
// they have not been read.
struct ReportIdentity {
    QString deviceName;
    QString firmwareVersion;
    QString hardwareVersion;
    QString serialNumber;
};

// Everything besides the records that decides the reports' text.
struct ReportSettings {
    ReportIdentity identity;
    int historyMode = 3; // 2 adds the schedule, parameter set and check values
    QChar decimalSeparator = u',';
    HistoryTranslate translator = translateHistoryText;
};

struct HistoryReports {
    QString text;
    QString csv;
};

// The reports of a block of 64-byte records read from the wrench. Records
// with number 0 are skipped; a trailing partial record is ignored. The text
// report's header counts every whole record and carries reportTime.
QString buildReportHeader(qsizetype blockLength, const ReportSettings& settings, const QDateTime& reportTime);
QString buildTextReport(QByteArrayView block, const ReportSettings& settings, const QDateTime& reportTime);
QString buildCsvReport(QByteArrayView block, const ReportSettings& settings);
// Both at once, decoding each record a single time.
HistoryReports buildReports(QByteArrayView block, const ReportSettings& settings, const QDateTime& reportTime);
