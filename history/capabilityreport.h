#pragma once

#include "history/historyreports.h"
#include "history/statssettings.h"

#include <QByteArray>
#include <QChar>
#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QString>

// What a capability report prints: the wrench, the records and how they are
// judged.
struct CapabilityReport {
    Q_DECLARE_TR_FUNCTIONS(CapabilityReport)

public:
    ReportIdentity identity;
    QDate first; // the days of the earliest and the latest measurement
    QDate last;
    QByteArray block; // 64-byte records
    QChar decimalSeparator = u',';
    StatsThresholds thresholds;
    QString toolVersion;
    QDateTime reportTime;

    // The report of block now, by this version of the tool, over the days
    // its records carry.
    static CapabilityReport of(const QByteArray& block, const ReportIdentity& identity, QChar decimalSeparator,
                               const StatsThresholds& thresholds);
};

// The report as an A4 PDF whose texts stay text: heading, wrench, period and
// sample, a run chart and a histogram with the fitted normal curve and the
// limits, every figure of the statistics with its formulas and the verdict.
// Needs a QGuiApplication. The old file stays whole when anything fails;
// error then says why.
bool writeCapabilityPdf(const QString& file, const CapabilityReport& report, QString& error);
