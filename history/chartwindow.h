#pragma once

#include "history/historyreports.h"
#include "history/historystats.h"
#include "history/savenameasker.h"

#include <QByteArray>
#include <QWidget>


class HistogramChart;
class QChart;
class QChartView;
class QGridLayout;
class QLabel;
class QLineSeries;
class QPushButton;
class QScatterSeries;
class QValueAxis;

// The measured values of a readout as points in record order, the limits
// and target of the statistics' sample as lines, the sample's histogram, and
// beside them the figures of the statistics with the verdict against the
// thresholds. Both charts are saved as one PNG, the figures as CSV, all of
// it with the wrench's identity as a PDF report.
class ChartWindow : public QWidget
{
    Q_OBJECT

public:
    explicit ChartWindow(QWidget* parent);

    // proposedName: the file name to propose, without a suffix; identity:
    // the wrench the PDF report names.
    void showRecords(const QByteArray& block, QChar decimalSeparator, const QString& proposedName,
                     const StatsThresholds& thresholds = {}, const ReportIdentity& identity = {});
    const HistoryStats& stats() const { return m_stats; }

    // The save dialog; QFileDialog unless replaced.
    void setSaveNameAsker(SaveNameAsker asker) { m_askSaveName = std::move(asker); }

public slots:
    void slotSaveChart();
    void slotSaveStatistics();
    void slotSavePdf();

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void showFigures();
    // The value axis over the sample and its limits; the record axis over all.
    void fitAxes(int recordCount);
    QString askFileName(const QString& caption, const QString& suffix, const QString& filter);
    void showWriteError(const QString& fileName, const QString& error);

    QChart* m_chart;
    QChartView* m_chartView;
    HistogramChart* m_histogram;
    QWidget* m_charts; // both, for the picture
    QScatterSeries* m_okPoints;
    QScatterSeries* m_notOkPoints;
    QScatterSeries* m_notEvaluatedPoints;
    // Other units or limits than the statistics': shown, but not scaled for.
    QScatterSeries* m_outsidePoints;
    QLineSeries* m_lowerLine;
    QLineSeries* m_targetLine;
    QLineSeries* m_upperLine;
    QValueAxis* m_axisX;
    QValueAxis* m_axisY;
    QGridLayout* m_figureGrid;
    QList<QLabel*> m_figureNames;
    QList<QLabel*> m_figureValues;
    QLabel* m_formula;
    QPushButton* m_saveChart;
    QPushButton* m_saveStatistics;
    QPushButton* m_savePdf;

    QByteArray m_block;
    ReportIdentity m_identity;
    HistoryStats m_stats;
    StatsThresholds m_thresholds;
    QChar m_decimalSeparator = u',';
    QString m_proposedName;
    SaveNameAsker m_askSaveName;
};
