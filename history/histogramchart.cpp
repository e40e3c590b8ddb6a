#include "history/histogramchart.h"

#include "history/historystats.h"

#include <QBarSeries>
#include <QBarSet>
#include <QEvent>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

constexpr int curvePoints = 121;
constexpr double sqrtTwoPi = 2.5066282746310002;

// 1, 2 or 5 times a power of ten, at least 1: count ticks stay whole.
double countStep(double top)
{
    const double rough = top / 5.0;
    if (rough <= 1.0)
        return 1.0;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough)
            return factor * power;
    }
    return 10.0 * power;
}

QList<QPointF> verticalLine(bool shown, double value, double top)
{
    if (!shown)
        return {};
    return {QPointF(value, 0.0), QPointF(value, top)};
}

} // namespace

QLineSeries* limitSeries(const QString& objectName, LimitLine kind)
{
    auto* series = new QLineSeries; // the chart owns it once added
    series->setObjectName(objectName);
    const bool target = kind == LimitLine::Target;
    series->setPen(QPen(target ? QColor(0x30, 0x50, 0xB0) : QColor(0xB0, 0x30, 0x30), 2.0,
                        target ? Qt::DotLine : Qt::DashLine));
    return series;
}

HistogramChart::HistogramChart(QWidget* parent)
    : QChartView(new QChart, parent)
    , m_chart(chart())
    , m_bars(new QBarSeries)
    , m_counts(new QBarSet(QString()))
    , m_curve(new QLineSeries)
    , m_lowerLine(limitSeries(QStringLiteral("histogramLowerLimit"), LimitLine::Lower))
    , m_targetLine(limitSeries(QStringLiteral("histogramTarget"), LimitLine::Target))
    , m_upperLine(limitSeries(QStringLiteral("histogramUpperLimit"), LimitLine::Upper))
    , m_binAxis(new QValueAxis(m_chart))
    , m_valueAxis(new QValueAxis(m_chart))
    , m_countAxis(new QValueAxis(m_chart))
{
    setObjectName(QStringLiteral("histogramView"));
    setRenderHint(QPainter::Antialiasing);
    m_bars->setObjectName(QStringLiteral("histogramBars"));
    m_counts->setColor(QColor(0x9D, 0xC3, 0xE6));
    m_counts->setBorderColor(QColor(0x4A, 0x6F, 0x94));
    m_bars->append(m_counts); // the series owns the set
    // Touching bars: a bin covers its whole width.
    m_bars->setBarWidth(1.0);
    m_curve->setObjectName(QStringLiteral("normalCurve"));
    m_curve->setPen(QPen(QColor(0x1F, 0x3A, 0x5F), 2.0));

    m_chart->addAxis(m_binAxis, Qt::AlignBottom);
    m_chart->addAxis(m_valueAxis, Qt::AlignBottom);
    m_chart->addAxis(m_countAxis, Qt::AlignLeft);
    m_binAxis->setVisible(false);
    m_countAxis->setTickType(QValueAxis::TicksDynamic);
    m_countAxis->setTickAnchor(0.0);
    m_countAxis->setLabelFormat(QStringLiteral("%d"));
    m_chart->addSeries(m_bars);
    m_bars->attachAxis(m_binAxis);
    m_bars->attachAxis(m_countAxis);
    for (QLineSeries* series : {m_curve, m_lowerLine, m_targetLine, m_upperLine}) {
        m_chart->addSeries(series);
        series->attachAxis(m_valueAxis);
        series->attachAxis(m_countAxis);
    }
    // The run chart beside names the limits and the target.
    for (QLineSeries* series : {m_lowerLine, m_targetLine, m_upperLine}) {
        for (QLegendMarker* marker : m_chart->legend()->markers(series))
            marker->setVisible(false);
    }
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    showSample({}, HistoryStats());
    retranslate();
}

void HistogramChart::showSample(const QList<double>& values, const HistoryStats& stats)
{
    const Histogram histogram = histogramOf(values);
    m_counts->remove(0, m_counts->count());
    int highest = 0;
    for (int count : histogram.counts) {
        m_counts->append(count);
        highest = qMax(highest, count);
    }
    const double end = histogram.start + histogram.width * static_cast<double>(histogram.counts.size());
    double low = histogram.start;
    double high = end;
    const double sigma = stats.standardDeviation.value_or(0.0);
    const bool curve = !values.isEmpty() && sigma > 0.0;
    // Scaled to counts: the expected count of a bin at the mean.
    const double peak = curve ? static_cast<double>(values.size()) * histogram.width / (sigma * sqrtTwoPi) : 0.0;
    const double mean = stats.mean.value_or(0.0);
    if (curve) {
        low = qMin(low, mean - 4.0 * sigma);
        high = qMax(high, mean + 4.0 * sigma);
    }
    if (stats.hasLimits) {
        low = qMin(low, stats.lower);
        high = qMax(high, stats.upper);
    }
    const double margin = high > low ? (high - low) * 0.03 : 0.5;
    fitAxes(histogram, low - margin, high + margin, qMax(static_cast<double>(highest), peak) * 1.08);

    QList<QPointF> line;
    if (curve) {
        const double from = m_valueAxis->min();
        const double step = (m_valueAxis->max() - from) / (curvePoints - 1);
        for (int i = 0; i < curvePoints; ++i) {
            const double x = from + step * i;
            const double z = (x - mean) / sigma;
            line.append(QPointF(x, peak * std::exp(-0.5 * z * z)));
        }
    }
    m_curve->replace(line);
    const double top = m_countAxis->max();
    m_lowerLine->replace(verticalLine(stats.hasLimits, stats.lower, top));
    m_targetLine->replace(verticalLine(stats.hasLimits, stats.target, top));
    m_upperLine->replace(verticalLine(stats.hasLimits, stats.upper, top));
}

void HistogramChart::fitAxes(const Histogram& histogram, double low, double high, double top)
{
    m_valueAxis->setRange(low, high);
    m_valueAxis->applyNiceNumbers();
    const auto binOf = [&histogram](double value) { return (value - histogram.start) / histogram.width - 0.5; };
    m_binAxis->setRange(binOf(m_valueAxis->min()), binOf(m_valueAxis->max()));
    const double step = countStep(top);
    m_countAxis->setTickInterval(step);
    m_countAxis->setRange(0.0, qMax(1.0, std::ceil(top / step)) * step);
}

void HistogramChart::setValueTitle(const QString& title)
{
    m_valueAxis->setTitleText(title);
}

void HistogramChart::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QChartView::changeEvent(event);
}

void HistogramChart::retranslate()
{
    m_chart->setTitle(tr("Distribution of the values"));
    setAccessibleName(tr("Histogram of the measured values"));
    m_countAxis->setTitleText(tr("Count"));
    m_counts->setLabel(HistoryStats::tr("Values in statistics"));
    m_curve->setName(tr("Normal distribution (mean, σ)"));
}
