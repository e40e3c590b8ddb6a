#pragma once

#include "history/normality.h"
#include "history/statssettings.h"

#include <QByteArrayView>
#include <QCoreApplication>
#include <QList>
#include <QString>

#include <optional>

// The one value a record contributes to a capability study.
struct MeasuredPoint {
    enum class Result { NotOk, Ok, NotEvaluated };

    int number = 0;
    // Torque in the record's unit; for an angle measurement the angle in
    // degrees. Measurement modes the wrench does not name give the torque.
    double value = 0.0;
    QString unit; // the torque unit text, or "°"
    // Target and the symmetric tolerance around it, only for records with
    // targets: a torque measurement's tolerance is a percentage of the
    // target, an angle measurement's is in degrees.
    bool hasLimits = false;
    double lower = 0.0;
    double target = 0.0;
    double upper = 0.0;
    // The evaluation where the reports print one (an angle measurement, or
    // a torque measurement with targets), and only "n.OK" or "OK".
    Result result = Result::NotEvaluated;
};

// Every record with a number other than 0, in block order.
QList<MeasuredPoint> measuredPoints(QByteArrayView block);

// Figures of a readout. The counts cover every record; the rest describe one
// homogeneous sample: the records with limits whose unit and limits are
// those most records with limits share (on a tie, the ones met first), or,
// when no record has limits, the records of the most common unit. Records
// outside the sample are counted as excluded.
//   standard deviation: sample form, sqrt(sum((x - mean)^2) / (n - 1))
//   Cm  = (USL - LSL) / (6 s)
//   Cmk = min(USL - mean, mean - LSL) / (3 s)
// Cm and Cmk need limits, two values and s > 0; the normality test (see
// normality.h) needs andersonDarlingMinValues values and s > 0.
struct HistoryStats {
    Q_DECLARE_TR_FUNCTIONS(HistoryStats)

public:
    int count = 0;
    int okCount = 0;
    int notOkCount = 0;

    QString unit;
    bool hasLimits = false;
    double lower = 0.0;
    double target = 0.0;
    double upper = 0.0;
    int sampleCount = 0;
    int excludedCount = 0;
    std::optional<double> mean;
    std::optional<double> standardDeviation;
    std::optional<double> minimum;
    std::optional<double> maximum;
    std::optional<double> cm;
    std::optional<double> cmk;
    std::optional<AndersonDarling> normality;

    // A point belongs to the sample.
    bool inSample(const MeasuredPoint& point) const;
    // The normality test rejects a normal distribution at the 5 % level:
    // Cm and Cmk assume one.
    bool normalityDoubtful() const { return normality && normality->p < 0.05; }
};

HistoryStats computeStats(const QList<MeasuredPoint>& points);

// One line of the figures: a translated name and its text. Numbers have
// three decimals and the given decimal separator; a figure that is not
// defined reads "-".
struct StatFigure {
    QString name;
    QString value;
    // A verdict other than capable, or the normality warning.
    bool warning = false;
};
// Ends with the thresholds, the verdict and the normality test.
QList<StatFigure> statFigures(const HistoryStats& stats, QChar decimalSeparator,
                              const StatsThresholds& thresholds = {});

// Too few values in the sample; else capable when Cm and Cmk, as shown with
// three decimals, reach their thresholds. The text names what fails.
struct CapabilityVerdict {
    enum class Kind { TooFewValues, NotCapable, Capable };
    Kind kind = Kind::TooFewValues;
    QString text;
};
CapabilityVerdict capabilityVerdict(const HistoryStats& stats, const StatsThresholds& thresholds,
                                    QChar decimalSeparator);

// How the deviation and the indices are computed, for the reader.
QString statsFormulaText();

// The figures as CSV: a header row of the names and one row of values,
// separated by ";", each row ending in "\n".
QString statsCsv(const HistoryStats& stats, QChar decimalSeparator, const StatsThresholds& thresholds = {});
// The figures as aligned "name: value" lines for a terminal, then the
// formula line.
QString statsText(const HistoryStats& stats, QChar decimalSeparator, const StatsThresholds& thresholds = {});
