// The chart window's histogram and verdict on the simulated wrench's
// histories: every value of the statistics' sample in one bar, the bars
// lined up with the values they count, the curve scaled to counts.

#include "history/chartwindow.h"
#include "tools/historygenerator.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>

#include <cmath>

namespace {

template<typename Series>
Series* seriesNamed(const QChartView& view, const char* name)
{
    for (QAbstractSeries* series : view.chart()->series()) {
        if (series->objectName() == QLatin1String(name))
            return qobject_cast<Series*>(series);
    }
    return nullptr;
}

QValueAxis* horizontalAxis(QAbstractSeries* series)
{
    for (QAbstractAxis* axis : series->attachedAxes()) {
        if (axis->orientation() == Qt::Horizontal)
            return qobject_cast<QValueAxis*>(axis);
    }
    return nullptr;
}

QString figureValue(const ChartWindow& window, const QString& name)
{
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (label->objectName().startsWith(QLatin1String("figureName")) && label->text() == name) {
            const QString index = label->objectName().mid(10);
            return window.findChild<QLabel*>(QStringLiteral("figureValue") + index)->text();
        }
    }
    return QStringLiteral("no figure %1").arg(name);
}

} // namespace

class TestChartWindow : public QObject
{
    Q_OBJECT

private slots:
    void histogramOfTheSample_data();
    void histogramOfTheSample();
    void verdictOfTheThresholds();
    void pdfOfTheWrench();
};

void TestChartWindow::histogramOfTheSample_data()
{
    QTest::addColumn<QByteArray>("block");

    using namespace wrench::history;
    QTest::newRow("production series") << encode(generateSeries(500));
    QTest::newRow("series among other records") << encode(generate(60) + generateSeries(300) + generate(40));
    QTest::newRow("ten of a series") << encode(generateSeries(10));
    QTest::newRow("mixed, no spread") << encode(generate(500));
    QTest::newRow("one value") << encode(generateSeries(1));
    QTest::newRow("no records") << QByteArray(64, '\0');
}

void TestChartWindow::histogramOfTheSample()
{
    QFETCH(QByteArray, block);

    ChartWindow window(nullptr);
    window.showRecords(block, u'.', QStringLiteral("Chart"));
    const HistoryStats& stats = window.stats();
    auto* view = window.findChild<QChartView*>(QStringLiteral("histogramView"));
    QVERIFY(view && !view->accessibleName().isEmpty());
    auto* bars = seriesNamed<QBarSeries>(*view, "histogramBars");
    QVERIFY(bars && bars->count() == 1);
    const QBarSet* counts = bars->barSets().constFirst();
    QCOMPARE(counts->sum(), static_cast<double>(stats.sampleCount));
    if (stats.sampleCount == 0 || stats.minimum == stats.maximum)
        return;

    // The first bar starts at the smallest value, the last ends at the largest,
    // on the axis the limits and the curve are drawn on.
    const QValueAxis* binAxis = horizontalAxis(bars);
    auto* curve = seriesNamed<QLineSeries>(*view, "normalCurve");
    QVERIFY(curve);
    const QValueAxis* valueAxis = horizontalAxis(curve);
    QVERIFY(binAxis && valueAxis && binAxis != valueAxis);
    const double valuesPerBin = (valueAxis->max() - valueAxis->min()) / (binAxis->max() - binAxis->min());
    const auto valueAt = [&](double bin) { return valueAxis->min() + (bin - binAxis->min()) * valuesPerBin; };
    const double bins = static_cast<double>(counts->count());
    QVERIFY(qAbs(valueAt(-0.5) - *stats.minimum) < 1e-9);
    QVERIFY(qAbs(valueAt(bins - 0.5) - *stats.maximum) < 1e-9);

    // The curve's area in bins is the sample's count, up to the tails cut
    // off by the axis.
    const QList<QPointF> points = curve->points();
    double area = 0.0;
    for (qsizetype i = 1; i < points.size(); ++i)
        area += (points[i].x() - points[i - 1].x()) * (points[i].y() + points[i - 1].y()) / 2.0;
    QVERIFY2(qAbs(area / valuesPerBin - stats.sampleCount) < 0.01 * stats.sampleCount,
             qPrintable(QString::number(area / valuesPerBin)));
}

// The figures and the saved CSV judge by the thresholds the window was given.
void TestChartWindow::verdictOfTheThresholds()
{
    const QTemporaryDir folder;
    QVERIFY(folder.isValid());
    ChartWindow window(nullptr);
    window.setSaveNameAsker([&folder](const QString&, const QString&, const QString& filters, QString* selected) {
        *selected = filters;
        return folder.filePath(QStringLiteral("figures"));
    });
    const QByteArray block = wrench::history::encode(wrench::history::generateSeries(500));
    for (const StatsThresholds& thresholds : {StatsThresholds{1.33, 1.33, 100}, StatsThresholds()}) {
        window.showRecords(block, u',', QStringLiteral("Chart"), thresholds);
        const CapabilityVerdict verdict = capabilityVerdict(window.stats(), thresholds, u',');
        QCOMPARE(figureValue(window, QStringLiteral("Required Cmk")),
                 QString::number(thresholds.cmkMin, 'f', 3).replace(u'.', u','));
        QCOMPARE(figureValue(window, QStringLiteral("Verdict")), verdict.text);
        QCOMPARE(verdict.kind == CapabilityVerdict::Kind::Capable, thresholds.cmkMin < 1.5);
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("saveStatistics")), Qt::LeftButton);
        QFile csv(folder.filePath(QStringLiteral("figures.csv")));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(csv.readAll()), statsCsv(window.stats(), u',', thresholds));
    }
}

// The PDF names the wrench the window was given and judges as it does.
void TestChartWindow::pdfOfTheWrench()
{
    const QTemporaryDir folder;
    QVERIFY(folder.isValid());
    ChartWindow window(nullptr);
    window.setSaveNameAsker([&folder](const QString&, const QString& proposed, const QString& filters,
                                      QString* selected) {
        *selected = filters;
        return proposed == QLatin1String("Chart.pdf") ? folder.filePath(QStringLiteral("report")) : QString();
    });
    const StatsThresholds thresholds{1.33, 1.33, 100};
    window.showRecords(wrench::history::encode(wrench::history::generateSeries(500)), u',', QStringLiteral("Chart"),
                       thresholds, {QStringLiteral("TW-9"), QStringLiteral("FW 1"), QStringLiteral("HW 2"),
                                    QStringLiteral("SN-PDF-17")});
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("savePdf")), Qt::LeftButton);
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {folder.filePath(QStringLiteral("report.pdf")), QStringLiteral("-")});
    QVERIFY(text.waitForFinished(30000) && text.exitCode() == 0);
    const QString pdf = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(pdf.contains(QLatin1String("SN-PDF-17")), qPrintable(pdf));
    QVERIFY2(pdf.contains(capabilityVerdict(window.stats(), thresholds, u',').text), qPrintable(pdf));
}

QTEST_MAIN(TestChartWindow)
#include "tst_chartwindow.moc"
