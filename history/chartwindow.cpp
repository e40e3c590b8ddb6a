#include "history/chartwindow.h"

#include "history/capabilityreport.h"
#include "history/histogramchart.h"
#include "history/historysave.h"
#include "ui/styletemplate.h"

#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPixmap>
#include <QPushButton>
#include <QScatterSeries>
#include <QValueAxis>

namespace {

QScatterSeries* pointSeries(const QString& objectName, const QColor& colour)
{
    auto* series = new QScatterSeries; // the chart owns it once added
    series->setObjectName(objectName);
    series->setColor(colour);
    series->setBorderColor(colour.darker(130));
    series->setMarkerSize(7.0);
    return series;
}

// A horizontal line over the records, or nothing without limits.
QList<QPointF> levelLine(bool shown, double level, int count)
{
    if (!shown)
        return {};
    return {QPointF(1.0, level), QPointF(qMax(count, 2), level)};
}

} // namespace

ChartWindow::ChartWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_chart(new QChart)
    , m_chartView(new QChartView(m_chart, this))
    , m_histogram(new HistogramChart(this))
    , m_charts(new QWidget(this))
    , m_okPoints(pointSeries(QStringLiteral("okPoints"), QColor(0x2E, 0x9D, 0x3A)))
    , m_notOkPoints(pointSeries(QStringLiteral("notOkPoints"), QColor(0xD6, 0x27, 0x28)))
    , m_notEvaluatedPoints(pointSeries(QStringLiteral("notEvaluatedPoints"), QColor(0x8C, 0x8C, 0x8C)))
    , m_outsidePoints(pointSeries(QStringLiteral("outsidePoints"), QColor(0xD9, 0xD9, 0xD9)))
    , m_lowerLine(limitSeries(QStringLiteral("lowerLimit"), LimitLine::Lower))
    , m_targetLine(limitSeries(QStringLiteral("target"), LimitLine::Target))
    , m_upperLine(limitSeries(QStringLiteral("upperLimit"), LimitLine::Upper))
    , m_axisX(new QValueAxis(m_chart))
    , m_axisY(new QValueAxis(m_chart))
    , m_figureGrid(new QGridLayout)
    , m_formula(new QLabel(this))
    , m_saveChart(new QPushButton(this))
    , m_saveStatistics(new QPushButton(this))
    , m_savePdf(new QPushButton(this))
    , m_askSaveName(fileDialogAsker(this))
{
    setObjectName(QStringLiteral("ChartWindow"));
    m_chartView->setObjectName(QStringLiteral("chartView"));
    m_chartView->setRenderHint(QPainter::Antialiasing);
    m_chart->addAxis(m_axisX, Qt::AlignBottom);
    m_chart->addAxis(m_axisY, Qt::AlignLeft);
    m_axisX->setLabelFormat(QStringLiteral("%d"));
    for (QXYSeries* series : std::initializer_list<QXYSeries*>{m_lowerLine, m_targetLine, m_upperLine, m_okPoints,
                                                               m_notOkPoints, m_notEvaluatedPoints, m_outsidePoints}) {
        m_chart->addSeries(series);
        series->attachAxis(m_axisX);
        series->attachAxis(m_axisY);
    }
    m_chart->legend()->setAlignment(Qt::AlignBottom);

    m_formula->setObjectName(QStringLiteral("formula"));
    m_formula->setWordWrap(true);
    m_formula->setTextFormat(Qt::PlainText);
    QFont small = m_formula->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_formula->setFont(small);
    m_saveChart->setObjectName(QStringLiteral("saveChart"));
    m_saveStatistics->setObjectName(QStringLiteral("saveStatistics"));
    connect(m_saveChart, &QPushButton::clicked, this, &ChartWindow::slotSaveChart);
    m_savePdf->setObjectName(QStringLiteral("savePdf"));
    connect(m_saveStatistics, &QPushButton::clicked, this, &ChartWindow::slotSaveStatistics);
    connect(m_savePdf, &QPushButton::clicked, this, &ChartWindow::slotSavePdf);

    auto* side = new QVBoxLayout;
    side->addLayout(m_figureGrid);
    side->addWidget(m_formula);
    side->addStretch(1);
    side->addWidget(m_saveChart);
    side->addWidget(m_saveStatistics);
    side->addWidget(m_savePdf);
    auto* sideWidget = new QWidget(this);
    sideWidget->setLayout(side);
    sideWidget->setFixedWidth(340);
    auto* charts = new QHBoxLayout(m_charts);
    charts->setContentsMargins(0, 0, 0, 0);
    charts->addWidget(m_chartView, 5);
    charts->addWidget(m_histogram, 3);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_charts, 1);
    layout->addWidget(sideWidget);
    resize(1640, 760);
    retranslate();
}

void ChartWindow::showRecords(const QByteArray& block, QChar decimalSeparator, const QString& proposedName,
                              const StatsThresholds& thresholds, const ReportIdentity& identity)
{
    m_block = block;
    m_identity = identity;
    m_decimalSeparator = decimalSeparator;
    m_thresholds = thresholds;
    m_proposedName = proposedName;
    const QList<MeasuredPoint> points = measuredPoints(block);
    m_stats = computeStats(points);

    QList<QPointF> ok;
    QList<QPointF> notOk;
    QList<QPointF> notEvaluated;
    QList<QPointF> outside;
    QList<double> sample;
    for (qsizetype i = 0; i < points.size(); ++i) {
        const QPointF position(static_cast<double>(i + 1), points[i].value);
        // A value of another unit or other limits on this axis would mislead.
        if (!m_stats.inSample(points[i])) {
            outside.append(position);
            continue;
        }
        sample.append(points[i].value);
        switch (points[i].result) {
        case MeasuredPoint::Result::Ok:
            ok.append(position);
            break;
        case MeasuredPoint::Result::NotOk:
            notOk.append(position);
            break;
        case MeasuredPoint::Result::NotEvaluated:
            notEvaluated.append(position);
            break;
        }
    }
    m_okPoints->replace(ok);
    m_notOkPoints->replace(notOk);
    m_notEvaluatedPoints->replace(notEvaluated);
    m_outsidePoints->replace(outside);
    const int count = static_cast<int>(points.size());
    m_lowerLine->replace(levelLine(m_stats.hasLimits, m_stats.lower, count));
    m_targetLine->replace(levelLine(m_stats.hasLimits, m_stats.target, count));
    m_upperLine->replace(levelLine(m_stats.hasLimits, m_stats.upper, count));
    fitAxes(count);
    m_histogram->showSample(sample, m_stats);
    retranslate();
}

void ChartWindow::fitAxes(int recordCount)
{
    // The sample's values and its limits.
    double low = m_stats.minimum.value_or(0.0);
    double high = m_stats.maximum.value_or(1.0);
    if (m_stats.hasLimits) {
        low = qMin(low, m_stats.lower);
        high = qMax(high, m_stats.upper);
    }
    const double margin = qMax((high - low) * 0.05, 0.5);
    m_axisY->setRange(low - margin, high + margin);
    m_axisY->applyNiceNumbers();
    m_axisX->setRange(0.0, qMax(static_cast<double>(recordCount), 2.0));
    m_axisX->applyNiceNumbers();
}

void ChartWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void ChartWindow::retranslate()
{
    setWindowTitle(tr("Chart of the measured values"));
    m_chart->setTitle(tr("Measured values in record order"));
    m_axisX->setTitleText(tr("Measurement"));
    const bool angles = m_stats.unit == QStringLiteral("\u00B0");
    const QString valueTitle = (angles ? tr("Angle") : tr("Torque")) + QStringLiteral(" [") + m_stats.unit
        + QStringLiteral("]");
    m_axisY->setTitleText(valueTitle);
    m_histogram->setValueTitle(valueTitle);
    m_chartView->setAccessibleName(m_chart->title());
    m_okPoints->setName(HistoryStats::tr("OK"));
    m_notOkPoints->setName(HistoryStats::tr("n.OK"));
    m_notEvaluatedPoints->setName(HistoryStats::tr("Not evaluated"));
    m_outsidePoints->setName(tr("Other unit or limits"));
    m_lowerLine->setName(tr("Lower limit"));
    m_targetLine->setName(HistoryStats::tr("Target"));
    m_upperLine->setName(tr("Upper limit"));
    m_formula->setText(statsFormulaText());
    m_saveChart->setText(tr("Save Chart as PNG..."));
    m_saveStatistics->setText(tr("Save Statistics as CSV..."));
    m_savePdf->setText(tr("Save Report as PDF..."));
    showFigures();
}

void ChartWindow::showFigures()
{
    const QList<StatFigure> figures = statFigures(m_stats, m_decimalSeparator, m_thresholds);
    while (m_figureValues.size() < figures.size()) {
        const qsizetype index = m_figureValues.size();
        auto* name = new QLabel(this);
        name->setObjectName(QStringLiteral("figureName%1").arg(index));
        auto* value = new QLabel(this);
        value->setObjectName(QStringLiteral("figureValue%1").arg(index));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_figureNames.append(name);
        m_figureValues.append(value);
    }
    // Numbers beside their names; a sentence (a verdict's reasons, the
    // normality warning) below its name across the panel, wrapped.
    int row = 0;
    for (qsizetype i = 0; i < figures.size(); ++i) {
        QLabel* name = m_figureNames[i];
        QLabel* value = m_figureValues[i];
        name->setText(figures[i].name);
        value->setText(figures[i].value);
        value->setStyleSheet(figures[i].warning ? QStringLiteral("color: #B00000; font-weight: bold") : QString());
        const bool sentence = figures[i].value.size() > 16;
        value->setWordWrap(sentence);
        value->setAlignment(sentence ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
        m_figureGrid->removeWidget(name);
        m_figureGrid->removeWidget(value);
        m_figureGrid->addWidget(name, row, 0);
        if (sentence)
            m_figureGrid->addWidget(value, ++row, 0, 1, 2);
        else
            m_figureGrid->addWidget(value, row, 1);
        ++row;
    }
}

QString ChartWindow::askFileName(const QString& caption, const QString& suffix, const QString& filter)
{
    QString selectedFilter = filter;
    const QString answer = m_askSaveName(caption, m_proposedName + suffix, filter, &selectedFilter);
    return answer.isEmpty() ? answer : historysave::withFilterSuffix(answer, selectedFilter);
}

void ChartWindow::slotSaveChart()
{
    const QPixmap picture = m_charts->grab();
    const QString fileName = askFileName(tr("Save Chart"), QStringLiteral(".png"), tr("PNG Files (*.png)"));
    if (fileName.isEmpty())
        return;
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG")) {
        showWriteError(fileName, tr("the picture could not be encoded"));
        return;
    }
    QString error;
    if (!historysave::writeFile(fileName, png, {}, error))
        showWriteError(fileName, error);
}

void ChartWindow::slotSaveStatistics()
{
    // What is saved is what was shown when the button was pressed.
    const QString csv = statsCsv(m_stats, m_decimalSeparator, m_thresholds);
    const QString fileName = askFileName(tr("Save Statistics"), QStringLiteral(".csv"), tr("CSV Files (*.csv)"));
    if (fileName.isEmpty())
        return;
    QString error;
    if (!historysave::writeReport(fileName, csv, error))
        showWriteError(fileName, error);
}

void ChartWindow::slotSavePdf()
{
    const CapabilityReport report = CapabilityReport::of(m_block, m_identity, m_decimalSeparator, m_thresholds);
    const QString fileName = askFileName(tr("Save Report"), QStringLiteral(".pdf"), tr("PDF Files (*.pdf)"));
    if (fileName.isEmpty())
        return;
    QString error;
    if (!writeCapabilityPdf(fileName, report, error))
        showWriteError(fileName, error);
}

void ChartWindow::showWriteError(const QString& fileName, const QString& error)
{
    if (StyleTemplate* style = StyleTemplate::instance())
        style->showMessage(QStringLiteral("Error"), windowTitle(),
                           tr("Cannot write file %1:\n%2.").arg(fileName, error), tr("OK"), this);
}
