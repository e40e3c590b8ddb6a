// Statistics of a readout against figures computed apart from this code:
// mean, standard deviation, Cm and Cmk of every row come from Python's
// statistics module (statistics.mean, statistics.stdev, the sample form)
// and the two index formulas, run on the values written in the row's comment.

#include "history/historystats.h"

#include "recordbytes.h"

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
    QVERIFY2(qAbs(*actual - expected) < 1e-9, qPrintable(QStringLiteral("%1: %2, expected %3")
                                                             .arg(QLatin1String(name))
                                                             .arg(*actual, 0, 'g', 17)
                                                             .arg(expected, 0, 'g', 17)));
}

} // namespace

Q_DECLARE_METATYPE(Expected)

class TestHistoryStats : public QObject
{
    Q_OBJECT

private slots:
    void knownSamples_data();
    void knownSamples();
    void pointsFollowTheRecordsMode();
    void figuresAsCsvAndTerminalText();
    void undefinedFiguresReadDash();
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
    QCOMPARE(statsCsv(stats, u','),
             QStringLiteral("Measurements;OK;n.OK;Not evaluated;Unit;Lower limit (LSL);Target;Upper limit (USL);"
                            "Values in statistics;Excluded;Mean;Standard deviation;Minimum;Maximum;Cm;Cmk\n"
                            "5;4;1;0;Nm;95,000;100,000;105,000;5;0;100,300;0,652;99,500;101,100;2,557;2,403\n"));
    const QStringList lines = statsText(stats, u'.').split(u'\n');
    QCOMPARE(lines.size(), 18); // 16 figures, the formula, the empty rest after the last line end
    QCOMPARE(lines[0], QStringLiteral("Measurements:         5"));
    QCOMPARE(lines[11], QStringLiteral("Standard deviation:   0.652"));
    QCOMPARE(lines[15], QStringLiteral("Cmk:                  2.403"));
    QCOMPARE(lines[16], statsFormulaText());
    QVERIFY(lines[17].isEmpty());
}

void TestHistoryStats::undefinedFiguresReadDash()
{
    // One value without limits: no deviation, no limits, no indices.
    const HistoryStats stats = computeStats(measuredPoints(displayed(1, -1)));
    QCOMPARE(statsCsv(stats, u',').split(u'\n').value(1),
             QStringLiteral("1;0;0;1;Nm;-;-;-;1;0;-0,010;-;-0,010;-0,010;-;-"));
}

QTEST_GUILESS_MAIN(TestHistoryStats)
#include "tst_historystats.moc"
