#pragma once

#include "history/histogram.h"

#include <QChartView>
#include <QList>

struct HistoryStats;
class QBarSeries;
class QBarSet;
class QLineSeries;
class QValueAxis;

// A limit or the target as a line, drawn alike in both charts; the chart
// owns the series once it is added.
enum class LimitLine { Lower, Target, Upper };
QLineSeries* limitSeries(const QString& objectName, LimitLine kind);

// The statistics' sample as a histogram, the normal distribution of its mean
// and standard deviation scaled to counts over it, and its limits and target
// as vertical lines.
class HistogramChart : public QChartView
{
    Q_OBJECT

public:
    explicit HistogramChart(QWidget* parent);

    // values: the sample of stats.
    void showSample(const QList<double>& values, const HistoryStats& stats);
    void setValueTitle(const QString& title);

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    // Bars sit at whole numbers of the hidden bin axis, lines at values of
    // the shown axis; both axes span the same values.
    void fitAxes(const Histogram& histogram, double low, double high, double top);

    QChart* m_chart;
    QBarSeries* m_bars;
    QBarSet* m_counts;
    QLineSeries* m_curve;
    QLineSeries* m_lowerLine;
    QLineSeries* m_targetLine;
    QLineSeries* m_upperLine;
    QValueAxis* m_binAxis;
    QValueAxis* m_valueAxis;
    QValueAxis* m_countAxis;
};
