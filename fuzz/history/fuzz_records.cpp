// Arbitrary blocks as the wrench might send them, decoded and turned into both
// reports. The block is copied into a buffer of exactly its size, so that any
// read past it is reported, and the reports are checked for their shape: one
// CSV row per non-empty record with a fixed field count, and the text report
// agreeing with the CSV in its count of records. The statistics of the same
// block are checked for consistent counts and finite figures in order.
//
// Input: [history mode, decimal separator, block bytes...].

#include "history/historyreports.h"
#include "history/historystats.h"

#include <QStringList>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

bool finite(const std::optional<double>& figure)
{
    return !figure || std::isfinite(*figure);
}

void checkStats(QByteArrayView bytes, qsizetype filled)
{
    const QList<MeasuredPoint> points = measuredPoints(bytes);
    check(points.size() == filled);
    const HistoryStats stats = computeStats(points);
    check(stats.count == filled && stats.okCount + stats.notOkCount <= stats.count);
    check(stats.sampleCount + stats.excludedCount == stats.count);
    check(finite(stats.mean) && finite(stats.standardDeviation) && finite(stats.cm) && finite(stats.cmk));
    if (stats.mean) {
        // The mean of finite values lies between them, up to rounding.
        const double slack = 1e-9 * (std::abs(*stats.minimum) + std::abs(*stats.maximum) + 1);
        check(*stats.minimum - slack <= *stats.mean && *stats.mean <= *stats.maximum + slack);
    }
    check(!stats.standardDeviation || *stats.standardDeviation >= 0);
    const QStringList csv = statsCsv(stats, u',').split(u'\n');
    check(csv.size() == 3 && csv.last().isEmpty() && csv[0].count(u';') == csv[1].count(u';'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    ReportSettings settings;
    settings.identity = {QStringLiteral("TOLVO"), QStringLiteral("F 1.0"), QStringLiteral("H 2"), QStringLiteral("77")};
    settings.historyMode = data[0] % 4;
    // Any separator but the CSV's field and row ends, which would shift it.
    const bool splitsRows = data[1] == ';' || data[1] == '\n';
    settings.decimalSeparator = QChar(splitsRows ? u',' : char16_t{data[1]});
    settings.translator = [](const char* text) { return QString::fromUtf8(text); };

    const std::size_t length = size - 2;
    const auto block = std::make_unique<char[]>(length);
    std::copy(data + 2, data + size, block.get());
    const QByteArrayView bytes(block.get(), static_cast<qsizetype>(length));

    qsizetype filled = 0;
    for (qsizetype i = 0; i < MeasurementRecord::countIn(bytes); ++i)
        filled += MeasurementRecord::at(bytes, i).isEmpty() ? 0 : 1;

    const QDateTime when(QDate(2026, 12, 7), QTime(14, 5));
    const HistoryReports reports = buildReports(bytes, settings, when);
    check(reports.text == buildTextReport(bytes, settings, when));
    check(reports.csv == buildCsvReport(bytes, settings));

    const QStringList rows = reports.csv.split(u'\n');
    check(rows.size() == filled + 2 && rows.last().isEmpty());
    const qsizetype fields = settings.historyMode == 2 ? 37 : 25;
    for (qsizetype row = 1; row <= filled; ++row)
        check(rows.at(row).split(u';').size() == fields);
    check(reports.text.count(QStringLiteral("MEASUREMENT")) == filled);
    checkStats(bytes, filled);
    return 0;
}
