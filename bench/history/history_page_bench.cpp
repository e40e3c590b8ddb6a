// Shows the reports of 10,000 generated records in the history page (shown
// on the offscreen platform) and prints, as medians of the runs: the time of
// onHistoryData (both reports built and the text report set), the time until
// the page has been laid out and painted, and the process's peak memory.
// Goals: shown in <= 250 ms; peak <= 100 MB.
//
// history_page_bench [--records N] [--runs N]

#include "bench/benchsupport.h"
#include "history/viewhistory.h"
#include "pagehost.h"
#include "tools/historygenerator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include "history/reportview.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double milliseconds(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    bench::preferOffscreen();
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int records = bench::option(arguments, QStringLiteral("--records"), 10000);
    const int runs = std::max(1, bench::option(arguments, QStringLiteral("--runs"), 7));
    const QByteArray block = wrench::history::encode(wrench::history::generate(records));

    PageHost host;
    ViewHistory view(nullptr, &host);
    view.resize(1020, 768);
    view.show();
    view.setActive(true);
    std::vector<double> handed;
    std::vector<double> painted;
    for (int run = 0; run < runs; ++run) {
        view.slotReadHistory();
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        view.onHistoryData(block.constData(), static_cast<int>(block.size()));
        handed.push_back(milliseconds(timer));
        view.contentWidget()->repaint();
        QApplication::processEvents();
        painted.push_back(milliseconds(timer));
    }
    const qsizetype shownCharacters =
        view.findChild<ReportView*>(QStringLiteral("textEditHistory"))->toPlainText().size();
    view.setActive(false);

    std::printf("history page, %d records, %d runs\n", records, runs);
    std::printf("  text report shown  %lld characters\n", static_cast<long long>(shownCharacters));
    std::printf("  onHistoryData      median %7.1f ms (both reports built and the text set)\n", median(handed));
    std::printf("  laid out, painted  median %7.1f ms (goal <= 250 ms)\n", median(painted));
    std::printf("  peak memory        %7.1f MB (goal <= 100 MB)\n", bench::peakMegabytes());
    return 0;
}
