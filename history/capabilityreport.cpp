#include "history/capabilityreport.h"

#include "history/histogram.h"
#include "history/historysave.h"
#include "history/historystats.h"
#include "history/measurementrecord.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int Dpi = 300;
constexpr double PageWidth = 210.0; // A4, in millimetres
constexpr double PageHeight = 297.0;
constexpr double Margin = 18.0;
constexpr double ContentWidth = PageWidth - 2.0 * Margin;
constexpr int PageCount = 2;
constexpr double SqrtTwoPi = 2.5066282746310002;

const QColor OkColour(0x2E, 0x9D, 0x3A);
const QColor NotOkColour(0xD6, 0x27, 0x28);
const QColor NotEvaluatedColour(0x8C, 0x8C, 0x8C);
const QColor OutsideColour(0xD0, 0xD0, 0xD0);
const QColor LimitColour(0xB0, 0x30, 0x30);
const QColor TargetColour(0x30, 0x50, 0xB0);
const QColor BarColour(0x9D, 0xC3, 0xE6);
const QColor CurveColour(0x1F, 0x3A, 0x5F);
const QColor WarningColour(0xB0, 0x00, 0x00);

double mm(double millimetres)
{
    return millimetres * Dpi / 25.4;
}

QRectF mmRect(double x, double y, double width, double height)
{
    return {mm(x), mm(y), mm(width), mm(height)};
}

QString dayText(const QDate& day)
{
    return day.isValid() ? day.toString(QStringLiteral("dd/MM/yyyy")) : QStringLiteral("-");
}

QFont textFont(double points, bool bold = false)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Equal steps of 1, 2 or 5 times a power of ten, about ticks of them,
// covering low to high.
struct Scale {
    double low = 0.0;
    double high = 1.0;
    double step = 1.0;
    int decimals = 0;

    static Scale over(double low, double high, int ticks, double smallestStep = 0.0)
    {
        if (!(high > low)) {
            low -= 0.5;
            high += 0.5;
        }
        const double rough = (high - low) / ticks;
        const double power = std::pow(10.0, std::floor(std::log10(rough)));
        double step = 10.0 * power;
        for (double factor : {1.0, 2.0, 5.0}) {
            if (factor * power >= rough) {
                step = factor * power;
                break;
            }
        }
        step = std::max(step, smallestStep);
        Scale scale;
        scale.step = step;
        scale.low = std::floor(low / step + 1e-9) * step;
        scale.high = std::ceil(high / step - 1e-9) * step;
        scale.decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
        return scale;
    }

    QList<double> ticks() const
    {
        QList<double> values;
        for (int i = 0; low + i * step <= high + step * 1e-6; ++i)
            values.append(low + i * step);
        return values;
    }
};

QString tickText(double value, const Scale& scale, QChar decimalSeparator)
{
    const double shown = std::abs(value) < scale.step * 1e-6 ? 0.0 : value;
    return QString::number(shown, 'f', scale.decimals).replace(u'.', decimalSeparator);
}

// A chart's plotting area and what its edges stand for.
struct Plot {
    QRectF area;
    Scale x;
    Scale y;

    QPointF at(double vx, double vy) const
    {
        return {area.left() + (vx - x.low) / (x.high - x.low) * area.width(),
                area.bottom() - (vy - y.low) / (y.high - y.low) * area.height()};
    }
};

// The area within a chart's box: room for the value title above, the tick
// labels left and below, the limits' names right, the axis title and the
// legend beneath.
QRectF plotArea(const QRectF& box)
{
    return box.adjusted(mm(15.0), mm(8.0), -mm(15.0), -mm(16.0));
}

void drawAxes(QPainter& painter, const Plot& plot, const QString& xTitle, const QString& yTitle,
              QChar decimalSeparator)
{
    const QRectF& area = plot.area;
    painter.setFont(textFont(7.5));
    painter.setPen(QPen(QColor(0xE4, 0xE4, 0xE4), mm(0.2)));
    for (double value : plot.y.ticks())
        painter.drawLine(QPointF(area.left(), plot.at(plot.x.low, value).y()),
                         QPointF(area.right(), plot.at(plot.x.low, value).y()));
    painter.setPen(QPen(Qt::black, mm(0.25)));
    painter.drawRect(area);
    for (double value : plot.x.ticks()) {
        const double x = plot.at(value, plot.y.low).x();
        painter.drawLine(QPointF(x, area.bottom()), QPointF(x, area.bottom() + mm(1.0)));
        painter.drawText(QRectF(x - mm(10.0), area.bottom() + mm(1.2), mm(20.0), mm(4.0)),
                         Qt::AlignHCenter | Qt::AlignTop, tickText(value, plot.x, decimalSeparator));
    }
    for (double value : plot.y.ticks()) {
        const double y = plot.at(plot.x.low, value).y();
        painter.drawLine(QPointF(area.left() - mm(1.0), y), QPointF(area.left(), y));
        painter.drawText(QRectF(area.left() - mm(14.0), y - mm(2.0), mm(12.5), mm(4.0)),
                         Qt::AlignRight | Qt::AlignVCenter, tickText(value, plot.y, decimalSeparator));
    }
    painter.setFont(textFont(8.0));
    painter.drawText(QRectF(area.left(), area.bottom() + mm(5.5), area.width(), mm(4.5)), Qt::AlignHCenter,
                     xTitle);
    painter.drawText(QRectF(area.left() - mm(15.0), area.top() - mm(7.5), area.width(), mm(4.5)),
                     Qt::AlignLeft | Qt::AlignBottom, yTitle);
}

struct LegendEntry {
    enum class Mark { Dot, Line, Box };
    Mark mark;
    QColor colour;
    QString text;
};

void drawLegend(QPainter& painter, const QRectF& area, const QList<LegendEntry>& entries)
{
    painter.setFont(textFont(7.5));
    double x = area.left();
    const double y = area.bottom() + mm(13.5);
    for (const LegendEntry& entry : entries) {
        painter.setPen(QPen(entry.colour.darker(130), mm(0.5)));
        painter.setBrush(entry.colour);
        switch (entry.mark) {
        case LegendEntry::Mark::Dot:
            painter.drawEllipse(QPointF(x + mm(1.5), y), mm(0.9), mm(0.9));
            break;
        case LegendEntry::Mark::Line:
            painter.setPen(QPen(entry.colour, mm(0.5)));
            painter.drawLine(QPointF(x, y), QPointF(x + mm(3.0), y));
            break;
        case LegendEntry::Mark::Box:
            painter.setPen(QPen(entry.colour.darker(150), mm(0.2)));
            painter.drawRect(QRectF(x, y - mm(1.2), mm(3.0), mm(2.4)));
            break;
        }
        painter.setPen(Qt::black);
        painter.setBrush(Qt::NoBrush);
        const QRectF text = painter.boundingRect(QRectF(x + mm(4.0), y - mm(2.0), mm(80.0), mm(4.0)),
                                                 Qt::AlignLeft | Qt::AlignVCenter, entry.text);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, entry.text);
        x = text.right() + mm(5.0);
    }
}

struct LimitMark {
    double value;
    bool target;
    QString label;
};

QList<LimitMark> limitMarks(const HistoryStats& stats)
{
    if (!stats.hasLimits)
        return {};
    return {{stats.lower, false, CapabilityReport::tr("LSL")},
            {stats.target, true, HistoryStats::tr("Target")},
            {stats.upper, false, CapabilityReport::tr("USL")}};
}

QPen limitPen(const LimitMark& mark)
{
    return QPen(mark.target ? TargetColour : LimitColour, mm(0.4), mark.target ? Qt::DotLine : Qt::DashLine);
}

QString valueTitle(const HistoryStats& stats)
{
    const QString quantity = stats.unit == QStringLiteral("\u00B0") ? CapabilityReport::tr("Angle")
                                                                     : CapabilityReport::tr("Torque");
    return stats.unit.isEmpty() ? quantity : QStringLiteral("%1 [%2]").arg(quantity, stats.unit);
}

QColor pointColour(const MeasuredPoint& point, const HistoryStats& stats)
{
    if (!stats.inSample(point))
        return OutsideColour;
    switch (point.result) {
    case MeasuredPoint::Result::Ok:
        return OkColour;
    case MeasuredPoint::Result::NotOk:
        return NotOkColour;
    case MeasuredPoint::Result::NotEvaluated:
        break;
    }
    return NotEvaluatedColour;
}

// Every measured value in record order, scaled to the sample and its
// limits; values of another unit or other limits are drawn pale.
void drawRunChart(QPainter& painter, const QRectF& box, const QList<MeasuredPoint>& points, const HistoryStats& stats,
                  QChar decimalSeparator)
{
    double low = stats.minimum.value_or(0.0);
    double high = stats.maximum.value_or(1.0);
    if (stats.hasLimits) {
        low = std::min(low, stats.lower);
        high = std::max(high, stats.upper);
    }
    const double margin = std::max((high - low) * 0.05, 0.5);
    const Plot plot{plotArea(box), Scale::over(0.0, std::max(static_cast<double>(points.size()), 2.0), 8, 1.0),
                    Scale::over(low - margin, high + margin, 6)};
    drawAxes(painter, plot, CapabilityReport::tr("Measurement"), valueTitle(stats), decimalSeparator);

    painter.save();
    painter.setClipRect(plot.area);
    for (const LimitMark& mark : limitMarks(stats)) {
        const double y = plot.at(0.0, mark.value).y();
        painter.setPen(limitPen(mark));
        painter.drawLine(QPointF(plot.area.left(), y), QPointF(plot.area.right(), y));
    }
    painter.setPen(Qt::NoPen);
    const double radius = points.size() > 200 ? mm(0.45) : mm(0.8);
    for (qsizetype i = 0; i < points.size(); ++i) {
        painter.setBrush(pointColour(points[i], stats));
        painter.drawEllipse(plot.at(static_cast<double>(i + 1), points[i].value), radius, radius);
    }
    painter.restore();
    painter.setFont(textFont(7.0));
    for (const LimitMark& mark : limitMarks(stats)) {
        const double y = plot.at(0.0, mark.value).y();
        painter.setPen(limitPen(mark).color());
        painter.drawText(QRectF(plot.area.right() + mm(1.0), y - mm(2.0), mm(14.0), mm(4.0)),
                         Qt::AlignLeft | Qt::AlignVCenter, mark.label);
    }
    drawLegend(painter, plot.area,
               {{LegendEntry::Mark::Dot, OkColour, HistoryStats::tr("OK")},
                {LegendEntry::Mark::Dot, NotOkColour, HistoryStats::tr("n.OK")},
                {LegendEntry::Mark::Dot, NotEvaluatedColour, HistoryStats::tr("Not evaluated")},
                {LegendEntry::Mark::Dot, OutsideColour, CapabilityReport::tr("Other unit or limits")}});
}

// The sample's histogram, the normal distribution of its mean and standard
// deviation scaled to counts, and its limits and target.
void drawHistogram(QPainter& painter, const QRectF& box, const QList<double>& sample, const HistoryStats& stats,
                   QChar decimalSeparator)
{
    const Histogram histogram = histogramOf(sample);
    const int highest = histogram.counts.isEmpty() ? 0 : *std::max_element(histogram.counts.cbegin(),
                                                                           histogram.counts.cend());
    const double sigma = stats.standardDeviation.value_or(0.0);
    const double mean = stats.mean.value_or(0.0);
    const bool curve = !sample.isEmpty() && sigma > 0.0;
    const double peak = curve ? static_cast<double>(sample.size()) * histogram.width / (sigma * SqrtTwoPi) : 0.0;
    double low = histogram.start;
    double high = histogram.start + histogram.width * static_cast<double>(histogram.counts.size());
    if (curve) {
        low = std::min(low, mean - 4.0 * sigma);
        high = std::max(high, mean + 4.0 * sigma);
    }
    for (const LimitMark& mark : limitMarks(stats)) {
        low = std::min(low, mark.value);
        high = std::max(high, mark.value);
    }
    const double margin = high > low ? (high - low) * 0.03 : 0.5;
    const Plot plot{plotArea(box), Scale::over(low - margin, high + margin, 8),
                    Scale::over(0.0, std::max({static_cast<double>(highest), peak, 1.0}) * 1.08, 5, 1.0)};
    drawAxes(painter, plot, valueTitle(stats), CapabilityReport::tr("Count"), decimalSeparator);

    painter.save();
    painter.setClipRect(plot.area);
    painter.setPen(QPen(BarColour.darker(150), mm(0.15)));
    painter.setBrush(BarColour);
    for (qsizetype bin = 0; bin < histogram.counts.size(); ++bin) {
        const double from = histogram.start + histogram.width * static_cast<double>(bin);
        painter.drawRect(QRectF(plot.at(from, histogram.counts[bin]), plot.at(from + histogram.width, 0.0)));
    }
    painter.setBrush(Qt::NoBrush);
    if (curve) {
        QPainterPath path;
        constexpr int Steps = 160;
        for (int i = 0; i <= Steps; ++i) {
            const double x = plot.x.low + (plot.x.high - plot.x.low) * i / Steps;
            const double z = (x - mean) / sigma;
            const QPointF at = plot.at(x, peak * std::exp(-0.5 * z * z));
            if (i == 0)
                path.moveTo(at);
            else
                path.lineTo(at);
        }
        painter.setPen(QPen(CurveColour, mm(0.45)));
        painter.drawPath(path);
    }
    for (const LimitMark& mark : limitMarks(stats)) {
        const double x = plot.at(mark.value, 0.0).x();
        painter.setPen(limitPen(mark));
        painter.drawLine(QPointF(x, plot.area.top()), QPointF(x, plot.area.bottom()));
    }
    painter.restore();
    painter.setFont(textFont(7.0));
    for (const LimitMark& mark : limitMarks(stats)) {
        const double x = plot.at(mark.value, 0.0).x();
        painter.setPen(limitPen(mark).color());
        painter.drawText(QRectF(x - mm(12.0), plot.area.top() + mm(0.5), mm(24.0), mm(3.5)), Qt::AlignHCenter,
                         mark.label);
    }
    drawLegend(painter, plot.area,
               {{LegendEntry::Mark::Box, BarColour, HistoryStats::tr("Values in statistics")},
                {LegendEntry::Mark::Line, CurveColour, CapabilityReport::tr("Normal distribution")}});
}

// Writes down the page from top; each call returns where the next starts.
class PageText
{
public:
    explicit PageText(QPainter& painter) : m_painter(painter) {}

    double y() const { return m_y; }
    void skip(double millimetres) { m_y += millimetres; }

    void heading(const QString& text, double points)
    {
        m_painter.setPen(Qt::black);
        m_painter.setFont(textFont(points, true));
        paragraph(text, 0.0, ContentWidth);
        m_y += 1.5;
    }

    // A name and its value beside it, the value wrapped in its column.
    void row(const QString& name, const QString& value, double nameWidth, const QColor& colour = Qt::black,
             bool bold = false)
    {
        m_painter.setPen(Qt::black);
        m_painter.setFont(textFont(9.0));
        const QRectF nameRect = draw(name, 0.0, nameWidth - 2.0);
        m_painter.setPen(colour);
        m_painter.setFont(textFont(9.0, bold));
        const QRectF valueRect = draw(value, nameWidth, ContentWidth - nameWidth);
        m_y += std::max(nameRect.height(), valueRect.height()) / mm(1.0) + 0.8;
    }

    void paragraph(const QString& text, double x, double width)
    {
        m_y += draw(text, x, width).height() / mm(1.0);
    }

private:
    QRectF draw(const QString& text, double x, double width)
    {
        const QRectF room = mmRect(Margin + x, m_y, width, PageHeight - m_y);
        QRectF used;
        m_painter.drawText(room, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text, &used);
        return used;
    }

    QPainter& m_painter;
    double m_y = Margin;
};

void drawFooter(QPainter& painter, const CapabilityReport& report, int page)
{
    painter.setPen(QColor(0x50, 0x50, 0x50));
    painter.setFont(textFont(7.5));
    const QRectF line = mmRect(Margin, PageHeight - 12.0, ContentWidth, 5.0);
    painter.drawLine(line.topLeft(), line.topRight());
    painter.drawText(line.adjusted(0.0, mm(1.0), 0.0, 0.0), Qt::AlignLeft | Qt::AlignTop,
                     CapabilityReport::tr("TolvoTool %1, report of %2")
                         .arg(report.toolVersion, report.reportTime.toString(QStringLiteral("dd/MM/yyyy hh:mm"))));
    painter.drawText(line.adjusted(0.0, mm(1.0), 0.0, 0.0), Qt::AlignRight | Qt::AlignTop,
                     CapabilityReport::tr("Page %1 of %2").arg(page).arg(PageCount));
}

QString textOrDash(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("-") : text;
}

// The wrench, the period and the sample, the verdict, both charts.
void drawOverview(QPainter& painter, const CapabilityReport& report, const QList<MeasuredPoint>& points,
                  const HistoryStats& stats)
{
    PageText page(painter);
    page.heading(CapabilityReport::tr("Capability report"), 16.0);
    page.skip(2.0);
    constexpr double NameWidth = 38.0;
    const ReportIdentity& identity = report.identity;
    page.row(CapabilityReport::tr("Device"), textOrDash(identity.deviceName), NameWidth);
    page.row(CapabilityReport::tr("Serial number"), textOrDash(identity.serialNumber), NameWidth);
    page.row(CapabilityReport::tr("Firmware version"), textOrDash(identity.firmwareVersion), NameWidth);
    page.row(CapabilityReport::tr("Hardware version"), textOrDash(identity.hardwareVersion), NameWidth);
    page.row(CapabilityReport::tr("Period"),
             CapabilityReport::tr("%1 to %2").arg(dayText(report.first), dayText(report.last)), NameWidth);
    page.row(CapabilityReport::tr("Sample"),
             CapabilityReport::tr("%1 of %2 measurements in the statistics, %3 excluded (other unit or limits)")
                 .arg(stats.sampleCount)
                 .arg(stats.count)
                 .arg(stats.excludedCount),
             NameWidth);
    const CapabilityVerdict verdict = capabilityVerdict(stats, report.thresholds, report.decimalSeparator);
    const bool capable = verdict.kind == CapabilityVerdict::Kind::Capable;
    page.row(HistoryStats::tr("Verdict"), verdict.text, NameWidth, capable ? OkColour.darker(120) : WarningColour,
             true);
    page.skip(3.0);

    page.heading(CapabilityReport::tr("Measured values in record order"), 11.0);
    const double chartHeight = (PageHeight - 20.0 - page.y() - 8.0) / 2.0;
    drawRunChart(painter, mmRect(Margin, page.y(), ContentWidth, chartHeight), points, stats,
                 report.decimalSeparator);
    page.skip(chartHeight + 2.0);

    page.heading(CapabilityReport::tr("Histogram of the values in the statistics"), 11.0);
    QList<double> sample;
    for (const MeasuredPoint& point : points) {
        if (stats.inSample(point))
            sample.append(point.value);
    }
    drawHistogram(painter, mmRect(Margin, page.y(), ContentWidth, chartHeight), sample, stats,
                  report.decimalSeparator);
}

// Every figure, how it is computed.
void drawFigures(QPainter& painter, const CapabilityReport& report, const HistoryStats& stats)
{
    PageText page(painter);
    page.heading(CapabilityReport::tr("Figures"), 13.0);
    page.skip(1.0);
    for (const StatFigure& figure : statFigures(stats, report.decimalSeparator, report.thresholds))
        page.row(figure.name, figure.value, 62.0, figure.warning ? WarningColour : QColor(Qt::black), figure.warning);
    page.skip(4.0);
    page.heading(CapabilityReport::tr("How the figures are computed"), 11.0);
    painter.setFont(textFont(8.5));
    page.paragraph(statsFormulaText(), 0.0, ContentWidth);
    page.skip(2.0);
    page.paragraph(CapabilityReport::tr("Capable when Cm and Cmk, as shown with three decimals, reach the required "
                                        "values and the statistics hold at least the required number of values."),
                   0.0, ContentWidth);
}

QByteArray pdfBytes(const CapabilityReport& report, QString& error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) {
        error = buffer.errorString();
        return {};
    }
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF());
    writer.setResolution(Dpi);
    writer.setCreator(QStringLiteral("TolvoTool ") + report.toolVersion);
    writer.setTitle(CapabilityReport::tr("Capability report") + u' ' + report.identity.serialNumber);
    QPainter painter;
    if (!painter.begin(&writer)) {
        error = CapabilityReport::tr("the PDF could not be started");
        return {};
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const QList<MeasuredPoint> points = measuredPoints(report.block);
    const HistoryStats stats = computeStats(points);
    drawOverview(painter, report, points, stats);
    drawFooter(painter, report, 1);
    writer.newPage();
    drawFigures(painter, report, stats);
    drawFooter(painter, report, 2);
    painter.end();
    return bytes;
}

} // namespace

CapabilityReport CapabilityReport::of(const QByteArray& block, const ReportIdentity& identity, QChar decimalSeparator,
                                      const StatsThresholds& thresholds)
{
    CapabilityReport report;
    report.identity = identity;
    report.block = block;
    report.decimalSeparator = decimalSeparator;
    report.thresholds = thresholds;
    report.toolVersion = QStringLiteral(TOLVO_VERSION);
    report.reportTime = QDateTime::currentDateTime();
    for (qsizetype i = 0; i < MeasurementRecord::countIn(block); ++i) {
        const MeasurementRecord record = MeasurementRecord::at(block, i);
        const QDate day(2000 + record.year, record.month, record.day);
        if (record.isEmpty() || !day.isValid())
            continue;
        if (!report.first.isValid() || day < report.first)
            report.first = day;
        if (!report.last.isValid() || day > report.last)
            report.last = day;
    }
    return report;
}

bool writeCapabilityPdf(const QString& file, const CapabilityReport& report, QString& error)
{
    const QByteArray bytes = pdfBytes(report, error);
    return !bytes.isEmpty() && historysave::writeFile(file, bytes, {}, error);
}
