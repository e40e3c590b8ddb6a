// Statistics of a readout against figures computed apart from this code:
// mean, standard deviation, Cm and Cmk of every row come from Python's
// statistics module (statistics.mean, statistics.stdev, the sample form)
// and the two index formulas, run on the values written in the row's comment.

#include "history/historystats.h"

#include "app/qorbinifile.h"
#include "recordbytes.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

constexpr double undefined = std::numeric_limits<double>::quiet_NaN();

// A triggered torque measurement: hundredths measured, tenths of target,
// tenths of a percent of tolerance.
QByteArray torque(int number, qint64 measured, qint64 target, qint64 tolerance, int evaluation = 1, int unit = 0,
                  int negative = 0)
{
    return recordBytes({field::number(number), field::modeFlags(0x10), field::measuredTorque(measured),
                        field::targetTorque(target), field::tolerance(tolerance), field::evaluation(evaluation),
                        field::torqueUnit(unit), field::negative(negative)});
}

// A torque measurement without targets: no limits, no evaluation.
QByteArray displayed(int number, qint64 measured, int unit = 0)
{
    return recordBytes({field::number(number), field::measuredTorque(measured), field::torqueUnit(unit),
                        field::evaluation(1)});
}

// A triggered angle measurement: tenths of a degree measured, whole degrees
// of target and tolerance.
QByteArray angle(int number, qint64 measured, qint64 target, qint64 tolerance, int evaluation = 1, int negative = 0)
{
    return recordBytes({field::number(number), field::modeFlags(0x11), field::measuredAngle(measured),
                        field::targetAngle(target), field::tolerance(tolerance), field::evaluation(evaluation),
                        field::negative(negative), field::measuredTorque(99999)});
}

QByteArray block(std::initializer_list<QByteArray> records)
{
    QByteArray bytes;
    for (const QByteArray& record : records)
        bytes += record;
    return bytes;
}

struct Expected {
    int count;
    int ok;
    int notOk;
    int sample;
    int excluded;
    QString unit;
    double lower; // NaN: the sample has no limits
    double upper;
    double mean;
    double sigma; // NaN: not defined
    double minimum;
    double maximum;
    double cm;
    double cmk;
};

void compareFigure(const std::optional<double>& actual, double expected, const char* name)
{
    if (std::isnan(expected)) {
        QVERIFY2(!actual.has_value(), name);
        return;
    }
    QVERIFY2(actual.has_value(), name);
    QVERIFY2(qAbs(*actual - expected) < 1e-9 * qMax(1.0, qAbs(expected)), qPrintable(QStringLiteral("%1: %2, expected %3")
                                                             .arg(QLatin1String(name))
                                                             .arg(*actual, 0, 'g', 17)
                                                             .arg(expected, 0, 'g', 17)));
}

// A sample of one unit with limits lower..upper, every value evaluated OK.
QList<MeasuredPoint> sample(const QList<double>& values, double lower, double upper, bool limits = true)
{
    QList<MeasuredPoint> points;
    for (double value : values) {
        MeasuredPoint point;
        point.number = static_cast<int>(points.size()) + 1;
        point.value = value;
        point.unit = QStringLiteral("Nm");
        point.hasLimits = limits;
        point.lower = limits ? lower : 0.0;
        point.target = limits ? (lower + upper) / 2.0 : 0.0;
        point.upper = limits ? upper : 0.0;
        point.result = limits ? MeasuredPoint::Result::Ok : MeasuredPoint::Result::NotEvaluated;
        points.append(point);
    }
    return points;
}

QList<MeasuredPoint> nearNormal()
{
    return sample({49.12, 50.31, 50.87, 49.65, 50.02, 51.24, 48.73, 50.44, 49.88, 50.15,
                   49.41, 50.66, 51.57, 48.39, 50.09, 49.97, 50.52, 49.26, 50.78, 49.80},
                  45.0, 55.0);
}

QList<MeasuredPoint> withTies()
{
    return sample({10.0, 10.0, 10.1, 10.1, 10.1, 10.2, 10.2, 10.2, 10.2, 10.3, 10.3, 10.4}, 9.6, 10.8);
}

QList<MeasuredPoint> twoValues()
{
    QList<double> values(1000, 0.0);
    std::fill(values.begin() + 500, values.end(), 1.0);
    return sample(values, -2.0, 3.0);
}

const QString normalWords = QStringLiteral("no evidence against a normal distribution");
const QString notNormalWords =
    QStringLiteral("the values do not look normally distributed: Cm and Cmk may mislead");

} // namespace

Q_DECLARE_METATYPE(Expected)
Q_DECLARE_METATYPE(QList<MeasuredPoint>)
Q_DECLARE_METATYPE(StatsThresholds)
Q_DECLARE_METATYPE(CapabilityVerdict::Kind)

class TestHistoryStats : public QObject
{
    Q_OBJECT

private slots:
    void knownSamples_data();
    void knownSamples();
    void pointsFollowTheRecordsMode();
    void figuresAsCsvAndTerminalText();
    void undefinedFiguresReadDash();
    void normality_data();
    void normality();
    void verdict_data();
    void verdict();
    void thresholdsFromSettings_data();
    void thresholdsFromSettings();
};

void TestHistoryStats::knownSamples_data()
{
    QTest::addColumn<QByteArray>("records");
    QTest::addColumn<Expected>("expected");

    // 99.50 100.20 100.80 101.10 99.90 Nm, limits 100.0 +-5 % = 95..105
    QTest::newRow("torque, one n.OK")
        << block({torque(1, 9950, 1000, 50), torque(2, 10020, 1000, 50), torque(3, 10080, 1000, 50, 0),
                  torque(4, 10110, 1000, 50), torque(5, 9990, 1000, 50)})
        << Expected{5, 4, 1, 5, 0, QStringLiteral("Nm"), 95.0, 105.0, 100.3, 0.6519202405202617, 99.5, 101.1,
                    2.5565499628245805, 2.403156965055107};
    // 90.5 91 89.5 90 92 88 degrees, limits 90 +-5 = 85..95
    QTest::newRow("angle")
        << block({angle(1, 905, 90, 5), angle(2, 910, 90, 5), angle(3, 895, 90, 5), angle(4, 900, 90, 5),
                  angle(5, 920, 90, 5, 0), angle(6, 880, 90, 5, 0)})
        << Expected{6, 4, 2, 6, 0, QStringLiteral("\u00B0"), 85.0, 95.0, 90.16666666666667, 1.3662601021279464,
                    88.0, 92.0, 1.2198750911856666, 1.1792125881461433};
    // Sample 48.00 51.50 50.25 49.75 Nm, limits 50.0 +-10 % = 45..55; excluded:
    // two of other limits, one in Lbf ft, one without limits.
    QTest::newRow("majority of unit and limits")
        << block({torque(1, 6050, 600, 100), torque(2, 4800, 500, 100), torque(3, 5150, 500, 100),
                  torque(4, 5000, 500, 100, 1, 1), torque(5, 5025, 500, 100), displayed(6, 5000),
                  torque(7, 5900, 600, 100, 0), torque(8, 4975, 500, 100)})
        << Expected{8, 6, 1, 4, 4, QStringLiteral("Nm"), 45.0, 55.0, 49.875, 1.4505745987941008, 48.0, 51.5,
                    1.1489699792428523, 1.120245729761781};
    // 45.2 44.8 45.6 degrees shown, not triggered: the reports still print
    // target 45 +-3 and the evaluation, so the limits 42..48 count
    QTest::newRow("angle, displaying")
        << block({recordBytes({field::number(1), field::modeFlags(0x01), field::measuredAngle(452),
                               field::targetAngle(45), field::tolerance(3), field::evaluation(1)}),
                  recordBytes({field::number(2), field::modeFlags(0x01), field::measuredAngle(448),
                               field::targetAngle(45), field::tolerance(3), field::evaluation(1)}),
                  recordBytes({field::number(3), field::modeFlags(0x01), field::measuredAngle(456),
                               field::targetAngle(45), field::tolerance(3), field::evaluation(0)})})
        << Expected{3, 2, 1, 3, 0, QStringLiteral("\u00B0"), 42.0, 48.0, 45.2, 0.40000000000000213, 44.8, 45.6,
                    2.4999999999999867, 2.3333333333333184};
    // 101.0 Nm alone
    QTest::newRow("one value") << block({torque(1, 10100, 1000, 50)})
                               << Expected{1,     1,         0,         1,         0,     QStringLiteral("Nm"),
                                           95.0,  105.0,     101.0,     undefined, 101.0, 101.0,
                                           undefined, undefined};
    // 120.10 Nm three times: a sum that does not divide back exactly
    QTest::newRow("no spread")
        << block({torque(1, 12010, 1200, 40), torque(2, 12010, 1200, 40), torque(3, 12010, 1200, 40)})
        << Expected{3, 3, 0, 3, 0, QStringLiteral("Nm"), 115.2, 124.8, 120.1, 0.0, 120.1, 120.1, undefined,
                    undefined};
    // 10 12 14 Nm displayed; 5 Lbf in excluded
    QTest::newRow("no limits anywhere")
        << block({displayed(1, 1000), displayed(2, 500, 2), displayed(3, 1200), displayed(4, 1400)})
        << Expected{4, 0, 0, 3, 1, QStringLiteral("Nm"), undefined, undefined, 12.0, 2.0, 10.0, 14.0, undefined,
                    undefined};
    // -123.45 -122.90 -124.10 -122.00 Kgf m, limits -123.0 +-2.5 % = -126.075..-119.925
    QTest::newRow("negative torque target")
        << block({torque(1, -12345, 1230, 25, 1, 3, 1), torque(2, -12290, 1230, 25, 1, 3, 1),
                  torque(3, -12410, 1230, 25, 1, 3, 1), torque(4, -12200, 1230, 25, 1, 3, 1)})
        << Expected{4, 4, 0, 4, 0, QStringLiteral("Kgf m"), -126.075, -119.925, -123.1125, 0.8891709621889348,
                    -124.1, -122.0, 1.1527591920868472, 1.1105850753031832};
    // -45.2 -44.7 -46.0 degrees, limits -45 +-3; an empty record and an
    // unknown evaluation between them
    QTest::newRow("negative angle, empty record, unknown evaluation")
        << block({angle(1, 452, 45, 3, 1, 1), angle(0, 100, 10, 1), angle(2, 447, 45, 3, 2, 1),
                  angle(3, 460, 45, 3, 0, 1)})
        << Expected{3, 1, 1, 3, 0, QStringLiteral("\u00B0"), -48.0, -42.0, -45.300000000000004, 0.6557438524301985,
                    -46.0, -44.7, 1.5249857033260503, 1.3724871329934432};
    // Two of 20.0 +-10 % (20.0 21.0 Nm) before two of 30.0 +-10 %: the first wins
    QTest::newRow("tie goes to the first")
        << block({torque(1, 2000, 200, 100), torque(2, 3000, 300, 100), torque(3, 3100, 300, 100),
                  torque(4, 2100, 200, 100)})
        << Expected{4, 4, 0, 2, 2, QStringLiteral("Nm"), 18.0, 22.0, 20.5, 0.7071067811865476, 20.0, 21.0,
                    0.9428090415820632, 0.7071067811865475};
    QTest::newRow("no records") << QByteArray(64, '\0') + QByteArray(10, '\x01')
                                << Expected{0,         0,         0,         0,         0,
                                            QString(), undefined, undefined, undefined, undefined,
                                            undefined, undefined, undefined, undefined};
}

void TestHistoryStats::knownSamples()
{
    QFETCH(QByteArray, records);
    QFETCH(Expected, expected);

    const HistoryStats stats = computeStats(measuredPoints(records));
    QCOMPARE(stats.count, expected.count);
    QCOMPARE(stats.okCount, expected.ok);
    QCOMPARE(stats.notOkCount, expected.notOk);
    QCOMPARE(stats.sampleCount, expected.sample);
    QCOMPARE(stats.excludedCount, expected.excluded);
    QCOMPARE(stats.unit, expected.unit);
    QCOMPARE(stats.hasLimits, !std::isnan(expected.lower));
    if (stats.hasLimits) {
        QVERIFY(qAbs(stats.lower - expected.lower) < 1e-9);
        QVERIFY(qAbs(stats.upper - expected.upper) < 1e-9);
    }
    compareFigure(stats.mean, expected.mean, "mean");
    compareFigure(stats.standardDeviation, expected.sigma, "sigma");
    compareFigure(stats.minimum, expected.minimum, "minimum");
    compareFigure(stats.maximum, expected.maximum, "maximum");
    compareFigure(stats.cm, expected.cm, "Cm");
    compareFigure(stats.cmk, expected.cmk, "Cmk");
}

void TestHistoryStats::pointsFollowTheRecordsMode()
{
    // An unknown measurement mode gives its torque, with neither limits nor
    // evaluation; an angle measurement gives its angle, not its torque.
    const QByteArray unknownMode = recordBytes({field::number(7), field::modeFlags(0x12),
                                                field::measuredTorque(4711), field::torqueUnit(7),
                                                field::targetTorque(470), field::evaluation(1)});
    const QList<MeasuredPoint> points = measuredPoints(block({unknownMode, angle(8, 905, 90, 5)}));
    QCOMPARE(points.size(), 2);
    QCOMPARE(points[0].number, 7);
    QCOMPARE(points[0].value, 47.11);
    QCOMPARE(points[0].unit, QString());
    QVERIFY(!points[0].hasLimits);
    QCOMPARE(points[0].result, MeasuredPoint::Result::NotEvaluated);
    QCOMPARE(points[1].value, 90.5);
    QCOMPARE(points[1].target, 90.0);
    QCOMPARE(points[1].result, MeasuredPoint::Result::Ok);
}

void TestHistoryStats::figuresAsCsvAndTerminalText()
{
    const HistoryStats stats = computeStats(measuredPoints(
        block({torque(1, 9950, 1000, 50), torque(2, 10020, 1000, 50), torque(3, 10080, 1000, 50, 0),
               torque(4, 10110, 1000, 50), torque(5, 9990, 1000, 50)})));
    QCOMPARE(statsCsv(stats, u',', StatsThresholds{1.33, 2.5, 5}),
             QStringLiteral("Measurements;OK;n.OK;Not evaluated;Unit;Lower limit (LSL);Target;Upper limit (USL);"
                            "Values in statistics;Excluded;Mean;Standard deviation;Minimum;Maximum;Cm;Cmk;"
                            "Required Cm;Required Cmk;Required values;Verdict;Anderson-Darling A²;"
                            "A*² (corrected for n);p-value (normality);Normality\n"
                            "5;4;1;0;Nm;95,000;100,000;105,000;5;0;100,300;0,652;99,500;101,100;2,557;2,403;"
                            "1,330;2,500;5;not capable: Cmk 2,403 < 2,500;-;-;-;-\n"));
    const QStringList lines = statsText(stats, u'.').split(u'\n');
    QCOMPARE(lines.size(), 26); // 24 figures, the formula, the empty rest after the last line end
    QCOMPARE(lines[0], QStringLiteral("Measurements:          5"));
    QCOMPARE(lines[11], QStringLiteral("Standard deviation:    0.652"));
    QCOMPARE(lines[15], QStringLiteral("Cmk:                   2.403"));
    QCOMPARE(lines[19], QStringLiteral("Verdict:               too few values: 5 of 50"));
    QCOMPARE(lines[24], statsFormulaText());
    QVERIFY(lines[25].isEmpty());
}

void TestHistoryStats::undefinedFiguresReadDash()
{
    // One value without limits: no deviation, no limits, no indices.
    const HistoryStats stats = computeStats(measuredPoints(displayed(1, -1)));
    QCOMPARE(statsCsv(stats, u',').split(u'\n').value(1),
             QStringLiteral("1;0;0;1;Nm;-;-;-;1;0;-0,010;-;-0,010;-0,010;-;-;1,670;1,670;50;"
                            "too few values: 1 of 50;-;-;-;-"));
}

// Cm, Cmk, A², A*² and p of every row as printed by normality_known.py in
// this folder (Python's statistics module and math.erfc; A*² and p after
// D'Agostino & Stephens, Goodness-of-Fit Techniques, 1986).
void TestHistoryStats::normality_data()
{
    QTest::addColumn<QList<MeasuredPoint>>("points");
    QTest::addColumn<QList<double>>("expected"); // Cm, Cmk, A², A*², p; NaN: undefined

    QTest::newRow("near normal") << nearNormal()
                                 << QList<double>{2.0622072550145782, 2.044472272621453, 0.10261415790695239,
                                                  0.10703939346668971, 0.9943347652745631};
    QTest::newRow("skewed") << sample({20.05, 20.10, 20.12, 20.20, 20.21, 20.30, 20.35, 20.48, 20.60, 20.81, 21.05,
                                       21.40, 21.92, 22.70, 24.10},
                                      19.8, 24.2)
                            << QList<double>{0.6359815258654835, 0.33514299196365926, 1.29558588103054,
                                             1.3733210338923725, 0.0014862338382834069};
    QTest::newRow("eight values") << sample({90.5, 91.0, 89.5, 90.0, 92.0, 88.0, 90.3, 89.1}, 85.0, 95.0)
                                  << QList<double>{1.3686710867775256, 1.354984375909751, 0.12795636573051006,
                                                   0.14445074100045863, 0.9696392900903104};
    QTest::newRow("seven values") << sample({90.5, 91.0, 89.5, 90.0, 92.0, 88.0, 90.3}, 85.0, 95.0)
                                  << QList<double>{1.3352166812851278, 1.285622918837395, undefined, undefined,
                                                   undefined};
    QTest::newRow("ties") << withTies()
                          << QList<double>{1.6455067024148833, 1.5769439231475981, 0.36739975657307156,
                                           0.39610286255534277, 0.37018860197978104};
    QTest::newRow("ten values") << sample({5.1, 5.3, 5.4, 5.5, 5.6, 5.7, 5.9, 6.0, 6.3, 6.8}, 4.5, 7.5)
                                << QList<double>{0.9839503786657231, 0.8265183180792073, 0.2463264322345129,
                                                 0.27034325937737785, 0.6766394244758362};
    QTest::newRow("two values, far from normal")
        << twoValues()
        << QList<double>{1.665833124895768, 1.665833124895768, 179.47598534032818, 179.61099615030045, 0.0};
    QTest::newRow("no spread") << sample(QList<double>(10, 3.0), 2.0, 4.0)
                               << QList<double>{undefined, undefined, undefined, undefined, undefined};
}

void TestHistoryStats::normality()
{
    QFETCH(QList<MeasuredPoint>, points);
    QFETCH(QList<double>, expected);

    const HistoryStats stats = computeStats(points);
    compareFigure(stats.cm, expected[0], "Cm");
    compareFigure(stats.cmk, expected[1], "Cmk");
    const auto figure = [&stats](double AndersonDarling::*member) {
        return stats.normality ? std::optional<double>((*stats.normality).*member) : std::nullopt;
    };
    compareFigure(figure(&AndersonDarling::a2), expected[2], "A2");
    compareFigure(figure(&AndersonDarling::a2Corrected), expected[3], "A*2");
    compareFigure(figure(&AndersonDarling::p), expected[4], "p");

    // The last figure: the warning below 5 %.
    const StatFigure normality = statFigures(stats, u'.').constLast();
    const bool doubtful = expected[4] < 0.05;
    QCOMPARE(normality.warning, doubtful);
    QCOMPARE(normality.value, std::isnan(expected[4]) ? QStringLiteral("-") : doubtful ? notNormalWords : normalWords);
}

void TestHistoryStats::verdict_data()
{
    QTest::addColumn<QList<MeasuredPoint>>("points");
    QTest::addColumn<StatsThresholds>("thresholds");
    QTest::addColumn<CapabilityVerdict::Kind>("kind");
    QTest::addColumn<QString>("text");

    using Kind = CapabilityVerdict::Kind;
    // Cm 2.062, Cmk 2.044 of 20 values
    QTest::newRow("capable") << nearNormal() << StatsThresholds{1.67, 1.67, 20} << Kind::Capable
                             << QStringLiteral("capable");
    QTest::newRow("too few values") << nearNormal() << StatsThresholds() << Kind::TooFewValues
                                    << QStringLiteral("too few values: 20 of 50");
    QTest::newRow("Cm fails") << nearNormal() << StatsThresholds{2.1, 1.33, 20} << Kind::NotCapable
                              << QStringLiteral("not capable: Cm 2,062 < 2,100");
    // Cm 1.646, Cmk 1.577 of 12 values
    QTest::newRow("Cmk fails") << withTies() << StatsThresholds{1.33, 1.6, 12} << Kind::NotCapable
                               << QStringLiteral("not capable: Cmk 1,577 < 1,600");
    QTest::newRow("both fail") << withTies() << StatsThresholds{1.67, 1.67, 10} << Kind::NotCapable
                               << QStringLiteral("not capable: Cm 1,646 < 1,670 and Cmk 1,577 < 1,670");
    // Cm and Cmk 1.66583: as shown, 1,666
    QTest::newRow("judged as shown") << twoValues() << StatsThresholds{1.666, 1.666, 1000} << Kind::Capable
                                     << QStringLiteral("capable");
    QTest::newRow("shown below") << twoValues() << StatsThresholds{1.667, 1.0, 1000} << Kind::NotCapable
                                 << QStringLiteral("not capable: Cm 1,666 < 1,667");
    QTest::newRow("no limits") << sample({1.0, 2.0}, 0.0, 0.0, false) << StatsThresholds{1.67, 1.67, 2}
                               << Kind::NotCapable << QStringLiteral("not capable: Cm and Cmk undefined (no limits)");
    QTest::newRow("one value") << sample({1.0}, 0.0, 3.0) << StatsThresholds{1.67, 1.67, 1} << Kind::NotCapable
                               << QStringLiteral("not capable: Cm and Cmk undefined (fewer than two values)");
    QTest::newRow("no spread") << sample({1.0, 1.0, 1.0}, 0.0, 3.0) << StatsThresholds{1.67, 1.67, 3}
                               << Kind::NotCapable
                               << QStringLiteral("not capable: Cm and Cmk undefined (the values do not vary)");
}

void TestHistoryStats::verdict()
{
    QFETCH(QList<MeasuredPoint>, points);
    QFETCH(StatsThresholds, thresholds);
    QFETCH(CapabilityVerdict::Kind, kind);
    QFETCH(QString, text);

    const HistoryStats stats = computeStats(points);
    const CapabilityVerdict verdict = capabilityVerdict(stats, thresholds, u',');
    QCOMPARE(verdict.kind, kind);
    QCOMPARE(verdict.text, text);
    // The terminal text names the thresholds and the verdict.
    const QString lines = statsText(stats, u',', thresholds);
    const auto line = [&lines](const QString& name, const QString& value) {
        return lines.contains(
            QRegularExpression(QStringLiteral("\\n%1: +%2\\n").arg(name, QRegularExpression::escape(value))));
    };
    QVERIFY(line(QStringLiteral("Required values"), QString::number(thresholds.minValues)));
    QVERIFY(line(QStringLiteral("Verdict"), text));
}

void TestHistoryStats::thresholdsFromSettings_data()
{
    QTest::addColumn<QByteArray>("file"); // empty: no file
    QTest::addColumn<StatsThresholds>("expected");

    QTest::newRow("no file") << QByteArray() << StatsThresholds();
    QTest::newRow("point, comma, whole number")
        << QByteArray("[STATISTICS]\r\nCM_MIN=1.33\r\nCMK_MIN=1,5\r\nMIN_VALUES=25\r\n") << StatsThresholds{1.33, 1.5, 25};
    QTest::newRow("blanks around") << QByteArray("[STATISTICS]\nCM_MIN = 2 \nMIN_VALUES = 125\n")
                                   << StatsThresholds{2.0, 1.67, 125};
    QTest::newRow("not numbers") << QByteArray("[STATISTICS]\nCM_MIN=high\nCMK_MIN=1,3,3\nMIN_VALUES=12.5\n")
                                 << StatsThresholds();
    QTest::newRow("not positive") << QByteArray("[STATISTICS]\nCM_MIN=0\nCMK_MIN=-1.33\nMIN_VALUES=-5\n")
                                  << StatsThresholds();
    QTest::newRow("empty values") << QByteArray("[STATISTICS]\nCM_MIN=\nCMK_MIN=\nMIN_VALUES=\n")
                                  << StatsThresholds();
    QTest::newRow("another section") << QByteArray("[SETUP]\nCM_MIN=1.0\nMIN_VALUES=5\n") << StatsThresholds();
}

void TestHistoryStats::thresholdsFromSettings()
{
    QFETCH(QByteArray, file);
    QFETCH(StatsThresholds, expected);

    const QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString fileName = folder.filePath(QStringLiteral("TolvoTool.ini"));
    if (!file.isEmpty()) {
        QFile ini(fileName);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        QCOMPARE(ini.write(file), file.size());
    }
    QorbInifile settings;
    settings.setFileName(fileName, true);
    const StatsThresholds thresholds = readStatsThresholds(settings);
    QCOMPARE(thresholds.cmMin, expected.cmMin);
    QCOMPARE(thresholds.cmkMin, expected.cmkMin);
    QCOMPARE(thresholds.minValues, expected.minValues);
    // Nothing written, not even the defaults.
    QFile after(fileName);
    QCOMPARE(after.exists(), !file.isEmpty());
    if (after.exists()) {
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), file);
    }
}

QTEST_GUILESS_MAIN(TestHistoryStats)
#include "tst_historystats.moc"
