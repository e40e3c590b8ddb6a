// Builds the text and the CSV report of the simulated wrench's generated
// history (every kind of record) and prints the median and the slowest of the
// runs in milliseconds, with the report sizes.
// Goal: both reports for 10,000 records in <= 50 ms (Release build).
//
// bench_historyreports [--records N] [--runs N]

#include "bench/benchsupport.h"
#include "history/historyreports.h"
#include "tools/historygenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

struct Timing {
    double median = 0;
    double slowest = 0;
};

Timing measure(int runs, const std::function<void()>& build)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        build();
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int records = bench::option(arguments, QStringLiteral("--records"), 10000);
    const int runs = std::max(1, bench::option(arguments, QStringLiteral("--runs"), 21));

    const QByteArray block = wrench::history::encode(wrench::history::generate(records));
    ReportSettings settings;
    settings.identity = {QStringLiteral("TOLVO 340"), QStringLiteral("F 2.14"), QStringLiteral("H 3"),
                         QStringLiteral("4711")};
    settings.historyMode = 2;
    const QDateTime now = QDateTime::currentDateTime();

    HistoryReports reports;
    const Timing both = measure(runs, [&] { reports = buildReports(block, settings, now); });
    const Timing text = measure(runs, [&] { reports.text = buildTextReport(block, settings, now); });
    const Timing csv = measure(runs, [&] { reports.csv = buildCsvReport(block, settings); });

    std::printf("history reports, %d records (%lld bytes), %d runs\n", records,
                static_cast<long long>(block.size()), runs);
    std::printf("  text report   %8lld characters\n", static_cast<long long>(reports.text.size()));
    std::printf("  CSV report    %8lld characters\n", static_cast<long long>(reports.csv.size()));
    std::printf("  both at once  median %6.2f ms, slowest %6.2f ms (goal <= 50 ms)\n", both.median, both.slowest);
    std::printf("  text alone    median %6.2f ms, slowest %6.2f ms\n", text.median, text.slowest);
    std::printf("  CSV alone     median %6.2f ms, slowest %6.2f ms\n", csv.median, csv.slowest);
    return both.median <= 50.0 ? 0 : 1;
}
